#pragma once
// What the statements of a session need to know about a table beyond its name: its CREATE text,
// its columns with their declared types, and the CREATE texts of its indexes. Shapes are read
// once and kept until the schema of the file changes (by this connection or any other).
#include <sqlite3.h>

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "db/embedded/sqlite_handle.h"
#include "db/embedded/translate_common.h"
#include "db/embedded/type_map.h"

namespace db::embedded {

struct ColumnShape {
    std::string name;
    DeclaredType type;
    bool notNull = false;
    int keyPosition = 0;  // position in the primary key from 1; 0 when not part of it

    // Jet's COUNTER (or AUTOINCREMENT): numbered like an identity column from 1, but a
    // statement may give its value.
    bool Counter() const;
};

struct TableShape {
    std::string name;       // as stored
    std::string createSql;  // the table's CREATE TABLE text
    std::vector<ColumnShape> columns;
    std::vector<std::string> indexSql;  // CREATE INDEX texts of the indexes made by statements

    // The column named name (any letter case); null when there is none.
    const ColumnShape* Find(std::string_view column) const;
    // The identity (or counter) column; null when there is none.
    const ColumnShape* Identity() const;
    bool HasPrimaryKey() const;
};

class TableShapes : public ColumnKinds {
  public:
    // db must outlive the cache.
    explicit TableShapes(sqlite3* db) : db_(db) {}

    // The shape of table (any letter case); null for a missing table and for the engine's own
    // tables. The pointer stays valid until the next call. Throws DbError when the file cannot be
    // read.
    const TableShape* Find(std::string_view table);
    // The schema version of the file; the kept shapes are dropped when it has changed.
    int Version();
    // While the session holds the file's write lock no other connection changes the schema, so
    // the version is read again only after a statement of the session's own that may have
    // changed it, or when another connection wrote between the session's transactions.
    void Hold(bool writeLocked);
    void MayHaveChanged() { probe_ = true; }

    std::optional<ValueKind> KindOf(std::string_view table, std::string_view column) override;
    std::vector<ValueKind> KindsOf(std::string_view table) override;

  private:
    // Drops every kept shape when the schema has changed since they were read.
    void ForgetWhenChanged();
    TableShape Read(std::string_view table);

    sqlite3* db_;
    StatementHandle version_;
    int schemaVersion_ = -1;
    bool held_ = false;
    bool probe_ = true;
    unsigned dataVersion_ = 0;  // SQLite's count of the file's changes, when last held or let go
    std::unordered_map<std::string, TableShape> shapes_;  // by upper-cased name
};

}  // namespace db::embedded
