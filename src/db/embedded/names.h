#pragma once
// How names are written into the SQLite file: quoting, the per-table index names, and the hidden
// table that keeps the engine's own facts (the Jet database password).
#include <string>
#include <string_view>

namespace db::embedded {

// The engine's own table; never listed as a user table.
inline constexpr std::string_view kMetaTable = "dp_meta";

// "name" with embedded double quotes doubled.
std::string QuoteName(std::string_view name);
// 'text' with embedded apostrophes doubled.
std::string QuoteText(std::string_view text);

// Index names belong to their table in both dialects, but SQLite has one name space per file:
// an index i of table t is stored as "t.i".
std::string StoredIndexName(std::string_view table, std::string_view index);
// The index name as the dialects see it: "t.i" of table t gives "i"; other names are kept.
std::string VisibleIndexName(std::string_view table, std::string_view stored);

}  // namespace db::embedded
