#include "app/run_log.h"

#include "db/error.h"

#include <ctime>
#include <filesystem>
#include <system_error>

#include "app/process.h"
#include "app/run_record.h"
#include "app/run_report.h"
#include "host/host.h"
#include "host/regional.h"
#include "util/kro_function.h"
#include "util/main_window_model.h"

namespace app {
namespace {

constexpr const char* kPatchFolder = "\\Patch";
constexpr const char* kPassNames[] = {"매장디비", "데이터1"};

void Section(std::string& text, const char* heading, const std::vector<std::string>& lines) {
    text += std::string("[") + heading + "]\r\n";
    for (const std::string& line : lines) text += line + "\r\n";
}

std::string PassLine(const PassRecord& pass) {
    const char* name = kPassNames[pass.target == 1 ? 1 : 0];
    if (!pass.opened) return std::string(name) + ": 연결 실패";
    if (!pass.catalogueOk) return std::string(name) + ": 중단";
    return std::string(name) + (pass.historyWritten ? ": 완료" : ": 패치이력 저장오류");
}

std::string RuleLine(const patch::RuleEvent& e) {
    return "mark " + std::to_string(e.mark) + " (step mark " + std::to_string(e.stepMark) +
           ") rule " + std::to_string(e.rule) + ": " + db::HexNumber(e.number) + " " +
           e.description;
}

std::vector<std::string> LinesFrom(const std::vector<std::string>& lines, std::size_t first) {
    return {lines.begin() + static_cast<std::ptrdiff_t>(std::min(first, lines.size())),
            lines.end()};
}

}  // namespace

std::string RunLogPath(Process& process, std::chrono::system_clock::time_point started) {
    return process.Host().ProgramFolder() + kPatchFolder + "\\" +
           host::LocalTimeText(started, "%Y%m%d-%H%M%S") + ".log";
}

std::string RunLogText(Process& process, const RunRecord& record) {
    std::string text = process.VersionText + "\r\n";
    text += "시작 " + host::LocalTimeText(record.started, "%Y-%m-%d %H:%M:%S") + "\r\n";
    text += "종료 " + host::LocalTimeText(record.ended, "%Y-%m-%d %H:%M:%S") + "\r\n";
    std::vector<std::string> passes;
    for (const PassRecord& p : record.passes) passes.push_back(PassLine(p));
    Section(text, "패스", passes);
    Section(text, "패치 목록", record.runLines);
    Section(text, "진행 메시지", record.messages);
    std::vector<std::string> rules;
    for (const patch::RuleEvent& e : record.rules) rules.push_back(RuleLine(e));
    Section(text, "오류 처리", rules);
    // What the run could not write or left undone, for the operator of the window too.
    if (const std::vector<std::string> notes = process.Host().Notes(); !notes.empty()) {
        Section(text, "알림", notes);
    }
    text += std::string("[결과] ") + (record.Succeeded() ? "성공" : "실패");
    return text;
}

std::string WriteRunLog(Process& process, const RunRecord& record) {
    const std::string path = RunLogPath(process, record.started);
    const std::string folder = process.Host().ProgramFolder() + kPatchFolder;
    const bool written =
        process.Utilities().FileWriteStr(path, RunLogText(process, record), folder, true);
    if (!written) process.Host().Note("the run's log could not be written into " + path);
    return written ? path : std::string();
}

RepairLog::RepairLog(Process& process, std::string routine)
    : process_(process),
      routine_(std::move(routine)),
      started_(std::chrono::system_clock::now()),
      firstLine_(process.MainWindow().List1.lines.size()),
      firstMessage_(process.MainWindow().lv메세지.lines.size()) {}

std::string RepairLog::Finish(bool succeeded, const std::string& detail) {
    if (process_.Host().Preview()) return {};
    const util::frmDBPatchMainModel& w = process_.MainWindow();
    std::string text = process_.VersionText + "\r\n";
    text += std::string(kRoutineLine) + routine_ + "\r\n";
    text += "시작 " + host::LocalTimeText(started_, "%Y-%m-%d %H:%M:%S") + "\r\n";
    text += "종료 " + host::LocalTimeText(std::chrono::system_clock::now(), "%Y-%m-%d %H:%M:%S") +
            "\r\n";
    Section(text, "패치 목록", LinesFrom(w.List1.lines, firstLine_));
    Section(text, "진행 메시지", LinesFrom(w.lv메세지.lines, firstMessage_));
    text += std::string("[결과] ") + (succeeded ? "성공" : "실패");
    if (!detail.empty()) text += " (" + detail + ")";
    const std::string folder = process_.Host().ProgramFolder() + kPatchFolder;
    const std::string path =
        folder + "\\" + host::LocalTimeText(started_, "%Y%m%d-%H%M%S") + "-" + routine_ + ".log";
    if (process_.Utilities().FileWriteStr(path, text, folder, true)) return path;
    process_.Host().Note("the log of " + routine_ + " could not be written into " + path);
    return {};
}

std::string WriteStartupEndLog(Process& process, const std::vector<std::string>& boxes,
                               const std::string& problem) {
    const auto folder = process.Host().Native(process.Host().ProgramFolder());
    std::error_code ec;
    if (!folder || !std::filesystem::is_directory(*folder, ec)) return {};
    const auto now = std::chrono::system_clock::now();
    std::string text = process.VersionText + "\r\n";
    // Not "시작": a log with a start and no end is no run to the history.
    text += "시각 " + host::LocalTimeText(now, "%Y-%m-%d %H:%M:%S") + "\r\n";
    Section(text, "메시지", boxes);
    std::string lines;
    for (char c : problem) lines += c == '\n' ? std::string("\r\n") : std::string(1, c);
    text += "[시작 중단]\r\n" + lines + "\r\n";
    text += "[결과] 시작 중단";
    const std::string path = RunLogPath(process, now);
    const bool written = process.Utilities().FileWriteStr(
        path, text, process.Host().ProgramFolder() + kPatchFolder, true);
    return written ? path : std::string();
}

}  // namespace app
