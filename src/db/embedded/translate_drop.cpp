// DROP TABLE t [, t2]
#include "db/embedded/translate_forms.h"

namespace db::embedded {

void TranslateDropTable(Cursor& c, Program& out) {
    if (c.AtEnd()) c.Fail("table name missing");
    for (const Span& element : SplitCommas(c.tokens(), c.Rest())) {
        Cursor e(c.tokens(), element, c.dialect(), "DROP TABLE");
        Step step;
        step.sql = "DROP TABLE " + QuoteName(e.ReadTableName());
        if (!e.AtEnd()) e.Fail("near '" + e.Peek().value + "'");
        out.steps.push_back(std::move(step));
    }
}

}  // namespace db::embedded
