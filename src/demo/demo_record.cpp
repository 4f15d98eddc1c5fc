#include "demo/demo_record.h"

#include <sys/stat.h>

#include <cstdint>
#include <map>
#include <sstream>
#include <system_error>

#include "host/file_io.h"
#include "host/instance_lock.h"

namespace demo {
namespace {

namespace fs = std::filesystem;

constexpr const char* kRecordHeader = "datapatch demo record 1";

struct Stamp {
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;
    bool operator==(const Stamp&) const = default;
};

// The files under the root by their path relative to it. A file that is neither a regular file
// nor a folder (a link, a socket) is listed with size -1, so that it never matches a record.
std::map<std::string, Stamp> FilesUnder(const fs::path& root) {
    const fs::path record = root / kDemoRecordName;
    const fs::path lock = host::SingleInstanceLock(root).File();
    std::map<std::string, Stamp> files;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path& path = it->path();
        if (path == record || path == lock) continue;
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode)) continue;
        Stamp stamp;
        stamp.size = S_ISREG(st.st_mode) ? static_cast<std::int64_t>(st.st_size) : -1;
        stamp.modifiedNs =
            static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
        files[path.lexically_relative(root).string()] = stamp;
    }
    return files;
}

// The record's files; false when there is no record or it cannot be read.
bool ReadRecord(const fs::path& root, std::map<std::string, Stamp>& files) {
    const std::optional<std::string> text = host::ReadWholeFile(root / kDemoRecordName);
    if (!text) return false;
    std::istringstream in(*text);
    std::string line;
    if (!std::getline(in, line) || line != kRecordHeader) return false;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        Stamp stamp;
        std::string path;
        if (!(fields >> stamp.size >> stamp.modifiedNs) || fields.get() != ' ' ||
            !std::getline(fields, path)) {
            return false;
        }
        files[path] = stamp;
    }
    return true;
}

}  // namespace

RootCheck CheckDemoRoot(const fs::path& root) {
    RootCheck check;
    const std::map<std::string, Stamp> found = FilesUnder(root);
    if (found.empty()) {
        check.replaceable = true;
        return check;
    }
    std::map<std::string, Stamp> recorded;
    if (!ReadRecord(root, recorded)) {
        check.reason = (root / found.begin()->first).string() + " was not made by datapatch demo";
        return check;
    }
    for (const auto& [path, stamp] : found) {
        const auto at = recorded.find(path);
        if (at == recorded.end()) {
            check.reason = (root / path).string() + " was not made by datapatch demo";
            return check;
        }
        if (!(at->second == stamp)) {
            check.reason = (root / path).string() + " changed since datapatch demo made it";
            return check;
        }
    }
    for (const auto& [path, stamp] : recorded) {
        if (!found.contains(path)) {
            check.reason = (root / path).string() + " is gone since datapatch demo made it";
            return check;
        }
    }
    check.replaceable = true;
    return check;
}

bool WriteDemoRecord(const fs::path& root) {
    std::string text = std::string(kRecordHeader) + "\n";
    for (const auto& [path, stamp] : FilesUnder(root)) {
        if (path.find('\n') != std::string::npos) continue;  // cannot be recorded: never matches
        text +=
            std::to_string(stamp.size) + " " + std::to_string(stamp.modifiedNs) + " " + path + "\n";
    }
    return host::ReplaceFileAtomically(root / kDemoRecordName, text);
}

void RemoveDemoRecord(const fs::path& root) {
    std::error_code ec;
    fs::remove(root / kDemoRecordName, ec);
}

}  // namespace demo
