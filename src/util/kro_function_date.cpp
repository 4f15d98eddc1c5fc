// Kro_Function: dates.
#include <array>
#include <cstdio>

#include "util/date_serial.h"
#include "util/kro_function.h"

namespace util {

std::string Kro_Function::DD한글요일(DateTime date) {
    static constexpr std::array<const char*, 7> kNames = {"일요일", "월요일", "화요일", "수요일",
                                                          "목요일", "금요일", "토요일"};
    return kNames[static_cast<std::size_t>(WeekdayOf(date) - 1)];
}

std::string Kro_Function::DD월마지막일자(DateTime date) {
    CivilTime t = ToCivil(date);
    // Day 0 of the next month is the last day of this one.
    CivilTime last = ToCivil(MakeDateTime(CivilTime{t.year, t.month + 1, 0}));
    return std::to_string(last.day);
}

std::string Kro_Function::DD직전월(DateTime date) {
    CivilTime t = ToCivil(date);
    CivilTime previous = ToCivil(MakeDateTime(CivilTime{t.year, t.month - 1, 1}));
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d%02d", previous.year, previous.month);
    return buf;
}

std::string Kro_Function::SR날짜시간Strim() {
    CivilTime t = ToCivil(NowLocal());
    char buf[80];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return buf;
}

}  // namespace util
