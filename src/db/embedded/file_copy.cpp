#include "db/embedded/file_copy.h"

#include <system_error>

#include "db/embedded/error_map.h"
#include "db/embedded/sqlite_handle.h"

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

}  // namespace

void CopyDatabaseFile(const fs::path& source, const fs::path& target) {
    std::error_code ec;
    if (!fs::is_regular_file(source, ec)) {
        throw EngineError(ErrorNumber::kUnspecified,
                          "'" + source.string() + "' 파일을 찾을 수 없습니다.");
    }
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        fs::remove(fs::path(target.string() + suffix), ec);
    }
    DatabaseHandle from = OpenFile(source, SQLITE_OPEN_READONLY);
    DatabaseHandle to = OpenFile(target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
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

void CompactDatabaseFile(const fs::path& file) {
    DatabaseHandle db = OpenFile(file, SQLITE_OPEN_READWRITE);
    ExecPlain(db.get(), "VACUUM");
    // The log is folded back so that the file alone holds the compacted database.
    ExecPlain(db.get(), "PRAGMA wal_checkpoint(TRUNCATE)");
}

}  // namespace db::embedded
