#include "db/embedded/sqlite_handle.h"

#include <chrono>

#include "db/embedded/engine_trace.h"
#include "db/embedded/error_map.h"

namespace db::embedded {

DatabaseHandle AdoptDatabase(sqlite3* db) {
    return DatabaseHandle(db, DatabaseCloser{});
}

StatementHandle Prepare(sqlite3* db, std::string_view sql) {
    static const bool timed = EngineStatsOn();
    const auto start =
        timed ? std::chrono::steady_clock::now() : std::chrono::steady_clock::time_point();
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &raw, nullptr);
    if (timed) {
        CountPrepare(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    StatementHandle stmt(raw);
    if (rc != SQLITE_OK) throw LastError(db, rc);
    return stmt;
}

void ExecPlain(sqlite3* db, const std::string& sql) {
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) throw LastError(db, rc);
}

std::string ColumnText(sqlite3_stmt* stmt, int i) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
    return text == nullptr ? std::string() : std::string(text, sqlite3_column_bytes(stmt, i));
}

void QueryRows(sqlite3* db, std::string_view sql, std::initializer_list<std::string_view> params,
               const std::function<void(sqlite3_stmt*)>& row) {
    StatementHandle stmt = Prepare(db, sql);
    int n = 1;
    for (std::string_view p : params) {
        sqlite3_bind_text(stmt.get(), n++, p.data(), static_cast<int>(p.size()), SQLITE_TRANSIENT);
    }
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) row(stmt.get());
    if (rc != SQLITE_DONE) throw LastError(db, rc);
}

bool InWalMode(sqlite3* db) {
    std::string mode;
    QueryRows(db, "PRAGMA journal_mode", {}, [&](sqlite3_stmt* s) { mode = ColumnText(s, 0); });
    return mode == "wal";
}

Transaction::Transaction(sqlite3* db) : db_(db) {
    ExecPlain(db_, "SAVEPOINT dp_statement");
}

Transaction::~Transaction() {
    if (done_) return;
    // Errors are ignored: a failed rollback leaves nothing better to do here.
    sqlite3_exec(db_, "ROLLBACK TO dp_statement; RELEASE dp_statement", nullptr, nullptr, nullptr);
}

void Transaction::Commit() {
    ExecPlain(db_, "RELEASE dp_statement");
    done_ = true;
}

}  // namespace db::embedded
