#pragma once
// ODBC diagnostic records turned into the DbError that ADO would have raised: the number comes
// from the SQLSTATE (MapSqlState in odbc.h), or from the engine text where a driver reports
// everything as a general error; native error and SQLSTATE are kept.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "db/error.h"

namespace db::odbc {

inline constexpr const char* kEngineSource = "datapatch ODBC engine";

struct DiagRecord {
    std::string sqlState;
    std::int32_t nativeError = 0;
    std::string message;  // as the driver wrote it, vendor tags included
};

// The message without the leading "[vendor][component]" tags that the driver manager and
// drivers put before their text.
std::string DriverText(std::string_view message);

// True for the SQLSTATE class 08: the connection is gone or could not be made.
bool IsConnectionState(std::string_view sqlState);

// The ADO error number for one record.
std::int32_t NumberFor(const DiagRecord& record);

// The record that describes the failure: the first one that is not a warning (class 01).
const DiagRecord* PrincipalRecord(const std::vector<DiagRecord>& records);

// The error for a failed call. Connection failures read "… 연결을 …" before the driver text.
// With no records at all, fallback describes the failure.
DbError ErrorFromDiagnostics(const std::vector<DiagRecord>& records, std::string_view fallback);

// The error for a connection that could not be opened: always 0x80004005.
DbError OpenErrorFromDiagnostics(const std::vector<DiagRecord>& records);

}  // namespace db::odbc
