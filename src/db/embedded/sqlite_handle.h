#pragma once
// Owners of the SQLite handles: a database connection (shared, because a row cursor may outlive
// the session that opened it), a prepared statement, and a savepoint guard that rolls back
// unless committed.
#include <sqlite3.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

namespace db::embedded {

struct DatabaseCloser {
    // sqlite3_close_v2 defers the close until the last statement is finalized.
    void operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }
};

struct StatementFinalizer {
    void operator()(sqlite3_stmt* stmt) const noexcept { sqlite3_finalize(stmt); }
};

using DatabaseHandle = std::shared_ptr<sqlite3>;
using StatementHandle = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

// Wraps a raw connection (which may be null) in its shared owner.
DatabaseHandle AdoptDatabase(sqlite3* db);

// Prepares one statement of text on db. Throws DbError (mapped from the SQLite error).
StatementHandle Prepare(sqlite3* db, std::string_view sql);

// Runs a statement text that returns no rows (pragmas, savepoints). Throws DbError.
void ExecPlain(sqlite3* db, const std::string& sql);

// Text of column i of the current row of stmt; empty for Null.
std::string ColumnText(sqlite3_stmt* stmt, int i);

// Runs one statement with the text parameters bound in order (?1, ?2, …) and calls row for each
// result row. Throws DbError.
void QueryRows(sqlite3* db, std::string_view sql, std::initializer_list<std::string_view> params,
               const std::function<void(sqlite3_stmt*)>& row);

// Whether the database keeps its changes in a write-ahead log. Throws DbError.
bool InWalMode(sqlite3* db);

// A savepoint that is rolled back and released when the guard goes out of scope without
// Commit(). The destructor never throws.
class Transaction {
  public:
    explicit Transaction(sqlite3* db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void Commit();

  private:
    sqlite3* db_;
    bool done_ = false;
};

}  // namespace db::embedded
