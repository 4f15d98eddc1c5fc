#include "db/column_fit.h"

#include <algorithm>

#include "host/codepage.h"

namespace db {
namespace {

bool National(const std::string& typeName) {
    return !typeName.empty() && (typeName[0] == 'N' || typeName[0] == 'n');
}

std::size_t Measure(std::string_view text, bool national) {
    std::size_t characters = 0;
    for (std::size_t pos = 0; pos < text.size(); ++characters) {
        pos += std::max<std::size_t>(1, host::Utf8CharLength(text, pos));
    }
    return national ? characters : characters + (text.size() - characters) / 2;
}

}  // namespace

bool TextFits(std::string_view text, const ColumnInfo& column) {
    return column.size <= 0 ||
           Measure(text, National(column.typeName)) <= static_cast<std::size_t>(column.size);
}

std::string FitText(std::string_view text, const ColumnInfo& column) {
    std::string fitted(text);
    while (!fitted.empty() && !TextFits(fitted, column)) {
        std::size_t last = fitted.size() - 1;
        while (last > 0 && (static_cast<unsigned char>(fitted[last]) & 0xC0) == 0x80) --last;
        fitted.erase(last);
    }
    return fitted;
}

}  // namespace db
