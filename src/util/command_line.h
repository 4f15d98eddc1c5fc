#pragma once
// A Windows command line split into program and arguments by the rules Windows programs use, so
// that a command line can be started without a shell.
#include <string>
#include <string_view>
#include <vector>

namespace util {

// The first entry is the program: up to the next blank, or between quotes when it starts with one
// (no escapes there). The arguments follow the C run-time rules: blanks separate outside quotes;
// 2n backslashes before a quote give n backslashes and the quote opens or closes a quoted part;
// 2n+1 give n backslashes and a literal quote; "" inside a quoted part is a literal quote;
// other backslashes are literal. Empty when the line holds only blanks.
std::vector<std::string> SplitCommandLine(std::string_view line);

}  // namespace util
