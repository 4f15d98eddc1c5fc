#include "db/odbc/link.h"

#include "db/odbc/diagnostics.h"

namespace db::odbc {

Link::Link(EnvHandle env, DbcHandle dbc, TextApi text)
    : env_(std::move(env)), dbc_(std::move(dbc)), text_(text) {}

Link::~Link() {
    SQLDisconnect(dbc_.get());
}

std::shared_ptr<Link> Link::Connect(const std::string& connectionString, int loginTimeoutSeconds) {
    // Before the driver is known the wide family is used: connection strings are plain ASCII
    // in practice, and Unicode drivers, the usual kind, then need no conversion.
    const TextApi connectText(true);
    SQLRETURN rc = SQL_SUCCESS;
    EnvHandle env = AllocateHandle<SQL_HANDLE_ENV>(SQL_NULL_HANDLE, rc);
    if (!env) throw OpenErrorFromDiagnostics({});
    SQLSetEnvAttr(env.get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    DbcHandle dbc = AllocateHandle<SQL_HANDLE_DBC>(env.get(), rc);
    if (!dbc) throw OpenErrorFromDiagnostics(connectText.Diagnostics(SQL_HANDLE_ENV, env.get()));
    if (loginTimeoutSeconds >= 0) {
        // A driver without login timeouts still connects; the attribute is a wish.
        SQLSetConnectAttr(dbc.get(), SQL_ATTR_LOGIN_TIMEOUT,
                          reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(loginTimeoutSeconds)),
                          0);
    }
    rc = connectText.DriverConnect(dbc.get(), connectionString);
    if (!SQL_SUCCEEDED(rc)) {
        throw OpenErrorFromDiagnostics(connectText.Diagnostics(SQL_HANDLE_DBC, dbc.get()));
    }
    const TextApi text = ChooseTextApi(dbc.get());
    return std::shared_ptr<Link>(new Link(std::move(env), std::move(dbc), text));
}

void Link::Fail(SQLSMALLINT handleType, SQLHANDLE handle) {
    DbError error =
        ErrorFromDiagnostics(text_.Diagnostics(handleType, handle),
                             "ODBC 드라이버가 실패를 알렸으나 원인을 알리지 않았습니다.");
    if (IsConnectionState(error.SqlState())) dead_ = true;
    throw error;
}

bool Link::Alive() {
    if (dead_) return false;
    SQLUINTEGER state = SQL_CD_FALSE;
    const SQLRETURN rc =
        SQLGetConnectAttr(dbc_.get(), SQL_ATTR_CONNECTION_DEAD, &state, 0, nullptr);
    // Drivers that cannot tell are taken at their word of the last call.
    if (SQL_SUCCEEDED(rc) && state == SQL_CD_TRUE) dead_ = true;
    return !dead_;
}

Statement::Statement(std::shared_ptr<Link> link) : link_(std::move(link)) {
    SQLRETURN rc = SQL_SUCCESS;
    stmt_ = AllocateHandle<SQL_HANDLE_STMT>(link_->Dbc(), rc);
    if (!stmt_) link_->Fail(SQL_HANDLE_DBC, link_->Dbc());
}

}  // namespace db::odbc
