// What the server cases (cases/syscat.txt, cases/create_alter.txt) cannot say, needing a second
// session or the file: ids across sessions, the catalogue in a rolled-back transaction, the fields
// of the system procedures' rows, what the file keeps, and identity columns after another
// connection changed their table.
#include <gtest/gtest.h>

#include <map>

#include "db/embedded/case_file.h"
#include "db/embedded/session_helpers.h"
#include "db/embedded/token.h"

namespace db::embedded::testing {
namespace {

// A row by upper-cased field name.
using NamedRow = std::map<std::string, util::Variant>;

std::vector<NamedRow> NamedRows(Session& s, std::string_view sql) {
    ExecOutcome outcome = s.Execute(sql, 30);
    std::vector<NamedRow> rows;
    if (!outcome.rows) return rows;
    std::vector<util::Variant> values;
    while (outcome.rows->Next(values)) {
        NamedRow row;
        for (std::size_t i = 0; i < values.size(); ++i) {
            row[UpperAscii(outcome.rows->Fields()[i].name)] = values[i];
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

// A fresh database of SQL Server mode in its own folder ("store.sqlite" of a server folder).
class SysCatalogueTest : public ::testing::Test {
  protected:
    std::unique_ptr<Session> OpenServer() {
        return Open(dir_ / "store.sqlite", OpenOptions{Dialect::SqlServer, "", true});
    }

    TempDir dir_;
    std::unique_ptr<Session> server_ = OpenServer();
};

TEST_F(SysCatalogueTest, AnotherSessionSeesTheSameObjectId) {
    server_->Execute("CREATE TABLE 사용상품 (제품코드 NVARCHAR(10))", 30);
    const util::Variant id = FirstValue(*server_, "SELECT OBJECT_ID('사용상품')");
    ASSERT_FALSE(id.IsNull());
    EXPECT_EQ(FirstValue(*OpenServer(), "SELECT OBJECT_ID('사용상품')"), id);
}

// The catalogue's views are built by the first query that needs them; a rollback of the
// transaction they were built in takes them along, and the next query builds them again. So do
// routines created in a transaction that is rolled back.
TEST_F(SysCatalogueTest, TheCatalogueOutlivesARolledBackTransaction) {
    server_->Execute("CREATE TABLE 사용상품 (제품코드 NVARCHAR(10))", 30);
    const char* kProbe = "SELECT * FROM SYSOBJECTS WHERE xtype = 'FN' AND NAME = 'ConcatList' ";
    server_->BeginTransaction(0);
    EXPECT_TRUE(AllRows(*server_, kProbe).empty());
    server_->Execute(
        "CREATE FUNCTION [dbo].[ConcatList] (@PdtCode VARCHAR(10)) RETURNS NVARCHAR(4000) AS "
        "BEGIN RETURN (@PdtCode) END",
        30);
    EXPECT_EQ(AllRows(*server_, kProbe).size(), 1u);
    server_->RollbackTransaction();
    EXPECT_TRUE(AllRows(*server_, kProbe).empty());
    EXPECT_EQ(AllRows(*server_, "SELECT name FROM SYSOBJECTS WHERE xtype = 'U'").size(), 1u);
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
        for (const Block& block : LoadBlocks("embedded/tables/sp_columns.txt")) {
            const auto& row = rows.at(std::stoul(block.at(0).second));
            for (std::size_t i = 1; i < block.size(); ++i) {
                EXPECT_EQ(row.at(block[i].first).AsText(), block[i].second)
                    << call << " " << block[i].first;
            }
        }
        EXPECT_FALSE(rows[2].at("COLUMN_DEF").IsNull());
    }
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
    // Plain tables only: the routine table and the store's own, with their key indexes.
    EXPECT_EQ(PlainRows(dir_ / "store.sqlite",
                        "SELECT (SELECT COUNT(*) FROM sqlite_master WHERE type = 'view'), "
                        "(SELECT COUNT(*) FROM sqlite_master WHERE name = 'dp_routines')"),
              std::vector<std::string>{"0|1"});
}

// The engine keeps each table's shape for INSERT, and must see it anew when another connection
// changes the table.
TEST_F(SysCatalogueTest, TablesChangedByAnotherConnectionAreSeenAnewByInsert) {
    server_->Execute("CREATE TABLE 계획 (a NVARCHAR(10))", 30);
    server_->Execute("INSERT INTO 계획 VALUES ('x')", 30);  // the shape without identity is kept
    std::unique_ptr<Session> other = OpenServer();
    other->Execute("DROP TABLE 계획", 30);
    other->Execute("CREATE TABLE 계획 (n INT IDENTITY(1,1) NOT NULL, a NVARCHAR(10))", 30);
    server_->Execute("INSERT INTO 계획 (a) VALUES ('y')", 30);
    EXPECT_EQ(FirstValue(*server_, "SELECT n FROM 계획"), util::Variant(1));
}

}  // namespace
}  // namespace db::embedded::testing
