#pragma once
// Calendar parts of a DateTime (days since 1899-12-30, time of day as the fraction), as VB's
// DateSerial, Year/Month/Day/Hour and Weekday see them.
#include <string>

#include "util/variant.h"

namespace util {

struct CivilTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Months and days out of range roll over as in DateSerial: month 13 is January of the next year,
// day 0 the last day of the previous month.
DateTime MakeDateTime(const CivilTime& t);
// The parts of a date, the time rounded to the second.
CivilTime ToCivil(DateTime d);
// 1 for Sunday up to 7 for Saturday.
int WeekdayOf(DateTime d);
// The local date and time of this moment.
DateTime NowLocal();
// "yyyy-MM-dd HH:mm:ss"; the date alone when the time is midnight, the time alone on day zero.
std::string FormatDateTime(DateTime d);

}  // namespace util
