#pragma once
// The subcommands of the datapatch command line, one file each (cmd_run.cpp, cmd_status.cpp,
// cmd_demo.cpp): a plain options struct, the function that adds the subcommand to the parser and
// the one that carries it out. A subcommand returns an Outcome; main alone turns outcomes into
// the documented exit codes.
#include <optional>
#include <string>

namespace CLI {
class App;
}

namespace cli {

struct GlobalOptions {
    std::string root;  // --root; empty: $DATAPATCH_ROOT, then the per-user default
};

// Pending: `status` found a database still to patch.
enum class Outcome {
    Success,
    PassFailed,
    StartupEnded,
    HandedToMigration,
    Pending,
    NoExactPreview,
    Usage,
    Internal
};

struct RunOptions {
    std::optional<bool> store;  // --store / --no-store: tick or untick 매장DataBase
    std::optional<bool> data1;  // --data1 / --no-data1: tick or untick 서버DataBase
    std::string answer;         // --answer yes|no: the answer to every Yes/No question
    std::string traceSql;       // --trace-sql FILE
    bool json = false;          // --json: the report on standard output
    bool noBackup = false;      // --no-backup: no backup before each pass
    int keepBackups = 0;        // --keep-backups N; 0: $DATAPATCH_KEEP_BACKUPS, then 5
};
CLI::App* AddRunCommand(CLI::App& app, RunOptions& options);
Outcome RunCommand(const GlobalOptions& global, const RunOptions& options);
// datapatch plan: the run above as a preview that changes nothing (same options but backups).
CLI::App* AddPlanCommand(CLI::App& app, RunOptions& options);
Outcome PlanCommand(const GlobalOptions& global, const RunOptions& options);

struct RestoreOptions {
    std::string backup;  // a file name in the backup folder or a Windows path; empty: the latest
    std::string answer;  // --answer yes|no
};
CLI::App* AddRestoreCommand(CLI::App& app, RestoreOptions& options);
Outcome RestoreCommand(const GlobalOptions& global, const RestoreOptions& options);

struct StatusOptions {
    std::string traceSql;
    bool json = false;  // --json: the facts as JSON on standard output
};
CLI::App* AddStatusCommand(CLI::App& app, StatusOptions& options);
Outcome StatusCommand(const GlobalOptions& global, const StatusOptions& options);

struct HistoryOptions {
    bool json = false;  // --json: the rows as JSON on standard output
};
CLI::App* AddHistoryCommand(CLI::App& app, HistoryOptions& options);
Outcome HistoryCommand(const GlobalOptions& global, const HistoryOptions& options);

struct DemoOptions {
    std::string kind = "mdb";    // mdb | sql
    std::string size = "small";  // small | large | 1..1000 (hundredths of large)
    unsigned seed = 1;           // --seed: the generated rows of a sized store
    bool hostile = false;        // --hostile: hostile texts in the columns the run reads
    bool force = false;          // --force: replace a root that is not an untouched demo
};
CLI::App* AddDemoCommand(CLI::App& app, DemoOptions& options);
Outcome DemoCommand(const GlobalOptions& global, const DemoOptions& options);

struct RepairOptions {
    std::string name;      // the routine
    std::string answer;    // --answer yes|no
    std::string traceSql;  // --trace-sql FILE
};
CLI::App* AddRepairCommand(CLI::App& app, RepairOptions& options);
Outcome RepairCommand(const GlobalOptions& global, const RepairOptions& options);

struct MaintenanceOptions {
    std::string action;  // db: list, attach, detach, rename, single, shrink, copy
    std::string name;    // attach, detach: the database; rename: the new name
    std::string path;    // backup --to; attach: the data file (Windows paths)
    std::string on;      // single: on | off
    std::string size;    // shrink
    bool file = false;   // shrink --file
    std::string fromMdb, fromServer, database, user, password;  // copy: the source
    std::string table, into, columns, where;                    // copy: what goes where
};
CLI::App* AddBackupCommand(CLI::App& app, MaintenanceOptions& options);
Outcome BackupCommand(const GlobalOptions& global, const MaintenanceOptions& options);
CLI::App* AddDbCommand(CLI::App& app, MaintenanceOptions& options);
Outcome DbCommand(const GlobalOptions& global, const MaintenanceOptions& options);

struct ImportJetOptions {
    std::string source;  // the Jet or ACE file
    std::string into;    // --into: the store to write; empty: the configured store database
    bool force = false;  // --force: replace an existing target after copying it aside
    bool json = false;   // --json: the report as JSON on standard output
};
CLI::App* AddImportJetCommand(CLI::App& app, ImportJetOptions& options);
Outcome ImportJetCommand(const GlobalOptions& global, const ImportJetOptions& options);

}  // namespace cli
