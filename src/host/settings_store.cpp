#include "host/settings_store.h"

#include <sys/stat.h>

#include "host/profile.h"

namespace fs = std::filesystem;

namespace host {
namespace {

std::string ApplicationSection(std::string_view application, std::string_view section) {
    return std::string(application) + "\\" + std::string(section);
}

}  // namespace

SettingsStore::SettingsStore(fs::path file) : file_(std::move(file)) {}

const ProfileDocument& SettingsStore::Current() const {
    Stamp stamp;
    struct stat st {};
    if (::stat(file_.c_str(), &st) == 0) {
        stamp = Stamp{true,
                      static_cast<unsigned long long>(st.st_dev),
                      static_cast<unsigned long long>(st.st_ino),
                      static_cast<unsigned long long>(st.st_size),
                      static_cast<long long>(st.st_mtim.tv_sec),
                      static_cast<long long>(st.st_mtim.tv_nsec)};
    }
    if (!current_ || !(stamp == stamp_)) {
        current_ = std::make_shared<const ProfileDocument>(LoadProfileFile(file_));
        stamp_ = stamp;
    }
    return *current_;
}

std::string SettingsStore::Get(std::string_view section, std::string_view key,
                               std::string_view def) const {
    return Current().Get(section, key).value_or(std::string(def));
}

bool SettingsStore::Set(std::string_view section, std::string_view key, std::string_view value) {
    const std::string entry = "[" + std::string(section) + "] " + std::string(key);
    return Update([&](ProfileDocument& doc) { return doc.Set(section, key, value); },
                  "write " + entry + "=" + std::string(value) + " into " + file_.string(), entry);
}

bool SettingsStore::Remove(std::string_view section, std::string_view key) {
    const std::string entry = "[" + std::string(section) + "] " + std::string(key);
    return Update([&](ProfileDocument& doc) { return doc.Remove(section, key); },
                  "remove " + entry + " from " + file_.string(), entry);
}

std::vector<std::string> SettingsStore::Keys(std::string_view section) const {
    return Current().Keys(section);
}

std::string SettingsStore::GetSetting(std::string_view application, std::string_view section,
                                      std::string_view key, std::string_view def) const {
    return Get(ApplicationSection(application, section), key, def);
}

bool SettingsStore::SaveSetting(std::string_view application, std::string_view section,
                                std::string_view key, std::string_view value) {
    return Set(ApplicationSection(application, section), key, value);
}

bool SettingsStore::Update(const std::function<bool(ProfileDocument&)>& change,
                           const std::string& what, const std::string& entry) {
    if (frozen_) {
        ProfileDocument doc = LoadProfileFile(file_);
        const bool changed = change(doc);
        if (changed && withheld_) withheld_(what);
        return changed;
    }
    std::error_code ec;
    fs::create_directories(file_.parent_path(), ec);
    current_.reset();  // a write within the same clock tick must not be missed
    // A change the document refused (a key that is not there) is no failure to write.
    bool refused = false;
    const bool written = UpdateProfileFile(file_, [&](ProfileDocument& doc) {
        refused = !change(doc);
        return !refused;
    });
    if (!written && !refused && failed_) {
        failed_(entry);
    }
    return written;
}

}  // namespace host
