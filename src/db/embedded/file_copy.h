#pragma once
// Consistent copies and compaction of embedded database files, safe on a database that other
// connections (of this or another process) are writing: the copy holds one committed state,
// never a raw copy of a file with a write-ahead log beside it.
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include "db/embedded/write_gate.h"

namespace db::embedded {

// Removes the journal files SQLite may keep beside a database file: its log, the log's index
// and its rollback journal.
void RemoveJournals(const std::filesystem::path& file);
// Removes the file and its journal files.
void RemoveWithJournals(const std::filesystem::path& file);

// Writes a copy of the database `source` to `target` (replaced) as one committed state of the
// source: the file's bytes as they are when its log can be folded back into it first, else page
// by page through SQLite's backup. The copy is written under a hidden temporary
// name beside the target, flushed to the disk and only then renamed to `target` (a file already
// there, with its journal files, is replaced only then): a copy that fails or is killed leaves
// under the target's name what was there before, and a failed one removes its temporary file; the
// temporary files that killed copies left in the target's folder are removed by the next copy
// there. Throws DbError, also when `calledOff` is set before the copy has its name.
void CopyDatabaseFile(const std::filesystem::path& source, const std::filesystem::path& target,
                      const std::atomic<bool>* calledOff = nullptr);

// Puts the database `source` back into the database file `live`, page by page and in one
// transaction of it, so that programs that have it open go on with the restored database (the
// file stays the file it was, with its owner and permissions, also behind a link). A live file
// that SQLite cannot read as a database is replaced by a copy as CopyDatabaseFile writes it.
// Waits for a writer of the live database as long as the busy timeout; throws DbError, the live
// database unchanged.
void RestoreDatabaseFile(const std::filesystem::path& source, const std::filesystem::path& live);

// Throws DbError unless the file is a database whose pages and records SQLite reads as well
// formed (its quick check: not the agreement of indexes with their tables).
void CheckDatabaseFile(const std::filesystem::path& file);

// The copy CopyDatabaseFile writes, on a thread of its own, of the database as it is when the
// engine's connections of this process first write into its files (see write_gate.h): that
// write starts the copy and waits until it is complete and flushed, so that no change reaches
// the files before the copy is safe; should the copy fail, the writes fail instead, and the
// files stay as they were, until the copy is destroyed. The caller then keeps the copy (Finish,
// which writes it now if no write has come) or drops it (Drop): a database that nothing wrote
// into is never copied.
class BackgroundCopy {
  public:
    // Holds the database's writes. The files `replaced` (earlier copies that this one makes
    // superfluous) are removed once the copy is complete and kept, and only then. Throws DbError
    // at once, nothing written, when the source is missing, the target cannot be written or its
    // disk has less room than the source takes.
    BackgroundCopy(const std::filesystem::path& source, const std::filesystem::path& target,
                   std::vector<std::filesystem::path> replaced = {});
    // Keeps a copy that was begun and neither kept nor dropped (one that was not begun is not
    // needed), and waits for what follows it; a failure that Finish did not report is dropped.
    ~BackgroundCopy();
    BackgroundCopy(const BackgroundCopy&) = delete;
    BackgroundCopy& operator=(const BackgroundCopy&) = delete;

    // Whether the copy has failed (false while it runs and once it has succeeded).
    bool Failed() const { return failed_.load(std::memory_order_acquire); }
    // Waits for the copy and keeps it (not waiting for the removals that follow); throws its
    // DbError.
    void Finish();
    // Calls the copy off, unless it has failed (false then): what it wrote is removed (also a
    // complete copy), the files it would replace stay, and the writes go on at once.
    bool Drop();

  private:
    enum class Decision { Open, Keep, Drop };
    void Decide(Decision decision);
    void Begin();

    std::atomic<bool> failed_{false};
    std::atomic<bool> dropped_{false};
    std::mutex mutex_;
    std::condition_variable decided_;  // also told when the copy is to begin
    bool begun_ = false;
    Decision decision_ = Decision::Open;
    WriteHold hold_;
    std::promise<void> done_;
    std::future<void> result_ = done_.get_future();
    std::thread thread_;
};

// Rebuilds the database file in place without its free pages. Throws DbError (also when another
// connection holds a transaction open for longer than the busy timeout).
void CompactDatabaseFile(const std::filesystem::path& file);

}  // namespace db::embedded
