#pragma once
// SQLite failures as the ADO errors the callers test: the error number is chosen from the result
// code and the engine text (data table in error_map.cpp); the description is the engine text.
#include <sqlite3.h>

#include <string_view>

#include "db/error.h"
#include "db/session.h"
#include "db/sqlite_errors.h"

namespace db::embedded {

inline constexpr const char* kEngineSource = "datapatch embedded engine";

// Jet's provider, for a name it took for a parameter (0x80040E10).
inline constexpr const char* kJetNoValue = "No value given for one or more required parameters.";

// The error for result code rc with SQLite's message text.
DbError MapSqliteError(int rc, std::string_view message);

// The error of the last failed call on db.
DbError LastError(sqlite3* db, int rc);

// Errors the engine raises itself, with its own source.
DbError EngineError(std::int32_t number, std::string description);

// An error of SQLite as the dialect reports it: a failed length check of a text column
// (constraint kLengthCheckPrefix…, mapped to 0x80040E57) and a missing table get the dialect's
// text; other errors are returned as they are.
DbError ForDialect(DbError error, Dialect dialect);

// An error of a Jet query (SELECT, INSERT, UPDATE, DELETE): Jet takes a name that is no column
// for a parameter, which has no value (0x80040E10); other errors are returned as they are.
DbError ForJetQuery(DbError error);

// 0x80040E37 with the dialect's text for a table that does not exist.
DbError MissingTableError(std::string_view table, Dialect dialect);

}  // namespace db::embedded
