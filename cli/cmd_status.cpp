// datapatch status: start-up up to the configuration load, then what the main window would say
// about the store database: version, last patch date and whether there is something to patch.
#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>

#include "app/frm_db_patch_main.h"
#include "app/main_sequence.h"
#include "app/process.h"
#include "app/sql_trace.h"
#include "commands.h"
#include "console.h"
#include "db/error.h"
#include "history/cls_patch_hist.h"
#include "host/host.h"
#include "trace_option.h"

namespace cli {

CLI::App* AddStatusCommand(CLI::App& app, StatusOptions& options) {
    CLI::App* cmd = app.add_subcommand(
        "status", "Show the version and whether the store database still needs this release");
    AddTraceSqlOption(*cmd, options.traceSql);
    return cmd;
}

Outcome StatusCommand(const GlobalOptions& global, const StatusOptions& options) {
    std::unique_ptr<host::Host> host = OpenHost(global);
    if (!host) return Outcome::Usage;
    host::ConsoleDesktop console(host::ConsoleDesktop::Options{}, std::cin, std::cout, std::cerr,
                                 false);
    app::Process process(*host, console);
    std::unique_ptr<app::SqlTrace> trace;
    if (!StartSqlTrace(process, options.traceSql, trace)) return Outcome::Usage;

    if (app::PrepareStore(process) != app::StartupOutcome::Ready) return Outcome::StartupEnded;
    std::string lastPatch;
    try {
        history::clsPatch_Hist history(process);
        lastPatch = history.LastPatchDate();
    } catch (const db::DbError& e) {
        std::cerr << "datapatch: the patch history cannot be read: " << e.Description() << "\n";
        return Outcome::StartupEnded;
    }
    const std::string store = process.StoreConnection
                                  ? app::DescribeDatabase(process.StoreConnection->ConnectionString)
                                  : std::string("-");
    std::cout << process.VersionText << "\n"
              << "release      " << process.PatchReleaseDate << "\n"
              << "store        " << store << "\n"
              << "last patch   " << (lastPatch.empty() ? "(none)" : lastPatch) << "\n"
              << app::PatchStateLabel(lastPatch, process.PatchReleaseDate) << "\n";
    if (lastPatch < app::kMigrationBefore) {
        std::cout << "start-up hands this database to " << app::kMigrationTool << "\n";
    }
    return Outcome::Success;
}

}  // namespace cli
