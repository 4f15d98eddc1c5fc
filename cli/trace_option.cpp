#include "trace_option.h"

#include <CLI/CLI.hpp>
#include <iostream>

namespace cli {

void AddTraceSqlOption(CLI::App& cmd, std::string& file) {
    cmd.add_option("--trace-sql", file,
                   "Write every statement sent, with its database, to FILE (passwords masked)")
        ->option_text("FILE");
}

bool StartSqlTrace(app::Process& process, const std::string& file,
                   std::unique_ptr<app::SqlTrace>& trace) {
    if (file.empty()) return true;
    trace = std::make_unique<app::SqlTrace>(process, file);
    if (trace->Ok()) return true;
    trace.reset();
    std::cerr << "datapatch: cannot write the trace file " << file << "\n";
    return false;
}

}  // namespace cli
