// The system catalogue of SQL Server mode: SYSCOLUMNS, SYSOBJECTS, sys.objects, OBJECT_ID,
// IF [NOT] EXISTS, and the system procedures sp_tables, sp_columns and sp_helpindex.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "db/embedded/server_helpers.h"

namespace db::embedded::testing {
namespace {

using SysCatalogueTest = ServerModeTest;

constexpr const char* kConcatListFunction =
    "CREATE FUNCTION [dbo].[ConcatList] (@PdtCode VARCHAR(10)) \r\nRETURNS "
    "NVARCHAR(4000) \r\nAS \r\nBEGIN \r\n   RETURN (@PdtCode) \r\nEND \r\n";

struct LengthCase {
    const char* type;
    std::int64_t length;
};

TEST_F(SysCatalogueTest, SysColumnsReportsTheStorageLengthOfEachType) {
    const LengthCase kCases[] = {
        {"NVARCHAR(16)", 32}, {"VARCHAR(9)", 9},    {"CHAR(20)", 20},
        {"NCHAR(5)", 10},     {"INT", 4},           {"SMALLINT", 2},
        {"TINYINT", 1},       {"BIT", 1},           {"MONEY", 8},
        {"FLOAT", 8},         {"DATETIME", 8},      {"TEXT", 16},
        {"DECIMAL(5,2)", 5},  {"DECIMAL(18)", 9},   {"DECIMAL(28,4)", 13},
        {"NUMERIC(38)", 17},  {"DECIMAL", 9},       {"BIGINT", 8},
        {"REAL", 4},          {"SMALLMONEY", 4},    {"NVARCHAR(MAX)", -1},
        {"IMAGE", 16},        {"SMALLDATETIME", 4},
    };
    std::string create = "CREATE TABLE 형식 (";
    for (std::size_t i = 0; i < std::size(kCases); ++i) {
        create += (i == 0 ? "c" : ", c") + std::to_string(i) + " " + kCases[i].type;
    }
    server_->Execute(create + ")", 30);
    for (std::size_t i = 0; i < std::size(kCases); ++i) {
        const std::string probe =
            "SELECT LENGTH FROM SYSCOLUMNS WHERE ID=OBJECT_ID('형식') AND NAME='c" +
            std::to_string(i) + "'";
        EXPECT_EQ(FirstValue(*server_, probe), util::Variant(kCases[i].length)) << kCases[i].type;
    }
}

TEST_F(SysCatalogueTest, SysColumnsDescribesEachColumnOfEachTable) {
    server_->Execute("CREATE TABLE 팜페이 (카드번호 CHAR(20) NOT NULL, 금액 MONEY)", 30);
    server_->Execute("CREATE TABLE 기타 (카드번호 NVARCHAR(10))", 30);
    const auto rows = NamedRows(
        *server_, "SELECT * FROM SYSCOLUMNS WHERE ID = OBJECT_ID('팜페이') ORDER BY colid");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].at("NAME"), util::Variant("카드번호"));
    EXPECT_EQ(rows[0].at("XTYPE"), util::Variant(175));  // char
    EXPECT_EQ(rows[0].at("ISNULLABLE"), util::Variant(0));
    EXPECT_EQ(rows[1].at("NAME"), util::Variant("금액"));
    EXPECT_EQ(rows[1].at("XTYPE"), util::Variant(60));  // money
    EXPECT_EQ(rows[1].at("COLID"), util::Variant(2));
    EXPECT_EQ(rows[1].at("ISNULLABLE"), util::Variant(1));
    // The probes of the catalogue: names compare without regard to letter case.
    EXPECT_EQ(AllRows(*server_,
                      "SELECT * FROM SYSCOLUMNS WHERE ID=OBJECT_ID('팜페이') AND "
                      "NAME='카드번호' AND LENGTH = 20")
                  .size(),
              1u);
    EXPECT_EQ(AllRows(*server_,
                      "SELECT * FROM dbo.syscolumns WHERE id=object_id('팜페이') AND "
                      "name='금액' AND length = 8")
                  .size(),
              1u);
    EXPECT_TRUE(AllRows(*server_,
                        "SELECT * FROM SYSCOLUMNS WHERE ID=OBJECT_ID('팜페이') AND "
                        "NAME='카드번호' AND LENGTH = 100")
                    .empty());
}

TEST_F(SysCatalogueTest, ObjectIdsAreStableAndNullForMissingObjects) {
    server_->Execute("CREATE TABLE 사용상품 (제품코드 NVARCHAR(10))", 30);
    const util::Variant id = FirstValue(*server_, "SELECT OBJECT_ID('사용상품')");
    ASSERT_FALSE(id.IsNull());
    EXPECT_GT(id.AsInt(), 0);
    const char* const kSame[] = {
        "SELECT OBJECT_ID(N'[dbo].[사용상품]')",
        "SELECT OBJECT_ID('dbo.사용상품')",
        "SELECT OBJECT_ID('store.dbo.사용상품')",
        "SELECT OBJECT_ID('사용상품', 'U')",
        "SELECT id FROM SYSOBJECTS WHERE name = '사용상품'",
        "SELECT object_id FROM sys.objects WHERE name = '사용상품'",
        "SELECT DISTINCT id FROM SYSCOLUMNS WHERE name = '제품코드'",
    };
    for (const char* sql : kSame) EXPECT_EQ(FirstValue(*server_, sql), id) << sql;
    // Another session (another connection) gives the same id.
    std::unique_ptr<Session> other = OpenServer();
    EXPECT_EQ(FirstValue(*other, "SELECT OBJECT_ID('사용상품')"), id);

    const char* const kNull[] = {
        "SELECT OBJECT_ID('없는표')",        "SELECT OBJECT_ID(N'[dbo].[FN_SPLIT_nth]')",
        "SELECT OBJECT_ID('사용상품', 'P')", "SELECT OBJECT_ID(NULL)",
        "SELECT OBJECT_ID('#임시')",         "SELECT OBJECT_ID('dp_routines')",
    };
    for (const char* sql : kNull) EXPECT_TRUE(FirstValue(*server_, sql).IsNull()) << sql;
}

TEST_F(SysCatalogueTest, SysObjectsListsTablesViewsAndRoutinesButNotTheEngines) {
    server_->Execute("CREATE TABLE 사용상품 (제품코드 NVARCHAR(10))", 30);
    const char* kProbe = "SELECT * FROM SYSOBJECTS WHERE xtype = 'FN' AND NAME = 'ConcatList' ";
    EXPECT_TRUE(AllRows(*server_, kProbe).empty());
    server_->Execute(kConcatListFunction, 30);
    EXPECT_EQ(AllRows(*server_, kProbe).size(), 1u);
    EXPECT_EQ(
        AllRows(*server_, "SELECT * FROM sysobjects WHERE name = 'concatlist' AND xtype = 'fn'")
            .size(),
        1u);
    std::vector<std::string> listed;
    for (const NamedRow& row :
         NamedRows(*server_, "SELECT name, xtype FROM SYSOBJECTS ORDER BY name")) {
        listed.push_back(row.at("NAME").AsText() + ":" + row.at("XTYPE").AsText());
    }
    EXPECT_EQ(listed, (std::vector<std::string>{"ConcatList:FN", "사용상품:U"}));
}

// The catalogue's views are built by the first query that needs them; a rollback of the
// transaction they were built in takes them along, and the next query builds them again. So do
// routines created in a transaction that is rolled back.
TEST_F(SysCatalogueTest, TheCatalogueOutlivesARolledBackTransaction) {
    server_->Execute("CREATE TABLE 사용상품 (제품코드 NVARCHAR(10))", 30);
    const char* kProbe = "SELECT * FROM SYSOBJECTS WHERE xtype = 'FN' AND NAME = 'ConcatList' ";
    server_->BeginTransaction(0);
    EXPECT_TRUE(AllRows(*server_, kProbe).empty());
    server_->Execute(kConcatListFunction, 30);
    EXPECT_EQ(AllRows(*server_, kProbe).size(), 1u);
    server_->RollbackTransaction();
    EXPECT_TRUE(AllRows(*server_, kProbe).empty());
    EXPECT_EQ(AllRows(*server_, "SELECT name FROM SYSOBJECTS WHERE xtype = 'U'").size(), 1u);
}

TEST_F(SysCatalogueTest, SysObjectsCatalogViewFindsRoutinesByIdAndType) {
    const char* kProbe =
        "SELECT * FROM sys.objects WHERE object_id = OBJECT_ID(N'[dbo].[FN_SPLIT_nth]') AND type "
        "in (N'FN', N'IF', N'TF', N'FS', N'FT')";
    EXPECT_TRUE(AllRows(*server_, kProbe).empty());
    server_->Execute(
        "CREATE FUNCTION [dbo].[FN_SPLIT_nth](@ParamData Varchar(8000)) RETURNS "
        "@Result TABLE (Seq INT) AS BEGIN RETURN END",
        30);
    const auto rows = NamedRows(*server_, kProbe);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].at("TYPE"), util::Variant("TF"));
    EXPECT_EQ(rows[0].at("TYPE_DESC"), util::Variant("SQL_TABLE_VALUED_FUNCTION"));
    EXPECT_TRUE(AllRows(*server_,
                        "SELECT * FROM sys.objects WHERE object_id = "
                        "OBJECT_ID(N'[dbo].[FN_SPLIT_nth]') AND type in (N'P', N'PC')")
                    .empty());
}

TEST_F(SysCatalogueTest, IfExistsRunsItsStatementOnlyWhenTheConditionHolds) {
    server_->Execute("CREATE TABLE 사용상품 (표준코드 VARCHAR(9))", 30);
    server_->Execute("CREATE TABLE 기록 (내용 NVARCHAR(20))", 30);
    const struct {
        const char* sql;
        std::int64_t rowsAfter;
    } kCases[] = {
        {"IF EXISTS (SELECT * FROM SYSCOLUMNS WHERE ID=OBJECT_ID('사용상품') AND NAME='표준코드' "
         "AND LENGTH = 9)        INSERT INTO 기록 VALUES ('a')",
         1},
        {"IF EXISTS (SELECT * FROM SYSCOLUMNS WHERE ID=OBJECT_ID('사용상품') AND NAME='표준코드' "
         "AND LENGTH = 10) INSERT INTO 기록 VALUES ('b')",
         1},
        {"IF NOT EXISTS (SELECT * FROM SYSOBJECTS WHERE NAME = '기록') INSERT INTO 기록 VALUES "
         "('c')",
         1},
        {"IF NOT EXISTS (SELECT * FROM sys.objects WHERE name = '없음') BEGIN INSERT INTO 기록 "
         "VALUES ('d') END",
         2},
        {"IF EXISTS(SELECT * FROM 기록 WHERE 내용 = 'A') UPDATE 기록 SET 내용 = 'e' WHERE 내용 = "
         "'a'",
         2},
    };
    for (const auto& c : kCases) {
        EXPECT_NO_THROW(server_->Execute(c.sql, 30)) << c.sql;
        EXPECT_EQ(FirstValue(*server_, "SELECT COUNT(*) FROM 기록").AsInt(), c.rowsAfter) << c.sql;
    }
    EXPECT_EQ(FirstValue(*server_, "SELECT COUNT(*) FROM 기록 WHERE 내용 IN ('e', 'd')").AsInt(),
              2);
}

TEST_F(SysCatalogueTest, IfExistsReportsTheErrorsOfItsParts) {
    server_->Execute("CREATE TABLE 기록 (내용 NVARCHAR(20))", 30);
    const DbError e = ErrorOf([&] {
        server_->Execute("IF NOT EXISTS (SELECT * FROM 기록) INSERT INTO 없는표 VALUES (1)", 30);
    });
    EXPECT_EQ(e.Number(), ErrorNumber::kTableMissing);
    EXPECT_EQ(ErrorOf([&] { server_->Execute("IF EXISTS (SELECT 1) ", 30); }).Number(),
              ErrorNumber::kSyntax);
    EXPECT_EQ(ErrorOf([&] { server_->Execute("IF DELETE FROM 기록", 30); }).Number(),
              ErrorNumber::kSyntax);
    EXPECT_EQ(ErrorOf([&] {
                  server_->Execute("IF (SELECT COUNT(*) FROM 없는표) = 0 DELETE FROM 기록", 30);
              }).Number(),
              ErrorNumber::kTableMissing);
}

TEST_F(SysCatalogueTest, JetKeepsRefusingTheCatalogue) {
    std::unique_ptr<Session> jet = OpenJet();
    jet->Execute("CREATE TABLE 팜페이 (카드번호 TEXT(20))", 30);
    const struct {
        const char* sql;
        std::int32_t number;
    } kCases[] = {
        {"SELECT * FROM SYSCOLUMNS WHERE ID=OBJECT_ID('팜페이') AND NAME='카드번호' AND LENGTH = "
         "20",
         ErrorNumber::kTableMissing},
        {"SELECT * FROM SYSOBJECTS WHERE xtype = 'FN' AND NAME = 'ConcatList' ",
         ErrorNumber::kTableMissing},
        {"SELECT * FROM sys.objects", ErrorNumber::kTableMissing},
        {"SELECT OBJECT_ID('팜페이')", ErrorNumber::kSyntax},
        {"IF EXISTS (SELECT * FROM 팜페이) DELETE FROM 팜페이", ErrorNumber::kSyntax},
        {"sp_TABLES", ErrorNumber::kSyntax},
        {"EXEC SP_COLUMNS '팜페이'", ErrorNumber::kSyntax},
        {"sp_HELPINDEX '팜페이'", ErrorNumber::kSyntax},
        {"SELECT * FROM FN_SPLIT_nth('a#$')", ErrorNumber::kTableMissing},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(ErrorOf([&] { jet->Execute(c.sql, 30); }).Number(), c.number) << c.sql;
    }
}

TEST_F(SysCatalogueTest, SpColumnsGivesTheFieldsTheSchemaReadersUse) {
    server_->Execute(
        "CREATE TABLE 사용상품 (제품코드 NVARCHAR(10) NOT NULL, 재고수량 FLOAT, "
        "입고단가 MONEY DEFAULT 0, 일련번호 INT IDENTITY(1,1) NOT NULL)",
        30);
    for (const char* call : {"SP_COLUMNS '사용상품'", "EXEC SP_COLUMNS '사용상품'",
                             "sp_columns @table_name='사용상품'", "EXECUTE sp_columns 사용상품"}) {
        const auto rows = NamedRows(*server_, call);
        ASSERT_EQ(rows.size(), 4u) << call;
        const NamedRow& code = rows[0];
        EXPECT_EQ(code.at("TABLE_QUALIFIER"), util::Variant("store")) << call;
        EXPECT_EQ(code.at("TABLE_OWNER"), util::Variant("dbo"));
        EXPECT_EQ(code.at("TABLE_NAME"), util::Variant("사용상품"));
        EXPECT_EQ(code.at("COLUMN_NAME"), util::Variant("제품코드"));
        EXPECT_EQ(code.at("TYPE_NAME"), util::Variant("nvarchar"));
        EXPECT_EQ(code.at("DATA_TYPE"), util::Variant(-9));
        EXPECT_EQ(code.at("PRECISION"), util::Variant(10));
        EXPECT_EQ(code.at("LENGTH"), util::Variant(20));
        EXPECT_EQ(code.at("NULLABLE").AsText(), "0");
        EXPECT_EQ(code.at("IS_NULLABLE"), util::Variant("NO"));
        EXPECT_EQ(code.at("ORDINAL_POSITION"), util::Variant(1));
        EXPECT_EQ(rows[1].at("TYPE_NAME"), util::Variant("float"));
        EXPECT_EQ(rows[1].at("PRECISION"), util::Variant(15));
        EXPECT_EQ(rows[1].at("NULLABLE").AsText(), "1");
        EXPECT_EQ(rows[1].at("IS_NULLABLE"), util::Variant("YES"));
        EXPECT_EQ(rows[2].at("TYPE_NAME"), util::Variant("money"));
        EXPECT_EQ(rows[2].at("PRECISION"), util::Variant(19));
        EXPECT_EQ(rows[2].at("SCALE"), util::Variant(4));
        EXPECT_FALSE(rows[2].at("COLUMN_DEF").IsNull());
        EXPECT_EQ(rows[3].at("TYPE_NAME"), util::Variant("int identity"));
    }
    EXPECT_TRUE(NamedRows(*server_, "sp_columns '없는표'").empty());
    EXPECT_EQ(ErrorOf([&] { server_->Execute("sp_columns", 30); }).Number(), ErrorNumber::kSyntax);
    EXPECT_EQ(ErrorOf([&] { server_->Execute("sp_columns @tablename='t'", 30); }).Number(),
              ErrorNumber::kSyntax);
}

TEST_F(SysCatalogueTest, SpTablesListsTheUserTablesOnly) {
    server_->Execute("CREATE TABLE 사용상품 (a INT)", 30);
    server_->Execute("CREATE TABLE CONFIG (a INT)", 30);
    server_->Execute("CREATE PROC p AS SELECT 1", 30);  // the routine table appears
    std::vector<std::string> names;
    for (const NamedRow& row : NamedRows(*server_, "sp_TABLES")) {
        EXPECT_EQ(row.at("TABLE_TYPE"), util::Variant("TABLE"));
        EXPECT_EQ(row.at("TABLE_OWNER"), util::Variant("dbo"));
        EXPECT_TRUE(row.at("REMARKS").IsNull());
        names.push_back(row.at("TABLE_NAME").AsText());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"CONFIG", "사용상품"}));
    EXPECT_EQ(NamedRows(*server_, "EXEC sp_tables @table_name = 'CONF%'").size(), 1u);
}

TEST_F(SysCatalogueTest, SpHelpIndexJoinsTheKeysOfEachIndex) {
    server_->Execute(
        "CREATE TABLE 간편주문 (일련번호 SMALLINT NOT NULL, 설정일자 NVARCHAR(8) NOT "
        "NULL, 제품명 VARCHAR(100), CONSTRAINT [PK_간편주문] PRIMARY KEY CLUSTERED "
        "([일련번호] ASC, [설정일자] ASC)) ON [PRIMARY]",
        30);
    server_->Execute("CREATE INDEX [제품명] ON [dbo].[간편주문] ([제품명]) ON [PRIMARY]", 30);
    const auto rows = NamedRows(*server_, "sp_HELPINDEX '간편주문'");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].at("INDEX_NAME"), util::Variant("PK_간편주문"));
    EXPECT_EQ(rows[0].at("INDEX_KEYS"), util::Variant("일련번호, 설정일자"));
    EXPECT_EQ(rows[0].at("INDEX_DESCRIPTION"),
              util::Variant("clustered, unique, primary key located on PRIMARY"));
    EXPECT_EQ(rows[1].at("INDEX_NAME"), util::Variant("제품명"));
    EXPECT_EQ(rows[1].at("INDEX_KEYS"), util::Variant("제품명"));

    server_->Execute("CREATE TABLE 빈표 (a INT)", 30);
    EXPECT_FALSE(server_->Execute("sp_HELPINDEX '빈표'", 30).rows);
    EXPECT_EQ(ErrorOf([&] { server_->Execute("sp_HELPINDEX '없는표'", 30); }).Number(),
              ErrorNumber::kSyntax);
}

TEST_F(SysCatalogueTest, TheFileKeepsNoCatalogueObjectsForOtherTools) {
    server_->Execute("CREATE TABLE 팜페이 (카드번호 CHAR(20))", 30);
    server_->Execute("CREATE PROC p AS SELECT 1", 30);
    EXPECT_EQ(AllRows(*server_, "SELECT * FROM SYSCOLUMNS").size(), 1u);
    server_.reset();

    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open_v2((dir_ / "store.sqlite").c_str(), &raw, SQLITE_OPEN_READONLY, nullptr),
              SQLITE_OK);
    std::vector<std::string> objects;
    sqlite3_stmt* stmt = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(raw, "SELECT type || ' ' || name FROM sqlite_master ORDER BY 1",
                                 -1, &stmt, nullptr),
              SQLITE_OK);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        objects.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    }
    sqlite3_finalize(stmt);
    sqlite3_close(raw);
    // Plain tables only: the routine table and the store's own, with their key indexes.
    for (const std::string& o : objects) EXPECT_EQ(o.rfind("view", 0), std::string::npos) << o;
    EXPECT_NE(std::find(objects.begin(), objects.end(), "table dp_routines"), objects.end());
}

}  // namespace
}  // namespace db::embedded::testing
