#include "db/ascii_text.h"
#include "db/router.h"

namespace db {
namespace {

// Reads a value that starts with an opening brace or quote up to its closer; a doubled closer
// stands for itself. Returns the inner text and moves `i` past the closer.
std::string ReadEnclosed(std::string_view text, std::size_t& i, char closer) {
    std::string out;
    for (++i; i < text.size(); ++i) {
        if (text[i] != closer) {
            out += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == closer) {
            out += closer;
            ++i;
        } else {
            ++i;
            break;
        }
    }
    return out;
}

char CloserOf(char opener) {
    switch (opener) {
        case '{':
            return '}';
        case '"':
            return '"';
        case '\'':
            return '\'';
        default:
            return 0;
    }
}

}  // namespace

ConnectionStringParts ConnectionStringParts::Parse(std::string_view text) {
    ConnectionStringParts parts;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t eq = text.find('=', i);
        const std::size_t semi = text.find(';', i);
        if (eq == std::string_view::npos || (semi != std::string_view::npos && semi < eq)) {
            // A piece without "=" carries nothing.
            if (semi == std::string_view::npos) break;
            i = semi + 1;
            continue;
        }
        std::string key = AsciiLower(TrimBlanks(text.substr(i, eq - i)));
        i = eq + 1;
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
        std::string value;
        if (i < text.size() && CloserOf(text[i]) != 0) {
            value = ReadEnclosed(text, i, CloserOf(text[i]));
            const std::size_t next = text.find(';', i);
            i = next == std::string_view::npos ? text.size() : next + 1;
        } else {
            const std::size_t next = text.find(';', i);
            const std::size_t end = next == std::string_view::npos ? text.size() : next;
            value = std::string(TrimBlanks(text.substr(i, end - i)));
            i = end == text.size() ? end : end + 1;
        }
        if (!key.empty()) parts.values_.emplace(std::move(key), std::move(value));
    }
    return parts;
}

std::optional<std::string> ConnectionStringParts::Get(std::string_view key) const {
    auto it = values_.find(AsciiLower(TrimBlanks(key)));
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

}  // namespace db
