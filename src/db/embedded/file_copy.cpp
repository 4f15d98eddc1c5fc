#include "db/embedded/file_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "db/embedded/error_map.h"
#include "db/embedded/sqlite_handle.h"
#include "host/file_io.h"
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

// The name a copy is written under until it is complete: hidden, beside the target (so that the
// rename stays on one file system) and of this process alone.
fs::path PartialName(const fs::path& target) {
    return target.parent_path() /
           ("." + target.filename().string() + "." + std::to_string(::getpid()) + ".partial");
}

// Removes from the folder the temporary files of copies whose process is gone (a run killed
// halfway through its copy). They are hidden and as large as a database, and nothing else would
// ever remove them. A copy of a process that still runs, this one's among them, is left alone.
void RemoveAbandonedCopies(const fs::path& folder) {
    constexpr std::string_view kSuffix = ".partial";
    std::error_code ec;
    std::vector<fs::path> abandoned;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
        std::string name = entry.path().filename().string();
        for (const std::string_view journal : {"-wal", "-shm", "-journal"}) {
            if (name.ends_with(journal)) name.resize(name.size() - journal.size());
        }
        if (!name.starts_with('.') || !name.ends_with(kSuffix)) continue;
        name.resize(name.size() - kSuffix.size());
        const std::size_t dot = name.rfind('.');
        if (dot == std::string::npos || dot < 2) continue;
        if (!host::ProcessMayBeRunning(name.substr(dot + 1))) abandoned.push_back(entry.path());
    }
    for (const fs::path& file : abandoned) fs::remove(file, ec);
}

// A file that replaces another keeps its owner and permissions where this process may give them
// (a store that the store's programs share through a group stays writable for them).
void KeepOwnerAndMode(const fs::path& replaced, const fs::path& file) {
    struct stat st {};
    if (::stat(replaced.c_str(), &st) != 0) return;
    [[maybe_unused]] const int owner = ::chown(file.c_str(), st.st_uid, st.st_gid);
    ::chmod(file.c_str(), st.st_mode & 07777);
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

// The first column of the first row of a statement as a number.
std::int64_t FirstInteger(sqlite3* db, std::string_view sql) {
    std::int64_t value = -1;
    QueryRows(db, sql, {}, [&](sqlite3_stmt* s) { value = sqlite3_column_int64(s, 0); });
    return value;
}

void ThrowIfCalledOff(const std::atomic<bool>* calledOff) {
    if (calledOff != nullptr && calledOff->load(std::memory_order_acquire)) {
        throw EngineError(ErrorNumber::kUnspecified, "the copy was called off");
    }
}

[[noreturn]] void ThrowUnwritable(const fs::path& target) {
    throw EngineError(ErrorNumber::kUnspecified,
                      "'" + target.string() + "' cannot be written: " + std::strerror(errno));
}

// The first `bytes` bytes of the file `source` into the new file `target`, in the kernel where
// the file systems allow it. False when the source holds fewer bytes.
bool CopyBytes(const fs::path& source, const fs::path& target, std::uint64_t bytes,
               const std::atomic<bool>* calledOff) {
    host::UniqueFd from(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (!from.Valid()) return false;
    host::UniqueFd to(::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!to.Valid()) ThrowUnwritable(target);
    constexpr std::uint64_t kChunk = 1 << 20;
    std::vector<char> buffer;  // only where the kernel cannot copy between the two files
    std::uint64_t done = 0;
    while (done < bytes) {
        ThrowIfCalledOff(calledOff);
        const std::size_t want = static_cast<std::size_t>(std::min(bytes - done, kChunk * 16));
        off_t in = static_cast<off_t>(done);
        off_t out = static_cast<off_t>(done);
        ssize_t n = -1;
        if (buffer.empty()) {
            n = ::copy_file_range(from.Get(), &in, to.Get(), &out, want, 0);
            if (n < 0 &&
                (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
                buffer.resize(kChunk);
                continue;
            }
        } else {
            n = ::pread(from.Get(), buffer.data(), std::min<std::size_t>(want, kChunk), in);
            if (n > 0 && ::pwrite(to.Get(), buffer.data(), static_cast<std::size_t>(n), out) != n) {
                ThrowUnwritable(target);
            }
        }
        if (n == 0) return false;
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowUnwritable(target);
        }
        // The disk starts on what is copied while the rest is: the flush at the end then waits
        // for less.
        ::sync_file_range(to.Get(), static_cast<off_t>(done), n, SYNC_FILE_RANGE_WRITE);
        done += static_cast<std::uint64_t>(n);
    }
    return true;
}

// A database at rest in its file is copied byte for byte, several times faster than page by
// page. It is at rest inside a read transaction that began with every frame of the write-ahead
// log already folded back into the file: such a reader reads the file alone, and SQLite lets no
// checkpoint write into the file until that reader ends (other connections meanwhile append to
// the log only). False when that cannot be had at once (the log is not in use, a reader of
// another connection holds frames that cannot be folded back yet, another connection commits in
// between): the caller removes what was written and copies page by page instead.
bool CopyAtRest(const fs::path& source, const fs::path& target,
                const std::atomic<bool>* calledOff) {
    DatabaseHandle from = OpenFile(source, SQLITE_OPEN_READWRITE);
    sqlite3* db = from.get();
    if (sqlite3_db_readonly(db, "main") != 0) return false;
    if (!InWalMode(db)) return false;
    const std::int64_t version = FirstInteger(db, "PRAGMA data_version");
    int logged = -1;
    int folded = -1;
    if (sqlite3_wal_checkpoint_v2(db, "main", SQLITE_CHECKPOINT_PASSIVE, &logged, &folded) !=
            SQLITE_OK ||
        logged != folded) {
        return false;
    }
    ExecPlain(db, "BEGIN");
    struct EndRead {
        sqlite3* db;
        ~EndRead() { sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr); }
    } endRead{db};
    FirstInteger(db, "SELECT count(*) FROM sqlite_master");  // the read transaction begins
    if (FirstInteger(db, "PRAGMA data_version") != version) return false;
    const std::int64_t pages = FirstInteger(db, "PRAGMA page_count");
    const std::int64_t pageSize = FirstInteger(db, "PRAGMA page_size");
    if (pages <= 0 || pageSize <= 0) return false;
    return CopyBytes(source, target, static_cast<std::uint64_t>(pages * pageSize), calledOff);
}

// The source, once a target that cannot be made or whose disk has less room than the source
// takes has been refused before anything is written (a missing source is the hold's to refuse).
const fs::path& Checked(const fs::path& source, const fs::path& target) {
    std::error_code ec;
    const fs::path partial = PartialName(target);
    {
        host::UniqueFd probe(
            ::open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
        if (!probe.Valid()) ThrowUnwritable(target);
    }
    struct statvfs disk {};
    const bool measured = ::statvfs(partial.c_str(), &disk) == 0;
    fs::remove(partial, ec);
    const std::uintmax_t needed = fs::file_size(source, ec);
    if (measured && !ec && static_cast<std::uintmax_t>(disk.f_bavail) * disk.f_frsize < needed) {
        errno = ENOSPC;
        ThrowUnwritable(target);
    }
    return source;
}

}  // namespace

void RemoveJournals(const fs::path& file) {
    std::error_code ec;
    for (const char* suffix : {"-wal", "-shm", "-journal"}) {
        fs::remove(fs::path(file.string() + suffix), ec);
    }
}

void RemoveWithJournals(const fs::path& file) {
    std::error_code ec;
    fs::remove(file, ec);
    RemoveJournals(file);
}

void CopyDatabaseFile(const fs::path& source, const fs::path& target,
                      const std::atomic<bool>* calledOff) {
    std::error_code ec;
    if (!fs::is_regular_file(source, ec)) {
        throw EngineError(ErrorNumber::kUnspecified,
                          "'" + source.string() + "' 파일을 찾을 수 없습니다.");
    }
    const fs::path partial = PartialName(target);
    RemoveWithJournals(partial);
    RemoveAbandonedCopies(target.parent_path().empty() ? fs::path(".") : target.parent_path());
    try {
        bool copied = false;
        try {
            copied = CopyAtRest(source, partial, calledOff);
        } catch (const DbError&) {
            ThrowIfCalledOff(calledOff);
            copied = false;  // the page copy below meets the same fault, if it is one, and says it
        }
        if (!copied) {
            RemoveWithJournals(partial);
            BackupPages(source, partial);
        }
        KeepOwnerAndMode(target, partial);
        ThrowIfCalledOff(calledOff);
        Sync(partial, O_RDONLY);
        ThrowIfCalledOff(calledOff);
        // The file the copy replaces (a database being restored) stays as it is until the copy is
        // complete and on the disk: a copy that fails leaves it untouched. Its journals go just
        // before the rename, or SQLite would read the old log into the new file.
        RemoveJournals(target);
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

void RestoreDatabaseFile(const fs::path& source, const fs::path& live) {
    std::error_code ec;
    if (!fs::is_regular_file(source, ec)) {
        throw EngineError(ErrorNumber::kUnspecified,
                          "'" + source.string() + "' 파일을 찾을 수 없습니다.");
    }
    DatabaseHandle from = OpenFile(source, SQLITE_OPEN_READONLY);
    DatabaseHandle to;
    try {
        to = OpenFile(live, SQLITE_OPEN_READWRITE);
        // A file that is no database (its header damaged) cannot be written page by page.
        ExecPlain(to.get(), "SELECT count(*) FROM sqlite_master");
    } catch (const DbError&) {
        to.reset();
    }
    if (!to) {
        // No program reads such a file through SQLite: the copy replaces the file the name
        // leads to (a link stays a link).
        const fs::path real = fs::canonical(live, ec);
        CopyDatabaseFile(source, ec ? live : real);
        return;
    }
    // Page by page into the database itself, in one transaction of it: a program that has it
    // open reads the restored pages from its next statement on, as it would read another
    // program's commit, and goes on writing into the same file; should the copy fail, nothing
    // of it is kept.
    sqlite3_backup* backup = sqlite3_backup_init(to.get(), "main", from.get(), "main");
    if (backup == nullptr) throw LastError(to.get(), sqlite3_errcode(to.get()));
    const int rc = sqlite3_backup_step(backup, -1);
    const int finished = sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE) throw LastError(to.get(), rc);
    if (finished != SQLITE_OK) throw LastError(to.get(), finished);
    // The pages go from the log into the file now where no reader holds them back; else at the
    // next checkpoint, as any commit's.
    sqlite3_wal_checkpoint_v2(to.get(), "main", SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
}

void CheckDatabaseFile(const fs::path& file) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) {
        throw EngineError(ErrorNumber::kUnspecified,
                          "'" + file.string() + "' 파일을 찾을 수 없습니다.");
    }
    std::string verdict;
    try {
        DatabaseHandle db = OpenFile(file, SQLITE_OPEN_READONLY);
        QueryRows(db.get(), "PRAGMA quick_check(1)", {},
                  [&](sqlite3_stmt* s) { verdict = ColumnText(s, 0); });
    } catch (const DbError& e) {
        verdict = e.Description();
    }
    if (verdict != "ok") {
        throw EngineError(ErrorNumber::kUnspecified,
                          "'" + file.string() + "' is not a sound database: " + verdict);
    }
}

BackgroundCopy::BackgroundCopy(const fs::path& source, const fs::path& target,
                               std::vector<fs::path> replaced)
    : hold_(Checked(source, target), [this] { Begin(); }) {
    thread_ = std::thread([this, source, target, replaced = std::move(replaced)] {
        {
            std::unique_lock lock(mutex_);
            decided_.wait(lock, [this] { return begun_ || decision_ != Decision::Open; });
            if (!begun_) {
                done_.set_value();  // nothing was written: no copy is needed
                return;
            }
        }
        try {
            CopyDatabaseFile(source, target, &dropped_);
        } catch (...) {
            if (dropped_.load(std::memory_order_acquire)) {
                done_.set_value();  // nothing of it is left
                return;
            }
            failed_.store(true, std::memory_order_release);
            hold_.ReleaseAsFailed();
            done_.set_exception(std::current_exception());
            return;
        }
        hold_.Release();
        done_.set_value();
        std::unique_lock lock(mutex_);
        decided_.wait(lock, [this] { return decision_ != Decision::Open; });
        const Decision decision = decision_;
        lock.unlock();
        std::error_code ec;
        if (decision == Decision::Drop) {
            RemoveWithJournals(target);
        } else {
            for (const fs::path& file : replaced) fs::remove(file, ec);
        }
    });
}

BackgroundCopy::~BackgroundCopy() {
    Decide(Decision::Keep);
    if (thread_.joinable()) thread_.join();
}

void BackgroundCopy::Decide(Decision decision) {
    {
        const std::lock_guard lock(mutex_);
        if (decision_ != Decision::Open) return;
        decision_ = decision;
    }
    decided_.notify_all();
}

void BackgroundCopy::Begin() {
    {
        const std::lock_guard lock(mutex_);
        if (decision_ != Decision::Open) return;
        begun_ = true;
    }
    decided_.notify_all();
}

void BackgroundCopy::Finish() {
    if (!result_.valid()) return;
    Begin();
    result_.get();
    Decide(Decision::Keep);
}

bool BackgroundCopy::Drop() {
    if (Failed() || !result_.valid()) return false;
    dropped_.store(true, std::memory_order_release);
    hold_.Release();
    Decide(Decision::Drop);
    result_ = {};
    return true;
}

void CompactDatabaseFile(const fs::path& file) {
    DatabaseHandle db = OpenFile(file, SQLITE_OPEN_READWRITE);
    ExecPlain(db.get(), "VACUUM");
    // The log is folded back so that the file alone holds the compacted database.
    ExecPlain(db.get(), "PRAGMA wal_checkpoint(TRUNCATE)");
}

}  // namespace db::embedded
