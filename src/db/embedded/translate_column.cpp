// Column definitions of CREATE TABLE and ALTER TABLE ADD: name, declared type (kept as declared,
// see type_map.h), constraints. Text columns compare without regard to letter case (NOCASE)
// unless a case-sensitive collation is named (see CollationFor).
#include <array>
#include <charconv>

#include "db/embedded/char_padding.h"
#include "db/embedded/error_map.h"
#include "db/embedded/translate_forms.h"
#include "db/embedded/type_map.h"
#include "db/schema.h"

namespace db::embedded {
namespace {

constexpr std::array<std::string_view, 14> kConstraintWords{
    "NULL",   "NOT",   "CONSTRAINT", "DEFAULT", "IDENTITY",   "COLLATE", "PRIMARY",
    "UNIQUE", "CHECK", "REFERENCES", "WITH",    "ROWGUIDCOL", "SPARSE",  "FOREIGN"};

bool IsConstraintWord(const Token& t) {
    for (std::string_view word : kConstraintWords) {
        if (t.Is(word)) return true;
    }
    return false;
}

int ReadInt(const Cursor& c, const Token& t) {
    int v = 0;
    const auto [end, ec] = std::from_chars(t.value.data(), t.value.data() + t.value.size(), v);
    if (t.kind != TokenKind::Number || ec != std::errc() ||
        end != t.value.data() + t.value.size()) {
        c.Fail("near '" + t.value + "'");
    }
    return v;
}

// The server compiles a type name it has not (Jet's CURRENCY, MEMO, COUNTER, …) or a width on a
// type that takes none (int (10), text(32)) into errors 2715 and 2716, which fail the statement.
void CheckServerType(const Cursor& c, const DeclaredType& d, int ordinal) {
    if (c.Jet()) return;
    if (d.row == nullptr || d.row->server == ServerUse::kUnknown) {
        throw EngineError(ErrorNumber::kSyntax, "Column, parameter, or variable #" +
                                                    std::to_string(ordinal) +
                                                    ": Cannot find data type " + d.name + ".");
    }
    if (d.row->server == ServerUse::kNoWidth && c.Peek().IsPunct("(")) {
        throw EngineError(ErrorNumber::kSyntax,
                          "Cannot specify a column width on data type " + d.name + ".");
    }
}

DeclaredType ReadType(Cursor& c, int ordinal) {
    DeclaredType d;
    while (c.Peek().IsName() && !IsConstraintWord(c.Peek())) {
        if (!d.name.empty()) d.name += ' ';
        d.name += c.ReadName();
    }
    if (d.name.empty()) c.Fail("column type missing");
    d.row = FindType(d.name);
    CheckServerType(c, d, ordinal);
    if (d.row == nullptr) c.Fail("unknown type '" + d.name + "'");
    if (!c.Peek().IsPunct("(")) return d;
    const Span args = c.ReadParens();
    const Tokens& t = c.tokens();
    if (args.end == args.begin + 1 && t[args.begin].Is("MAX")) {
        d.max = true;
        return d;
    }
    if (args.Empty()) c.Fail("type size missing");
    d.size = ReadInt(c, t[args.begin]);
    if (args.end == args.begin + 3 && t[args.begin + 1].IsPunct(",")) {
        d.scale = ReadInt(c, t[args.begin + 2]);
        d.hasScale = true;
    } else if (args.end != args.begin + 1) {
        c.Fail("near '" + t[args.begin + 1].value + "'");
    }
    return d;
}

// IDENTITY [(seed, increment)]
std::string ReadIdentity(Cursor& c) {
    if (!c.Peek().IsPunct("(")) return "IDENTITY(1,1)";
    const Span args = c.ReadParens();
    const Tokens& t = c.tokens();
    if (args.end != args.begin + 3 || !t[args.begin + 1].IsPunct(",")) c.Fail("IDENTITY");
    return "IDENTITY(" + std::to_string(ReadInt(c, t[args.begin])) + "," +
           std::to_string(ReadInt(c, t[args.begin + 2])) + ")";
}

// The default value: one literal as it is; anything else in parentheses, which SQLite wants around
// expressions and strips when it keeps the text, so that "((0))" is kept as "((0))".
std::string ReadDefault(Cursor& c) {
    const std::size_t start = c.pos();
    int depth = 0;
    for (; !c.AtEnd(); c.Seek(c.pos() + 1)) {
        const Token& t = c.Peek();
        if (depth == 0 && c.pos() > start && IsConstraintWord(t) && !t.Is("NULL")) break;
        if (t.IsPunct("(")) ++depth;
        if (t.IsPunct(")")) --depth;
    }
    const Span value{start, c.pos()};
    if (value.Empty()) c.Fail("DEFAULT value missing");
    const std::string text = WriteExpression(c, value, ExpressionUse::Schema);
    return value.end == value.begin + 1 ? text : "(" + text + ")";
}

// The check that keeps the values of a sized text column within its size, counted as the dialect
// counts: characters, or for the non-Unicode types of the server kind bytes of the Korean code
// page, where every character beyond ASCII takes two.
std::string LengthCheck(const std::string& column, const DeclaredType& type, Dialect dialect) {
    if (!type.IsText() || type.row == nullptr || type.max || type.size <= 0) return {};
    const std::string name = QuoteName(column);
    const int ado = type.AdoType(dialect);
    const bool bytes =
        ado == AdoType::kChar || ado == AdoType::kVarChar || ado == AdoType::kLongVarChar;
    const std::string measure = bytes ? "length(" + name + ") + (length(CAST(" + name +
                                            " AS BLOB)) - length(" + name + ")) / 2"
                                      : "length(" + name + ")";
    return " CONSTRAINT " + QuoteName(std::string(kLengthCheckPrefix) + column) + " CHECK (" +
           measure + " <= " + std::to_string(type.size) + ")";
}

}  // namespace

ColumnDefinition ReadColumnDefinition(Cursor& c, int ordinal) {
    ColumnDefinition def;
    def.name = c.ReadName();
    DeclaredType type = ReadType(c, ordinal);
    std::string constraints;
    std::string collation = "NOCASE";
    bool notNull = false;
    bool primaryKey = false;
    while (!c.AtEnd()) {
        if (c.Accept("NULL")) {
            constraints += " NULL";
        } else if (c.Accept("NOT")) {
            c.Expect("NULL");
            constraints += " NOT NULL";
            notNull = true;
        } else if (c.Accept("CONSTRAINT")) {
            constraints += " CONSTRAINT " + QuoteName(c.ReadName());
        } else if (c.Accept("DEFAULT")) {
            constraints += " DEFAULT " + ReadDefault(c);
            def.hasDefault = true;
        } else if (c.Accept("IDENTITY")) {
            type.identity = ReadIdentity(c);
        } else if (c.Accept("COLLATE")) {
            const std::string name = UpperAscii(c.ReadName());
            collation = CollationFor(name, c.dialect());
        } else if (c.Accept("PRIMARY")) {
            c.Expect("KEY");
            SkipClusterOption(c);
            if (!c.Accept("ASC")) c.Accept("DESC");
            constraints += " PRIMARY KEY";
            primaryKey = true;
        } else if (c.Accept("UNIQUE")) {
            SkipClusterOption(c);
            constraints += " UNIQUE";
        } else if (c.Accept("CHECK")) {
            constraints +=
                " CHECK (" + WriteExpression(c, c.ReadParens(), ExpressionUse::Schema) + ")";
        } else if (c.Accept("REFERENCES")) {
            constraints += " REFERENCES " + QuoteName(c.ReadTableName());
            if (c.Peek().IsPunct("(")) {
                constraints += "(" + WriteIndexedColumns(c, c.ReadParens()) + ")";
            }
        } else if (c.Jet() && c.Accept("WITH")) {
            // WITH COMP[RESSION]: Jet's compressed texts; nothing to keep.
            if (!c.Accept("COMP")) c.Expect("COMPRESSION");
        } else {
            c.Fail("near '" + c.Peek().value + "'");
        }
    }
    // A primary key column holds no Null, as both dialects make it.
    if (primaryKey && !notNull) constraints += " NOT NULL";
    def.nullable = !notNull && !primaryKey;
    def.notNull = notNull;
    def.type = type;
    def.body = type.StoredText();
    if (type.IsText()) def.body += " COLLATE " + collation;
    def.body += constraints + LengthCheck(def.name, type, c.dialect());
    def.sql = QuoteName(def.name) + " " + def.body;
    return def;
}

void AddPadding(const std::string& table, const ColumnDefinition& def, Dialect dialect,
                Program& out) {
    const std::optional<FixedText> fixed = FixedTextOf(def.type, dialect);
    if (!fixed) return;
    std::vector<std::string> sql = PaddingTriggers(table, def.name, *fixed);
    sql.push_back(PadValues(table, def.name, *fixed));
    for (std::string& text : sql) {
        Step step;
        step.sql = std::move(text);
        out.steps.push_back(std::move(step));
    }
}

}  // namespace db::embedded
