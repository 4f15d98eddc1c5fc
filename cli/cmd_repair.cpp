// datapatch repair NAME: start-up up to the configuration load, then one data repair routine on
// the store database, with the run list and progress drawn as during a patch run.
#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <sstream>

#include "app/main_sequence.h"
#include "app/process.h"
#include "app/repair_routines.h"
#include "app/run_log.h"
#include "app/sql_trace.h"
#include "commands.h"
#include "console.h"
#include "db/error.h"
#include "host/host.h"
#include "trace_option.h"

namespace cli {

namespace {

std::string RoutineList() {
    std::ostringstream out;
    out << "Repair routines (in brackets the name of the main window's button that runs it):\n";
    for (const app::RepairRoutine& routine : app::RepairRoutines()) {
        out << "  " << routine.name;
        if (*routine.button) out << " (" << routine.button << ")";
        out << "\n      " << routine.summary << "\n";
    }
    return out.str();
}

}  // namespace

CLI::App* AddRepairCommand(CLI::App& app, RepairOptions& options) {
    CLI::App* cmd = app.add_subcommand(
        "repair", "Run one data repair routine on the configured store database");
    cmd->add_option("name", options.name, "The routine to run (letter case does not matter)")
        ->required();
    AddAnswerOption(*cmd, options.answer);
    AddTraceSqlOption(*cmd, options.traceSql);
    cmd->footer(RoutineList());
    return cmd;
}

Outcome RepairCommand(const GlobalOptions& global, const RepairOptions& options) {
    const app::RepairRoutine* routine = app::FindRepairRoutine(options.name);
    if (!routine) {
        std::cerr << "datapatch: there is no repair routine \"" << options.name << "\"\n"
                  << RoutineList();
        return Outcome::Usage;
    }
    std::unique_ptr<host::Host> host = OpenHost(global);
    if (!host) return Outcome::Usage;

    std::unique_ptr<host::ConsoleDesktop> console = AnsweringConsole(options.answer, std::cout);
    RecordingDesktop desktop(*console);
    app::Process process(*host, desktop);
    std::unique_ptr<app::SqlTrace> trace;
    if (!StartSqlTrace(process, options.traceSql, trace)) return Outcome::Usage;

    if (app::PrepareStore(process) != app::StartupOutcome::Ready) return Outcome::StartupEnded;
    std::cout << routine->name << "  "
              << (process.StoreConnection
                      ? app::DescribeDatabase(process.StoreConnection->ConnectionString)
                      : std::string("-"))
              << "\n";

    app::RepairOutcome outcome;
    std::string failure;
    app::RepairLog log(process, routine->name);
    {
        TerminalProgress progress(process.MainWindow(), std::cout, IsTerminal(std::cout),
                                  routine->name);
        desktop.BeforeBox([&progress] { progress.ClearStatus(); });
        progress.WatchProgressWindow(process.Dialogs());
        desktop.OnDoEvents([&progress] { progress.Poll(); });
        try {
            outcome = routine->run(process);
        } catch (const db::DbError& e) {
            outcome.succeeded = false;
            failure = "error " +
                      (e.Number() < 0 ? db::HexNumber(e.Number()) : std::to_string(e.Number())) +
                      ": " + e.Description();
        }
        desktop.BeforeBox(nullptr);
        desktop.OnDoEvents(nullptr);
        progress.Finish();
    }
    const std::string detail =
        failure.empty() ? outcome.detail
                        : failure + (outcome.detail.empty() ? "" : " (" + outcome.detail + ")");
    const std::string logFile = log.Finish(outcome.succeeded, detail);
    std::string logLine = logFile.empty() ? "" : "log: " + logFile + "\n";
    for (const std::string& note : process.Host().Notes()) logLine += "note: " + note + "\n";
    if (!outcome.succeeded) {
        std::cerr << "datapatch: " << routine->name << " stopped"
                  << (failure.empty() ? "" : " with " + failure)
                  << (outcome.detail.empty() ? "" : " (" + outcome.detail + ")") << "\n"
                  << logLine;
        return Outcome::PassFailed;
    }
    std::cout << routine->name << " finished"
              << (outcome.detail.empty() ? "" : ": " + outcome.detail) << "\n"
              << logLine;
    return Outcome::Success;
}

}  // namespace cli
