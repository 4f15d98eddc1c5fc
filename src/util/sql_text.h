#pragma once
// Values written into SQL text: texts between apostrophes with every apostrophe inside doubled,
// numbers bare. Every statement that carries a value from a table, a file or the user goes
// through these, so that an apostrophe in the value can neither break nor change the statement.
// Names (of tables, columns, databases) read from a table, a file or the user go through
// SqlName: only a plain name reaches a statement, between brackets.
#include <optional>
#include <string>
#include <string_view>

#include "util/variant.h"

namespace util {

// 'text' with apostrophes doubled: "It's" gives 'It''s'.
std::string SqlQuoted(std::string_view text);
// The value's text quoted; Null and Empty give the empty text ''.
std::string SqlQuotedValue(const Variant& value);
// The value as a bare number: integers in decimal, other numbers as VB writes them, booleans as
// -1 and 0, numeric texts as their number. Null, Empty and texts that are no number give
// `whenNull` ("Null" unless the column wants a value such as "0").
std::string SqlNumber(const Variant& value, std::string_view whenNull = "Null");

// The longest name SqlName takes, in characters (SQL Server's limit; Jet's is lower).
inline constexpr std::size_t kSqlNameMaxLength = 128;

// A plain name: 1 to kSqlNameMaxLength characters of well-formed UTF-8, each a letter (every
// character beyond ASCII counts as one, Korean included), a digit or '_'.
bool IsPlainSqlName(std::string_view name);
// "[name]" for a plain name; nullopt for any other text, which must not reach a statement.
std::optional<std::string> SqlName(std::string_view name);

}  // namespace util
