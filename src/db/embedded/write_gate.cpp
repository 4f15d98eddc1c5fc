#include "db/embedded/write_gate.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <utility>

#include "db/embedded/error_map.h"

namespace db::embedded {
namespace {

constexpr const char* kVfsName = "write-gate";

using FileId = std::pair<unsigned long long, unsigned long long>;  // device, inode

enum class HoldState { Held, Failed };

// The held databases. `holds` counts them for the writes' quick look, which takes no lock while
// nothing is held.
struct Holds {
    std::mutex mutex;
    std::condition_variable changed;
    std::map<FileId, HoldState> byFile;
    // Told once, when the first write into a held database comes to wait.
    std::map<FileId, std::function<void()>> firstWait;
    std::atomic<int> holds{0};
};

Holds& TheHolds() {
    static Holds holds;
    return holds;
}

// Whether a write into the files of `id` may go on, waiting while the database is held.
bool MayWrite(const FileId& id) {
    Holds& h = TheHolds();
    if (h.holds.load(std::memory_order_acquire) == 0) return true;
    std::unique_lock lock(h.mutex);
    for (;;) {
        const auto found = h.byFile.find(id);
        if (found == h.byFile.end()) return true;
        if (found->second == HoldState::Failed) return false;
        if (const auto told = h.firstWait.find(id); told != h.firstWait.end()) {
            const std::function<void()> tell = std::move(told->second);
            h.firstWait.erase(told);
            tell();
        }
        h.changed.wait(lock);
    }
}

bool IdOf(const char* path, FileId& id) {
    struct stat st {};
    if (path == nullptr || ::stat(path, &st) != 0) return false;
    id = {static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino)};
    return true;
}

// The layer's file: its own methods, the database it belongs to, and SQLite's file after it.
struct GateFile {
    sqlite3_file base;
    FileId id;
    bool known;
};

sqlite3_file* Real(sqlite3_file* file) {
    return reinterpret_cast<sqlite3_file*>(reinterpret_cast<char*>(file) + sizeof(GateFile));
}

bool Allowed(sqlite3_file* file) {
    const GateFile* g = reinterpret_cast<const GateFile*>(file);
    return !g->known || MayWrite(g->id);
}

int Close(sqlite3_file* f) {
    const int rc = Real(f)->pMethods->xClose(Real(f));
    f->pMethods = nullptr;
    return rc;
}
int Read(sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset) {
    return Real(f)->pMethods->xRead(Real(f), buffer, amount, offset);
}
int Write(sqlite3_file* f, const void* buffer, int amount, sqlite3_int64 offset) {
    if (!Allowed(f)) return SQLITE_IOERR_WRITE;
    return Real(f)->pMethods->xWrite(Real(f), buffer, amount, offset);
}
int Truncate(sqlite3_file* f, sqlite3_int64 size) {
    if (!Allowed(f)) return SQLITE_IOERR_TRUNCATE;
    return Real(f)->pMethods->xTruncate(Real(f), size);
}
int Sync(sqlite3_file* f, int flags) {
    return Real(f)->pMethods->xSync(Real(f), flags);
}
int FileSize(sqlite3_file* f, sqlite3_int64* size) {
    return Real(f)->pMethods->xFileSize(Real(f), size);
}
int Lock(sqlite3_file* f, int level) {
    return Real(f)->pMethods->xLock(Real(f), level);
}
int Unlock(sqlite3_file* f, int level) {
    return Real(f)->pMethods->xUnlock(Real(f), level);
}
int CheckReservedLock(sqlite3_file* f, int* out) {
    return Real(f)->pMethods->xCheckReservedLock(Real(f), out);
}
int FileControl(sqlite3_file* f, int op, void* arg) {
    return Real(f)->pMethods->xFileControl(Real(f), op, arg);
}
int SectorSize(sqlite3_file* f) {
    return Real(f)->pMethods->xSectorSize(Real(f));
}
int DeviceCharacteristics(sqlite3_file* f) {
    return Real(f)->pMethods->xDeviceCharacteristics(Real(f));
}
int ShmMap(sqlite3_file* f, int page, int size, int extend, void volatile** out) {
    return Real(f)->pMethods->xShmMap(Real(f), page, size, extend, out);
}
int ShmLock(sqlite3_file* f, int offset, int n, int flags) {
    return Real(f)->pMethods->xShmLock(Real(f), offset, n, flags);
}
void ShmBarrier(sqlite3_file* f) {
    Real(f)->pMethods->xShmBarrier(Real(f));
}
int ShmUnmap(sqlite3_file* f, int deleteFlag) {
    return Real(f)->pMethods->xShmUnmap(Real(f), deleteFlag);
}
int Fetch(sqlite3_file* f, sqlite3_int64 offset, int amount, void** out) {
    return Real(f)->pMethods->xFetch(Real(f), offset, amount, out);
}
int Unfetch(sqlite3_file* f, sqlite3_int64 offset, void* page) {
    return Real(f)->pMethods->xUnfetch(Real(f), offset, page);
}

// One table of methods per version SQLite's file may have, so that the layer offers no more
// than the file below it.
sqlite3_io_methods MethodsOf(int version) {
    sqlite3_io_methods m{};
    m.iVersion = version;
    m.xClose = Close;
    m.xRead = Read;
    m.xWrite = Write;
    m.xTruncate = Truncate;
    m.xSync = Sync;
    m.xFileSize = FileSize;
    m.xLock = Lock;
    m.xUnlock = Unlock;
    m.xCheckReservedLock = CheckReservedLock;
    m.xFileControl = FileControl;
    m.xSectorSize = SectorSize;
    m.xDeviceCharacteristics = DeviceCharacteristics;
    if (version >= 2) {
        m.xShmMap = ShmMap;
        m.xShmLock = ShmLock;
        m.xShmBarrier = ShmBarrier;
        m.xShmUnmap = ShmUnmap;
    }
    if (version >= 3) {
        m.xFetch = Fetch;
        m.xUnfetch = Unfetch;
    }
    return m;
}

const sqlite3_io_methods kMethods[3] = {MethodsOf(1), MethodsOf(2), MethodsOf(3)};

// SQLite's own VFS, which the layer hands every call on to.
sqlite3_vfs* Below(sqlite3_vfs* vfs) {
    return static_cast<sqlite3_vfs*>(vfs->pAppData);
}

int Open(sqlite3_vfs* vfs, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
    sqlite3_vfs* below = Below(vfs);
    GateFile* g = reinterpret_cast<GateFile*>(file);
    g->base.pMethods = nullptr;
    g->known = false;
    const int rc = below->xOpen(below, name, Real(file), flags, outFlags);
    const sqlite3_io_methods* real = Real(file)->pMethods;
    if (real == nullptr) return rc;
    g->base.pMethods = &kMethods[std::clamp(real->iVersion, 1, 3) - 1];
    if (rc == SQLITE_OK && name != nullptr) {
        // The log and the journal belong to their database; the file is known by the database's
        // inode, read once here.
        if ((flags & SQLITE_OPEN_MAIN_DB) != 0) {
            g->known = IdOf(name, g->id);
        } else if ((flags & (SQLITE_OPEN_WAL | SQLITE_OPEN_MAIN_JOURNAL)) != 0) {
            g->known = IdOf(sqlite3_filename_database(name), g->id);
        }
    }
    return rc;
}

int Delete(sqlite3_vfs* vfs, const char* name, int syncDir) {
    return Below(vfs)->xDelete(Below(vfs), name, syncDir);
}
int Access(sqlite3_vfs* vfs, const char* name, int flags, int* out) {
    return Below(vfs)->xAccess(Below(vfs), name, flags, out);
}
int FullPathname(sqlite3_vfs* vfs, const char* name, int size, char* out) {
    return Below(vfs)->xFullPathname(Below(vfs), name, size, out);
}
void* DlOpen(sqlite3_vfs* vfs, const char* name) {
    return Below(vfs)->xDlOpen(Below(vfs), name);
}
void DlError(sqlite3_vfs* vfs, int size, char* out) {
    Below(vfs)->xDlError(Below(vfs), size, out);
}
void (*DlSym(sqlite3_vfs* vfs, void* handle, const char* symbol))(void) {
    return Below(vfs)->xDlSym(Below(vfs), handle, symbol);
}
void DlClose(sqlite3_vfs* vfs, void* handle) {
    Below(vfs)->xDlClose(Below(vfs), handle);
}
int Randomness(sqlite3_vfs* vfs, int size, char* out) {
    return Below(vfs)->xRandomness(Below(vfs), size, out);
}
int Sleep(sqlite3_vfs* vfs, int microseconds) {
    return Below(vfs)->xSleep(Below(vfs), microseconds);
}
int CurrentTime(sqlite3_vfs* vfs, double* out) {
    return Below(vfs)->xCurrentTime(Below(vfs), out);
}
int GetLastError(sqlite3_vfs* vfs, int size, char* out) {
    return Below(vfs)->xGetLastError(Below(vfs), size, out);
}
int CurrentTimeInt64(sqlite3_vfs* vfs, sqlite3_int64* out) {
    return Below(vfs)->xCurrentTimeInt64(Below(vfs), out);
}
int SetSystemCall(sqlite3_vfs* vfs, const char* name, sqlite3_syscall_ptr call) {
    return Below(vfs)->xSetSystemCall(Below(vfs), name, call);
}
sqlite3_syscall_ptr GetSystemCall(sqlite3_vfs* vfs, const char* name) {
    return Below(vfs)->xGetSystemCall(Below(vfs), name);
}
const char* NextSystemCall(sqlite3_vfs* vfs, const char* name) {
    return Below(vfs)->xNextSystemCall(Below(vfs), name);
}

sqlite3_vfs* MakeVfs() {
    sqlite3_vfs* below = sqlite3_vfs_find(nullptr);
    static sqlite3_vfs vfs{};
    vfs.iVersion = 3;
    vfs.szOsFile = static_cast<int>(sizeof(GateFile)) + below->szOsFile;
    vfs.mxPathname = below->mxPathname;
    vfs.zName = kVfsName;
    vfs.pAppData = below;
    vfs.xOpen = Open;
    vfs.xDelete = Delete;
    vfs.xAccess = Access;
    vfs.xFullPathname = FullPathname;
    vfs.xDlOpen = DlOpen;
    vfs.xDlError = DlError;
    vfs.xDlSym = DlSym;
    vfs.xDlClose = DlClose;
    vfs.xRandomness = Randomness;
    vfs.xSleep = Sleep;
    vfs.xCurrentTime = CurrentTime;
    vfs.xGetLastError = GetLastError;
    vfs.xCurrentTimeInt64 = CurrentTimeInt64;
    vfs.xSetSystemCall = SetSystemCall;
    vfs.xGetSystemCall = GetSystemCall;
    vfs.xNextSystemCall = NextSystemCall;
    sqlite3_vfs_register(&vfs, 0);
    return &vfs;
}

FileId HeldId(const std::filesystem::path& file) {
    FileId id;
    if (!IdOf(file.c_str(), id)) {
        throw EngineError(ErrorNumber::kUnspecified,
                          "'" + file.string() + "' 파일을 찾을 수 없습니다.");
    }
    return id;
}

void SetState(const FileId& id, std::optional<HoldState> state) {
    Holds& h = TheHolds();
    {
        std::lock_guard lock(h.mutex);
        if (state) {
            const bool added = h.byFile.insert_or_assign(id, *state).second;
            if (added) h.holds.fetch_add(1, std::memory_order_release);
        } else if (h.byFile.erase(id) != 0) {
            h.holds.fetch_sub(1, std::memory_order_release);
        }
        if (!state) h.firstWait.erase(id);
    }
    h.changed.notify_all();
}

}  // namespace

bool AnyHoldFailed() {
    Holds& h = TheHolds();
    if (h.holds.load(std::memory_order_acquire) == 0) return false;
    const std::lock_guard lock(h.mutex);
    return std::any_of(h.byFile.begin(), h.byFile.end(),
                       [](const auto& entry) { return entry.second == HoldState::Failed; });
}

const char* WriteGateVfs() {
    static sqlite3_vfs* vfs = MakeVfs();
    return vfs->zName;
}

WriteHold::WriteHold(const std::filesystem::path& file, std::function<void()> firstWait) {
    const FileId id = HeldId(file);
    device_ = id.first;
    inode_ = id.second;
    if (firstWait) {
        Holds& h = TheHolds();
        const std::lock_guard lock(h.mutex);
        h.firstWait.insert_or_assign(id, std::move(firstWait));
    }
    SetState(id, HoldState::Held);
}

WriteHold::~WriteHold() {
    SetState({device_, inode_}, std::nullopt);
}

void WriteHold::Release() {
    SetState({device_, inode_}, std::nullopt);
}

void WriteHold::ReleaseAsFailed() {
    SetState({device_, inode_}, HoldState::Failed);
}

}  // namespace db::embedded
