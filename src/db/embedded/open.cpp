// Opening an embedded database: the file must exist (unless asked to create it) and be an SQLite
// database; Jet files may carry a database password, kept in the engine's own table. A real Jet
// or ACE file is told by its header before SQLite sees it, so that it is left exactly as found.
#include <system_error>

#include "db/embedded/embedded.h"
#include "db/embedded/embedded_session.h"
#include "db/embedded/engine_trace.h"
#include "db/embedded/error_map.h"
#include "db/embedded/functions.h"
#include "db/embedded/names.h"
#include "db/embedded/routine_natives.h"
#include "db/embedded/server_folder.h"
#include "db/embedded/syscat_functions.h"
#include "db/embedded/text_order.h"
#include "db/embedded/write_gate.h"
#include "db/jet_import/jet_header.h"

namespace db::embedded {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kPasswordKey = "jet_password";
// The page cache of a connection, in SQLite's negative form: kibibytes (48 MiB).
constexpr int kCachePages = -49152;

[[noreturn]] void ThrowMissingFile(const fs::path& file) {
    throw EngineError(ErrorNumber::kUnspecified, "'" + file.string() +
                                                     "' 파일을 찾을 수 없습니다. (Could not find "
                                                     "file '" +
                                                     file.string() + "'.)");
}

// The reason is the engine's own ("file is not a database"), so that the cause can be told from
// a wrong path or a damaged copy.
[[noreturn]] void ThrowNotADatabase(const fs::path& file, std::string_view reason) {
    throw EngineError(ErrorNumber::kUnspecified,
                      "인식할 수 없는 데이터베이스 형식입니다. (Unrecognized database format '" +
                          file.string() + "': " + std::string(reason) + ".)");
}

[[noreturn]] void ThrowWrongPassword() {
    throw EngineError(ErrorNumber::kUnspecified,
                      "데이터베이스 암호가 올바르지 않습니다. (Not a valid password.)");
}

void CheckFile(const fs::path& file, bool create) {
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    if (!fs::exists(status)) {
        if (!create) ThrowMissingFile(file);
        return;
    }
    if (!fs::is_regular_file(status)) ThrowNotADatabase(file, "not a regular file");
    // An empty file is a valid SQLite database but not one that anybody made.
    if (!create && fs::file_size(file, ec) == 0) ThrowNotADatabase(file, "the file is empty");
    const jet::JetKind kind = jet::KindOfFile(file);
    if (kind != jet::JetKind::None) {
        throw EngineError(ErrorNumber::kUnspecified, jet::RealJetFileMessage(file, kind));
    }
}

DatabaseHandle OpenHandle(const fs::path& file, bool create, int busyWaitMs) {
    sqlite3* raw = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    // Through the write gate, so that a copy of the database this process takes holds it still.
    const int rc = sqlite3_open_v2(file.c_str(), &raw, flags, WriteGateVfs());
    DatabaseHandle db = AdoptDatabase(raw);
    if (rc != SQLITE_OK) throw LastError(raw, rc);
    sqlite3_extended_result_codes(db.get(), 1);
    // A double-quoted name is always a name, never a text that SQLite guesses.
    sqlite3_db_config(db.get(), SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db.get(), SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    sqlite3_busy_timeout(db.get(), busyWaitMs);
    return db;
}

// A database made here gets a write-ahead log at once. An existing one in another journal mode
// is not touched by opening it (the mode is written into the file's header): it changes over
// at its first transaction, once the caller has seen what the file holds.
bool Configure(sqlite3* db, const fs::path& file, bool created) {
    const int rc =
        sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    const int primary = rc & 0xff;
    if (primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT) {
        ThrowNotADatabase(file, sqlite3_errstr(primary));
    }
    if (rc != SQLITE_OK) throw LastError(db, rc);
    ExecPlain(db, "PRAGMA synchronous=NORMAL");
    // SQLite's default of 2 MB holds a fraction of a store's product table: every pass over it
    // would read it from the file again. The cache takes memory only as pages are read.
    ExecPlain(db, "PRAGMA cache_size=" + std::to_string(kCachePages));
    if (InWalMode(db)) return false;
    if (!created) return true;
    ExecPlain(db, "PRAGMA journal_mode=WAL");
    return false;
}

bool HasMetaTable(sqlite3* db) {
    bool found = false;
    QueryRows(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1", {kMetaTable},
              [&](sqlite3_stmt*) { found = true; });
    return found;
}

std::string StoredPassword(sqlite3* db) {
    std::string password;
    if (!HasMetaTable(db)) return password;
    QueryRows(db, "SELECT value FROM " + QuoteName(kMetaTable) + " WHERE key = ?1", {kPasswordKey},
              [&](sqlite3_stmt* s) { password = ColumnText(s, 0); });
    return password;
}

// The password is a gate as Jet's is, not a protection of the data: anyone with the file can read
// it with any SQLite tool.
void StorePassword(sqlite3* db, const std::string& password) {
    ExecPlain(db, "CREATE TABLE IF NOT EXISTS " + QuoteName(kMetaTable) +
                      " (key TEXT PRIMARY KEY, value TEXT)");
    QueryRows(db,
              "INSERT OR REPLACE INTO " + QuoteName(kMetaTable) + " (key, value) VALUES (?1, ?2)",
              {kPasswordKey, password}, [](sqlite3_stmt*) {});
}

}  // namespace

std::unique_ptr<Session> Open(const fs::path& file, const OpenOptions& options) {
    CheckFile(file, options.create && !options.readOnly);
    // A database of a server is claimed before it is opened, so that the server folder sees the
    // connection from its first moment (and a database in single-user mode is refused).
    DatabaseUse use;
    if (options.dialect == Dialect::SqlServer) use = DatabaseUse::Enter(file);
    std::error_code ec;
    const bool existed = fs::exists(file, ec) && fs::file_size(file, ec) > 0;
    const bool walLeft = fs::exists(fs::path(file.string() + "-wal"), ec);
    DatabaseHandle db = OpenHandle(file, options.create && !options.readOnly, options.busyWaitMs);
    AttachEngineTrace(db.get());
    const bool walPending = Configure(db.get(), file, !existed) && !options.readOnly;
    if (options.readOnly) {
        // Opened with SQLITE_OPEN_READONLY, a connection to a database in WAL mode makes the -wal
        // and -shm files it needs and, unable to checkpoint, leaves them behind. This one may
        // remove them when it closes, and refuses every statement that would write instead. A
        // log that was there before is left as it was found.
        ExecPlain(db.get(), "PRAGMA query_only=ON");
        if (walLeft) sqlite3_db_config(db.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    }
    if (options.dialect == Dialect::Jet) {
        if (!existed && !options.jetPassword.empty()) StorePassword(db.get(), options.jetPassword);
        const std::string stored = StoredPassword(db.get());
        // A database without a password opens with any password, as Jet's do.
        if (!stored.empty() && stored != options.jetPassword) ThrowWrongPassword();
    }
    RegisterFunctions(db.get());
    if (options.dialect == Dialect::SqlServer) {
        RegisterServerCollation(db.get());
        RegisterCatalogueFunctions(db.get());
        RegisterNativeRoutines(db.get());
    }
    auto session = std::make_unique<EmbeddedSession>(std::move(db), file, options.dialect);
    session->HoldUse(std::move(use));
    if (walPending) session->SwitchToWalAtFirstTransaction();
    session->SetExternalResolver(options.resolveExternal);
    return session;
}

fs::path ServerDatabaseFile(const fs::path& serverFolder, const std::string& database) {
    return serverFolder / (database + ".sqlite");
}

}  // namespace db::embedded
