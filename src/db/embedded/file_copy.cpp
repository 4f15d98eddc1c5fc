#include "db/embedded/file_copy.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>

#include "db/embedded/error_map.h"
#include "db/embedded/sqlite_handle.h"
#include "host/unique_fd.h"

namespace db::embedded {
namespace {

namespace fs = std::filesystem;

constexpr int kBusyMs = 30000;

DatabaseHandle OpenFile(const fs::path& file, int flags) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(file.c_str(), &raw, flags, nullptr);
    DatabaseHandle db = AdoptDatabase(raw);
    if (rc != SQLITE_OK) throw LastError(raw, rc);
    sqlite3_busy_timeout(db.get(), kBusyMs);
    return db;
}

// The file and the journal files SQLite may keep beside it.
void RemoveWithJournals(const fs::path& file) {
    std::error_code ec;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        fs::remove(fs::path(file.string() + suffix), ec);
    }
}

// The name a copy is written under until it is complete: hidden, beside the target (so that the
// rename stays on one file system) and of this process alone.
fs::path PartialName(const fs::path& target) {
    return target.parent_path() /
           ("." + target.filename().string() + "." + std::to_string(::getpid()) + ".partial");
}

// Flushes the file (or folder) to the disk. Throws DbError.
void Sync(const fs::path& path, int flags) {
    host::UniqueFd fd(::open(path.c_str(), flags | O_CLOEXEC));
    if (!fd.Valid() || ::fsync(fd.Get()) != 0) {
        throw EngineError(ErrorNumber::kUnspecified,
                          "'" + path.string() + "' cannot be written: " + std::strerror(errno));
    }
}

// The page-by-page copy of source into the (new) file target; the connections are closed when
// it returns, so the file alone holds the copy.
void BackupPages(const fs::path& source, const fs::path& target) {
    DatabaseHandle from = OpenFile(source, SQLITE_OPEN_READONLY);
    DatabaseHandle to = OpenFile(target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    // The copy is a new file under a temporary name, flushed and renamed by the caller once
    // complete: a journal and SQLite's own flushes of it would protect nothing.
    ExecPlain(to.get(), "PRAGMA journal_mode = OFF");
    ExecPlain(to.get(), "PRAGMA synchronous = OFF");
    sqlite3_backup* backup = sqlite3_backup_init(to.get(), "main", from.get(), "main");
    if (backup == nullptr) throw LastError(to.get(), sqlite3_errcode(to.get()));
    // One step over all pages: the copy is one read transaction of the source, one state.
    int rc = SQLITE_OK;
    do {
        rc = sqlite3_backup_step(backup, -1);
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) sqlite3_sleep(50);
    } while (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED);
    const int finished = sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE) throw LastError(to.get(), rc);
    if (finished != SQLITE_OK) throw LastError(to.get(), finished);
}

}  // namespace

void CopyDatabaseFile(const fs::path& source, const fs::path& target) {
    std::error_code ec;
    if (!fs::is_regular_file(source, ec)) {
        throw EngineError(ErrorNumber::kUnspecified,
                          "'" + source.string() + "' 파일을 찾을 수 없습니다.");
    }
    // An earlier file of the name goes first: whatever happens below, nothing under the name can
    // be taken for this copy unless it is complete.
    RemoveWithJournals(target);
    const fs::path partial = PartialName(target);
    RemoveWithJournals(partial);
    try {
        BackupPages(source, partial);
        Sync(partial, O_RDONLY);
        fs::rename(partial, target);
        Sync(target.parent_path().empty() ? fs::path(".") : target.parent_path(),
             O_RDONLY | O_DIRECTORY);
    } catch (const DbError&) {
        RemoveWithJournals(partial);
        throw;
    } catch (const fs::filesystem_error& e) {
        RemoveWithJournals(partial);
        throw EngineError(ErrorNumber::kUnspecified,
                          "'" + target.string() + "' cannot be written: " + e.code().message());
    }
}

void CompactDatabaseFile(const fs::path& file) {
    DatabaseHandle db = OpenFile(file, SQLITE_OPEN_READWRITE);
    ExecPlain(db.get(), "VACUUM");
    // The log is folded back so that the file alone holds the compacted database.
    ExecPlain(db.get(), "PRAGMA wal_checkpoint(TRUNCATE)");
}

}  // namespace db::embedded
