#include "util/ini_module.h"

#include <algorithm>

#include "host/host.h"
#include "host/profile.h"
#include "util/vb_text.h"

namespace util {

std::string IniReadWithDefault(const host::Host& host, std::string_view section,
                               std::string_view key, int size, std::string_view file,
                               const Variant& def) {
    std::optional<std::filesystem::path> native = host.Native(file);
    std::string value;
    if (native) value = host::GetPrivateProfileString(section, key, "", size, *native);
    value = Trim(value);
    value.erase(std::remove(value.begin(), value.end(), '\0'), value.end());
    value = Trim(value);
    if (!value.empty()) return value;
    std::string fallback = def.AsText();
    IniWriteValue(host, section, key, def, file);
    return fallback;
}

bool IniWriteValue(const host::Host& host, std::string_view section, std::string_view key,
                   const Variant& value, std::string_view file) {
    std::optional<std::filesystem::path> native = host.Native(file);
    if (!native) return false;
    // Integers come out in plain decimal, without the leading blank VB's Str would give them.
    return host::WritePrivateProfileString(section, key, value.AsText(), *native);
}

}  // namespace util
