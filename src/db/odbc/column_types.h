#pragma once
// How the ODBC engine describes and reads columns: the ADO type number of a column from its SQL
// type and the data source's type name, its declared size, and a value read as text turned into
// the Variant of that ADO type.
#include <sql.h>

#include <string>
#include <string_view>

#include "util/variant.h"

namespace db::odbc {

// A type name as a driver reports it, split into its name and declared size:
// "NVARCHAR(16)" gives {"NVARCHAR", 16}; "int identity" gives {"int", 0} and identity.
struct TypeName {
    std::string name;
    int size = 0;  // 0 when the name carries none
    bool identity = false;
};
TypeName SplitTypeName(std::string_view reported);

// The ADO type number. The type name decides where it says more than the SQL type (SQL
// Server's money is SQL_DECIMAL; the SQLite driver reports undeclared kinds as SQL_VARCHAR).
int AdoTypeFor(SQLSMALLINT sqlType, std::string_view typeName);

// Columns whose size is part of their declaration (texts, binaries, decimals); others have 0.
int DeclaredSize(int adoType, long long columnSize);

// True when the value is best read as a binary double (the text form may round).
bool ReadsAsDouble(SQLSMALLINT sqlType);

// The value of a column of adoType read as text. Numbers, dates and booleans become their
// Variant kind; text that does not read as the column's kind stays text (SQLite keeps whatever
// it was given). Decimals become Currency when their scale is at most 4 and the value fits in
// four decimals, otherwise Double.
util::Variant DecodeText(int adoType, int scale, std::string text);

}  // namespace db::odbc
