// The configuration-table half of the basic load, and the administrator load. ActionGetTable:
// which configuration table belongs to this PC, with code allocation and the building of missing
// tables, through the basic load.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "config/config_world.h"
#include "config/item_catalog.h"
#include "config/norv_conn.h"
#include "config/slot_map.h"
#include "fixtures/config_template.h"
#include "fixtures/program_runner.h"
#include "host/case_table.h"
#include "host/host.h"
#include "host/temp_folder.h"

namespace config {
namespace {

namespace fs = std::filesystem;
using config_test::ConfigRow;
using config_test::kMainIni;

class ConfigLoadTest : public config_test::ConfigWorld {
  protected:
    // An MDB store whose CONFIG holds `rows`, registered for code 0000000001 (this PC).
    void MakeStore(const std::vector<ConfigRow>& rows) {
        std::vector<std::string> sql =
            PcTables({{"0000000001", "CONFIG"}}, {{host_.ComputerName(), "07"}, {"OTHER", "08"}});
        sql.push_back(CreateConfigTable("CONFIG"));
        RunMdb(sql);
        RunMdb(Insert("CONFIG", rows));
        PutMdbIni("[기타관리]\r\n데이터_종류=0000000001\r\n");
    }
    // An MDB store with CONFIG (administrator date range 30) and CONFIGPC holding `codes`.
    void MakeStoreWithCodes(const std::vector<std::pair<std::string, std::string>>& codes) {
        RunMdb(PcTables(codes));
        RunMdb({CreateConfigTable("CONFIG")});
        RunMdb(Insert("CONFIG", {{"142", 1, 3, "30", "관리자_날짜범위"},
                                 {"171", 2, 2, "감사합니다", "영수증_메시지1"}}));
    }
    bool Load() { return Config().ActionConFigLoad_Basic(Config(), Rt().StoreConnection); }
    // No store and no INI yet, and a new process.
    void NewStore() {
        runtime_.reset();
        for (const char* end : {"", "-wal", "-shm", "-journal"}) {
            fs::remove(Native(config_test::kStoreMdb).string() + end);
        }
        fs::remove(Native(kMainIni));
        MakeRuntime();
    }
    std::vector<std::string> Registered() {
        return Column(
            "SELECT 피씨코드 & ' ' & 피씨명 & ' ' & 테이블명 AS R FROM CONFIGPC "
            "ORDER BY 피씨코드",
            "R");
    }
};

TEST_F(ConfigLoadTest, RowsFeedTheItemTableAndTheItems) {
    const auto cases = host_test::LoadCaseTable("config/cases/ini.txt", "table rows");
    std::vector<ConfigRow> rows;
    for (const auto& c : cases) {
        rows.push_back({c[0], std::stoi(c[1]), std::stoi(c[2]),
                        c[3] == "null" ? std::nullopt : std::optional(c[3]), c[4]});
    }
    MakeStore(rows);
    ASSERT_TRUE(Load());
    EXPECT_TRUE(BoxTexts().empty());
    NorvConn& config = Config();
    for (const auto& c : cases) {
        if (c[6].rfind("slot ", 0) == 0) {
            const util::Variant slot = config.Slot(std::stoi(c[6].substr(5)));
            EXPECT_EQ(slot.IsEmpty() ? "empty" : slot.AsText(), c[7]) << c.where;
        } else {
            EXPECT_EQ(ItemText(config, *FindItem(c[6])), c[7]) << c.where;
        }
    }
    EXPECT_TRUE(config.Slot(400).IsEmpty());
    EXPECT_EQ(config.ConfigTableName(), "CONFIG");
    EXPECT_EQ(config.PcCode(), "07");
    ASSERT_TRUE(Rt().StoreConnection);
    EXPECT_EQ(Rt().StoreConnection->State(), db::ObjectState::Open);
    EXPECT_EQ(config.SharedConnection(), Rt().StoreConnection);

    // A connection given to the load is used as it is: no set-up runs for it, though the INI
    // now names a file that does not exist.
    Put(config_test::kMainIni,
        "[DATA]\r\n데이터_MDBPath=C:\\gone.mdb\r\n[기타관리]\r\n데이터_종류=0000000001\r\n");
    NorvConn again(Rt());
    ASSERT_TRUE(again.ActionConFigLoad_Basic(again, Rt().StoreConnection));
    EXPECT_EQ(again.SharedConnection(), Rt().StoreConnection);
    EXPECT_TRUE(again.장비_온라인서비스);
    EXPECT_TRUE(BoxTexts().empty());
}

// A look-only load finds the configuration without registering this PC, building a table or
// saving anything: a PC without a code, or whose code names a missing table, reads the shared
// CONFIG; a registered PC its own table. No file under the root changes or appears.
TEST_F(ConfigLoadTest, ALookOnlyLoadReadsWithoutRegisteringBuildingOrSaving) {
    std::vector<std::string> sql =
        PcTables({{"0000000005", "CONFIG0000000005"}, {"0000000007", "CONFIG0000000007"}});
    sql.push_back(CreateConfigTable("CONFIG"));
    sql.push_back(CreateConfigTable("CONFIG0000000007"));
    RunMdb(sql);
    RunMdb(Insert("CONFIG", {{"140", 1, 1, "-1", "장비_온라인서비스"}}));
    RunMdb(Insert("CONFIG0000000007", {{"142", 1, 3, "31", "관리자_날짜범위"}}));
    struct Case {
        const char* ini;
        const char* table;
    };
    const Case cases[] = {{"", "CONFIG"},
                          {"[기타관리]\r\n데이터_종류=0000000005\r\n", "CONFIG"},
                          {"[기타관리]\r\n데이터_종류=0000000007\r\n", "CONFIG0000000007"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        PutMdbIni(c.ini);
        const auto before = fixtures::FilesUnder(temp_.Path());
        {
            Runtime lookOnly(host_, desktop_, Access::ReadOnly);
            NorvConn& config = lookOnly.Config();
            ASSERT_TRUE(config.ActionConFigLoad_Basic(config, lookOnly.StoreConnection));
            EXPECT_EQ(config.ConfigTableName(), c.table);
            EXPECT_EQ(config.장비_온라인서비스, std::string(c.table) == "CONFIG");
            EXPECT_EQ(config.관리자_날짜범위, std::string(c.table) == "CONFIG" ? 0 : 31);
            EXPECT_EQ(config.데이터_MDBPath, config_test::kStoreMdb);
            EXPECT_EQ(config.PcCode(), "");
            // Every write is refused.
            EXPECT_THROW(lookOnly.StoreConnection->Execute("DELETE FROM CONFIGPC"), db::DbError);
        }
        EXPECT_EQ(fixtures::FilesUnder(temp_.Path()), before);
    }
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(ConfigLoadTest, BadItemNumbersStopTheLoad) {
    MakeStore({});
    for (const char* code : {"abc", "", "-1", "351", "400", "1e9"}) {
        SCOPED_TRACE(code);
        RunMdb({"DELETE FROM CONFIG"});
        RunMdb(Insert("CONFIG", {{"1", 1, 1, "0", ""}, {code, 1, 1, "1", ""}}));
        const std::size_t before = BoxTexts().size();
        EXPECT_FALSE(Load());
        EXPECT_EQ(BoxTexts().size(), before + 1);
        EXPECT_EQ(BoxTexts().back(), "환경설정을 불러올 수 없습니다");
    }
}

TEST_F(ConfigLoadTest, MissingStoreDatabaseFailsQuietlyAfterTheReason) {
    PutMdbIni("[기타관리]\r\n데이터_종류=0000000001\r\n");
    EXPECT_FALSE(Load());
    // The set-up explained the missing file; the load adds no box of its own.
    ASSERT_EQ(BoxTexts().size(), 1u);
    EXPECT_EQ(BoxTexts()[0], "해당 폴더에 데이터가 없습니다");
}

TEST_F(ConfigLoadTest, AdminLoadReadsGroupThreeOfTheSharedTable) {
    NorvConn& c = Config();
    c.데이터_SQLServer_S = config_test::kServer;
    c.데이터_SQLDataName_S = "DATA1";
    c.관리자_체인점교환단가 = 4;
    // Without its database: the connection's message only.
    EXPECT_FALSE(c.ActionConFigLoad_Admin(c, Rt().Data1Connection));
    EXPECT_EQ(BoxTexts().size(), 1u);
    EXPECT_FALSE(Rt().Data1Connection);

    RunServer("DATA1", {CreateConfigTable("CONFIG", db::Dialect::SqlServer)});
    RunServer("DATA1", Insert("CONFIG", {{"142", 1, 3, "7", ""},
                                         {"143", 1, 3, "8", "", 1},  // deleted
                                         {"144", 1, 3, "9", ""},
                                         {"140", 1, 3, "-1", ""},
                                         {"85", 1, 2, "5", ""}}));
    ASSERT_TRUE(c.ActionConFigLoad_Admin(c, Rt().Data1Connection));
    EXPECT_EQ(c.관리자_날짜범위, 7);
    EXPECT_EQ(c.관리자_체인점교환단가, 0);  // its slot stayed empty
    EXPECT_EQ(c.관리자_체인점포인트, 9);
    EXPECT_FALSE(c.장비_온라인서비스);  // only the three administrator slots are copied
    EXPECT_EQ(c.Slot(140).AsInt(), -1);
    EXPECT_TRUE(c.Slot(85).IsEmpty());
    EXPECT_EQ(Rt().Data1Connection, Rt().AdminConnection);
    EXPECT_EQ(BoxTexts().size(), 1u);
}

// Which configuration table this PC gets by the INI's code (blanks around it aside): the one
// CONFIGPC registers for it (built again from CONFIG when it is gone), CONFIG for code 1 (then
// registered for this PC), else a copy of CONFIG of its own under the next code after the
// greatest. A code with an apostrophe stays a value; a read-only INI still loads, though the new
// code cannot be kept there. The next start finds the same table and registers nothing more.
TEST_F(ConfigLoadTest, EachPcGetsTheTableOfItsCodeOrANewCodeWithItsOwnCopy) {
    const std::string pc = host_.ComputerName();
    struct Case {
        std::vector<std::pair<std::string, std::string>> codes;  // CONFIGPC before
        const char* iniCode;                                     // nullptr: none
        bool readOnlyIni;
        std::string table;
        std::vector<std::string> registered;  // CONFIGPC after
    };
    const Case cases[] = {
        {{{"0000000001", "CONFIG"}, {"0000000004", "CONFIG0000000004"}},
         nullptr,
         false,
         "CONFIG0000000005",
         {"0000000001 PC CONFIG", "0000000004 PC CONFIG0000000004",
          "0000000005 " + pc + " CONFIG0000000005"}},
        {{{"0000000007", "CONFIG0000000007"}},
         " 0000000001 ",
         false,
         "CONFIG",
         {"0000000001 " + pc + " CONFIG", "0000000007 PC CONFIG0000000007"}},
        {{{"0000000003", "CONFIG0000000003"}},
         "0000000003",
         false,
         "CONFIG0000000003",
         {"0000000003 PC CONFIG0000000003"}},
        {{{"0000000001", "CONFIG"}, {"00'1", "CONFIG"}},
         "00'1",
         false,
         "CONFIG",
         {"00'1 PC CONFIG", "0000000001 PC CONFIG"}},
        {{{"0000000001", "CONFIG"}}, nullptr, true, "CONFIG0000000002", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table + " for " + (c.iniCode ? c.iniCode : "no code"));
        NewStore();
        MakeStoreWithCodes(c.codes);
        PutMdbIni(c.iniCode ? std::string("[기타관리]\r\n데이터_종류=") + c.iniCode + "\r\n" : "");
        const std::string ini = Get(kMainIni);
        if (c.readOnlyIni) {
            fs::permissions(Native(kMainIni), fs::perms::owner_write, fs::perm_options::remove);
        }
        for (int start = 0; start < (c.readOnlyIni ? 1 : 2); ++start) {
            ASSERT_TRUE(Load());
            EXPECT_EQ(Config().ConfigTableName(), c.table);
            EXPECT_EQ(Config().관리자_날짜범위, 30);
            if (!c.registered.empty()) {
                EXPECT_EQ(Registered(), c.registered);
            }
        }
        if (c.readOnlyIni) {
            EXPECT_EQ(Get(kMainIni), ini);  // the new code could not be kept
        }
    }
    EXPECT_TRUE(BoxTexts().empty());
}

// (A new database that gets its tables from the template: the save tests' first load.)
TEST_F(ConfigLoadTest, MissingTablesWithoutNewConfigOrAConnectionFail) {
    NorvConn fresh(Rt());
    std::string table = "unchanged";
    EXPECT_FALSE(fresh.ActionGetTable(table, true));  // no connection
    EXPECT_TRUE(BoxTexts().empty());

    fixtures::CreateConfigTemplate(host_);
    RunMdb({"CREATE TABLE 피씨명 (피씨코드 TEXT(10), 피씨명 TEXT(50))"});
    PutMdbIni();
    Rt().NewConfigFlag = false;
    EXPECT_FALSE(Load());
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"환경설정을 불러올 수 없습니다"});
    EXPECT_FALSE(Config().ActionGetTable(table, false));
}

// A table name that is no plain name, read from CONFIGPC or made from the INI's code, is refused
// with a message naming it, and no statement is built from it: every table and row stays.
TEST_F(ConfigLoadTest, TableNameThatIsNoPlainNameIsRefusedBeforeAnyStatement) {
    MakeStoreWithCodes({{"0000000003", "CONFIG0000000003"}});
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
        EXPECT_THAT(BoxTexts(),
                    testing::Contains(testing::AllOf(testing::HasSubstr(shown),
                                                     testing::HasSubstr("not a usable name"))));
        EXPECT_EQ(Column("SELECT COUNT(*) AS N FROM 사용상품", "N"), std::vector<std::string>{"1"})
            << shown;
        EXPECT_EQ(Registered().size(), 1u) << shown;
    }
}

}  // namespace
}  // namespace config
