#pragma once
// The log of a patch run: its run list, messages, the errors the catalogue's rules passed over
// and the outcome of each pass, written as a text file named after the run's start into the
// Patch folder of the program folder ("C:\Quillon\Patch\20201221-093000.log"), the folder that
// the main window names as the place of the patch records.
#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace app {

class Process;
struct RunRecord;

// "<program folder>\Patch\<yyyyMMdd-HHmmss>.log" for a run that started at `started` (local
// time).
std::string RunLogPath(Process& process, std::chrono::system_clock::time_point started);
// The log's text, lines ended by CR LF.
std::string RunLogText(Process& process, const RunRecord& record);
// Appends the record's log (two runs within one second share a file) and returns its Windows
// path; the empty text when it cannot be written.
std::string WriteRunLog(Process& process, const RunRecord& record);

// The log of one data repair run from the command line or a maintenance button, beside the run
// logs ("C:\Quillon\Patch\20201221-093000-RebuildProductLocations.log"): the lines the repair
// added to the main window's lists and how it ended.
class RepairLog {
  public:
    // The line after the version that tells a repair's log from a run's.
    static constexpr std::string_view kRoutineLine = "수리 ";

    RepairLog(Process& process, std::string routine);
    // Writes the log and returns its Windows path; the empty text when it cannot be written or
    // the program only previews.
    std::string Finish(bool succeeded, const std::string& detail);

  private:
    Process& process_;
    std::string routine_;
    std::chrono::system_clock::time_point started_;
    std::size_t firstLine_;
    std::size_t firstMessage_;
};

// When start-up ends before a run because the store database cannot be used: the boxes shown and
// the explanation (`problem`, lines ended by LF) appended to the log a run started now would
// have, so that the reason is kept where the runs' logs are. Written only when the program folder
// exists (nothing is made in a root that holds no store); returns the Windows path or "".
std::string WriteStartupEndLog(Process& process, const std::vector<std::string>& boxes,
                               const std::string& problem);

}  // namespace app
