// The INI half of the basic load (NoCon): values, character limits and defaults.
#include "config/norv_conn.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "config/config_world.h"
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

TEST_F(NorvConnIniTest, EmptyIniGivesEveryDefault) {
    Put(kMainIni, "");
    ASSERT_TRUE(LoadIni());
    const NorvConn& c = Config();
    EXPECT_EQ(c.데이터_종류, 0);
    EXPECT_EQ(c.데이터_MDBPath, "C:\\Program Files\\하로나\\Data\\DatMain.mdb");
    EXPECT_EQ(c.데이터_SQLServer, ".");
    EXPECT_EQ(c.데이터_SQLDataName, "ZENTRIX");
    EXPECT_EQ(c.데이터_BackUpPath, "C:\\Quillon\\BackUp\\");
    EXPECT_EQ(c.M_매장코드, "0001");
    EXPECT_EQ(c.M_바코드Top, "400");
    EXPECT_EQ(c.M_바코드용지종류, 2);
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

TEST_F(NorvConnIniTest, ReadsEveryValueWithinItsLength) {
    Put(kMainIni,
        host::Utf8ToCp949("[DATA]\r\n데이터_종류=12\r\n데이터_MDBPath= D:\\Store\\main.mdb \r\n"
                          "데이터_네트웍사용여부=1\r\n데이터_네트웍계정=user\r\n"
                          "데이터_네트웍Pass=p'w\r\n데이터_SQLServer=SRV\r\n"
                          "데이터_SQLDataName=DB\r\n데이터_SQLID=id\r\n데이터_SQLPass=pw\r\n"
                          "데이터_SQLConMode=1\r\n데이터_BackUpPath=0\r\nM_매장디비모드=0\r\n"
                          "표준Path=C:\\Std\r\nm_MDECCHK=  Y \r\n"
                          "[담당자]\r\n담당자=가나다라마바사아자\r\n담당자코드=K01\r\n"
                          "[마스터]\r\n매장등록=0123456\r\n매장코드종류=3\r\n"
                          "판매등록_공지이미지=C:\\공지.bmp\r\n"));
    Put(kPrinterIni,
        "[BARCODEPRINT]\r\n바코드PORT=3\r\n바코드프린트종류=4\r\n바코드공유=1\r\n"
        "바코드프린터속도=9\r\n바코드프린트=Zebra\r\n상단여백=123456\r\n좌측여백=7\r\n"
        "상품명좌측여백=8\r\n바코드용지종류=5\r\n바코드출력내용=6\r\n기본바코드종류=7\r\n"
        "바코드폰트=GulimChe12345\r\n[PRINTER_BARCODE]\r\nTOP=12345\r\nLEFT=99999\r\n"
        "LABEL_ROW=333\r\nLABEL_COL=22\r\n커스트마이징=abc\r\n");
    ASSERT_TRUE(LoadIni());
    const NorvConn& c = Config();
    EXPECT_EQ(c.데이터_종류, 0);  // "1" of "12", then the mode 0 of the INI
    EXPECT_EQ(c.데이터_MDBPath, "D:\\Store\\main.mdb");
    EXPECT_EQ(c.데이터_네트웍Pass, "p'w");
    EXPECT_EQ(c.데이터_SQLConMode, 1);
    EXPECT_EQ(c.데이터_BackUpPath, "C:\\Quillon\\BackUp\\");
    EXPECT_EQ(c.M_MDECCHK, "Y");
    EXPECT_EQ(c.M_담당자, "가나다라마바사");  // 14 bytes
    EXPECT_EQ(c.M_매장코드, "01234");
    EXPECT_EQ(c.판매등록_공지이미지, "C:\\공지.bmp");
    EXPECT_EQ(c.M_바코드PORT, 3);
    EXPECT_EQ(c.M_바코드프린트, "Zebra");
    EXPECT_EQ(c.M_바코드상단여백, "1234");
    EXPECT_EQ(c.M_바코드종류, 7);
    EXPECT_EQ(c.M_바코드폰트, "GulimChe1");
    EXPECT_EQ(c.M_바코드Top, "1234");
    EXPECT_EQ(c.M_바코드Left, "999");
    EXPECT_EQ(c.M_바코드LabelRow, "33");
    EXPECT_EQ(c.M_바코드LabelCol, "2");
    EXPECT_EQ(c.M_바코드커스트마이징, "abc");
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

TEST_F(NorvConnIniTest, IniThatIsNoIniGivesDefaults) {
    Put(kMainIni, std::string("\x7f\x45\x4c\x46\x00\x01[DATA\xff\r\n=\r\n", 17));
    ASSERT_TRUE(LoadIni());
    EXPECT_EQ(Config().데이터_SQLDataName, "ZENTRIX");
    EXPECT_TRUE(Messages().empty());
}

TEST_F(NorvConnIniTest, LoadKeepsItsPathsAndObject) {
    PutMdbIni();
    NorvConn other(Rt());
    ASSERT_TRUE(Config().ActionConFigLoad_Basic(other, Rt().StoreConnection, true));
    EXPECT_EQ(other.데이터_MDBPath, config_test::kStoreMdb);
    EXPECT_EQ(Config().데이터_MDBPath, "");  // only `config` is filled
    EXPECT_EQ(&Config().ConfigObject(), &other);
}

}  // namespace
}  // namespace config
