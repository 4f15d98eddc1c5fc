#include "util/variant.h"

#include <gtest/gtest.h>

#include "util/date_serial.h"

namespace util {
namespace {

TEST(ParseNumberTest, AcceptsWhatIsNumericAccepts) {
    static const struct {
        const char* text;
        double expected;
    } kCases[] = {
        {" 12 ", 12},  {"-1.5", -1.5}, {"+7", 7},      {"1,000", 1000}, {"1,234.5", 1234.5},
        {"1e3", 1000}, {"2D2", 200},   {"1.", 1},      {".5", 0.5},     {"&H1F", 31},
        {"\t3\t", 3},  {"-&H10", -16}, {"1E-2", 0.01}, {"007", 7},
    };
    for (const auto& c : kCases) {
        double out = -999;
        EXPECT_TRUE(ParseNumber(c.text, out)) << c.text;
        EXPECT_DOUBLE_EQ(out, c.expected) << c.text;
    }
}

TEST(ParseNumberTest, RejectsTextThatIsNoNumber) {
    static const char* const kCases[] = {"",  " ",  "abc", "12abc", "1e",    "-",
                                         ".", ",1", "1 2", "&H",    "1.2.3", "가"};
    for (const char* text : kCases) {
        double out = -999;
        EXPECT_FALSE(ParseNumber(text, out)) << text;
        EXPECT_EQ(out, -999) << text;
    }
}

TEST(ValTest, TakesTheLeadingNumberIgnoringBlanks) {
    static const struct {
        const char* text;
        double expected;
    } kCases[] = {
        {"12abc", 12}, {" 1 2", 12},  {"1,000", 1}, {"-3.5e2x", -350}, {"abc", 0},
        {"1e", 1},     {"&HFF", 255}, {"", 0},      {" 12 ", 12},      {"-", 0},
    };
    for (const auto& c : kCases) EXPECT_DOUBLE_EQ(Val(c.text), c.expected) << c.text;
}

TEST(VariantTest, AsTextWritesNumbersAsCStrDoes) {
    static const struct {
        Variant value;
        const char* expected;
    } kCases[] = {
        {0.1 + 0.2, "0.3"},
        {1e15, "1E+15"},
        {123456789012345.0, "123456789012345"},
        {1234567890123456.0, "1.23456789012346E+15"},
        {0.0001, "0.0001"},
        {0.00001, "1E-05"},
        {100.0, "100"},
        {Currency{-2500}, "-0.25"},
        {Currency{120000}, "12"},
        {true, "True"},
        {Variant::MakeNull(), ""},
        {MakeDateTime({2020, 12, 21, 10, 5, 0}), "2020-12-21 10:05:00"},
    };
    for (const auto& c : kCases) EXPECT_EQ(c.value.AsText(), c.expected) << c.expected;
}

TEST(VariantTest, AsIntRoundsHalfToEven) {
    static const struct {
        Variant value;
        std::int64_t expected;
    } kCases[] = {
        {2.5, 2},
        {3.5, 4},
        {-2.5, -2},
        {Currency{25000}, 2},
        {Currency{-35000}, -4},
        {Currency{-25001}, -3},
        {" 2.5 ", 2},
        {true, -1},
    };
    for (const auto& c : kCases) EXPECT_EQ(c.value.AsInt(), c.expected) << c.value.AsText();
}

TEST(VariantTest, ConversionsOfTextAndBooleans) {
    EXPECT_DOUBLE_EQ(Variant("1,234.5").AsDouble(), 1234.5);
    EXPECT_DOUBLE_EQ(Variant("x").AsDouble(), 0);
    EXPECT_EQ(Variant(" 12 ").AsCurrency(), Currency{120000});
    EXPECT_EQ(Variant(true).AsCurrency(), Currency{-10000});

    EXPECT_TRUE(Variant("true").AsBool());
    EXPECT_FALSE(Variant(" FALSE ").AsBool());
    EXPECT_TRUE(Variant("2").AsBool());
    EXPECT_FALSE(Variant("abc").AsBool());
}

TEST(VariantTest, IsNumericByKind) {
    EXPECT_FALSE(Variant().IsNumeric());
    EXPECT_FALSE(Variant::MakeNull().IsNumeric());
    EXPECT_FALSE(Variant(DateTime{44186}).IsNumeric());
    EXPECT_TRUE(Variant(false).IsNumeric());
    EXPECT_TRUE(Variant(Currency{1}).IsNumeric());
    EXPECT_TRUE(Variant(" 1e3 ").IsNumeric());
    EXPECT_FALSE(Variant("1e3x").IsNumeric());
}

TEST(CurrencyTest, FromDoubleKeepsFourDecimals) {
    EXPECT_EQ(Currency::FromDouble(1.23456).scaled, 12346);
    EXPECT_EQ(Currency::FromDouble(-1.23454).scaled, -12345);
    EXPECT_EQ(Currency::FromDouble(12).scaled, 120000);
    EXPECT_EQ(Currency::FromDouble(1e300).scaled, std::numeric_limits<std::int64_t>::max());
    EXPECT_DOUBLE_EQ(Currency{123456}.ToDouble(), 12.3456);
}

}  // namespace
}  // namespace util
