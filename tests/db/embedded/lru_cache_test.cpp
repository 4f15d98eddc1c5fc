#include <gtest/gtest.h>

#include <string>

#include "db/embedded/lru_cache.h"

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

}  // namespace
}  // namespace db::embedded
