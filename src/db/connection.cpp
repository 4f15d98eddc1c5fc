#include "db/connection.h"

#include "db/router.h"

namespace db {
namespace {

constexpr const char* kSource = "ADODB.Connection";

// OLE DB's XACT_E_XTIONEXISTS and XACT_E_NOTRANSACTION.
constexpr std::int32_t kTransactionExists = static_cast<std::int32_t>(0x8004D013);
constexpr std::int32_t kNoTransaction = static_cast<std::int32_t>(0x8004D00E);

DbError ClosedError() {
    return DbError(ErrorNumber::kObjectClosed, "개체가 닫혀 있으면 작업이 허용되지 않습니다.",
                   kSource);
}

}  // namespace

Connection::Connection(std::shared_ptr<const Router> router) : router_(std::move(router)) {}

Connection::~Connection() = default;

void Connection::Open() {
    errors_.clear();
    try {
        if (session_) {
            throw DbError(ErrorNumber::kObjectOpen, "개체가 열려 있으면 작업이 허용되지 않습니다.",
                          kSource);
        }
        session_ = router_->Open(ConnectionString, ConnectionTimeout, Mode);
    } catch (const DbError& e) {
        Record(e);
        throw;
    }
}

// Closing a closed connection does nothing, so that clean-up code never has to test first.
// The session rolls back a transaction left open.
void Connection::Close() {
    session_.reset();
    transactionLevel_ = 0;
}

ObjectState Connection::State() const {
    return session_ ? ObjectState::Open : ObjectState::Closed;
}

std::int64_t Connection::Execute(std::string_view sql) {
    errors_.clear();
    bool sent = false;
    try {
        Session& session = LiveSession();
        router_->Trace().Notify({ConnectionString, sql, false});
        sent = true;
        ExecOutcome outcome = session.Execute(sql, CommandTimeout);
        return outcome.affected < 0 ? 0 : outcome.affected;
    } catch (const DbError& e) {
        Record(e);
        if (sent) router_->Trace().NotifyFailure({ConnectionString, sql, false}, e);
        throw;
    }
}

std::int32_t Connection::BeginTrans() {
    errors_.clear();
    try {
        Session& session = LiveSession();
        if (transactionLevel_ > 0) {
            throw DbError(kTransactionExists, "이 세션에서는 트랜잭션을 하나만 시작할 수 있습니다.",
                          kSource);
        }
        session.BeginTransaction(LockWaitSeconds);
        transactionLevel_ = 1;
        return transactionLevel_;
    } catch (const DbError& e) {
        Record(e);
        throw;
    }
}

bool Connection::TransactionAlive() {
    return transactionLevel_ > 0 && session_ && session_->TransactionAlive();
}

void Connection::CommitTrans() {
    EndTransaction(&Session::CommitTransaction);
}

void Connection::RollbackTrans() {
    EndTransaction(&Session::RollbackTransaction);
}

// The transaction counts as ended whatever the engine answers: a commit that fails has undone
// the work, and a rollback that fails leaves nothing the caller could still commit.
void Connection::EndTransaction(void (Session::*end)()) {
    errors_.clear();
    try {
        Session& session = Engine();
        if (transactionLevel_ == 0) {
            throw DbError(kNoTransaction, "활성화된 트랜잭션이 없습니다.", kSource);
        }
        transactionLevel_ = 0;
        (session.*end)();
    } catch (const DbError& e) {
        Record(e);
        throw;
    }
}

Session& Connection::Engine() {
    if (!session_) {
        const DbError e = ClosedError();
        Record(e);
        throw e;
    }
    return *session_;
}

Dialect Connection::SqlDialect() const {
    if (!session_) throw ClosedError();
    return session_->SqlDialect();
}

Session& Connection::LiveSession() {
    Session& session = Engine();
    if (!session.Alive()) {
        throw DbError(ErrorNumber::kUnspecified,
                      "데이터베이스와의 연결을 잃었습니다. 연결이 끊어졌거나 데이터베이스 파일을 "
                      "찾을 수 없습니다.",
                      kSource);
    }
    return session;
}

void Connection::Record(const DbError& e) {
    errors_.insert(errors_.begin(), ErrorEntry{e.Number(), e.Description(), e.Source(),
                                               e.NativeError(), e.SqlState()});
}

}  // namespace db
