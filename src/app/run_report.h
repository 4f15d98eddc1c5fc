#pragma once
// The report of one `datapatch run`: how start-up ended, what the run did (passes, run-list
// lines, messages, the errors that the catalogue's rules decided on) and the message boxes the
// user saw, with the overall result. Rendered as JSON for scripts and support tools.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_sequence.h"
#include "app/run_record.h"

namespace app {

enum class RunResult { Success, PassFailed, StartupEnded, HandedToMigration };

struct RunReport {
    std::string versionText;
    std::string releaseDate;
    StartupResult startup;
    std::optional<RunRecord> run;  // empty when start-up did not reach the main window
    std::vector<ShownBox> boxes;
    // When start-up ended: what was looked at, the engine's own reason and the fix (as the
    // command line explains it on standard error).
    std::string startupProblem;
    // The log that start-up's end was written to (Windows path); empty when none was written.
    std::string startupLog;
    // A preview (`datapatch plan`): what it did not carry out, and why it is no exact preview
    // when it is not.
    bool preview = false;
    std::vector<std::string> withheld;
    std::string previewBroken;
    // What the program left undone or could not keep (host::Host::Notes).
    std::vector<std::string> notes;
};

// Start-up's end decides first; then whether every pass of the run succeeded.
RunResult ResultOf(const RunReport& report);

// The text as a JSON string literal: quotes, backslashes and control characters escaped, UTF-8
// kept as it is.
std::string JsonQuoted(std::string_view text);

// What the end of a run tells the operator: each pass's outcome and backup, the instructions the
// run's message boxes gave (each once, in order), how many errors the rules passed over, the log.
struct RunSummary {
    struct Pass {
        std::string database;  // "store" or "data1"
        std::string result;    // patched, failed, not opened, stopped, history not written
        std::string backup;
        bool backupDropped = false;  // no value or table of its database changed
    };
    std::vector<Pass> passes;
    std::vector<std::string> actions;
    int errorsPassedOver = 0;
    std::string logFile;
};
RunSummary SummaryOf(const RunReport& report);

std::string RunReportJson(const RunReport& report);

}  // namespace app
