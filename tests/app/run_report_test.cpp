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

app::RunRecord RunWith(std::vector<app::PassRecord> passes) {
    app::RunRecord run;
    run.passes = std::move(passes);
    return run;
}

TEST(RunReport, ResultFollowsStartUpThenThePasses) {
    using app::RunResult;
    using app::StartupOutcome;
    struct Case {
        StartupOutcome startup;
        std::optional<app::RunRecord> run;
        RunResult result;
    };
    // Which pass record fails a run is checked where the runs are (app, cli).
    const Case cases[] = {
        {StartupOutcome::Ready, RunWith({{0, true, true, true, false, ""}}), RunResult::Success},
        {StartupOutcome::Ready, std::nullopt, RunResult::Success},
        {StartupOutcome::Ready, RunWith({{0, true, false, false, false, ""}}),
         RunResult::PassFailed},
        {StartupOutcome::AlreadyRunning, std::nullopt, RunResult::StartupEnded},
        {StartupOutcome::HandedToMigration, std::nullopt, RunResult::HandedToMigration},
    };
    for (const Case& c : cases) {
        app::RunReport report;
        report.startup.outcome = c.startup;
        report.run = c.run;
        EXPECT_EQ(app::ResultOf(report), c.result);
    }
}

}  // namespace
