#include "db/embedded/error_map.h"

#include <array>
#include <string>

#include "db/embedded/names.h"
#include "db/embedded/write_gate.h"

namespace db::embedded {
namespace {

// SQLite's texts of a name that is no column or table, the name following.
constexpr std::string_view kSqliteNoColumn = "no such column: ";
constexpr std::string_view kSqliteNoTable = "no such table: ";
constexpr std::string_view kRefusedWriteText =
    "백업을 만들지 못해 데이터베이스에 쓰지 않았습니다. (The database was not written: its "
    "backup failed.)";

}  // namespace

DbError MapSqliteError(int rc, std::string_view message) {
    std::string text(message.empty() ? std::string_view(sqlite3_errstr(rc)) : message);
    DbError error(SqliteErrorNumber(rc, text), text, kEngineSource, rc);
    const int primary = rc & 0xff;
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) error.MarkLockConflict();
    return error;
}

DbError LastError(sqlite3* db, int rc) {
    // A write the gate refused is no fault of the disk: the database's backup failed.
    if ((rc == SQLITE_IOERR_WRITE || rc == SQLITE_IOERR_TRUNCATE) && AnyHoldFailed()) {
        return MapSqliteError(rc, kRefusedWriteText);
    }
    return MapSqliteError(rc, db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
}

DbError EngineError(std::int32_t number, std::string description) {
    return DbError(number, std::move(description), kEngineSource);
}

DbError ForDialect(DbError error, Dialect dialect) {
    const std::string& text = error.Description();
    if (error.Number() == ErrorNumber::kTableMissing && text.rfind(kSqliteNoTable, 0) == 0) {
        std::string_view name = std::string_view(text).substr(kSqliteNoTable.size());
        if (name.rfind("main.", 0) == 0) name.remove_prefix(5);
        return MissingTableError(name, dialect);
    }
    if (error.Number() != ErrorNumber::kTruncated) return error;
    return DbError(error.Number(),
                   dialect == Dialect::Jet
                       ? "The field is too small to accept the amount of data you attempted to "
                         "add. Try inserting or pasting less data."
                       : "String or binary data would be truncated.",
                   error.Source(), error.NativeError());
}

DbError ForJetQuery(DbError error) {
    if (error.Number() != ErrorNumber::kSyntax ||
        error.Description().rfind(kSqliteNoColumn, 0) != 0) {
        return error;
    }
    return DbError(ErrorNumber::kNoValue, kJetNoValue, error.Source(), error.NativeError());
}

DbError MissingTableError(std::string_view table, Dialect dialect) {
    const std::string name(table);
    return EngineError(ErrorNumber::kTableMissing,
                       dialect == Dialect::Jet
                           ? "The Microsoft Jet database engine cannot find the input table or "
                             "query '" +
                                 name +
                                 "'.  Make sure it exists and that its name is spelled correctly."
                           : "Invalid object name '" + name + "'.");
}

}  // namespace db::embedded
