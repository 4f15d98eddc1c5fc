#pragma once
// The character calls of one connection, made through the wide (UTF-16) or the narrow (UTF-8)
// ODBC API. unixODBC converts between the two with the calling thread's locale, which breaks
// Korean text under the "C" locale; calling the family the driver itself implements avoids any
// conversion. ChooseTextApi finds that family once per connection. All texts here are UTF-8.
#include <sql.h>
#include <sqlext.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/odbc/diagnostics.h"

namespace db::odbc {

struct ColumnShape {
    std::string name;
    SQLSMALLINT sqlType = SQL_UNKNOWN_TYPE;
    SQLULEN size = 0;
    SQLSMALLINT scale = 0;
};

class TextApi {
  public:
    explicit TextApi(bool wide) : wide_(wide) {}
    bool Wide() const { return wide_; }

    SQLRETURN DriverConnect(SQLHDBC dbc, std::string_view connectionString) const;
    SQLRETURN ExecDirect(SQLHSTMT stmt, std::string_view sql) const;
    // Catalog calls; a null pattern or name is "any". Patterns must be escaped by the caller.
    SQLRETURN Tables(SQLHSTMT stmt, const std::string* tablePattern) const;
    SQLRETURN Columns(SQLHSTMT stmt, const std::string& tablePattern) const;
    SQLRETURN Statistics(SQLHSTMT stmt, const std::string& table) const;
    SQLRETURN PrimaryKeys(SQLHSTMT stmt, const std::string& table) const;

    SQLRETURN DescribeColumn(SQLHSTMT stmt, SQLUSMALLINT column, ColumnShape& out) const;
    // The data source's name of a result column's type ("nvarchar", "MONEY"); empty if unknown.
    std::string ColumnTypeName(SQLHSTMT stmt, SQLUSMALLINT column) const;
    // Reads a whole column of the current row as text; out is empty for NULL.
    SQLRETURN GetText(SQLHSTMT stmt, SQLUSMALLINT column, std::optional<std::string>& out) const;
    // A string answer of SQLGetInfo; empty when the driver gives none.
    std::string InfoText(SQLHDBC dbc, SQLUSMALLINT infoType) const;
    std::vector<DiagRecord> Diagnostics(SQLSMALLINT handleType, SQLHANDLE handle) const;

  private:
    bool wide_;
};

// True for a driver, named by its file, that implements only the narrow calls and speaks UTF-8
// there.
bool IsNarrowUtf8Driver(std::string_view driverName);

// The family for this connection: narrow for the drivers IsNarrowUtf8Driver names, wide for the
// rest (Unicode drivers, SQL Server's among them).
TextApi ChooseTextApi(SQLHDBC dbc);

}  // namespace db::odbc
