#include "host/codepage.h"

#include <gtest/gtest.h>

namespace host {
namespace {

using namespace std::string_view_literals;

struct CodepageCase {
    std::string_view utf8;
    std::string_view cp949;
};

// Includes UHC-extension syllables whose second byte is an ASCII letter ("똠" 8C 63, "똂" 8C 43).
constexpr CodepageCase kRoundTrips[] = {
    {"", ""},
    {"NVConfig.INI", "NVConfig.INI"},
    {"한글", "\xC7\xD1\xB1\xDB"},
    {"가=1", "\xB0\xA1=1"},
    {"똠", "\x8C\x63"},
    {"똂", "\x8C\x43"},
    {"매장A",
     "\xB8\xC5\xC0\xE5"
     "A"},
};

TEST(Codepage, ConvertsBothWays) {
    for (const CodepageCase& c : kRoundTrips) {
        EXPECT_EQ(Utf8ToCp949(c.utf8), c.cp949) << c.utf8;
        EXPECT_EQ(Cp949ToUtf8(c.cp949), std::string(c.utf8)) << c.utf8;
        EXPECT_EQ(Cp949ToUtf8Lossy(c.cp949), c.utf8) << c.utf8;
        EXPECT_EQ(AnsiByteLength(c.utf8), static_cast<int>(c.cp949.size())) << c.utf8;
    }
}

TEST(Codepage, UnrepresentableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToCp949("a😀b"), "a?b");
    EXPECT_EQ(Utf8ToCp949("\xFF"
                          "가"),
              "?\xB0\xA1");  // a malformed byte is one '?'
    EXPECT_EQ(AnsiByteLength("😀"), 1);
}

TEST(Codepage, InvalidCp949IsRejectedOrReplaced) {
    EXPECT_FALSE(Cp949ToUtf8("\xB0").has_value());  // lead byte without trail byte
    EXPECT_FALSE(Cp949ToUtf8("a\xFF"
                             "b")
                     .has_value());
    EXPECT_EQ(Cp949ToUtf8Lossy("a\xFF"
                               "b\xB0"),
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");
    EXPECT_EQ(Cp949ToUtf8Lossy("x\0y"sv), "x\0y"sv);
    // A2 E8 is a well-formed but unassigned pair: one replacement, and the characters after it
    // (here 값, B0 AA) are kept whole.
    EXPECT_EQ(Cp949ToUtf8Lossy("a\xA2\xE8"
                               "\xB0\xAAZ"),
              "a\xEF\xBF\xBD"
              "값Z");
    EXPECT_EQ(Cp949ToUtf8Lossy("[\xA2\xE8"), "[\xEF\xBF\xBD");
    EXPECT_EQ(Cp949ToUtf8Lossy("\xB0\x20\xFF\x80"), "\xEF\xBF\xBD \xEF\xBF\xBD\xEF\xBF\xBD");
}

// Bytes that are no character survive the round trip, each as U+F700 + byte, and count one byte.
TEST(Codepage, ReversibleDecodingKeepsEveryByte) {
    const std::string_view bytes[] = {"a\xA2\xE8\xB0\xAAZ"sv, "\xB0\x20\xFF\x80"sv,
                                      "\xB0\x41\xFE"sv, "\xB0"sv, "x\0\x81\x5B]"sv};
    for (const std::string_view b : bytes) {
        EXPECT_EQ(Utf8ToCp949(Cp949ToUtf8Reversible(b)), b);
        EXPECT_EQ(AnsiByteLength(Cp949ToUtf8Reversible(b)), static_cast<int>(b.size()));
    }
    EXPECT_EQ(Cp949ToUtf8Reversible("a\xA2\xE8\xB0\xAAZ"), "a\uF7A2\uF7E8값Z");
}

TEST(Codepage, ValidatesUtf8) {
    const std::string_view valid[] = {""sv, "abc"sv, "한글"sv, "\xF0\x9F\x98\x80"sv, "a\0b"sv};
    const std::string_view invalid[] = {
        "\xC7\xD1"sv,          // CP949 한
        "\xC0\x80"sv,          // overlong NUL
        "\xE0\x80\xAF"sv,      // overlong '/'
        "\xED\xA0\x80"sv,      // surrogate
        "\xF4\x90\x80\x80"sv,  // above U+10FFFF
        "\xEA\xB0"sv,          // cut short
        "\x80"sv,
    };
    for (const std::string_view text : valid) EXPECT_TRUE(IsValidUtf8(text)) << text;
    for (const std::string_view text : invalid) EXPECT_FALSE(IsValidUtf8(text)) << text;
}

TEST(Codepage, TruncatesAtCharacterBoundaries) {
    struct Case {
        std::string_view text;
        std::size_t maxBytes;
        std::string_view prefix;
    };
    const Case cases[] = {
        {"abc", 2, "ab"}, {"가나다", 3, "가"}, {"가나다", 4, "가나"}, {"a가", 2, "a"},
        {"가", 1, ""},    {"가a", 100, "가a"}, {"ab", 0, ""},         {"😀a", 1, "😀"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TruncateToAnsiBytes(c.text, c.maxBytes), c.prefix)
            << c.text << " / " << c.maxBytes;
    }
}

}  // namespace
}  // namespace host
