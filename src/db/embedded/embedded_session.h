#pragma once
// A session of the embedded engine on one SQLite file: statement texts are translated (and the
// translations kept), run as one transaction each, and their results handed out as rows.
#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <string>

#include "db/embedded/change_watch.h"
#include "db/embedded/embedded.h"
#include "db/embedded/embedded_schema.h"
#include "db/embedded/external_databases.h"
#include "db/embedded/file_watch.h"
#include "db/embedded/lru_cache.h"
#include "db/embedded/server_folder.h"
#include "db/embedded/server_objects.h"
#include "db/embedded/sqlite_handle.h"
#include "db/embedded/statement_cache.h"
#include "db/embedded/table_shape.h"
#include "db/embedded/translation_cache.h"
#include "db/embedded/translator.h"
#include "db/session.h"

namespace db::embedded {

// The identity of the file a session opened; the link counts as lost once the path names
// another file or none.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    // Throws DbError 0x80004005 when path cannot be read.
    static FileIdentity Of(const std::filesystem::path& path);
    bool StillAt(const std::filesystem::path& path) const;
};

class EmbeddedSession : public Session {
  public:
    static constexpr std::size_t kCachedTranslations = 256;
    static constexpr std::size_t kCachedStatements = 256;

    EmbeddedSession(DatabaseHandle db, std::filesystem::path file, Dialect dialect);
    ~EmbeddedSession() override;

    // How the external references of statements (other databases, backup files) are found.
    void SetExternalResolver(ExternalResolver resolver) {
        external_.SetResolver(std::move(resolver));
    }

    Dialect SqlDialect() const override { return dialect_; }
    // Throws DbError: the translator's errors, SQLite's errors mapped to ADO numbers, and
    // 0x80004005 "… 연결을 …" once the file has gone.
    ExecOutcome Execute(std::string_view sql, int commandTimeoutSeconds) override;
    Schema& SchemaInfo() override { return schema_; }
    bool Alive() override;
    // BEGIN IMMEDIATE/COMMIT/ROLLBACK on the file. A multi-statement text inside the transaction
    // runs in its savepoint as always, so its failure undoes that text only. The write lock is
    // taken at the start, so that waiting for another writer happens there, within its bound,
    // and no statement of the transaction meets the writer halfway.
    void BeginTransaction(int lockWaitSeconds) override;
    void CommitTransaction() override;
    void RollbackTransaction() override;
    bool TransactionAlive() override;
    WriteAccess ProbeWriteAccess(int waitSeconds) override;
    std::optional<std::int64_t> ChangeMark() override;
    void PrepareForWrites() override;
    // The claim on a database of a server folder, kept for as long as the session lives.
    void HoldUse(DatabaseUse use) { use_ = std::move(use); }
    // The file is in another journal mode: the first transaction moves it to a write-ahead log.
    void SwitchToWalAtFirstTransaction() { walPending_ = true; }

  private:
    void EnsureAlive();
    void MarkLost();
    // The steps from first on in one savepoint; a SkipUnless step skips those it guards.
    void RunSteps(const std::vector<Step>& steps, std::size_t first, ExecOutcome& outcome);
    // A program that begins with Attach steps: the databases are attached for its run only.
    ExecOutcome RunWithExternals(const Program& program);
    void RunStep(const Step& step, ExecOutcome& outcome, bool streamRows);
    // parameters: the values of ?1, ?2, … (Step::parameters); null when sql has none.
    void RunSql(const std::string& sql, bool countsChanges, ExecOutcome& outcome, bool streamRows,
                const std::vector<std::string>* parameters = nullptr);
    void DropColumn(const Step& step, ExecOutcome& outcome);
    void RunStatement(const std::string& sql, bool countsChanges, ExecOutcome& outcome,
                      bool streamRows, const std::vector<std::string>* parameters);
    void CheckColumnDroppable(const Step& step);
    std::string DropIndexSql(const Step& step);
    // Steps that depend on the shape of their table (embedded_session_shaped.cpp).
    void RunShapedStep(const Step& step, ExecOutcome& outcome);

    // First of the members, so that the claim ends after the connection has closed.
    DatabaseUse use_;
    DatabaseHandle db_;
    std::filesystem::path file_;
    FileIdentity identity_;
    FileWatch watch_{file_};  // when the file is worth looking at again
    Dialect dialect_;
    bool lost_ = false;
    bool transactionOpen_ = false;  // between BeginTransaction and its end
    bool walPending_ = false;       // see SwitchToWalAtFirstTransaction
    bool keepStatements_ = true;    // of the text running now: its prepared statements are kept
    TranslationCache translations_{dialect_, kCachedTranslations};
    std::shared_ptr<StatementCache> statements_;
    EmbeddedSchema schema_;
    TableShapes shapes_{db_.get()};
    ChangeWatch changes_{db_.get()};  // for ChangeMark
    int translatedVersion_ = -1;      // the schema version that the kept translations were made for
    ServerObjects server_;
    ExternalDatabases external_{db_.get()};
};

}  // namespace db::embedded
