#pragma once
// The demo environment: a store PC under the root, ready for a patch run. It holds the store
// software's INI files (in code page 949, as the store software writes them), the login-
// resolution file for embedded SQL Servers, the template "환경설정.mdb", a store database of an
// old layout (an MDB file or a database of the embedded server "STORE-SQL"), the "데이터1"
// database on that server, the vendor's central server with an empty central database and the
// drug reference database DB_NVMAIN, the standard-code file SimStdCd.MDB in the program folder,
// and configuration values under which the main window offers the "데이터1" pass. Building again
// replaces what an earlier build made.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "db/session.h"
#include "demo/store_database.h"

namespace host {
class Host;
}

namespace demo {

enum class StoreKind { Mdb, SqlServer };

inline constexpr const char* kDemoMdbPath = "C:\\Quillon\\Data\\DatMain.mdb";
inline constexpr const char* kDemoServer = "STORE-SQL";
inline constexpr const char* kDemoServerFolder = "C:\\Quillon\\SqlServer";
inline constexpr const char* kDemoServerPassword = "norv2093";
inline constexpr const char* kDemoStoreDatabase = "ZENTRIX";
inline constexpr const char* kDemoData1Database = "ZENTRIX_DATA1";
inline constexpr const char* kDemoCentralServer = "NORV-CENTRAL";
inline constexpr const char* kDemoCentralFolder = "C:\\Quillon\\Central";
inline constexpr const char* kDemoCentralDatabase = "NVMAIN";
inline constexpr const char* kDemoCentralPassword = "zelk";
inline constexpr const char* kMainIniPath = "C:\\Quillon\\NVConfig.INI";
inline constexpr const char* kLoginFilePath = "C:\\Quillon\\SqlLogin.INI";

// The demo's databases on the embedded server.
ServerStore DemoServerStore(const std::string& database);

// A database file of the demo opened on the embedded engine. Throws db::DbError.
std::unique_ptr<db::Session> OpenDemoDatabase(const std::filesystem::path& file,
                                              db::Dialect dialect, const std::string& jetPassword);

// The size of the store database: 0 the small store; 1..1000 adds the generated rows of
// large_store.h, scaled by size / 100, to it and the drug reference (100 is "large").
struct DemoScale {
    int size = 0;
    std::uint32_t seed = 1;
};

// The files BuildDemo writes (the settings store aside), on the file system, the store database
// first.
std::vector<std::filesystem::path> DemoFiles(const host::Host& host, StoreKind kind);

// Builds the environment on the host's root and returns one line per thing built (Windows path
// and what it is). Throws db::DbError or std::exception when a file cannot be made.
std::vector<std::string> BuildDemo(host::Host& host, StoreKind kind, const DemoScale& scale = {});

}  // namespace demo
