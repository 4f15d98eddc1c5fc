#include "db/error.h"

#include <algorithm>
#include <cstdio>

#include "util/sql_text.h"

namespace db {

std::string HexNumber(std::int32_t number) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<std::uint32_t>(number));
    return buffer;
}

std::string SqlName(std::string_view name, std::string_view origin) {
    if (std::optional<std::string> quoted = util::SqlName(name)) return *std::move(quoted);
    // A long value is shown by its start, cut before a whole character; control characters as
    // '?'.
    constexpr std::size_t kShown = 80;
    std::size_t shown = std::min(name.size(), kShown);
    while (shown < name.size() && shown > 0 &&
           (static_cast<unsigned char>(name[shown]) & 0xC0) == 0x80) {
        --shown;
    }
    std::string value(name.substr(0, shown));
    for (char& c : value) {
        if (static_cast<unsigned char>(c) < 0x20) c = '?';
    }
    if (shown < name.size()) value += "...";
    throw DbError(ErrorNumber::kInvalidArgument,
                  "'" + value + "' (" + std::string(origin) +
                      ") is not a usable name: only letters, digits and '_' (up to " +
                      std::to_string(util::kSqlNameMaxLength) +
                      " characters); nothing was run with it");
}

}  // namespace db
