#include "host/host.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "host/net_drives.h"
#include "host/regional.h"
#include "host/settings_store.h"

namespace fs = std::filesystem;

namespace host {
namespace {

constexpr std::string_view kFallbackUserName = "user";

// A file name without folder or drive is looked up in the program folder.
bool IsBareName(std::string_view path) {
    return !path.empty() && path.find_first_of("\\/:") == std::string_view::npos;
}

std::string UpperAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

// A name that can be one folder name.
std::string FolderSafe(std::string name) {
    for (char& c : name) {
        if (c == '/') c = '_';
    }
    return (name.empty() || name == "." || name == "..") ? std::string(kFallbackUserName) : name;
}

}  // namespace

Host::Host(HostOptions options)
    : options_(std::move(options)),
      paths_(std::make_unique<PathMap>(ResolveRoot(options_.root))),
      settings_(std::make_unique<SettingsStore>(paths_->Root() / "users" / FolderSafe(UserName()) /
                                                "settings.ini")),
      regional_(std::make_unique<RegionalSettings>(*settings_)),
      drives_(std::make_unique<NetworkDrives>(*settings_, *paths_)) {
    settings_->OnWriteFailed([this](const std::string& entry) {
        NoteUnwritten(settings_->File().string(), settings_->File(), entry);
    });
}

Host::~Host() = default;

void Host::SetPreview(bool on) {
    preview_ = on;
    settings_->Freeze(on, [this](const std::string& what) { Withhold(what); });
}

std::optional<int> LockWaitFromEnvironment() {
    const char* wait = std::getenv(kLockWaitVariable);
    const int seconds = wait == nullptr ? 0 : std::atoi(wait);
    return seconds > 0 ? std::optional<int>(seconds) : std::nullopt;
}

void Host::Note(std::string what) const {
    for (const auto& [text, unwritten] : notes_) {
        if (text == what) return;
    }
    notes_.emplace_back(std::move(what), Unwritten{});
}

void Host::NoteUnwritten(const std::string& file, const fs::path& native,
                         const std::string& entry) const {
    for (auto& [text, unwritten] : notes_) {
        if (!text.empty() || unwritten.file != file) continue;
        if (std::find(unwritten.entries.begin(), unwritten.entries.end(), entry) ==
            unwritten.entries.end()) {
            unwritten.entries.push_back(entry);
        }
        return;
    }
    notes_.emplace_back(std::string(), Unwritten{file, native, {entry}});
}

std::vector<std::string> Host::Notes() const {
    constexpr std::size_t kNamed = 3;
    std::vector<std::string> notes;
    for (const auto& [text, unwritten] : notes_) {
        if (!text.empty()) {
            notes.push_back(text);
            continue;
        }
        std::string line = unwritten.file;
        const fs::path& native = unwritten.native;
        if (!native.empty() && native.string() != unwritten.file) {
            line += " (" + native.string() + ")";
        }
        line += " could not be written";
        std::error_code ec;
        if (native.empty()) {
            line += " (the path has no place on this machine)";
        } else if (fs::is_directory(native, ec)) {
            line += " (it is a folder)";
        }
        const std::size_t count = unwritten.entries.size();
        line += count == 1 ? ": its setting " : ": its settings ";
        for (std::size_t i = 0; i < std::min(count, kNamed); ++i) {
            line += (i == 0 ? "" : ", ") + unwritten.entries[i];
        }
        if (count > kNamed) line += " and " + std::to_string(count - kNamed) + " more";
        line += count == 1 ? " was not saved" : " were not saved";
        notes.push_back(std::move(line));
    }
    return notes;
}

std::optional<fs::path> Host::Native(std::string_view windowsPath) const {
    if (const std::optional<std::string> unc = drives_->Redirect(windowsPath)) {
        return paths_->ToNative(*unc);
    }
    return paths_->ToNative(windowsPath);
}

std::string Host::ComputerName() const {
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return std::string();
    const std::string_view host(name);
    return UpperAscii(std::string(host.substr(0, host.find('.'))));
}

std::string Host::UserName() const {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_name != nullptr && *found->pw_name != '\0') {
        return found->pw_name;
    }
    if (const char* user = std::getenv("USER"); user != nullptr && *user != '\0') return user;
    return std::string(kFallbackUserName);
}

SpawnResult Host::Start(std::string_view windowsPath, const std::vector<std::string>& args,
                        bool wait) const {
    const std::string path = IsBareName(windowsPath)
                                 ? options_.programFolder + "\\" + std::string(windowsPath)
                                 : std::string(windowsPath);
    const std::optional<fs::path> native = Native(path);
    if (!native) {
        SpawnResult result;
        result.error = "cannot start \"" + path + "\": not a drive or network path";
        return result;
    }
    if (preview_) {
        // Reported as the run would find it: started when there is a program to start.
        Withhold("start " + path + (wait ? " (and wait for it)" : ""));
        SpawnResult result;
        std::error_code ec;
        result.started = fs::is_regular_file(*native, ec) && ::access(native->c_str(), X_OK) == 0;
        if (result.started) result.exitCode = 0;
        if (!result.started) result.error = "cannot start \"" + path + "\"";
        return result;
    }
    SpawnResult result =
        SpawnProgram(*native, args, wait, {{std::string(kRootVariable), Root().string()}});
    if (!result.started) {
        result.error = "cannot start \"" + path + "\" (" + native->string() + "): " + result.error;
    }
    return result;
}

}  // namespace host
