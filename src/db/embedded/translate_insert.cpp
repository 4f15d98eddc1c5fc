// INSERT [INTO] t [(columns)] VALUES (…) | SELECT …
#include "db/embedded/translate_forms.h"

namespace db::embedded {

void TranslateInsert(Cursor& c, Program& out) {
    c.Accept("INTO");
    const std::string table = c.ReadTableName();
    if (c.AtEnd()) c.Fail("VALUES or SELECT missing");
    Step step;
    step.sql = "INSERT INTO " + QuoteName(table) + " " + WriteExpression(c, c.Rest());
    step.countsChanges = true;
    out.steps.push_back(std::move(step));
}

}  // namespace db::embedded
