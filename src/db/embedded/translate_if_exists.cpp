// IF [NOT] EXISTS (SELECT …) statement: the query is evaluated when the text runs, and the
// statement runs only when the condition holds. [BEGIN statement END] is the same. Jet has no IF.
#include "db/embedded/translate_forms.h"

namespace db::embedded {

void TranslateIf(Cursor& c, Program& out) {
    if (c.Jet()) c.Fail("near '" + c.Peek().value + "'");
    c.Expect("IF");
    const bool negate = c.Accept("NOT");
    if (!c.Accept("EXISTS")) c.NotSupported("IF with a condition other than EXISTS");
    const Span query = c.ReadParens();
    if (query.Empty() || !c.tokens()[query.begin].Is("SELECT")) c.Fail("query missing");
    Span body = c.Rest();
    const Tokens& t = c.tokens();
    if (body.end - body.begin >= 2 && t[body.begin].Is("BEGIN") && t[body.end - 1].Is("END")) {
        body = {body.begin + 1, body.end - 1};
    }
    if (body.Empty()) c.Fail("statement missing");

    Step condition;
    condition.kind = Step::Kind::SkipUnless;
    condition.sql = std::string("SELECT ") + (negate ? "NOT " : "") + "EXISTS (" +
                    WriteExpression(c, query) + ")";
    const std::size_t at = out.steps.size();
    out.steps.push_back(std::move(condition));
    TranslateNested(t, body, c.dialect(), out);
    out.steps[at].skip = out.steps.size() - at - 1;
}

}  // namespace db::embedded
