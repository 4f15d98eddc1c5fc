#include "host/date_picture.h"

#include <array>
#include <cstdio>

namespace host {
namespace {

constexpr std::array<std::string_view, 12> kMonthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<std::string_view, 7> kWeekdayNames = {
    "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
constexpr std::size_t kAbbreviation = 3;
constexpr char kQuote = '\'';

std::string Digits(int value, int width) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
    return buffer;
}

// A number token: one letter gives no leading zero, two or more give two digits.
std::string Number(int value, int run) {
    return Digits(value, run >= 2 ? 2 : 1);
}

std::string Name(std::string_view name, int run) {
    return std::string(run >= 4 ? name : name.substr(0, kAbbreviation));
}

int Hour12(int hour) {
    return hour % 12 == 0 ? 12 : hour % 12;
}

std::string RenderYear(const std::tm& t, int run) {
    const int year = t.tm_year + 1900;
    return run >= 3 ? Digits(year, 4) : Number(year % 100, run);
}
std::string RenderMonth(const std::tm& t, int run) {
    return run >= 3 ? Name(kMonthNames.at(static_cast<std::size_t>(t.tm_mon % 12)), run)
                    : Number(t.tm_mon + 1, run);
}
std::string RenderDay(const std::tm& t, int run) {
    return run >= 3 ? Name(kWeekdayNames.at(static_cast<std::size_t>(t.tm_wday % 7)), run)
                    : Number(t.tm_mday, run);
}
std::string RenderHour24(const std::tm& t, int run) {
    return Number(t.tm_hour, run);
}
std::string RenderHour12(const std::tm& t, int run) {
    return Number(Hour12(t.tm_hour), run);
}
std::string RenderMinute(const std::tm& t, int run) {
    return Number(t.tm_min, run);
}
std::string RenderSecond(const std::tm& t, int run) {
    return Number(t.tm_sec, run);
}
std::string RenderDesignator(const std::tm& t, int run) {
    const std::string_view designator = t.tm_hour < 12 ? "AM" : "PM";
    return std::string(run >= 2 ? designator : designator.substr(0, 1));
}

struct TokenRule {
    char letter;
    std::string (*render)(const std::tm&, int run);
};

constexpr std::array<TokenRule, 8> kTokens = {{{'y', RenderYear},
                                               {'M', RenderMonth},
                                               {'d', RenderDay},
                                               {'H', RenderHour24},
                                               {'h', RenderHour12},
                                               {'m', RenderMinute},
                                               {'s', RenderSecond},
                                               {'t', RenderDesignator}}};

const TokenRule* FindToken(char letter) {
    for (const TokenRule& rule : kTokens) {
        if (rule.letter == letter) return &rule;
    }
    return nullptr;
}

// Copies a quoted literal starting at `pos` (on the opening quote); returns the index after it.
std::size_t CopyQuoted(std::string_view picture, std::size_t pos, std::string& out) {
    ++pos;
    while (pos < picture.size()) {
        if (picture[pos] != kQuote) {
            out.push_back(picture[pos++]);
        } else if (pos + 1 < picture.size() && picture[pos + 1] == kQuote) {
            out.push_back(kQuote);
            pos += 2;
        } else {
            return pos + 1;
        }
    }
    return pos;
}

struct StrftimeRule {
    std::string_view conversion;  // what follows "%"
    std::string_view picture;
};

constexpr std::array<StrftimeRule, 27> kStrftimeRules = {{
    {"Y", "yyyy"},     {"y", "yy"},    {"m", "MM"},          {"d", "dd"},       {"e", "d"},
    {"H", "HH"},       {"k", "H"},     {"I", "hh"},          {"l", "h"},        {"M", "mm"},
    {"S", "ss"},       {"p", "tt"},    {"P", "tt"},          {"D", "MM/dd/yy"}, {"F", "yyyy-MM-dd"},
    {"T", "HH:mm:ss"}, {"R", "HH:mm"}, {"r", "hh:mm:ss tt"}, {"-m", "M"},       {"-d", "d"},
    {"-e", "d"},       {"-H", "H"},    {"-k", "H"},          {"-I", "h"},       {"-l", "h"},
    {"-M", "m"},       {"-S", "s"},
}};

bool NeedsQuotes(std::string_view literal) {
    for (const char c : literal) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == kQuote) return true;
    }
    return false;
}

void AppendLiteral(std::string_view literal, std::string& out) {
    if (!NeedsQuotes(literal)) {
        out += literal;
        return;
    }
    out.push_back(kQuote);
    for (const char c : literal) {
        if (c == kQuote) out.push_back(kQuote);
        out.push_back(c);
    }
    out.push_back(kQuote);
}

}  // namespace

std::string FormatPicture(std::string_view picture, const std::tm& when) {
    std::string out;
    std::size_t pos = 0;
    while (pos < picture.size()) {
        const char c = picture[pos];
        if (c == kQuote && picture.substr(pos + 1).starts_with(kQuote)) {
            out.push_back(kQuote);
            pos += 2;
        } else if (c == kQuote) {
            pos = CopyQuoted(picture, pos, out);
        } else if (const TokenRule* rule = FindToken(c)) {
            std::size_t end = pos;
            while (end < picture.size() && picture[end] == c) ++end;
            out += rule->render(when, static_cast<int>(end - pos));
            pos = end;
        } else {
            out.push_back(c);
            ++pos;
        }
    }
    return out;
}

std::optional<std::string> PictureFromStrftime(std::string_view format) {
    std::string picture;
    std::string literal;
    std::size_t pos = 0;
    while (pos < format.size()) {
        if (format[pos] != '%') {
            literal.push_back(format[pos++]);
            continue;
        }
        if (format.substr(pos + 1).starts_with('%')) {
            literal.push_back('%');
            pos += 2;
            continue;
        }
        const StrftimeRule* match = nullptr;
        for (const StrftimeRule& rule : kStrftimeRules) {
            if (match == nullptr && format.substr(pos + 1).starts_with(rule.conversion)) {
                match = &rule;
            }
        }
        if (match == nullptr) return std::nullopt;
        AppendLiteral(literal, picture);
        literal.clear();
        picture += match->picture;
        pos += 1 + match->conversion.size();
    }
    AppendLiteral(literal, picture);
    return picture;
}

}  // namespace host
