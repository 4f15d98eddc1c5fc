#include "db/router.h"

#include <system_error>

#include "db/ascii_text.h"
#include "db/embedded/embedded.h"
#include "db/error.h"
#include "db/login_resolver.h"
#include "db/odbc/odbc.h"
#include "db/preview_session.h"
#include "host/host.h"

namespace db {
namespace {

constexpr const char* kJetSource = "Microsoft JET Database Engine";
constexpr const char* kSqlSource = "Microsoft OLE DB Provider for SQL Server";
constexpr const char* kOdbcSource = "Microsoft OLE DB Provider for ODBC Drivers";
constexpr std::int32_t kLoginFailed = static_cast<std::int32_t>(0x80040E4D);

// Sources that open only through an ODBC driver named in the login file's [Drivers] section.
struct FileSource {
    std::string_view driversKey;  // key in [Drivers]
    std::string_view dataKey;     // the file or folder the source reads
    std::string_view dirKey;      // its folder
};
constexpr FileSource kExcel{"Excel", "dbq", "defaultdir"};
constexpr FileSource kDbase{"dBase", "data source", "data source"};
constexpr FileSource kParadox{"Paradox", "dbq", "defaultdir"};

struct DriverSource {
    std::string_view driver;  // Driver= value without braces
    const FileSource* source;
};
constexpr DriverSource kDriverSources[] = {
    {"Microsoft Excel Driver (*.xls)", &kExcel},
    {"Microsoft Paradox Driver (*.db)", &kParadox},
};

// The fields of the two SQL Server string forms.
struct SqlKeys {
    std::string_view server, database, user, password;
};
constexpr SqlKeys kOleDbKeys{"data source", "initial catalog", "user id", "password"};
constexpr SqlKeys kOdbcKeys{"server", "database", "uid", "pwd"};

// A value as an ODBC connection string carries it: braced when it holds a separator or brace.
std::string OdbcValue(std::string_view value) {
    if (value.find_first_of(";{}") == std::string_view::npos && TrimBlanks(value) == value) {
        return std::string(value);
    }
    std::string out = "{";
    for (char c : value) {
        out += c;
        if (c == '}') out += '}';
    }
    return out + "}";
}

std::string WithSeparator(std::string text) {
    if (!text.empty() && text.back() != ';') text += ';';
    return text;
}

std::string Field(const ConnectionStringParts& parts, std::string_view key) {
    return parts.Get(key).value_or("");
}

std::filesystem::path MapPath(const host::Host& host, const std::string& windowsPath,
                              const char* source) {
    auto native = host.Native(windowsPath);
    if (!native) {
        throw DbError(ErrorNumber::kUnspecified,
                      "'" + windowsPath + "'은(는) 올바른 경로가 아닙니다. 연결을 열 수 없습니다.",
                      source);
    }
    return *native;
}

bool Exists(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

Route JetRoute(const host::Host& host, const ConnectionStringParts& parts) {
    const std::string path = Field(parts, "data source");
    Route route;
    route.engine = Route::Engine::Embedded;
    route.dialect = Dialect::Jet;
    route.file = MapPath(host, path, kJetSource);
    if (!Exists(route.file)) {
        throw DbError(ErrorNumber::kUnspecified, "'" + path + "' 파일을 찾을 수 없습니다.",
                      kJetSource, -1023, "3024");
    }
    route.jetPassword = Field(parts, "jet oledb:database password");
    return route;
}

Route FileSourceRoute(const host::Host& host, const LoginResolver& logins,
                      const ConnectionStringParts& parts, const FileSource& source) {
    const std::string driver = logins.DriverFor(source.driversKey);
    if (driver.empty()) {
        throw DbError(ErrorNumber::kUnspecified,
                      std::string(source.driversKey) +
                          " 원본에 연결을 열 수 없습니다. 로그인 설정 파일의 [Drivers] 구역에 " +
                          std::string(source.driversKey) + " ODBC 드라이버가 없습니다.",
                      kOdbcSource, 0, "IM002");
    }
    Route route;
    route.engine = Route::Engine::Odbc;
    route.dialect = Dialect::Jet;
    route.odbcText = WithSeparator(driver);
    const std::pair<std::string_view, std::string_view> carried[] = {{"Dbq", source.dataKey},
                                                                     {"DefaultDir", source.dirKey}};
    for (const auto& [odbcKey, key] : carried) {
        const std::string path = Field(parts, key);
        if (path.empty()) continue;
        route.odbcText +=
            std::string(odbcKey) + "=" + OdbcValue(MapPath(host, path, kOdbcSource).string()) + ";";
    }
    return route;
}

Route SqlServerRoute(const host::Host& host, const LoginResolver& logins,
                     const ConnectionStringParts& parts, const SqlKeys& keys) {
    const std::string server = Field(parts, keys.server);
    const std::string database = Field(parts, keys.database);
    const std::string user = Field(parts, keys.user);
    const std::string password = Field(parts, keys.password);
    auto engine = logins.EngineFor(server);
    if (!engine) {
        throw DbError(
            ErrorNumber::kUnspecified,
            "SQL Server '" + server +
                "'에 연결을 열 수 없습니다. 서버가 없거나 로그인 설정에 없는 서버입니다." +
                (logins.FileProblem().empty()
                     ? std::string()
                     : " (the login settings file " + logins.FileProblem() + ")"),
            kSqlSource, 17, "08001");
    }
    Route route;
    route.dialect = Dialect::SqlServer;
    if (engine->kind == LoginResolver::EngineKind::Odbc) {
        route.engine = Route::Engine::Odbc;
        route.odbcText = WithSeparator(engine->target) + "Database=" + OdbcValue(database) +
                         ";UID=" + OdbcValue(user) + ";PWD=" + OdbcValue(password) + ";";
        return route;
    }
    if (!engine->password.empty() && engine->password != password) {
        throw DbError(kLoginFailed, "Login failed for user '" + user + "'.", kSqlSource, 18456,
                      "28000");
    }
    route.engine = Route::Engine::Embedded;
    route.file = embedded::ServerDatabaseFile(MapPath(host, engine->target, kSqlSource), database);
    if (database.empty() || !Exists(route.file)) {
        throw DbError(ErrorNumber::kUnspecified,
                      "로그인에서 요청한 \"" + database +
                          "\" 데이터베이스를 열 수 없습니다. 로그인이 실패했습니다.",
                      kSqlSource, 4060, "42000");
    }
    return route;
}

// Where the external references of a statement lead: a Jet file or backup file by its mapped
// path, a database of a server through the login file (embedded servers only).
embedded::ExternalResolver ExternalResolverFor(const host::Host& host,
                                               std::shared_ptr<const LoginResolver> logins) {
    using Kind = embedded::ExternalReference::Kind;
    return [&host, logins](const embedded::ExternalReference& ref) -> std::filesystem::path {
        switch (ref.kind) {
            case Kind::JetFile: {
                std::filesystem::path file = MapPath(host, ref.path, kJetSource);
                if (!Exists(file)) {
                    throw DbError(ErrorNumber::kUnspecified,
                                  "'" + ref.path + "' 파일을 찾을 수 없습니다.", kJetSource, -1023,
                                  "3024");
                }
                return file;
            }
            case Kind::BackupFile:
                return MapPath(host, ref.path, kSqlSource);
            case Kind::ServerDatabase:
                break;
        }
        const auto engine = logins->EngineFor(ref.server);
        if (!engine || engine->kind != LoginResolver::EngineKind::Embedded) {
            throw DbError(ErrorNumber::kUnspecified,
                          "SQL Server '" + ref.server +
                              "'의 데이터베이스를 읽을 수 없습니다. 서버가 없거나 이 컴퓨터의 "
                              "내장 서버가 아닙니다.",
                          kSqlSource, 17, "08001");
        }
        if (!engine->password.empty() && engine->password != ref.password) {
            throw DbError(
                ErrorNumber::kUnspecified,
                "SQL Server '" + ref.server + "'에 로그인하지 못했습니다. (Login failed.)",
                kSqlSource, 18456, "28000");
        }
        std::filesystem::path file =
            embedded::ServerDatabaseFile(MapPath(host, engine->target, kSqlSource), ref.database);
        if (ref.database.empty() || !Exists(file)) {
            throw DbError(ErrorNumber::kUnspecified,
                          "SQL Server '" + ref.server + "'에 \"" + ref.database +
                              "\" 데이터베이스가 없습니다.",
                          kSqlSource, 4060, "42000");
        }
        return file;
    };
}

}  // namespace

Router::Router(const host::Host& host, std::shared_ptr<const LoginResolver> logins, bool readOnly,
               int lockWaitSeconds)
    : host_(host),
      logins_(std::move(logins)),
      readOnly_(readOnly),
      lockWaitSeconds_(lockWaitSeconds) {}

Route Router::Plan(std::string_view connectionString) const {
    const auto parts = ConnectionStringParts::Parse(connectionString);
    const std::string provider = Field(parts, "provider");
    const std::string driver = Field(parts, "driver");
    if (StartsWithNoCase(provider, "Microsoft.Jet.OLEDB.")) {
        const std::string extended = AsciiLower(Field(parts, "extended properties"));
        if (extended.find("dbase") != std::string::npos) {
            return FileSourceRoute(host_, *logins_, parts, kDbase);
        }
        return JetRoute(host_, parts);
    }
    if (StartsWithNoCase(provider, "SQLOLEDB")) {
        return SqlServerRoute(host_, *logins_, parts, kOleDbKeys);
    }
    if (provider.empty() && EqualsNoCase(driver, "SQL Server")) {
        return SqlServerRoute(host_, *logins_, parts, kOdbcKeys);
    }
    for (const auto& d : kDriverSources) {
        if (provider.empty() && EqualsNoCase(driver, d.driver)) {
            return FileSourceRoute(host_, *logins_, parts, *d.source);
        }
    }
    throw DbError(ErrorNumber::kUnspecified,
                  "연결 문자열이 가리키는 공급자나 드라이버를 찾을 수 없어 연결을 열 수 없습니다.",
                  "ADODB.Connection", 0, "IM002");
}

std::unique_ptr<Session> Router::Open(std::string_view connectionString, int connectTimeoutSeconds,
                                      int /*mode*/) const {
    const Route route = Plan(connectionString);
    std::unique_ptr<Session> session;
    if (route.engine == Route::Engine::Odbc) {
        session = odbc::Open(route.odbcText, route.dialect, connectTimeoutSeconds);
    } else {
        embedded::OpenOptions options;
        options.dialect = route.dialect;
        options.jetPassword = route.jetPassword;
        options.create = false;
        options.readOnly = readOnly_;
        options.busyWaitMs = lockWaitSeconds_ * 1000;
        options.resolveExternal = ExternalResolverFor(host_, logins_);
        session = embedded::Open(route.file, options);
    }
    if (!host_.Preview()) return session;
    if (route.engine == Route::Engine::Odbc) {
        return PreviewSession(std::move(session), host_, "the SQL Server database");
    }
    return PreviewSession(std::move(session), host_, route.file.string(), !WalModeFile(route.file));
}

}  // namespace db
