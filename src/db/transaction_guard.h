#pragma once
// A transaction on a connection that is rolled back when the guard goes out of scope without
// Commit() or Rollback(). The connection must outlive the guard; the destructor never throws.
#include "db/connection.h"

namespace db {

class TransactionGuard {
  public:
    // Begins the transaction; throws DbError as Connection::BeginTrans does.
    explicit TransactionGuard(Connection& cn) : cn_(cn) { cn_.BeginTrans(); }
    ~TransactionGuard() {
        if (done_) return;
        try {
            cn_.RollbackTrans();
        } catch (const DbError&) {
            // The connection is gone or the engine gave the transaction up: nothing to undo.
        }
    }
    TransactionGuard(const TransactionGuard&) = delete;
    TransactionGuard& operator=(const TransactionGuard&) = delete;

    // Both end the transaction for good, also when they throw DbError.
    void Commit() {
        done_ = true;
        cn_.CommitTrans();
    }
    void Rollback() {
        done_ = true;
        cn_.RollbackTrans();
    }

  private:
    Connection& cn_;
    bool done_ = false;
};

}  // namespace db
