#include "db/embedded/char_padding.h"

#include "db/embedded/names.h"
#include "db/embedded/sqlite_handle.h"
#include "db/schema.h"

namespace db::embedded {
namespace {

std::string TriggerName(std::string_view table, std::string_view column, char event) {
    return QuoteName("dp_pad_" + std::string(table) + "." + std::string(column) + "_" + event);
}

// The length of value as the column counts it (the measure of the column's length check).
std::string Measure(const std::string& value, FixedText fixed) {
    if (!fixed.bytes) return "length(" + value + ")";
    return "(length(" + value + ") + (length(CAST(" + value + " AS BLOB)) - length(" + value +
           ")) / 2)";
}

std::string NeedsPadding(const std::string& value, FixedText fixed) {
    return value + " IS NOT NULL AND " + Measure(value, fixed) + " < " + std::to_string(fixed.size);
}

std::string Padded(const std::string& value, FixedText fixed) {
    return value + " || substr(" +
           QuoteText(std::string(static_cast<std::size_t>(fixed.size), ' ')) + ", 1, " +
           std::to_string(fixed.size) + " - " + Measure(value, fixed) + ")";
}

std::string PadRow(std::string_view table, std::string_view column, FixedText fixed) {
    const std::string name = QuoteName(column);
    return "UPDATE " + QuoteName(table) + " SET " + name + " = " + Padded(name, fixed) +
           " WHERE rowid = NEW.rowid;";
}

}  // namespace

std::optional<FixedText> FixedTextOf(const DeclaredType& type, Dialect dialect) {
    if (dialect == Dialect::Jet || type.max || type.size <= 0) return std::nullopt;
    const int ado = type.AdoType(dialect);
    if (ado != AdoType::kChar && ado != AdoType::kWChar) return std::nullopt;
    return FixedText{type.size, ado == AdoType::kChar};
}

std::vector<std::string> PaddingTriggers(std::string_view table, std::string_view column,
                                         FixedText fixed) {
    const std::string when = " FOR EACH ROW WHEN " +
                             NeedsPadding("NEW." + QuoteName(column), fixed) + " BEGIN " +
                             PadRow(table, column, fixed) + " END";
    std::vector<std::string> sql = DropPadding(table, column);
    sql.push_back("CREATE TRIGGER " + TriggerName(table, column, 'i') + " AFTER INSERT ON " +
                  QuoteName(table) + when);
    sql.push_back("CREATE TRIGGER " + TriggerName(table, column, 'u') + " AFTER UPDATE OF " +
                  QuoteName(column) + " ON " + QuoteName(table) + when);
    return sql;
}

std::string PadValues(std::string_view table, std::string_view column, FixedText fixed) {
    const std::string name = QuoteName(column);
    return "UPDATE " + QuoteName(table) + " SET " + name + " = " + Padded(name, fixed) + " WHERE " +
           NeedsPadding(name, fixed);
}

std::vector<std::string> DropPadding(std::string_view table, std::string_view column) {
    return {"DROP TRIGGER IF EXISTS " + TriggerName(table, column, 'i'),
            "DROP TRIGGER IF EXISTS " + TriggerName(table, column, 'u')};
}

void PadTable(sqlite3* db, const std::string& table) {
    std::vector<std::pair<std::string, FixedText>> columns;
    QueryRows(db, "SELECT name, type FROM pragma_table_info(?1)", {table}, [&](sqlite3_stmt* s) {
        const std::optional<FixedText> fixed =
            FixedTextOf(ParseStoredType(ColumnText(s, 1)), Dialect::SqlServer);
        if (fixed) columns.emplace_back(ColumnText(s, 0), *fixed);
    });
    for (const auto& [column, fixed] : columns) {
        for (const std::string& sql : PaddingTriggers(table, column, fixed)) ExecPlain(db, sql);
        ExecPlain(db, PadValues(table, column, fixed));
    }
}

}  // namespace db::embedded
