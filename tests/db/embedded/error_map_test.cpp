#include <gtest/gtest.h>

#include <stdexcept>

#include "db/embedded/case_file.h"
#include "db/embedded/error_map.h"
#include "db/embedded/function_support.h"

namespace db::embedded {
namespace {

// The codes and messages of tables/sqlite_errors.txt.
TEST(ErrorMapTest, NumbersFollowTheSituation) {
    for (const testing::Block& block : testing::LoadBlocks("embedded/tables/sqlite_errors.txt")) {
        const int rc = std::stoi(block.at(0).second);
        const std::string& message = block.at(1).second;
        const DbError e = MapSqliteError(rc, message);
        EXPECT_EQ(HexNumber(e.Number()), block.at(2).second) << message;
        EXPECT_EQ(e.Description(), message);
        EXPECT_EQ(e.NativeError(), rc);
    }
}

TEST(ErrorMapTest, TruncationsGetTheDialectsText) {
    const DbError check =
        MapSqliteError(SQLITE_CONSTRAINT_CHECK, "CHECK constraint failed: dp_len_a");
    EXPECT_EQ(ForDialect(check, Dialect::SqlServer).Description(),
              "String or binary data would be truncated.");
    EXPECT_NE(ForDialect(check, Dialect::Jet).Description().find("The field is too small"),
              std::string::npos);
    const DbError other = MapSqliteError(SQLITE_ERROR, "no such column: x");
    EXPECT_EQ(ForDialect(other, Dialect::Jet).Description(), "no such column: x");
}

TEST(ErrorMapTest, EmptyMessageFallsBackToTheCodesText) {
    EXPECT_FALSE(MapSqliteError(SQLITE_FULL, "").Description().empty());
}

// Whatever a SQL function throws ends its statement with an error; nothing crosses into SQLite.
void ThrowsLogicError(sqlite3_context*, int, sqlite3_value**) {
    throw std::logic_error("bad state");
}
void ThrowsSomethingElse(sqlite3_context*, int, sqlite3_value**) {
    throw 42;
}

TEST(FunctionBoundary, AnExceptionOfAnyKindBecomesTheErrorOfTheStatement) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    sqlite3_create_function_v2(db, "f1", 0, SQLITE_UTF8, nullptr, Guarded<ThrowsLogicError>,
                               nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "f2", 0, SQLITE_UTF8, nullptr, Guarded<ThrowsSomethingElse>,
                               nullptr, nullptr, nullptr);
    EXPECT_EQ(sqlite3_exec(db, "SELECT f1()", nullptr, nullptr, nullptr), SQLITE_ERROR);
    EXPECT_STREQ(sqlite3_errmsg(db), "bad state");
    EXPECT_EQ(sqlite3_exec(db, "SELECT f2()", nullptr, nullptr, nullptr), SQLITE_ERROR);
    EXPECT_STREQ(sqlite3_errmsg(db), "unexpected error in an SQL function");
    EXPECT_EQ(sqlite3_exec(db, "SELECT 1", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

}  // namespace
}  // namespace db::embedded
