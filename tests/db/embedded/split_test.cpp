// The record splitter of parameter texts: records end with "$", fields with "#".
#include <gtest/gtest.h>

#include "db/embedded/routine_split.h"

namespace db::embedded {
namespace {

// The fields of each record up to its last non-empty one.
std::vector<std::vector<std::string>> Split(std::string_view text) {
    std::vector<std::vector<std::string>> out;
    for (const SplitRecord& record : SplitParameterText(text)) {
        std::size_t used = record.size();
        while (used > 0 && record[used - 1].empty()) --used;
        out.emplace_back(record.begin(), record.begin() + static_cast<std::ptrdiff_t>(used));
    }
    return out;
}

struct SplitCase {
    const char* text;
    std::vector<std::vector<std::string>> records;
};

TEST(SplitParameterTextTest, SplitsRecordsAndFields) {
    const SplitCase kCases[] = {
        {"a#b#$d#$", {{"a", "b"}, {"d"}}},
        {"", {}},
        {"   ", {}},
        {"$", {{}}},
        {"a#$$b#$", {{"a"}, {}, {"b"}}},
        {"a##c#$", {{"a", "", "c"}}},
        // An unterminated tail is a last field or record all the same.
        {"a#b", {{"a", "b"}}},
        {"a#$b", {{"a"}, {"b"}}},
        {"a#$b#c", {{"a"}, {"b", "c"}}},
        // Blanks alone end the text and the record; blanks inside a field stay.
        {"a#$  ", {{"a"}}},
        {"a#  ", {{"a"}}},
        {" a #  #b#$", {{" a ", "  ", "b"}}},
        {"20201221#000001#P000000001#20201130#0001#$",
         {{"20201221", "000001", "P000000001", "20201130", "0001"}}},
        {"제품#상품위치#$", {{"제품", "상품위치"}}},
    };
    for (const SplitCase& c : kCases) {
        EXPECT_EQ(Split(c.text), c.records) << c.text;
    }
}

TEST(SplitParameterTextTest, KeepsTheFirstHundredFields) {
    std::string text;
    for (int n = 1; n <= 101; ++n) text += "f" + std::to_string(n) + "#";
    text += "$next#$";
    const std::vector<SplitRecord> records = SplitParameterText(text);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0][0], "f1");
    EXPECT_EQ(records[0][99], "f100");
    EXPECT_EQ(records[1][0], "next");
    EXPECT_EQ(records[1][1], "");
}

TEST(SplitParameterTextTest, CutsFieldsAndTextToTheirDeclaredLengthsInCharacters) {
    const std::string longField(600, 'x');
    EXPECT_EQ(SplitParameterText(longField + "#$")[0][0].size(), kSplitFieldLength);

    std::string korean;
    for (int i = 0; i < 501; ++i) korean += "가";
    const std::string kept = SplitParameterText(korean + "#$")[0][0];
    EXPECT_EQ(kept.size(), kSplitFieldLength * std::string("가").size());

    // The text itself is read up to its declared length: a record past it is not seen.
    const std::string filler(kSplitTextLength - 2, 'y');
    const auto records = SplitParameterText("a#" + filler + "$b#$");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0][0], "a");
}

TEST(FirstCharactersTest, CountsCharactersNotBytes) {
    EXPECT_EQ(FirstCharacters("가나다", 2), "가나");
    EXPECT_EQ(FirstCharacters("ab", 5), "ab");
    EXPECT_EQ(FirstCharacters("abc", 0), "");
}

}  // namespace
}  // namespace db::embedded
