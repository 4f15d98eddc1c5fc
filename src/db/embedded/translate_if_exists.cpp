// IF [NOT] EXISTS (SELECT …) statement, and IF condition statement: the condition is evaluated
// when the text runs, and the statement runs only when it holds (a Null condition does not, as on
// the server). [BEGIN statement END] is the same. Jet has no IF.
#include <array>

#include "db/embedded/translate_forms.h"

namespace db::embedded {
namespace {

// Words that begin the governed statement; a condition holds them only inside parentheses.
constexpr std::array<std::string_view, 12> kStatementWords{"SELECT",  "INSERT", "UPDATE", "DELETE",
                                                           "CREATE",  "ALTER",  "DROP",   "EXEC",
                                                           "EXECUTE", "IF",     "BEGIN",  "BACKUP"};

bool StartsStatement(const Token& t) {
    for (std::string_view word : kStatementWords) {
        if (t.Is(word)) return true;
    }
    return false;
}

// The condition of an IF other than [NOT] EXISTS: up to the first top-level word that begins a
// statement. The position moves past it.
Span ReadCondition(Cursor& c) {
    const Tokens& t = c.tokens();
    const std::size_t start = c.pos();
    int depth = 0;
    std::size_t i = start;
    for (; i < c.end(); ++i) {
        if (t[i].IsPunct("(")) ++depth;
        if (t[i].IsPunct(")")) --depth;
        if (depth == 0 && StartsStatement(t[i])) break;
    }
    c.Seek(i);
    return {start, i};
}

}  // namespace

void TranslateIf(Cursor& c, Program& out) {
    if (c.Jet()) c.Fail("near '" + c.Peek().value + "'");
    c.Expect("IF");
    Step condition;
    condition.kind = Step::Kind::SkipUnless;
    const bool exists = c.Peek().Is("EXISTS") || (c.Peek().Is("NOT") && c.Peek(1).Is("EXISTS"));
    if (exists) {
        const bool negate = c.Accept("NOT");
        c.Expect("EXISTS");
        const Span query = c.ReadParens();
        if (query.Empty() || !c.tokens()[query.begin].Is("SELECT")) c.Fail("query missing");
        condition.sql = std::string("SELECT ") + (negate ? "NOT " : "") + "EXISTS (" +
                        WriteExpression(c, query) + ")";
    } else {
        const Span test = ReadCondition(c);
        if (test.Empty()) c.Fail("condition missing");
        condition.sql = "SELECT CASE WHEN " + WriteExpression(c, test) + " THEN 1 ELSE 0 END";
    }
    Span body = c.Rest();
    const Tokens& t = c.tokens();
    if (body.end - body.begin >= 2 && t[body.begin].Is("BEGIN") && t[body.end - 1].Is("END")) {
        body = {body.begin + 1, body.end - 1};
    }
    if (body.Empty()) c.Fail("statement missing");

    const std::size_t at = out.steps.size();
    out.steps.push_back(std::move(condition));
    TranslateNested(t, body, c.dialect(), out);
    out.steps[at].skip = out.steps.size() - at - 1;
}

}  // namespace db::embedded
