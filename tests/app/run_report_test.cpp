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
    const Case cases[] = {
        {StartupOutcome::Ready, RunWith({{0, true, true, true}, {1, true, true, true}}),
         RunResult::Success},
        {StartupOutcome::Ready, RunWith({}), RunResult::Success},
        {StartupOutcome::Ready, RunWith({{0, true, true, true}, {1, true, false}}),
         RunResult::PassFailed},
        // The catalogue ended but the history row could not be written.
        {StartupOutcome::Ready, RunWith({{0, true, true, false}}), RunResult::PassFailed},
        {StartupOutcome::Ready, RunWith({{0, false, false}}), RunResult::PassFailed},
        {StartupOutcome::AlreadyRunning, std::nullopt, RunResult::StartupEnded},
        {StartupOutcome::TimeFormatRefused, std::nullopt, RunResult::StartupEnded},
        {StartupOutcome::ConfigurationFailed, std::nullopt, RunResult::StartupEnded},
        {StartupOutcome::HandedToMigration, std::nullopt, RunResult::HandedToMigration},
    };
    for (const Case& c : cases) {
        app::RunReport report;
        report.startup.outcome = c.startup;
        report.run = c.run;
        EXPECT_EQ(app::ResultOf(report), c.result);
    }
}

TEST(RunReport, JsonHoldsPassesLinesRulesAndBoxes) {
    app::RunReport report;
    report.versionText = "하로나 DataPatchProgram Ver40.4.4";
    report.releaseDate = "20201221";
    app::RunRecord run = RunWith({{0, true, false}});
    run.runLines = {"-------------------------- 매장디비"};
    run.messages = {"매장데이터패치시작"};
    run.backups[0] = "C:\\Quillon\\Backup\\Patch\\DatMain_20261207-031500.mdb";
    run.rules.push_back({3, 2, 4, static_cast<std::int32_t>(0x80040E14), "column \"x\" exists"});
    report.run = run;
    report.boxes.push_back(
        {"", "데이터패치 오류로 인하여 작업을 중단합니다. 노르브에 문의 바랍니다"});
    const std::string json = app::RunReportJson(report);
    for (const char* expected :
         {"\"startup\": \"ready\"",
          "\"passes\": [{\"target\": 0, \"database\": \"store\", \"opened\": true, \"ok\": false, "
          "\"backup\": \"C:\\\\Quillon\\\\Backup\\\\Patch\\\\DatMain_20261207-031500.mdb\"}]",
          "\"runList\": [\"-------------------------- 매장디비\"]",
          "{\"mark\": 3, \"stepMark\": 2, \"rule\": 4, \"number\": -2147217900, \"hex\": "
          "\"0x80040E14\", \"description\": \"column \\\"x\\\" exists\"}",
          "\"boxes\": [{\"title\": \"\", \"text\": \"데이터패치 오류로",
          "\"result\": \"pass-failed\""}) {
        EXPECT_NE(json.find(expected), std::string::npos) << expected << "\n" << json;
    }
}

}  // namespace
