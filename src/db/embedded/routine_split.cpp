#include "db/embedded/routine_split.h"

namespace db::embedded {
namespace {

bool BlankOnly(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

// The part of rest before the first separator; rest moves past it (to the end when the part is
// unterminated).
std::string_view TakeUntil(std::string_view& rest, char separator) {
    const std::size_t at = rest.find(separator);
    const std::string_view part = rest.substr(0, at);
    rest = at == std::string_view::npos ? std::string_view() : rest.substr(at + 1);
    return part;
}

}  // namespace

std::string_view FirstCharacters(std::string_view text, std::size_t count) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool lead = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
        if (lead && seen++ == count) return text.substr(0, i);
    }
    return text;
}

std::vector<SplitRecord> SplitParameterText(std::string_view text) {
    std::vector<SplitRecord> records;
    std::string_view rest = FirstCharacters(text, kSplitTextLength);
    while (!BlankOnly(rest)) {
        std::string_view record = TakeUntil(rest, '$');
        SplitRecord& fields = records.emplace_back();
        for (std::size_t n = 0; !BlankOnly(record); ++n) {
            const std::string_view field = TakeUntil(record, '#');
            if (n < kSplitFields)
                fields[n] = std::string(FirstCharacters(field, kSplitFieldLength));
        }
    }
    return records;
}

}  // namespace db::embedded
