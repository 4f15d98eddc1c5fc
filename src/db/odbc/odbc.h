#pragma once
// The ODBC engine over unixODBC: statements go to the driver untouched; diagnostics are mapped to
// the ADO error numbers of db/error.h.
#include <memory>
#include <string>

#include "db/session.h"

namespace db::odbc {

// Connects with SQLDriverConnect. Throws DbError 0x80004005 when the driver cannot connect.
std::unique_ptr<Session> Open(const std::string& driverConnectionString, Dialect dialect,
                              int connectTimeoutSeconds);

// Maps an ODBC SQLSTATE (and native error) to the ADO error number.
std::int32_t MapSqlState(const std::string& sqlState, int nativeError);

}  // namespace db::odbc
