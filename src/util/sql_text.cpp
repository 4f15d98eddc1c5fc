#include "util/sql_text.h"

namespace util {

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

}  // namespace util
