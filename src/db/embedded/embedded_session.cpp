#include "db/embedded/embedded_session.h"

#include <sys/stat.h>

#include <chrono>
#include <climits>

#include "db/embedded/char_padding.h"
#include "db/embedded/error_map.h"
#include "db/embedded/names.h"
#include "db/embedded/row_cursor.h"
#include "db/embedded/table_rebuild.h"
#include "db/embedded/token.h"

namespace db::embedded {
namespace {

// The wait for another writer when the caller names none.
constexpr int kDefaultLockWaitMs = 30000;

// The command timeout of one statement text: SQLite waits that long for a lock and interrupts
// a statement that runs longer (both give 0x80040E31). 0 means no limit, as in ADO.
class CommandDeadline {
  public:
    CommandDeadline(sqlite3* db, int seconds) : db_(db) {
        const int limitMs = seconds > 0 && seconds < INT_MAX / 1000 ? seconds * 1000 : INT_MAX;
        sqlite3_busy_timeout(db_, limitMs);
        if (seconds > 0) {
            deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
            sqlite3_progress_handler(db_, kProgressSteps, &CommandDeadline::Expired, this);
        }
    }
    ~CommandDeadline() { sqlite3_progress_handler(db_, 0, nullptr, nullptr); }
    CommandDeadline(const CommandDeadline&) = delete;
    CommandDeadline& operator=(const CommandDeadline&) = delete;

  private:
    static constexpr int kProgressSteps = 10000;

    static int Expired(void* self) {
        return std::chrono::steady_clock::now() > static_cast<CommandDeadline*>(self)->deadline_;
    }

    sqlite3* db_;
    std::chrono::steady_clock::time_point deadline_;
};

// A SQLite text that reads or changes rows (as the translators write them: the first word).
bool IsQuery(std::string_view sql) {
    const std::size_t begin = sql.find_first_not_of(" \t\r\n(");
    if (begin == std::string_view::npos) return false;
    const std::size_t end = sql.find_first_of(" \t\r\n(", begin);
    const std::string_view word = sql.substr(begin, end - begin);
    for (std::string_view query : {"SELECT", "INSERT", "UPDATE", "DELETE", "WITH"}) {
        if (EqualsNoCase(word, query)) return true;
    }
    return false;
}

// The end of the session's transaction: whatever it changed stays or goes back, and other
// connections may write from now on.
class LetGo {
  public:
    explicit LetGo(TableShapes& shapes) : shapes_(shapes) {}
    ~LetGo() {
        shapes_.MayHaveChanged();
        shapes_.Hold(false);
    }
    LetGo(const LetGo&) = delete;
    LetGo& operator=(const LetGo&) = delete;

  private:
    TableShapes& shapes_;
};

// Whether running step may change the schema: anything but reading and writing rows.
bool MayChangeSchema(const Step& step) {
    switch (step.kind) {
        case Step::Kind::Insert:
        case Step::Kind::SkipUnless:
            return false;
        case Step::Kind::Sql:
            return !IsQuery(step.sql);
        default:
            return true;
    }
}

bool MayChangeSchema(const Program& program) {
    if (!program.routines.empty() || program.usesCatalogue) return true;
    for (const Step& step : program.steps) {
        if (MayChangeSchema(step)) return true;
    }
    return false;
}

// Tells the kept table shapes, once a step or program has run (however it ended: a failed step
// may have changed the schema before a savepoint took it back), that the schema may be another.
class SchemaMark {
  public:
    SchemaMark(TableShapes& shapes, bool changes) : shapes_(shapes), changes_(changes) {}
    ~SchemaMark() {
        if (changes_) shapes_.MayHaveChanged();
    }
    SchemaMark(const SchemaMark&) = delete;
    SchemaMark& operator=(const SchemaMark&) = delete;

  private:
    TableShapes& shapes_;
    bool changes_;
};

// Binds the value of a literal as the translation cache writes it (a quoted text or a whole
// number) to parameter index; an index the statement does not use is passed over.
void BindLiteral(sqlite3_stmt* stmt, int index, const std::string& written) {
    if (index > sqlite3_bind_parameter_count(stmt)) return;
    if (!written.empty() && written.front() == '\'') {
        std::string text;
        text.reserve(written.size());
        for (std::size_t i = 1; i + 1 < written.size(); ++i) {
            text += written[i];
            if (written[i] == '\'') ++i;  // '' stands for one
        }
        sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
        return;
    }
    sqlite3_bind_int64(stmt, index, std::stoll(written));
}

}  // namespace

FileIdentity FileIdentity::Of(const std::filesystem::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        throw EngineError(
            ErrorNumber::kUnspecified,
            "'" + path.string() + "' 파일을 찾을 수 없습니다. (Could not find file.)");
    }
    return FileIdentity{st.st_dev, st.st_ino};
}

bool FileIdentity::StillAt(const std::filesystem::path& path) const {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && st.st_dev == device && st.st_ino == inode;
}

EmbeddedSession::EmbeddedSession(DatabaseHandle db, std::filesystem::path file, Dialect dialect)
    : db_(std::move(db)),
      file_(std::move(file)),
      identity_(FileIdentity::Of(file_)),
      dialect_(dialect),
      statements_(std::make_shared<StatementCache>(db_.get(), kCachedStatements)),
      schema_(db_.get(), dialect, [this] { EnsureAlive(); }),
      server_(db_.get(), schema_, file_.stem().string()) {}

// A row cursor may keep the file open after the session: the transaction must not outlive it.
EmbeddedSession::~EmbeddedSession() {
    if (!sqlite3_get_autocommit(db_.get())) {
        sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

// Asked before every statement: the file is looked at only when the watch says it may have gone.
bool EmbeddedSession::Alive() {
    if (lost_ || !watch_.Due()) return !lost_;
    if (identity_.StillAt(file_)) {
        watch_.Seen();
    } else {
        MarkLost();
    }
    return !lost_;
}

void EmbeddedSession::BeginTransaction(int lockWaitSeconds) {
    // Work that is to be saved as one starts only on the file the session opened: the file is
    // looked at here whatever the watch says (once a transaction, not once a statement).
    if (!lost_ && !identity_.StillAt(file_)) MarkLost();
    EnsureAlive();
    const int waitMs = lockWaitSeconds > 0 && lockWaitSeconds < INT_MAX / 1000
                           ? lockWaitSeconds * 1000
                           : kDefaultLockWaitMs;
    sqlite3_busy_timeout(db_.get(), waitMs);
    PrepareForWrites();
    const int rc = sqlite3_exec(db_.get(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        DbError error = LastError(db_.get(), rc);
        if (!error.LockConflict()) throw error;
        throw EngineError(
            error.Number(),
            "다른 프로그램이 데이터베이스에 쓰고 있어 " + std::to_string(waitMs / 1000) +
                "초를 기다렸으나 쓸 수 없습니다. (database is locked: " + file_.string() + ")")
            .MarkLockConflict();
    }
    transactionOpen_ = true;
    shapes_.Hold(true);
}

// SQLite gives a transaction up by itself after some failures (disk full, I/O errors); the
// work is gone then and the commit must say so.
void EmbeddedSession::CommitTransaction() {
    transactionOpen_ = false;
    const LetGo letGo(shapes_);
    if (sqlite3_get_autocommit(db_.get())) {
        throw EngineError(ErrorNumber::kUnspecified,
                          "트랜잭션이 이미 취소되어 작업을 저장할 수 없습니다.");
    }
    try {
        ExecPlain(db_.get(), "COMMIT");
    } catch (const DbError&) {
        sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
        external_.DetachAll();
        throw;
    }
    external_.DetachAll();
}

void EmbeddedSession::RollbackTransaction() {
    transactionOpen_ = false;
    const LetGo letGo(shapes_);
    if (sqlite3_get_autocommit(db_.get())) return;
    ExecPlain(db_.get(), "ROLLBACK");
    external_.DetachAll();
}

bool EmbeddedSession::TransactionAlive() {
    return !sqlite3_get_autocommit(db_.get());
}

WriteAccess EmbeddedSession::ProbeWriteAccess(int waitSeconds) {
    EnsureAlive();
    // SQLite opens a file it may not write read-only, without a word.
    if (sqlite3_db_readonly(db_.get(), "main") == 1) return WriteAccess::ReadOnly;
    if (!sqlite3_get_autocommit(db_.get())) return WriteAccess::Available;  // held already
    sqlite3_busy_timeout(db_.get(), waitSeconds > 0 ? waitSeconds * 1000 : 0);
    const int rc = sqlite3_exec(db_.get(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
        return WriteAccess::Available;
    }
    const int primary = rc & 0xFF;
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) return WriteAccess::Busy;
    if (primary == SQLITE_READONLY) return WriteAccess::ReadOnly;
    throw LastError(db_.get(), rc);
}

void EmbeddedSession::PrepareForWrites() {
    if (!walPending_ || !sqlite3_get_autocommit(db_.get())) return;
    if (sqlite3_db_readonly(db_.get(), "main") == 1) return;
    walPending_ = false;
    // The switch takes the file's exclusive lock for a moment. Taken while a copy of the file
    // is being read, it would wait for the copy, which waits for it. Another connection in the
    // file keeps it in its mode for now: no harm, only less concurrency.
    sqlite3_exec(db_.get(), "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
}

std::optional<std::int64_t> EmbeddedSession::ChangeMark() {
    try {
        return changes_.Mark();
    } catch (const DbError&) {
        return std::nullopt;
    }
}

void EmbeddedSession::EnsureAlive() {
    if (Alive()) return;
    throw EngineError(ErrorNumber::kUnspecified,
                      "데이터베이스 연결을 잃었습니다. (The connection to the database was lost: " +
                          file_.string() + ")");
}

void EmbeddedSession::MarkLost() {
    lost_ = true;
    // The write-ahead log beside the path may belong to another file by now: closing must not
    // checkpoint into it or remove it.
    sqlite3_db_config(db_.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
}

ExecOutcome EmbeddedSession::Execute(std::string_view sql, int commandTimeoutSeconds) {
    EnsureAlive();
    changes_.BeforeStatement();
    // Once SQLite has given the caller's transaction up, a statement would run on its own and
    // stay whatever the caller decides later: nothing runs until the caller ends the transaction.
    if (transactionOpen_ && sqlite3_get_autocommit(db_.get())) {
        throw EngineError(ErrorNumber::kUnspecified,
                          "트랜잭션이 이미 취소되어 작업을 계속할 수 없습니다.");
    }
    // Translations read the declared kinds of columns ('+' of texts, money to integers, texts
    // for date columns), so they last only as long as the schema they were made for.
    const int schemaVersion = shapes_.Version();
    if (schemaVersion != translatedVersion_) {
        translations_.Clear();
        translatedVersion_ = schemaVersion;
    }
    const std::shared_ptr<const Program> program = [&] {
        ColumnKindScope kinds(&shapes_);
        return translations_.ProgramFor(sql);
    }();
    if (program->steps.empty()) return {};  // a batch of comments on the server kind
    keepStatements_ = !program->oneOff;
    const SchemaMark mark(shapes_, MayChangeSchema(*program));
    CommandDeadline deadline(db_.get(), commandTimeoutSeconds);
    try {
        server_.Prepare(*program);
        if (program->steps.front().kind == Step::Kind::Attach) return RunWithExternals(*program);
        ExecOutcome outcome;
        if (program->steps.size() == 1) {
            RunStep(program->steps.front(), outcome, true);
            return outcome;
        }
        RunSteps(program->steps, 0, outcome);
        return outcome;
    } catch (const DbError& e) {
        throw ForDialect(e, dialect_);
    }
}

void EmbeddedSession::RunSteps(const std::vector<Step>& steps, std::size_t first,
                               ExecOutcome& outcome) {
    Transaction transaction(db_.get());
    for (std::size_t i = first; i < steps.size(); ++i) {
        if (steps[i].kind == Step::Kind::SkipUnless && !server_.Holds(steps[i])) {
            i += steps[i].skip;
            continue;
        }
        RunStep(steps[i], outcome, false);
    }
    transaction.Commit();
}

// The rows are read before the databases go, and the prepared statements are not kept: their
// texts name schemas that are detached after the run.
ExecOutcome EmbeddedSession::RunWithExternals(const Program& program) {
    keepStatements_ = false;
    ExternalScope scope(external_);
    ExecOutcome outcome;
    try {
        std::size_t first = 0;
        for (; first < program.steps.size() && program.steps[first].kind == Step::Kind::Attach;
             ++first) {
            external_.Attach(program.steps[first]);
        }
        RunSteps(program.steps, first, outcome);
    } catch (const DbError& e) {
        throw ExternalDatabases::Plain(e);
    }
    return outcome;
}

void EmbeddedSession::RunStep(const Step& step, ExecOutcome& outcome, bool streamRows) {
    // A later step of the same text may read the table this one changed.
    const SchemaMark mark(shapes_, MayChangeSchema(step));
    switch (step.kind) {
        case Step::Kind::Sql:
            return RunSql(step.sql, step.countsChanges, outcome, streamRows, &step.parameters);
        case Step::Kind::DropColumn:
            return DropColumn(step, outcome);
        case Step::Kind::DropIndex:
            return RunSql(DropIndexSql(step), false, outcome, streamRows);
        case Step::Kind::SkipUnless:
            return;  // evaluated by Execute
        case Step::Kind::CreateRoutine:
        case Step::Kind::DropRoutine:
        case Step::Kind::CallRoutine:
            return server_.Run(step, outcome);
        case Step::Kind::AlterColumn:
        case Step::Kind::AddPrimaryKey:
        case Step::Kind::AddDefault:
        case Step::Kind::DropConstraint:
        case Step::Kind::Insert:
            return RunShapedStep(step, outcome);
        case Step::Kind::Attach:
            return;  // attached by RunWithExternals
        case Step::Kind::Backup:
            return external_.Backup(step, file_);
    }
}

void EmbeddedSession::RunSql(const std::string& sql, bool countsChanges, ExecOutcome& outcome,
                             bool streamRows, const std::vector<std::string>* parameters) {
    if (sql.compare(0, 12, "ALTER TABLE ") == 0 &&
        sql.find(kLengthCheckPrefix) != std::string::npos && AddColumnWithoutScan(db_.get(), sql)) {
        return;
    }
    if (dialect_ == Dialect::Jet && IsQuery(sql)) {
        try {
            return RunStatement(sql, countsChanges, outcome, streamRows, parameters);
        } catch (const DbError& e) {
            throw ForJetQuery(e);
        }
    }
    RunStatement(sql, countsChanges, outcome, streamRows, parameters);
}

void EmbeddedSession::RunStatement(const std::string& sql, bool countsChanges, ExecOutcome& outcome,
                                   bool streamRows, const std::vector<std::string>* parameters) {
    StatementLease stmt = statements_->Lease(sql, keepStatements_);
    if (parameters != nullptr) {
        for (std::size_t i = 0; i < parameters->size(); ++i) {
            BindLiteral(stmt.get(), static_cast<int>(i + 1), (*parameters)[i]);
        }
    }
    if (sqlite3_column_count(stmt.get()) > 0) {
        auto cursor = std::make_unique<StatementCursor>(db_, std::move(stmt), dialect_);
        if (outcome.rows) return;  // only the first result with rows is handed out
        if (streamRows) {
            outcome.rows = std::move(cursor);
        } else {
            outcome.rows = std::make_unique<MemoryCursor>(*cursor);
        }
        return;
    }
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) throw ForDialect(LastError(db_.get(), rc), dialect_);
    if (countsChanges) outcome.affected = sqlite3_changes64(db_.get());
}

// The triggers that pad a fixed-size text column of the server kind name the column; SQLite drops
// no column that a trigger names, so they go first (and come back if the drop fails).
void EmbeddedSession::DropColumn(const Step& step, ExecOutcome& outcome) {
    CheckColumnDroppable(step);
    Transaction transaction(db_.get());
    if (dialect_ == Dialect::SqlServer) {
        for (const std::string& sql : DropPadding(step.table, step.name)) ExecPlain(db_.get(), sql);
    }
    RunSql(step.sql, false, outcome, false);
    transaction.Commit();
}

void EmbeddedSession::CheckColumnDroppable(const Step& step) {
    for (const IndexInfo& index : schema_.Indexes(step.table)) {
        for (const std::string& column : index.columns) {
            if (!EqualsNoCase(column, step.name)) continue;
            if (dialect_ == Dialect::Jet) {
                throw EngineError(ErrorNumber::kUnspecified, kJetIndexedColumnDrop);
            }
            throw EngineError(ErrorNumber::kSyntax,
                              "The index '" + index.name + "' is dependent on column '" +
                                  step.name + "'. ALTER TABLE DROP COLUMN " + step.name +
                                  " failed because one or more objects access this column.");
        }
    }
    // The server keeps a column's default as an object of its own, which must be dropped first
    // (errors 5074 and 4922); Jet drops the default with the column.
    if (dialect_ == Dialect::Jet) return;
    const std::string constraint = DefaultConstraintName(shapes_, step.table, step.name);
    if (constraint.empty()) return;
    throw EngineError(ErrorNumber::kSyntax,
                      "The object '" + constraint + "' is dependent on column '" + step.name +
                          "'. ALTER TABLE DROP COLUMN " + step.name +
                          " failed because one or more objects access this column.");
}

std::string EmbeddedSession::DropIndexSql(const Step& step) {
    std::string stored;
    QueryRows(db_.get(),
              "SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = ?1 COLLATE "
              "NOCASE AND (name = ?2 COLLATE NOCASE OR name = ?3 COLLATE NOCASE)",
              {step.table, StoredIndexName(step.table, step.name), step.name},
              [&](sqlite3_stmt* s) { stored = ColumnText(s, 0); });
    if (stored.empty()) {
        throw EngineError(ErrorNumber::kSyntax, "Cannot drop the index '" + step.table + "." +
                                                    step.name + "', because it does not exist.");
    }
    return "DROP INDEX " + QuoteName(stored);
}

}  // namespace db::embedded
