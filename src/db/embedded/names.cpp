#include "db/embedded/names.h"

#include "db/embedded/token.h"

namespace db::embedded {
namespace {

std::string Quote(std::string_view text, char quote) {
    std::string out(1, quote);
    for (char c : text) {
        if (c == quote) out += quote;
        out += c;
    }
    out += quote;
    return out;
}

}  // namespace

std::string QuoteName(std::string_view name) {
    return Quote(name, '"');
}

std::string QuoteNames(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names) {
        if (!list.empty()) list += ", ";
        list += QuoteName(name);
    }
    return list;
}

// SQLite reads a statement only up to its first NUL byte: a text that holds NUL characters is
// written as the concatenation of its pieces and char(0).
std::string QuoteText(std::string_view text) {
    if (text.find('\0') == std::string_view::npos) return Quote(text, '\'');
    std::string out = "(";
    for (std::size_t start = 0;;) {
        const std::size_t nul = text.find('\0', start);
        out += Quote(
            text.substr(start, nul == std::string_view::npos ? text.size() - start : nul - start),
            '\'');
        if (nul == std::string_view::npos) break;
        out += " || char(0) || ";
        start = nul + 1;
    }
    return out + ")";
}

bool IsHiddenTable(std::string_view name) {
    constexpr std::string_view kSqlitePrefix = "sqlite_";
    return EqualsNoCase(name, kMetaTable) || EqualsNoCase(name, kRoutineTable) ||
           (name.size() >= kSqlitePrefix.size() &&
            EqualsNoCase(name.substr(0, kSqlitePrefix.size()), kSqlitePrefix));
}

std::string StoredIndexName(std::string_view table, std::string_view index) {
    return std::string(table) + "." + std::string(index);
}

std::string VisibleIndexName(std::string_view table, std::string_view stored) {
    if (stored.size() > table.size() + 1 && stored[table.size()] == '.' &&
        EqualsNoCase(stored.substr(0, table.size()), table)) {
        return std::string(stored.substr(table.size() + 1));
    }
    return std::string(stored);
}

}  // namespace db::embedded
