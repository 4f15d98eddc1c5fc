#pragma once
// The names under which statements of the server kind read its system catalogue (SYSCOLUMNS,
// SYSOBJECTS, sys.objects, sys.columns, sys.key_constraints, INFORMATION_SCHEMA.TABLES and
// INFORMATION_SCHEMA.COLUMNS), and the connection's temporary views that answer them.
#include <string_view>

#include "db/embedded/token.h"

namespace db::embedded {

inline constexpr std::string_view kSysColumnsView = "dp_syscolumns";
inline constexpr std::string_view kSysObjectsView = "dp_sysobjects";
inline constexpr std::string_view kSysObjectsCatalogView = "dp_sys_objects";
inline constexpr std::string_view kSysColumnsCatalogView = "dp_sys_columns";
inline constexpr std::string_view kKeyConstraintsView = "dp_sys_key_constraints";
inline constexpr std::string_view kSchemaTablesView = "dp_information_schema_tables";
inline constexpr std::string_view kSchemaColumnsView = "dp_information_schema_columns";

// Replaces every catalogue name in tokens ([owner.]SYSCOLUMNS, [owner.]SYSOBJECTS, sys.objects,
// sys.columns, sys.key_constraints, INFORMATION_SCHEMA.TABLES, INFORMATION_SCHEMA.COLUMNS) by the
// name of its view. True when a name was replaced.
bool MapSystemCatalogue(Tokens& tokens);

}  // namespace db::embedded
