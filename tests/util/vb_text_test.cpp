#include "util/vb_text.h"

#include <gtest/gtest.h>

namespace util {
namespace {

TEST(VbTextTest, TrimRemovesSpacesOnly) {
    EXPECT_EQ(Trim("  a b  "), "a b");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(Trim("\ta\t"), "\ta\t");
    EXPECT_EQ(Trim(" 가 "), "가");
}

}  // namespace
}  // namespace util
