// datapatch restore: puts a backup that a run took before a pass back in place of its database,
// after a question, and never while a run (or another program) holds that database.
#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>
#include <memory>
#include <vector>

#include "app/frm_db_patch_main.h"
#include "app/main_sequence.h"
#include "app/pass_backup.h"
#include "app/process.h"
#include "commands.h"
#include "config/norv_conn.h"
#include "console.h"
#include "db/error.h"
#include "db/kro_ado.h"
#include "db/patch_lock.h"
#include "db/router.h"
#include "host/desktop.h"
#include "host/host.h"
#include "startup_help.h"
#include "util/sql_text.h"
#include "util/vb_text.h"

namespace cli {
namespace {

namespace fs = std::filesystem;

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// The Windows path of the backup the user named: a file name of the backup folder, or a path.
std::string BackupPath(app::Process& process, const std::string& named) {
    if (named.find_first_of("\\/:") != std::string::npos) return named;
    return process.Host().ProgramFolder() + app::kBackupFolder + "\\" + named;
}

std::string FileNameOf(const std::string& windowsPath) {
    const std::size_t slash = windowsPath.find_last_of("\\/");
    return slash == std::string::npos ? windowsPath : windowsPath.substr(slash + 1);
}

void CloseConnections(app::Process& process) {
    for (db::ConnectionRef* cn : {&process.StoreConnection, &process.Data1Connection,
                                  &process.AdminConnection, &process.CentralConnection}) {
        if (*cn) (*cn)->Close();
    }
}

// RESTORE DATABASE on the server of the database, from its master database, with everybody else
// sent out of it first.
void RestoreOnServer(app::Process& process, bool data1, const std::string& database,
                     const std::string& backup) {
    config::NorvConn& config = process.Config();
    const std::string server =
        util::Trim(data1 ? config.데이터_SQLServer_S : config.데이터_SQLServer);
    const std::string user = util::Trim(data1 ? config.데이터_SQLID_S : config.데이터_SQLID);
    const std::string password =
        util::Trim(data1 ? config.데이터_SQLPass_S : config.데이터_SQLPass);
    db::Kro_Ado ado(process.Ado());
    db::ConnectionRef master;
    if (!ado.DBConnection_SQL(master, server, "master", user, password)) {
        throw db::DbError(db::ErrorNumber::kUnspecified,
                          "the server " + server + " cannot be reached: " + ado.ErrDes);
    }
    const std::string name = db::SqlName(database, "the database to restore");
    const std::string disk = "N" + util::SqlQuoted(backup);
    master->Execute("ALTER DATABASE " + name + " SET SINGLE_USER WITH ROLLBACK IMMEDIATE");
    try {
        master->Execute("RESTORE DATABASE " + name + " FROM DISK = " + disk + " WITH REPLACE");
    } catch (const db::DbError&) {
        master->Execute("ALTER DATABASE " + name + " SET MULTI_USER");
        throw;
    }
    master->Execute("ALTER DATABASE " + name + " SET MULTI_USER");
}

// Whether the connection's database, a file of the embedded engine, is there but cannot be
// opened (damaged, say): its backups can still be put back, and that is when they are needed
// most.
bool FileUnopenable(app::Process& process, const db::ConnectionRef& cn) {
    if (!cn || cn->State() == db::ObjectState::Open) return false;
    try {
        const app::BackupSubject subject = app::SubjectOf(process, cn);
        std::error_code ec;
        return subject.file && fs::is_regular_file(*subject.file, ec);
    } catch (const db::DbError&) {
        return false;
    }
}

}  // namespace

CLI::App* AddRestoreCommand(CLI::App& app, RestoreOptions& options) {
    CLI::App* cmd = app.add_subcommand(
        "restore",
        "Put back the backup a run took before patching (default: the store database's latest)");
    cmd->add_option("backup", options.backup,
                    "A backup's file name in the backup folder (C:\\Quillon\\Backup\\Patch), or "
                    "its Windows path");
    AddAnswerOption(*cmd, options.answer);
    return cmd;
}

Outcome RestoreCommand(const GlobalOptions& global, const RestoreOptions& options) {
    std::unique_ptr<host::Host> host = OpenHost(global);
    if (!host) return Outcome::Usage;
    std::unique_ptr<host::ConsoleDesktop> console = AnsweringConsole(options.answer, std::cout);
    app::Process process(*host, *console);
    // One copy at a time on the root: a run on it refuses this, as it refuses a second run.
    const app::StartupOutcome started = app::PrepareStore(process);
    const bool storeBroken = started == app::StartupOutcome::ConfigurationFailed &&
                             FileUnopenable(process, process.StoreConnection);
    if (started != app::StartupOutcome::Ready) {
        ExplainStartupEnd(process, started, std::cerr);
        if (!storeBroken) return Outcome::StartupEnded;
        std::cerr << "datapatch: its own backups can still be put back\n";
    }

    try {
        const app::BackupSubject store = app::SubjectOf(process, process.StoreConnection);
        std::string backup;
        if (options.backup.empty()) {
            const std::vector<std::string> all = app::BackupsOf(process, store);
            if (all.empty()) {
                std::cerr << "datapatch: there is no backup of " << store.name << " in "
                          << process.Host().ProgramFolder() << app::kBackupFolder << "\n";
                return Outcome::PassFailed;
            }
            backup = all.back();
            // The newest backup holds the database as the last attempt found it; after runs
            // that did not finish, the state before all of them is an older one.
            if (!storeBroken) {
                const std::string before =
                    app::BackupBeforeUnfinishedRuns(process, store, process.StoreConnection);
                if (!before.empty()) {
                    std::cout << "the newest backup is from a run that did not finish; the "
                                 "database as it was before the unfinished runs is in "
                              << before << " (name it to put that back instead)\n";
                }
            }
        } else {
            backup = BackupPath(process, options.backup);
        }
        const std::optional<fs::path> backupFile = process.Host().Native(backup);
        std::error_code ec;
        if (!backupFile || !fs::is_regular_file(*backupFile, ec)) {
            std::cerr << "datapatch: no backup " << backup << "\n";
            return Outcome::Usage;
        }
        const std::string database = app::BackupDatabaseName(FileNameOf(backup));
        if (database.empty()) {
            std::cerr << "datapatch: " << backup
                      << " is no backup of a run (<database>_<yyyyMMdd-HHmmss>.mdb or .dat)\n";
            return Outcome::Usage;
        }
        // The database the backup was taken of: the store's, or "데이터1".
        bool data1 = false;
        bool targetBroken = storeBroken;
        db::ConnectionRef target = process.StoreConnection;
        app::BackupSubject subject = store;
        if (Lower(database) != Lower(store.name)) {
            if (storeBroken) {
                std::cerr << "datapatch: " << backup << " is no backup of the store database ("
                          << store.name << "); while it cannot be opened, only its backups can "
                          << "be put back\n";
                return Outcome::Usage;
            }
            const db::ConnectionRef tried = app::Data1ConnectionOrFailure(process);
            const bool opened = tried && tried->State() == db::ObjectState::Open;
            if (opened || FileUnopenable(process, tried)) {
                subject = app::SubjectOf(process, tried);
                target = tried;
                data1 = true;
                targetBroken = !opened;
            }
            if (targetBroken) {
                const auto& errors = tried->Errors();
                std::cerr << "datapatch: the \"데이터1\" database cannot be opened"
                          << (errors.empty() ? "" : ": " + errors.front().description)
                          << "\ndatapatch: its own backups can still be put back\n";
            }
            if (!data1 || Lower(database) != Lower(subject.name)) {
                std::cerr << "datapatch: " << backup << " is a backup of " << database
                          << ", which is neither the store database (" << store.name
                          << ") nor the \"데이터1\" database of this configuration\n";
                return Outcome::Usage;
            }
        }

        std::unique_ptr<db::PatchLock> lock = db::PatchLock::Acquire(
            *process.Ado().router, target, std::chrono::milliseconds(0), nullptr);
        if (!lock) {
            std::cerr << "datapatch: " << subject.name
                      << " is being patched by a run; restore it when the run has ended\n";
            return Outcome::PassFailed;
        }
        // A file the engine cannot open is written by no program through it either.
        if (!targetBroken && target->ProbeWriteAccess(0) != db::WriteAccess::Available) {
            std::cerr << "datapatch: another program is writing to " << subject.name
                      << " (or its file is read-only); nothing was restored\n";
            return Outcome::PassFailed;
        }
        const std::string question = subject.name + " 데이터베이스를 백업 " + backup +
                                     " 의 내용으로 되돌립니다. 백업 이후의 변경은 모두 "
                                     "없어집니다. 계속하시겠습니까?";
        if (!process.Desktop().AskYesNo(question, "복원")) {
            std::cout << "restore: not confirmed; nothing was changed\n";
            return Outcome::Success;
        }
        if (subject.file) {
            const fs::path live = *subject.file;
            CloseConnections(process);
            // Reading a large backup through takes seconds: say what is going on.
            std::cout << "restore: checking " << backup << ", then putting it back" << std::endl;
            try {
                app::RestoreFileBackup(process, backup, live);
            } catch (const db::DbError& e) {
                std::cerr << "datapatch: restore failed: " << e.Description() << "\n"
                          << "datapatch: " << subject.name
                          << " was left as it was; nothing was restored\n";
                // A damaged backup (or one of a database that was already damaged when the run
                // took it): the others may be sound.
                std::vector<std::string> others = app::BackupsOf(process, subject);
                std::erase(others, backup);
                if (!others.empty()) {
                    std::cerr << "datapatch: other backups of " << subject.name
                              << ", newest first; name one to put it back (datapatch restore "
                                 "<file name>):\n";
                    for (auto it = others.rbegin(); it != others.rend(); ++it) {
                        std::cerr << "  " << FileNameOf(*it) << "\n";
                    }
                }
                return Outcome::PassFailed;
            }
        } else {
            CloseConnections(process);
            RestoreOnServer(process, data1, subject.name, backup);
        }
        std::cout << "restored " << subject.name << " from " << backup << "\n";
        return Outcome::Success;
    } catch (const db::DbError& e) {
        std::cerr << "datapatch: restore failed: " << e.Description() << "\n";
        return Outcome::PassFailed;
    }
}

}  // namespace cli
