#pragma once
// Login resolution: which SQL Server a server name stands for, its address and "sa" password,
// and the engine that serves it. Read from an INI file with one section per server name:
//
//   [STORE-PC\SQLEXPRESS]
//   Address=127.0.0.1
//   Password=secret
//   Engine=embedded:C:\Quillon\Server        (or  odbc:Driver=FreeTDS;Server=10.0.0.5;Port=1433)
//
// plus [Central] (Server=, Database=: the vendor's central database as deployed) and [Drivers]
// (Excel=, dBase=, Paradox=: ODBC driver strings for those sources). The resolver is immutable.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace host {
class Host;
class ProfileDocument;
}  // namespace host

namespace db {

inline constexpr const char* kDefaultLoginFile = "C:\\Quillon\\SqlLogin.INI";

struct LoginResolution {
    int status = 3;  // 0 the server is known, 3 unknown
    std::string address;
    std::string password;
};

class LoginResolver {
  public:
    enum class EngineKind { Embedded, Odbc };
    struct Engine {
        EngineKind kind = EngineKind::Embedded;
        std::string target;    // Windows folder path (embedded) or ODBC driver string
        std::string password;  // the server's configured password, empty when none
    };

    LoginResolver() = default;  // knows no server
    explicit LoginResolver(const host::ProfileDocument& doc);
    // Reads the file at a Windows path; a missing or unreadable file gives an empty resolver.
    static LoginResolver Load(const host::Host& host,
                              std::string_view windowsPath = kDefaultLoginFile);

    // Status 0 with the section's address (the server name itself when none is given) and
    // password; status 3 when no section is named so.
    LoginResolution Resolve(std::string_view server) const;
    // The engine of the server whose section name or address matches (case-insensitive).
    std::optional<Engine> EngineFor(std::string_view serverOrAddress) const;

    const std::string& CentralServer() const { return centralServer_; }
    const std::string& CentralDatabase() const { return centralDatabase_; }
    // The ODBC driver string configured for "Excel", "dBase" or "Paradox"; empty when none.
    std::string DriverFor(std::string_view sourceKind) const;
    // Why Load found no settings ("C:\Quillon\SqlLogin.INI (<path>) is a folder"); empty when
    // the file was read.
    const std::string& FileProblem() const { return fileProblem_; }

  private:
    struct Server {
        std::string name;
        std::string address;
        std::string password;
        std::optional<Engine> engine;
    };
    const Server* Find(std::string_view serverOrAddress, bool byAddress) const;

    std::vector<Server> servers_;
    std::string centralServer_;
    std::string centralDatabase_;
    std::vector<std::pair<std::string, std::string>> drivers_;
    std::string fileProblem_;
};

}  // namespace db
