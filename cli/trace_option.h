#pragma once
// The --trace-sql option that the subcommands share.
#include <memory>
#include <string>

#include "app/sql_trace.h"

namespace CLI {
class App;
}

namespace cli {

// Adds --trace-sql FILE to the subcommand.
void AddTraceSqlOption(CLI::App& cmd, std::string& file);

// Starts tracing into `file` when one was given. False, after telling the user on standard
// error, when the file cannot be written; `trace` then holds nothing.
bool StartSqlTrace(app::Process& process, const std::string& file,
                   std::unique_ptr<app::SqlTrace>& trace);

}  // namespace cli
