#pragma once
// The log of a patch run: its run list, messages, the errors the catalogue's rules passed over
// and the outcome of each pass, written as a text file named after the run's start into the
// Patch folder of the program folder ("C:\Quillon\Patch\20201221-093000.log"), the folder that
// the main window names as the place of the patch records.
#include <chrono>
#include <string>

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

}  // namespace app
