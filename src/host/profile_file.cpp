// The file side of private-profile access: loading, atomic updates and the two Win32-style calls.
#include <algorithm>

#include "host/ascii_text.h"
#include "host/codepage.h"
#include "host/file_io.h"
#include "host/profile.h"

namespace fs = std::filesystem;

namespace host {
namespace {

constexpr int kMaxProfileBuffer = 255;

// One pair of matching quotes around a value is not part of it.
std::string_view StripQuotes(std::string_view value) {
    if (value.size() >= 2 && value.front() == value.back() &&
        (value.front() == '"' || value.front() == '\'')) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

}  // namespace

ProfileDocument LoadProfileFile(const fs::path& file) {
    return ProfileDocument::Parse(ReadWholeFile(file).value_or(std::string()));
}

bool UpdateProfileFile(const fs::path& file, const std::function<bool(ProfileDocument&)>& change) {
    std::error_code ec;
    const bool exists = fs::exists(file, ec);
    std::string original;
    if (exists) {
        std::optional<std::string> bytes = ReadWholeFile(file);
        if (!bytes) return false;
        original = std::move(*bytes);
    }
    if (IsReadOnly(file)) return false;
    ProfileDocument doc = ProfileDocument::Parse(original);
    if (!change(doc)) return false;
    const std::string updated = doc.Serialize();
    if (exists && updated == original) return true;
    return ReplaceFileAtomically(file, updated);
}

std::string GetProfileString(const ProfileDocument& doc, std::string_view section,
                             std::string_view key, std::string_view def, int size) {
    if (size <= 1) return std::string();
    const auto maxBytes = static_cast<std::size_t>(std::min(size, kMaxProfileBuffer) - 1);
    const std::optional<std::string> value = doc.Get(section, key);
    const std::string_view text = value ? StripQuotes(*value) : TrimEnd(def, " \t");
    return std::string(TruncateToAnsiBytes(text, maxBytes));
}

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view def, int size, const fs::path& file) {
    if (size <= 1) return std::string();
    return GetProfileString(LoadProfileFile(file), section, key, def, size);
}

bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const fs::path& file) {
    return UpdateProfileFile(file,
                             [&](ProfileDocument& doc) { return doc.Set(section, key, value); });
}

}  // namespace host
