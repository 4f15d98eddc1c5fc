// (Where each token starts: the table texts' tests, which cut a text apart by it.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/embedded/case_file.h"
#include "db/embedded/token.h"

namespace db::embedded {
namespace {

// Tokens written as "kind:value" so that a case reads as one line.
std::string Describe(const Token& t) {
    static const char* const kNames[] = {"word",   "name", "str",   "nstr",   "date",
                                         "number", "var",  "punct", "illegal"};
    return std::string(kNames[static_cast<int>(t.kind)]) + ":" + t.value;
}

std::vector<std::string> Describe(std::string_view text) {
    std::vector<std::string> out;
    for (const Token& t : Tokenize(text)) out.push_back(Describe(t));
    return out;
}

// The texts of tables/tokens.txt, valid and faulty.
TEST(TokenizerTest, SplitsTextsAndMarksFaultsAsIllegal) {
    for (const testing::Block& block : testing::LoadBlocks("embedded/tables/tokens.txt")) {
        std::vector<std::string> tokens;
        for (std::size_t i = 1; i < block.size(); ++i) tokens.push_back(block[i].second);
        EXPECT_EQ(Describe(block.at(0).second), tokens) << block.at(0).second;
    }
}

TEST(TokenizerTest, MarksKeywordsButNotNames) {
    const Tokens t = Tokenize("select Top 사용상품 ID [SELECT]");
    ASSERT_EQ(t.size(), 5u);
    EXPECT_TRUE(t[0].keyword);
    EXPECT_TRUE(t[1].keyword);
    EXPECT_FALSE(t[2].keyword);
    EXPECT_FALSE(t[3].keyword);
    EXPECT_FALSE(t[4].keyword);  // a bracketed name is never a keyword
    EXPECT_TRUE(t[0].Is("SELECT"));
}

}  // namespace
}  // namespace db::embedded
