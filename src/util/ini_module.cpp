#include "util/ini_module.h"

#include <algorithm>

#include "host/host.h"
#include "host/profile.h"
#include "util/vb_text.h"

namespace util {
namespace {

constexpr int kLargestBuffer = 255;  // what the profile read takes at most

// Trimmed, without NUL characters, trimmed again.
std::string Usable(std::string value) {
    value = Trim(value);
    value.erase(std::remove(value.begin(), value.end(), '\0'), value.end());
    return Trim(value);
}

}  // namespace

std::string IniReadWithDefault(const host::Host& host, std::string_view section,
                               std::string_view key, int size, std::string_view file,
                               const Variant& def) {
    std::optional<std::filesystem::path> native = host.Native(file);
    const host::ProfileDocument doc =
        native ? host::LoadProfileFile(*native) : host::ProfileDocument::Parse("");
    std::string value = Usable(host::GetProfileString(doc, section, key, "", size));
    if (!value.empty()) return value;
    // A value that the buffer cut to nothing (a double-byte character through a two-byte buffer)
    // is still there: the default does not replace it.
    const std::string stored =
        Usable(host::GetProfileString(doc, section, key, "", kLargestBuffer));
    if (stored.empty()) IniWriteValue(host, section, key, def, file);
    return def.AsText();
}

bool IniWriteValue(const host::Host& host, std::string_view section, std::string_view key,
                   const Variant& value, std::string_view file) {
    std::optional<std::filesystem::path> native = host.Native(file);
    const std::string entry = "[" + std::string(section) + "] " + std::string(key);
    if (!native) {
        host.NoteUnwritten(std::string(file), {}, entry);
        return false;
    }
    if (host.Preview()) {
        host.Withhold("write [" + std::string(section) + "] " + std::string(key) + "=" +
                      value.AsText() + " into " + std::string(file));
        return true;
    }
    // Integers come out in plain decimal, without the leading blank VB's Str would give them.
    if (host::WritePrivateProfileString(section, key, value.AsText(), *native)) return true;
    host.NoteUnwritten(std::string(file), *native, entry);
    return false;
}

}  // namespace util
