#pragma once
// Values and field descriptions of result rows. A column that SQLite can trace to a table column
// is read by that column's declared type (MONEY as currency, DATETIME as a date, BIT as a
// boolean); other columns by the storage class of each value.
#include <sqlite3.h>

#include <vector>

#include "db/embedded/type_map.h"
#include "db/session.h"
#include "util/variant.h"

namespace db::embedded {

struct ColumnReader {
    bool declared = false;
    ValueKind kind = ValueKind::Text;
};

// The value of column i of the current row of stmt.
util::Variant ReadValue(sqlite3_stmt* stmt, int i, const ColumnReader& reader);

struct ResultShape {
    std::vector<FieldDesc> fields;
    std::vector<ColumnReader> readers;
};

// Describes the result columns of stmt; when stmt stands on a row (hasRow), columns without a
// declared type are described by that row's values.
ResultShape DescribeResult(sqlite3_stmt* stmt, bool hasRow, Dialect dialect);

}  // namespace db::embedded
