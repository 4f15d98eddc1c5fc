#pragma once
// One running copy per root: an advisory lock (flock) on <root>/.datapatch.lock. The lock belongs
// to the open file, so it is released with this object, or by the system when the process ends
// however it ends. Programs started from here do not inherit it.
#include <filesystem>
#include <string>

#include "host/unique_fd.h"

namespace host {

class SingleInstanceLock {
  public:
    explicit SingleInstanceLock(const std::filesystem::path& root);
    ~SingleInstanceLock() = default;
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    // True when this object holds the lock (again, if it already did). False when another
    // holder has it; also false when the lock file cannot be opened, with LastError() saying why
    // (empty when the lock is simply taken). With keepFile (a preview) the lock file is neither
    // made nor written: a missing one means no copy holds the root.
    bool TryAcquire(bool keepFile = false);
    bool Held() const { return fd_.Valid(); }
    void Release() { fd_.Reset(); }
    const std::string& LastError() const { return error_; }
    const std::filesystem::path& File() const { return file_; }

  private:
    std::filesystem::path file_;
    UniqueFd fd_;
    std::string error_;
};

}  // namespace host
