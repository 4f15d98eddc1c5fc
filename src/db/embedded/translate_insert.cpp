// INSERT [INTO] t [(columns)] VALUES (…) | SELECT … | DEFAULT VALUES
#include "db/embedded/translate_forms.h"

namespace db::embedded {
namespace {

// "(a, [b c])" before VALUES or SELECT: the named columns. A parenthesized query is no column
// list.
std::vector<std::string> ReadColumnList(Cursor& c) {
    std::vector<std::string> columns;
    if (!c.Peek().IsPunct("(") || c.Peek(1).Is("SELECT")) return columns;
    for (const Span& part : SplitCommas(c.tokens(), c.ReadParens())) {
        Cursor item(c.tokens(), part, c.dialect(), "INSERT INTO");
        columns.push_back(item.ReadName());
        if (!item.AtEnd()) item.Fail("near '" + item.Peek().value + "'");
    }
    return columns;
}

}  // namespace

void TranslateInsert(Cursor& c, Program& out) {
    c.Accept("INTO");
    Step step;
    step.kind = Step::Kind::Insert;
    step.table = c.ReadTableName();
    step.columns = ReadColumnList(c);
    if (c.AtEnd()) c.Fail("VALUES or SELECT missing");
    step.source = WriteExpression(c, c.Rest());
    step.sql = "INSERT INTO " + QuoteName(step.table) + " ";
    if (!step.columns.empty()) step.sql += "(" + QuoteNames(step.columns) + ") ";
    step.sql += step.source;
    step.countsChanges = true;
    out.steps.push_back(std::move(step));
}

}  // namespace db::embedded
