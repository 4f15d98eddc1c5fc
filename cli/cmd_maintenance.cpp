// datapatch backup and datapatch db …: the support technician's operations on the configured
// store database: a backup, row copies from another database, and the SQL Server housekeeping
// (list, attach, detach, rename, single-user mode, shrink) through the server's command-line
// client. Start-up runs up to the configuration load, which opens the store database and so
// names the database the operations act on.
#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>

#include "app/main_sequence.h"
#include "app/process.h"
#include "app/sql_trace.h"
#include "commands.h"
#include "config/norv_conn.h"
#include "console.h"
#include "db/kro_ado.h"
#include "host/host.h"

namespace cli {
namespace {

// Where the configuration names the store database of a SQL Server.
constexpr const char* kDatabaseSection = "DATA";
constexpr const char* kDatabaseKey = "데이터_SQLDataName";

// The process after start-up up to the configuration load; null when start-up ended.
struct Session {
    std::unique_ptr<host::Host> host;
    std::unique_ptr<host::ConsoleDesktop> console;
    std::unique_ptr<app::Process> process;
};

Outcome Open(const GlobalOptions& global, Session& s) {
    s.host = OpenHost(global);
    if (!s.host) return Outcome::Usage;
    s.console = AnsweringConsole("no", std::cout);
    s.process = std::make_unique<app::Process>(*s.host, *s.console);
    if (app::PrepareStore(*s.process) != app::StartupOutcome::Ready) return Outcome::StartupEnded;
    return Outcome::Success;
}

// Closes the process's own connections: the housekeeping refuses a database in use.
void CloseConnections(app::Process& process) {
    for (db::ConnectionRef* cn : {&process.StoreConnection, &process.Data1Connection,
                                  &process.CentralConnection, &process.AdminConnection}) {
        if (*cn && (*cn)->State() == db::ObjectState::Open) (*cn)->Close();
    }
}

bool ServerKind(app::Process& process) {
    if (process.Ado().dbInfo.Kind == 1) return true;
    std::cerr << "datapatch: the store database is an MDB file; this operation needs a SQL "
                 "Server database\n";
    return false;
}

Outcome Report(bool ok, const std::string& what, const db::Kro_Ado& ado) {
    if (ok) {
        std::cout << what << "\n";
        return Outcome::Success;
    }
    std::cerr << "datapatch: " << what << " failed" << (ado.ErrDes.empty() ? "" : ": " + ado.ErrDes)
              << "\n";
    return Outcome::PassFailed;
}

Outcome Housekeeping(const MaintenanceOptions& o, app::Process& process) {
    if (!ServerKind(process)) return Outcome::Usage;
    CloseConnections(process);
    db::Kro_Ado ado(process.Ado());
    const std::string& action = o.action;
    if (action == "list") {
        std::string names;
        if (!ado.DBSQL_DBName(&names)) return Report(false, "list", ado);
        std::cout << names;
        return Outcome::Success;
    }
    if (action == "attach" || action == "detach") {
        bool ok = false;
        const std::string output = action == "attach" ? ado.DBSqlATTACH(o.name, o.path, &ok)
                                                      : ado.DBSqlDeTTACH(o.name, &ok);
        if (ok) std::cout << output << "\n";
        return Report(ok, action + " " + o.name, ado);
    }
    if (action == "rename") {
        const std::string oldName = process.Ado().dbInfo.SqlDatabase;
        const std::string result = ado.DBSqlDataReName(o.name);
        std::cout << result << "\n";
        // The configuration is not changed here: until it is, start-up looks for the old name.
        if (process.Ado().dbInfo.SqlDatabase != oldName) {
            std::cout << "the configuration still names the store database \"" << oldName
                      << "\": " << process.Config().MainIniPath() << ", [" << kDatabaseSection
                      << "] " << kDatabaseKey << "=" << oldName << "; set it to " << o.name
                      << " before the next start\n";
        }
        if (result == "성공") return Outcome::Success;
        return Report(false, "rename to " + o.name + " (" + result + ")", ado);
    }
    if (action == "single") {
        return Report(ado.DBSqlSingleMode(o.on == "on"), "single-user mode " + o.on, ado);
    }
    if (action == "shrink") {
        return Report(ado.DBSQL데이터축소(o.file ? 1 : 0, o.size), "shrink", ado);
    }
    return Outcome::Usage;
}

Outcome Copy(const MaintenanceOptions& o, app::Process& process) {
    db::Kro_Ado ado(process.Ado());
    const bool toServer = process.Ado().dbInfo.Kind == 1;
    bool ok = false;
    std::string message;
    if (!o.fromMdb.empty()) {
        ok = toServer
                 ? ado.DBDataCopy_MDBTOSQL(process.StoreConnection, o.table, o.into, o.fromMdb,
                                           o.password, o.columns, o.where)
                 : ado.DBDataCopy_MDBTOMDB(process.StoreConnection, o.table, o.into, o.password,
                                           o.fromMdb, o.columns, o.where, &message);
    } else {
        if (!toServer) {
            std::cerr << "datapatch: rows of a SQL Server database go into a SQL Server store\n";
            return Outcome::Usage;
        }
        ok = ado.DBDataCopy_SQLTOSQL(process.StoreConnection, o.fromServer, o.database, o.user,
                                     o.password, o.table, o.into, o.columns, o.where);
    }
    if (!message.empty()) ado.ErrDes = message;
    return Report(ok, "copied " + o.table + " into " + o.into, ado);
}

}  // namespace

CLI::App* AddBackupCommand(CLI::App& app, MaintenanceOptions& options) {
    CLI::App* cmd = app.add_subcommand(
        "backup", "Back the configured store database up (MDB: the live file is compacted)");
    cmd->add_option("--to", options.path,
                    "Windows path of the backup; default: the program folder's Backup folder, "
                    "the database's name, the date and the time");
    return cmd;
}

CLI::App* AddDbCommand(CLI::App& app, MaintenanceOptions& options) {
    CLI::App* cmd = app.add_subcommand(
        "db", "Server housekeeping and row copies on the configured store database");
    cmd->require_subcommand(1);
    cmd->add_subcommand("list", "The databases of the store's SQL Server")
        ->final_callback([&options] { options.action = "list"; });
    CLI::App* attach = cmd->add_subcommand("attach", "Attach a data file as a database");
    attach->add_option("name", options.name, "The new database's name")->required();
    attach->add_option("path", options.path, "Windows path of the data file")->required();
    attach->final_callback([&options] { options.action = "attach"; });
    CLI::App* detach = cmd->add_subcommand("detach", "Detach a database from the server");
    detach->add_option("name", options.name, "The database")->required();
    detach->final_callback([&options] { options.action = "detach"; });
    CLI::App* rename = cmd->add_subcommand(
        "rename", "Rename the store database (refused while another connection uses it)");
    rename->add_option("name", options.name, "The new name")->required();
    rename->final_callback([&options] { options.action = "rename"; });
    CLI::App* single = cmd->add_subcommand("single", "Switch single-user mode on or off");
    single->add_option("state", options.on, "on or off")
        ->required()
        ->check(CLI::IsMember({"on", "off"}));
    single->final_callback([&options] { options.action = "single"; });
    CLI::App* shrink = cmd->add_subcommand("shrink", "Shrink the store database (or its file)");
    shrink->add_option("size", options.size, "The target size")->required();
    shrink->add_flag("--file", options.file, "Shrink the file rather than the database");
    shrink->final_callback([&options] { options.action = "shrink"; });
    CLI::App* copy = cmd->add_subcommand(
        "copy", "Copy rows of a table of another database into a table of the store database");
    copy->add_option("--from-mdb", options.fromMdb, "Windows path of the source MDB file");
    copy->add_option("--from-server", options.fromServer, "The source SQL Server");
    copy->add_option("--database", options.database, "The source database (with --from-server)");
    copy->add_option("--user", options.user, "Login of the source server");
    copy->add_option("--password", options.password, "Password of the source");
    copy->add_option("--table", options.table, "The source table")->required();
    copy->add_option("--into", options.into, "The table of the store database")->required();
    copy->add_option("--columns", options.columns, "Columns, comma-separated (default: all)");
    copy->add_option("--where", options.where, "A WHERE clause appended as it is");
    copy->final_callback([&options] { options.action = "copy"; });
    return cmd;
}

Outcome BackupCommand(const GlobalOptions& global, const MaintenanceOptions& options) {
    Session s;
    if (const Outcome opened = Open(global, s); opened != Outcome::Success) return opened;
    db::Kro_Ado ado(s.process->Ado());
    const db::CurrentDbInfo info = s.process->Ado().dbInfo;
    if (info.Kind == 1) {
        // The backup statement runs on a connection of this object.
        db::ConnectionRef cn;
        if (!ado.DBConnection_SQL(cn, info.SqlServer, info.SqlDatabase, info.SqlUserId,
                                  info.SqlPassword)) {
            return Report(false, "backup", ado);
        }
    }
    const bool ok = ado.DBGoBackUp(options.path);
    if (!ok && ado.BackupWritten) {
        // The backup is sound; only the compaction of the live file that follows it failed.
        std::cerr << "datapatch: backup written: " << ado.BackupPath
                  << "; the live file could not be compacted: " << ado.ErrDes << "\n";
        return Outcome::PassFailed;
    }
    return Report(ok, ok ? "backup written: " + ado.BackupPath : "backup to " + ado.BackupPath,
                  ado);
}

Outcome DbCommand(const GlobalOptions& global, const MaintenanceOptions& options) {
    if (!options.fromMdb.empty() == !options.fromServer.empty() && options.action == "copy") {
        std::cerr << "datapatch: db copy needs one of --from-mdb and --from-server\n";
        return Outcome::Usage;
    }
    Session s;
    if (const Outcome opened = Open(global, s); opened != Outcome::Success) return opened;
    if (options.action == "copy") return Copy(options, *s.process);
    return Housekeeping(options, *s.process);
}

}  // namespace cli
