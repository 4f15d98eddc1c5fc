// datapatch run: start-up as the program does it, then one click on the start button with the
// check boxes as loaded (or as --store/--data1 say), and the outcome.
#include <CLI/CLI.hpp>
#include <cstdlib>
#include <iostream>
#include <memory>

#include "app/frm_db_patch_main.h"
#include "app/main_sequence.h"
#include "app/pass_backup.h"
#include "app/process.h"
#include "app/run_log.h"
#include "app/run_report.h"
#include "app/sql_trace.h"
#include "commands.h"
#include "console.h"
#include "db/error.h"
#include "host/host.h"
#include "startup_help.h"
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

// The block after the run list: each pass's outcome and backup, how many errors the rules passed
// over, and the instructions of the run's boxes, which stand out at a terminal.
void PrintRunSummary(std::ostream& out, const app::RunSummary& summary, bool color) {
    out << "\nsummary\n";
    for (const app::RunSummary::Pass& p : summary.passes) {
        out << "  " << (p.database == "data1" ? "데이터1 " : "store   ") << "  " << p.result;
        if (!p.backup.empty()) out << "  (backup " << p.backup << ")";
        if (p.backupDropped) out << "  (backup dropped: no value and no table changed)";
        out << "\n";
    }
    out << "  errors passed over by the rules: " << summary.errorsPassedOver << "\n";
    if (summary.actions.empty()) return;
    out << "  to do:\n";
    for (const std::string& action : summary.actions) {
        std::string line = action;
        for (std::size_t at = 0; (at = line.find("\r\n", at)) != std::string::npos;) {
            line.replace(at, 2, " ");
        }
        out << "    " << (color ? "\033[1;33m! " : "! ") << line << (color ? "\033[0m" : "")
            << "\n";
    }
}

void PrintNotes(std::ostream& out, const app::RunReport& report) {
    for (const std::string& note : report.notes) out << "note: " << note << "\n";
}

void PrintSummary(std::ostream& out, const app::RunReport& report, host::Host& host, bool color) {
    const bool preview = report.preview;
    if (report.startup.outcome == app::StartupOutcome::HandedToMigration) {
        out << "the store database has the layout of before " << app::kMigrationBefore << ": "
            << (report.startup.migrationStarted ? "handed to " : "could not start ")
            << app::kMigrationTool << "\n";
        return;
    }
    if (!report.run) {
        PrintNotes(out, report);
        return;
    }
    PrintRunSummary(out, app::SummaryOf(report), color);
    if (!report.run->logFile.empty()) {
        const auto native = host.Native(report.run->logFile);
        out << "log: " << report.run->logFile;
        if (native) out << " (" << native->string() << ")";
        out << "\n";
    }
    PrintNotes(out, report);
    // The errors that ended a pass, so that the cause is on the screen and not only in the log;
    // a full or failing disk is the user's to mend, not the vendor's the box names.
    bool diskFault = false;
    for (const patch::RuleEvent& e : report.run->rules) {
        if (e.rule != kEndRunRule) continue;
        out << "error at mark " << e.mark << ": " << db::HexNumber(e.number) << " " << e.description
            << "\n";
        diskFault = diskFault || e.description.find("disk is full") != std::string::npos ||
                    e.description.find("disk I/O error") != std::string::npos;
    }
    if (diskFault && !preview) {
        out << "the disk holding the database is full or cannot be written: free some space (or "
               "mend the disk) and run again; the run goes on from where this one stopped\n";
    }
    if (preview) {
        out << (report.run->Succeeded() ? "plan: the run would finish the patch"
                                        : "plan: a patch pass would fail")
            << "\n";
        return;
    }
    out << (report.run->Succeeded() ? "patch run finished" : "a patch pass failed") << "\n";
}

// What the preview did not carry out, and whether it is exact.
void PrintPreview(std::ostream& out, const app::RunReport& report) {
    if (!report.withheld.empty()) {
        out << "plan: a run would also do what the preview left undone:\n";
        for (const std::string& what : report.withheld) out << "  " << what << "\n";
    }
    if (!report.previewBroken.empty()) {
        out << "plan: no exact preview is possible: " << report.previewBroken
            << ". What is shown above stops being what a run would do from there; nothing was "
               "changed.\n";
    } else {
        out << "plan: nothing was changed (every change was rolled back)\n";
    }
}

Outcome Drive(const GlobalOptions& global, const RunOptions& options, bool preview) {
    std::unique_ptr<host::Host> host = OpenHost(global);
    if (!host) return Outcome::Usage;
    std::ostream& human = options.json ? std::cerr : std::cout;
    int keptBackups = options.keepBackups;
    if (keptBackups == 0) {
        const std::optional<int> fromEnvironment = app::KeptBackupsFromEnvironment();
        if (!fromEnvironment) {
            std::cerr << "datapatch: " << app::kKeptBackupsVariable
                      << " must be a number from 1 to 1000\n";
            return Outcome::Usage;
        }
        keptBackups = *fromEnvironment;
    }
    host->SetPreview(preview);

    std::unique_ptr<host::ConsoleDesktop> console = AnsweringConsole(options.answer, human);
    RecordingDesktop desktop(*console);
    app::Process process(*host, desktop);

    std::unique_ptr<app::SqlTrace> trace;
    if (!StartSqlTrace(process, options.traceSql, trace)) return Outcome::Usage;

    if (preview) {
        human << "plan: a preview of `run`; every change is rolled back, no file is written and "
                 "no program is started\n";
    }
    app::RunReport report;
    report.versionText = process.VersionText;
    report.releaseDate = process.PatchReleaseDate;
    report.preview = preview;
    {
        TerminalProgress progress(process.MainWindow(), human, IsTerminal(human));
        desktop.BeforeBox([&progress] { progress.ClearStatus(); });
        report.startup = app::Main(process);
        if (app::frmDBPatchMain* form = process.MainForm()) {
            ApplyCheckBoxes(process.MainWindow(), options);
            form->BackupBeforePass = !options.noBackup;
            form->KeptBackups = keptBackups;
            human << process.MainWindow().Label4 << "  " << process.MainWindow().lab패치디비
                  << "\n";
            form->cmdStart_Click();
            report.run = form->LastRun();
            process.UnloadMainWindow();
        }
        desktop.BeforeBox(nullptr);
    }
    ExplainStartupEnd(process, report.startup.outcome, std::cerr);
    report.startupProblem = StartupProblem(process, report.startup.outcome);
    if (!preview && report.startup.outcome == app::StartupOutcome::ConfigurationFailed &&
        !report.startupProblem.empty()) {
        std::vector<std::string> shown;
        for (const app::ShownBox& box : desktop.Boxes()) shown.push_back(box.text);
        report.startupLog = app::WriteStartupEndLog(process, shown, report.startupProblem);
        if (!report.startupLog.empty())
            std::cerr << "datapatch: log: " << report.startupLog << "\n";
    }
    report.boxes = desktop.Boxes();
    report.withheld = host->Withheld();
    report.previewBroken = host->PreviewBrokenReason();
    report.notes = host->Notes();

    const char* noColor = std::getenv("NO_COLOR");
    PrintSummary(human, report, *host,
                 IsTerminal(human) && (noColor == nullptr || *noColor == '\0'));
    if (preview) PrintPreview(human, report);
    if (options.noBackup && report.run && !report.run->passes.empty()) {
        human << (preview ? "plan: the run would take no backup (--no-backup)\n"
                          : "no backup was taken (--no-backup)\n");
    }
    if (options.json) std::cout << app::RunReportJson(report);
    if (preview && !report.previewBroken.empty()) return Outcome::NoExactPreview;
    return OutcomeOf(app::ResultOf(report));
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
    cmd->add_flag("--no-backup", options.noBackup,
                  "Take no backup of the databases before their passes");
    cmd->add_option("--keep-backups", options.keepBackups,
                    "Backups of each database to keep (default $DATAPATCH_KEEP_BACKUPS, then 5)")
        ->check(CLI::Range(1, 1000));
    return cmd;
}

Outcome RunCommand(const GlobalOptions& global, const RunOptions& options) {
    return Drive(global, options, false);
}

CLI::App* AddPlanCommand(CLI::App& app, RunOptions& options) {
    CLI::App* cmd = app.add_subcommand(
        "plan",
        "Show what `run` would do, exactly, without changing anything: every change is made "
        "inside transactions that are rolled back, and no file, program or setting is touched");
    TriStateFlag(*cmd, "--store,!--no-store", options.store,
                 "Preview the store database's pass (or not); default as for run");
    TriStateFlag(*cmd, "--data1,!--no-data1", options.data1,
                 "Preview the \"데이터1\" pass (or not); default as for run");
    AddAnswerOption(*cmd, options.answer);
    AddTraceSqlOption(*cmd, options.traceSql);
    cmd->add_flag("--json", options.json,
                  "Print the JSON report of run --json, with a \"preview\" part, on standard "
                  "output");
    cmd->add_flag("--no-backup", options.noBackup, "Preview a run with --no-backup");
    return cmd;
}

Outcome PlanCommand(const GlobalOptions& global, const RunOptions& options) {
    return Drive(global, options, true);
}

}  // namespace cli
