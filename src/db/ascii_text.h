#pragma once
// Letter-case folding of ASCII letters only, as the database layer compares names and keys;
// other characters (Hangul included) compare as they are.
#include <string_view>

#include "host/ascii_text.h"

namespace db {

using host::AsciiLower;
using host::EqualsNoCase;
using host::StartsWithNoCase;

// The text without blanks and line breaks at either end.
constexpr std::string_view TrimBlanks(std::string_view s) {
    return host::Trim(s);
}

}  // namespace db
