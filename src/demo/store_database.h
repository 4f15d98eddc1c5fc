#pragma once
// Empty store databases of either kind, for tests and the demo: an MDB file (the embedded engine
// in Jet mode) at a Windows path, or a database of an embedded SQL Server whose server name is
// registered in the login-resolution file. The builders create files only; they open nothing
// that stays open. Failures throw (db::DbError from the engine, std::filesystem errors).
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace host {
class Host;
}

namespace demo {

// The Jet password of store MDB files.
inline constexpr const char* kStoreMdbPassword = "kelp2093";

// A SQL Server of the embedded kind and one of its databases.
struct ServerStore {
    std::string server = "NORV-POS\\SQLEXPRESS";
    std::string database = "ZENTRIX";
    std::string user = "sa";
    std::string password = "norv2093";
    std::string folder = "C:\\Quillon\\Server";  // Windows path of the server's database files
};

// Creates (or empties) the MDB file at the Windows path with the Jet password and runs the Jet
// statements on it.
void CreateMdbStore(const host::Host& host, std::string_view mdbPath,
                    const std::vector<std::string>& statements = {},
                    std::string_view jetPassword = kStoreMdbPassword);

// Registers store.server in the login-resolution file "C:\Quillon\SqlLogin.INI" (its password
// and Engine=embedded:<folder>; other sections are kept), creates the database (or
// empties it) and runs the T-SQL statements on it. Register before a Runtime is made: it reads
// the login file once, when it is constructed.
void CreateServerStore(const host::Host& host, const ServerStore& store,
                       const std::vector<std::string>& statements = {});

// The file that holds an embedded SQL Server database.
std::filesystem::path ServerStoreFile(const host::Host& host, const ServerStore& store);

}  // namespace demo
