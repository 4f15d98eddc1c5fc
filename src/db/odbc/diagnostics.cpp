#include "db/odbc/diagnostics.h"

#include <sqlite3.h>

#include <array>

#include "db/odbc/odbc.h"
#include "db/sqlite_errors.h"

namespace db::odbc {
namespace {

struct StateRule {
    std::string_view sqlState;
    std::int32_t number;
};

// SQLSTATEs whose ADO number is not the generic failure, as the SQL Server OLE DB provider
// reports the server error behind each. Everything else, the connection class 08 included, is
// 0x80004005. The numbers are the OLE DB return codes (OLE DB Programmer's Reference, "Return
// Codes"; ADO passes them on unchanged, ADO API Reference, "ErrorValueEnum": "OLE DB errors may
// be passed to your ADO application ... facility code of 4"); the SQLSTATEs are those of the
// ODBC Programmer's Reference, "Appendix A: ODBC Error Codes".
constexpr std::array kStateRules{
    StateRule{"42S02", ErrorNumber::kTableMissing},  // base table or view not found
    StateRule{"42000", ErrorNumber::kSyntax},        // syntax error or access violation
    StateRule{"37000", ErrorNumber::kSyntax},        // the same in ODBC 2 drivers
    StateRule{"42S01", ErrorNumber::kSyntax},        // table already exists
    StateRule{"42S21", ErrorNumber::kSyntax},        // column already exists
    StateRule{"42S22", ErrorNumber::kSyntax},        // column not found
    StateRule{"21S01", ErrorNumber::kSyntax},        // insert value list does not match
    StateRule{"23000", ErrorNumber::kConstraint},    // integrity constraint violation
    StateRule{"22001", ErrorNumber::kTruncated},     // string data, right truncated
    StateRule{"22003", ErrorNumber::kTruncated},     // numeric value out of range (8115)
    // Division by zero (8134) is an error the server raises while running the command, which the
    // SQL Server providers report as DB_E_ERRORSINCOMMAND (OLE DB Programmer's Reference,
    // "Return Codes"), as the embedded engine reports it: the statement changed nothing.
    StateRule{"22012", ErrorNumber::kSyntax},
    // Values that cannot be converted are DB_E_CANTCONVERTVALUE (OLE DB Programmer's Reference,
    // "Return Codes": "cannot be converted for reasons other than sign mismatch or data
    // overflow"): text to a number (245), a date from text (241) or out of the date range (242).
    StateRule{"22018", ErrorNumber::kCantConvert},  // invalid character value for cast
    StateRule{"22005", ErrorNumber::kCantConvert},  // error in assignment
    StateRule{"22007", ErrorNumber::kCantConvert},  // invalid datetime format
    StateRule{"22008", ErrorNumber::kCantConvert},  // datetime field overflow
    StateRule{"HYT00", ErrorNumber::kTimeout},      // query timeout expired
    StateRule{"HYT01", ErrorNumber::kTimeout},      // connection timeout expired
    // A deadlock victim (1205, class 40) keeps the generic number, as the provider gives it; the
    // link is sound (SQL Server documentation, "Handling Deadlocks": the server ends the batch
    // and rolls the transaction back), so it is no cause to reconnect (Kro_Ado::WithReconnect).
    StateRule{"40001", ErrorNumber::kUnspecified},
};

struct NativeRule {
    std::string_view sqlState;
    std::int32_t nativeError;
    std::int32_t number;
};

// Server errors whose SQLSTATE says less than the server meant. SQL Server's 3701 ("cannot drop
// the …, because it does not exist") comes as 42S02, but a DROP of a missing routine or table
// is an error in the command, as the OLE DB provider reports it.
constexpr std::array kNativeRules{
    NativeRule{"42S02", 3701, ErrorNumber::kSyntax},
};

// The SQLite ODBC driver reports nearly every failure as HY000 with SQLite's text (tagged
// "[SQLite]") and SQLite's result code as the native error. Those are the embedded engine's
// failures too, so they are read the way that engine reads them.
bool IsSqliteDriverRecord(const DiagRecord& record) {
    return record.sqlState == "HY000" && record.message.starts_with("[SQLite]");
}

constexpr int kSqlServerLockTimeout = 1222;

constexpr const char* kConnectionText = "데이터베이스 연결을 사용할 수 없습니다. ";

std::string ConnectionText(std::string_view driverText) {
    return std::string(kConnectionText) + std::string(driverText);
}

}  // namespace

std::int32_t MapSqlState(const std::string& sqlState, int nativeError) {
    for (const NativeRule& rule : kNativeRules) {
        if (rule.sqlState == sqlState && rule.nativeError == nativeError) return rule.number;
    }
    for (const StateRule& rule : kStateRules) {
        if (rule.sqlState == sqlState) return rule.number;
    }
    return ErrorNumber::kUnspecified;
}

std::string DriverText(std::string_view message) {
    while (message.starts_with('[')) {
        const auto close = message.find(']');
        if (close == std::string_view::npos) break;
        message.remove_prefix(close + 1);
    }
    while (message.starts_with(' ')) message.remove_prefix(1);
    return std::string(message);
}

// SQL Server's "Lock request time out period exceeded" (1222, under SET LOCK_TIMEOUT), and a
// database file that SQLite found locked by another program.
bool IsLockRecord(const DiagRecord& record) {
    if (IsSqliteDriverRecord(record)) {
        const int primary = record.nativeError & 0xff;
        return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
    }
    return record.nativeError == kSqlServerLockTimeout;
}

bool IsConnectionState(std::string_view sqlState) {
    return sqlState.starts_with("08");
}

std::int32_t NumberFor(const DiagRecord& record) {
    if (IsSqliteDriverRecord(record)) {
        return SqliteErrorNumber(record.nativeError, DriverText(record.message));
    }
    return MapSqlState(record.sqlState, record.nativeError);
}

const DiagRecord* PrincipalRecord(const std::vector<DiagRecord>& records) {
    for (const DiagRecord& record : records) {
        if (!record.sqlState.starts_with("01")) return &record;
    }
    return records.empty() ? nullptr : &records.front();
}

DbError ErrorFromDiagnostics(const std::vector<DiagRecord>& records, std::string_view fallback) {
    const DiagRecord* record = PrincipalRecord(records);
    if (record == nullptr) {
        return DbError(ErrorNumber::kUnspecified, std::string(fallback), kEngineSource);
    }
    std::string text = DriverText(record->message);
    if (IsConnectionState(record->sqlState)) text = ConnectionText(text);
    DbError error(NumberFor(*record), std::move(text), kEngineSource, record->nativeError,
                  record->sqlState);
    if (IsLockRecord(*record)) error.MarkLockConflict();
    return error;
}

DbError OpenErrorFromDiagnostics(const std::vector<DiagRecord>& records) {
    const DiagRecord* record = PrincipalRecord(records);
    if (record == nullptr) {
        return DbError(ErrorNumber::kUnspecified,
                       ConnectionText("드라이버가 원인을 알리지 않았습니다."), kEngineSource);
    }
    return DbError(ErrorNumber::kUnspecified, ConnectionText(DriverText(record->message)),
                   kEngineSource, record->nativeError, record->sqlState);
}

}  // namespace db::odbc
