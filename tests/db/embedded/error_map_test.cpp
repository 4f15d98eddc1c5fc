#include <gtest/gtest.h>

#include <stdexcept>

#include "db/embedded/error_map.h"
#include "db/embedded/function_support.h"

namespace db::embedded {
namespace {

struct Case {
    int rc;
    const char* message;
    std::int32_t number;
};

const Case kCases[] = {
    {SQLITE_ERROR, "no such table: 사용상품", ErrorNumber::kTableMissing},
    {SQLITE_ERROR, "near \"FROM\": syntax error", ErrorNumber::kSyntax},
    {SQLITE_ERROR, "duplicate column name: 표준상품", ErrorNumber::kSyntax},
    {SQLITE_ERROR, "table \"t\" already exists", ErrorNumber::kSyntax},
    {SQLITE_ERROR, "no such column: x", ErrorNumber::kSyntax},
    {SQLITE_CONSTRAINT_UNIQUE, "UNIQUE constraint failed: t.a", ErrorNumber::kConstraint},
    {SQLITE_CONSTRAINT_PRIMARYKEY, "PRIMARY KEY constraint failed", ErrorNumber::kConstraint},
    {SQLITE_CONSTRAINT_NOTNULL, "NOT NULL constraint failed: t.a", ErrorNumber::kConstraint},
    {SQLITE_BUSY, "database is locked", ErrorNumber::kTimeout},
    {SQLITE_LOCKED, "database table is locked", ErrorNumber::kTimeout},
    {SQLITE_INTERRUPT, "interrupted", ErrorNumber::kTimeout},
    {SQLITE_TOOBIG, "string or blob too big", ErrorNumber::kTruncated},
    {SQLITE_IOERR_READ, "disk I/O error", ErrorNumber::kUnspecified},
    {SQLITE_READONLY, "attempt to write a readonly database", ErrorNumber::kUnspecified},
    {SQLITE_CONSTRAINT_CHECK, "CHECK constraint failed: dp_len_제품명", ErrorNumber::kTruncated},
    {SQLITE_CONSTRAINT_CHECK, "CHECK constraint failed: ck_a", ErrorNumber::kConstraint},
    {SQLITE_ERROR, "2 values for 3 columns", ErrorNumber::kSyntax},
    {SQLITE_ERROR, "Conversion failed when converting the value 'a' to a number.",
     static_cast<std::int32_t>(0x80040E07)},
};

TEST(ErrorMapTest, NumbersFollowTheSituation) {
    for (const Case& c : kCases) {
        const DbError e = MapSqliteError(c.rc, c.message);
        EXPECT_EQ(e.Number(), c.number) << c.message;
        EXPECT_EQ(e.Description(), c.message);
        EXPECT_EQ(e.NativeError(), c.rc);
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
