#include "db/odbc/wide_text.h"

#include <gtest/gtest.h>

namespace db::odbc {
namespace {

TEST(WideText, RoundTripsKoreanAndCharactersBeyondTheBasicPlane) {
    static const char* const kTexts[] = {"", "abc", "한국 약국", "é", "😀 emoji", "A\x7F"};
    for (const char* text : kTexts) {
        EXPECT_EQ(Utf8FromUtf16(Utf16FromUtf8(text)), text) << text;
    }
    EXPECT_EQ(Utf16FromUtf8("한글"), u"한글");
    EXPECT_EQ(Utf16FromUtf8("😀"), u"\xD83D\xDE00");
}

TEST(WideText, ReplacesMalformedInput) {
    static const std::pair<std::string_view, std::u16string_view> kUtf8Cases[] = {
        {"\xFF", u"\xFFFD"},
        {"a\xED\x95", u"a\xFFFD"},      // cut short
        {"\xC0\xAF", u"\xFFFD\xFFFD"},  // overlong '/'
        {"\xED\xA0\x80", u"\xFFFD"},    // an encoded surrogate
        {"\xED\x95"
         "A",
         u"\xFFFD"
         "A"},  // continuation missing
    };
    for (const auto& [input, expected] : kUtf8Cases) {
        EXPECT_EQ(Utf16FromUtf8(input), expected);
    }
    EXPECT_EQ(Utf8FromUtf16(u"\xD83D"), "\xEF\xBF\xBD");  // lone high surrogate
    EXPECT_EQ(Utf8FromUtf16(u"\xDE00"
                            "a"),
              "\xEF\xBF\xBD"
              "a");  // lone low surrogate
}

}  // namespace
}  // namespace db::odbc
