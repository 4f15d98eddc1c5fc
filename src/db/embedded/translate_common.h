#pragma once
// Shared pieces of the statement translators: a cursor over the tokens of one statement, the
// expression writer, and the errors of the dialects.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/embedded/names.h"
#include "db/embedded/token.h"
#include "db/embedded/translator.h"
#include "db/embedded/type_map.h"

namespace db::embedded {

// Token indices [begin, end).
struct Span {
    std::size_t begin = 0;
    std::size_t end = 0;
    bool Empty() const { return begin >= end; }
};

class Cursor {
  public:
    Cursor(const Tokens& tokens, Span span, Dialect dialect, std::string form);

    const Tokens& tokens() const { return tokens_; }
    Dialect dialect() const { return dialect_; }
    bool Jet() const { return dialect_ == Dialect::Jet; }
    std::size_t pos() const { return pos_; }
    void Seek(std::size_t pos) { pos_ = pos; }
    std::size_t end() const { return end_; }
    bool AtEnd() const { return pos_ >= end_; }
    // The token ahead of the position; an Illegal token with an empty value past the end.
    const Token& Peek(std::size_t ahead = 0) const;
    // Span from the position to the end of the statement.
    Span Rest() const { return {pos_, end_}; }

    bool Accept(std::string_view word);
    bool AcceptPunct(std::string_view p);
    void Expect(std::string_view word);
    void ExpectPunct(std::string_view p);
    // One table, column or index name (bracketed, quoted or bare).
    std::string ReadName();
    // Name parts separated by '.': [dbo].[t].[i] gives {"dbo", "t", "i"}.
    std::vector<std::string> ReadNameParts();
    // A table name; a leading owner "dbo" (or database and owner) is dropped.
    std::string ReadTableName();
    // At '(': the span inside the parentheses; the position moves past the ')'.
    Span ReadParens();

    // 0x80040E14 with the dialect's text for a syntax error in this statement.
    [[noreturn]] void Fail(std::string_view detail) const;
    // 0x80040E14 for a construct that this statement form cannot run on the embedded engine yet.
    [[noreturn]] void NotSupported(std::string_view construct) const;

  private:
    const Tokens& tokens_;
    std::size_t pos_;
    std::size_t end_;
    Dialect dialect_;
    std::string form_;
};

// Index of the ')' that closes the '(' at open; end when it is missing.
std::size_t MatchParen(const Tokens& tokens, std::size_t open, std::size_t end);
// The top-level pieces of span separated by ','.
std::vector<Span> SplitCommas(const Tokens& tokens, Span span);
// Index of the first top-level Word equal to word in span; span.end when none.
std::size_t FindTopLevel(const Tokens& tokens, Span span, std::string_view word);

// What a translation may know of the tables that a statement names: the kinds of the values of
// their columns. Text '+' text joins and a money value rounds to an integer only where the kinds
// are known; the session answers from the file's schema.
class ColumnKinds {
  public:
    virtual ~ColumnKinds() = default;
    // The kind of column of table; empty when either is unknown.
    virtual std::optional<ValueKind> KindOf(std::string_view table, std::string_view column) = 0;
    // The kinds of the table's columns in their order; empty when the table is unknown.
    virtual std::vector<ValueKind> KindsOf(std::string_view table) = 0;
};

// While it lasts, the translations on this thread consult kinds (null: nothing is known).
class ColumnKindScope {
  public:
    explicit ColumnKindScope(ColumnKinds* kinds);
    ~ColumnKindScope();
    ColumnKindScope(const ColumnKindScope&) = delete;
    ColumnKindScope& operator=(const ColumnKindScope&) = delete;

  private:
    ColumnKinds* previous_;
};
ColumnKinds* CurrentColumnKinds();

// The tables that the statement of tokens names after FROM, JOIN, UPDATE and INTO.
std::vector<std::string> NamedTables(const Tokens& tokens, Span span);
// The kind of the column of one of tables; empty when no table knows it or they disagree.
std::optional<ValueKind> ColumnKindIn(const std::vector<std::string>& tables,
                                      std::string_view column);

// A text literal as a value of a date column: the stored date text when the text reads as a
// date in a form other than the stored one; empty otherwise.
std::optional<std::string> DateLiteralText(const Token& t);
// tokens with each text literal of values (one per target kind, in order; values may be
// shorter) that a Date target converts replaced by its stored date text.
void ConvertDateLiterals(Tokens& tokens, const std::vector<Span>& values,
                         const std::vector<std::optional<ValueKind>>& kinds);

// The SQLite text of a literal token (text, number or date), as every expression writes it
// wherever it stands; empty for other tokens and for a date literal that is no date.
std::optional<std::string> WriteLiteral(const Token& t);

// The SQLite collation for a collation name of the dialects (Korean_Wansung_CI_AS, …). Case-
// insensitive ones compare as NOCASE (which on the server kind also ignores trailing blanks, see
// text_order.h); case-sensitive ones as BINARY in Jet, and on the server kind as RTRIM, since
// the server ignores trailing blanks whatever the collation.
std::string_view CollationFor(std::string_view name, Dialect dialect);

// Where an expression is written: in a statement, or in the schema (defaults and checks), which
// must stay readable by plain SQLite and so may not call the engine's own functions.
enum class ExpressionUse { Statement, Schema };

// The SQLite text of an expression or clause: names quoted, owner prefixes dropped, literals
// rewritten (N'x', #date#), functions mapped, SELECT TOP turned into LIMIT, '+' between texts
// joining them.
std::string WriteExpression(const Cursor& c, Span span,
                            ExpressionUse use = ExpressionUse::Statement);

// Storage clauses that the embedded engine has no use for: WITH (…), ON [PRIMARY],
// TEXTIMAGE_ON [PRIMARY]. Jet refuses them (0x80040E14).
void SkipStorageOptions(Cursor& c);
// CLUSTERED or NONCLUSTERED, when present.
void SkipClusterOption(Cursor& c);

// An indexed column list "[a] ASC, [b]" as "\"a\" ASC, \"b\"".
std::string WriteIndexedColumns(const Cursor& c, Span span);

}  // namespace db::embedded
