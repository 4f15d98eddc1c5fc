#pragma once
// The date and time texts that the repairs write into rows: in the user's regional pictures, as
// the store software writes them.
#include <string>

namespace config {
class Runtime;
}

namespace repairs {

// Today's date in the short-date picture (for example "2026-12-06").
std::string TodayText(config::Runtime& runtime);
// Today's date with its dashes removed ("20261206").
std::string TodayDigits(config::Runtime& runtime);
// The current date and time: the date picture, a blank, the time picture.
std::string NowText(config::Runtime& runtime);

}  // namespace repairs
