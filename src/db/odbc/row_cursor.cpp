#include "db/odbc/row_cursor.h"

#include "db/odbc/column_types.h"

namespace db::odbc {

OdbcRowCursor::OdbcRowCursor(Statement statement)
    : statement_(std::make_unique<Statement>(std::move(statement))) {
    SQLSMALLINT count = 0;
    statement_->Check(SQLNumResultCols(statement_->Get(), &count));
    for (SQLUSMALLINT column = 1; column <= count; ++column) {
        ColumnShape shape;
        statement_->Check(statement_->Text().DescribeColumn(statement_->Get(), column, shape));
        FieldDesc field;
        field.adoType =
            AdoTypeFor(shape.sqlType, statement_->Text().ColumnTypeName(statement_->Get(), column));
        field.size = DeclaredSize(field.adoType, static_cast<long long>(shape.size));
        field.name = std::move(shape.name);
        fields_.push_back(std::move(field));
        plans_.push_back(ColumnPlan{shape.sqlType, shape.scale});
    }
}

bool OdbcRowCursor::Next(std::vector<util::Variant>& row) {
    if (!statement_) return false;
    const SQLRETURN rc = SQLFetch(statement_->Get());
    if (rc == SQL_NO_DATA) {
        statement_.reset();
        return false;
    }
    statement_->Check(rc);
    row.clear();
    row.reserve(fields_.size());
    for (SQLUSMALLINT column = 1; column <= fields_.size(); ++column) {
        row.push_back(ReadValue(column));
    }
    return true;
}

util::Variant OdbcRowCursor::ReadValue(SQLUSMALLINT column) {
    const ColumnPlan& plan = plans_[column - 1];
    if (ReadsAsDouble(plan.sqlType)) {
        double value = 0;
        SQLLEN indicator = 0;
        statement_->Check(
            SQLGetData(statement_->Get(), column, SQL_C_DOUBLE, &value, sizeof value, &indicator));
        if (indicator == SQL_NULL_DATA) return util::Variant::MakeNull();
        return util::Variant(value);
    }
    std::optional<std::string> text;
    statement_->Check(statement_->Text().GetText(statement_->Get(), column, text));
    if (!text) return util::Variant::MakeNull();
    return DecodeText(fields_[column - 1].adoType, plan.scale, std::move(*text));
}

}  // namespace db::odbc
