#pragma once
// The functions and procedures of the server kind, kept in the engine's routine table of the
// database (created with the first routine; hidden from every listing): name, kind code and the
// CREATE text as it was given.
#include <sqlite3.h>

#include <optional>
#include <string>
#include <string_view>

namespace db::embedded {

struct RoutineRecord {
    std::string name;
    std::string kind;  // "FN", "IF", "TF" or "P" (see syscat_objects.h)
    std::string definition;
};

// True once the database holds its routine table. Throws DbError when db cannot be read.
bool HasRoutineTable(sqlite3* db);

// The routine named name (any letter case); empty when none is recorded.
std::optional<RoutineRecord> FindRoutine(sqlite3* db, std::string_view name);

// Records routine. Throws DbError 0x80040E14 when an object (table, view or routine) of that
// name exists.
void RecordRoutine(sqlite3* db, const RoutineRecord& routine);

// Removes the function (procedure false) or procedure named name. Throws DbError 0x80040E14
// when no routine of that name and sort is recorded.
void RemoveRoutine(sqlite3* db, std::string_view name, bool procedure);

}  // namespace db::embedded
