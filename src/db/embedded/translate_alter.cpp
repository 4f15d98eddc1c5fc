// ALTER TABLE t ADD [COLUMN] c type [NULL] [CONSTRAINT n DEFAULT … [WITH VALUES]], c2 type …
// ALTER TABLE t DROP COLUMN c [, c2]
// ALTER TABLE t DROP CONSTRAINT n (a default, server kind)
// ALTER TABLE t ALTER COLUMN … and ADD CONSTRAINT … have their own sources.
#include "db/embedded/translate_forms.h"

namespace db::embedded {
namespace {

// T-SQL's DEFAULT … WITH VALUES at the end of a column definition: the rows that exist get the
// default of the new nullable column as well. Takes the two words off the element.
bool TakeWithValues(const Cursor& c, Span& element) {
    const auto& t = c.tokens();
    if (c.Jet() || element.end < element.begin + 2) return false;
    if (!t[element.end - 2].Is("WITH") || !t[element.end - 1].Is("VALUES")) return false;
    element.end -= 2;
    return true;
}

void AddColumns(Cursor& c, const std::string& table, Program& out) {
    if (c.AtEnd()) c.Fail("column definition missing");
    int ordinal = 0;
    for (Span element : SplitCommas(c.tokens(), c.Rest())) {
        const bool withValues = TakeWithValues(c, element);
        Cursor e(c.tokens(), element, c.dialect(), "ALTER TABLE");
        e.Accept("COLUMN");
        if (e.Peek().Is("UNIQUE") || e.Peek().Is("FOREIGN") || e.Peek().Is("CHECK")) {
            e.NotSupported("ADD CONSTRAINT other than PRIMARY KEY");
        }
        const ColumnDefinition def = ReadColumnDefinition(e, ++ordinal);
        if (withValues && !def.hasDefault) e.Fail("WITH VALUES without DEFAULT");
        Step add;
        add.sql = "ALTER TABLE " + QuoteName(table) + " ADD COLUMN " + def.sql;
        out.steps.push_back(std::move(add));
        // Rows that exist when a nullable column is added hold Null, not the new default,
        // unless WITH VALUES asks for it.
        if (def.hasDefault && def.nullable && !withValues) {
            Step clear;
            clear.sql = "UPDATE " + QuoteName(table) + " SET " + QuoteName(def.name) + " = NULL";
            out.steps.push_back(std::move(clear));
        }
        AddPadding(table, def, c.dialect(), out);
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

// WITH NOCHECK ADD …, ADD CONSTRAINT …, ADD PRIMARY KEY …, ADD DEFAULT … FOR …
bool AddsConstraint(const Cursor& c) {
    return c.Peek().Is("WITH") ||
           (c.Peek().Is("ADD") &&
            (c.Peek(1).Is("CONSTRAINT") || c.Peek(1).Is("PRIMARY") || c.Peek(1).Is("DEFAULT")));
}

// DROP CONSTRAINT name: the server kind drops a default so (the column it belongs to cannot be
// dropped before); the table is rebuilt when the statement runs.
void DropConstraint(Cursor& c, const std::string& table, Program& out) {
    if (c.Jet()) c.NotSupported("DROP CONSTRAINT");
    Step step;
    step.kind = Step::Kind::DropConstraint;
    step.table = table;
    step.name = c.ReadName();
    if (!c.AtEnd()) c.Fail("near '" + c.Peek().value + "'");
    out.steps.push_back(std::move(step));
}

}  // namespace

void TranslateAlterTable(Cursor& c, Program& out) {
    const std::string table = c.ReadTableName();
    if (AddsConstraint(c)) return TranslateAddConstraint(c, table, out);
    if (c.Accept("ADD")) return AddColumns(c, table, out);
    if (c.Accept("DROP")) {
        if (c.Accept("COLUMN")) return DropColumns(c, table, out);
        if (c.Accept("CONSTRAINT")) return DropConstraint(c, table, out);
        c.Fail("near '" + c.Peek().value + "'");
    }
    if (c.Accept("ALTER")) return TranslateAlterColumn(c, table, out);
    c.Fail(c.AtEnd() ? "ADD, DROP or ALTER missing" : "near '" + c.Peek().value + "'");
}

}  // namespace db::embedded
