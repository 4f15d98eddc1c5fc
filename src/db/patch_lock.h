#pragma once
// Keeps a second patch run off a database while one is patching it, from this machine or another
// one sharing the database: an advisory lock on a file beside an embedded database
// ("<file>.patch"), an application lock of the session on a real SQL Server. Both go with the
// process (or session) that holds them, so a run that is killed leaves nothing locked behind.
#include <chrono>
#include <functional>
#include <memory>

#include "db/connection.h"

namespace db {

class Router;

class PatchLock {
  public:
    // Tries to take the lock of cn's database for up to `wait`, calling `yield` between
    // attempts. Null when another run holds it all that time. A connection whose database
    // cannot be told gets a lock that holds nothing: the run goes on as it always did.
    static std::unique_ptr<PatchLock> Acquire(const Router& router, const ConnectionRef& cn,
                                              std::chrono::milliseconds wait,
                                              const std::function<void()>& yield);
    ~PatchLock();
    PatchLock(const PatchLock&) = delete;
    PatchLock& operator=(const PatchLock&) = delete;

  private:
    PatchLock() = default;
    int fd_ = -1;           // the embedded kind's lock file
    ConnectionRef server_;  // the SQL Server session holding the application lock
};

}  // namespace db
