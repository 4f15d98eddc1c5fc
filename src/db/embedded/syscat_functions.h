#pragma once
// SQL functions of the server kind's catalogue, registered on every connection of SQL Server mode
// and never stored in the schema:
//   OBJECT_ID(name [, type])       the id of a table, view or recorded routine; Null when none
//   COL_LENGTH(table, column)      the column's defined bytes; Null when there is no such column
//   COLUMNPROPERTY(id, column, p)  AllowsNull, ColumnId, IsIdentity, Precision, Scale, …; Null
//                                  for an unknown table, column or property
//   dp_datalength(value, type, column, tables)
//                                  DATALENGTH of value by the server type the translator found
//   dp_column_info(type, fact)     an INFORMATION_SCHEMA.COLUMNS or sys.columns fact of a type
//   dp_column_default(stored)      a default as the server's catalogue shows it
//   dp_key_constraint(create text, table, kind, index, fact)
//                                  the name of a PRIMARY KEY or UNIQUE constraint, or whether
//                                  the engine named it
//   dp_object_id(name)             the id the catalogue gives an object of that name
//   dp_column_fact(type, fact)     a syscolumns fact (xtype, type, length, xprec, xscale, prec)
//                                  of a column declared with type
//   dp_hidden_table(name)          1 for the engine's own tables
#include <sqlite3.h>

namespace db::embedded {

// Throws DbError when SQLite refuses a registration.
void RegisterCatalogueFunctions(sqlite3* db);

}  // namespace db::embedded
