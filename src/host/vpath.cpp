#include "host/vpath.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "host/ascii_text.h"

namespace fs = std::filesystem;

namespace host {
namespace {

constexpr std::string_view kUncFolder = "unc";

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsDrivePath(std::string_view text) {
    return text.size() >= 2 && IsAsciiLetter(text[0]) && text[1] == ':' &&
           (text.size() == 2 || IsSeparator(text[2]));
}

bool IsUncPath(std::string_view text) {
    return text.size() >= 2 && IsSeparator(text[0]) && IsSeparator(text[1]);
}

// The non-empty pieces between separators.
std::vector<std::string_view> SplitComponents(std::string_view text) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || IsSeparator(text[i])) {
            if (i > start) parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

// Windows ignores trailing blanks and dots of a file name ("a.txt." is "a.txt").
std::string_view WindowsComponent(std::string_view part) {
    if (part == "." || part == "..") return part;
    while (!part.empty() && (part.back() == ' ' || part.back() == '.')) part.remove_suffix(1);
    return part;
}

// The name of the entry of `folder` that `name` denotes: the exact name when it exists, else the
// first (in byte order) entry equal ignoring case, else `name` itself.
std::string MatchEntry(const fs::path& folder, std::string_view name) {
    std::error_code ec;
    if (fs::exists(fs::symlink_status(folder / std::string(name), ec))) return std::string(name);
    std::optional<std::string> best;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string entry = it->path().filename().string();
        if (EqualsNoCase(entry, name) && (!best || entry < *best)) best = std::move(entry);
    }
    return best.value_or(std::string(name));
}

bool IsUsableUncName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name != "?";
}

fs::path RequireFolder(const fs::path& root, std::string_view origin) {
    std::error_code ec;
    const fs::file_status status = fs::status(root, ec);
    if (!fs::exists(status)) {
        throw std::runtime_error("root folder \"" + root.string() + "\" (" + std::string(origin) +
                                 ") does not exist");
    }
    if (!fs::is_directory(status)) {
        throw std::runtime_error("root \"" + root.string() + "\" (" + std::string(origin) +
                                 ") is not a folder");
    }
    return fs::absolute(root).lexically_normal();
}

fs::path HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr) {
        return found->pw_dir;
    }
    throw std::runtime_error(
        "no home folder for the default root folder; choose one with --root or DATAPATCH_ROOT");
}

}  // namespace

PathMap::PathMap(fs::path root) : root_(fs::absolute(root).lexically_normal()) {}

fs::path PathMap::DriveFolder(char letter) const {
    return root_ / std::string(1, AsciiLower(letter));
}

std::optional<fs::path> PathMap::ToNative(std::string_view windowsPath) const {
    if (windowsPath.size() < 2 || windowsPath.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    std::vector<fs::path> folders;  // folders.back() is the current folder; [0] is the floor
    std::vector<std::string_view> parts = SplitComponents(windowsPath.substr(2));
    auto next = parts.begin();
    if (IsDrivePath(windowsPath)) {
        folders.push_back(DriveFolder(windowsPath[0]));
    } else if (IsUncPath(windowsPath)) {
        if (parts.size() < 2) return std::nullopt;
        const std::string_view server = WindowsComponent(parts[0]);
        const std::string_view share = WindowsComponent(parts[1]);
        if (!IsUsableUncName(server) || !IsUsableUncName(share)) return std::nullopt;
        fs::path base = root_ / std::string(kUncFolder);
        base /= MatchEntry(base, server);
        base /= MatchEntry(base, share);
        folders.push_back(std::move(base));
        next += 2;
    } else {
        return std::nullopt;
    }
    for (; next != parts.end(); ++next) {
        const std::string_view part = WindowsComponent(*next);
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (folders.size() > 1) folders.pop_back();
            continue;
        }
        folders.push_back(folders.back() / MatchEntry(folders.back(), part));
    }
    return folders.back();
}

fs::path ResolveRoot(const std::optional<fs::path>& cliRoot) {
    if (cliRoot) return RequireFolder(*cliRoot, "--root");
    if (const char* env = std::getenv(std::string(kRootVariable).c_str());
        env != nullptr && *env != '\0') {
        return RequireFolder(env, kRootVariable);
    }
    const fs::path root = HomeFolder() / ".local" / "share" / "datapatch" / "root";
    std::error_code ec;
    fs::create_directories(root, ec);
    if (ec || !fs::is_directory(root)) {
        throw std::runtime_error("cannot create the root folder \"" + root.string() +
                                 "\": " + ec.message());
    }
    return fs::absolute(root).lexically_normal();
}

}  // namespace host
