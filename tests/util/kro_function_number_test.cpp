#include <gtest/gtest.h>

#include "util/kro_function.h"

namespace util {
namespace {

TEST(NMPercentTest, IntegerPartOrAHundred) {
    static const struct {
        std::int32_t a, b;
        double expected;
    } kCases[] = {
        {200, 50, 25},
        {0, 50, 100},
        {50, 0, 100},
        {120, 5, 4},
        {3, 1, 33},
        {-3, 1, -34},
        {2147483647, 2147483647, 100},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(Kro_Function::NMPercent(c.a, c.b), c.expected) << c.a << ", " << c.b;
}

TEST(NMRoundTest, HalfAwayFromZeroOnTheWrittenValue) {
    static const struct {
        double value;
        int digits;
        double expected;
    } kCases[] = {
        {2.675, 2, 2.68}, {-2.675, 2, -2.68}, {2.5, 0, 3},        {-2.5, 0, -3},
        {1.005, 2, 1.01}, {99.95, 1, 100},    {1234.5, -2, 1200}, {0.4, 0, 0},
        {0.6, 0, 1},      {0.04, 0, 0},       {12.34, 5, 12.34},  {0, 2, 0},
    };
    for (const auto& c : kCases)
        EXPECT_DOUBLE_EQ(Kro_Function::NMRound(c.value, c.digits), c.expected)
            << c.value << " to " << c.digits;
}

TEST(NMPercentValueTest, PercentOfACurrencyAmount) {
    EXPECT_EQ(Kro_Function::NMPercentValue(Currency{10000000}, 15), Currency{1500000});
    EXPECT_EQ(Kro_Function::NMPercentValue(Currency{333}, 10), Currency{33});
    EXPECT_EQ(Kro_Function::NMPercentValue(Currency{10000}, -10), Currency{-1000});
}

TEST(NM한글금액Test, AmountsInWords) {
    static const struct {
        Variant amount;
        const char* words;
    } kCases[] = {
        {12345, "일만이천삼백사십오"},
        {0, "영"},
        {100000000, "일억"},
        {10010, "일만일십"},
        {-5, "마이너스오"},
        {std::int64_t{1000000000000}, "일조"},
        {"2,000,500", "이백만오백"},
        {Currency{15000}, "이"},  // 1.5 rounds half to even
        {Variant::MakeNull(), "영"},
    };
    for (const auto& c : kCases) EXPECT_EQ(Kro_Function::NM한글금액(c.amount), c.words) << c.words;
    EXPECT_FALSE(Kro_Function::NM한글금액(std::numeric_limits<std::int64_t>::min()).empty());
}

TEST(SRFormatTest, NumbersWithThousandsSeparators) {
    static const struct {
        Variant value;
        int decimals;
        const char* expected;
    } kCases[] = {
        {1234567, 0, "1,234,567"}, {1234.5678, 2, "1,234.57"},
        {-1234.5, 0, "-1,235"},    {-0.4, 0, "0"},
        {" 999 ", 0, "999"},       {12, 2, "12.00"},
        {" abc ", 0, "abc"},       {Variant::MakeNull(), 0, ""},
        {1.5, 9, "1.5000"},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(Kro_Function::SRFormat(c.value, c.decimals), Variant(c.expected)) << c.expected;
    EXPECT_EQ(Kro_Function::SRFormat_Money(" 1234.5 "), Variant("1,235"));
}

}  // namespace
}  // namespace util
