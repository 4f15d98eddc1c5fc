#include "repairs/row_keys.h"

#include <utility>

#include "config/runtime.h"
#include "db/column_fit.h"
#include "db/connection.h"
#include "db/error.h"
#include "db/recordset.h"
#include "util/main_window_model.h"
#include "util/sql_text.h"
#include "util/variant.h"

namespace repairs {

RowKeys::RowKeys(db::Connection& cn, const std::string& table, std::vector<std::string> columns)
    : dialect_(cn.SqlDialect()), columns_(std::move(columns)) {
    std::string list;
    for (const std::string& c : columns_) list += (list.empty() ? "" : ", ") + c;
    db::RecordSet rows;
    rows.Open("SELECT " + list + " FROM " + table, cn, db::CursorType::kForwardOnly, 1);
    std::vector<util::Variant> key(columns_.size());
    for (; !rows.Eof(); rows.MoveNext()) {
        std::string stored;
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            key[i] = rows[static_cast<int>(i)];
            stored += (key[i].IsNull() ? std::string("\x01") : key[i].AsText()) + '\x1f';
        }
        Held& held = held_[Compared(key)];
        if (held.rows++ == 0) {
            held.firstStored = std::move(stored);
        } else if (stored != held.firstStored) {
            held.spelledApart = true;
        }
    }
    rows.Close();
}

// The key as the engine compares it: letters of either case alike and, on SQL Server, trailing
// blanks left out.
std::string RowKeys::Compared(const std::vector<util::Variant>& stored) const {
    std::string compared;
    for (const util::Variant& part : stored) {
        std::string text = part.IsNull() ? std::string("\x01") : part.AsText();
        if (dialect_ == db::Dialect::SqlServer) {
            while (!text.empty() && text.back() == ' ') text.pop_back();
        }
        for (char& c : text) {
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        }
        compared += text + '\x1f';
    }
    return compared;
}

const RowKeys::Held* RowKeys::Find(const std::vector<util::Variant>& stored) const {
    for (const util::Variant& part : stored) {
        if (part.IsNull()) return nullptr;  // `=` finds no Null
    }
    const auto found = held_.find(Compared(stored));
    return found == held_.end() ? nullptr : &found->second;
}

std::string RowKeys::Condition(const std::vector<util::Variant>& stored) const {
    std::string where;
    for (std::size_t i = 0; i < columns_.size() && i < stored.size(); ++i) {
        where += (where.empty() ? "" : " AND ") + columns_[i] + " = " +
                 util::SqlQuoted(stored[i].AsText());
    }
    return where;
}

std::string RowKeys::Where(const std::vector<util::Variant>& stored) const {
    const Held* held = Find(stored);
    return held && held->rows == 1 ? Condition(stored) : std::string();
}

std::string RowKeys::WhereAll(const std::vector<util::Variant>& stored) const {
    const Held* held = Find(stored);
    return held && !held->spelledApart ? Condition(stored) : std::string();
}

bool RowKeys::Equal(const std::string& a, const std::string& b) const {
    return Compared({util::Variant(a)}) == Compared({util::Variant(b)});
}

TableColumns::TableColumns(db::Connection& cn, const std::string& table)
    : dialect_(cn.SqlDialect()) {
    try {
        columns_ = cn.Engine().SchemaInfo().Columns(table);
    } catch (const db::DbError&) {
        // A table the store lacks: the statements that write to it tell.
    }
}

const db::ColumnInfo* TableColumns::Find(const std::string& column) const {
    for (const db::ColumnInfo& c : columns_) {
        if (c.name == column) return &c;
    }
    return nullptr;
}

bool TableColumns::Fits(const std::string& column, const std::string& text) const {
    const db::ColumnInfo* c = Find(column);
    return c == nullptr || db::TextFits(text, *c);
}

std::string TableColumns::Quoted(const std::string& column, std::string_view text) const {
    return TextLiteral(dialect_, Find(column), text);
}

std::string TextLiteral(db::Dialect dialect, const db::ColumnInfo* column, std::string_view text) {
    const bool national = column != nullptr && (column->adoType == db::AdoType::kVarWChar ||
                                                column->adoType == db::AdoType::kWChar ||
                                                column->adoType == db::AdoType::kLongVarWChar);
    const std::string quoted = util::SqlQuoted(text);
    return national && dialect == db::Dialect::SqlServer ? "N" + quoted : quoted;
}

std::string KeyText(const util::Variant& stored) {
    return stored.IsNull() ? std::string("Null") : "'" + stored.AsText() + "'";
}

void ReportUnaddressableRow(config::Runtime& runtime, const std::string& table,
                            const std::string& key) {
    runtime.MainWindow().AddRunLine(table + " " + key +
                                    " 행은 다른 행과 구별되지 않아 고치지 않고 건너뜀");
}

void ReportValueTooLong(config::Runtime& runtime, const std::string& table, const std::string& key,
                        const std::string& column) {
    runtime.MainWindow().AddRunLine(table + " " + key + " 행의 " + column +
                                    " 값이 필드 크기를 넘게 되어 그대로 둠");
}

void ReportCodeTaken(config::Runtime& runtime, const std::string& table, const std::string& key,
                     const std::string& newCode) {
    runtime.MainWindow().AddRunLine(table + " " + key + " 행은 새 코드 '" + newCode +
                                    "'가 이미 있어 그대로 둠");
}

std::int64_t RowsHolding(db::Connection& cn, const std::string& table, const std::string& column,
                         const std::string& text) {
    db::RecordSet rs;
    rs.Open("SELECT COUNT(*) FROM " + table + " WHERE " + column + " = " + util::SqlQuoted(text),
            cn, db::CursorType::kForwardOnly, 1);
    const std::int64_t rows = rs.Eof() || rs[0].IsNull() ? 0 : rs[0].AsInt();
    rs.Close();
    return rows;
}

bool ExecuteUnlessTooLong(db::Connection& cn, const std::string& sql) {
    try {
        cn.Execute(sql);
        return true;
    } catch (const db::DbError& e) {
        if (e.Number() != db::ErrorNumber::kTruncated) throw;
        return false;
    }
}

}  // namespace repairs
