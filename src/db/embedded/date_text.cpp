#include "db/embedded/date_text.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <vector>

#include "db/embedded/token.h"

namespace db::embedded {
namespace {

// The numbers of the text, in order, and its AM/PM suffix.
struct Parts {
    std::vector<int> numbers;
    std::string suffix;  // "AM", "PM" or empty
    bool korean = false;
};

// The words of Korean date and time texts ("2020년 12월 21일 오후 3시 04분"): the half of the day,
// which may stand before the time, and the unit words, which separate like ':' and '-'.
struct KoreanMark {
    std::string_view text;
    std::string_view suffix;  // "AM", "PM" or empty for a unit word
};

constexpr std::array<KoreanMark, 8> kKoreanMarks{{{"오전", "AM"},
                                                  {"오후", "PM"},
                                                  {"년", ""},
                                                  {"월", ""},
                                                  {"일", ""},
                                                  {"시", ""},
                                                  {"분", ""},
                                                  {"초", ""}}};

const KoreanMark* KoreanMarkAt(std::string_view text, std::size_t i) {
    for (const KoreanMark& mark : kKoreanMarks) {
        if (text.substr(i, mark.text.size()) == mark.text) return &mark;
    }
    return nullptr;
}

std::optional<Parts> Split(std::string_view text) {
    Parts p;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            int v = 0;
            int digits = 0;
            while (i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 9) {
                v = v * 10 + (text[i] - '0');
                ++i;
                ++digits;
            }
            p.numbers.push_back(v);
            continue;
        }
        if (c == '-' || c == '/' || c == ':' || c == ' ' || c == '.' || c == 'T') {
            ++i;
            continue;
        }
        if (const KoreanMark* mark = KoreanMarkAt(text, i)) {
            if (!mark->suffix.empty()) p.suffix = mark->suffix;
            p.korean = true;
            i += mark->text.size();
            continue;
        }
        const std::string rest = UpperAscii(text.substr(i));
        if (rest == "AM" || rest == "PM") {
            p.suffix = rest;
            break;
        }
        return std::nullopt;
    }
    return p;
}

bool ValidDate(const util::CivilTime& t) {
    static constexpr std::array<int, 12> kDays{31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (t.year < 100 || t.year > 9999 || t.month < 1 || t.month > 12 || t.day < 1) return false;
    if (t.day > kDays[static_cast<std::size_t>(t.month - 1)]) return false;
    const bool leap = (t.year % 4 == 0 && t.year % 100 != 0) || t.year % 400 == 0;
    return !(t.month == 2 && t.day == 29 && !leap);
}

}  // namespace

std::optional<DateText> ParseDateText(std::string_view text) {
    const std::optional<Parts> parts = Split(text);
    if (!parts || parts->numbers.size() < 3 || parts->numbers.size() > 7) return std::nullopt;
    const std::vector<int>& n = parts->numbers;
    DateText d;
    // A first number of four digits (or above 31) is the year; otherwise month/day/year.
    if (n[0] > 31) {
        d.time.year = n[0];
        d.time.month = n[1];
        d.time.day = n[2];
    } else {
        d.time.month = n[0];
        d.time.day = n[1];
        d.time.year = n[2];
    }
    if (!ValidDate(d.time)) return std::nullopt;
    if (n.size() >= 5) {
        d.hasTime = true;
        d.time.hour = n[3];
        d.time.minute = n[4];
        d.time.second = n.size() >= 6 ? n[5] : 0;
    } else if (n.size() == 4) {
        return std::nullopt;
    }
    if (!parts->suffix.empty() && !d.hasTime) return std::nullopt;  // a half-day needs a time
    d.localForm = parts->korean || !parts->suffix.empty();
    if (parts->suffix == "PM" && d.time.hour < 12) d.time.hour += 12;
    if (parts->suffix == "AM" && d.time.hour == 12) d.time.hour = 0;
    if (d.time.hour > 23 || d.time.minute > 59 || d.time.second > 59) return std::nullopt;
    return d;
}

namespace {

// value as width decimal digits (leading zeros), at out.
void PutDigits(char* out, int value, int width) {
    for (int k = width - 1; k >= 0; --k) {
        out[k] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
}

}  // namespace

std::string FormatStoredDate(const DateText& date) {
    const util::CivilTime& t = date.time;
    // Midnight is the date alone, however it was written: Jet keeps a date as one number, so
    // #2014-03-04# and #2014-03-04 00:00:00# are one value and must be one stored text, or they
    // would compare unequal.
    const bool hasTime = date.hasTime && (t.hour != 0 || t.minute != 0 || t.second != 0);
    const bool fits = t.year >= 0 && t.year <= 9999 && t.month >= 0 && t.month <= 99 &&
                      t.day >= 0 && t.day <= 99 && t.hour >= 0 && t.hour <= 99 && t.minute >= 0 &&
                      t.minute <= 99 && t.second >= 0 && t.second <= 99;
    if (!fits) {
        char wide[80];
        std::snprintf(wide, sizeof wide, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                      t.hour, t.minute, t.second);
        return std::string(wide, hasTime ? std::strlen(wide) : std::strcspn(wide, " "));
    }
    // Digits written by hand: this runs for every date literal of every statement.
    char buf[] = "0000-00-00 00:00:00";
    PutDigits(buf, t.year, 4);
    PutDigits(buf + 5, t.month, 2);
    PutDigits(buf + 8, t.day, 2);
    if (!hasTime) return std::string(buf, 10);
    PutDigits(buf + 11, t.hour, 2);
    PutDigits(buf + 14, t.minute, 2);
    PutDigits(buf + 17, t.second, 2);
    return std::string(buf, 19);
}

}  // namespace db::embedded
