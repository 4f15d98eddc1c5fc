// The ODBC engine against Debian's SQLite ODBC driver: what the engine must do about that
// driver's ways (declared names, keys without a name) and about ODBC itself (pattern arguments).
// Its general errors and cursors are in the conformance tests, long texts in the text calls'.
#include <gtest/gtest.h>

#include "db/embedded/session_helpers.h"
#include "db/error.h"
#include "db/odbc/odbc.h"
#include "db/odbc/sqlite_odbc.h"

namespace db::odbc {
namespace {

class SqliteOdbc : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(
            odbc_test::SqliteConnectionString(folder_.Path() / "store.sqlite", connection_));
        session_ = Open(connection_, Dialect::SqlServer, 5);
    }

    std::int64_t Run(std::string_view sql) { return session_->Execute(sql, 30).affected; }

    odbc_test::ScratchFolder folder_;
    std::string connection_;
    std::unique_ptr<Session> session_;
};

TEST_F(SqliteOdbc, AMissingDriverFailsAsAConnectionError) {
    const DbError error = embedded::testing::ErrorOf(
        [] { Open("Driver=/nonexistent/libnothing.so;Database=x", Dialect::SqlServer, 5); });
    EXPECT_EQ(error.Number(), ErrorNumber::kUnspecified);
    EXPECT_NE(error.Description().find("연결을"), std::string::npos) << error.Description();
    EXPECT_NE(error.Description().find("libnothing.so"), std::string::npos);
    EXPECT_FALSE(error.SqlState().empty());
}

TEST_F(SqliteOdbc, TableNamesAreNotSearchPatterns) {
    Run("CREATE TABLE [a_b] ([x] INT)");
    Run("CREATE TABLE [axb] ([y] INT)");
    Run("CREATE TABLE [c%] ([z] INT)");
    Run("CREATE INDEX [ix_axb] ON [axb] ([y])");
    Schema& schema = session_->SchemaInfo();
    const std::vector<ColumnInfo> columns = schema.Columns("A_B");
    ASSERT_EQ(columns.size(), 1u);
    EXPECT_EQ(columns[0].name, "x");
    EXPECT_EQ(schema.Columns("c%").size(), 1u);
    EXPECT_TRUE(schema.Indexes("a_b").empty());
    EXPECT_EQ(schema.Indexes("axb").size(), 1u);
    // A missing table, or one that a pattern would match, is not found.
    for (const char* table : {"없는표", "a%", "%"}) {
        EXPECT_EQ(embedded::testing::ErrorOf([&] { schema.Indexes(table); }).Number(),
                  ErrorNumber::kItemNotFound)
            << table;
        EXPECT_EQ(embedded::testing::ErrorOf([&] { schema.Columns(table); }).Number(),
                  ErrorNumber::kItemNotFound)
            << table;
    }
}

TEST_F(SqliteOdbc, TheKeyIsFoundWithoutAKeyName) {
    Run("CREATE TABLE [t] ([a] INT NOT NULL, [b] INT NOT NULL, [c] INT, "
        "CONSTRAINT [PK_t] PRIMARY KEY ([a], [b]))");
    Run("CREATE UNIQUE INDEX [ux_t_c] ON [t] ([c])");
    const std::vector<IndexInfo> indexes = session_->SchemaInfo().Indexes("t");
    ASSERT_EQ(indexes.size(), 2u);
    for (const IndexInfo& index : indexes) {
        EXPECT_TRUE(index.unique) << index.name;
        EXPECT_EQ(index.primaryKey, index.name != "ux_t_c") << index.name;
        if (index.primaryKey) {
            EXPECT_EQ(index.columns, (std::vector<std::string>{"a", "b"}));
        }
    }
}

TEST_F(SqliteOdbc, DefaultsAndTypeNamesComeFromTheDeclaration) {
    Run("CREATE TABLE [t] ([a] TEXT(40) DEFAULT '없음', [b] DECIMAL(10,2) NOT NULL)");
    const std::vector<ColumnInfo> columns = session_->SchemaInfo().Columns("t");
    ASSERT_EQ(columns.size(), 2u);
    EXPECT_EQ(columns[0].typeName, "TEXT");
    EXPECT_EQ(columns[0].size, 40);
    ASSERT_TRUE(columns[0].defaultText.has_value());
    EXPECT_NE(columns[0].defaultText->find("없음"), std::string::npos);  // the driver unquotes
    EXPECT_TRUE(columns[0].nullable);
    EXPECT_EQ(columns[1].typeName, "DECIMAL");
    EXPECT_EQ(columns[1].size, 10);
    EXPECT_EQ(columns[1].adoType, AdoType::kNumeric);
    EXPECT_FALSE(columns[1].nullable);
}

}  // namespace
}  // namespace db::odbc
