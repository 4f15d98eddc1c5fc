#include "db/embedded/value_reader.h"

#include <string>

#include "db/embedded/date_text.h"
#include "db/embedded/sqlite_handle.h"
#include "db/schema.h"
#include "util/date_serial.h"

namespace db::embedded {
namespace {

// A value by its storage class alone.
util::Variant ReadStored(sqlite3_stmt* stmt, int i) {
    switch (sqlite3_column_type(stmt, i)) {
        case SQLITE_INTEGER:
            return util::Variant(static_cast<std::int64_t>(sqlite3_column_int64(stmt, i)));
        case SQLITE_FLOAT:
            return util::Variant(sqlite3_column_double(stmt, i));
        case SQLITE_NULL:
            return util::Variant::MakeNull();
        default:
            return util::Variant(ColumnText(stmt, i));
    }
}

util::Variant ReadDate(sqlite3_stmt* stmt, int i, int type) {
    if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
        return util::Variant(util::DateTime{sqlite3_column_double(stmt, i)});
    }
    const std::string text = ColumnText(stmt, i);
    const std::optional<DateText> date = ParseDateText(text);
    return date ? util::Variant(util::MakeDateTime(date->time)) : util::Variant(text);
}

util::Variant ReadCurrency(sqlite3_stmt* stmt, int i, int type) {
    if (type == SQLITE_INTEGER) {
        return util::Variant(util::Currency{sqlite3_column_int64(stmt, i) * 10000});
    }
    return util::Variant(util::Currency::FromDouble(sqlite3_column_double(stmt, i)));
}

int StoredAdoType(int storageClass) {
    switch (storageClass) {
        case SQLITE_INTEGER:
            return AdoType::kInteger;
        case SQLITE_FLOAT:
            return AdoType::kDouble;
        case SQLITE_BLOB:
            return AdoType::kBinary;
        default:
            return AdoType::kVarWChar;
    }
}

}  // namespace

util::Variant ReadValue(sqlite3_stmt* stmt, int i, const ColumnReader& reader) {
    const int type = sqlite3_column_type(stmt, i);
    if (type == SQLITE_NULL) return util::Variant::MakeNull();
    const bool numeric = type == SQLITE_INTEGER || type == SQLITE_FLOAT;
    if (!reader.declared) return ReadStored(stmt, i);
    switch (reader.kind) {
        case ValueKind::Text:
        case ValueKind::Binary:
            return util::Variant(ColumnText(stmt, i));
        case ValueKind::Currency:
            return numeric ? ReadCurrency(stmt, i, type) : ReadStored(stmt, i);
        case ValueKind::Bool:
            return numeric ? util::Variant(sqlite3_column_double(stmt, i) != 0)
                           : ReadStored(stmt, i);
        case ValueKind::Date:
            return ReadDate(stmt, i, type);
        case ValueKind::Integer:
        case ValueKind::Double:
        case ValueKind::Decimal:
            if (type == SQLITE_INTEGER && reader.kind != ValueKind::Integer) {
                return util::Variant(sqlite3_column_double(stmt, i));
            }
            return ReadStored(stmt, i);
    }
    return ReadStored(stmt, i);
}

ResultShape DescribeResult(sqlite3_stmt* stmt, bool hasRow, Dialect dialect) {
    ResultShape shape;
    const int count = sqlite3_column_count(stmt);
    for (int i = 0; i < count; ++i) {
        FieldDesc field;
        const char* name = sqlite3_column_name(stmt, i);
        field.name = name != nullptr ? name : "";
        ColumnReader reader;
        if (const char* decl = sqlite3_column_decltype(stmt, i)) {
            const DeclaredType type = ParseStoredType(decl);
            reader = ColumnReader{true, type.Kind()};
            field.adoType = type.AdoType(dialect);
            field.size = type.size;
        } else if (hasRow) {
            field.adoType = StoredAdoType(sqlite3_column_type(stmt, i));
        }
        shape.fields.push_back(std::move(field));
        shape.readers.push_back(reader);
    }
    return shape;
}

}  // namespace db::embedded
