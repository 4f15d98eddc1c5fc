#pragma once
// How names are written into the SQLite file: quoting, the per-table index names, and the hidden
// table that keeps the engine's own facts (the Jet database password).
#include <string>
#include <string_view>
#include <vector>

#include "db/sqlite_errors.h"

namespace db::embedded {

// The engine's own tables; never listed as user tables. The routine table keeps the functions and
// procedures of the server kind (name, kind code, definition).
inline constexpr std::string_view kMetaTable = "dp_meta";
inline constexpr std::string_view kRoutineTable = "dp_routines";

// The names the engine gives its own constraints and work tables: length checks of sized text
// columns are named kLengthCheckPrefix + column (db/sqlite_errors.h); a table being rebuilt is
// built as kRebuildTable.
inline constexpr std::string_view kRebuildTable = "dp_rebuild";

// True for the engine's own tables and SQLite's (sqlite_…), which no statement or listing sees.
bool IsHiddenTable(std::string_view name);

// "name" with embedded double quotes doubled.
std::string QuoteName(std::string_view name);
// The names quoted and separated by ", ".
std::string QuoteNames(const std::vector<std::string>& names);
// 'text' with apostrophes doubled; a text with NUL characters becomes an expression.
std::string QuoteText(std::string_view text);

// Index names belong to their table in both dialects, but SQLite has one name space per file:
// an index i of table t is stored as "t.i".
std::string StoredIndexName(std::string_view table, std::string_view index);
// The index name as the dialects see it: "t.i" of table t gives "i"; other names are kept.
std::string VisibleIndexName(std::string_view table, std::string_view stored);

}  // namespace db::embedded
