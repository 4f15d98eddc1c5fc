#include "util/sql_text.h"

namespace util {
namespace {

// The length of the well-formed UTF-8 character beyond ASCII at text[i] (no overlong forms, no
// surrogates, nothing above U+10FFFF); 0 when the bytes are no such character.
std::size_t Utf8Length(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) {
        return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0u;
    };
    const auto tail = [&](std::size_t k) { return (byte(k) & 0xC0u) == 0x80u; };
    const unsigned lead = byte(0);
    if (lead >= 0xC2 && lead <= 0xDF) return tail(1) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        const bool second = lead == 0xE0   ? byte(1) >= 0xA0 && byte(1) <= 0xBF
                            : lead == 0xED ? byte(1) >= 0x80 && byte(1) <= 0x9F
                                           : tail(1);
        return second && tail(2) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const bool second = lead == 0xF0   ? byte(1) >= 0x90 && byte(1) <= 0xBF
                            : lead == 0xF4 ? byte(1) >= 0x80 && byte(1) <= 0x8F
                                           : tail(1);
        return second && tail(2) && tail(3) ? 4 : 0;
    }
    return 0;
}

bool IsAsciiNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

}  // namespace

std::string SqlQuoted(std::string_view text) {
    std::string out = "'";
    for (char c : text) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out + "'";
}

std::string SqlQuotedValue(const Variant& value) {
    return SqlQuoted(value.AsText());
}

std::string SqlNumber(const Variant& value, std::string_view whenNull) {
    switch (value.kind()) {
        case Variant::Kind::Int:
        case Variant::Kind::Double:
        case Variant::Kind::Currency:
            return value.AsText();
        case Variant::Kind::Bool:
            return value.AsBool() ? "-1" : "0";
        case Variant::Kind::Text:
            if (value.IsNumeric()) return Variant(value.AsDouble()).AsText();
            break;
        default:
            break;
    }
    return std::string(whenNull);
}

bool IsPlainSqlName(std::string_view name) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < name.size(); ++characters) {
        if (IsAsciiNameChar(name[i])) {
            ++i;
            continue;
        }
        const std::size_t length = Utf8Length(name, i);
        if (length == 0) return false;
        i += length;
    }
    return characters >= 1 && characters <= kSqlNameMaxLength;
}

std::optional<std::string> SqlName(std::string_view name) {
    if (!IsPlainSqlName(name)) return std::nullopt;
    return "[" + std::string(name) + "]";
}

}  // namespace util
