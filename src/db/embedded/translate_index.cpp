// CREATE [UNIQUE] [CLUSTERED] INDEX i ON t (columns) [WITH …] [ON [PRIMARY]]
// DROP INDEX i ON t; DROP INDEX t.i (T-SQL only)
#include "db/embedded/translate_forms.h"

namespace db::embedded {

void TranslateCreateIndex(Cursor& c, Program& out) {
    const bool unique = c.Accept("UNIQUE");
    SkipClusterOption(c);
    c.Expect("INDEX");
    const std::string index = c.ReadName();
    c.Expect("ON");
    const std::string table = c.ReadTableName();
    const std::string columns = WriteIndexedColumns(c, c.ReadParens());
    if (c.Jet() && c.Accept("WITH")) {
        c.Seek(c.end());  // WITH PRIMARY | DISALLOW NULL | IGNORE NULL: not kept
    }
    SkipStorageOptions(c);
    if (!c.AtEnd()) c.Fail("near '" + c.Peek().value + "'");
    Step step;
    step.sql = std::string(unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ") +
               QuoteName(StoredIndexName(table, index)) + " ON " + QuoteName(table) + " (" +
               columns + ")";
    out.steps.push_back(std::move(step));
}

void TranslateDropIndex(Cursor& c, Program& out) {
    Step step;
    step.kind = Step::Kind::DropIndex;
    const std::vector<std::string> parts = c.ReadNameParts();
    if (c.Accept("ON")) {
        if (parts.size() != 1) c.Fail("near '" + parts.back() + "'");
        step.name = parts.front();
        step.table = c.ReadTableName();
    } else {
        // t.i names the index by its table; Jet knows only "DROP INDEX i ON t".
        if (c.Jet() || parts.size() < 2) c.Fail("near '" + parts.front() + "'");
        step.table = parts[parts.size() - 2];
        step.name = parts.back();
    }
    if (!c.AtEnd()) c.Fail("near '" + c.Peek().value + "'");
    out.steps.push_back(std::move(step));
}

}  // namespace db::embedded
