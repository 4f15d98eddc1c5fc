#pragma once
// The rows of an executed statement, fetched one at a time from the driver. The cursor owns the
// statement (and through it keeps the connection open) until the last row or its destruction.
#include <memory>
#include <vector>

#include "db/odbc/link.h"
#include "db/session.h"

namespace db::odbc {

class OdbcRowCursor : public RowCursor {
  public:
    // Describes the result columns of an executed statement. Throws DbError.
    explicit OdbcRowCursor(Statement statement);

    const std::vector<FieldDesc>& Fields() const override { return fields_; }
    // Throws DbError when the driver fails to fetch or convert.
    bool Next(std::vector<util::Variant>& row) override;

  private:
    struct ColumnPlan {
        SQLSMALLINT sqlType;
        int scale;
    };

    util::Variant ReadValue(SQLUSMALLINT column);

    std::unique_ptr<Statement> statement_;  // released after the last row
    std::vector<FieldDesc> fields_;
    std::vector<ColumnPlan> plans_;
};

}  // namespace db::odbc
