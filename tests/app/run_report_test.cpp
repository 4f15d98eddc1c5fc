// JSON texts of the run report. (A run's result by its start-up and passes: the command line's
// exit codes, cli/cases/commands.txt.)
#include "app/run_report.h"

#include <gtest/gtest.h>

namespace {

TEST(JsonQuoted, EscapesWhatJsonRequiresAndKeepsKorean) {
    struct Case {
        std::string text;
        std::string quoted;
    };
    const Case cases[] = {
        {"매장데이터패치종료", "\"매장데이터패치종료\""},
        {"C:\\Quillon\\Patch", "\"C:\\\\Quillon\\\\Patch\""},
        {"say \"yes\"", "\"say \\\"yes\\\"\""},
        {"a\r\nb\tc", "\"a\\r\\nb\\tc\""},
        {std::string("x\x01y") + '\0', "\"x\\u0001y\\u0000\""},
        // Bytes that are no UTF-8 (a lone 0xFF, a cut sequence, CP949 bytes) stay valid JSON.
        {"\xff\xed\x95 \xb0\xa1점", "\"\\ufffd\\ufffd\\ufffd \\ufffd\\ufffd점\""},
    };
    for (const Case& c : cases) EXPECT_EQ(app::JsonQuoted(c.text), c.quoted);
}

}  // namespace
