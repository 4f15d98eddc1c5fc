#include "config/config_save.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>

#include "config/config_world.h"
#include "config/ini_items.h"
#include "config/item_catalog.h"
#include "db/error.h"
#include "fixtures/program_runner.h"
#include "host/case_table.h"
#include "host/profile.h"

namespace config_test {
namespace {

class ConfigSaveTest : public CopyWorld {
  protected:
    // A store whose CONFIG holds the template rows, a second workstation table, and the INI files
    // loaded (without the table) into the configuration object.
    void MakeConfiguredStore() {
        std::vector<std::string> sql;
        for (const char* table : {"CONFIG", "CONFIG0000000002"}) {
            sql.push_back(fixtures::CreateConfigTableSql(table, StoreDialect()));
            for (const auto& row : rows_) sql.push_back(fixtures::InsertConfigRowSql(table, row));
        }
        MakeStore(sql, false);
        PutIni();
        config::NorvConn& c = Rt().Config();
        ASSERT_TRUE(c.ActionConFigLoad_Basic(c, Rt().StoreConnection, true));
        c.SharedConnection() = Rt().StoreConnection;
        c.SetConfigTableName("CONFIG");
    }
    // The main INI naming this world's store database.
    void PutIni() {
        std::string ini = "[DATA]\r\n데이터_MDBPath=" + std::string(kStoreMdbPath) + "\r\n";
        if (!Mdb()) {
            ini += "데이터_종류=1\r\nM_매장디비모드=1\r\n데이터_SQLServer=" + server_.server +
                   "\r\n데이터_SQLDataName=" + server_.database +
                   "\r\n데이터_SQLID=" + server_.user + "\r\n데이터_SQLPass=" + server_.password +
                   "\r\n";
        }
        host_test::WriteBytes(*host_.Native(kMainIni), ini);
    }
    std::string Ini(const char* file, std::string_view section, std::string_view key) {
        return host::GetPrivateProfileString(section, key, "<none>", 255, *host_.Native(file));
    }
    // 적용 of the row whose 신규명 is the item.
    std::string Applied(const std::string& table, const std::string& item) {
        const auto rows = Rows("SELECT 적용 FROM " + table + " WHERE 신규명 = '" + item + "'");
        return rows.size() == 1 ? rows[0].at("적용").AsText()
                                : "<" + std::to_string(rows.size()) + ">";
    }
    // The item's value as the configuration object holds it, as text.
    std::string ItemValue(std::string_view item) {
        return config::ItemText(Rt().Config(), *config::FindItem(item));
    }
    void Set(std::string_view item, const util::Variant& value) {
        config::FindItem(item)->set(Rt().Config(), value);
    }
    // Sets the items of that case table to their values.
    std::vector<host_test::CaseRow> SetItems(const std::string& table) {
        const auto rows = host_test::LoadCaseTable("config/cases/ini.txt", table);
        for (const auto& c : rows) Set(c[0], c[1]);
        return rows;
    }
};

constexpr const char* kConnectionItems[] = {
    "데이터_종류",       "데이터_MDBPath",    "데이터_네트웍사용여부", "데이터_네트웍계정",
    "데이터_네트웍Pass", "데이터_SQLServer",  "데이터_SQLDataName",    "데이터_SQLID",
    "데이터_SQLPass",    "데이터_SQLConMode", "데이터_BackUpPath"};

// The basic save writes every INI item back where it was read, and mirrors the connection items
// into the configuration table (passwords with apostrophes stored exactly) and nothing else.
TEST_P(ConfigSaveTest, BasicSaveWritesTheIniAndMirrorsConnectionItemsOrIsFalseWithoutTheTable) {
    MakeConfiguredStore();
    const auto set = SetItems("basic save");
    ASSERT_TRUE(Rt().Config().ActionSave_Basic());
    for (const auto& c : set) EXPECT_EQ(ItemValue(c[0]), c[1]) << c.where;
    for (const config::IniItem& row : config::IniItems()) {
        const char* file = row.file == config::IniFile::Main ? kMainIni : kPrinterIni;
        EXPECT_EQ(Ini(file, row.section, row.key), ItemValue(row.item)) << row.item;
    }
    for (const char* item : kConnectionItems) {
        EXPECT_EQ(Applied("CONFIG", item), ItemValue(item)) << item;
    }
    EXPECT_EQ(Applied("CONFIG", "데이터_종류"), Mdb() ? "0" : "1");
    // Nothing else changes: other rows, other tables.
    EXPECT_EQ(Rows("SELECT * FROM CONFIG").size(), rows_.size());
    EXPECT_EQ(Applied("CONFIG", "사업자_상호"), "하로나약국");
    EXPECT_EQ(Applied("CONFIG0000000002", "데이터_BackUpPath"), "C:\\Quillon\\BackUp\\");

    // Without its connection or table the save is false, but the INI is written.
    config::NorvConn& c = Rt().Config();
    c.SharedConnection().reset();
    Set("M_담당자코드", "A7");
    EXPECT_FALSE(c.ActionSave_Basic());
    EXPECT_EQ(Ini(kMainIni, "담당자", "담당자코드"), "A7");

    c.SharedConnection() = Rt().StoreConnection;
    c.SetConfigTableName("CONFIG9999999999");  // not there
    EXPECT_FALSE(c.ActionSave_Basic());
}

TEST_P(ConfigSaveTest, AllTablesSkipConfigPcAndConfigSysAndTheStandardItemsGoToThisPcsTable) {
    MakeConfiguredStore();
    for (const char* sql :
         {"CREATE TABLE CONFIGPC (피씨코드 VARCHAR(10), 피씨명 VARCHAR(50), 테이블명 VARCHAR(50))",
          "CREATE TABLE CONFIG_SYS (신규명 VARCHAR(100), 적용 VARCHAR(255))",
          "INSERT INTO CONFIG_SYS (신규명, 적용) VALUES ('데이터_SQLServer_S', 'SYS')"}) {
        Store().Execute(sql);
    }
    const auto set = SetItems("all tables");
    ASSERT_TRUE(config::ActionSave_AllConfigTables(Rt().Config()));
    for (const char* table : {"CONFIG", "CONFIG0000000002"}) {
        for (const auto& c : set) EXPECT_EQ(Applied(table, c[0]), c[1]) << table << " " << c.where;
    }
    EXPECT_EQ(Applied("CONFIG_SYS", "데이터_SQLServer_S"), "SYS");

    // The standard-database items go to this PC's table only.
    const auto standard = SetItems("standard config");
    ASSERT_TRUE(Rt().Config().ActionSave_StandardConfig());
    for (const auto& c : standard) EXPECT_EQ(Applied("CONFIG", c[0]), c[1]) << c.where;
    EXPECT_EQ(Applied("CONFIG0000000002", "표준DB서버명"), "");
    Rt().Config().SetConfigTableName("");
    EXPECT_FALSE(Rt().Config().ActionSave_StandardConfig());
}

// The first load on a new database, whose INI lacks 데이터_BackUpPath: CONFIG is made from the
// template and registered for this PC, and the default backup path ends up in the INI and in it.
TEST_P(ConfigSaveTest, FirstLoadMakesConfigAndWritesDefaultBackUpPathToIniAndTable) {
    MakeStore({Mdb() ? "CREATE TABLE 피씨명 (피씨코드 TEXT(10), 피씨명 TEXT(50))"
                     : "CREATE TABLE 피씨명 (피씨코드 NVARCHAR(10), 피씨명 NVARCHAR(50))"});
    PutIni();
    config::NorvConn& c = Rt().Config();
    ASSERT_TRUE(c.ActionConFigLoad_Basic(c, Rt().StoreConnection));
    EXPECT_EQ(c.ConfigTableName(), "CONFIG");
    EXPECT_EQ(c.관리자_날짜범위, std::stoi(fixtures::TemplateRow(rows_, "관리자_날짜범위").적용));
    const auto registered = Rows("SELECT * FROM CONFIGPC");
    ASSERT_EQ(registered.size(), 1u);
    EXPECT_EQ(registered[0].at("피씨코드").AsText() + " " + registered[0].at("피씨명").AsText() +
                  " " + registered[0].at("테이블명").AsText(),
              "0000000001 " + host_.ComputerName() + " CONFIG");
    EXPECT_EQ(Ini(kMainIni, "DATA", "데이터_BackUpPath"), "C:\\Quillon\\BackUp\\");
    EXPECT_EQ(Applied("CONFIG", "데이터_BackUpPath"), "C:\\Quillon\\BackUp\\");
    EXPECT_EQ(Applied("CONFIG", "데이터_MDBPath"), kStoreMdbPath);
}

INSTANTIATE_TEST_SUITE_P(Kinds, ConfigSaveTest,
                         ::testing::Values(StoreKind::Mdb, StoreKind::SqlServer), StoreKindName);

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

struct MoveIniWorld : fixtures::HostRoot {
    using HostRoot::Native;
    host::ScriptedDesktop desktop;
    config::Runtime rt{host_, desktop};
};

// The files of a folder, each as "name=its text", in order.
std::string Listing(const std::filesystem::path& folder) {
    std::string text;
    for (const auto& [name, bytes] : fixtures::FilesUnder(folder)) {
        text += (text.empty() ? "" : " ") + name + "=" + bytes;
    }
    return text;
}

TEST(ProcMoveIni, CopiesMissingFilesOnly) {
    for (const auto& c : host_test::LoadCaseTable("config/cases/ini.txt", "ProcMoveIni")) {
        SCOPED_TRACE(c.where);
        MoveIniWorld w;
        const auto system = w.Native("C:\\Windows\\System32"), product = w.Native("C:\\Quillon");
        std::filesystem::create_directories(product);
        for (const auto& f : Words(c[0])) host_test::WriteBytes(system / f, "system");
        for (const auto& f : Words(c[1])) host_test::WriteBytes(product / f, "product");
        const std::string systemBefore = Listing(system);
        int error = 0;
        try {
            w.rt.Config().ProcMoveIni();
        } catch (const db::DbError& e) {
            error = e.Number();
        }
        EXPECT_EQ(std::to_string(error), c[3]);
        EXPECT_EQ(Listing(product), c[2]);
        EXPECT_EQ(Listing(system), systemBefore);  // the system folder keeps its copies
    }
}

}  // namespace
}  // namespace config_test
