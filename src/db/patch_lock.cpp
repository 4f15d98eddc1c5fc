#include "db/patch_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <thread>

#include "db/connection.h"
#include "db/error.h"
#include "db/router.h"

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
        const std::string file = route.file.string() + ".patch";
        lock->fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (lock->fd_ < 0) return lock;  // a read-only folder: nothing to lock with
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
