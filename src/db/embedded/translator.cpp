// Splits a statement text into statements, refuses what the dialect does not accept, and hands
// each statement to the translator of its form (dispatch table below).
#include "db/embedded/translator.h"

#include <array>

#include "db/embedded/error_map.h"
#include "db/embedded/syscat_names.h"
#include "db/embedded/translate_forms.h"

namespace db::embedded {
namespace {

// Jet's text for a command that begins with no statement word (its error 3129).
constexpr const char* kJetNoStatement =
    "Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or 'UPDATE'.";

using Handler = void (*)(Cursor&, Program&);

struct Form {
    std::string_view first;
    std::string_view second;  // empty: the first word decides
    std::size_t consumed;     // words the handler does not see
    Handler handler;
    bool checked;  // the token checks below apply (routine bodies have their own language)
};

constexpr std::array kForms{
    Form{"SELECT", "", 0, TranslateSelect, true},
    Form{"INSERT", "", 1, TranslateInsert, true},
    Form{"UPDATE", "", 1, TranslateUpdate, true},
    Form{"DELETE", "", 1, TranslateDelete, true},
    Form{"CREATE", "TABLE", 2, TranslateCreateTable, true},
    Form{"CREATE", "INDEX", 1, TranslateCreateIndex, true},
    Form{"CREATE", "UNIQUE", 1, TranslateCreateIndex, true},
    Form{"CREATE", "CLUSTERED", 1, TranslateCreateIndex, true},
    Form{"CREATE", "NONCLUSTERED", 1, TranslateCreateIndex, true},
    Form{"ALTER", "TABLE", 2, TranslateAlterTable, true},
    Form{"DROP", "TABLE", 2, TranslateDropTable, true},
    Form{"DROP", "INDEX", 2, TranslateDropIndex, true},
    Form{"CREATE", "FUNCTION", 0, TranslateRoutine, false},
    Form{"CREATE", "PROC", 0, TranslateRoutine, false},
    Form{"CREATE", "PROCEDURE", 0, TranslateRoutine, false},
    Form{"DROP", "FUNCTION", 0, TranslateRoutine, false},
    Form{"DROP", "PROC", 0, TranslateRoutine, false},
    Form{"DROP", "PROCEDURE", 0, TranslateRoutine, false},
    Form{"EXEC", "", 0, TranslateRoutine, false},
    Form{"EXECUTE", "", 0, TranslateRoutine, false},
    Form{"IF", "", 0, TranslateIf, false},
    Form{"BACKUP", "DATABASE", 2, TranslateBackup, true},
};

// Tokens a dialect refuses wherever they stand.
struct Refusal {
    TokenKind kind;
    std::string_view word;  // for Word tokens
    bool jet;
    bool sqlServer;
};

constexpr std::array kRefusals{
    Refusal{TokenKind::Word, "IDENTITY", true, false},
    Refusal{TokenKind::Word, "COLLATE", true, false},
    Refusal{TokenKind::Word, "CLUSTERED", true, false},
    Refusal{TokenKind::Word, "NONCLUSTERED", true, false},
    Refusal{TokenKind::Date, "", false, true},
    Refusal{TokenKind::Variable, "", true, true},
    Refusal{TokenKind::Illegal, "", true, true},
};

// The system catalogue of the server kind: tables and schemas that Jet has not, and that SQL
// Server mode has only where its catalogue views answer them (syscat_names.h, mapped before this
// check). The engine's own tables are as invisible to statements as to the schema.
constexpr std::array<std::string_view, 8> kSystemTables{"SYSCOLUMNS",  "SYSOBJECTS", "SYSINDEXES",
                                                        "SYSCOMMENTS", "SYSTYPES",   "SYSUSERS",
                                                        kMetaTable,    kRoutineTable};
constexpr std::array<std::string_view, 2> kSystemSchemas{"SYS", "INFORMATION_SCHEMA"};

bool IsOneOf(const Token& t, const auto& names) {
    if (!t.IsName()) return false;
    for (std::string_view name : names) {
        if (EqualsNoCase(t.value, name)) return true;
    }
    return false;
}

[[noreturn]] void ThrowMissingObject(const std::string& name, Dialect dialect) {
    throw MissingTableError(name, dialect);
}

void CheckSystemCatalogue(const Tokens& t, Span s, Dialect dialect) {
    for (std::size_t i = s.begin; i < s.end; ++i) {
        const bool call = i + 1 < s.end && t[i + 1].IsPunct("(");
        if (IsOneOf(t[i], kSystemTables) && !call) ThrowMissingObject(t[i].value, dialect);
        if (IsOneOf(t[i], kSystemSchemas) && i + 2 < s.end && t[i + 1].IsPunct(".")) {
            ThrowMissingObject(t[i].value + "." + t[i + 2].value, dialect);
        }
    }
}

void CheckRefusals(const Cursor& c, Span s) {
    const Tokens& t = c.tokens();
    for (std::size_t i = s.begin; i < s.end; ++i) {
        for (const Refusal& r : kRefusals) {
            const bool applies = c.Jet() ? r.jet : r.sqlServer;
            if (!applies || t[i].kind != r.kind) continue;
            if (r.kind == TokenKind::Word && !t[i].Is(r.word)) continue;
            c.Fail("near '" + (t[i].kind == TokenKind::Date ? "#" + t[i].value + "#" : t[i].value) +
                   "'");
        }
    }
}

const Form* FindForm(const Tokens& t, Span s) {
    for (const Form& form : kForms) {
        if (!t[s.begin].Is(form.first)) continue;
        if (form.second.empty()) return &form;
        if (s.begin + 1 < s.end && t[s.begin + 1].Is(form.second)) return &form;
    }
    return nullptr;
}

bool IsSystemProcedure(const Token& t) {
    return t.kind == TokenKind::Word && t.value.size() > 3 &&
           EqualsNoCase(t.value.substr(0, 3), "sp_");
}

void TranslateStatement(const Tokens& t, Span s, Dialect dialect, Program& out) {
    const Form* form = FindForm(t, s);
    if (form == nullptr && IsSystemProcedure(t[s.begin])) {
        Cursor c(t, s, dialect, UpperAscii(t[s.begin].value));
        return TranslateRoutine(c, out);
    }
    std::string name = form == nullptr ? t[s.begin].value : std::string(form->first);
    if (form != nullptr && !form->second.empty()) name += " " + std::string(form->second);
    Cursor c(t, s, dialect, UpperAscii(name));
    if (form == nullptr) c.Fail("near '" + t[s.begin].value + "'");
    if (form->checked) {
        CheckSystemCatalogue(t, s, dialect);
        CheckRefusals(c, s);
    }
    c.Seek(s.begin + form->consumed);
    form->handler(c, out);
}

// A SELECT that continues a query (UNION SELECT …).
bool ContinuesQuery(const Tokens& t, std::size_t i) {
    const Token& before = t[i - 1];
    return before.Is("UNION") || before.Is("ALL") || before.Is("EXCEPT") || before.Is("INTERSECT");
}

// The server kind runs a batch: a statement also ends where the next one begins ("SELECT …
// CR LF DROP FUNCTION …" are two statements). A statement begins at a top-level word that starts
// a form, except a SELECT (or EXEC) that gives the rows of an INSERT or continues a query, and the
// statement that an IF governs, which belongs to the IF.
void SplitBatch(const Tokens& t, Span s, std::vector<Span>& spans) {
    std::size_t start = s.begin;
    bool ifPending = t[s.begin].Is("IF");
    bool rowsPending = t[s.begin].Is("INSERT");
    int depth = 0;
    for (std::size_t i = s.begin + 1; i < s.end; ++i) {
        if (t[i].IsPunct("(")) ++depth;
        if (t[i].IsPunct(")")) --depth;
        if (depth != 0) continue;
        if (t[i].Is("VALUES")) rowsPending = false;
        if (FindForm(t, {i, s.end}) == nullptr) continue;
        const bool rows = t[i].Is("SELECT") || t[i].Is("EXEC") || t[i].Is("EXECUTE");
        if (rows && (rowsPending || (t[i].Is("SELECT") && ContinuesQuery(t, i)))) {
            rowsPending = false;
            continue;
        }
        const bool governed = ifPending;
        ifPending = t[i].Is("IF");
        rowsPending = t[i].Is("INSERT");
        if (governed) continue;
        spans.push_back({start, i});
        start = i;
    }
    spans.push_back({start, s.end});
}

// Statements are separated by top-level ';' (and on the server kind by the start of the next).
std::vector<Span> SplitStatements(const Tokens& t, Dialect dialect) {
    std::vector<Span> spans;
    std::size_t start = 0;
    int depth = 0;
    for (std::size_t i = 0; i <= t.size(); ++i) {
        if (i < t.size() && t[i].IsPunct("(")) ++depth;
        if (i < t.size() && t[i].IsPunct(")")) --depth;
        if (i == t.size() || (depth <= 0 && t[i].IsPunct(";"))) {
            if (i > start && dialect == Dialect::SqlServer) {
                SplitBatch(t, {start, i}, spans);
            } else if (i > start) {
                spans.push_back({start, i});
            }
            start = i + 1;
        }
    }
    return spans;
}

// Expressions nest as deep as SQLite's own limit on an expression tree; deeper ones are refused
// as the real engines refuse them, before the translator (which descends into each level) could
// run out of stack.
constexpr int kDeepestNesting = 1000;

void RefuseDeepNesting(const Tokens& tokens, Dialect dialect) {
    int depth = 0;
    for (const Token& t : tokens) {
        if (t.IsPunct("(") || t.Is("CASE")) {
            if (++depth > kDeepestNesting) {
                throw EngineError(ErrorNumber::kSyntax,
                                  dialect == Dialect::Jet
                                      ? "Query is too complex."
                                      : "Some part of your SQL statement is nested too deeply. "
                                        "Rewrite the query or break it up into smaller queries.");
            }
        } else if ((t.IsPunct(")") || t.Is("END")) && depth > 0) {
            --depth;
        }
    }
}

}  // namespace

void TranslateNested(const Tokens& tokens, Span span, Dialect dialect, Program& out) {
    TranslateStatement(tokens, span, dialect, out);
}

Program Translate(std::string_view text, Dialect dialect) {
    return TranslateTokens(text, Tokenize(text), dialect);
}

Program TranslateTokens(std::string_view text, Tokens tokens, Dialect dialect) {
    Program out;
    // The server runs a batch of blanks and comments as nothing. Jet has no comments: its
    // statement must begin with a word of a statement.
    if (tokens.empty() && dialect == Dialect::SqlServer && !text.empty()) return out;
    if (tokens.empty() && dialect == Dialect::Jet) {
        throw EngineError(ErrorNumber::kSyntax, kJetNoStatement);
    }
    RefuseDeepNesting(tokens, dialect);
    if (IsRoutineDefinition(tokens)) {
        TranslateRoutineDefinition(text, tokens, dialect, out);
        return out;
    }
    ReplaceExternalReferences(tokens, dialect, out);
    if (dialect == Dialect::SqlServer) {
        out.usesCatalogue = MapSystemCatalogue(tokens);
        NoteRoutineCalls(tokens, out);
    }
    const std::vector<Span> statements = SplitStatements(tokens, dialect);
    if (statements.empty() && dialect == Dialect::SqlServer) return out;  // ";" alone
    // Jet runs one statement a text: after its ';' only blanks (and comments) may follow.
    if (dialect == Dialect::Jet && statements.size() > 1) {
        throw EngineError(ErrorNumber::kSyntax, "Characters found after end of SQL statement.");
    }
    for (const Span& s : statements) TranslateStatement(tokens, s, dialect, out);
    if (out.steps.empty()) {
        throw EngineError(ErrorNumber::kSyntax, dialect == Dialect::Jet
                                                    ? kJetNoStatement
                                                    : "The statement text is empty.");
    }
    return out;
}

}  // namespace db::embedded
