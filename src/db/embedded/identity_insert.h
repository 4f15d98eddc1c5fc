#pragma once
// Numbering of identity columns (IDENTITY(seed, increment) of the server kind, COUNTER and
// AUTOINCREMENT of Jet): an INSERT that leaves the column out is run with the column numbered on
// from the greatest number in the table (the seed for the first row), one increment per row.
#include <string>

#include "db/embedded/table_shape.h"
#include "db/embedded/translator.h"

namespace db::embedded {

// The SQLite text that runs the Insert step on a table of this shape: step.sql when the table
// has no identity column or the statement gives a counter's value. Throws DbError 0x80040E14 when
// the statement names an identity column of the server kind.
std::string IdentityInsertSql(const TableShape& shape, const Step& step);

}  // namespace db::embedded
