#pragma once
// UTF-8 and UTF-16 (the SQLWCHAR text of unixODBC's wide API). Malformed input becomes U+FFFD.
#include <string>
#include <string_view>

namespace db::odbc {

std::u16string Utf16FromUtf8(std::string_view utf8);
std::string Utf8FromUtf16(std::u16string_view utf16);

}  // namespace db::odbc
