#pragma once
// Holding a database's files still while this process copies it: the engine's connections open
// their files through a thin layer over SQLite's own file system (a VFS), which hands every call
// on unchanged except writes. A write into the files of a held database (the database itself, its
// log or its journal) waits until the hold is released, and fails with an I/O error, the file
// untouched, while the hold stands released as failed. Connections opened by others (and by the
// copy itself) are not held. A database is known by its file's device and inode, so that every
// path to it counts.
#include <filesystem>
#include <functional>

namespace db::embedded {

// The name of the layer's VFS, registered (never as the default) on first use.
const char* WriteGateVfs();

// Whether some database's hold stands released as failed (its writes are being refused).
bool AnyHoldFailed();

// One hold of a database at a time.
class WriteHold {
  public:
    // Holds the writes into `file` from now on; `firstWait` is called (on the writer's thread)
    // when the first write comes to wait. Throws DbError when the file cannot be found.
    explicit WriteHold(const std::filesystem::path& file, std::function<void()> firstWait = {});
    // Lets the writes go on (also after a failed release).
    ~WriteHold();
    WriteHold(const WriteHold&) = delete;
    WriteHold& operator=(const WriteHold&) = delete;

    // Lets the waiting writes go on.
    void Release();
    // Lets them fail instead, as every later write does until the hold ends.
    void ReleaseAsFailed();

  private:
    unsigned long long device_ = 0;
    unsigned long long inode_ = 0;
};

}  // namespace db::embedded
