#pragma once
// One open ODBC connection: the environment and connection handles, the text API that carries
// Korean unchanged over it, and what is known of its health. Shared by the session, its schema
// and every row cursor, so that a cursor may outlive the session that opened it.
#include <memory>
#include <string>

#include "db/odbc/handles.h"
#include "db/odbc/text_api.h"

namespace db::odbc {

class Link {
  public:
    // Connects with SQLDriverConnect. Throws DbError 0x80004005 ("… 연결을 …") on failure.
    static std::shared_ptr<Link> Connect(const std::string& connectionString,
                                         int loginTimeoutSeconds);
    ~Link();
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    SQLHDBC Dbc() const { return dbc_.get(); }
    const TextApi& Text() const { return text_; }

    // Throws the DbError that the diagnostics of handle describe. A connection failure marks
    // the link dead.
    [[noreturn]] void Fail(SQLSMALLINT handleType, SQLHANDLE handle);
    // Fails unless rc reports success (SQL_NO_DATA counts as success).
    void Check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle) {
        if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) Fail(handleType, handle);
    }

    // False once a call failed with a connection error or the driver reports the link dead.
    bool Alive();

  private:
    Link(EnvHandle env, DbcHandle dbc, TextApi text);

    EnvHandle env_;
    DbcHandle dbc_;  // declared after env_: freed before it
    TextApi text_;
    bool dead_ = false;
};

// A statement handle on a link; the link stays open while the statement lives.
class Statement {
  public:
    explicit Statement(std::shared_ptr<Link> link);
    SQLHSTMT Get() const { return stmt_.get(); }
    Link& Owner() const { return *link_; }
    const TextApi& Text() const { return link_->Text(); }
    void Check(SQLRETURN rc) { link_->Check(rc, SQL_HANDLE_STMT, stmt_.get()); }

  private:
    std::shared_ptr<Link> link_;
    StmtHandle stmt_;  // declared after link_: freed before the connection closes
};

}  // namespace db::odbc
