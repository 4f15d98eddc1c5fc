#pragma once
// The log of a patch run: its run list, messages, the errors the catalogue's rules passed over
// and the outcome of each pass, written as a text file named after the run's start into the
// Patch folder of the program folder ("C:\Quillon\Patch\20201221-093000.log"), the folder that
// the main window names as the place of the patch records.
#include <chrono>
#include <string>
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

// When start-up ends before a run because the store database cannot be used: the boxes shown and
// the explanation (`problem`, lines ended by LF) appended to the log a run started now would
// have, so that the reason is kept where the runs' logs are. Written only when the program folder
// exists (nothing is made in a root that holds no store); returns the Windows path or "".
std::string WriteStartupEndLog(Process& process, const std::vector<std::string>& boxes,
                               const std::string& problem);

}  // namespace app
