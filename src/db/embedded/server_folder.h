#pragma once
// The housekeeping of an embedded SQL Server: a folder holding one SQLite file a database
// ("<name>.sqlite"). Databases can be listed, attached from a data file, detached, renamed,
// shrunk and put into single-user mode. Every SQL Server-mode session of a database of the folder
// holds a shared lock on it while open, so single-user mode is refused while another connection
// is open; a database in single-user mode lets one connection at a time in (holding the lock
// alone) and refuses the others until it is switched back.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "host/unique_fd.h"

namespace db::embedded {

// The files the housekeeping keeps beside a database file: the lock file that every open
// connection holds a shared lock on ("<file>.users") and the marker of single-user mode
// ("<file>.single").
std::filesystem::path UsersLockFile(const std::filesystem::path& databaseFile);
std::filesystem::path SingleUserMarker(const std::filesystem::path& databaseFile);

// A connection's claim on a database: a shared advisory lock on its lock file, held for as long as
// the connection is open and dropped with the process. Only the lock file is ever locked or
// closed here, never the database file (closing any descriptor of that file would drop SQLite's
// own locks on it).
class DatabaseUse {
  public:
    DatabaseUse() = default;
    // Takes the shared lock, or in single-user mode the lock alone. Throws DbError 0x80004005
    // when the database is in single-user mode and another connection has it.
    // A folder where the lock file cannot be made (read-only) gives a claim without a lock.
    static DatabaseUse Enter(const std::filesystem::path& databaseFile);
    bool Held() const { return fd_.Valid(); }

  private:
    host::UniqueFd fd_;
};

struct ServerDatabaseInfo {
    std::string name;
    std::int64_t bytes = 0;
    bool singleUser = false;
};

class ServerFolder {
  public:
    explicit ServerFolder(std::filesystem::path folder);

    // The databases, by name.
    std::vector<ServerDatabaseInfo> Databases() const;
    // Makes dataFile (an SQLite file) the database `name`. Throws DbError when the name is taken
    // or the file is not a database.
    void Attach(const std::string& name, const std::filesystem::path& dataFile);
    // Takes the database out of the folder (its file is kept beside the folder's databases under
    // a detached name). Throws DbError when it is in use or unknown.
    void Detach(const std::string& name);
    // Throws DbError when switching on while another connection is open, or for an unknown name.
    void SetSingleUser(const std::string& name, bool on);
    // Throws DbError unless the database is in single-user mode and the new name is free.
    void Rename(const std::string& oldName, const std::string& newName);
    // Compacts the database file. Throws DbError when it is in use or unknown.
    void Shrink(const std::string& name);

    const std::filesystem::path& Folder() const { return folder_; }

  private:
    // The file of the database whose name matches ignoring ASCII case (an exact match wins);
    // throws DbError for an unknown or invalid name.
    std::filesystem::path Find(const std::string& name) const;
    // True when a database of the folder has the name, ignoring ASCII case.
    bool Exists(const std::string& name) const;

    std::filesystem::path folder_;
};

}  // namespace db::embedded
