#include "db/embedded/routine_catalogue.h"

#include "db/embedded/error_map.h"
#include "db/embedded/names.h"
#include "db/embedded/sqlite_handle.h"
#include "db/embedded/syscat_objects.h"
#include "db/embedded/token.h"

namespace db::embedded {
namespace {

std::string RoutineTable() {
    return "main." + QuoteName(kRoutineTable);
}

void CreateRoutineTable(sqlite3* db) {
    ExecPlain(db, "CREATE TABLE IF NOT EXISTS " + RoutineTable() +
                      " (name TEXT PRIMARY KEY COLLATE NOCASE, kind TEXT NOT NULL, "
                      "definition TEXT NOT NULL)");
}

}  // namespace

bool HasRoutineTable(sqlite3* db) {
    bool found = false;
    QueryRows(db, "SELECT 1 FROM main.sqlite_master WHERE type = 'table' AND name = ?1",
              {kRoutineTable}, [&](sqlite3_stmt*) { found = true; });
    return found;
}

std::optional<RoutineRecord> FindRoutine(sqlite3* db, std::string_view name) {
    std::optional<RoutineRecord> found;
    if (!HasRoutineTable(db)) return found;
    QueryRows(db, "SELECT name, kind, definition FROM " + RoutineTable() + " WHERE name = ?1",
              {name}, [&](sqlite3_stmt* s) {
                  found = RoutineRecord{ColumnText(s, 0), ColumnText(s, 1), ColumnText(s, 2)};
              });
    return found;
}

void RecordRoutine(sqlite3* db, const RoutineRecord& routine) {
    if (!ObjectKindOf(db, routine.name).empty()) {
        throw EngineError(ErrorNumber::kSyntax, "There is already an object named '" +
                                                    routine.name + "' in the database.");
    }
    CreateRoutineTable(db);
    QueryRows(db, "INSERT INTO " + RoutineTable() + " (name, kind, definition) VALUES (?1, ?2, ?3)",
              {routine.name, routine.kind, routine.definition}, [](sqlite3_stmt*) {});
}

void RemoveRoutine(sqlite3* db, std::string_view name, bool procedure) {
    const std::string sort = procedure ? "procedure" : "function";
    const std::optional<RoutineRecord> routine = FindRoutine(db, name);
    if (!routine) {
        throw EngineError(ErrorNumber::kSyntax, "Cannot drop the " + sort + " '" +
                                                    std::string(name) +
                                                    "', because it does not exist or you do "
                                                    "not have permission.");
    }
    const ObjectKind* kind = FindObjectKind(routine->kind);
    if (kind == nullptr || (procedure ? !kind->procedure : !kind->function)) {
        const std::string other = procedure ? "FUNCTION" : "PROCEDURE";
        throw EngineError(ErrorNumber::kSyntax, "Cannot use DROP " + UpperAscii(sort) + " with '" +
                                                    routine->name + "' because '" + routine->name +
                                                    "' is not a " + sort + ". Use DROP " + other +
                                                    ".");
    }
    QueryRows(db, "DELETE FROM " + RoutineTable() + " WHERE name = ?1", {routine->name},
              [](sqlite3_stmt*) {});
}

}  // namespace db::embedded
