// The ODBC engine's session: statements go to the driver as they are written.
#include <algorithm>
#include <memory>
#include <optional>

#include "db/odbc/link.h"
#include "db/odbc/odbc.h"
#include "db/odbc/odbc_schema.h"
#include "db/odbc/row_cursor.h"

namespace db::odbc {
namespace {

class OdbcSession : public Session {
  public:
    OdbcSession(std::shared_ptr<Link> link, Dialect dialect)
        : link_(link), schema_(std::move(link)), dialect_(dialect) {}
    // The driver would refuse to disconnect with a transaction open.
    ~OdbcSession() override {
        if (inTransaction_) EndTransaction(SQL_ROLLBACK, false);
    }

    Dialect SqlDialect() const override { return dialect_; }
    ExecOutcome Execute(std::string_view sql, int commandTimeoutSeconds) override;
    Schema& SchemaInfo() override { return schema_; }
    bool Alive() override { return link_->Alive(); }
    // Manual-commit mode for the length of the transaction. A server locks row by row as the
    // statements come, so there is no lock to wait for here.
    void BeginTransaction(int /*lockWaitSeconds*/) override {
        SetAutoCommit(SQL_AUTOCOMMIT_OFF, true);
        inTransaction_ = true;
    }
    void CommitTransaction() override { EndTransaction(SQL_COMMIT, true); }
    void RollbackTransaction() override { EndTransaction(SQL_ROLLBACK, true); }
    // SQL Server rolls a transaction back by itself on some errors (a deadlock victim, errors
    // under XACT_ABORT); the driver then starts a fresh one with the next statement.
    bool TransactionAlive() override {
        if (!inTransaction_) return false;
        try {
            ExecOutcome outcome = Execute("SELECT @@TRANCOUNT", 0);
            std::vector<util::Variant> row;
            return outcome.rows && outcome.rows->Next(row) && !row.empty() &&
                   row.front().AsInt() > 0;
        } catch (const DbError&) {
            return false;
        }
    }

  private:
    void SetAutoCommit(SQLULEN mode, bool check) {
        const SQLRETURN rc = SQLSetConnectAttr(link_->Dbc(), SQL_ATTR_AUTOCOMMIT,
                                               reinterpret_cast<SQLPOINTER>(mode), 0);
        if (check) link_->Check(rc, SQL_HANDLE_DBC, link_->Dbc());
    }
    // A commit that fails is followed by a rollback, so the work is never left half-done; the
    // connection returns to auto-commit either way.
    void EndTransaction(SQLSMALLINT completion, bool check) {
        inTransaction_ = false;
        std::optional<DbError> failure;
        if (!SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, link_->Dbc(), completion))) {
            try {
                link_->Fail(SQL_HANDLE_DBC, link_->Dbc());
            } catch (const DbError& e) {
                failure = e;
            }
            if (completion == SQL_COMMIT) SQLEndTran(SQL_HANDLE_DBC, link_->Dbc(), SQL_ROLLBACK);
        }
        SetAutoCommit(SQL_AUTOCOMMIT_ON, check && !failure);
        if (check && failure) throw *failure;
    }

    std::shared_ptr<Link> link_;
    OdbcSchema schema_;
    Dialect dialect_;
    bool inTransaction_ = false;
};

// Walks the results of the statement text: counts of action statements until the first result
// with columns, which becomes the cursor.
ExecOutcome CollectResults(Statement statement) {
    ExecOutcome outcome;
    for (;;) {
        SQLSMALLINT columns = 0;
        statement.Check(SQLNumResultCols(statement.Get(), &columns));
        if (columns > 0) {
            outcome.rows = std::make_unique<OdbcRowCursor>(std::move(statement));
            return outcome;
        }
        SQLLEN count = -1;
        if (SQL_SUCCEEDED(SQLRowCount(statement.Get(), &count)) && count >= 0) {
            outcome.affected = count;
        }
        const SQLRETURN rc = SQLMoreResults(statement.Get());
        if (rc == SQL_NO_DATA) return outcome;
        statement.Check(rc);
    }
}

ExecOutcome OdbcSession::Execute(std::string_view sql, int commandTimeoutSeconds) {
    Statement statement(link_);
    // A driver that cannot time out a query still runs it; the attribute is a wish.
    SQLSetStmtAttr(
        statement.Get(), SQL_ATTR_QUERY_TIMEOUT,
        reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(std::max(commandTimeoutSeconds, 0))), 0);
    statement.Check(statement.Text().ExecDirect(statement.Get(), sql));
    return CollectResults(std::move(statement));
}

}  // namespace

std::unique_ptr<Session> Open(const std::string& driverConnectionString, Dialect dialect,
                              int connectTimeoutSeconds) {
    return std::make_unique<OdbcSession>(
        Link::Connect(driverConnectionString, connectTimeoutSeconds), dialect);
}

}  // namespace db::odbc
