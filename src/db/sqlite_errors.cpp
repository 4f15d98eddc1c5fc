#include "db/sqlite_errors.h"

#include <sqlite3.h>

#include <array>

#include "db/error.h"

namespace db {
namespace {

// A value that does not convert to the type asked for (DB_E_CANTCONVERTVALUE).
constexpr std::int32_t kConversionFailed = static_cast<std::int32_t>(0x80040E07);

// Engine texts that name the situation, matched by their beginning or by a fragment. The first
// row that matches decides; result codes decide for the rest (below).
struct TextRule {
    std::string_view fragment;
    std::int32_t number;
};

constexpr std::array kTextRules{
    TextRule{"no such table", ErrorNumber::kTableMissing},
    TextRule{"no such view", ErrorNumber::kTableMissing},
    TextRule{"syntax error", ErrorNumber::kSyntax},
    TextRule{"incomplete input", ErrorNumber::kSyntax},
    TextRule{"unrecognized token", ErrorNumber::kSyntax},
    TextRule{"duplicate column name", ErrorNumber::kSyntax},
    TextRule{"no such column", ErrorNumber::kSyntax},
    TextRule{"no such function", ErrorNumber::kSyntax},
    TextRule{"no such index", ErrorNumber::kSyntax},
    TextRule{"already exists", ErrorNumber::kSyntax},
    TextRule{"ambiguous column name", ErrorNumber::kSyntax},
    TextRule{"wrong number of arguments", ErrorNumber::kSyntax},
    TextRule{"misuse of aggregate", ErrorNumber::kSyntax},
    TextRule{"values were supplied", ErrorNumber::kSyntax},
    TextRule{" values for ", ErrorNumber::kSyntax},
    TextRule{"Cannot add a NOT NULL column", ErrorNumber::kSyntax},
    TextRule{"Cannot add a PRIMARY KEY column", ErrorNumber::kSyntax},
    TextRule{"Cannot add a UNIQUE column", ErrorNumber::kSyntax},
    TextRule{"has no column named", ErrorNumber::kSyntax},
    TextRule{"cannot drop column", ErrorNumber::kSyntax},
    TextRule{"string or blob too big", ErrorNumber::kTruncated},
    TextRule{"Conversion failed", kConversionFailed},
    // A division by zero fails the statement with the number the providers give ADO for an
    // error in the command, DB_E_ERRORSINCOMMAND, which the catalogue passes over:
    // - SQL Server raises error 8134 (severity 16, SQLSTATE 22012 through ODBC); the OLE DB
    //   provider reports a server error of the executed command as DB_E_ERRORSINCOMMAND with the
    //   server's number and text in its error record (SQL Server Native Client documentation,
    //   "Information in Error Interfaces" and "SQL Server Error Detail"; the ODBC driver stops an
    //   UPDATE at the first arithmetic error: ODBC documentation, "Arithmetic Errors").
    // - Jet refuses the statement with its "Division by zero" text; its OLE DB provider reports
    //   an expression it cannot evaluate as an error in the command as well.
    TextRule{kSqlServerDivideByZero, ErrorNumber::kSyntax},
    TextRule{kJetDivisionByZero, ErrorNumber::kSyntax},
};

struct CodeRule {
    int primaryCode;
    std::int32_t number;
};

constexpr std::array kCodeRules{
    CodeRule{SQLITE_CONSTRAINT, ErrorNumber::kConstraint},
    CodeRule{SQLITE_BUSY, ErrorNumber::kTimeout},
    CodeRule{SQLITE_LOCKED, ErrorNumber::kTimeout},
    CodeRule{SQLITE_INTERRUPT, ErrorNumber::kTimeout},
    CodeRule{SQLITE_TOOBIG, ErrorNumber::kTruncated},
};

}  // namespace

std::int32_t SqliteErrorNumber(int rc, std::string_view message) {
    const int primary = rc & 0xff;
    // The length checks are constraints of SQLite but truncations to both dialects.
    if (primary == SQLITE_CONSTRAINT &&
        message.find(kLengthCheckPrefix) != std::string_view::npos) {
        return ErrorNumber::kTruncated;
    }
    for (const CodeRule& rule : kCodeRules) {
        if (rule.primaryCode == primary) return rule.number;
    }
    for (const TextRule& rule : kTextRules) {
        if (message.find(rule.fragment) != std::string_view::npos) return rule.number;
    }
    return ErrorNumber::kUnspecified;
}

}  // namespace db
