#include "db/embedded/routine_natives.h"

#include <array>

#include "db/embedded/call_arguments.h"
#include "db/embedded/error_map.h"
#include "db/embedded/routine_catalogue.h"
#include "db/embedded/routine_stock_recalc.h"
#include "db/embedded/syscat_objects.h"
#include "db/embedded/token.h"

namespace db::embedded {
namespace {

void RunStockRecalc(sqlite3* db, const std::vector<CallArgument>& arguments) {
    const auto values = BindArguments("PR_NVMgt_U_StockReCalc", {{"Para1st", true}}, arguments);
    // The procedure reads its parameter through the split function, which must be there too.
    RequireRecorded(db, *FindNativeRoutine("FN_SPLIT_nth"));
    RecalculateStock(db, values[0].value_or(""));
}

constexpr std::array kNatives{
    NativeRoutine{"FN_SPLIT_nth", false, ErrorNumber::kTableMissing,
                  "Invalid object name 'dbo.FN_SPLIT_nth'.", nullptr},
    NativeRoutine{"ConcatList", false, ErrorNumber::kSyntax,
                  "Cannot find either column \"dbo\" or the user-defined function or aggregate "
                  "\"dbo.ConcatList\", or the name is ambiguous.",
                  nullptr},
    NativeRoutine{"PR_NVMgt_U_StockReCalc", true, ErrorNumber::kSyntax,
                  "Could not find stored procedure 'PR_NVMgt_U_StockReCalc'.", RunStockRecalc},
};

}  // namespace

const NativeRoutine* FindNativeRoutine(std::string_view name) {
    for (const NativeRoutine& routine : kNatives) {
        if (EqualsNoCase(routine.name, name)) return &routine;
    }
    return nullptr;
}

void RequireRecorded(sqlite3* db, const NativeRoutine& routine) {
    const std::optional<RoutineRecord> recorded = FindRoutine(db, routine.name);
    const ObjectKind* kind = recorded ? FindObjectKind(recorded->kind) : nullptr;
    if (kind != nullptr && (routine.procedure ? kind->procedure : kind->function)) return;
    throw EngineError(routine.missingNumber, std::string(routine.missingText));
}

void RegisterNativeRoutines(sqlite3* db) {
    RegisterSplitFunction(db);
    RegisterConcatList(db);
}

}  // namespace db::embedded
