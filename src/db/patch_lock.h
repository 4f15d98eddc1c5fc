#pragma once
// Keeps a second patch run off a database while one is patching it, from this machine or another
// one sharing the database: for an embedded database, a lock held on the file's identity (device
// and inode) on this machine and an advisory lock on a file beside the database's real path
// ("<file>.patch", symbolic links resolved) for the others; an application lock of the session on
// a real SQL Server. All go with the process (or session) that holds them, so a run that is
// killed leaves nothing locked behind.
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
    // Throws DbError when the database file has more than one name (hard links): no lock
    // could keep a run reaching it by another name away.
    static std::unique_ptr<PatchLock> Acquire(const Router& router, const ConnectionRef& cn,
                                              std::chrono::milliseconds wait,
                                              const std::function<void()>& yield);
    ~PatchLock();
    PatchLock(const PatchLock&) = delete;
    PatchLock& operator=(const PatchLock&) = delete;

  private:
    PatchLock() = default;
    int fd_ = -1;           // the embedded kind's lock file
    int machineFd_ = -1;    // the socket whose name holds the file's identity on this machine
    ConnectionRef server_;  // the SQL Server session holding the application lock
};

}  // namespace db
