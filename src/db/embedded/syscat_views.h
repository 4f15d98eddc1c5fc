#pragma once
// The temporary views of one connection that answer the server kind's catalogue (SYSCOLUMNS,
// SYSOBJECTS, sys.objects). They live in the connection's temp schema, never in the file, and
// read SQLite's own catalogue when queried; they are rebuilt when the routine table appears or
// goes, since only then does their text change, and when a rolled-back transaction took them.
#include <sqlite3.h>

namespace db::embedded {

class CatalogueViews {
  public:
    // Creates or rebuilds the views of db as needed. Throws DbError.
    void Prepare(sqlite3* db);

  private:
    bool built_ = false;
    bool withRoutines_ = false;
};

}  // namespace db::embedded
