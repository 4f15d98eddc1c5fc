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

TEST(SqlTextTest, NameIsBracketedOnlyWhenPlain) {
    const std::optional<std::string> refused;
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"CONFIG0000000002", "[CONFIG0000000002]"},
        {"사용상품", "[사용상품]"},
        {"_x9", "[_x9]"},
        {std::string(128, 'A'), "[" + std::string(128, 'A') + "]"},
        {"", refused},
        {std::string(129, 'A'), refused},
        {"CONFIG;DELETE FROM 사용상품;--", refused},
        {"CONFIG]", refused},
        {"dbo.CONFIG", refused},
        {"CONFIG 2", refused},
        {"CONFIG'", refused},
        {std::string("CON\0FIG", 7), refused},
        {"CONFIG\xB0", refused},    // a lone continuation byte
        {"\xED\xA0\x80", refused},  // a surrogate
        {"\xC0\xBB", refused},      // an overlong ';'
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(util::SqlName(in), out) << in;
}

}  // namespace
