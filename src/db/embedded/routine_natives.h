#pragma once
// The routines of the store software that SQL Server mode runs itself, once a routine of that
// name is recorded (CREATE FUNCTION and CREATE PROC keep only their text): the table-valued
// function FN_SPLIT_nth, the scalar function ConcatList and the procedure PR_NVMgt_U_StockReCalc.
#include <sqlite3.h>

#include <cstdint>
#include <string_view>
#include <vector>

#include "db/embedded/translator.h"

namespace db::embedded {

struct NativeRoutine {
    std::string_view name;
    bool procedure;
    std::int32_t missingNumber;    // the error of a call while no such routine is recorded
    std::string_view missingText;  // and its description
    // Runs the procedure; null for functions, which SQLite calls.
    void (*run)(sqlite3* db, const std::vector<CallArgument>& arguments);
};

// The native routine named name (any letter case); null when there is none.
const NativeRoutine* FindNativeRoutine(std::string_view name);

// Throws the routine's missing error unless a routine of its name and sort is recorded on db.
void RequireRecorded(sqlite3* db, const NativeRoutine& routine);

// Registers the native functions on db. Throws DbError when SQLite refuses a registration.
void RegisterNativeRoutines(sqlite3* db);

// The registrations, one per function source.
void RegisterSplitFunction(sqlite3* db);
void RegisterConcatList(sqlite3* db);

}  // namespace db::embedded
