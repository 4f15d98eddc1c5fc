#pragma once
// How the row repairs write back one row they read. A repair reads a row, works out new values
// and writes them with `UPDATE … WHERE key = value`; every row whose key the engine finds equal
// gets them. Texts compare without regard to letter case on both kinds, and SQL Server ignores
// trailing blanks as well ("X1" equals "X1 "). So the key in the WHERE clause is always the value
// as stored, never the trimmed one, and a row that no WHERE clause reaches alone (another row's
// key compares equal, or the key is Null) is left as it was and listed in the run list. So is a
// row whose new value would not fit its column: the engine would refuse the statement and stop
// the repair, and the step that runs it, on every run.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "db/schema.h"
#include "db/session.h"

namespace config {
class Runtime;
}
namespace db {
class Connection;
}
namespace util {
class Variant;
}

namespace repairs {

// The keys of every row of a table (deleted rows included: a WHERE clause reaches them too).
class RowKeys {
  public:
    RowKeys(db::Connection& cn, const std::string& table, std::vector<std::string> columns);

    // The condition "a = 'x' AND b = 'y'" that reaches the row with these stored key values and
    // no other; empty when there is none.
    std::string Where(const std::vector<util::Variant>& stored) const;
    // The condition that reaches the rows whose key is stored exactly like this and no row whose
    // key is stored otherwise (rows sharing one key, a transaction's lines); empty when none does.
    std::string WhereAll(const std::vector<util::Variant>& stored) const;
    // True when the engine finds the two single-column keys equal.
    bool Equal(const std::string& a, const std::string& b) const;

  private:
    struct Held {
        int rows = 0;
        bool spelledApart = false;  // keys that compare equal but are stored differently
        std::string firstStored;
    };
    std::string Compared(const std::vector<util::Variant>& stored) const;
    std::string Condition(const std::vector<util::Variant>& stored) const;
    const Held* Find(const std::vector<util::Variant>& stored) const;

    db::Dialect dialect_;
    std::vector<std::string> columns_;
    std::unordered_map<std::string, Held> held_;
};

// The text as a literal for a column of the store (null: a column the table does not declare).
// SQL Server reads a plain literal in the code page of the database (949) and puts '?' for every
// character the code page lacks before the value reaches the column, so a national column
// (NVARCHAR, NCHAR, NTEXT) of SQL Server gets N'…', which keeps every character. Jet has no N
// literals and keeps every character in 'text'.
std::string TextLiteral(db::Dialect dialect, const db::ColumnInfo* column, std::string_view text);

// The declared columns of a table, to tell whether a value fits one and how to write a text for
// one.
class TableColumns {
  public:
    TableColumns(db::Connection& cn, const std::string& table);
    // True for a column the table does not declare (or a table the store lacks) and for a column
    // that takes any length.
    bool Fits(const std::string& column, const std::string& text) const;
    // The text as a literal for the column (see TextLiteral).
    std::string Quoted(const std::string& column, std::string_view text) const;

  private:
    const db::ColumnInfo* Find(const std::string& column) const;

    db::Dialect dialect_;
    std::vector<db::ColumnInfo> columns_;
};

// The stored key as the run list shows it: quoted, so that blanks show; "Null" for Null.
std::string KeyText(const util::Variant& stored);

// Run-list lines for a row a repair left as it was.
void ReportUnaddressableRow(config::Runtime& runtime, const std::string& table,
                            const std::string& key);
void ReportValueTooLong(config::Runtime& runtime, const std::string& table, const std::string& key,
                        const std::string& column);
void ReportCodeTaken(config::Runtime& runtime, const std::string& table, const std::string& key,
                     const std::string& newCode);

// The number of rows of the table whose column the engine finds equal to the text.
std::int64_t RowsHolding(db::Connection& cn, const std::string& table, const std::string& column,
                         const std::string& text);

// Runs an UPDATE of one row; false, the row left as it was, when the engine refuses it because
// a value would not fit its column. Other errors reach the caller.
bool ExecuteUnlessTooLong(db::Connection& cn, const std::string& sql);

}  // namespace repairs
