#include "db/embedded/text_order.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "db/embedded/sqlite_handle.h"

namespace db::embedded {
namespace {

int Sign(int v) {
    return (v > 0) - (v < 0);
}

TEST(TextOrderTest, ComparesAsPaddedWithBlanksAndWithoutLetterCase) {
    struct Case {
        const char* a;
        const char* b;
        int order;
    };
    const Case cases[] = {
        {"C09", "C09 ", 0}, {"c09  ", "C09", 0}, {"", "   ", 0},     {"ab", "ab!", -1},
        {"ab ", "ab!", -1}, {"ab", "ab\t", -1},  {"abc", "abd", -1}, {"A1", "a2", -1},
        {"b1", "B2", -1},   {"B", "a", 1},       {"가", "나 ", -1},  {"가 ", "가", 0},
        {"_", "a", -1},     {"Z", "_", 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Sign(CompareServerText(c.a, c.b)), c.order) << c.a << " / " << c.b;
        EXPECT_EQ(Sign(CompareServerText(c.b, c.a)), -c.order) << c.b << " / " << c.a;
    }
}

// NOCASE replaced on a connection keeps serving the indexes made with it: a search by a value
// with trailing blanks is still a search of the index, and finds the row.
TEST(TextOrderTest, IndexesOfNocaseColumnsServeTheReplacedComparison) {
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &raw), SQLITE_OK);
    DatabaseHandle db = AdoptDatabase(raw);
    RegisterServerCollation(db.get());
    ExecPlain(db.get(), "CREATE TABLE t (code TEXT COLLATE NOCASE, n INTEGER)");
    ExecPlain(db.get(), "CREATE INDEX ix ON t (code)");
    ExecPlain(db.get(),
              "WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < 500) "
              "INSERT INTO t SELECT printf('C%03d', i), i FROM k");
    std::string plan;
    QueryRows(db.get(), "EXPLAIN QUERY PLAN SELECT n FROM t WHERE code = 'c009  '", {},
              [&](sqlite3_stmt* s) { plan += ColumnText(s, 3) + "\n"; });
    EXPECT_NE(plan.find("USING INDEX ix"), std::string::npos) << plan;
    std::vector<std::string> found;
    QueryRows(db.get(), "SELECT n FROM t WHERE code = 'c009  '", {},
              [&](sqlite3_stmt* s) { found.push_back(ColumnText(s, 0)); });
    EXPECT_EQ(found, std::vector<std::string>{"9"});
}

}  // namespace
}  // namespace db::embedded
