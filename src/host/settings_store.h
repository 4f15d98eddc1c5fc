#pragma once
// The per-user settings store: one INI file (<root>/users/<user>/settings.ini) in place of the
// per-user part of the Windows registry. It holds the application settings that the store
// software shares with us, the regional settings and the network-drive table. The file and its
// folder are created on the first write; reads of a missing file give the defaults.
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace host {

class ProfileDocument;

class SettingsStore {
  public:
    explicit SettingsStore(std::filesystem::path file);
    const std::filesystem::path& File() const { return file_; }

    // The trimmed value, or `def` when the key is missing. Names ignore ASCII case.
    std::string Get(std::string_view section, std::string_view key,
                    std::string_view def = {}) const;
    // False when the value cannot be stored (unwritable file or folder, or a text that cannot be
    // an INI line; see ProfileDocument::Set).
    bool Set(std::string_view section, std::string_view key, std::string_view value);
    // False when the key was not there or the file cannot be written.
    bool Remove(std::string_view section, std::string_view key);
    std::vector<std::string> Keys(std::string_view section) const;

    // Application settings kept under an application name (the SaveSetting/GetSetting pair):
    // stored in the section "<application>\<section>".
    std::string GetSetting(std::string_view application, std::string_view section,
                           std::string_view key, std::string_view def = {}) const;
    bool SaveSetting(std::string_view application, std::string_view section, std::string_view key,
                     std::string_view value);

    // While frozen (a preview) changes are accepted but not written; each one accepted is told to
    // `withheld` ("write [section] key=value into <file>").
    void Freeze(bool on, std::function<void(const std::string&)> withheld = {}) {
        frozen_ = on;
        withheld_ = std::move(withheld);
    }

    // Each change that could not be written (the file or its folder cannot be written, or the file
    // cannot be read) is told to `failed` as "[section] key".
    void OnWriteFailed(std::function<void(const std::string&)> failed) {
        failed_ = std::move(failed);
    }

  private:
    // The file as it is now: read again only when it is another file, or has another size or
    // modification time, than when it was last read (a run reads its settings thousands of times).
    const ProfileDocument& Current() const;

    bool frozen_ = false;
    std::function<void(const std::string&)> withheld_;
    std::function<void(const std::string&)> failed_;
    // `what` describes the change for a preview; `entry` names the key ("[section] key").
    bool Update(const std::function<bool(ProfileDocument&)>& change, const std::string& what,
                const std::string& entry);

    std::filesystem::path file_;
    struct Stamp {
        bool present = false;
        unsigned long long device = 0, inode = 0, size = 0;
        long long seconds = 0, nanoseconds = 0;
        bool operator==(const Stamp&) const = default;
    };
    mutable Stamp stamp_;
    mutable std::shared_ptr<const ProfileDocument> current_;
};

}  // namespace host
