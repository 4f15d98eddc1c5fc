#pragma once
// An open connection to one engine. The embedded engine (SQLite in Jet or SQL Server mode) and
// the ODBC engine implement it; Connection and RecordSet sit on top. Every failure is a DbError.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/error.h"
#include "db/schema.h"
#include "util/variant.h"

namespace db {

enum class Dialect { Jet, SqlServer };

struct FieldDesc {
    std::string name;
    int adoType = AdoType::kVarWChar;
    int size = 0;
};

// Rows of a result, pulled one at a time. Next() returns false at the end.
class RowCursor {
  public:
    virtual ~RowCursor() = default;
    virtual const std::vector<FieldDesc>& Fields() const = 0;
    virtual bool Next(std::vector<util::Variant>& row) = 0;
};

struct ExecOutcome {
    std::int64_t affected = -1;       // rows changed by the last action statement, -1 if none
    std::unique_ptr<RowCursor> rows;  // the first result that has rows, if any
};

// Whether a statement that writes could run now: another program may hold the database's write
// lock, or the file may be read-only.
enum class WriteAccess { Available, Busy, ReadOnly };

class Session {
  public:
    virtual ~Session() = default;
    virtual Dialect SqlDialect() const = 0;
    // Runs one statement text (it may hold several statements as the dialect allows).
    virtual ExecOutcome Execute(std::string_view sql, int commandTimeoutSeconds) = 0;
    virtual Schema& SchemaInfo() = 0;
    // False once the engine knows the link is gone (file removed, server dropped).
    virtual bool Alive() = 0;

    // One transaction at a time (Connection keeps the count): the statements run between Begin
    // and Commit take effect together; Rollback undoes them. A failed Commit leaves nothing of
    // the work behind. Rollback succeeds when the engine has already given the transaction up.
    // Closing the session with a transaction open rolls it back. Engines without transactions
    // refuse with DbError 0x80004005. Engines that lock the whole database take its write lock
    // at Begin, waiting up to lockWaitSeconds for another program to let it go; when it does
    // not, Begin throws a DbError marked as a lock conflict and no transaction is open.
    virtual void BeginTransaction(int /*lockWaitSeconds*/) { NoTransactions(); }
    virtual void CommitTransaction() { NoTransactions(); }
    virtual void RollbackTransaction() { NoTransactions(); }
    // False when the engine has given up the open transaction by itself (an interrupted
    // statement, an I/O error, a deadlock): its work is undone and later statements would run
    // outside it. Only meaningful while a transaction is open.
    virtual bool TransactionAlive() { return true; }
    // Waits up to waitSeconds for the database's write lock, takes it and gives it back at once.
    // Engines whose locks are taken statement by statement (a SQL Server) answer Available.
    virtual WriteAccess ProbeWriteAccess(int /*waitSeconds*/) { return WriteAccess::Available; }
    // Does now what the first transaction would do before the writes to come (an embedded file
    // still in rollback-journal mode moves to its write-ahead log), so that another connection
    // can read the database while those writes wait. A preview does nothing.
    virtual void PrepareForWrites() {}
    // A number that grows whenever the session changes its database's rows or layout, also
    // inside a transaction not yet committed; none when the engine cannot tell.
    virtual std::optional<std::int64_t> ChangeMark() { return std::nullopt; }

  private:
    [[noreturn]] static void NoTransactions() {
        throw DbError(ErrorNumber::kUnspecified, "이 연결은 트랜잭션을 지원하지 않습니다.");
    }
};

}  // namespace db
