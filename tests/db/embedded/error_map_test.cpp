#include <gtest/gtest.h>

#include "db/embedded/error_map.h"

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

}  // namespace
}  // namespace db::embedded
