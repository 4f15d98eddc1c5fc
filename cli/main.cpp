// The datapatch command line: parses arguments, hands the chosen subcommand to its file and maps
// its outcome to the documented exit codes.
#include <CLI/CLI.hpp>
#include <csignal>
#include <exception>
#include <iostream>
#include <string_view>

#include "app/process.h"
#include "app/version.h"
#include "cmd_sql.h"
#include "commands.h"
#include "db/embedded/page_memory.h"
#include "exit_codes.h"

namespace {

void PrintVersion() {
    std::cout << "datapatch " << app::kVersionString << "\n"
              << app::BuildVersionText(app::kVersionMajor, app::kVersionMinor,
                                       app::kVersionRevision)
              << "\n"
              << "catalogue release 20201221\n";
}

struct ExitCodeOf {
    cli::Outcome outcome;
    cli::ExitCode code;
};
constexpr ExitCodeOf kExitCodes[] = {
    {cli::Outcome::Success, cli::kSuccess},
    {cli::Outcome::PassFailed, cli::kPassFailed},
    {cli::Outcome::StartupEnded, cli::kStartupEnded},
    {cli::Outcome::HandedToMigration, cli::kHandedToMigration},
    {cli::Outcome::NoExactPreview, cli::kNoExactPreview},
    {cli::Outcome::Pending, cli::kPending},
    {cli::Outcome::Usage, cli::kUsage},
    {cli::Outcome::Internal, cli::kInternal},
};

int ExitCode(cli::Outcome outcome) {
    for (const ExitCodeOf& e : kExitCodes) {
        if (e.outcome == outcome) return e.code;
    }
    return cli::kInternal;
}

bool EmptyRootGiven(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--root=") return true;
        if (arg == "--root" && i + 1 < argc && argv[i + 1][0] == '\0') return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    // A file that reaches the size limit (a full disk, a quota) is an error of the write that
    // the database reports, not a signal that kills the run halfway.
    std::signal(SIGXFSZ, SIG_IGN);
    db::embedded::UsePageRegion();
    CLI::App cliApp{
        "datapatch brings a store's back-office database up to the layout of the current store "
        "software release.",
        "datapatch"};
    bool showVersion = false;
    cliApp.add_flag("-V,--version", showVersion, "Print the version and exit");
    cli::GlobalOptions global;
    cliApp.add_option("--root", global.root,
                      "Folder that holds the virtual drives (C:\\ is <root>/c); default "
                      "$DATAPATCH_ROOT, then ~/.local/share/datapatch/root");
    cliApp.require_subcommand(0, 1);
    cliApp.footer(
        "Exit codes: 0 success (status: up to date), 1 a pass failed, 2 start-up ended, 3 handed "
        "to the migration tool, 4 no exact preview (plan), 10 status: patching pending, 64 "
        "usage, 70 internal error.");

    cli::RunOptions runOptions;
    cli::StatusOptions statusOptions;
    cli::DemoOptions demoOptions;
    CLI::App* run = cli::AddRunCommand(cliApp, runOptions);
    cli::RunOptions planOptions;
    CLI::App* plan = cli::AddPlanCommand(cliApp, planOptions);
    cli::RestoreOptions restoreOptions;
    CLI::App* restore = cli::AddRestoreCommand(cliApp, restoreOptions);
    CLI::App* status = cli::AddStatusCommand(cliApp, statusOptions);
    cli::HistoryOptions historyOptions;
    CLI::App* history = cli::AddHistoryCommand(cliApp, historyOptions);
    CLI::App* demo = cli::AddDemoCommand(cliApp, demoOptions);
    cli::SqlOptions sqlOptions;
    CLI::App* sql = cli::AddSqlCommand(cliApp, sqlOptions);
    cli::RepairOptions repairOptions;
    CLI::App* repair = cli::AddRepairCommand(cliApp, repairOptions);
    cli::MaintenanceOptions backupOptions;
    CLI::App* backup = cli::AddBackupCommand(cliApp, backupOptions);
    cli::MaintenanceOptions dbOptions;
    CLI::App* dbCommand = cli::AddDbCommand(cliApp, dbOptions);
    cli::ImportJetOptions importJetOptions;
    CLI::App* importJet = cli::AddImportJetCommand(cliApp, importJetOptions);

    // An empty --root would quietly fall back to the default root ("--root=" would even take
    // the subcommand's name for the folder).
    if (EmptyRootGiven(argc, argv)) {
        std::cerr << "datapatch: --root needs a folder; leave the option out to use "
                     "$DATAPATCH_ROOT or ~/.local/share/datapatch/root\n";
        return cli::kUsage;
    }
    try {
        cliApp.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = cliApp.exit(e);
        return code == 0 ? cli::kSuccess : cli::kUsage;
    }
    if (showVersion) {
        PrintVersion();
        return cli::kSuccess;
    }
    try {
        if (run->parsed()) return ExitCode(cli::RunCommand(global, runOptions));
        if (plan->parsed()) return ExitCode(cli::PlanCommand(global, planOptions));
        if (restore->parsed()) return ExitCode(cli::RestoreCommand(global, restoreOptions));
        if (status->parsed()) return ExitCode(cli::StatusCommand(global, statusOptions));
        if (history->parsed()) return ExitCode(cli::HistoryCommand(global, historyOptions));
        if (demo->parsed()) return ExitCode(cli::DemoCommand(global, demoOptions));
        if (sql->parsed()) return cli::RunSqlCommand(sqlOptions, global.root);
        if (repair->parsed()) return ExitCode(cli::RepairCommand(global, repairOptions));
        if (backup->parsed()) return ExitCode(cli::BackupCommand(global, backupOptions));
        if (dbCommand->parsed()) return ExitCode(cli::DbCommand(global, dbOptions));
        if (importJet->parsed()) return ExitCode(cli::ImportJetCommand(global, importJetOptions));
    } catch (const std::exception& e) {
        std::cerr << "datapatch: " << e.what() << "\n";
        return cli::kInternal;
    }
    std::cout << cliApp.help();
    return cli::kSuccess;
}
