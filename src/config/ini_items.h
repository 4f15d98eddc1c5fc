#pragma once
// The INI-held items: which file, section and key each is read from and written back to, how
// many characters the read takes (the profile call's buffer size, its NUL included) and how the
// text is converted. The basic load reads them in this order; the saving writes them back.
#include <span>
#include <string_view>

namespace config {

enum class IniFile { Main, Printer };

enum class IniConversion {
    Text,         // as read
    TrimmedText,  // as read, trimmed once more
    Byte,         // through TextToByte
    Int32,        // the leading number of the text (Val), rounded
};

struct IniItem {
    IniFile file;
    std::string_view section;
    std::string_view key;
    int characters;
    IniConversion conversion;
    std::string_view item;  // the NorvConn item's name
};

// The 36 rows in reading order.
std::span<const IniItem> IniItems();

}  // namespace config
