#pragma once
// Windows date and time format pictures ("yyyy-MM-dd", "tt h:mm:ss"): rendering a time with one,
// and deriving one from the strftime format a POSIX locale gives.
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace host {

// Tokens: yyyy (and longer) full year, yy two digits, y year of the century; MM, M month;
// MMM, MMMM month name; dd, d day; ddd, dddd weekday name; HH, H 24-hour; hh, h 12-hour; mm, m
// minutes; ss, s seconds; tt AM/PM, t A/P. Text in single quotes is literal; two quotes, inside or
// outside, are one quote; any other character is copied as it is. Names are English.
std::string FormatPicture(std::string_view picture, const std::tm& when);

// The picture equivalent of a strftime format (%Y, %m, %d, %H, %M, %S, %I, %p, %e, %k, %l, %D,
// %F, %T, %R, %r, the "-" flag and literal text); nullopt when the format uses anything else.
std::optional<std::string> PictureFromStrftime(std::string_view format);

}  // namespace host
