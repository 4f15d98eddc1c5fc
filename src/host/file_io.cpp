#include "host/file_io.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

#include "host/unique_fd.h"

namespace fs = std::filesystem;

namespace host {
namespace {

constexpr int kTempNameAttempts = 16;

// Removes the temporary file unless it was renamed into place.
class TempFileGuard {
  public:
    explicit TempFileGuard(fs::path path) : path_(std::move(path)) {}
    ~TempFileGuard() {
        if (!committed_) ::unlink(path_.c_str());
    }
    TempFileGuard(const TempFileGuard&) = delete;
    TempFileGuard& operator=(const TempFileGuard&) = delete;
    void Commit() { committed_ = true; }

  private:
    fs::path path_;
    bool committed_ = false;
};

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Opens a new, uniquely named file beside `target`; sets `tempPath` to its name.
UniqueFd CreateTempBeside(const fs::path& target, fs::path& tempPath) {
    std::random_device random;
    for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
        tempPath = target.parent_path() /
                   ("." + target.filename().string() + "." + std::to_string(::getpid()) + "." +
                    std::to_string(random()) + ".tmp");
        UniqueFd fd(::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (fd.Valid() || errno != EEXIST) return fd;
    }
    return UniqueFd();
}

// Removes the temporary files beside `target` (".<name>.<pid>.<n>.tmp") of writers whose process
// is gone: a writer killed before its rename leaves one, and nothing else would remove it.
void RemoveAbandonedTemps(const fs::path& target) {
    const std::string prefix = "." + target.filename().string() + ".";
    constexpr std::string_view kSuffix = ".tmp";
    std::error_code ec;
    std::vector<fs::path> abandoned;
    for (const fs::directory_entry& entry : fs::directory_iterator(target.parent_path(), ec)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with(prefix) || !name.ends_with(kSuffix)) continue;
        const std::string middle =
            name.substr(prefix.size(), name.size() - prefix.size() - kSuffix.size());
        const std::size_t dot = middle.find('.');
        if (dot == std::string::npos) continue;
        if (!ProcessMayBeRunning(middle.substr(0, dot))) abandoned.push_back(entry.path());
    }
    for (const fs::path& file : abandoned) fs::remove(file, ec);
}

}  // namespace

bool ProcessMayBeRunning(std::string_view digits) {
    if (digits.empty() || digits.size() > 9 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return true;
    }
    const pid_t pid = static_cast<pid_t>(std::stol(std::string(digits)));
    return pid <= 0 || ::kill(pid, 0) == 0 || errno != ESRCH;
}

std::optional<std::string> ReadWholeFile(const fs::path& file) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) return std::nullopt;
    return bytes;
}

bool IsReadOnly(const fs::path& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (ec || !fs::exists(status)) return false;
    constexpr fs::perms kAnyWrite =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return (status.permissions() & kAnyWrite) == fs::perms::none;
}

bool CanWrite(const fs::path& path) {
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

bool ReplaceFileAtomically(const fs::path& file, std::string_view bytes) {
    std::error_code ec;
    fs::path target = file;
    if (fs::is_symlink(fs::symlink_status(file, ec))) {
        target = fs::weakly_canonical(file, ec);
        if (ec) return false;
    }
    if (target.parent_path().empty()) target = fs::path(".") / target;

    const fs::file_status status = fs::status(target, ec);
    const bool exists = fs::exists(status);
    if (exists && (!fs::is_regular_file(status) || IsReadOnly(target))) return false;
    if (!fs::is_directory(target.parent_path(), ec) || IsReadOnly(target.parent_path())) {
        return false;
    }

    RemoveAbandonedTemps(target);
    fs::path tempPath;
    UniqueFd fd = CreateTempBeside(target, tempPath);
    if (!fd.Valid()) return false;
    TempFileGuard guard(tempPath);
    if (exists && ::fchmod(fd.Get(), static_cast<mode_t>(status.permissions()) & 07777) != 0) {
        return false;
    }
    if (!WriteAll(fd.Get(), bytes) || ::fsync(fd.Get()) != 0) return false;
    if (::close(fd.Get()) != 0) {
        static_cast<void>(fd.Release());
        return false;
    }
    static_cast<void>(fd.Release());
    if (::rename(tempPath.c_str(), target.c_str()) != 0) return false;
    guard.Commit();
    return true;
}

}  // namespace host
