#include "db/embedded/text_order.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "db/embedded/case_file.h"
#include "db/embedded/sqlite_handle.h"

namespace db::embedded {
namespace {

int Sign(int v) {
    return (v > 0) - (v < 0);
}

// The pairs of tables/text_order.txt.
TEST(TextOrderTest, ComparesAsPaddedWithBlanksAndWithoutLetterCase) {
    for (const testing::Block& block : testing::LoadBlocks("embedded/tables/text_order.txt")) {
        for (const auto& [key, pair] : block) {
            const std::size_t bar = pair.find('|'), last = pair.rfind('|');
            const std::string a = pair.substr(0, bar), b = pair.substr(bar + 1, last - bar - 1);
            const int order = std::stoi(pair.substr(last + 1));
            EXPECT_EQ(Sign(CompareServerText(a, b)), order) << a << " / " << b;
            EXPECT_EQ(Sign(CompareServerText(b, a)), -order) << b << " / " << a;
        }
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
