#pragma once
// The databases that the statements of a session read besides its own (external references, see
// translate_external.cpp): attached under their private schema names while a text runs and
// detached after it, or, when an open transaction has read them, once it has ended. Also the
// copy that BACKUP DATABASE writes.
#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "db/embedded/embedded.h"
#include "db/embedded/translator.h"
#include "db/error.h"

namespace db::embedded {

class ExternalDatabases {
  public:
    // db must outlive the object.
    explicit ExternalDatabases(sqlite3* db) : db_(db) {}

    void SetResolver(ExternalResolver resolver) { resolver_ = std::move(resolver); }

    // Attaches the database of an Attach step. Throws DbError 0x80004005 when there is no
    // resolver, the reference leads nowhere, the file is missing or no database, the Jet password
    // does not match, or another database is still attached under the name in the open
    // transaction.
    void Attach(const Step& step);
    // Detaches what is attached; what the open transaction has read stays attached until a call
    // after the transaction has ended.
    void DetachAll() noexcept;
    // The error with the private schema names taken out of its description.
    static DbError Plain(const DbError& error);

    // Writes the copy of the database of a Backup step (ownFile is the session's database, the
    // others are found beside it) as one committed state. Throws DbError: 0x80040E37 for an
    // unknown database, 0x80004005 when the file cannot be written.
    void Backup(const Step& step, const std::filesystem::path& ownFile) const;

  private:
    std::filesystem::path Resolve(const ExternalReference& ref) const;
    void CheckAttached(const std::string& schema, const ExternalReference& ref);
    bool Detach(const std::string& schema) noexcept;

    sqlite3* db_;
    ExternalResolver resolver_;
    std::vector<std::pair<std::string, std::filesystem::path>> attached_;  // schema, file
};

// Detaches the external databases when a text has run, however it ended.
class ExternalScope {
  public:
    explicit ExternalScope(ExternalDatabases& databases) : databases_(databases) {}
    ~ExternalScope() { databases_.DetachAll(); }
    ExternalScope(const ExternalScope&) = delete;
    ExternalScope& operator=(const ExternalScope&) = delete;

  private:
    ExternalDatabases& databases_;
};

}  // namespace db::embedded
