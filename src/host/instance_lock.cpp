#include "host/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace host {
namespace {

constexpr std::string_view kLockFileName = ".datapatch.lock";

std::string ErrnoText(int error) {
    return std::error_code(error, std::generic_category()).message();
}

}  // namespace

SingleInstanceLock::SingleInstanceLock(const std::filesystem::path& root)
    : file_(root / std::string(kLockFileName)) {}

bool SingleInstanceLock::TryAcquire(bool keepFile) {
    error_.clear();
    if (Held()) return true;
    UniqueFd fd(keepFile ? ::open(file_.c_str(), O_RDONLY | O_CLOEXEC)
                         : ::open(file_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
    if (keepFile && !fd.Valid() && errno == ENOENT) return true;
    if (!fd.Valid()) {
        error_ = "cannot open the lock file \"" + file_.string() + "\": " + ErrnoText(errno);
        return false;
    }
    while (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK) {
            error_ = "cannot lock \"" + file_.string() + "\": " + ErrnoText(errno);
        }
        return false;
    }
    if (keepFile) {
        fd_ = std::move(fd);
        return true;
    }
    // The holder's process id, for whoever wonders which copy is running.
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd.Get(), 0) == 0) {
        static_cast<void>(::pwrite(fd.Get(), pid.data(), pid.size(), 0));
    }
    fd_ = std::move(fd);
    return true;
}

}  // namespace host
