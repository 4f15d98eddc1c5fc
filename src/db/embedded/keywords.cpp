// Reserved words of SQLite, Jet SQL and T-SQL. A bare word found here is written back unquoted;
// every other bare word is an identifier and is written back quoted.
#include <algorithm>
#include <array>
#include <string_view>
#include <unordered_set>

#include "db/embedded/token.h"

namespace db::embedded {
namespace {

using namespace std::string_view_literals;

// clang-format off
constexpr std::array kKeywords{
    "ABORT"sv, "ACTION"sv, "ADD"sv, "AFTER"sv, "ALL"sv, "ALTER"sv, "ALWAYS"sv, "ANALYZE"sv,
    "AND"sv, "AS"sv, "ASC"sv, "ATTACH"sv, "AUTOINCREMENT"sv, "BEFORE"sv, "BEGIN"sv, "BETWEEN"sv,
    "BY"sv, "CASCADE"sv, "CASE"sv, "CAST"sv, "CHECK"sv, "CLUSTERED"sv, "COLLATE"sv, "COLUMN"sv,
    "COMMIT"sv, "CONFLICT"sv, "CONSTRAINT"sv, "CREATE"sv, "CROSS"sv, "CURRENT"sv, "CURRENT_DATE"sv,
    "CURRENT_TIME"sv, "CURRENT_TIMESTAMP"sv, "DATABASE"sv, "DECLARE"sv, "DEFAULT"sv,
    "DEFERRABLE"sv, "DEFERRED"sv, "DELETE"sv, "DESC"sv, "DETACH"sv, "DISTINCT"sv, "DO"sv, "DROP"sv,
    "EACH"sv, "ELSE"sv, "END"sv, "ESCAPE"sv, "EXCEPT"sv, "EXCLUDE"sv, "EXCLUSIVE"sv, "EXEC"sv,
    "EXECUTE"sv, "EXISTS"sv, "EXPLAIN"sv, "FAIL"sv, "FILTER"sv, "FIRST"sv, "FOLLOWING"sv, "FOR"sv,
    "FOREIGN"sv, "FROM"sv, "FULL"sv, "FUNCTION"sv, "GENERATED"sv, "GLOB"sv, "GO"sv, "GROUP"sv,
    "GROUPS"sv, "HAVING"sv, "IDENTITY"sv, "IF"sv, "IGNORE"sv, "IMMEDIATE"sv, "IN"sv, "INDEX"sv,
    "INDEXED"sv, "INITIALLY"sv, "INNER"sv, "INSERT"sv, "INSTEAD"sv, "INTERSECT"sv, "INTO"sv,
    "IS"sv, "ISNULL"sv, "JOIN"sv, "KEY"sv, "LAST"sv, "LEFT"sv, "LIKE"sv, "LIMIT"sv, "MATCH"sv,
    "MATERIALIZED"sv, "NATURAL"sv, "NO"sv, "NOCHECK"sv, "NONCLUSTERED"sv, "NOT"sv, "NOTHING"sv,
    "NOTNULL"sv, "NULL"sv, "NULLS"sv, "OF"sv, "OFFSET"sv, "ON"sv, "OR"sv, "ORDER"sv, "OTHERS"sv,
    "OUTER"sv, "OVER"sv, "PARTITION"sv, "PERCENT"sv, "PLAN"sv, "PRAGMA"sv, "PRECEDING"sv,
    "PRIMARY"sv, "PROC"sv, "PROCEDURE"sv, "QUERY"sv, "RAISE"sv, "RANGE"sv, "RECURSIVE"sv,
    "REFERENCES"sv, "REGEXP"sv, "REINDEX"sv, "RELEASE"sv, "RENAME"sv, "REPLACE"sv, "RESTRICT"sv,
    "RETURN"sv, "RETURNING"sv, "RETURNS"sv, "RIGHT"sv, "ROLLBACK"sv, "ROW"sv, "ROWS"sv,
    "SAVEPOINT"sv, "SELECT"sv, "SET"sv, "TABLE"sv, "TEMP"sv, "TEMPORARY"sv, "TEXTIMAGE_ON"sv,
    "THEN"sv, "TIES"sv, "TO"sv, "TOP"sv, "TRANSACTION"sv, "TRIGGER"sv, "UNBOUNDED"sv, "UNION"sv,
    "UNIQUE"sv, "UPDATE"sv, "USING"sv, "VACUUM"sv, "VALUES"sv, "VIEW"sv, "VIRTUAL"sv, "WHEN"sv,
    "WHERE"sv, "WINDOW"sv, "WITH"sv, "WITHOUT"sv,
};
// clang-format on

static_assert(std::is_sorted(kKeywords.begin(), kKeywords.end()));

constexpr std::size_t kLongest =
    std::max_element(kKeywords.begin(), kKeywords.end(),
                     [](auto a, auto b) { return a.size() < b.size(); }) -> size();

}  // namespace

bool IsKeyword(std::string_view word) {
    // Upper-cased in a buffer of the longest keyword's size: no word longer is a keyword.
    char buffer[kLongest];
    if (word.size() > kLongest) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const char c = word[i];
        buffer[i] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    // Hashed rather than searched: every bare word of every statement is looked up.
    static const std::unordered_set<std::string_view> kSet(kKeywords.begin(), kKeywords.end());
    return kSet.contains(std::string_view(buffer, word.size()));
}

}  // namespace db::embedded
