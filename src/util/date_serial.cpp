#include "util/date_serial.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace util {
namespace {

namespace chr = std::chrono;

// Days from 1970-01-01 back to the serial origin 1899-12-30.
constexpr long kSerialEpochOffset = 25569;
constexpr long kSecondsPerDay = 86400;
constexpr double kFirstSerial = -657434;       // 100-01-01
constexpr double kLastSerial = 2958465.99999;  // 9999-12-31 23:59:59

long DaysFromCivil(int year, int month, int day) {
    // Normalise the month first so that month 0 or 13 lands in the neighbouring year.
    long months = static_cast<long>(year) * 12 + (month - 1);
    long y = months >= 0 ? months / 12 : -((-months + 11) / 12);
    int m = static_cast<int>(months - y * 12) + 1;
    chr::year_month_day first{chr::year{static_cast<int>(y)}, chr::month{static_cast<unsigned>(m)},
                              chr::day{1}};
    return chr::sys_days{first}.time_since_epoch().count() + (day - 1);
}

}  // namespace

DateTime MakeDateTime(const CivilTime& t) {
    long days = DaysFromCivil(t.year, t.month, t.day) + kSerialEpochOffset;
    double frac = (t.hour * 3600.0 + t.minute * 60.0 + t.second) / kSecondsPerDay;
    // The fraction is the time of day in both directions from the origin.
    return DateTime{days >= 0 ? days + frac : days - frac};
}

CivilTime ToCivil(DateTime d) {
    // Held to the dates VB can hold, 100-01-01 to 9999-12-31, so that no value overflows.
    double serial = std::isnan(d.serial) ? 0 : std::clamp(d.serial, kFirstSerial, kLastSerial);
    double whole = std::trunc(serial);
    long days = static_cast<long>(whole);
    long secs = std::lround(std::fabs(serial - whole) * kSecondsPerDay);
    if (secs >= kSecondsPerDay) {
        secs -= kSecondsPerDay;
        days += 1;
    }
    chr::year_month_day ymd{chr::sys_days{chr::days{days - kSerialEpochOffset}}};
    CivilTime t;
    t.year = static_cast<int>(ymd.year());
    t.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
    t.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
    t.hour = static_cast<int>(secs / 3600);
    t.minute = static_cast<int>(secs / 60 % 60);
    t.second = static_cast<int>(secs % 60);
    return t;
}

int WeekdayOf(DateTime d) {
    CivilTime t = ToCivil(d);
    chr::weekday wd{chr::sys_days{chr::days{DaysFromCivil(t.year, t.month, t.day)}}};
    return static_cast<int>(wd.c_encoding()) + 1;
}

DateTime NowLocal() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return MakeDateTime(CivilTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                  local.tm_hour, local.tm_min, local.tm_sec});
}

std::string FormatDateTime(DateTime d) {
    CivilTime t = ToCivil(d);
    bool hasTime = t.hour != 0 || t.minute != 0 || t.second != 0;
    bool dayZero = t.year == 1899 && t.month == 12 && t.day == 30;
    char date[48];
    char time[48];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", t.year, t.month, t.day);
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    if (!hasTime) return date;
    if (dayZero) return time;
    return std::string(date) + " " + time;
}

}  // namespace util
