#include "host/net_drives.h"

#include "host/settings_store.h"
#include "host/vpath.h"

namespace fs = std::filesystem;

namespace host {
namespace {

constexpr std::string_view kSection = "NetworkDrives";

bool IsDriveLetter(char letter) {
    return (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
}

std::string Key(char letter) {
    return std::string(1, letter >= 'a' ? static_cast<char>(letter - 'a' + 'A') : letter);
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

std::string_view WithoutTrailingSeparators(std::string_view unc) {
    while (unc.size() > 2 && IsSeparator(unc.back())) unc.remove_suffix(1);
    return unc;
}

}  // namespace

NetworkDrives::NetworkDrives(SettingsStore& store, const PathMap& paths)
    : store_(store), paths_(paths) {}

bool NetworkDrives::DriveInUse(char letter) const {
    if (!IsDriveLetter(letter)) return false;
    std::error_code ec;
    return !Get(letter).empty() || fs::is_directory(paths_.DriveFolder(letter), ec);
}

int NetworkDrives::Add(char letter, std::string_view unc, std::string_view /*user*/,
                       std::string_view /*password*/) {
    if (!IsDriveLetter(letter)) return net_result::kBadDevice;
    if (DriveInUse(letter)) return net_result::kAlreadyAssigned;
    const bool isUnc = unc.size() > 2 && IsSeparator(unc[0]) && IsSeparator(unc[1]);
    const std::optional<fs::path> share = isUnc ? paths_.ToNative(unc) : std::nullopt;
    std::error_code ec;
    if (!share || !fs::is_directory(*share, ec)) return net_result::kBadNetName;
    return store_.Set(kSection, Key(letter), WithoutTrailingSeparators(unc))
               ? net_result::kOk
               : net_result::kCannotOpenProfile;
}

int NetworkDrives::Cancel(char letter) {
    if (!IsDriveLetter(letter)) return net_result::kBadDevice;
    if (Get(letter).empty()) return net_result::kNotConnected;
    return store_.Remove(kSection, Key(letter)) ? net_result::kOk : net_result::kCannotOpenProfile;
}

std::string NetworkDrives::Get(char letter) const {
    if (!IsDriveLetter(letter)) return std::string();
    return store_.Get(kSection, Key(letter));
}

int NetworkDrives::GetConnection(char letter, std::string& remote) const {
    if (!IsDriveLetter(letter)) return net_result::kBadDevice;
    std::string unc = Get(letter);
    if (unc.empty()) return net_result::kNotConnected;
    remote = std::move(unc);
    return net_result::kOk;
}

std::optional<std::string> NetworkDrives::Redirect(std::string_view windowsPath) const {
    if (windowsPath.size() < 2 || windowsPath[1] != ':' ||
        (windowsPath.size() > 2 && !IsSeparator(windowsPath[2]))) {
        return std::nullopt;
    }
    const std::string unc = Get(windowsPath[0]);
    if (unc.empty()) return std::nullopt;
    return unc + std::string(windowsPath.substr(2));
}

}  // namespace host
