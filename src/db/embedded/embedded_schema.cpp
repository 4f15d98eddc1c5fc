#include "db/embedded/embedded_schema.h"

#include <algorithm>

#include "db/embedded/error_map.h"
#include "db/embedded/names.h"
#include "db/embedded/sqlite_handle.h"
#include "db/embedded/token.h"
#include "db/embedded/type_map.h"

namespace db::embedded {
namespace {

// The name of the primary key constraint as the CREATE TABLE text gives it ("CONSTRAINT n
// PRIMARY KEY"); otherwise the name each dialect gives an unnamed key.
std::string PrimaryKeyName(sqlite3* db, const std::string& table, Dialect dialect) {
    std::string sql;
    QueryRows(db, "SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ?1 COLLATE NOCASE",
              {table}, [&](sqlite3_stmt* s) { sql = ColumnText(s, 0); });
    const Tokens t = Tokenize(sql);
    for (std::size_t i = 0; i + 3 < t.size(); ++i) {
        if (t[i].Is("CONSTRAINT") && t[i + 2].Is("PRIMARY") && t[i + 3].Is("KEY")) {
            return t[i + 1].value;
        }
    }
    return dialect == Dialect::Jet ? "PrimaryKey" : "PK_" + table;
}

}  // namespace

EmbeddedSchema::EmbeddedSchema(sqlite3* db, Dialect dialect, std::function<void()> ensureAlive)
    : db_(db), dialect_(dialect), ensureAlive_(std::move(ensureAlive)) {}

std::vector<TableInfo> EmbeddedSchema::Tables() {
    ensureAlive_();
    std::vector<TableInfo> tables;
    QueryRows(db_,
              "SELECT name, type FROM sqlite_master WHERE type IN ('table', 'view') ORDER BY name",
              {}, [&](sqlite3_stmt* s) {
                  TableInfo info;
                  info.name = ColumnText(s, 0);
                  info.type = ColumnText(s, 1) == "view" ? "VIEW" : "TABLE";
                  if (!IsHiddenTable(info.name)) tables.push_back(std::move(info));
              });
    return tables;
}

std::vector<ColumnInfo> EmbeddedSchema::Columns(const std::string& table) {
    ensureAlive_();
    std::vector<ColumnInfo> columns;
    if (!IsHiddenTable(table)) {
        QueryRows(db_, "SELECT name, type, \"notnull\", dflt_value, pk FROM pragma_table_info(?1)",
                  {table}, [&](sqlite3_stmt* s) {
                      const DeclaredType type = ParseStoredType(ColumnText(s, 1));
                      ColumnInfo c;
                      c.name = ColumnText(s, 0);
                      c.typeName = type.name;
                      c.size = type.size;
                      c.nullable = sqlite3_column_int(s, 2) == 0 && sqlite3_column_int(s, 4) == 0;
                      c.adoType = type.AdoType(dialect_);
                      if (sqlite3_column_type(s, 3) != SQLITE_NULL)
                          c.defaultText = ColumnText(s, 3);
                      c.identity = !type.identity.empty();
                      columns.push_back(std::move(c));
                  });
    }
    if (columns.empty()) {
        throw EngineError(3265,
                          "Item cannot be found in the collection corresponding to the requested "
                          "name or ordinal.");
    }
    return columns;
}

std::vector<IndexInfo> EmbeddedSchema::Indexes(const std::string& table) {
    ensureAlive_();
    std::vector<IndexInfo> indexes;
    if (IsHiddenTable(table)) return indexes;
    QueryRows(db_, "SELECT name, \"unique\", origin FROM pragma_index_list(?1)", {table},
              [&](sqlite3_stmt* s) {
                  IndexInfo info;
                  const std::string stored = ColumnText(s, 0);
                  info.unique = sqlite3_column_int(s, 1) != 0;
                  info.primaryKey = ColumnText(s, 2) == "pk";
                  info.name = info.primaryKey ? PrimaryKeyName(db_, table, dialect_)
                                              : VisibleIndexName(table, stored);
                  QueryRows(db_, "SELECT name FROM pragma_index_info(?1) ORDER BY seqno", {stored},
                            [&](sqlite3_stmt* c) { info.columns.push_back(ColumnText(c, 0)); });
                  indexes.push_back(std::move(info));
              });
    // An INTEGER PRIMARY KEY is the row id itself and has no index of its own.
    const bool hasKey = std::any_of(indexes.begin(), indexes.end(),
                                    [](const IndexInfo& i) { return i.primaryKey; });
    if (!hasKey) {
        IndexInfo key;
        QueryRows(db_, "SELECT name FROM pragma_table_info(?1) WHERE pk > 0 ORDER BY pk", {table},
                  [&](sqlite3_stmt* s) { key.columns.push_back(ColumnText(s, 0)); });
        if (!key.columns.empty()) {
            key.name = PrimaryKeyName(db_, table, dialect_);
            key.unique = key.primaryKey = true;
            indexes.push_back(std::move(key));
        }
    }
    std::sort(indexes.begin(), indexes.end(),
              [](const IndexInfo& a, const IndexInfo& b) { return a.name < b.name; });
    return indexes;
}

}  // namespace db::embedded
