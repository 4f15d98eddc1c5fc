// ALTER TABLE t [WITH NOCHECK | WITH CHECK] ADD [CONSTRAINT n] PRIMARY KEY [CLUSTERED]
// (columns) [WITH (…)] [ON [PRIMARY]]: the table is rebuilt with the key when the statement runs
// (see table_rebuild.h). WITH NOCHECK leaves existing rows unchecked only for CHECK and FOREIGN
// KEY constraints; a key is always checked.
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

}  // namespace

void TranslateAddConstraint(Cursor& c, const std::string& table, Program& out) {
    if (c.Accept("WITH")) {
        if (c.Jet()) c.Fail("near 'WITH'");
        if (!c.Accept("NOCHECK")) c.Expect("CHECK");
    }
    c.Expect("ADD");
    std::string name = c.Jet() ? "PrimaryKey" : "PK_" + table;
    if (c.Accept("CONSTRAINT")) name = c.ReadName();
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
