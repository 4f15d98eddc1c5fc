// Routines of the server kind: CREATE FUNCTION / CREATE PROC[EDURE] (the whole text recorded),
// DROP FUNCTION / DROP PROC[EDURE] a [, b], EXEC[UTE] p args and system procedures
// called without EXEC (sp_columns 't'). Jet has none of them.
#include <algorithm>

#include "db/embedded/routine_natives.h"
#include "db/embedded/translate_forms.h"

namespace db::embedded {
namespace {

bool IsRoutineWord(const Token& t) {
    return t.Is("FUNCTION") || t.Is("PROC") || t.Is("PROCEDURE");
}

// The kind code of a function by what it returns: RETURNS TABLE (inline), RETURNS @t TABLE
// (multi-statement table), anything else (scalar).
std::string FunctionKind(Cursor& c) {
    if (c.Peek().IsPunct("(")) c.ReadParens();
    c.Expect("RETURNS");
    if (c.Peek().Is("TABLE")) return "IF";
    if (c.Peek().kind == TokenKind::Variable) return "TF";
    return "FN";
}

// One argument: [@name =] 'text' | N'text' | number | NULL | bare word; DEFAULT leaves the
// parameter out. False for DEFAULT.
bool ReadArgument(const Cursor& c, Span element, CallArgument& argument) {
    Cursor e(c.tokens(), element, c.dialect(), "EXECUTE");
    if (e.Peek().kind == TokenKind::Variable && e.Peek(1).IsPunct("=")) {
        argument.name = e.Peek().value.substr(1);
        e.Seek(e.pos() + 2);
    }
    const bool negative = e.AcceptPunct("-");
    const Token& value = e.Peek();
    if (e.AtEnd()) e.Fail("argument missing");
    if (value.Is("DEFAULT") && !negative) return false;
    if (value.Is("NULL") && !negative) {
        argument.value.reset();
    } else if (value.kind == TokenKind::Number) {
        argument.value = (negative ? "-" : "") + value.value;
    } else if (!negative && (value.kind == TokenKind::String || value.kind == TokenKind::NString ||
                             value.IsName())) {
        argument.value = value.value;
    } else {
        e.Fail("near '" + value.value + "'");
    }
    e.Seek(e.pos() + 1);
    if (e.Peek().Is("OUTPUT") || e.Peek().Is("OUT")) e.NotSupported("OUTPUT parameters");
    if (!e.AtEnd()) e.Fail("near '" + e.Peek().value + "'");
    return true;
}

void TranslateCall(Cursor& c, Program& out) {
    if (c.Peek().kind == TokenKind::Variable) c.NotSupported("EXECUTE with a return status");
    if (c.Peek().IsPunct("(")) c.NotSupported("EXECUTE of a statement text");
    Step step;
    step.kind = Step::Kind::CallRoutine;
    step.name = c.ReadTableName();
    if (!c.AtEnd()) {
        for (const Span& element : SplitCommas(c.tokens(), c.Rest())) {
            CallArgument argument;
            if (ReadArgument(c, element, argument)) step.arguments.push_back(std::move(argument));
        }
    }
    out.steps.push_back(std::move(step));
}

void TranslateDropRoutine(Cursor& c, Program& out) {
    const bool procedure = !c.Peek().Is("FUNCTION");
    c.Seek(c.pos() + 1);
    if (c.AtEnd()) c.Fail("name missing");
    for (const Span& element : SplitCommas(c.tokens(), c.Rest())) {
        Cursor e(c.tokens(), element, c.dialect(), procedure ? "DROP PROCEDURE" : "DROP FUNCTION");
        Step drop;
        drop.kind = Step::Kind::DropRoutine;
        drop.name = e.ReadTableName();
        drop.routineKind = procedure ? "P" : "FN";
        if (!e.AtEnd()) e.Fail("near '" + e.Peek().value + "'");
        out.steps.push_back(std::move(drop));
    }
}

}  // namespace

void TranslateRoutine(Cursor& c, Program& out) {
    if (c.Jet()) c.Fail("near '" + c.Peek().value + "'");
    if (c.Accept("EXEC") || c.Accept("EXECUTE")) return TranslateCall(c, out);
    if (c.Accept("DROP")) return TranslateDropRoutine(c, out);
    if (c.Peek().Is("CREATE")) {
        c.Fail("CREATE FUNCTION and CREATE PROCEDURE must be the first statement of the batch");
    }
    TranslateCall(c, out);
}

bool IsRoutineDefinition(const Tokens& tokens) {
    return tokens.size() >= 2 && tokens[0].Is("CREATE") && IsRoutineWord(tokens[1]);
}

void TranslateRoutineDefinition(std::string_view text, const Tokens& tokens, Dialect dialect,
                                Program& out) {
    Cursor c(tokens, {0, tokens.size()}, dialect, "CREATE " + UpperAscii(tokens[1].value));
    if (c.Jet()) c.Fail("near '" + tokens[1].value + "'");
    c.Seek(2);
    Step step;
    step.kind = Step::Kind::CreateRoutine;
    step.name = c.ReadTableName();
    step.routineKind = tokens[1].Is("FUNCTION") ? FunctionKind(c) : "P";
    step.sql = std::string(text);
    out.steps.push_back(std::move(step));
}

void NoteRoutineCalls(const Tokens& tokens, Program& out) {
    for (std::size_t i = 0; i + 1 < tokens.size(); ++i) {
        if (!tokens[i].IsName() || !tokens[i + 1].IsPunct("(")) continue;
        const NativeRoutine* routine = FindNativeRoutine(tokens[i].value);
        if (routine == nullptr || routine->procedure) continue;
        const std::string name(routine->name);
        if (std::find(out.routines.begin(), out.routines.end(), name) == out.routines.end()) {
            out.routines.push_back(name);
        }
    }
}

}  // namespace db::embedded
