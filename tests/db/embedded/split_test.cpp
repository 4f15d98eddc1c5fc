// The record splitter of parameter texts: records end with "$", fields with "#".
#include <gtest/gtest.h>

#include "db/embedded/case_file.h"
#include "db/embedded/routine_split.h"

namespace db::embedded {
namespace {

// The texts of tables/splits.txt.
TEST(SplitParameterTextTest, SplitsRecordsAndFields) {
    for (const testing::Block& block : testing::LoadBlocks("embedded/tables/splits.txt")) {
        std::vector<std::string> records;
        for (const SplitRecord& record : SplitParameterText(block.at(0).second)) {
            std::size_t used = record.size();
            while (used > 0 && record[used - 1].empty()) --used;
            std::string fields;
            for (std::size_t i = 0; i < used; ++i) fields += "[" + record[i] + "]";
            records.push_back(fields);
        }
        std::vector<std::string> expected;
        for (std::size_t i = 1; i < block.size(); ++i) expected.push_back(block[i].second);
        EXPECT_EQ(records, expected) << block.at(0).second;
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

}  // namespace
}  // namespace db::embedded
