// DELETE [*] [FROM] t [WHERE …]
#include "db/embedded/translate_forms.h"

namespace db::embedded {

void TranslateDelete(Cursor& c, Program& out) {
    // Jet writes "DELETE * FROM t" or "DELETE t.* FROM t".
    if (c.Peek().IsName() && c.Peek(1).IsPunct(".") && c.Peek(2).IsPunct("*")) c.Seek(c.pos() + 3);
    c.AcceptPunct("*");
    c.Accept("FROM");
    const std::string table = c.ReadTableName();
    if (!c.AtEnd() && !c.Peek().Is("WHERE")) c.NotSupported("DELETE with a join");
    Step step;
    step.sql = "DELETE FROM " + QuoteName(table);
    if (!c.AtEnd()) step.sql += " " + WriteExpression(c, c.Rest());
    step.countsChanges = true;
    out.steps.push_back(std::move(step));
}

}  // namespace db::embedded
