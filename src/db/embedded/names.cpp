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

std::string QuoteText(std::string_view text) {
    return Quote(text, '\'');
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
