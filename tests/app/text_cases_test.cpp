// Runs the text cases of cases/texts.txt (their form is described at the top of the file).
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>
#include <string>

#include "app/main_sequence.h"
#include "app/sql_trace.h"

namespace {

std::string YesNo(bool yes) {
    return yes ? "yes" : "no";
}

TEST(TextCases, EachTextGivesItsResult) {
    const std::map<std::string, std::function<std::string(const std::string&)>> functions = {
        {"MaskPasswords", [](const std::string& t) { return app::MaskPasswords(t); }},
        {"MaskSecrets",
         [](const std::string& t) {
             return app::MaskPasswords(t, {"norv2093", "", "it's"});
         }},
        {"DescribeDatabase", [](const std::string& t) { return app::DescribeDatabase(t); }},
        {"SettleStoreCode", [](const std::string& t) { return app::SettleStoreCode(t); }},
        {"TimeTextUsable", [](const std::string& t) { return YesNo(app::TimeTextUsable(t)); }},
        {"DateTextUsable", [](const std::string& t) { return YesNo(app::DateTextUsable(t)); }},
    };
    std::ifstream in(DATAPATCH_TESTS_DIR "/app/cases/texts.txt");
    std::string line, function, input;
    int cases = 0;
    for (int number = 1; std::getline(in, line); ++number) {
        if (line.empty() || line[0] == '#') continue;
        if (line.rfind("=> ", 0) == 0) {
            ASSERT_TRUE(functions.count(function)) << "line " << number << ": " << function;
            EXPECT_EQ(functions.at(function)(input), line.substr(3))
                << "line " << number << ": " << function << "(" << input << ")";
            ++cases;
            continue;
        }
        const auto colon = line.find(": ");
        ASSERT_NE(colon, std::string::npos) << "line " << number;
        function = line.substr(0, colon);
        input = line.substr(colon + 2);
    }
    EXPECT_GT(cases, 20);
}

}  // namespace
