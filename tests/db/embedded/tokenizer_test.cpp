#include <gtest/gtest.h>

#include <string>
#include <vector>

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

struct Case {
    const char* text;
    std::vector<std::string> tokens;
};

const Case kValid[] = {
    {"SELECT * FROM t", {"word:SELECT", "punct:*", "word:FROM", "word:t"}},
    {"'it''s'", {"str:it's"}},
    {"''", {"str:"}},
    {"N'한글''s'", {"nstr:한글's"}},
    {"n'x'", {"nstr:x"}},
    {"[a b]", {"name:a b"}},
    {"[x]]y]", {"name:x]y"}},
    {"[dbo].[간편주문]", {"name:dbo", "punct:.", "name:간편주문"}},
    {"\"q\"\"n\"", {"name:q\"n"}},
    {"`tick`", {"name:tick"}},
    {"사용상품.표준상품", {"word:사용상품", "punct:.", "word:표준상품"}},
    {"#2020-12-21 10:00:00#", {"date:2020-12-21 10:00:00"}},
    {"12 1.5 .5 1e3 0x1F", {"number:12", "number:1.5", "number:.5", "number:1e3", "number:0x1F"}},
    {"a<=b<>c!=d>=e",
     {"word:a", "punct:<=", "word:b", "punct:<>", "word:c", "punct:!=", "word:d",
      "punct:>=", "word:e"}},
    {"a||b", {"word:a", "punct:||", "word:b"}},
    {"@PdtCode @@ROWCOUNT", {"var:@PdtCode", "var:@@ROWCOUNT"}},
    {"a -- note\r\nb", {"word:a", "word:b"}},
    {"a /* x */ b", {"word:a", "word:b"}},
    {"a\r\n\tb", {"word:a", "word:b"}},
    {"x-1", {"word:x", "punct:-", "number:1"}},
    {"주문CHK = 0", {"word:주문CHK", "punct:=", "number:0"}},
    {"COUNT(*)", {"word:COUNT", "punct:(", "punct:*", "punct:)"}},
};

TEST(TokenizerTest, SplitsValidTexts) {
    for (const Case& c : kValid) {
        EXPECT_EQ(Describe(c.text), c.tokens) << c.text;
    }
}

const Case kFaulty[] = {
    {"'open", {"illegal:'open"}},
    {"[open", {"illegal:[open"}},
    {"\"open", {"illegal:\"open"}},
    {"#2020-12-21", {"illegal:#2020-12-21"}},
    {"a ! b", {"word:a", "illegal:!", "word:b"}},
    {"1abc", {"illegal:1abc"}},
    {"@", {"illegal:@"}},
};

TEST(TokenizerTest, MarksFaultsAsIllegal) {
    for (const Case& c : kFaulty) {
        EXPECT_EQ(Describe(c.text), c.tokens) << c.text;
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

TEST(TokenizerTest, KeepsOffsets) {
    const Tokens t = Tokenize("ab  'c'");
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[1].offset, 4u);
}

}  // namespace
}  // namespace db::embedded
