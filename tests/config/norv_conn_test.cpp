// The INI half of the basic load (NoCon): values, character limits and defaults.
#include <gtest/gtest.h>
#include <algorithm>
#include <filesystem>
#include <map>

#include "config/config_world.h"
#include "config/ini_items.h"
#include "config/item_catalog.h"
#include "config/kro_ini.h"
#include "config/norv_conn.h"
#include "host/case_table.h"
#include "host/codepage.h"

namespace config {
namespace {

namespace fs = std::filesystem;
using config_test::kMainIni;
using config_test::kPrinterIni;

class NorvConnIniTest : public config_test::ConfigWorld {
  protected:
    bool LoadIni() { return Config().ActionConFigLoad_Basic(Config(), Rt().StoreConnection, true); }
};

// An empty INI, or one that is no INI at all, gives every default.
TEST_F(NorvConnIniTest, EmptyIniGivesEveryDefault) {
    for (const std::string& text :
         {std::string(), std::string("\x7f\x45\x4c\x46\x00\x01[DATA\xff\r\n=\r\n", 17)}) {
        Put(kMainIni, text);
        ASSERT_TRUE(LoadIni());
        for (const auto& c : host_test::LoadCaseTable("config/cases/ini.txt", "defaults")) {
            EXPECT_EQ(ItemText(Config(), *FindItem(c[0])), c[1]) << c.where;
        }
    }
    EXPECT_TRUE(Messages().empty());
    // The printer INI did not exist: the first read created it.
    EXPECT_TRUE(fs::is_regular_file(Native(kPrinterIni)));
}

TEST_F(NorvConnIniTest, MissingIniIsReportedAndCreated) {
    ASSERT_TRUE(LoadIni());
    ASSERT_EQ(desktop_.CallsOf(host::ScriptedDesktop::CallKind::MessageBox).size(), 1u);
    const auto box = desktop_.CallsOf(host::ScriptedDesktop::CallKind::MessageBox)[0];
    EXPECT_EQ(box.text, "환경설정파일이 없습니다");
    EXPECT_TRUE(fs::is_regular_file(Native(kMainIni)));
}

TEST_F(NorvConnIniTest, StoreDatabaseModeOverridesTheDataKind) {
    PutMdbIni("M_매장디비모드=1\r\n");
    ASSERT_TRUE(LoadIni());
    EXPECT_EQ(Config().데이터_종류, 1);
    EXPECT_EQ(Config().M_매장디비모드, 1);
    EXPECT_EQ(Config().LoadedDataKind(), 1);

    Put(kMainIni, "[DATA]\r\n데이터_종류=1\r\n데이터_MDBPath=C:\\x.mdb\r\n");
    ASSERT_TRUE(LoadIni());
    EXPECT_EQ(Config().데이터_종류, 0);  // no mode in the INI: 0
}

// The main INI is written in CP949, the printer's in UTF-8.
TEST_F(NorvConnIniTest, ReadsEveryValueWithinItsLength) {
    const auto rows = host_test::LoadCaseTable("config/cases/ini.txt", "values");
    std::map<std::string, std::string> files;
    std::map<std::string, std::string> sections;  // the last section written to each file
    for (const auto& c : rows) {
        if (sections[c[0]] != c[1]) files[c[0]] += "[" + c[1] + "]\r\n";
        sections[c[0]] = c[1];
        files[c[0]] += c[2] + "=" + c[3] + "\r\n";
    }
    Put(kMainIni, host::Utf8ToCp949(files["main"]));
    Put(kPrinterIni, files["printer"]);
    ASSERT_TRUE(LoadIni());
    for (const auto& c : rows) {
        const auto row = std::find_if(IniItems().begin(), IniItems().end(), [&](const IniItem& i) {
            return i.section == c[1] && i.key == c[2];
        });
        ASSERT_NE(row, IniItems().end()) << c.where;
        EXPECT_EQ(ItemText(Config(), *FindItem(row->item)), c[4]) << c.where;
    }
}

TEST_F(NorvConnIniTest, StoreCodeDefaultsOnlyForTheFirstKind) {
    PutMdbIni("[마스터]\r\n매장코드종류=1\r\n");
    ASSERT_TRUE(LoadIni());
    EXPECT_EQ(Config().M_매장코드, "");
}

TEST_F(NorvConnIniTest, PrinterWithoutMarginsStartsOver) {
    PutMdbIni();
    Put(kPrinterIni,
        "[BARCODEPRINT]\r\n바코드PORT=3\r\n바코드프린트=Zebra\r\n좌측여백=7\r\n"
        "바코드용지종류=5\r\n기본바코드종류=4\r\n바코드폰트=Gulim\r\n");
    ASSERT_TRUE(LoadIni());
    const NorvConn& c = Config();
    EXPECT_EQ(c.M_바코드PORT, 0);
    EXPECT_EQ(c.M_바코드좌측여백, "0");
    EXPECT_EQ(c.M_바코드폰트, "Arial");
}

TEST_F(NorvConnIniTest, LoadKeepsItsPathsAndObject) {
    PutMdbIni();
    NorvConn other(Rt());
    ASSERT_TRUE(Config().ActionConFigLoad_Basic(other, Rt().StoreConnection, true));
    EXPECT_EQ(other.데이터_MDBPath, config_test::kStoreMdb);
    EXPECT_EQ(Config().데이터_MDBPath, "");  // only `config` is filled
    EXPECT_EQ(&Config().ConfigObject(), &other);
}

// Kro_INI creates a missing file with its folder, and reads each file once.
TEST_F(NorvConnIniTest, KroIniCreatesMissingFilesAndReadsEachFileOnce) {
    Kro_INI ini(Rt());
    EXPECT_EQ(ini.INIRead("S", "K", 10, "C:\\New\\Folder\\x.ini"), "");
    EXPECT_TRUE(fs::is_regular_file(Native("C:\\New\\Folder\\x.ini")));
    EXPECT_TRUE(ini.INIWrite("S", "K", "C:\\Other\\y.ini", "v"));
    EXPECT_EQ(ini.INIRead("S", "K", 10, "C:\\Other\\y.ini"), "v");

    Put("C:\\a.ini", "[S]\r\nK=1\r\n");
    EXPECT_EQ(ini.INIRead("S", "K", 10, "C:\\a.ini"), "1");
    Put("C:\\a.ini", "[S]\r\nK=2\r\n");  // changed by someone else
    EXPECT_EQ(ini.INIRead("S", "K", 10, "C:\\a.ini"), "1");
    EXPECT_EQ(Kro_INI(Rt()).INIRead("S", "K", 10, "C:\\a.ini"), "2");
    // Its own writes are seen.
    EXPECT_TRUE(ini.INIWrite("S", "K", "C:\\a.ini", "3"));
    EXPECT_EQ(ini.INIRead("S", "K", 10, "C:\\a.ini"), "3");
}

}  // namespace
}  // namespace config
