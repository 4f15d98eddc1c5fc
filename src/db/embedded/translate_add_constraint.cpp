// ALTER TABLE t [WITH NOCHECK | WITH CHECK] ADD [CONSTRAINT n] PRIMARY KEY [CLUSTERED]
// (columns) [WITH (…)] [ON [PRIMARY]]: the table is rebuilt with the key when the statement runs
// (see table_rebuild.h). WITH NOCHECK leaves existing rows unchecked only for CHECK and FOREIGN
// KEY constraints; a key is always checked.
// ALTER TABLE t ADD [CONSTRAINT n] DEFAULT value FOR c (server kind): the table is rebuilt with
// the default.
#include "db/embedded/translate_forms.h"

namespace db::embedded {
namespace {

std::vector<std::string> KeyColumns(const Cursor& c, Span span) {
    std::vector<std::string> columns;
    for (const Span& part : SplitCommas(c.tokens(), span)) {
        Cursor item(c.tokens(), part, c.dialect(), "ALTER TABLE");
        columns.push_back(item.ReadName());
    }
    return columns;
}

// [CONSTRAINT n] DEFAULT value FOR column [WITH VALUES], from the position of DEFAULT. WITH
// VALUES fills only a column added by the same statement, which this form does not add.
void AddDefault(Cursor& c, const std::string& table, std::string name, Program& out) {
    if (c.Jet()) c.Fail("near 'DEFAULT'");
    c.Expect("DEFAULT");
    const std::size_t forWord = FindTopLevel(c.tokens(), c.Rest(), "FOR");
    const Span value{c.pos(), forWord};
    if (value.Empty()) c.Fail("DEFAULT value missing");
    const std::string text = WriteExpression(c, value, ExpressionUse::Schema);
    c.Seek(forWord);
    c.Expect("FOR");
    Step step;
    step.kind = Step::Kind::AddDefault;
    step.table = table;
    step.name = std::move(name);
    step.columns = {c.ReadName()};
    if (c.Accept("WITH")) c.Expect("VALUES");
    if (!c.AtEnd()) c.Fail("near '" + c.Peek().value + "'");
    step.sql = value.end == value.begin + 1 ? text : "(" + text + ")";
    out.steps.push_back(std::move(step));
}

}  // namespace

void TranslateAddConstraint(Cursor& c, const std::string& table, Program& out) {
    if (c.Accept("WITH")) {
        if (c.Jet()) c.Fail("near 'WITH'");
        if (!c.Accept("NOCHECK")) c.Expect("CHECK");
    }
    c.Expect("ADD");
    if (c.Peek().Is("DEFAULT")) return AddDefault(c, table, {}, out);
    std::string name = c.Jet() ? "PrimaryKey" : "PK_" + table;
    if (c.Accept("CONSTRAINT")) name = c.ReadName();
    if (c.Peek().Is("DEFAULT")) return AddDefault(c, table, name, out);
    if (!c.Peek().Is("PRIMARY")) c.NotSupported("ADD CONSTRAINT other than PRIMARY KEY");
    c.Expect("PRIMARY");
    c.Expect("KEY");
    SkipClusterOption(c);
    const Span columns = c.ReadParens();
    SkipStorageOptions(c);
    if (!c.AtEnd()) c.Fail("near '" + c.Peek().value + "'");
    Step step;
    step.kind = Step::Kind::AddPrimaryKey;
    step.table = table;
    step.name = name;
    step.columns = KeyColumns(c, columns);
    step.sql =
        "CONSTRAINT " + QuoteName(name) + " PRIMARY KEY (" + WriteIndexedColumns(c, columns) + ")";
    out.steps.push_back(std::move(step));
}

}  // namespace db::embedded
