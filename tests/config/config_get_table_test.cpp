// ActionGetTable: which configuration table belongs to this PC, with code allocation and the
// building of missing tables, through the basic load.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "config/config_world.h"
#include "config/norv_conn.h"
#include "fixtures/config_template.h"
#include "host/host.h"
#include "host/profile.h"

namespace config {
namespace {

namespace fs = std::filesystem;
using config_test::kMainIni;

class ConfigGetTableTest : public config_test::ConfigWorld {
  protected:
    // An MDB store with CONFIG (administrator date range 30) and CONFIGPC holding `codes`.
    void MakeStore(const std::vector<std::pair<std::string, std::string>>& codes) {
        RunMdb(PcTables(codes));
        RunMdb({CreateConfigTable("CONFIG")});
        RunMdb(Insert("CONFIG", {{"142", 1, 3, "30", "관리자_날짜범위"},
                                 {"171", 2, 2, "감사합니다", "영수증_메시지1"}}));
    }
    bool Load() { return Config().ActionConFigLoad_Basic(Config(), Rt().StoreConnection); }
    std::string IniCode() {
        return host::GetPrivateProfileString("기타관리", "데이터_종류", "", 50, Native(kMainIni));
    }
    std::vector<std::string> Registered() {
        return Column(
            "SELECT 피씨코드 & ' ' & 피씨명 & ' ' & 테이블명 AS R FROM CONFIGPC "
            "ORDER BY 피씨코드",
            "R");
    }
};

TEST_F(ConfigGetTableTest, NewPcGetsTheNextCodeAndItsOwnTable) {
    MakeStore({{"0000000001", "CONFIG"}, {"0000000004", "CONFIG0000000004"}});
    PutMdbIni();
    ASSERT_TRUE(Load());
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(Config().ConfigTableName(), "CONFIG0000000005");
    EXPECT_EQ(IniCode(), "0000000005");
    const std::string pc = host_.ComputerName();
    EXPECT_EQ(Registered(),
              (std::vector<std::string>{"0000000001 PC CONFIG", "0000000004 PC CONFIG0000000004",
                                        "0000000005 " + pc + " CONFIG0000000005"}));
    // The new table is a copy of CONFIG and the items come from it.
    EXPECT_EQ(Column("SELECT * FROM CONFIG0000000005 ORDER BY 환경코드", "적용"),
              (std::vector<std::string>{"30", "감사합니다"}));
    EXPECT_EQ(Config().관리자_날짜범위, 30);

    // The next start finds the code in the INI and in CONFIGPC: nothing new.
    ASSERT_TRUE(Load());
    EXPECT_EQ(Config().ConfigTableName(), "CONFIG0000000005");
    EXPECT_EQ(Registered().size(), 3u);
}

TEST_F(ConfigGetTableTest, CodeOneAlwaysUsesConfig) {
    MakeStore({{"0000000007", "CONFIG0000000007"}});
    PutMdbIni("[기타관리]\r\n데이터_종류= 0000000001 \r\n");
    ASSERT_TRUE(Load());
    EXPECT_EQ(Config().ConfigTableName(), "CONFIG");
    EXPECT_EQ(Registered().back(), "0000000007 PC CONFIG0000000007");
    EXPECT_EQ(Registered().front(), "0000000001 " + host_.ComputerName() + " CONFIG");
    EXPECT_EQ(Config().관리자_날짜범위, 30);
}

TEST_F(ConfigGetTableTest, RegisteredTableThatIsGoneIsBuiltAgain) {
    MakeStore({{"0000000003", "CONFIG0000000003"}});
    PutMdbIni("[기타관리]\r\n데이터_종류=0000000003\r\n");
    ASSERT_TRUE(Load());
    EXPECT_EQ(Config().ConfigTableName(), "CONFIG0000000003");
    EXPECT_EQ(Config().관리자_날짜범위, 30);
    EXPECT_EQ(Registered().size(), 1u);
}

TEST_F(ConfigGetTableTest, NewDatabaseGetsItsTablesFromTheTemplate) {
    fixtures::CreateConfigTemplate(host_);
    RunMdb({"CREATE TABLE 피씨명 (피씨코드 TEXT(10), 피씨명 TEXT(50))"});
    PutMdbIni();
    ASSERT_TRUE(Load());
    EXPECT_EQ(Config().ConfigTableName(), "CONFIG");
    const auto rows = fixtures::TemplateRows();
    EXPECT_EQ(Config().관리자_날짜범위,
              std::stoi(fixtures::TemplateRow(rows, "관리자_날짜범위").적용));
    EXPECT_EQ(Registered(),
              std::vector<std::string>{"0000000001 " + host_.ComputerName() + " CONFIG"});
}

TEST_F(ConfigGetTableTest, MissingTablesWithoutNewConfigOrAConnectionFail) {
    NorvConn fresh(Rt());
    std::string table = "unchanged";
    EXPECT_FALSE(fresh.ActionGetTable(table, true));  // no connection
    EXPECT_TRUE(Messages().empty());

    fixtures::CreateConfigTemplate(host_);
    RunMdb({"CREATE TABLE 피씨명 (피씨코드 TEXT(10), 피씨명 TEXT(50))"});
    PutMdbIni();
    Rt().NewConfigFlag = false;
    EXPECT_FALSE(Load());
    EXPECT_EQ(Messages(), std::vector<std::string>{"환경설정을 불러올 수 없습니다"});
    EXPECT_FALSE(Config().ActionGetTable(table, false));
}

// A table name that is no plain name, read from CONFIGPC or made from the INI's code, is refused
// with a message naming it, and no statement is built from it: every table and row stays.
TEST_F(ConfigGetTableTest, TableNameThatIsNoPlainNameIsRefusedBeforeAnyStatement) {
    MakeStore({{"0000000003", "CONFIG0000000003"}});
    RunMdb({"CREATE TABLE 사용상품 (제품코드 TEXT(10))", "INSERT INTO 사용상품 VALUES ('P1')"});
    // 데이터_종류 in the INI, 테이블명 of its CONFIGPC row (the command line's tests run the
    // statements a name could smuggle in against both kinds of store)
    const std::pair<const char*, const char*> cases[] = {
        {"0000000003", "CONFIG] ; DELETE FROM 사용상품"},
        {"0000000003", ""},
        {"3;DELETE FROM 사용상품;--", nullptr},  // no row: the table is "CONFIG" + the code
    };
    for (const auto& [code, table] : cases) {
        if (table != nullptr) {
            RunMdb({"UPDATE CONFIGPC SET 테이블명 = " + util::SqlQuoted(table)});
        }
        PutMdbIni(std::string("[기타관리]\r\n데이터_종류=") + code + "\r\n");
        const std::string shown =
            table ? std::string("'") + table + "'" : std::string("'CONFIG") + code + "'";
        EXPECT_FALSE(Load()) << shown;
        const std::vector<std::string> messages = Messages();
        EXPECT_TRUE(std::any_of(messages.begin(), messages.end(), [&](const std::string& m) {
            return m.find(shown) != std::string::npos &&
                   m.find("not a usable name") != std::string::npos;
        })) << shown;
        EXPECT_EQ(Column("SELECT COUNT(*) AS N FROM 사용상품", "N"), std::vector<std::string>{"1"})
            << shown;
        EXPECT_EQ(Registered().size(), 1u) << shown;
    }
}

TEST_F(ConfigGetTableTest, ReadOnlyIniStillLoads) {
    MakeStore({{"0000000001", "CONFIG"}});
    PutMdbIni();
    const std::string before = Get(kMainIni);
    fs::permissions(Native(kMainIni), fs::perms::owner_write, fs::perm_options::remove);
    ASSERT_TRUE(Load());
    EXPECT_EQ(Config().ConfigTableName(), "CONFIG0000000002");
    EXPECT_EQ(Config().관리자_날짜범위, 30);
    EXPECT_EQ(Get(kMainIni), before);  // the code could not be kept
}

}  // namespace
}  // namespace config
