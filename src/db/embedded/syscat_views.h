#pragma once
// The temporary views of one connection that answer the server kind's catalogue (SYSCOLUMNS,
// SYSOBJECTS, sys.objects, sys.columns, sys.key_constraints, INFORMATION_SCHEMA.TABLES and
// INFORMATION_SCHEMA.COLUMNS). They live in the connection's temp schema, never in the file, and
// read SQLite's own catalogue when queried; they are rebuilt when the routine table appears or
// goes, since only then does their text change, and when a rolled-back transaction took them.
#include <sqlite3.h>

#include <string>

namespace db::embedded {

class CatalogueViews {
  public:
    // Creates or rebuilds the views of db as needed; database is the name the catalogue gives
    // (TABLE_CATALOG). Throws DbError.
    void Prepare(sqlite3* db, const std::string& database);

  private:
    bool built_ = false;
    bool withRoutines_ = false;
};

}  // namespace db::embedded
