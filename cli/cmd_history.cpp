// datapatch history: the PATCH_HIST rows of the store database and of the "데이터1" database
// where one is configured, newest first, with the program version that wrote each and the log of
// its run. It looks as `status` does: nothing is written.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <iomanip>
#include <iostream>
#include <memory>
#include <tuple>

#include "app/main_sequence.h"
#include "app/process.h"
#include "app/store_status.h"
#include "commands.h"
#include "console.h"
#include "db/error.h"
#include "host/host.h"
#include "startup_help.h"

namespace cli {
namespace {

bool IsOpen(const db::ConnectionRef& cn) {
    return cn && cn->State() == db::ObjectState::Open;
}

// Reads the rows of one database into `rows`; false, after saying why, when they cannot be read.
bool ReadRows(app::Process& process, const db::ConnectionRef& cn, const std::string& database,
              std::vector<app::HistoryRow>& rows) {
    if (!IsOpen(cn)) {
        std::cerr << "datapatch: the " << database << " database is not open"
                  << (cn && !cn->Errors().empty() ? ": " + cn->Errors().front().description : "")
                  << "\n";
        return false;
    }
    try {
        for (app::HistoryRow& row : app::ReadPatchHistory(process, *cn, database)) {
            rows.push_back(std::move(row));
        }
        return true;
    } catch (const db::DbError& e) {
        std::cerr << "datapatch: the patch history of the " << database
                  << " database cannot be read: " << e.Description() << "\n";
        return false;
    }
}

void PrintRows(std::ostream& out, const std::vector<app::HistoryRow>& rows) {
    if (rows.empty()) {
        out << "no patch history\n";
        return;
    }
    out << std::left << std::setw(10) << "database" << std::setw(10) << "date" << std::setw(5)
        << "no" << std::setw(8) << "tag" << std::setw(21) << "written"
        << "version\n";
    for (const app::HistoryRow& r : rows) {
        out << std::setw(10) << r.database << std::setw(10) << r.date << std::setw(5) << r.number
            << std::setw(8) << (r.tag.empty() ? "-" : r.tag) << std::setw(21)
            << (r.written.empty() ? "-" : r.written) << r.version << "\n";
        if (!r.logFile.empty()) out << "  log: " << r.logFile << "\n";
    }
}

}  // namespace

CLI::App* AddHistoryCommand(CLI::App& app, HistoryOptions& options) {
    CLI::App* cmd = app.add_subcommand(
        "history",
        "List the patch runs recorded in the databases (PATCH_HIST), newest first; changes "
        "nothing");
    cmd->add_flag("--json", options.json, "Print the rows as JSON on standard output");
    return cmd;
}

Outcome HistoryCommand(const GlobalOptions& global, const HistoryOptions& options) {
    std::unique_ptr<host::Host> host = OpenHost(global);
    if (!host) return Outcome::Usage;
    std::ostream& human = options.json ? std::cerr : std::cout;
    host::ConsoleDesktop console(host::ConsoleDesktop::Options{}, std::cin, human, std::cerr,
                                 false);
    app::Process process(*host, console, config::Access::ReadOnly);

    const app::StartupOutcome startup = app::PrepareStore(process);
    if (startup != app::StartupOutcome::Ready) {
        ExplainStartupEnd(process, startup, std::cerr);
        return Outcome::StartupEnded;
    }
    std::vector<app::HistoryRow> rows;
    bool complete = ReadRows(process, process.StoreConnection, "store", rows);
    if (app::Data1Configured(process.Config())) {
        complete =
            ReadRows(process, app::Data1ConnectionOrFailure(process), "data1", rows) && complete;
    }
    std::stable_sort(
        rows.begin(), rows.end(), [](const app::HistoryRow& a, const app::HistoryRow& b) {
            return std::tie(a.written, a.date, a.number) > std::tie(b.written, b.date, b.number);
        });
    if (options.json) {
        std::cout << app::PatchHistoryJson(rows, process);
    } else {
        PrintRows(std::cout, rows);
    }
    return complete ? Outcome::Success : Outcome::StartupEnded;
}

}  // namespace cli
