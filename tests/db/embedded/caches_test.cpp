// The engine's caches: least recently used entries, and prepared statements kept for reuse while
// the ones run once are finalized.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>
#include <string>

#include "db/embedded/lru_cache.h"
#include "db/embedded/statement_cache.h"

namespace db::embedded {
namespace {

TEST(LruCacheTest, DropsTheLeastRecentlyUsedBeyondCapacity) {
    LruCache<int> cache(2);
    cache.Put("a", 1);
    cache.Put("b", 2);
    ASSERT_NE(cache.Find("a"), nullptr);  // "a" is now the most recent
    cache.Put("c", 3);
    EXPECT_EQ(cache.Size(), 2u);
    EXPECT_EQ(cache.Find("b"), nullptr);
    EXPECT_EQ(*cache.Find("a"), 1);
    EXPECT_EQ(*cache.Find("c"), 3);
}

TEST(LruCacheTest, TakeRemovesAndPutReplaces) {
    LruCache<std::string> cache(3);
    cache.Put("k", "old");
    cache.Put("k", "new");
    EXPECT_EQ(cache.Size(), 1u);
    EXPECT_EQ(cache.Take("k"), std::optional<std::string>("new"));
    EXPECT_EQ(cache.Take("k"), std::nullopt);
    EXPECT_EQ(cache.Size(), 0u);
}

DatabaseHandle MemoryDatabase() {
    sqlite3* db = nullptr;
    sqlite3_open(":memory:", &db);
    return AdoptDatabase(db);
}

int Step(const StatementLease& lease) {
    const int rc = sqlite3_step(lease.get());
    return rc == SQLITE_ROW ? sqlite3_column_int(lease.get(), 0) : -1;
}

TEST(StatementCacheTest, KeptStatementsAreReusedAndOneOffsAreNot) {
    const DatabaseHandle db = MemoryDatabase();
    auto cache = std::make_shared<StatementCache>(db.get(), 4);
    sqlite3_stmt* first = nullptr;
    {
        StatementLease lease = cache->Lease("SELECT 1");
        first = lease.get();
        EXPECT_EQ(Step(lease), 1);
    }
    EXPECT_EQ(cache->Size(), 1u);
    {
        // Back from the cache, reset: it runs from the start again.
        StatementLease lease = cache->Lease("SELECT 1");
        EXPECT_EQ(lease.get(), first);
        EXPECT_EQ(Step(lease), 1);
    }
    {
        StatementLease lease = cache->Lease("SELECT 2", false);
        EXPECT_EQ(Step(lease), 2);
    }
    EXPECT_EQ(cache->Size(), 1u);
    // Every statement is finalized by now or kept: the connection closes cleanly.
    int open = 0;
    for (sqlite3_stmt* s = sqlite3_next_stmt(db.get(), nullptr); s;
         s = sqlite3_next_stmt(db.get(), s)) {
        ++open;
    }
    EXPECT_EQ(open, 1);
}

}  // namespace
}  // namespace db::embedded
