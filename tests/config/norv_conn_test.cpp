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

// Each row loads its INI files into the configuration object.
TEST_F(NorvConnIniTest, EachIniGivesItsValues) {
    for (const auto& c : host_test::LoadCaseTable("config/cases/ini.txt", "loads")) {
        Put(kMainIni, c[0]);
        fs::remove(Native(kPrinterIni));
        if (c[1] != "none") Put(kPrinterIni, c[1]);
        ASSERT_TRUE(LoadIni()) << c.where;
        EXPECT_EQ(ItemText(Config(), *FindItem(c[2])), c[3]) << c.where;
    }
    EXPECT_TRUE(BoxTexts().empty());
    // The printer INI was missing: the read created it.
    EXPECT_TRUE(fs::is_regular_file(Native(kPrinterIni)));
}

TEST_F(NorvConnIniTest, MissingIniIsReportedAndCreated) {
    ASSERT_TRUE(LoadIni());
    ASSERT_EQ(desktop_.CallsOf(host::ScriptedDesktop::CallKind::MessageBox).size(), 1u);
    const auto box = desktop_.CallsOf(host::ScriptedDesktop::CallKind::MessageBox)[0];
    EXPECT_EQ(box.text, "환경설정파일이 없습니다");
    EXPECT_TRUE(fs::is_regular_file(Native(kMainIni)));
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

TEST_F(NorvConnIniTest, LoadKeepsItsPathsAndObject) {
    PutMdbIni("M_매장디비모드=1\r\n");
    NorvConn other(Rt());
    ASSERT_TRUE(Config().ActionConFigLoad_Basic(other, Rt().StoreConnection, true));
    EXPECT_EQ(other.데이터_MDBPath, config_test::kStoreMdb);
    EXPECT_EQ(other.LoadedDataKind(), 1);    // the kind as the mode left it
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
