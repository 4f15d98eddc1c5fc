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
};

TEST(ErrorMapTest, NumbersFollowTheSituation) {
    for (const Case& c : kCases) {
        const DbError e = MapSqliteError(c.rc, c.message);
        EXPECT_EQ(e.Number(), c.number) << c.message;
        EXPECT_EQ(e.Description(), c.message);
        EXPECT_EQ(e.NativeError(), c.rc);
    }
}

TEST(ErrorMapTest, EmptyMessageFallsBackToTheCodesText) {
    EXPECT_FALSE(MapSqliteError(SQLITE_FULL, "").Description().empty());
}

}  // namespace
}  // namespace db::embedded
