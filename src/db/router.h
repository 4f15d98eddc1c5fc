#pragma once
// Routes a connection string to an engine: Jet provider strings to the embedded engine in Jet
// mode on the mapped file; SQLOLEDB and "Driver={SQL Server}" texts through login resolution to
// the embedded engine in SQL Server mode or to ODBC; Excel, dBase and Paradox only through a
// configured ODBC driver.
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "db/session.h"
#include "db/statement_trace.h"

namespace host {
class Host;
}

namespace db {

class LoginResolver;

// Key/value pairs of a connection string; keys compared case-insensitively, blanks around keys
// and values trimmed.
class ConnectionStringParts {
  public:
    static ConnectionStringParts Parse(std::string_view text);
    std::optional<std::string> Get(std::string_view key) const;

  private:
    std::map<std::string, std::string> values_;  // lower-case key
};

// Where a connection string leads, decided without opening anything.
struct Route {
    enum class Engine { Embedded, Odbc };
    Engine engine = Engine::Embedded;
    Dialect dialect = Dialect::Jet;
    std::filesystem::path file;  // embedded: the SQLite file
    std::string jetPassword;     // embedded Jet mode
    std::string odbcText;        // ODBC: the driver connection string
};

class Router {
  public:
    // With readOnly every database is opened for reading only (the embedded engine refuses any
    // write); an ODBC connection is opened as usual and its callers keep to reading.
    // An embedded database that another program holds is waited for lockWaitSeconds.
    Router(const host::Host& host, std::shared_ptr<const LoginResolver> logins,
           bool readOnly = false, int lockWaitSeconds = 30);
    bool ReadOnly() const { return readOnly_; }
    // Opens the engine; throws DbError (0x80004005 for a database that cannot be reached).
    std::unique_ptr<Session> Open(std::string_view connectionString, int connectTimeoutSeconds,
                                  int mode) const;
    // The route of a connection string; throws DbError as Open does for strings that lead
    // nowhere (unknown server, unconfigured driver, wrong login, missing database).
    Route Plan(std::string_view connectionString) const;
    const host::Host& HostRef() const { return host_; }
    const LoginResolver& Logins() const { return *logins_; }
    // The statement tap of every connection opened through this router (see StatementTrace).
    StatementTrace& Trace() const { return *trace_; }
    std::shared_ptr<StatementTrace> SharedTrace() const { return trace_; }

  private:
    const host::Host& host_;
    std::shared_ptr<const LoginResolver> logins_;
    bool readOnly_ = false;
    int lockWaitSeconds_ = 30;
    std::shared_ptr<StatementTrace> trace_ = std::make_shared<StatementTrace>();
};

}  // namespace db
