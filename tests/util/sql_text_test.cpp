#include "util/sql_text.h"

#include <gtest/gtest.h>

namespace {

using util::Variant;

TEST(SqlTextTest, QuotedDoublesEveryApostrophe) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "''"},
        {"하로나약국", "'하로나약국'"},
        {"It's", "'It''s'"},
        {"''", "''''''"},
        {"'; DROP TABLE CONFIG; --", "'''; DROP TABLE CONFIG; --'"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(util::SqlQuoted(in), out) << in;
}

TEST(SqlTextTest, QuotedValueWritesTheValuesText) {
    EXPECT_EQ(util::SqlQuotedValue(Variant::MakeNull()), "''");
    EXPECT_EQ(util::SqlQuotedValue(Variant()), "''");
    EXPECT_EQ(util::SqlQuotedValue(Variant(12)), "'12'");
    EXPECT_EQ(util::SqlQuotedValue(Variant("O'Neil")), "'O''Neil'");
}

TEST(SqlTextTest, NumberIsBareOrTheNullText) {
    const std::pair<Variant, const char*> cases[] = {
        {Variant(0), "0"},
        {Variant(-42), "-42"},
        {Variant(2.5), "2.5"},
        {Variant(true), "-1"},
        {Variant(false), "0"},
        {Variant(" 17 "), "17"},
        {Variant("1; DELETE FROM CONFIG"), "Null"},
        {Variant("abc"), "Null"},
        {Variant::MakeNull(), "Null"},
        {Variant(), "Null"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(util::SqlNumber(in), out) << in.AsText();
    EXPECT_EQ(util::SqlNumber(Variant::MakeNull(), "0"), "0");
}

}  // namespace
