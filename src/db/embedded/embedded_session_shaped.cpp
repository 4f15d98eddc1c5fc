// The steps of a session that need the shape of their table: ALTER COLUMN, ADD PRIMARY KEY, ADD
// DEFAULT and DROP CONSTRAINT (table rebuilds) and INSERT (identity numbering).
#include "db/embedded/embedded_session.h"
#include "db/embedded/error_map.h"
#include "db/embedded/identity_insert.h"
#include "db/embedded/table_rebuild.h"

namespace db::embedded {

void EmbeddedSession::RunShapedStep(const Step& step, ExecOutcome& outcome) {
    try {
        switch (step.kind) {
            case Step::Kind::AlterColumn:
                return AlterColumn(db_.get(), shapes_, dialect_, step);
            case Step::Kind::AddPrimaryKey:
                return AddPrimaryKey(db_.get(), shapes_, dialect_, step);
            case Step::Kind::AddDefault:
                return AddDefault(db_.get(), shapes_, dialect_, step);
            case Step::Kind::DropConstraint:
                return DropConstraint(db_.get(), shapes_, dialect_, step);
            default:
                break;
        }
    } catch (const DbError& e) {
        throw ForDialect(e, dialect_);
    }
    // A missing table is left to SQLite, which names it.
    const TableShape* shape = shapes_.Find(step.table);
    RunSql(shape == nullptr ? step.sql : IdentityInsertSql(*shape, step), true, outcome, false,
           &step.parameters);
}

}  // namespace db::embedded
