#pragma once
// Date-time texts as the embedded engine stores them ("2020-12-21 10:00:00", "2020-12-21") and
// as Jet date literals write them (#2020-12-21 10:00:00#, #12/21/2020 10:00 PM#).
#include <optional>
#include <string>
#include <string_view>

#include "util/date_serial.h"

namespace db::embedded {

struct DateText {
    util::CivilTime time;
    bool hasTime = false;
    bool localForm = false;  // written with AM/PM, 오전/오후 or Korean unit words
};

// Reads year-month-day (with '-' or '/') or month/day/year, optionally followed by a time
// "H:MM[:SS[.fff]]" and AM/PM. Empty when the text is no valid date.
std::optional<DateText> ParseDateText(std::string_view text);

// "YYYY-MM-DD HH:MM:SS", or "YYYY-MM-DD" when the date has no time.
std::string FormatStoredDate(const DateText& date);

}  // namespace db::embedded
