#include "util/command_line.h"

#include <gtest/gtest.h>

namespace util {
namespace {

TEST(SplitCommandLineTest, WindowsQuotingRules) {
    static const struct {
        const char* line;
        std::vector<std::string> parts;
    } kCases[] = {
        {R"(C:\Quillon\Tessel.EXE /Mds)", {R"(C:\Quillon\Tessel.EXE)", "/Mds"}},
        {R"("C:\Program Files\x.exe" a "b c")", {R"(C:\Program Files\x.exe)", "a", "b c"}},
        {R"(p a\\\"b)", {"p", R"(a\"b)"}},
        {R"(p "a\\" b)", {"p", R"(a\)", "b"}},
        {R"(p a\b c\\)", {"p", R"(a\b)", R"(c\\)"}},
        {R"(p "a""b")", {"p", R"(a"b)"}},
        {R"(p "" x)", {"p", "", "x"}},
        {R"(p a"b c"d)", {"p", "ab cd"}},
        {"  p   a\tb  ", {"p", "a", "b"}},
        {R"("C:\a\" b)", {R"(C:\a\)", "b"}},
        {R"("unclosed program)", {"unclosed program"}},
        {"", {}},
        {"   ", {}},
    };
    for (const auto& c : kCases) EXPECT_EQ(SplitCommandLine(c.line), c.parts) << c.line;
}

}  // namespace
}  // namespace util
