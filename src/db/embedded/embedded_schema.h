#pragma once
// The schema questions of the embedded engine, answered from SQLite's catalogue (sqlite_master
// and the table_info/index_list pragmas); the engine's own table is never reported.
#include <sqlite3.h>

#include <functional>

#include "db/schema.h"
#include "db/session.h"

namespace db::embedded {

class EmbeddedSchema : public Schema {
  public:
    // db must outlive the schema; ensureAlive runs before every question and throws when the
    // session has lost its file.
    EmbeddedSchema(sqlite3* db, Dialect dialect, std::function<void()> ensureAlive);

    std::vector<TableInfo> Tables() override;
    std::vector<ColumnInfo> Columns(const std::string& table) override;
    // Every index of the table, the primary key among them; empty for a missing table.
    std::vector<IndexInfo> Indexes(const std::string& table) override;

  private:
    sqlite3* db_;
    Dialect dialect_;
    std::function<void()> ensureAlive_;
};

}  // namespace db::embedded
