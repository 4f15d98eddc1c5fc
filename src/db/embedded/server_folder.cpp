#include "db/embedded/server_folder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

#include "db/embedded/embedded.h"
#include "db/embedded/error_map.h"
#include "db/embedded/file_copy.h"
#include "db/embedded/sqlite_handle.h"
#include "db/error.h"
#include "host/ascii_text.h"
#include "host/vpath.h"

namespace db::embedded {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kDatabaseSuffix = ".sqlite";
constexpr std::string_view kDetachedSuffix = ".detached";
constexpr std::string_view kAttachingSuffix = ".attaching";
constexpr std::size_t kMaxNameLength = 128;
constexpr int kBusyMs = 30000;
constexpr int kLockAttempts = 3;
constexpr int kLockPollMs = 20;

// The message numbers SQL Server gives the same refusals; the command-line client shows them.
constexpr std::int32_t kMsgAlreadyExists = 1801;
constexpr std::int32_t kMsgSingleUser = 924;
constexpr std::int32_t kMsgInUse = 5070;
constexpr std::int32_t kMsgNotLocked = 5030;
constexpr std::int32_t kMsgDetachInUse = 3703;
constexpr std::int32_t kMsgCannotOpenFile = 5120;
constexpr std::int32_t kMsgNotADatabase = 5172;
constexpr std::int32_t kMsgInvalidName = 15006;
constexpr std::int32_t kMsgUnknownDatabase = 15010;
constexpr std::int32_t kMsgFileError = 3013;

[[noreturn]] void Fail(std::int32_t msg, const std::string& text) {
    throw DbError(ErrorNumber::kUnspecified, text, kEngineSource, msg);
}

fs::path WithSuffix(const fs::path& file, std::string_view suffix) {
    return fs::path(file.string() + std::string(suffix));
}

// The files of one database: the database itself first, then its log, lock and marker files.
constexpr std::string_view kDatabaseFileSuffixes[] = {"",         "-wal",    "-shm",
                                                      "-journal", ".single", ".users"};

void CheckName(const std::string& name) {
    const bool bad = name.empty() || name.size() > kMaxNameLength || name.front() == '.' ||
                     name.find_first_of(std::string_view("/\\:\0", 4)) != std::string::npos ||
                     std::any_of(name.begin(), name.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    if (bad) {
        Fail(kMsgInvalidName,
             "'" + name + "' is not a valid name because it contains invalid characters.");
    }
}

// The lock file of the database, made when missing; an invalid descriptor when that cannot be.
host::UniqueFd OpenLockFile(const fs::path& databaseFile) {
    const fs::path lockFile = UsersLockFile(databaseFile);
    int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) fd = ::open(lockFile.c_str(), O_RDONLY | O_CLOEXEC);
    return host::UniqueFd(fd);
}

// True when the descriptor still belongs to the file at the path (the lock file was neither
// removed nor replaced while a lock on it was awaited).
bool StillNamed(int fd, const fs::path& path) {
    struct stat opened {};
    struct stat named {};
    return ::fstat(fd, &opened) == 0 && ::stat(path.c_str(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

// The exclusive lock on the database's lock file, held while the folder changes the database;
// throws DbError (msg, text) when any connection holds the database open.
host::UniqueFd Exclusive(const fs::path& databaseFile, std::int32_t msg, const std::string& text) {
    host::UniqueFd fd = OpenLockFile(databaseFile);
    if (!fd.Valid()) {
        Fail(kMsgFileError, "The lock file of '" + databaseFile.string() +
                                "' cannot be opened: " + std::strerror(errno));
    }
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) Fail(msg, text);
    return fd;
}

std::string InUseText(const std::string& name) {
    return "Database '" + name + "' is already open and can only have one user at a time.";
}

// Folds the write-ahead log back into the file and leaves the file without one, so that the file
// alone holds the database. Only called while no connection is open.
void MakeSelfContained(const fs::path& file) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    DatabaseHandle db = AdoptDatabase(raw);
    if (rc != SQLITE_OK) throw LastError(raw, rc);
    sqlite3_busy_timeout(db.get(), kBusyMs);
    ExecPlain(db.get(), "SELECT count(*) FROM sqlite_master");
    ExecPlain(db.get(), "PRAGMA wal_checkpoint(TRUNCATE)");
    ExecPlain(db.get(), "PRAGMA journal_mode=DELETE");
}

bool HasDatabaseHeader(const fs::path& file) {
    static constexpr char kHeader[] = "SQLite format 3";  // with its NUL: 16 bytes
    char head[sizeof kHeader] = {};
    std::ifstream in(file, std::ios::binary);
    return in.read(head, sizeof head) && std::equal(head, head + sizeof head, kHeader);
}

std::string DatabaseNameOf(const fs::directory_entry& entry) {
    const std::string file = entry.path().filename().string();
    if (file.size() <= kDatabaseSuffix.size() || !file.ends_with(kDatabaseSuffix)) return {};
    std::error_code ec;
    if (!entry.is_regular_file(ec)) return {};
    return file.substr(0, file.size() - kDatabaseSuffix.size());
}

}  // namespace

fs::path UsersLockFile(const fs::path& databaseFile) {
    return WithSuffix(databaseFile, ".users");
}

fs::path SingleUserMarker(const fs::path& databaseFile) {
    return WithSuffix(databaseFile, ".single");
}

DatabaseUse DatabaseUse::Enter(const fs::path& databaseFile) {
    DatabaseUse use;
    const fs::path marker = SingleUserMarker(databaseFile);
    const auto singleUser = [&marker] {
        std::error_code ec;
        return fs::exists(marker, ec);
    };
    const auto refuse = [&databaseFile] {
        throw DbError(ErrorNumber::kUnspecified,
                      "Database '" + databaseFile.stem().string() +
                          "' is in single-user mode and can only have one user at a time.",
                      kEngineSource, kMsgSingleUser);
    };
    // A lock file removed or replaced while its lock was awaited (the database was detached or
    // renamed meanwhile) is opened again by its name.
    for (int attempt = 0; attempt < kLockAttempts && !use.fd_.Valid(); ++attempt) {
        host::UniqueFd fd = OpenLockFile(databaseFile);
        if (!fd.Valid()) break;
        // In single-user mode the one user holds the lock alone, as SQL Server lets the first
        // connection in and refuses the others until it has gone; so the program that switched
        // the mode on can connect again and switch it off. Otherwise the connection shares the
        // lock and waits only for the moment the folder holds the database exclusively.
        bool locked = false;
        for (;;) {
            const bool single = singleUser();
            if (::flock(fd.Get(), (single ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0) {
                // The mode may have changed between the look and the lock: looked at again.
                locked = singleUser() == single;
                if (locked) break;
                ::flock(fd.Get(), LOCK_UN);
                continue;
            }
            if (errno == EINTR) continue;
            if (errno != EWOULDBLOCK) break;
            if (single) refuse();
            ::usleep(kLockPollMs * 1000);
        }
        if (!locked) break;
        if (StillNamed(fd.Get(), UsersLockFile(databaseFile))) use.fd_ = std::move(fd);
    }
    if (!use.fd_.Valid() && singleUser()) refuse();
    return use;
}

ServerFolder::ServerFolder(fs::path folder) : folder_(std::move(folder)) {}

std::vector<ServerDatabaseInfo> ServerFolder::Databases() const {
    std::vector<ServerDatabaseInfo> out;
    std::error_code ec;
    for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = DatabaseNameOf(*it);
        if (name.empty()) continue;
        ServerDatabaseInfo info;
        info.name = name;
        std::error_code sizeError;
        const auto bytes = fs::file_size(it->path(), sizeError);
        info.bytes = sizeError ? 0 : static_cast<std::int64_t>(bytes);
        info.singleUser = fs::exists(SingleUserMarker(it->path()), sizeError);
        out.push_back(std::move(info));
    }
    std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return out;
}

fs::path ServerFolder::Find(const std::string& name) const {
    CheckName(name);
    const fs::path exact = ServerDatabaseFile(folder_, name);
    std::error_code ec;
    if (fs::is_regular_file(exact, ec)) return exact;
    for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string found = DatabaseNameOf(*it);
        if (!found.empty() && host::EqualsNoCase(found, name)) return it->path();
    }
    Fail(kMsgUnknownDatabase,
         "The database '" + name + "' does not exist. Use sp_helpdb to show available databases.");
}

bool ServerFolder::Exists(const std::string& name) const {
    for (const ServerDatabaseInfo& info : Databases()) {
        if (host::EqualsNoCase(info.name, name)) return true;
    }
    return false;
}

void ServerFolder::Attach(const std::string& name, const fs::path& dataFile) {
    CheckName(name);
    if (Exists(name)) Fail(kMsgAlreadyExists, "Database '" + name + "' already exists.");
    std::error_code ec;
    if (!fs::is_regular_file(dataFile, ec)) {
        Fail(kMsgCannotOpenFile, "Unable to open the physical file \"" + dataFile.string() +
                                     "\". Operating system error 2: \"2(The system cannot find "
                                     "the file specified.)\".");
    }
    if (!HasDatabaseHeader(dataFile)) {
        Fail(kMsgNotADatabase, "The header for file '" + dataFile.string() +
                                   "' is not a valid database file header.");
    }
    fs::create_directories(folder_, ec);
    const fs::path target = ServerDatabaseFile(folder_, name);
    // The copy appears under the database's name only when complete.
    const fs::path partial = WithSuffix(target, kAttachingSuffix);
    try {
        CopyDatabaseFile(dataFile, partial);
    } catch (const DbError&) {
        for (std::string_view suffix : kDatabaseFileSuffixes) {
            fs::remove(WithSuffix(partial, suffix), ec);
        }
        throw;
    }
    // A marker left by an earlier database of the name does not hold for this one.
    fs::remove(SingleUserMarker(target), ec);
    fs::rename(partial, target, ec);
    if (ec) {
        fs::remove(partial, ec);
        Fail(kMsgFileError, "'" + target.string() + "' cannot be written.");
    }
}

void ServerFolder::Detach(const std::string& name) {
    const fs::path file = Find(name);
    const std::string shown = file.stem().string();
    host::UniqueFd lock =
        Exclusive(file, kMsgDetachInUse,
                  "Cannot detach the database '" + shown + "' because it is currently in use.");
    MakeSelfContained(file);
    std::error_code ec;
    fs::rename(file, WithSuffix(file, kDetachedSuffix), ec);
    if (ec) Fail(kMsgFileError, "'" + file.string() + "' cannot be moved: " + ec.message());
    for (std::string_view suffix : {"-wal", "-shm", "-journal", ".single", ".users"}) {
        fs::remove(WithSuffix(file, suffix), ec);
    }
}

void ServerFolder::SetSingleUser(const std::string& name, bool on) {
    const fs::path file = Find(name);
    const fs::path marker = SingleUserMarker(file);
    std::error_code ec;
    if (!on) {
        fs::remove(marker, ec);
        if (ec) Fail(kMsgFileError, "'" + marker.string() + "' cannot be removed.");
        return;
    }
    host::UniqueFd lock = Exclusive(file, kMsgInUse, InUseText(file.stem().string()));
    std::ofstream out(marker, std::ios::binary | std::ios::trunc);
    if (!out) Fail(kMsgFileError, "'" + marker.string() + "' cannot be written.");
}

void ServerFolder::Rename(const std::string& oldName, const std::string& newName) {
    const fs::path file = Find(oldName);
    CheckName(newName);
    const std::string shown = file.stem().string();
    const fs::path target = ServerDatabaseFile(folder_, newName);
    const bool sameDatabase = host::EqualsNoCase(shown, newName);
    if (!sameDatabase && Exists(newName)) {
        Fail(kMsgAlreadyExists, "The database '" + newName + "' already exists.");
    }
    const std::string notLocked =
        "The database '" + shown + "' could not be exclusively locked to perform the operation.";
    std::error_code ec;
    if (!fs::exists(SingleUserMarker(file), ec)) Fail(kMsgNotLocked, notLocked);
    host::UniqueFd lock = Exclusive(file, kMsgNotLocked, notLocked);
    if (target == file) return;
    // Moved in order, the database file first; a failure moves back what was moved.
    std::vector<std::string_view> moved;
    for (std::string_view suffix : kDatabaseFileSuffixes) {
        const fs::path from = WithSuffix(file, suffix);
        if (!fs::exists(from, ec)) continue;
        fs::rename(from, WithSuffix(target, suffix), ec);
        if (!ec) {
            moved.push_back(suffix);
            continue;
        }
        const std::string reason = ec.message();
        for (std::string_view back : moved) {
            fs::rename(WithSuffix(target, back), WithSuffix(file, back), ec);
        }
        Fail(kMsgFileError, "'" + from.string() + "' cannot be moved: " + reason);
    }
}

void ServerFolder::Shrink(const std::string& name) {
    const fs::path file = Find(name);
    const std::string shown = file.stem().string();
    host::UniqueFd lock =
        Exclusive(file, kMsgInUse, "Database '" + shown + "' is in use and cannot be shrunk.");
    CompactDatabaseFile(file);
}

}  // namespace db::embedded
