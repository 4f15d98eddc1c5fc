// datapatch run: start-up as the program does it, then one click on the start button with the
// check boxes as loaded (or as --store/--data1 say), and the outcome.
#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>

#include "app/frm_db_patch_main.h"
#include "app/main_sequence.h"
#include "app/process.h"
#include "app/run_report.h"
#include "app/sql_trace.h"
#include "commands.h"
#include "console.h"
#include "db/error.h"
#include "host/host.h"
#include "trace_option.h"
#include "util/main_window_model.h"

namespace cli {
namespace {

// The error rule that ends a pass.
constexpr int kEndRunRule = 10;

// A --store/--no-store pair: +1 for the positive flag, -1 for the negative one.
void TriStateFlag(CLI::App& cmd, const std::string& names, std::optional<bool>& target,
                  const std::string& help) {
    cmd.add_flag_function(
        names, [&target](std::int64_t count) { target = count > 0; }, help);
}

Outcome OutcomeOf(app::RunResult result) {
    switch (result) {
        case app::RunResult::Success:
            return Outcome::Success;
        case app::RunResult::PassFailed:
            return Outcome::PassFailed;
        case app::RunResult::StartupEnded:
            return Outcome::StartupEnded;
        case app::RunResult::HandedToMigration:
            return Outcome::HandedToMigration;
    }
    return Outcome::Internal;
}

void ApplyCheckBoxes(util::frmDBPatchMainModel& window, const RunOptions& options) {
    if (options.store) window.chk매장 = *options.store;
    if (options.data1) window.chk보안 = *options.data1;
    window.Changed(util::frmDBPatchMainModel::Control::CheckBoxes);
}

void PrintSummary(std::ostream& out, const app::RunReport& report, host::Host& host) {
    if (report.startup.outcome == app::StartupOutcome::HandedToMigration) {
        out << "the store database has the layout of before " << app::kMigrationBefore << ": "
            << (report.startup.migrationStarted ? "handed to " : "could not start ")
            << app::kMigrationTool << "\n";
        return;
    }
    if (!report.run) return;
    if (!report.run->logFile.empty()) {
        const auto native = host.Native(report.run->logFile);
        out << "log: " << report.run->logFile;
        if (native) out << " (" << native->string() << ")";
        out << "\n";
    }
    // The errors that ended a pass, so that the cause is on the screen and not only in the log.
    for (const patch::RuleEvent& e : report.run->rules) {
        if (e.rule != kEndRunRule) continue;
        out << "error at mark " << e.mark << ": " << db::HexNumber(e.number) << " " << e.description
            << "\n";
    }
    out << (report.run->Succeeded() ? "patch run finished" : "a patch pass failed") << "\n";
}

}  // namespace

CLI::App* AddRunCommand(CLI::App& app, RunOptions& options) {
    CLI::App* cmd = app.add_subcommand(
        "run", "Start up as the program does and patch the chosen databases once");
    TriStateFlag(*cmd, "--store,!--no-store", options.store,
                 "Patch (or skip) the store database; default as the window loads it (ticked)");
    TriStateFlag(*cmd, "--data1,!--no-data1", options.data1,
                 "Patch (or skip) the \"데이터1\" database; default as the configuration says");
    AddAnswerOption(*cmd, options.answer);
    AddTraceSqlOption(*cmd, options.traceSql);
    cmd->add_flag("--json", options.json,
                  "Print a JSON report on standard output (progress goes to standard error)");
    return cmd;
}

Outcome RunCommand(const GlobalOptions& global, const RunOptions& options) {
    std::unique_ptr<host::Host> host = OpenHost(global);
    if (!host) return Outcome::Usage;
    std::ostream& human = options.json ? std::cerr : std::cout;

    std::unique_ptr<host::ConsoleDesktop> console = AnsweringConsole(options.answer, human);
    RecordingDesktop desktop(*console);
    app::Process process(*host, desktop);

    std::unique_ptr<app::SqlTrace> trace;
    if (!StartSqlTrace(process, options.traceSql, trace)) return Outcome::Usage;

    app::RunReport report;
    report.versionText = process.VersionText;
    report.releaseDate = process.PatchReleaseDate;
    {
        TerminalProgress progress(process.MainWindow(), human, IsTerminal(human));
        desktop.BeforeBox([&progress] { progress.ClearStatus(); });
        report.startup = app::Main(process);
        if (app::frmDBPatchMain* form = process.MainForm()) {
            ApplyCheckBoxes(process.MainWindow(), options);
            human << process.MainWindow().Label4 << "  " << process.MainWindow().lab패치디비
                  << "\n";
            form->cmdStart_Click();
            report.run = form->LastRun();
            process.UnloadMainWindow();
        }
        desktop.BeforeBox(nullptr);
    }
    report.boxes = desktop.Boxes();

    PrintSummary(human, report, *host);
    if (options.json) std::cout << app::RunReportJson(report);
    return OutcomeOf(app::ResultOf(report));
}

}  // namespace cli
