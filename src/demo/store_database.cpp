#include "demo/store_database.h"

#include <filesystem>
#include <stdexcept>

#include "db/embedded/embedded.h"
#include "db/error.h"
#include "db/login_resolver.h"
#include "host/host.h"
#include "host/profile.h"

namespace demo {
namespace {

namespace fs = std::filesystem;

constexpr int kTimeoutSeconds = 30;

fs::path NativeOf(const host::Host& host, std::string_view windowsPath) {
    auto native = host.Native(windowsPath);
    if (!native)
        throw std::invalid_argument("not a usable Windows path: " + std::string(windowsPath));
    return *native;
}

// A fresh database file: any earlier file (and its WAL companions) removed first.
void MakeDatabase(const fs::path& file, db::Dialect dialect, std::string_view jetPassword,
                  const std::vector<std::string>& statements) {
    fs::create_directories(file.parent_path());
    for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(fs::path(file.string() + suffix));
    db::embedded::OpenOptions options;
    options.dialect = dialect;
    options.jetPassword = std::string(jetPassword);
    options.create = true;
    auto session = db::embedded::Open(file, options);
    for (const auto& sql : statements) session->Execute(sql, kTimeoutSeconds);
}

}  // namespace

void CreateMdbStore(const host::Host& host, std::string_view mdbPath,
                    const std::vector<std::string>& statements, std::string_view jetPassword) {
    MakeDatabase(NativeOf(host, mdbPath), db::Dialect::Jet, jetPassword, statements);
}

fs::path ServerStoreFile(const host::Host& host, const ServerStore& store) {
    return db::embedded::ServerDatabaseFile(NativeOf(host, store.folder), store.database);
}

void CreateServerStore(const host::Host& host, const ServerStore& store,
                       const std::vector<std::string>& statements) {
    const fs::path loginFile = NativeOf(host, db::kDefaultLoginFile);
    fs::create_directories(loginFile.parent_path());
    const bool written = host::UpdateProfileFile(loginFile, [&](host::ProfileDocument& doc) {
        return doc.Set(store.server, "Password", store.password) &&
               doc.Set(store.server, "Engine", "embedded:" + store.folder);
    });
    if (!written) throw std::runtime_error("cannot write " + loginFile.string());
    MakeDatabase(ServerStoreFile(host, store), db::Dialect::SqlServer, "", statements);
}

}  // namespace demo
