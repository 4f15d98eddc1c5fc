#pragma once
// The ADO error number of a SQLite failure, chosen from the result code and the engine text. Both
// engines need it: the embedded one for its own statements, the ODBC one when its driver is
// SQLite's and the database one that the embedded engine made.
#include <cstdint>
#include <string_view>

namespace db {

// The CHECK constraints that hold a text column to its declared length are named
// kLengthCheckPrefix + column; their failure is a truncation, not a constraint violation.
inline constexpr std::string_view kLengthCheckPrefix = "dp_len_";

// The texts of a division by zero, as each dialect words it.
inline constexpr const char* kSqlServerDivideByZero = "Divide by zero error encountered.";
inline constexpr const char* kJetDivisionByZero = "Division by zero";

// The number for result code rc (extended codes too) with SQLite's message text.
std::int32_t SqliteErrorNumber(int rc, std::string_view message);

}  // namespace db
