#include <gtest/gtest.h>

#include <vector>

#include "db/embedded/case_file.h"
#include "db/embedded/embedded.h"
#include "db/embedded/server_helpers.h"
#include "db/embedded/temp_dir.h"
#include "db/error.h"

namespace db::embedded::testing {
namespace {

class SchemaTest : public ::testing::TestWithParam<Dialect> {
  protected:
    void SetUp() override {
        session_ = Open(dir_ / "db.sqlite", OpenOptions{GetParam(), "pw", true});
    }
    Schema& schema() { return session_->SchemaInfo(); }
    void Run(std::string_view sql) { session_->Execute(sql, 30); }
    bool Jet() const { return GetParam() == Dialect::Jet; }

    TempDir dir_;
    std::unique_ptr<Session> session_;
};

TEST_P(SchemaTest, ListsUserTablesOnly) {
    EXPECT_TRUE(schema().Tables().empty());
    Run("CREATE TABLE CONFIG (순서 NVARCHAR(3))");
    Run("CREATE TABLE 사용상품 (제품코드 NVARCHAR(10) PRIMARY KEY)");
    const std::vector<TableInfo> tables = schema().Tables();
    ASSERT_EQ(tables.size(), 2u);
    EXPECT_EQ(tables[0].name, "CONFIG");  // the name as created, letter case kept
    EXPECT_EQ(tables[0].type, "TABLE");
    EXPECT_EQ(tables[1].name, "사용상품");
}

struct TypeCase {
    std::string declared, typeName;
    int size, adoType;
};

// The types of tables/schema_types.txt that the mode takes, in one table.
TEST_P(SchemaTest, ReportsDeclaredTypes) {
    std::vector<TypeCase> types;
    for (const Block& b : LoadBlocks("embedded/tables/schema_types.txt")) {
        const std::string& ado = b.at(Jet() ? 3 : 4).second;
        if (ado == "refused") continue;
        types.push_back(
            {b.at(0).second, b.at(1).second, std::stoi(b.at(2).second), std::stoi(ado)});
    }
    std::string sql = "CREATE TABLE t (";
    for (std::size_t i = 0; i < types.size(); ++i) {
        if (i > 0) sql += ", ";
        sql += "c" + std::to_string(i) + " " + types[i].declared;
    }
    Run(sql + ")");
    const std::vector<ColumnInfo> columns = schema().Columns("T");  // any letter case
    ASSERT_EQ(columns.size(), types.size());
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const TypeCase& c = types[i];
        EXPECT_EQ(columns[i].name, "c" + std::to_string(i));
        EXPECT_EQ(columns[i].typeName, c.typeName) << c.declared;
        EXPECT_EQ(columns[i].size, c.size) << c.declared;
        EXPECT_EQ(columns[i].adoType, c.adoType) << c.declared;
        EXPECT_TRUE(columns[i].nullable) << c.declared;
    }
}

TEST_P(SchemaTest, ReportsAddedColumnsNullabilityAndDefaults) {
    Run("CREATE TABLE 거래처마스터 (거래처코드 NVARCHAR(6) NOT NULL, 비고 NVARCHAR(10))");
    Run("ALTER TABLE 거래처마스터 ADD 주문서발송 SMALLINT NULL CONSTRAINT DF_x DEFAULT ((0)) ");
    Run("ALTER TABLE 거래처마스터 ADD 팩스결과 NVARCHAR(10)");
    const std::vector<ColumnInfo> columns = schema().Columns("거래처마스터");
    ASSERT_EQ(columns.size(), 4u);
    EXPECT_FALSE(columns[0].nullable);
    EXPECT_TRUE(columns[1].nullable);
    EXPECT_EQ(columns[2].name, "주문서발송");
    EXPECT_EQ(columns[2].defaultText, "((0))");
    EXPECT_FALSE(columns[3].defaultText.has_value());
    EXPECT_EQ(columns[3].size, 10);
}

TEST_P(SchemaTest, MissingTablesAndTheEnginesOwnTableAreNotFound) {
    for (const char* table : {"없는테이블", "dp_meta", "sqlite_master"}) {
        const DbError e = ErrorOf([&] { schema().Columns(table); });
        EXPECT_EQ(e.Number(), ErrorNumber::kItemNotFound) << table;
        EXPECT_EQ(e.Description(),
                  "Item cannot be found in the collection corresponding to the requested name or "
                  "ordinal.");
    }
    EXPECT_TRUE(schema().Indexes("없는테이블").empty());
}

TEST_P(SchemaTest, ReportsIndexesWithTheirOwnNames) {
    Run("CREATE TABLE 확장바코드 (제품코드 NVARCHAR(10) NOT NULL, 바코드코드 NVARCHAR(10) NOT "
        "NULL, "
        "상품위치 NVARCHAR(50), CONSTRAINT PK_확장바코드 PRIMARY KEY (제품코드, 바코드코드))");
    Run("CREATE INDEX 상품위치 ON 확장바코드 (상품위치)");
    Run("CREATE TABLE 사용상품 (상품위치 NVARCHAR(50))");
    Run("CREATE UNIQUE INDEX 상품위치 ON 사용상품 (상품위치)");

    // Two tables hold an index of the same name; each reports its own under that name.
    const std::vector<IndexInfo> indexes = schema().Indexes("확장바코드");
    ASSERT_EQ(indexes.size(), 2u);
    EXPECT_EQ(indexes[0].name, "PK_확장바코드");
    EXPECT_EQ(indexes[1].name, "상품위치");
    EXPECT_FALSE(indexes[1].unique);

    const std::vector<IndexInfo> other = schema().Indexes("사용상품");
    ASSERT_EQ(other.size(), 1u);
    EXPECT_EQ(other[0].name, "상품위치");
    EXPECT_TRUE(other[0].unique);
}

TEST_P(SchemaTest, UnnamedKeyGetsTheDialectsName) {
    Run("CREATE TABLE 폼버튼퍼미션 (폼코드 NVARCHAR(10) PRIMARY KEY, 폼명 NVARCHAR(40))");
    const std::vector<IndexInfo> indexes = schema().Indexes("폼버튼퍼미션");
    ASSERT_EQ(indexes.size(), 1u);
    EXPECT_EQ(indexes[0].name, Jet() ? "PrimaryKey" : "PK_폼버튼퍼미션");
    EXPECT_FALSE(schema().Columns("폼버튼퍼미션")[0].nullable);
}

TEST_P(SchemaTest, IdentityColumnsAreMarked) {
    if (Jet()) GTEST_SKIP() << "Jet has no IDENTITY";
    Run("CREATE TABLE 예약상품 (일련번호 smallint IDENTITY(1,1) NOT NULL, 비고 nvarchar(100) "
        "NULL)");
    const std::vector<ColumnInfo> columns = schema().Columns("예약상품");
    EXPECT_TRUE(columns[0].identity);
    EXPECT_EQ(columns[0].typeName, "smallint");
    EXPECT_EQ(columns[0].adoType, AdoType::kSmallInt);
    EXPECT_FALSE(columns[1].identity);
}

INSTANTIATE_TEST_SUITE_P(BothDialects, SchemaTest,
                         ::testing::Values(Dialect::Jet, Dialect::SqlServer), [](const auto& info) {
                             return info.param == Dialect::Jet ? "Jet" : "SqlServer";
                         });

}  // namespace
}  // namespace db::embedded::testing
