#include "util/byte_text.h"

#include <gtest/gtest.h>

namespace util {
namespace {

// Hangul cuts are covered through SRMidH/SRLeftH/SRRightH; these are the characters outside it.
TEST(ByteTextTest, CharactersOutsideTheCodePageCountOneByte) {
    EXPECT_EQ(ByteLength("a😀가"), 4);  // 😀 becomes one '?'
    EXPECT_EQ(SliceBytes("a😀b", 1, 1), "😀");
    EXPECT_EQ(SliceBytes("a\xFF"
                         "b",
                         1, 2),
              "\xFF"
              "b");  // a stray byte is kept whole
    EXPECT_EQ(SliceBytes("abc", -2, 2), "ab");
}

}  // namespace
}  // namespace util
