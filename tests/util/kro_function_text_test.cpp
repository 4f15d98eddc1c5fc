#include <gtest/gtest.h>

#include "util/kro_function.h"

namespace util {
namespace {

// "가나abc다": 가 bytes 1-2, 나 3-4, a 5, b 6, c 7, 다 8-9 in the ANSI code page.
constexpr const char* kMixed = "가나abc다";

TEST(ByteSlicingTest, CutsThatFallInsideASyllableDropIt) {
    static const struct {
        int start;
        std::optional<int> length;
        const char* mid;
    } kMidCases[] = {
        {1, 2, "가"}, {1, 3, "가"},     {2, 2, ""},    {2, 3, "나"},
        {3, 2, "나"}, {5, 4, "abc"},    {4, 4, "abc"}, {3, std::nullopt, "나abc다"},
        {0, 2, "가"}, {9, 1, ""},       {10, 5, ""},   {1, 0, ""},
        {1, -3, ""},  {1, 100, kMixed},
    };
    for (const auto& c : kMidCases) {
        EXPECT_EQ(Kro_Function::SRMidH(kMixed, c.start, c.length), c.mid)
            << "start " << c.start << " length " << c.length.value_or(-99);
    }

    static const struct {
        int length;
        const char* left;
        const char* right;
    } kEndCases[] = {
        {0, "", ""},          {1, "", ""},           {2, "가", "다"},           {3, "가", "c다"},
        {4, "가나", "bc다"},  {5, "가나a", "abc다"}, {8, "가나abc", "나abc다"}, {9, kMixed, kMixed},
        {50, kMixed, kMixed}, {-1, "", ""},
    };
    for (const auto& c : kEndCases) {
        EXPECT_EQ(Kro_Function::SRLeftH(kMixed, c.length), c.left) << c.length;
        EXPECT_EQ(Kro_Function::SRRightH(kMixed, c.length), c.right) << c.length;
    }
}

TEST(SRMidSpcTest, PadsAndCutsToAByteWidth) {
    EXPECT_EQ(Kro_Function::SRMidSpc("가a", 5), "가a  ");
    EXPECT_EQ(Kro_Function::SRMidSpc("가a", 5, false, true), "  가a");
    EXPECT_EQ(Kro_Function::SRMidSpc("가나다", 5), "가나 ");  // 다 would be cut: left out
    EXPECT_EQ(Kro_Function::SRMidSpc(1234567, 12, true, true), "   1,234,567");
    EXPECT_EQ(Kro_Function::SRMidSpc(Variant::MakeNull(), 3), "   ");
    EXPECT_EQ(Kro_Function::SRMidSpc("abc", -1), "");
}

TEST(SplitTest, PiecesAndCounts) {
    static const struct {
        const char* text;
        const char* separator;
        std::vector<std::string> pieces;
        int count;
    } kCases[] = {
        {"a,b,,c", ",", {"a", "b", "", "c"}, 3},
        {",a,", ",", {"", "a", ""}, 2},
        {"", ",", {}, 0},
        {"abc", "", {"abc"}, 0},
        {"a::b", "::", {"a", "b"}, 1},
        {"제품#바코드#", "#", {"제품", "바코드", ""}, 2},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(Kro_Function::SR특정문자기준으로배열생성(c.text, c.separator), c.pieces)
            << c.text;
        EXPECT_EQ(Kro_Function::SR특정문자갯수(c.text, c.separator), c.count) << c.text;
    }
    EXPECT_EQ(Kro_Function::SR특정문자찾아오기("a,b,,c", ",", 1), "a");
    EXPECT_EQ(Kro_Function::SR특정문자찾아오기("a,b,,c", ",", 4), "c");
    EXPECT_EQ(Kro_Function::SR특정문자찾아오기("a,b,,c", ",", 3), "");
    EXPECT_EQ(Kro_Function::SR특정문자찾아오기("a,b,,c", ",", 5), "");
    EXPECT_EQ(Kro_Function::SR특정문자찾아오기("a,b,,c", ",", 0), "");
}

TEST(ArySortTest, SortsAndMovesTheSecondArrayInStep) {
    std::vector<std::string> names = {"나", "b", "a", "가"};
    std::vector<std::string> codes = {"2", "3", "4", "1", "extra"};
    Kro_Function::ArySort_1St_STR_WithOtherAry(names, 0, codes);
    EXPECT_EQ(names, (std::vector<std::string>{"a", "b", "가", "나"}));
    EXPECT_EQ(codes, (std::vector<std::string>{"4", "3", "1", "2", "extra"}));

    Kro_Function::ArySort_1St_STR(names, 1);
    EXPECT_EQ(names, (std::vector<std::string>{"나", "가", "b", "a"}));

    std::vector<std::string> shorter = {"x"};
    Kro_Function::ArySort_1St_STR_WithOtherAry(names, 0, shorter);
    EXPECT_EQ(shorter, std::vector<std::string>{"x"});
}

}  // namespace
}  // namespace util
