#include "util/progress_strip.h"

#include <gtest/gtest.h>

namespace util {
namespace {

TEST(CtPicProgressTest, PercentIsHeldToTheStrip) {
    static const struct {
        Variant percent;
        int expected;
    } kCases[] = {
        {50, 50},       {0, 0},     {-5, 0},
        {150, 100},     {4.5, 4},   {99.6, 100},
        {"33", 33},     {"abc", 0}, {Variant::MakeNull(), 0},
        {Variant(), 0},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(CtPicProgress(c.percent, "120 / 5건 [ 바코드 ]"),
                  (ProgressStrip{c.expected, "120 / 5건 [ 바코드 ]"}))
            << c.percent.AsText();
    }
}

TEST(CtPicProgressTest, DrawsIntoAWindowModel) {
    ProgressStrip strip{70, "old"};
    CtPicProgress(strip, 100.0, "0 / 0건 ");
    EXPECT_EQ(strip, (ProgressStrip{100, "0 / 0건 "}));
}

}  // namespace
}  // namespace util
