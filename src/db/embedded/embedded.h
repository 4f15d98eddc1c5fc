#pragma once
// The embedded engine: SQLite behind a translator from Jet SQL (Jet mode) or T-SQL (SQL Server
// mode). An "MDB file" is one SQLite file; a SQL Server of the embedded kind is a folder holding
// one SQLite file per database, named "<database>.sqlite".
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "db/session.h"

namespace db::embedded {

// A database or file that a statement names outside its own database: the Jet form
// "[MS Access;DATABASE=path;PWD=pw].table", the OPENROWSET forms of the server kind, and the
// target file of "BACKUP DATABASE … to Disk ='path'".
struct ExternalReference {
    enum class Kind {
        JetFile,         // an MDB file: path (Windows path as written) and password
        ServerDatabase,  // a database of a SQL Server: server (as written) and database
        BackupFile,      // a file to be written: path (Windows path as written)
    };
    Kind kind = Kind::JetFile;
    std::string path;
    std::string password;
    std::string server;
    std::string database;
    bool operator==(const ExternalReference&) const = default;
};
// Where a reference leads on this machine: the SQLite file of the database, or the file to write.
// Throws DbError when it leads nowhere (unknown server, path outside the root, …).
using ExternalResolver = std::function<std::filesystem::path(const ExternalReference&)>;

struct OpenOptions {
    Dialect dialect = Dialect::Jet;
    std::string jetPassword;  // checked against the password kept in the file (Jet mode)
    bool create = false;      // create the file when missing (fixtures and demo only)
    // Opened for reading only: every statement that would write fails (SQLITE_READONLY), and
    // the file, its journal mode and its journal files are left as they were found.
    bool readOnly = false;
    // How long a statement waits for another connection's lock before it fails (milliseconds).
    int busyWaitMs = 30000;
    // Resolves the external references of statements; without one they fail with 0x80004005.
    ExternalResolver resolveExternal{};
};

// Throws DbError 0x80004005 when the file is missing (and create is false), is not a database,
// or the Jet password does not match.
std::unique_ptr<Session> Open(const std::filesystem::path& file, const OpenOptions& options);

// The SQLite file that holds a database of an embedded SQL Server folder.
std::filesystem::path ServerDatabaseFile(const std::filesystem::path& serverFolder,
                                         const std::string& database);

}  // namespace db::embedded
