#include "db/embedded/external_databases.h"

#include <cctype>
#include <exception>
#include <system_error>

#include "db/embedded/error_map.h"
#include "db/embedded/file_copy.h"
#include "db/embedded/names.h"
#include "db/embedded/sqlite_handle.h"
#include "db/embedded/token.h"
#include "db/jet_import/jet_header.h"

namespace db::embedded {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kPasswordKey = "jet_password";

// The reference as the statement wrote it, for messages.
std::string Describe(const ExternalReference& ref) {
    if (ref.kind == ExternalReference::Kind::ServerDatabase) return ref.server + "." + ref.database;
    return ref.path;
}

// The file is no database: the engine's own reason goes with the path.
[[noreturn]] void ThrowUnrecognized(const ExternalReference& ref, int reason) {
    throw EngineError(ErrorNumber::kUnspecified,
                      "인식할 수 없는 데이터베이스 형식입니다. (Unrecognized database format '" +
                          Describe(ref) + "': " + sqlite3_errstr(reason) + ".)");
}

bool IsPrimary(const DbError& error, int code) {
    return (error.NativeError() & 0xff) == code;
}

// The file of the database `name` of the server folder that holds ownFile; empty when there is
// none. Database names compare without regard to letter case, as the server's do.
fs::path DatabaseFileOf(const fs::path& ownFile, const std::string& name) {
    if (name.empty() || name.find_first_of("/\\") != std::string::npos || name == "." ||
        name == "..") {
        return {};
    }
    if (EqualsNoCase(ownFile.stem().string(), name)) return ownFile;
    const fs::path folder = ownFile.parent_path();
    std::error_code ec;
    const fs::path exact = ServerDatabaseFile(folder, name);
    if (fs::is_regular_file(exact, ec)) return exact;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path& p = it->path();
        if (p.extension() == ".sqlite" && EqualsNoCase(p.stem().string(), name) &&
            fs::is_regular_file(p, ec)) {
            return p;
        }
    }
    return {};
}

}  // namespace

fs::path ExternalDatabases::Resolve(const ExternalReference& ref) const {
    if (!resolver_) {
        throw EngineError(ErrorNumber::kUnspecified,
                          "'" + Describe(ref) +
                              "'을(를) 열 수 없습니다. 이 연결은 다른 데이터베이스나 파일을 "
                              "찾을 수 없습니다.");
    }
    try {
        return resolver_(ref);
    } catch (const DbError&) {
        throw;
    } catch (const std::exception& e) {
        throw EngineError(ErrorNumber::kUnspecified,
                          "'" + Describe(ref) + "'을(를) 열 수 없습니다. (" + e.what() + ")");
    }
}

void ExternalDatabases::Attach(const Step& step) {
    const fs::path file = Resolve(step.external);
    for (const auto& [schema, attachedFile] : attached_) {
        if (schema != step.name) continue;
        std::error_code ec;
        // Still attached for the open transaction, which has read it.
        if (fs::equivalent(attachedFile, file, ec)) return;
        if (!Detach(step.name)) {
            throw EngineError(ErrorNumber::kUnspecified,
                              "'" + Describe(step.external) +
                                  "'을(를) 열 수 없습니다. 열린 트랜잭션이 다른 외부 "
                                  "데이터베이스를 사용하고 있습니다.");
        }
        break;
    }
    // ATTACH would make an empty database of a missing file.
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) {
        throw EngineError(ErrorNumber::kUnspecified,
                          "'" + Describe(step.external) +
                              "' 파일을 찾을 수 없습니다. (Could not find file '" +
                              Describe(step.external) + "'.)");
    }
    if (const jet::JetKind kind = jet::KindOfFile(file); kind != jet::JetKind::None) {
        throw EngineError(ErrorNumber::kUnspecified,
                          jet::RealJetFileMessage(Describe(step.external), kind));
    }
    try {
        QueryRows(db_, "ATTACH DATABASE ?1 AS " + QuoteName(step.name), {file.string()},
                  [](sqlite3_stmt*) {});
    } catch (const DbError& e) {
        if (!IsPrimary(e, SQLITE_NOTADB) && !IsPrimary(e, SQLITE_CORRUPT)) throw;
        ThrowUnrecognized(step.external,
                          IsPrimary(e, SQLITE_NOTADB) ? SQLITE_NOTADB : SQLITE_CORRUPT);
    }
    attached_.emplace_back(step.name, file);
    try {
        CheckAttached(step.name, step.external);
    } catch (...) {
        Detach(step.name);
        throw;
    }
}

// The attached file must be a database, and a Jet file's password must match as when it is
// opened: a file without one opens with any password.
void ExternalDatabases::CheckAttached(const std::string& schema, const ExternalReference& ref) {
    const std::string prefix = QuoteName(schema) + ".";
    bool hasMeta = false;
    try {
        QueryRows(db_,
                  "SELECT 1 FROM " + prefix + "sqlite_master WHERE type = 'table' AND name = ?1",
                  {kMetaTable}, [&](sqlite3_stmt*) { hasMeta = true; });
    } catch (const DbError& e) {
        if (!IsPrimary(e, SQLITE_NOTADB) && !IsPrimary(e, SQLITE_CORRUPT)) throw;
        ThrowUnrecognized(ref, IsPrimary(e, SQLITE_NOTADB) ? SQLITE_NOTADB : SQLITE_CORRUPT);
    }
    if (ref.kind != ExternalReference::Kind::JetFile || !hasMeta) return;
    std::string stored;
    QueryRows(db_, "SELECT value FROM " + prefix + QuoteName(kMetaTable) + " WHERE key = ?1",
              {kPasswordKey}, [&](sqlite3_stmt* s) { stored = ColumnText(s, 0); });
    if (!stored.empty() && stored != ref.password) {
        throw EngineError(ErrorNumber::kUnspecified,
                          "데이터베이스 암호가 올바르지 않습니다. (Not a valid password.)");
    }
}

bool ExternalDatabases::Detach(const std::string& schema) noexcept {
    const std::string sql = "DETACH DATABASE " + QuoteName(schema);
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) return false;
    std::erase_if(attached_, [&](const auto& entry) { return entry.first == schema; });
    return true;
}

void ExternalDatabases::DetachAll() noexcept {
    std::vector<std::string> schemas;
    for (const auto& entry : attached_) schemas.push_back(entry.first);
    for (const std::string& schema : schemas) Detach(schema);
}

DbError ExternalDatabases::Plain(const DbError& error) {
    std::string text = error.Description();
    bool changed = false;
    for (std::size_t at = text.find(kExternalSchemaPrefix); at != std::string::npos;
         at = text.find(kExternalSchemaPrefix, at)) {
        std::size_t end = at + kExternalSchemaPrefix.size();
        while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
        if (end < text.size() && text[end] == '.' && end > at + kExternalSchemaPrefix.size()) {
            text.erase(at, end + 1 - at);
            changed = true;
        } else {
            at = end;
        }
    }
    if (!changed) return error;
    DbError plain(error.Number(), text, error.Source(), error.NativeError(), error.SqlState());
    if (error.LockConflict()) plain.MarkLockConflict();
    return plain;
}

void ExternalDatabases::Backup(const Step& step, const fs::path& ownFile) const {
    const fs::path source = DatabaseFileOf(ownFile, step.name);
    if (source.empty()) {
        throw EngineError(ErrorNumber::kTableMissing,
                          "Database '" + step.name +
                              "' does not exist. Make sure that the name is entered correctly.");
    }
    const fs::path target = Resolve(step.external);
    std::error_code ec;
    const std::string device = "Cannot open backup device '" + step.external.path + "'. ";
    if (!fs::is_directory(target.parent_path(), ec)) {
        throw EngineError(ErrorNumber::kUnspecified,
                          device +
                              "Operating system error 3(The system cannot find the path "
                              "specified.).");
    }
    // The copy replaces its target: never the database itself.
    if (fs::equivalent(source, target, ec)) {
        throw EngineError(ErrorNumber::kUnspecified,
                          device + "The file is the database '" + step.name + "' itself.");
    }
    CopyDatabaseFile(source, target);
}

}  // namespace db::embedded
