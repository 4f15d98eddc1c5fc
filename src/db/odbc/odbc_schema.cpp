#include "db/odbc/odbc_schema.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "db/ascii_text.h"
#include "db/odbc/column_types.h"

namespace db::odbc {
namespace {

using CatalogRow = std::vector<std::optional<std::string>>;

// The result columns that the catalog functions define, by ordinal.
namespace Col {
inline constexpr int kTableSchema = 2, kTableName = 3;
inline constexpr int kTablesType = 4;
inline constexpr int kColumnName = 4, kDataType = 5, kTypeName = 6, kColumnSize = 7, kNullable = 11,
                     kColumnDefault = 13;
inline constexpr int kNonUnique = 4, kIndexName = 6, kStatisticType = 7, kIndexColumn = 9;
inline constexpr int kKeyColumn = 4, kKeySequence = 5, kKeyName = 6;
}  // namespace Col

// All rows of a catalog result, the first columnCount columns of each as text.
std::vector<CatalogRow> ReadCatalog(Statement& statement, SQLRETURN callResult, int columnCount) {
    statement.Check(callResult);
    std::vector<CatalogRow> rows;
    for (;;) {
        const SQLRETURN rc = SQLFetch(statement.Get());
        if (rc == SQL_NO_DATA) break;
        statement.Check(rc);
        CatalogRow row(columnCount);
        for (int column = 1; column <= columnCount; ++column) {
            statement.Check(statement.Text().GetText(
                statement.Get(), static_cast<SQLUSMALLINT>(column), row[column - 1]));
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string Text(const CatalogRow& row, int ordinal) {
    return row[ordinal - 1].value_or("");
}

long long Number(const CatalogRow& row, int ordinal, long long fallback) {
    const std::string text = Text(row, ordinal);
    long long value = fallback;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return (ec == std::errc() && end == text.data() + text.size()) ? value : fallback;
}

bool SameTable(const CatalogRow& row, const std::string& table) {
    return EqualsNoCase(Text(row, Col::kTableName), table);
}

// Rows of the named table only, and of the first schema that has one: a pattern may match
// other names, and a server may hold the name in several schemas.
std::vector<CatalogRow> RowsOfTable(std::vector<CatalogRow> rows, const std::string& table) {
    std::erase_if(rows, [&](const CatalogRow& row) { return !SameTable(row, table); });
    if (!rows.empty()) {
        const std::string schema = Text(rows.front(), Col::kTableSchema);
        std::erase_if(
            rows, [&](const CatalogRow& row) { return Text(row, Col::kTableSchema) != schema; });
    }
    return rows;
}

[[noreturn]] void ThrowTableMissing() {
    throw DbError(ErrorNumber::kItemNotFound, kItemNotFoundText, kEngineSource);
}

ColumnInfo ColumnFrom(const CatalogRow& row) {
    const std::string reportedType = Text(row, Col::kTypeName);
    const TypeName type = SplitTypeName(reportedType);
    ColumnInfo column;
    column.name = Text(row, Col::kColumnName);
    column.typeName = type.name;
    column.identity = type.identity;
    column.adoType = AdoTypeFor(
        static_cast<SQLSMALLINT>(Number(row, Col::kDataType, SQL_UNKNOWN_TYPE)), reportedType);
    // A size written in the type name is the declared one (the SQLite driver's way).
    column.size =
        type.size > 0 ? type.size : DeclaredSize(column.adoType, Number(row, Col::kColumnSize, 0));
    column.nullable = Number(row, Col::kNullable, SQL_NULLABLE) != SQL_NO_NULLS;
    column.defaultText = row[Col::kColumnDefault - 1];
    return column;
}

bool SameColumns(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    return std::equal(
        a.begin(), a.end(), b.begin(), b.end(),
        [](const std::string& x, const std::string& y) { return EqualsNoCase(x, y); });
}

// Marks the index that carries the primary key: the one of the key's name, or, for drivers
// that do not name the key, the first unique index over exactly the key's columns.
void MarkPrimaryKey(std::vector<IndexInfo>& indexes, const std::vector<CatalogRow>& keyRows) {
    std::vector<CatalogRow> rows = keyRows;
    std::sort(rows.begin(), rows.end(), [](const CatalogRow& a, const CatalogRow& b) {
        return Number(a, Col::kKeySequence, 0) < Number(b, Col::kKeySequence, 0);
    });
    std::vector<std::string> keyColumns;
    std::string keyName;
    for (const CatalogRow& row : rows) {
        keyColumns.push_back(Text(row, Col::kKeyColumn));
        if (keyName.empty()) keyName = Text(row, Col::kKeyName);
    }
    if (keyColumns.empty()) return;
    for (IndexInfo& index : indexes) {
        const bool match = keyName.empty() ? index.unique && SameColumns(index.columns, keyColumns)
                                           : EqualsNoCase(index.name, keyName);
        if (match) {
            index.primaryKey = true;
            return;
        }
    }
}

}  // namespace

std::vector<TableInfo> OdbcSchema::Tables() {
    Statement statement(link_);
    std::vector<TableInfo> tables;
    for (const CatalogRow& row :
         ReadCatalog(statement, statement.Text().Tables(statement.Get(), nullptr), 4)) {
        tables.push_back(TableInfo{Text(row, Col::kTableName), Text(row, Col::kTablesType)});
    }
    return tables;
}

std::vector<ColumnInfo> OdbcSchema::Columns(const std::string& table) {
    Statement statement(link_);
    const std::string pattern = Pattern(table);
    std::vector<CatalogRow> rows = RowsOfTable(
        ReadCatalog(statement, statement.Text().Columns(statement.Get(), pattern), 13), table);
    if (rows.empty()) ThrowTableMissing();
    std::vector<ColumnInfo> columns;
    for (const CatalogRow& row : rows) columns.push_back(ColumnFrom(row));
    return columns;
}

std::vector<IndexInfo> OdbcSchema::Indexes(const std::string& table) {
    std::vector<CatalogRow> rows;
    try {
        Statement statement(link_);
        rows = RowsOfTable(
            ReadCatalog(statement, statement.Text().Statistics(statement.Get(), table), 9), table);
    } catch (const DbError&) {
        // Some drivers refuse the call for a table they do not have.
        if (!HasTable(table)) ThrowTableMissing();
        throw;
    }
    std::erase_if(rows, [](const CatalogRow& row) {
        return Number(row, Col::kStatisticType, SQL_TABLE_STAT) == SQL_TABLE_STAT ||
               !row[Col::kIndexName - 1];
    });
    if (rows.empty() && !HasTable(table)) ThrowTableMissing();
    std::vector<IndexInfo> indexes;
    for (const CatalogRow& row : rows) {
        const std::string name = Text(row, Col::kIndexName);
        auto index = std::find_if(indexes.begin(), indexes.end(),
                                  [&](const IndexInfo& i) { return i.name == name; });
        if (index == indexes.end()) {
            index = indexes.insert(
                indexes.end(), IndexInfo{name, {}, Number(row, Col::kNonUnique, 1) == 0, false});
        }
        index->columns.push_back(Text(row, Col::kIndexColumn));
    }
    Statement keys(link_);
    MarkPrimaryKey(
        indexes,
        RowsOfTable(ReadCatalog(keys, keys.Text().PrimaryKeys(keys.Get(), table), 6), table));
    return indexes;
}

bool OdbcSchema::HasTable(const std::string& table) {
    Statement statement(link_);
    const std::string pattern = Pattern(table);
    return !RowsOfTable(
                ReadCatalog(statement, statement.Text().Tables(statement.Get(), &pattern), 4),
                table)
                .empty();
}

std::string OdbcSchema::Pattern(const std::string& name) {
    if (!escapeKnown_) {
        escape_ = link_->Text().InfoText(link_->Dbc(), SQL_SEARCH_PATTERN_ESCAPE);
        escapeKnown_ = true;
    }
    if (escape_.empty()) return name;  // no escape: the exact-name filter sorts out the rest
    std::string pattern;
    for (const char c : name) {
        if (c == '_' || c == '%' || escape_ == std::string(1, c)) pattern += escape_;
        pattern += c;
    }
    return pattern;
}

}  // namespace db::odbc
