#include "app/run_report.h"

#include <algorithm>

#include "db/error.h"
#include "host/codepage.h"

#include <cstdio>

namespace app {
namespace {

struct Name {
    int value;
    const char* text;
};

constexpr Name kStartupNames[] = {
    {static_cast<int>(StartupOutcome::Ready), "ready"},
    {static_cast<int>(StartupOutcome::AlreadyRunning), "already-running"},
    {static_cast<int>(StartupOutcome::TimeFormatRefused), "time-format-refused"},
    {static_cast<int>(StartupOutcome::ConfigurationFailed), "configuration-failed"},
    {static_cast<int>(StartupOutcome::HandedToMigration), "handed-to-migration"},
};
constexpr Name kResultNames[] = {
    {static_cast<int>(RunResult::Success), "success"},
    {static_cast<int>(RunResult::PassFailed), "pass-failed"},
    {static_cast<int>(RunResult::StartupEnded), "startup-ended"},
    {static_cast<int>(RunResult::HandedToMigration), "handed-to-migration"},
};
constexpr const char* kTargetNames[] = {"store", "data1"};

template <std::size_t N>
const char* NameOf(const Name (&names)[N], int value) {
    for (const Name& n : names) {
        if (n.value == value) return n.text;
    }
    return "unknown";
}

std::string Bool(bool b) {
    return b ? "true" : "false";
}

std::string Strings(const std::vector<std::string>& lines) {
    std::string out = "[";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        out += (i ? ", " : "") + JsonQuoted(lines[i]);
    }
    return out + "]";
}

std::string Passes(const std::vector<PassRecord>& passes, const RunRecord& run) {
    std::string out = "[";
    for (std::size_t i = 0; i < passes.size(); ++i) {
        const PassRecord& p = passes[i];
        out += std::string(i ? ", " : "") + "{\"target\": " + std::to_string(p.target) +
               ", \"database\": \"" + kTargetNames[p.target == 1 ? 1 : 0] +
               "\", \"opened\": " + Bool(p.opened) +
               ", \"ok\": " + Bool(p.catalogueOk && p.historyWritten) +
               ", \"backup\": " + JsonQuoted(run.backups[p.target == 1 ? 1 : 0]) +
               ", \"backupDropped\": " + Bool(p.backupDropped) +
               ", \"openError\": " + (p.openError.empty() ? "null" : JsonQuoted(p.openError)) + "}";
    }
    return out + "]";
}

std::string Rules(const std::vector<patch::RuleEvent>& rules) {
    std::string out = "[";
    for (std::size_t i = 0; i < rules.size(); ++i) {
        const patch::RuleEvent& e = rules[i];
        out += std::string(i ? ", " : "") + "{\"mark\": " + std::to_string(e.mark) +
               ", \"stepMark\": " + std::to_string(e.stepMark) +
               ", \"rule\": " + std::to_string(e.rule) +
               ", \"number\": " + std::to_string(e.number) + ", \"hex\": \"" +
               db::HexNumber(e.number) + "\", \"description\": " + JsonQuoted(e.description) + "}";
    }
    return out + "]";
}

std::string Boxes(const std::vector<ShownBox>& boxes) {
    std::string out = "[";
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        out += std::string(i ? ", " : "") + "{\"title\": " + JsonQuoted(boxes[i].title) +
               ", \"text\": " + JsonQuoted(boxes[i].text) + "}";
    }
    return out + "]";
}

}  // namespace

RunResult ResultOf(const RunReport& report) {
    switch (report.startup.outcome) {
        case StartupOutcome::Ready:
            break;
        case StartupOutcome::HandedToMigration:
            return RunResult::HandedToMigration;
        default:
            return RunResult::StartupEnded;
    }
    return !report.run || report.run->Succeeded() ? RunResult::Success : RunResult::PassFailed;
}

std::string JsonQuoted(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto u = static_cast<unsigned char>(c);
        // JSON is UTF-8: bytes that are no UTF-8 character (a database text written by another
        // program) become U+FFFD, as a reader of the text would show them.
        if (u >= 0x80) {
            const std::size_t length = host::Utf8CharLength(text, i);
            if (length == 0) {
                out += "\\ufffd";
            } else {
                out.append(text.substr(i, length));
                i += length - 1;
            }
            continue;
        }
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (u < 0x20) {
                    char buffer[8];
                    std::snprintf(buffer, sizeof buffer, "\\u%04x", u);
                    out += buffer;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

namespace {

std::string Reason(const std::string& text) {
    return text.empty() ? "" : ": " + text;
}

}  // namespace

RunSummary SummaryOf(const RunReport& report) {
    RunSummary summary;
    if (!report.run) return summary;
    const RunRecord& run = *report.run;
    for (const PassRecord& p : run.passes) {
        const int target = p.target == 1 ? 1 : 0;
        std::string result = !p.opened           ? "not opened" + Reason(p.openError)
                             : p.stopped         ? "stopped"
                             : !p.catalogueOk    ? "failed"
                             : !p.historyWritten ? "history not written"
                                                 : "patched";
        summary.passes.push_back(
            {kTargetNames[target], std::move(result), run.backups[target], p.backupDropped});
    }
    for (const ShownBox& box : report.boxes) {
        if (box.text.empty()) continue;
        if (std::find(summary.actions.begin(), summary.actions.end(), box.text) ==
            summary.actions.end()) {
            summary.actions.push_back(box.text);
        }
    }
    constexpr int kEndRunRule = 10;
    for (const patch::RuleEvent& e : run.rules) summary.errorsPassedOver += e.rule != kEndRunRule;
    summary.logFile = run.logFile;
    return summary;
}

namespace {

std::string SummaryJson(const RunSummary& summary) {
    std::string passes = "[";
    for (std::size_t i = 0; i < summary.passes.size(); ++i) {
        const RunSummary::Pass& p = summary.passes[i];
        passes += std::string(i ? ", " : "") + "{\"database\": " + JsonQuoted(p.database) +
                  ", \"result\": " + JsonQuoted(p.result) +
                  ", \"backup\": " + JsonQuoted(p.backup) +
                  ", \"backupDropped\": " + Bool(p.backupDropped) + "}";
    }
    passes += "]";
    return "{\"passes\": " + passes + ", \"actions\": " + Strings(summary.actions) +
           ", \"errorsPassedOver\": " + std::to_string(summary.errorsPassedOver) +
           ", \"logFile\": " + JsonQuoted(summary.logFile) + "}";
}

}  // namespace

std::string RunReportJson(const RunReport& report) {
    const RunRecord empty;
    const RunRecord& run = report.run ? *report.run : empty;
    std::string out = "{\n";
    out += "  \"version\": " + JsonQuoted(report.versionText) + ",\n";
    out += "  \"release\": " + JsonQuoted(report.releaseDate) + ",\n";
    out += "  \"startup\": \"" +
           std::string(NameOf(kStartupNames, static_cast<int>(report.startup.outcome))) + "\",\n";
    if (report.startup.outcome == StartupOutcome::HandedToMigration) {
        out += "  \"migrationStarted\": " + Bool(report.startup.migrationStarted) + ",\n";
    }
    if (!report.startupProblem.empty()) {
        out += "  \"problem\": " + JsonQuoted(report.startupProblem) + ",\n";
    }
    out += "  \"passes\": " + Passes(run.passes, run) + ",\n";
    out += "  \"runList\": " + Strings(run.runLines) + ",\n";
    out += "  \"messages\": " + Strings(run.messages) + ",\n";
    out += "  \"rules\": " + Rules(run.rules) + ",\n";
    out += "  \"boxes\": " + Boxes(report.boxes) + ",\n";
    out += "  \"logFile\": " + JsonQuoted(report.run ? run.logFile : report.startupLog) + ",\n";
    if (report.run) out += "  \"summary\": " + SummaryJson(SummaryOf(report)) + ",\n";
    out += "  \"notes\": " + Strings(report.notes) + ",\n";
    if (report.preview) {
        out += "  \"preview\": {\"exact\": " + Bool(report.previewBroken.empty()) +
               ", \"notExactBecause\": " + JsonQuoted(report.previewBroken) +
               ", \"withheld\": " + Strings(report.withheld) + "},\n";
    }
    out += "  \"result\": \"" +
           std::string(NameOf(kResultNames, static_cast<int>(ResultOf(report)))) + "\"\n";
    return out + "}\n";
}

}  // namespace app
