#pragma once
// Schema changes that SQLite cannot make in place: a column defined anew (ALTER COLUMN) and a
// primary key added to a table. Both rebuild the table in one transaction: a new table is
// created, the rows copied (which checks them against the new definition), the old table
// dropped, the new one renamed and the indexes made again. Data, indexes, the primary key and
// the defaults are kept; on any failure nothing changes.
#include <sqlite3.h>

#include "db/embedded/table_shape.h"
#include "db/embedded/translator.h"

namespace db::embedded {

// Step kind AlterColumn: step.table, step.name, step.sql (the new column definition, written for
// SQLite), step.notNull. Throws DbError: 0x80040E37 for a missing table, 0x80040E14 for a missing
// column, 0x80040E57 when a value is longer than the new size, 0x80040E2F when NOT NULL meets
// Null.
void AlterColumn(sqlite3* db, TableShapes& shapes, Dialect dialect, const Step& step);

// Runs sql, an ALTER TABLE … ADD COLUMN of a column with a length check, without letting SQLite
// read every row to check the table; false when it is of another form, or the rows would not pass
// the check, and nothing ran. Throws DbError as SQLite does.
bool AddColumnWithoutScan(sqlite3* db, const std::string& sql);

// Step kind AddPrimaryKey: step.table, step.name (the constraint), step.columns, step.sql (the
// table constraint). Throws DbError 0x80040E37 for a missing table; for a table that has a key,
// a missing column, a column that allows Null, Null values or duplicate keys: 0x80040E14 on the
// server kind (as the server reports the failed CREATE UNIQUE INDEX), 0x80040E14 or 0x80040E2F
// in Jet (duplicates and Null values violate the key).
void AddPrimaryKey(sqlite3* db, TableShapes& shapes, Dialect dialect, const Step& step);

// Step kind AddDefault (server kind): step.table, step.name (the constraint, empty for a name the
// server makes up), step.columns (the one column), step.sql (the default as SQLite keeps it).
// Throws DbError 0x80040E37 for a missing table; 0x80040E14 for a missing column or one that has
// a default already.
void AddDefault(sqlite3* db, TableShapes& shapes, Dialect dialect, const Step& step);

// Step kind DropConstraint (server kind): step.table, step.name. Drops the DEFAULT constraint of
// that name. Throws DbError 0x80040E37 for a missing table, 0x80040E14 when no constraint has the
// name (or it names a key or check, which the engine does not drop).
void DropConstraint(sqlite3* db, TableShapes& shapes, Dialect dialect, const Step& step);

// The name of the DEFAULT constraint of column in table: as declared, or for a default declared
// without one the name the server would make up (DF__table__colum__hash); empty when the column
// has no default or the table or column does not exist.
std::string DefaultConstraintName(TableShapes& shapes, const std::string& table,
                                  const std::string& column);

}  // namespace db::embedded
