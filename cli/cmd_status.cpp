// datapatch status: start-up up to the configuration load, as a process that only looks (no
// INI or settings write, no configuration row, no lock, no log; every database opened
// read-only), then what the main window would say about the store database and, where one is
// configured, the "데이터1" database: version, last patch date and whether there is something to
// patch. The exit code tells "up to date" from "patching pending".
#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>

#include "app/frm_db_patch_main.h"
#include "app/main_sequence.h"
#include "app/process.h"
#include "app/run_report.h"
#include "app/sql_trace.h"
#include "app/store_status.h"
#include "commands.h"
#include "console.h"
#include "startup_help.h"
#include "trace_option.h"

namespace cli {
namespace {

void PrintDatabase(std::ostream& out, const app::DatabaseStatus& db, const char* name,
                   const char* patchLabel) {
    out << name << (db.opened ? db.database : "(not opened: " + db.error + ")") << "\n";
    if (!db.opened) return;
    out << patchLabel;
    if (!db.historyRead) {
        out << "(unreadable: " << db.error << ")\n";
    } else {
        out << (db.lastPatch.empty() ? "(none)" : db.lastPatch) << "\n";
    }
}

const char* StartupName(app::StartupOutcome outcome) {
    switch (outcome) {
        case app::StartupOutcome::Ready:
            return "ready";
        case app::StartupOutcome::AlreadyRunning:
            return "already-running";
        case app::StartupOutcome::TimeFormatRefused:
            return "time-format-refused";
        case app::StartupOutcome::ConfigurationFailed:
            return "configuration-failed";
        case app::StartupOutcome::HandedToMigration:
            return "handed-to-migration";
    }
    return "unknown";
}

// Start-up ended before the facts could be read: how (named as `run --json` names it), what the
// user saw and what to do.
std::string StartupEndedJson(const app::Process& process, app::StartupOutcome outcome,
                             const std::string& problem, const std::vector<app::ShownBox>& boxes) {
    std::string shown = "[";
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        shown += std::string(i ? ", " : "") + "{\"title\": " + app::JsonQuoted(boxes[i].title) +
                 ", \"text\": " + app::JsonQuoted(boxes[i].text) + "}";
    }
    return "{\n  \"version\": " + app::JsonQuoted(process.VersionText) +
           ",\n  \"release\": " + app::JsonQuoted(process.PatchReleaseDate) +
           ",\n  \"startup\": \"" + StartupName(outcome) + "\",\n  \"boxes\": " + shown +
           "],\n  \"problem\": " + app::JsonQuoted(problem) + "\n}\n";
}

}  // namespace

CLI::App* AddStatusCommand(CLI::App& app, StatusOptions& options) {
    CLI::App* cmd = app.add_subcommand(
        "status",
        "Show the version and whether the databases still need this release; changes nothing "
        "(exit 0 up to date, 10 patching pending)");
    AddTraceSqlOption(*cmd, options.traceSql);
    cmd->add_flag("--json", options.json, "Print the facts as JSON on standard output");
    return cmd;
}

Outcome StatusCommand(const GlobalOptions& global, const StatusOptions& options) {
    std::unique_ptr<host::Host> host = OpenHost(global);
    if (!host) return Outcome::Usage;
    std::ostream& human = options.json ? std::cerr : std::cout;
    host::ConsoleDesktop console(host::ConsoleDesktop::Options{}, std::cin, human, std::cerr,
                                 false);
    RecordingDesktop desktop(console);
    app::Process process(*host, desktop, config::Access::ReadOnly);
    std::unique_ptr<app::SqlTrace> trace;
    if (!StartSqlTrace(process, options.traceSql, trace)) return Outcome::Usage;

    const app::StartupOutcome startup = app::PrepareStore(process);
    if (startup != app::StartupOutcome::Ready) {
        ExplainStartupEnd(process, startup, std::cerr);
        if (options.json) {
            std::cout << StartupEndedJson(process, startup, StartupProblem(process, startup),
                                          desktop.Boxes());
        }
        return Outcome::StartupEnded;
    }
    const app::StoreStatus status = app::ReadStoreStatus(process);
    if (!status.store.historyRead) {
        std::cerr << "datapatch: the patch history of the store database cannot be read: "
                  << status.store.error << "\n";
    }
    if (options.json) {
        std::cout << app::StoreStatusJson(status, desktop.Boxes());
    } else {
        std::cout << status.versionText << "\n"
                  << "release      " << status.releaseDate << "\n";
        PrintDatabase(std::cout, status.store, "store        ", "last patch   ");
        if (status.data1) PrintDatabase(std::cout, *status.data1, "data1        ", "data1 patch  ");
        std::cout << (status.Pending() ? app::kPatchPendingLabel : app::kNothingToPatchLabel)
                  << "\n";
        if (status.migration) {
            std::cout << "start-up hands this database to " << app::kMigrationTool << "\n";
        } else if (status.Pending()) {
            std::cout << "`datapatch run` patches to release " << status.releaseDate << "\n";
        }
    }
    return status.Pending() ? Outcome::Pending : Outcome::Success;
}

}  // namespace cli
