#pragma once
// The system procedures of the server kind that the store software reads (sp_tables,
// sp_columns, sp_helpindex), answered from the schema with the columns the server returns.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/embedded/translator.h"
#include "db/schema.h"
#include "db/session.h"

namespace db::embedded {

// What a system procedure sees of its database.
struct ProcedureContext {
    Schema& schema;
    std::string database;  // TABLE_QUALIFIER
};

// True when name (any letter case) is a system procedure that the engine answers.
bool IsAnsweredSystemProcedure(std::string_view name);

// Runs the system procedure name. sp_helpindex of a table without indexes gives no result, as
// the server's does. Throws DbError 0x80040E14 for arguments the procedure does not take and for
// sp_helpindex of a missing table.
ExecOutcome RunSystemProcedure(std::string_view name, const std::vector<CallArgument>& arguments,
                               ProcedureContext& context);

}  // namespace db::embedded
