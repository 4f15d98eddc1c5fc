#include "db/embedded/date_text.h"

#include <gtest/gtest.h>

#include "db/embedded/case_file.h"

namespace db::embedded {
namespace {

// The texts of tables/dates.txt.
TEST(DateTextTest, ReadsTheFormsOfBothDialectsAndTheLocalClock) {
    for (const testing::Block& block : testing::LoadBlocks("embedded/tables/dates.txt")) {
        const std::string& text = block.at(0).second;
        const std::optional<DateText> date = ParseDateText(text);
        if (block.size() == 1) {
            EXPECT_FALSE(date) << text;
            continue;
        }
        ASSERT_TRUE(date) << text;
        EXPECT_EQ(FormatStoredDate(*date), block.at(1).second) << text;
        EXPECT_EQ(date->localForm, block.at(2).second == "yes") << text;
    }
}

}  // namespace
}  // namespace db::embedded
