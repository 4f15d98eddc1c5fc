#include "host/codepage.h"

#include <gtest/gtest.h>

#include "host/case_table.h"

namespace host {
namespace {

using host_test::CaseRow;
using host_test::LoadCaseTable;
constexpr const char* kCases = "host/cases/codepage.txt";

TEST(Codepage, ConvertsBothWays) {
    for (const CaseRow& c : LoadCaseTable(kCases, "round trips")) {
        SCOPED_TRACE(c.where);
        EXPECT_EQ(Utf8ToCp949(c[0]), c[1]);
        EXPECT_EQ(Cp949ToUtf8(c[1]), c[0]);
        EXPECT_EQ(Cp949ToUtf8Lossy(c[1]), c[0]);
        EXPECT_EQ(AnsiByteLength(c[0]), static_cast<int>(c[1].size()));
    }
}

TEST(Codepage, UnrepresentableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToCp949("a😀b"), "a?b");
    EXPECT_EQ(Utf8ToCp949("\xFF가"), "?\xB0\xA1");  // a malformed byte is one '?'
    EXPECT_EQ(AnsiByteLength("😀"), 1);
}

TEST(Codepage, InvalidCp949IsRejectedOrReplaced) {
    EXPECT_FALSE(Cp949ToUtf8("\xB0").has_value());  // lead byte without trail byte
    EXPECT_FALSE(Cp949ToUtf8("a\xFF").has_value());
    for (const CaseRow& c : LoadCaseTable(kCases, "lossy")) {
        EXPECT_EQ(Cp949ToUtf8Lossy(c[0]), c[1]) << c.where;
    }
}

// Bytes that are no character survive the round trip, each as U+F700 + byte, and count one byte.
TEST(Codepage, ReversibleDecodingKeepsEveryByte) {
    for (const CaseRow& c : LoadCaseTable(kCases, "reversible")) {
        EXPECT_EQ(Utf8ToCp949(Cp949ToUtf8Reversible(c[0])), c[0]) << c.where;
        EXPECT_EQ(AnsiByteLength(Cp949ToUtf8Reversible(c[0])), static_cast<int>(c[0].size()));
    }
    EXPECT_EQ(Cp949ToUtf8Reversible("a\xA2\xE8\xB0\xAAZ"), "a\uF7A2\uF7E8값Z");
}

TEST(Codepage, ValidatesUtf8AndTruncatesAtCharacterBoundaries) {
    for (const CaseRow& c : LoadCaseTable(kCases, "valid utf-8")) {
        EXPECT_TRUE(IsValidUtf8(c[0])) << c.where;
    }
    for (const CaseRow& c : LoadCaseTable(kCases, "invalid utf-8")) {
        EXPECT_FALSE(IsValidUtf8(c[0])) << c.where;
    }
    for (const CaseRow& c : LoadCaseTable(kCases, "truncate")) {
        EXPECT_EQ(TruncateToAnsiBytes(c[0], std::stoul(c[1])), c[2]) << c.where;
    }
}

}  // namespace
}  // namespace host
