#pragma once
// What SQL Server mode adds to a session: the catalogue views, the recorded routines and the
// calls of procedures (system procedures and the native ones). The session hands it the steps of
// those kinds.
#include <sqlite3.h>

#include <string>

#include "db/embedded/syscat_views.h"
#include "db/embedded/translator.h"
#include "db/schema.h"
#include "db/session.h"

namespace db::embedded {

class ServerObjects {
  public:
    // db and schema must outlive the object; database is the name the catalogue reports.
    ServerObjects(sqlite3* db, Schema& schema, std::string database);

    // Before program runs: the catalogue views are current when it reads them, and every
    // routine it calls is recorded (else the routine's error, DbError).
    void Prepare(const Program& program);

    // Whether the steps that a SkipUnless step guards run.
    bool Holds(const Step& condition);

    // Runs a CreateRoutine, DropRoutine or CallRoutine step. Throws DbError.
    void Run(const Step& step, ExecOutcome& outcome);

  private:
    void Call(const Step& step, ExecOutcome& outcome);

    sqlite3* db_;
    Schema& schema_;
    std::string database_;
    CatalogueViews views_;
};

}  // namespace db::embedded
