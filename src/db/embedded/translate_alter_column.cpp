// ALTER TABLE t ALTER COLUMN c type [NULL | NOT NULL] [COLLATE x]: the column is defined anew
// (the table is rebuilt when the statement runs, see table_rebuild.h).
#include <array>

#include "db/embedded/translate_forms.h"

namespace db::embedded {
namespace {

// Column constraints that ALTER COLUMN does not take: they belong to ADD and CREATE TABLE.
constexpr std::array<std::string_view, 9> kNotAltered{"DEFAULT",    "CONSTRAINT", "PRIMARY",
                                                      "UNIQUE",     "CHECK",      "IDENTITY",
                                                      "REFERENCES", "FOREIGN",    "ROWGUIDCOL"};

void RefuseConstraints(const Cursor& c) {
    const Tokens& t = c.tokens();
    for (std::size_t i = c.pos(); i < c.end(); ++i) {
        for (std::string_view word : kNotAltered) {
            if (t[i].Is(word)) c.Fail("near '" + t[i].value + "'");
        }
    }
}

}  // namespace

void TranslateAlterColumn(Cursor& c, const std::string& table, Program& out) {
    c.Expect("COLUMN");
    if (c.AtEnd()) c.Fail("column definition missing");
    RefuseConstraints(c);
    const ColumnDefinition def = ReadColumnDefinition(c);
    Step step;
    step.kind = Step::Kind::AlterColumn;
    step.table = table;
    step.name = def.name;
    step.sql = def.body;
    step.notNull = def.notNull;
    out.steps.push_back(std::move(step));
}

}  // namespace db::embedded
