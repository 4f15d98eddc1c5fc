#include "db/embedded/server_objects.h"

#include "db/embedded/error_map.h"
#include "db/embedded/routine_catalogue.h"
#include "db/embedded/routine_natives.h"
#include "db/embedded/sqlite_handle.h"
#include "db/embedded/syscat_objects.h"
#include "db/embedded/syscat_procedures.h"

namespace db::embedded {

ServerObjects::ServerObjects(sqlite3* db, Schema& schema, std::string database)
    : db_(db), schema_(schema), database_(std::move(database)) {}

void ServerObjects::Prepare(const Program& program) {
    if (program.usesCatalogue) views_.Prepare(db_, database_);
    for (const std::string& name : program.routines) {
        if (const NativeRoutine* routine = FindNativeRoutine(name)) RequireRecorded(db_, *routine);
    }
}

bool ServerObjects::Holds(const Step& condition) {
    bool holds = false;
    QueryRows(db_, condition.sql, {},
              [&](sqlite3_stmt* s) { holds = sqlite3_column_int(s, 0) != 0; });
    return holds;
}

void ServerObjects::Run(const Step& step, ExecOutcome& outcome) {
    switch (step.kind) {
        case Step::Kind::CreateRoutine:
            return RecordRoutine(db_, RoutineRecord{step.name, step.routineKind, step.sql});
        case Step::Kind::DropRoutine:
            return RemoveRoutine(db_, step.name, step.routineKind == "P");
        case Step::Kind::CallRoutine:
            return Call(step, outcome);
        default:
            throw EngineError(ErrorNumber::kUnspecified, "not a routine step");
    }
}

void ServerObjects::Call(const Step& step, ExecOutcome& outcome) {
    if (IsAnsweredSystemProcedure(step.name)) {
        ProcedureContext context{schema_, database_};
        ExecOutcome result = RunSystemProcedure(step.name, step.arguments, context);
        if (!outcome.rows) outcome.rows = std::move(result.rows);
        return;
    }
    const std::optional<RoutineRecord> recorded = FindRoutine(db_, step.name);
    const ObjectKind* kind = recorded ? FindObjectKind(recorded->kind) : nullptr;
    if (kind == nullptr || !kind->procedure) {
        throw EngineError(ErrorNumber::kSyntax,
                          "Could not find stored procedure '" + step.name + "'.");
    }
    const NativeRoutine* native = FindNativeRoutine(step.name);
    if (native == nullptr || native->run == nullptr) {
        throw EngineError(ErrorNumber::kSyntax, "The embedded engine does not run the procedure '" +
                                                    recorded->name + "'.");
    }
    native->run(db_, step.arguments);
}

}  // namespace db::embedded
