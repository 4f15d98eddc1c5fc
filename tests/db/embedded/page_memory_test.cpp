// SQLite's page caches in their own region: rows written, rewritten and read back through a cache
// far larger and far smaller than the table come back unchanged.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <string>

#include "db/embedded/page_memory.h"
#include "db/embedded/sqlite_handle.h"

namespace db::embedded {
namespace {

std::string One(sqlite3* db, const std::string& sql) {
    std::string value;
    QueryRows(db, sql, {}, [&](sqlite3_stmt* s) { value = ColumnText(s, 0); });
    return value;
}

// Runs in a child process: the region can only be set up before SQLite is.
void WorkThroughTheRegion() {
    sqlite3_shutdown();
    if (!UsePageRegion()) std::_Exit(2);
    sqlite3* db = nullptr;
    if (sqlite3_open(":memory:", &db) != SQLITE_OK) std::_Exit(3);
    ExecPlain(db, "CREATE TABLE t (n INTEGER PRIMARY KEY, v TEXT)");
    ExecPlain(db,
              "WITH RECURSIVE k(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM k WHERE n < 20000) "
              "INSERT INTO t SELECT n, printf('%0300d', n) FROM k");
    ExecPlain(db, "CREATE INDEX t_v ON t (v)");
    ExecPlain(db, "DELETE FROM t WHERE n % 3 = 0");
    ExecPlain(db, "PRAGMA cache_size = 50");  // pages leave the cache and come back
    ExecPlain(db, "VACUUM");
    const bool intact = One(db, "PRAGMA integrity_check") == "ok" &&
                        One(db, "SELECT count(*) FROM t") == "13334" &&
                        One(db, "SELECT sum(CAST(v AS INTEGER) = n) FROM t") == "13334";
    sqlite3_close(db);
    std::_Exit(intact ? 0 : 1);
}

TEST(PageRegionTest, TheEngineWorksWithItsPagesInTheRegion) {
    EXPECT_EXIT(WorkThroughTheRegion(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace db::embedded
