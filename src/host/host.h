#pragma once
// The platform services the system's logic runs on: virtual Windows paths, files, processes,
// the single-instance lock, the per-user settings store, regional settings, network drives and
// machine names. One Host is created by the entry point (or by a test) and passed by reference.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/spawn.h"
#include "host/vpath.h"

namespace host {

// Seconds the program waits for another program that holds a database (30 when unset).
inline constexpr const char* kLockWaitVariable = "DATAPATCH_LOCK_WAIT";
inline constexpr int kDefaultLockWaitSeconds = 30;
// kLockWaitVariable's seconds; nullopt when it is unset or holds no positive number.
std::optional<int> LockWaitFromEnvironment();

class SettingsStore;
class NetworkDrives;
class RegionalSettings;

struct HostOptions {
    std::optional<std::filesystem::path>
        root;  // --root; else DATAPATCH_ROOT; else per-user default
    std::string programFolder = "C:\\Quillon";  // App.Path as a virtual path
    std::string systemFolder = "C:\\Windows\\System32";
    std::string windowsFolder = "C:\\Windows";
};

class Host {
  public:
    // Throws std::runtime_error with a clear text when the root cannot be used.
    explicit Host(HostOptions options = {});
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    const PathMap& Paths() const { return *paths_; }
    const std::filesystem::path& Root() const { return paths_->Root(); }
    // Maps a Windows path to the file system; nullopt when the path cannot be mapped. A path on a
    // mapped network drive letter goes through the letter's UNC path.
    std::optional<std::filesystem::path> Native(std::string_view windowsPath) const;

    const std::string& ProgramFolder() const { return options_.programFolder; }
    const std::string& SystemFolder() const { return options_.systemFolder; }
    const std::string& WindowsFolder() const { return options_.windowsFolder; }

    // The host name up to its first dot, in upper case, as Windows reports computer names.
    std::string ComputerName() const;
    // The login name of the effective user (else $USER, else "user").
    std::string UserName() const;

    // Starts the program at a Windows path (or a bare file name, taken from the program folder)
    // with the given arguments; never through a shell (see SpawnProgram). The program gets
    // DATAPATCH_ROOT set to this root so that sibling programs see the same machine. `error` names
    // the Windows and the mapped path when the program cannot be started.
    SpawnResult Start(std::string_view windowsPath, const std::vector<std::string>& args,
                      bool wait) const;

    // The per-user settings store, <root>/users/<user name>/settings.ini, and what lives in it.
    SettingsStore& Settings() { return *settings_; }
    const SettingsStore& Settings() const { return *settings_; }
    RegionalSettings& Regional() { return *regional_; }
    const RegionalSettings& Regional() const { return *regional_; }
    NetworkDrives& Drives() { return *drives_; }
    const NetworkDrives& Drives() const { return *drives_; }

    // A preview (`datapatch plan`) runs the program as a run would but leaves the machine as it
    // was: programs are not started and files are not written (the callers that write ask
    // Preview()), and each such action is kept, in order, as a text for the report. The
    // databases keep their changes in transactions that are never committed (see db::Router).
    void SetPreview(bool on);
    bool Preview() const { return preview_; }
    void Withhold(std::string what) const { withheld_.push_back(std::move(what)); }
    const std::vector<std::string>& Withheld() const { return withheld_; }
    // Why the preview could not keep a database's changes apart (an engine without
    // transactions, or one that gave the preview's transaction up): it then is no exact preview.
    void PreviewBroken(std::string why) const {
        if (previewBroken_.empty()) previewBroken_ = std::move(why);
    }
    const std::string& PreviewBrokenReason() const { return previewBroken_; }

    // What the program left undone or could not keep, for the operator to read at the run's end
    // (a copy left for the next start, a log that was not written); each text once, in order.
    void Note(std::string what) const;
    // A setting (`entry`, "[section] key") that could not be written into `file` (`native` on
    // this machine; empty when it has no place here): one note per file names the first few.
    void NoteUnwritten(const std::string& file, const std::filesystem::path& native,
                       const std::string& entry) const;
    std::vector<std::string> Notes() const;

  private:
    HostOptions options_;
    std::unique_ptr<PathMap> paths_;
    std::unique_ptr<SettingsStore> settings_;
    std::unique_ptr<RegionalSettings> regional_;
    std::unique_ptr<NetworkDrives> drives_;
    bool preview_ = false;
    mutable std::vector<std::string> withheld_;
    mutable std::string previewBroken_;
    struct Unwritten {
        std::string file;
        std::filesystem::path native;
        std::vector<std::string> entries;
    };
    // Each note, or a file whose settings could not be written (text empty).
    mutable std::vector<std::pair<std::string, Unwritten>> notes_;
};

}  // namespace host
