// SELECT [DISTINCT] [TOP n] … FROM … [WHERE …] [GROUP BY … [HAVING …]] [ORDER BY …]
#include "db/embedded/translate_forms.h"

namespace db::embedded {

void TranslateSelect(Cursor& c, Program& out) {
    // A make-table query (SELECT … INTO t FROM …) creates a table from the result.
    if (FindTopLevel(c.tokens(), c.Rest(), "INTO") < c.end()) c.NotSupported("SELECT … INTO");
    Step step;
    step.sql = WriteExpression(c, c.Rest());
    out.steps.push_back(std::move(step));
}

}  // namespace db::embedded
