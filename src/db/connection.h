#pragma once
// The ADO connection object: a connection string and properties, opened through the Router onto
// an engine Session. Callers hold it through ConnectionRef so that operations which replace the
// caller's connection (a reconnect) can do so.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/error.h"
#include "db/session.h"

namespace db {

class Router;
class RecordSet;

enum class ObjectState { Closed = 0, Open = 1 };

struct ErrorEntry {
    std::int32_t number = 0;
    std::string description;
    std::string source;
    std::int32_t nativeError = 0;
    std::string sqlState;
};

class Connection {
  public:
    explicit Connection(std::shared_ptr<const Router> router);
    ~Connection();

    std::string ConnectionString;
    int Mode = 0;
    int CursorLocation = 2;      // 2 server-side, 3 client-side
    int ConnectionTimeout = 15;  // seconds
    int CommandTimeout = 30;     // seconds
    int LockWaitSeconds = 30;    // longest wait of BeginTrans for another program's write lock

    // Opens the engine named by ConnectionString. Throws DbError (also recorded in Errors()).
    void Open();
    void Close();
    ObjectState State() const;
    // Runs an action statement; returns the affected-row count (0 when none). Throws DbError.
    std::int64_t Execute(std::string_view sql);
    // ADO's transactions, one at a time. BeginTrans returns the nesting level (1); a second
    // BeginTrans throws DbError 0x8004D013. CommitTrans and RollbackTrans without a transaction
    // throw 0x8004D00E; a failed CommitTrans has undone the work. Closing (or destroying) the
    // connection rolls an open transaction back. Failures are recorded in Errors().
    std::int32_t BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    bool InTransaction() const { return transactionLevel_ > 0; }
    // True while a transaction is open and the engine still holds it (see
    // Session::TransactionAlive).
    bool TransactionAlive();
    // See Session::ProbeWriteAccess. Throws DbError 3704 when closed.
    WriteAccess ProbeWriteAccess(int waitSeconds) {
        return LiveSession().ProbeWriteAccess(waitSeconds);
    }
    // See Session::PrepareForWrites; nothing when closed.
    void PrepareForWrites() {
        if (session_) session_->PrepareForWrites();
    }
    // See Session::ChangeMark; none when closed.
    std::optional<std::int64_t> ChangeMark() {
        return session_ ? session_->ChangeMark() : std::nullopt;
    }
    // The engine session of an open connection; throws DbError 3704 when closed.
    Session& Engine();
    Dialect SqlDialect() const;
    const std::vector<ErrorEntry>& Errors() const { return errors_; }
    const Router& RouterRef() const { return *router_; }
    std::shared_ptr<const Router> SharedRouter() const { return router_; }

  private:
    friend class RecordSet;
    void Record(const DbError& e);
    void EndTransaction(void (Session::*end)());
    // The session of an open connection whose link is still there; throws DbError 3704 when
    // closed and 0x80004005 when the engine reports the link gone.
    Session& LiveSession();

    std::shared_ptr<const Router> router_;
    std::unique_ptr<Session> session_;
    std::vector<ErrorEntry> errors_;
    std::int32_t transactionLevel_ = 0;
};

// The caller's handle on a connection; empty means "no object".
using ConnectionRef = std::shared_ptr<Connection>;

}  // namespace db
