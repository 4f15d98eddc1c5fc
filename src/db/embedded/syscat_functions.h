#pragma once
// SQL functions of the server kind's catalogue, registered on every connection of SQL Server mode
// and never stored in the schema:
//   OBJECT_ID(name [, type])       the id of a table, view or recorded routine; Null when none
//   dp_object_id(name)             the id the catalogue gives an object of that name
//   dp_column_fact(type, fact)     a syscolumns fact (xtype, type, length, xprec, xscale, prec)
//                                  of a column declared with type
//   dp_hidden_table(name)          1 for the engine's own tables
#include <sqlite3.h>

namespace db::embedded {

// Throws DbError when SQLite refuses a registration.
void RegisterCatalogueFunctions(sqlite3* db);

}  // namespace db::embedded
