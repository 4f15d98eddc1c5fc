// CREATE TABLE [dbo].t (column definitions, table constraints) [ON [PRIMARY]]
#include "db/embedded/translate_forms.h"

namespace db::embedded {
namespace {

bool StartsConstraint(const Token& t) {
    return t.Is("CONSTRAINT") || t.Is("PRIMARY") || t.Is("UNIQUE") || t.Is("FOREIGN") ||
           t.Is("CHECK");
}

// [CONSTRAINT n] PRIMARY KEY [CLUSTERED] (columns) [WITH (…)] [ON [PRIMARY]], UNIQUE (…),
// CHECK (…)
std::string ReadTableConstraint(Cursor& c) {
    std::string out;
    if (c.Accept("CONSTRAINT")) out = "CONSTRAINT " + QuoteName(c.ReadName()) + " ";
    if (c.Accept("CHECK")) {
        out += "CHECK (" + WriteExpression(c, c.ReadParens(), ExpressionUse::Schema) + ")";
    } else {
        if (c.Accept("PRIMARY")) {
            c.Expect("KEY");
            out += "PRIMARY KEY";
        } else if (c.Accept("UNIQUE")) {
            out += "UNIQUE";
        } else if (c.Peek().Is("FOREIGN")) {
            c.NotSupported("FOREIGN KEY");
        } else {
            c.Fail("near '" + c.Peek().value + "'");
        }
        SkipClusterOption(c);
        out += " (" + WriteIndexedColumns(c, c.ReadParens()) + ")";
    }
    SkipStorageOptions(c);
    if (!c.AtEnd()) c.Fail("near '" + c.Peek().value + "'");
    return out;
}

}  // namespace

void TranslateCreateTable(Cursor& c, Program& out) {
    const std::string table = c.ReadTableName();
    const Span body = c.ReadParens();
    SkipStorageOptions(c);
    if (!c.AtEnd()) c.Fail("near '" + c.Peek().value + "'");

    std::string items;
    std::vector<ColumnDefinition> columns;
    int ordinal = 0;
    for (const Span& element : SplitCommas(c.tokens(), body)) {
        if (element.Empty()) c.Fail("column definition missing");
        Cursor e(c.tokens(), element, c.dialect(), "CREATE TABLE");
        if (!items.empty()) items += ", ";
        if (StartsConstraint(e.Peek())) {
            items += ReadTableConstraint(e);
        } else {
            columns.push_back(ReadColumnDefinition(e, ++ordinal));
            items += columns.back().sql;
        }
    }
    Step step;
    step.sql = "CREATE TABLE " + QuoteName(table) + " (" + items + ")";
    out.steps.push_back(std::move(step));
    for (const ColumnDefinition& column : columns) AddPadding(table, column, c.dialect(), out);
}

}  // namespace db::embedded
