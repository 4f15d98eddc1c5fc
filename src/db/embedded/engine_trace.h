#pragma once
// A record of every statement the embedded engine hands to SQLite, in SQLite's own text with the
// bound values written in: the measure of what the engine itself asks of SQLite, replayable
// through the sqlite3 shell. It is switched on for a process by naming a file in the variable
// DATAPATCH_ENGINE_TRACE; without it nothing is recorded and nothing is slowed.
//
// The file holds one record a statement: a header line "<database file>\t<length>" and then
// exactly <length> bytes of SQL followed by a line break. Statements run by triggers are not
// recorded (the statement that fired them is).
#include <sqlite3.h>

#include <string_view>

namespace db::embedded {

inline constexpr std::string_view kEngineTraceVariable = "DATAPATCH_ENGINE_TRACE";
// Names a file that gets, when the process ends, what the engine asked of SQLite: the statements
// (as recorded above), the time spent preparing statements and the time statements ran (SQLite's
// own measure, from the first step to the reset, which for a cursor read row by row includes the
// caller's time between rows), one "name value" line each.
inline constexpr std::string_view kEngineStatsVariable = "DATAPATCH_ENGINE_STATS";

// Starts recording the statements of db when the variable names a file (opened for appending on
// first use, shared by every connection of the process), and counting them when the statistics
// are asked for.
void AttachEngineTrace(sqlite3* db);

// Whether the statistics are kept; when they are, Prepare reports its time here.
bool EngineStatsOn();
void CountPrepare(double seconds);

}  // namespace db::embedded
