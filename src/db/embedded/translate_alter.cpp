// ALTER TABLE t ADD [COLUMN] c type [NULL] [CONSTRAINT n DEFAULT …], c2 type …
// ALTER TABLE t DROP COLUMN c [, c2]
#include "db/embedded/translate_forms.h"

namespace db::embedded {
namespace {

void AddColumns(Cursor& c, const std::string& table, Program& out) {
    if (c.AtEnd()) c.Fail("column definition missing");
    for (const Span& element : SplitCommas(c.tokens(), c.Rest())) {
        Cursor e(c.tokens(), element, c.dialect(), "ALTER TABLE");
        e.Accept("COLUMN");
        if (e.Peek().Is("CONSTRAINT") || e.Peek().Is("PRIMARY") || e.Peek().Is("UNIQUE")) {
            e.NotSupported("ADD CONSTRAINT");
        }
        const ColumnDefinition def = ReadColumnDefinition(e);
        Step add;
        add.sql = "ALTER TABLE " + QuoteName(table) + " ADD COLUMN " + def.sql;
        out.steps.push_back(std::move(add));
        // Rows that exist when a nullable column is added hold Null, not the new default.
        if (def.hasDefault && def.nullable) {
            Step clear;
            clear.sql = "UPDATE " + QuoteName(table) + " SET " + QuoteName(def.name) + " = NULL";
            out.steps.push_back(std::move(clear));
        }
    }
}

void DropColumns(Cursor& c, const std::string& table, Program& out) {
    if (c.AtEnd()) c.Fail("column name missing");
    for (const Span& element : SplitCommas(c.tokens(), c.Rest())) {
        Cursor e(c.tokens(), element, c.dialect(), "ALTER TABLE");
        Step drop;
        drop.kind = Step::Kind::DropColumn;
        drop.table = table;
        drop.name = e.ReadName();
        if (!e.AtEnd()) e.Fail("near '" + e.Peek().value + "'");
        drop.sql = "ALTER TABLE " + QuoteName(table) + " DROP COLUMN " + QuoteName(drop.name);
        out.steps.push_back(std::move(drop));
    }
}

}  // namespace

void TranslateAlterTable(Cursor& c, Program& out) {
    const std::string table = c.ReadTableName();
    if (c.Accept("ADD")) return AddColumns(c, table, out);
    if (c.Accept("DROP")) {
        if (c.Accept("COLUMN")) return DropColumns(c, table, out);
        if (c.Peek().Is("CONSTRAINT")) c.NotSupported("DROP CONSTRAINT");
        c.Fail("near '" + c.Peek().value + "'");
    }
    if (c.Peek().Is("ALTER")) c.NotSupported("ALTER COLUMN");
    if (c.Peek().Is("WITH")) c.NotSupported("WITH NOCHECK ADD CONSTRAINT");
    c.Fail(c.AtEnd() ? "ADD, DROP or ALTER missing" : "near '" + c.Peek().value + "'");
}

}  // namespace db::embedded
