#pragma once
// The embedded engine: SQLite behind a translator from Jet SQL (Jet mode) or T-SQL (SQL Server
// mode). An "MDB file" is one SQLite file; a SQL Server of the embedded kind is a folder holding
// one SQLite file per database, named "<database>.sqlite".
#include <filesystem>
#include <memory>
#include <string>

#include "db/session.h"

namespace db::embedded {

struct OpenOptions {
    Dialect dialect = Dialect::Jet;
    std::string jetPassword;  // checked against the password kept in the file (Jet mode)
    bool create = false;      // create the file when missing (fixtures and demo only)
};

// Throws DbError 0x80004005 when the file is missing (and create is false), is not a database,
// or the Jet password does not match.
std::unique_ptr<Session> Open(const std::filesystem::path& file, const OpenOptions& options);

// The SQLite file that holds a database of an embedded SQL Server folder.
std::filesystem::path ServerDatabaseFile(const std::filesystem::path& serverFolder,
                                         const std::string& database);

}  // namespace db::embedded
