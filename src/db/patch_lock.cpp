#include "db/patch_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <thread>

#include "db/connection.h"
#include "db/error.h"
#include "db/router.h"
#include "host/host.h"

namespace db {
namespace {

constexpr auto kRetryInterval = std::chrono::milliseconds(100);
constexpr const char* kResource = "datapatch.patch-run";

// Runs `attempt` until it succeeds or the time is up.
bool Retry(std::chrono::milliseconds wait, const std::function<void()>& yield,
           const std::function<bool()>& attempt) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (true) {
        if (attempt()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        if (yield) yield();
        std::this_thread::sleep_for(kRetryInterval);
    }
}

// A name in the abstract socket namespace, one per database file on this machine however it is
// reached; the kernel lets one socket at a time bind it and frees it with the process.
bool BindMachineName(int fd, const struct stat& st) {
    const std::string name =
        "datapatch.patch-run." + std::to_string(st.st_dev) + "." + std::to_string(st.st_ino);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0) return true;
    // Taken by another run; any other refusal leaves the lock beside the file to do the work.
    return errno != EADDRINUSE;
}

[[noreturn]] void ThrowHardLinked(const std::filesystem::path& file, nlink_t links) {
    throw DbError(ErrorNumber::kUnspecified,
                  "데이터베이스 파일 '" + file.string() + "'에 이름(하드 링크)이 " +
                      std::to_string(links) +
                      "개 있어 패치하지 않습니다. 다른 이름으로 같은 파일을 동시에 패치하면 "
                      "데이터베이스가 손상됩니다. 하드 링크를 지우고 파일을 하나의 이름으로만 "
                      "두십시오.");
}

}  // namespace

std::unique_ptr<PatchLock> PatchLock::Acquire(const Router& router, const ConnectionRef& cn,
                                              std::chrono::milliseconds wait,
                                              const std::function<void()>& yield) {
    std::unique_ptr<PatchLock> lock(new PatchLock());
    if (!cn) return lock;
    Route route;
    try {
        route = router.Plan(cn->ConnectionString);
    } catch (const DbError&) {
        return lock;
    }
    if (route.engine == Route::Engine::Embedded) {
        struct stat st {};
        if (::stat(route.file.c_str(), &st) != 0) return lock;  // the open has failed already
        if (st.st_nlink > 1) ThrowHardLinked(route.file, st.st_nlink);
        lock->machineFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int machineFd = lock->machineFd_;
        if (machineFd >= 0 &&
            !Retry(wait, yield, [machineFd, &st] { return BindMachineName(machineFd, st); })) {
            return nullptr;
        }
        std::error_code ec;
        std::filesystem::path real = std::filesystem::canonical(route.file, ec);
        if (ec) real = route.file;
        const std::string file = real.string() + ".patch";
        // A preview makes no file: without one, this machine's lock holds.
        lock->fd_ = router.HostRef().Preview()
                        ? ::open(file.c_str(), O_RDONLY | O_CLOEXEC)
                        : ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (lock->fd_ < 0) return lock;  // a read-only folder: this machine's lock holds
        const int fd = lock->fd_;
        if (!Retry(wait, yield, [fd] { return ::flock(fd, LOCK_EX | LOCK_NB) == 0; })) {
            return nullptr;
        }
        return lock;
    }
    if (route.dialect != Dialect::SqlServer) return lock;
    // A session-owned application lock: released by sp_releaseapplock, or by the server when the
    // session ends.
    const bool taken = Retry(wait, yield, [&cn] {
        try {
            cn->Execute(std::string("DECLARE @r INT; EXEC @r = sp_getapplock @Resource = '") +
                        kResource +
                        "', @LockMode = 'Exclusive', @LockOwner = 'Session', @LockTimeout = 0; "
                        "IF @r < 0 RAISERROR('patch run in progress', 16, 1)");
            return true;
        } catch (const DbError&) {
            return false;
        }
    });
    if (!taken) return nullptr;
    lock->server_ = cn;
    return lock;
}

PatchLock::~PatchLock() {
    if (fd_ >= 0) ::close(fd_);  // closing the descriptor releases the lock
    if (machineFd_ >= 0) ::close(machineFd_);
    if (server_) {
        try {
            server_->Execute(std::string("EXEC sp_releaseapplock @Resource = '") + kResource +
                             "', @LockOwner = 'Session'");
        } catch (const DbError&) {
            // The session is gone, and the lock with it.
        }
    }
}

}  // namespace db
