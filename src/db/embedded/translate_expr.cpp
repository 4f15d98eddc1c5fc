// The expression writer: re-emits the tokens of a clause for SQLite, token by token, with the
// rewrites both dialects need (quoted names, literals, functions, SELECT TOP).
#include <algorithm>
#include <array>
#include <utility>

#include "db/embedded/date_text.h"
#include "db/embedded/translate_common.h"
#include "db/embedded/type_map.h"

namespace db::embedded {
namespace {

enum class Fn {
    Keep,           // same name and arguments
    Rename,         // target name, same arguments
    TrimmedLength,  // LEN of T-SQL: length without trailing blanks
    Cast,           // CAST(x AS type)
    Convert,        // CONVERT(type, x [, style]) as CAST
    IsNullTest,     // Jet IsNull(x): x IS NULL
    Now,            // the local date and time as stored text
    CharIndex,      // CHARINDEX(part, text): instr(text, part)
    DataLength,     // DATALENGTH of T-SQL: bytes by the server type of the argument
    Reject,         // a function the dialect does not have
};

struct FunctionRule {
    std::string_view name;
    Fn jet;
    std::string_view jetTarget;
    Fn sqlServer;
    std::string_view sqlServerTarget;
};

// dp_left and dp_right are registered on every connection (functions.cpp).
constexpr std::array kFunctions{
    FunctionRule{"LEN", Fn::Rename, "length", Fn::TrimmedLength, ""},
    FunctionRule{"CONVERT", Fn::Reject, "", Fn::Convert, ""},
    FunctionRule{"CAST", Fn::Cast, "", Fn::Cast, ""},
    FunctionRule{"ISNULL", Fn::IsNullTest, "", Fn::Rename, "ifnull"},
    FunctionRule{"UCASE", Fn::Rename, "upper", Fn::Rename, "upper"},
    FunctionRule{"LCASE", Fn::Rename, "lower", Fn::Rename, "lower"},
    FunctionRule{"MID", Fn::Rename, "substr", Fn::Rename, "substr"},
    FunctionRule{"SUBSTRING", Fn::Rename, "substr", Fn::Rename, "substr"},
    FunctionRule{"LEFT", Fn::Rename, "dp_left", Fn::Rename, "dp_left"},
    FunctionRule{"RIGHT", Fn::Rename, "dp_right", Fn::Rename, "dp_right"},
    FunctionRule{"CHR", Fn::Rename, "dp_chr", Fn::Reject, ""},
    FunctionRule{"CHRW", Fn::Rename, "dp_chrw", Fn::Reject, ""},
    FunctionRule{"GETDATE", Fn::Now, "", Fn::Now, ""},
    FunctionRule{"NOW", Fn::Now, "", Fn::Now, ""},
    FunctionRule{"CHARINDEX", Fn::Keep, "", Fn::CharIndex, ""},
    FunctionRule{"REPLACE", Fn::Keep, "", Fn::Keep, ""},
    FunctionRule{"DATALENGTH", Fn::Keep, "", Fn::DataLength, ""},
};

const FunctionRule* FindFunction(std::string_view name) {
    for (const FunctionRule& rule : kFunctions) {
        if (EqualsNoCase(rule.name, name)) return &rule;
    }
    return nullptr;
}

// SQLite's CAST target for a type of either dialect: the affinity of the type's kind.
constexpr std::array<std::string_view, 8> kCastTypes{"TEXT", "INTEGER", "REAL",    "REAL",
                                                     "REAL", "TEXT",    "INTEGER", "BLOB"};

// Punctuation that ends an operand of '+': operators of lower or equal precedence and separators.
constexpr std::array<std::string_view, 17> kOperandEnds{
    ",", "=", "<>", "!=", "<", ">", "<=", ">=", "!<", "!>", "&", "|", "^", "||", ";", "+", "-"};

// Words that stand for a value although they are keywords.
constexpr std::array<std::string_view, 4> kValueWords{"NULL", "TRUE", "FALSE", "CURRENT_TIMESTAMP"};

bool IsOneOf(std::string_view value, const auto& list) {
    for (std::string_view item : list) {
        if (EqualsNoCase(value, item)) return true;
    }
    return false;
}

// Functions whose result is a text whatever their arguments.
constexpr std::array<std::string_view, 22> kTextFunctions{
    "LEFT",  "RIGHT", "SUBSTRING", "MID",     "UPPER", "LOWER", "UCASE",     "LCASE",
    "LTRIM", "RTRIM", "TRIM",      "REPLACE", "SPACE", "STR",   "REPLICATE", "CHAR",
    "NCHAR", "STUFF", "FORMAT",    "CONCAT",  "CHR",   "CHRW"};

// Functions whose result is a number whatever their arguments.
constexpr std::array<std::string_view, 9> kNumberFunctions{
    "LEN", "CHARINDEX", "DATALENGTH", "COUNT", "ASCII", "UNICODE", "DATEDIFF", "INSTR", "ABS"};

// Comparison operators: a text compared with a date column is read as a date.
constexpr std::array<std::string_view, 9> kComparisons{"=",  "<>", "!=", "<", ">",
                                                       "<=", ">=", "!<", "!>"};

class Writer {
  public:
    Writer(const Cursor& c, ExpressionUse use) : c_(c), t_(c.tokens()), use_(use) {}

    std::string Run(Span span) {
        Write(span);
        return std::move(out_);
    }

  private:
    void Put(std::string_view piece) {
        if (piece.empty()) return;
        const bool tight = out_.empty() || out_.back() == '(' || out_.back() == '.' ||
                           piece.front() == ')' || piece.front() == ',' || piece.front() == '.';
        if (!tight) out_ += ' ';
        out_ += piece;
    }

    [[noreturn]] void FailAt(std::size_t i) const {
        c_.Fail(i < t_.size() ? "near '" + t_[i].value + "'" : "unexpected end");
    }

    // The span piece by piece: the operands between operators of '+' precedence or lower, and
    // the operators. A piece that adds operands with '+' is written by WriteSum.
    static bool IsConcat(const Token& t) { return t.IsPunct("&") || t.IsPunct("||"); }

    void Write(Span s, bool split = true) {
        if (!split) {
            if (HasSum(s)) return WriteSum(s);
            for (std::size_t i = s.begin; i < s.end;) i = WriteToken(i, s);
            return;
        }
        std::size_t i = s.begin;
        while (i < s.end) {
            const std::size_t end = PieceEnd(i, s);
            if (c_.Jet() && end < s.end && t_[end].IsPunct("&") &&
                use_ == ExpressionUse::Statement) {
                i = WriteJoin(i, end, s);
                continue;
            }
            // SQLite's '||' binds tighter than '+' and '-', Jet's '&' looser.
            const bool joined =
                (i > s.begin && IsConcat(t_[i - 1])) || (end < s.end && IsConcat(t_[end]));
            if (joined && end > i && !Operators({i, end}).empty()) {
                Put("(");
                Write({i, end}, false);
                Put(")");
                i = end;
                continue;
            }
            if (end > i && HasSum({i, end})) {
                WriteSum({i, end});
                i = end;
                continue;
            }
            const std::size_t stop = std::max(end, i + 1);
            while (i < stop) i = WriteToken(i, s);
        }
    }

    // Index past the token or group at i: a parenthesized group or a CASE … END block as a whole.
    std::size_t Skip(std::size_t i, Span s) const {
        if (t_[i].IsPunct("(")) return std::min(MatchParen(t_, i, s.end) + 1, s.end);
        if (!t_[i].Is("CASE")) return i + 1;
        int depth = 0;
        for (std::size_t j = i; j < s.end; ++j) {
            if (t_[j].IsPunct("(")) j = MatchParen(t_, j, s.end);
            if (j >= s.end) break;
            if (t_[j].Is("CASE")) ++depth;
            if (t_[j].Is("END") && --depth == 0) return j + 1;
        }
        return s.end;
    }

    // A token that ends the operands of an addition: an operator of '+' precedence or lower, a
    // separator, or a keyword that is no value and no function call.
    bool EndsOperand(std::size_t i, Span s) const {
        const Token& t = t_[i];
        if (t.kind == TokenKind::Punct) return IsOneOf(t.value, kOperandEnds);
        if (t.kind != TokenKind::Word || !t.keyword) return false;
        if (IsOneOf(t.value, kValueWords) || t.Is("CASE")) return false;
        const bool call = i + 1 < s.end && t_[i + 1].IsPunct("(");
        return !(call && FindFunction(t.value) != nullptr);
    }

    // End of the piece that starts at i: i itself when the token there ends operands; otherwise
    // the next token that does, '+' and '-' between operands excepted.
    std::size_t PieceEnd(std::size_t i, Span s) const {
        if (EndsOperand(i, s) && !t_[i].IsPunct("+") && !t_[i].IsPunct("-")) return i;
        std::size_t j = i;
        while (j < s.end) {
            const bool sign = t_[j].IsPunct("+") || t_[j].IsPunct("-");
            if (EndsOperand(j, s) && !sign) break;
            j = Skip(j, s);
        }
        return j;
    }

    // True when the token before i ends an operand, so that '+' or '-' at i is binary.
    bool AfterOperand(std::size_t i, Span piece) const {
        if (i == piece.begin) return false;
        const Token& before = t_[i - 1];
        if (before.kind == TokenKind::Punct) return before.IsPunct(")");
        return before.kind != TokenKind::Word || !before.keyword || before.Is("END") ||
               IsOneOf(before.value, kValueWords);
    }

    // The binary '+' and '-' of the piece, in order.
    std::vector<std::size_t> Operators(Span piece) const {
        std::vector<std::size_t> ops;
        for (std::size_t i = piece.begin; i < piece.end; i = Skip(i, piece)) {
            const bool sign = t_[i].IsPunct("+") || t_[i].IsPunct("-");
            if (sign && AfterOperand(i, piece)) ops.push_back(i);
        }
        return ops;
    }

    bool HasSum(Span piece) const {
        for (std::size_t i : Operators(piece)) {
            if (t_[i].IsPunct("+")) return true;
        }
        return false;
    }

    // The kind of an expression's value where the translation can tell it: from literals, the
    // declared types of columns, the types of CAST and CONVERT, functions of one result type,
    // and the branches of CASE (the type of higher precedence, number over text, decides).
    enum class Kind { Unknown, Number, Money, Text, Date };

    static bool Numeric(Kind k) { return k == Kind::Number || k == Kind::Money; }

    static Kind FromValueKind(ValueKind v) {
        switch (v) {
            case ValueKind::Text:
                return Kind::Text;
            case ValueKind::Currency:
                return Kind::Money;
            case ValueKind::Date:
                return Kind::Date;
            case ValueKind::Binary:
                return Kind::Unknown;
            default:
                return Kind::Number;
        }
    }

    // The branch kinds of CASE, COALESCE or IIf: the highest of known kinds; unknown when one
    // branch is unknown.
    static Kind Highest(const std::vector<Kind>& kinds) {
        Kind out = Kind::Unknown;
        for (Kind k : kinds) {
            if (k == Kind::Unknown) return Kind::Unknown;
            if (out == Kind::Unknown || (out == Kind::Text && k != Kind::Text)) out = k;
        }
        return out;
    }

    const std::vector<std::string>& Tables() const {
        if (!tablesRead_) {
            tables_ = NamedTables(t_, {0, t_.size()});
            tablesRead_ = true;
        }
        return tables_;
    }

    Kind ColumnKind(std::string_view column) const {
        if (CurrentColumnKinds() == nullptr) return Kind::Unknown;
        const std::optional<ValueKind> kind = ColumnKindIn(Tables(), column);
        return kind ? FromValueKind(*kind) : Kind::Unknown;
    }

    Kind TypeKind(Span type) const {
        std::string name;
        for (std::size_t j = type.begin; j < type.end && t_[j].IsName(); ++j) {
            if (!name.empty()) name += ' ';
            name += t_[j].value;
        }
        const TypeRow* row = FindType(name);
        return row == nullptr ? Kind::Unknown : FromValueKind(row->kind);
    }

    // The kinds of the THEN and ELSE results of the CASE block at i (ending before end).
    Kind CaseKind(std::size_t i, std::size_t end) const {
        std::vector<Kind> kinds;
        std::size_t from = 0;
        auto close = [&](std::size_t at) {
            if (from != 0 && at > from) {
                const Span value{from, at};
                if (!(value.end == value.begin + 1 && t_[value.begin].Is("NULL"))) {
                    kinds.push_back(ExpressionKind(value));
                }
            }
            from = 0;
        };
        for (std::size_t j = i + 1; j < end; j = Skip(j, {0, end})) {
            if (t_[j].Is("WHEN") || t_[j].Is("END")) close(j);
            if (t_[j].Is("THEN") || t_[j].Is("ELSE")) {
                close(j);
                from = j + 1;
            }
        }
        return Highest(kinds);
    }

    Kind CallKind(std::size_t i, Span s) const {
        const std::size_t close = MatchParen(t_, i + 1, s.end);
        if (close >= s.end) return Kind::Unknown;
        const Span inner{i + 2, close};
        const std::string_view name = t_[i].value;
        if (IsOneOf(name, kTextFunctions)) return Kind::Text;
        if (IsOneOf(name, kNumberFunctions)) return Kind::Number;
        const std::vector<Span> args = SplitCommas(t_, inner);
        if (EqualsNoCase(name, "CAST")) {
            const std::size_t as = FindTopLevel(t_, inner, "AS");
            return as < inner.end ? TypeKind({as + 1, inner.end}) : Kind::Unknown;
        }
        if (EqualsNoCase(name, "CONVERT")) return TypeKind(args[0]);
        if (EqualsNoCase(name, "ISNULL") && !c_.Jet()) return ExpressionKind(args[0]);
        if (EqualsNoCase(name, "COALESCE") || EqualsNoCase(name, "IIF")) {
            std::vector<Kind> kinds;
            const std::size_t first = EqualsNoCase(name, "IIF") ? 1 : 0;
            for (std::size_t k = first; k < args.size(); ++k) {
                const Span a = args[k];
                if (a.end == a.begin + 1 && t_[a.begin].Is("NULL")) continue;
                kinds.push_back(ExpressionKind(a));
            }
            return Highest(kinds);
        }
        return Kind::Unknown;
    }

    // The kind of one operand: a literal, a column, a group, a CASE block or a call.
    Kind KindOf(Span operand) const {
        if (operand.Empty()) return Kind::Unknown;
        const Token& t = t_[operand.begin];
        if (operand.end == operand.begin + 1) {
            if (t.kind == TokenKind::Number) return Kind::Number;
            if (t.kind == TokenKind::String || t.kind == TokenKind::NString) return Kind::Text;
            if (t.kind == TokenKind::Date) return Kind::Date;
            if (t.IsName() && !(t.kind == TokenKind::Word && t.keyword)) {
                return ColumnKind(t.value);
            }
            return Kind::Unknown;
        }
        const std::size_t end = Skip(operand.begin, operand);
        if (t.IsPunct("(") && end == operand.end) {
            if (t_[operand.begin + 1].Is("SELECT")) return Kind::Unknown;
            return ExpressionKind({operand.begin + 1, operand.end - 1});
        }
        if (t.Is("CASE") && end == operand.end) return CaseKind(operand.begin, operand.end);
        if (t.kind == TokenKind::Word && t_[operand.begin + 1].IsPunct("(") &&
            MatchParen(t_, operand.begin + 1, operand.end) + 1 == operand.end) {
            return CallKind(operand.begin, operand);
        }
        // alias.column
        if (t.IsName() && operand.end == operand.begin + 3 && t_[operand.begin + 1].IsPunct(".") &&
            t_[operand.begin + 2].IsName()) {
            return ColumnKind(t_[operand.begin + 2].value);
        }
        return Kind::Unknown;
    }

    // The kind of an expression: of its one operand, or of the sum or product its operators
    // make.
    Kind ExpressionKind(Span span) const {
        if (span.Empty()) return Kind::Unknown;
        for (std::size_t j = span.begin; j < span.end; j = Skip(j, span)) {
            const Token& t = t_[j];
            if (t.IsPunct("*") || t.IsPunct("/") || t.IsPunct("%")) return ProductKind(span);
            if (t.kind == TokenKind::Punct && !t.IsPunct("+") && !t.IsPunct("-") &&
                !t.IsPunct(".") && !t.IsPunct("(")) {
                return Kind::Unknown;
            }
            if (t.kind == TokenKind::Word && t.keyword && EndsOperand(j, span)) {
                return Kind::Unknown;
            }
        }
        const std::vector<std::size_t> ops = Operators(span);
        if (ops.empty()) {
            std::size_t begin = span.begin;
            bool sign = false;
            while (begin < span.end && (t_[begin].IsPunct("-") || t_[begin].IsPunct("+"))) {
                ++begin;
                sign = true;
            }
            const Kind k = KindOf({begin, span.end});
            return sign && k == Kind::Text ? Kind::Unknown : k;
        }
        Kind kind = KindOf({span.begin, ops.front()});
        for (std::size_t k = 0; k < ops.size(); ++k) {
            const Kind right = KindOf({ops[k] + 1, k + 1 < ops.size() ? ops[k + 1] : span.end});
            kind = SumKind(t_[ops[k]].IsPunct("-"), kind, right);
        }
        return kind;
    }

    // The kind of an expression with '*', '/' or '%': money when an operand is money and none
    // is a text (money times or by an integer stays money), else a number.
    Kind ProductKind(Span span) const {
        bool money = false;
        std::size_t from = span.begin;
        auto operand = [&](std::size_t end) {
            std::size_t begin = from;
            while (begin < end && (t_[begin].IsPunct("-") || t_[begin].IsPunct("+"))) ++begin;
            const Kind k = KindOf({begin, end});
            if (k == Kind::Text) return false;
            money = money || k == Kind::Money;
            return true;
        };
        for (std::size_t j = span.begin; j < span.end; j = Skip(j, span)) {
            const Token& t = t_[j];
            const bool op = t.IsPunct("*") || t.IsPunct("/") || t.IsPunct("%") ||
                            ((t.IsPunct("+") || t.IsPunct("-")) && AfterOperand(j, span));
            if (!op) continue;
            if (!operand(j)) return Kind::Number;
            from = j + 1;
        }
        if (!operand(span.end)) return Kind::Number;
        return money ? Kind::Money : Kind::Number;
    }

    // The kind of a + b (or a - b) from the kinds of a and b.
    static Kind SumKind(bool minus, Kind left, Kind right) {
        if (left == Kind::Text && right == Kind::Text && !minus) return Kind::Text;
        // Money with an integer stays money (the integer is the lower type).
        if (Numeric(left) && Numeric(right)) {
            return left == Kind::Money || right == Kind::Money ? Kind::Money : Kind::Number;
        }
        if (minus || Numeric(left) || Numeric(right)) return Kind::Number;
        return Kind::Unknown;
    }

    std::string Render(Span operand) const {
        Writer w(c_, use_);
        w.Write(operand);
        return std::move(w.out_);
    }

    // a + b + c, left to right, by the kinds of the operands: two texts are joined, numbers
    // add, and a number with an operand of unknown kind adds as SQLite converts texts that read
    // as numbers. A text with a number, and operands of unknown kinds, are decided by their
    // values (dp_add, functions.cpp: a text that is no number there fails the statement). Schema
    // texts keep SQLite's '+', since the schema must not need the engine's functions.
    void WriteSum(Span piece) {
        const std::vector<std::size_t> ops = Operators(piece);
        Span operand{piece.begin, ops.front()};
        std::string sum = Render(operand);
        Kind kind = KindOf(operand);
        for (std::size_t k = 0; k < ops.size(); ++k) {
            operand = {ops[k] + 1, k + 1 < ops.size() ? ops[k + 1] : piece.end};
            if (operand.Empty()) FailAt(ops[k]);
            const Kind right = KindOf(operand);
            const std::string value = Render(operand);
            const bool minus = t_[ops[k]].IsPunct("-");
            const bool plain =
                (Numeric(kind) && right != Kind::Text) || (Numeric(right) && kind != Kind::Text);
            if (minus || plain) {
                sum += (minus ? " - " : " + ") + value;
            } else if (kind == Kind::Text && right == Kind::Text) {
                sum += " || " + value;
            } else if (use_ == ExpressionUse::Schema) {
                sum += " + " + value;
            } else {
                sum = "dp_add(" + sum + ", " + value + ")";
            }
            kind = SumKind(minus, kind, right);
        }
        Put(sum);
    }

    std::size_t WriteToken(std::size_t i, Span s) {
        const Token& t = t_[i];
        switch (t.kind) {
            case TokenKind::Word:
                return WriteWord(i, s);
            case TokenKind::QuotedName:
                return WriteName(i, s);
            case TokenKind::String:
            case TokenKind::NString:
                if (HidesLikePrefix(i, s)) {
                    Put("(" + *WriteLiteral(t) + " || '')");
                    return i + 1;
                }
                return WriteText(i, s);
            case TokenKind::Number:
                Put(*WriteLiteral(t));
                return i + 1;
            case TokenKind::Date:
                return WriteDate(i);
            case TokenKind::Punct:
                return WritePunct(i, s);
            case TokenKind::Query:
                Put("(" + t.value + ")");
                return i + 1;
            case TokenKind::Variable:
            case TokenKind::Illegal:
                break;
        }
        FailAt(i);
    }

    // a & b & … of Jet: each operand as a text, a Null one as an empty text, Null only when
    // both are Null (dp_join, functions.cpp). '&' binds looser than '+' and '-', so each operand
    // is a piece of its own.
    std::size_t WriteJoin(std::size_t i, std::size_t end, Span s) {
        std::string joined = Render({i, end});
        while (end < s.end && t_[end].IsPunct("&")) {
            const std::size_t next = PieceEnd(end + 1, s);
            if (next <= end + 1) FailAt(end);
            joined = "dp_join(" + joined + ", " + Render({end + 1, next}) + ")";
            end = next;
        }
        Put(joined);
        return end;
    }

    // On the server kind a LIKE pattern whose text before the first wildcard ends in a blank
    // ('ab %') is written as an expression. SQLite searches a literal pattern as the range of its
    // prefix by the column's collation, without matching the pattern again, and the server
    // kind's collation ignores the prefix's trailing blank: 'ab' would fall in the range of
    // 'ab '. The server matches LIKE as written.
    bool HidesLikePrefix(std::size_t i, Span s) const {
        if (c_.Jet() || i == s.begin || !t_[i - 1].Is("LIKE")) return false;
        const std::string& pattern = t_[i].value;
        const std::size_t wildcard = pattern.find_first_of("%_");
        const std::size_t prefix = wildcard == std::string::npos ? pattern.size() : wildcard;
        return prefix > 0 && pattern[prefix - 1] == ' ';
    }

    std::size_t WritePunct(std::size_t i, Span s) {
        const Token& t = t_[i];
        if (t.IsPunct("(")) {
            const std::size_t close = MatchParen(t_, i, s.end);
            if (close >= s.end) c_.Fail("')' missing");
            Put("(");
            Write({i + 1, close});
            Put(")");
            return close + 1;
        }
        if (t.IsPunct(")")) FailAt(i);
        if ((t.IsPunct("/") || t.IsPunct("%")) && use_ != ExpressionUse::Schema) {
            return WriteDivision(i, s);
        }
        if (t.IsPunct("!<")) {
            Put(">=");
        } else if (t.IsPunct("!>")) {
            Put("<=");
        } else if (t.IsPunct("&") && c_.Jet()) {
            Put("||");  // Jet's text concatenation
        } else {
            Put(t.value);
        }
        return i + 1;
    }

    // Index past the operand that starts at i: its signs, then a group, a CASE block, a call,
    // a dotted name or a single token.
    std::size_t OperandEnd(std::size_t i, Span s) const {
        while (i < s.end && (t_[i].IsPunct("-") || t_[i].IsPunct("+") || t_[i].IsPunct("~"))) ++i;
        if (i >= s.end) return s.end;
        if (t_[i].IsPunct("(") || t_[i].Is("CASE")) return Skip(i, s);
        if (t_[i].kind == TokenKind::Word && i + 1 < s.end && t_[i + 1].IsPunct("(")) {
            return Skip(i + 1, s);
        }
        if (!t_[i].IsName()) return i + 1;
        std::size_t j = i + 1;
        while (j + 1 < s.end && t_[j].IsPunct(".") && t_[j + 1].IsName()) j += 2;
        return j;
    }

    // a / b and a % b: both dialects refuse a statement that divides by zero where SQLite gives
    // Null, so the divisor passes through a function that raises the dialect's error on zero
    // (functions.cpp). The statement fails and SQLite undoes what it had changed.
    std::size_t WriteDivision(std::size_t i, Span s) {
        const std::size_t end = OperandEnd(i + 1, s);
        if (end <= i + 1) FailAt(i);
        Put(t_[i].value);
        Put(c_.Jet() ? "dp_jet_divisor(" : "dp_divisor(");
        Write({i + 1, end});
        Put(")");
        return end;
    }

    std::size_t WriteWord(std::size_t i, Span s) {
        const Token& t = t_[i];
        const bool call = i + 1 < s.end && t_[i + 1].IsPunct("(");
        if (call && (!t.keyword || FindFunction(t.value) != nullptr)) return WriteCall(i, s);
        if (t.Is("SELECT")) return WriteQuery(i, s);
        if (t.Is("CASE")) return WriteCase(i, s);
        if (c_.Jet() && (t.Is("TRUE") || t.Is("FALSE"))) {
            Put(t.Is("TRUE") ? "-1" : "0");  // Jet's Yes is -1
            return i + 1;
        }
        if (t.Is("COLLATE")) return WriteCollate(i, s);
        if (!t.keyword) return WriteName(i, s);
        Put(t.value);
        return i + 1;
    }

    // CASE … END: the parts between its words are expressions of their own, so that '+' in a
    // branch is decided as anywhere else.
    std::size_t WriteCase(std::size_t i, Span s) {
        const std::size_t end = Skip(i, s);
        if (end <= i + 1 || !t_[end - 1].Is("END")) FailAt(i);
        Put("CASE");
        Write({i + 1, end - 1});
        Put("END");
        return end;
    }

    // name, owner.name, alias.column, alias.*: each part quoted, the owner dbo dropped.
    std::size_t WriteName(std::size_t i, Span s) {
        std::vector<std::string> parts{t_[i].value};
        std::size_t j = i + 1;
        bool star = false;
        while (j + 1 < s.end && t_[j].IsPunct(".")) {
            if (t_[j + 1].IsPunct("*")) {
                star = true;
                j += 2;
                break;
            }
            if (!t_[j + 1].IsName()) break;
            parts.push_back(t_[j + 1].value);
            j += 2;
        }
        if (parts.size() >= 2 && EqualsNoCase(parts[parts.size() - 2], "dbo")) {
            parts.erase(parts.begin(), parts.end() - 1);
        }
        std::string text;
        for (const std::string& part : parts) {
            if (!text.empty()) text += '.';
            text += QuoteName(part);
        }
        if (star) text += ".*";
        Put(text);
        return j;
    }

    std::size_t WriteDate(std::size_t i) {
        if (!c_.Jet()) FailAt(i);
        // Jet refuses a date literal that it cannot read as a date.
        const std::optional<std::string> date = WriteLiteral(t_[i]);
        if (!date) c_.Fail("syntax error in date '#" + t_[i].value + "#'");
        Put(*date);
        return i + 1;
    }

    std::size_t WriteCollate(std::size_t i, Span s) {
        if (i + 1 >= s.end || !t_[i + 1].IsName()) FailAt(i);
        Put("COLLATE " + std::string(CollationFor(t_[i + 1].value, c_.dialect())));
        return i + 2;
    }

    // SELECT [DISTINCT|ALL] [TOP n] ...: the query reaches to the end of the span; TOP n becomes
    // LIMIT n at its end.
    std::size_t WriteQuery(std::size_t i, Span s) {
        Put(t_[i].value);
        ++i;
        if (i < s.end && (t_[i].Is("DISTINCT") || t_[i].Is("ALL"))) Put(t_[i++].value);
        std::string limit;
        if (i < s.end && t_[i].Is("TOP")) {
            ++i;
            const bool paren = i < s.end && t_[i].IsPunct("(");
            if (paren) ++i;
            if (i >= s.end || t_[i].kind != TokenKind::Number) FailAt(i);
            limit = t_[i++].value;
            if (paren && (i >= s.end || !t_[i++].IsPunct(")"))) FailAt(i - 1);
            if (i < s.end && t_[i].Is("PERCENT")) c_.NotSupported("TOP … PERCENT");
            if (i + 1 < s.end && t_[i].Is("WITH") && t_[i + 1].Is("TIES")) i += 2;
        }
        Write({i, s.end});
        if (!limit.empty()) Put("LIMIT " + limit);
        return s.end;
    }

    std::size_t WriteCall(std::size_t i, Span s) {
        const std::size_t close = MatchParen(t_, i + 1, s.end);
        if (close >= s.end) c_.Fail("')' missing");
        const Span inner{i + 2, close};
        const FunctionRule* rule = FindFunction(t_[i].value);
        const Fn fn = rule == nullptr ? Fn::Keep : c_.Jet() ? rule->jet : rule->sqlServer;
        const std::string_view target = rule == nullptr ? std::string_view()
                                        : c_.Jet()      ? rule->jetTarget
                                                        : rule->sqlServerTarget;
        WriteFunction(fn, fn == Fn::Rename ? target : std::string_view(t_[i].value), inner, i);
        return close + 1;
    }

    void WriteFunction(Fn fn, std::string_view name, Span inner, std::size_t at) {
        const std::vector<Span> args = SplitCommas(t_, inner);
        switch (fn) {
            case Fn::Keep:
            case Fn::Rename:
                Put(std::string(name) + "(");
                Write(inner);
                Put(")");
                return;
            case Fn::TrimmedLength:
                Put("length(rtrim(");
                Write(inner);
                Put(", ' '))");
                return;
            case Fn::Cast: {
                const std::size_t as = FindTopLevel(t_, inner, "AS");
                if (as >= inner.end) FailAt(at);
                return WriteCast({inner.begin, as}, {as + 1, inner.end});
            }
            case Fn::Convert:
                if (args.size() < 2) FailAt(at);
                return WriteCast(args[1], args[0]);
            case Fn::IsNullTest:
                Put("(");
                Write(inner);
                Put("IS NULL)");
                return;
            case Fn::Now:
                Put("datetime('now', 'localtime')");
                return;
            case Fn::CharIndex:
                if (args.size() != 2) c_.NotSupported("CHARINDEX with a start position");
                Put("instr(");
                Write(args[1]);
                Put(",");
                Write(args[0]);
                Put(")");
                return;
            case Fn::DataLength:
                if (args.size() != 1) FailAt(at);
                return WriteDataLength(inner);
            case Fn::Reject:
                break;
        }
        FailAt(at);
    }

    // The server type that decides the bytes of an argument of DATALENGTH, by its first operand
    // that tells: a text literal ('x' varchar, N'x' nvarchar), the type a CAST or CONVERT gives,
    // or a column ("column" and its name). Empty when none tells: the value decides.
    std::pair<std::string, std::string> ArgumentType(Span arg) const {
        // A conversion of the whole argument gives its type.
        if (t_[arg.begin].Is("CAST") || t_[arg.begin].Is("CONVERT")) {
            for (std::size_t j = arg.begin + 2; j < arg.end; ++j) {
                const bool converts =
                    t_[j - 1].Is("AS") || (j == arg.begin + 2 && t_[arg.begin].Is("CONVERT"));
                if (t_[j].kind != TokenKind::Word || !converts || !FindType(t_[j].value)) continue;
                std::string type = t_[j].value;
                if (j + 1 < arg.end && t_[j + 1].IsPunct("(")) {
                    const std::size_t close = MatchParen(t_, j + 1, arg.end);
                    for (std::size_t k = j + 1; k <= close && k < arg.end; ++k) type += t_[k].value;
                }
                return {type, ""};
            }
        }
        std::string number;  // the type of the first number, when nothing else tells
        for (std::size_t j = arg.begin; j < arg.end; ++j) {
            const Token& t = t_[j];
            if (t.kind == TokenKind::String) return {"varchar", ""};
            if (t.kind == TokenKind::NString) return {"nvarchar", ""};
            if (t.kind == TokenKind::Number && number.empty()) number = NumberType(t.value);
            const bool call = j + 1 < arg.end && t_[j + 1].IsPunct("(");
            if (call && (t.Is("GETDATE") || t.Is("NOW"))) return {"datetime", ""};
            if (t.Is("CURRENT_TIMESTAMP")) return {"datetime", ""};
            if (!t.IsName() || call || (t.kind == TokenKind::Word && t.keyword)) continue;
            std::size_t last = j;
            while (last + 2 < arg.end && t_[last + 1].IsPunct(".") && t_[last + 2].IsName()) {
                last += 2;
            }
            return {"column", t_[last].value};
        }
        return {number, ""};
    }

    // The server's type of a number constant: int, or decimal with the digits written (a whole
    // number beyond int is decimal too), float with an exponent.
    static std::string NumberType(const std::string& text) {
        if (text.find_first_of("eE") != std::string::npos) return "float";
        const std::size_t point = text.find('.');
        std::size_t digits = 0;
        for (char ch : text) digits += ch >= '0' && ch <= '9' ? 1 : 0;
        const std::size_t scale = point == std::string::npos ? 0 : text.size() - point - 1;
        if (point == std::string::npos && (digits < 10 || (digits == 10 && text <= "2147483647"))) {
            return "int";
        }
        return "decimal(" + std::to_string(std::max<std::size_t>(digits, 1)) + "," +
               std::to_string(scale) + ")";
    }

    // The tables that the statement text names after FROM, JOIN, UPDATE or INTO (lists after
    // FROM included), in order: where a column of DATALENGTH is looked for.
    std::string TablesOfStatement() const {
        std::string tables;
        for (std::size_t i = 0; i < t_.size(); ++i) {
            if (!t_[i].Is("FROM") && !t_[i].Is("JOIN") && !t_[i].Is("UPDATE") &&
                !t_[i].Is("INTO")) {
                continue;
            }
            std::size_t j = i + 1;
            while (j < t_.size() && t_[j].IsName()) {
                while (j + 2 < t_.size() && t_[j + 1].IsPunct(".") && t_[j + 2].IsName()) j += 2;
                tables += (tables.empty() ? "" : ",") + t_[j].value;
                ++j;
                if (j < t_.size() && t_[j].Is("AS")) ++j;
                if (j < t_.size() && t_[j].kind == TokenKind::QuotedName) ++j;
                if (j < t_.size() && t_[j].kind == TokenKind::Word && !t_[j].keyword) ++j;
                if (j >= t_.size() || !t_[j].IsPunct(",") || !t_[i].Is("FROM")) break;
                ++j;
            }
        }
        return tables;
    }

    // dp_datalength (syscat_functions.cpp) counts the bytes by the type found here.
    void WriteDataLength(Span arg) {
        if (use_ == ExpressionUse::Schema) c_.NotSupported("DATALENGTH in a column definition");
        const auto [type, column] = ArgumentType(arg);
        Put("dp_datalength(");
        Write(arg);
        Put(", " + QuoteText(type) + ", " + QuoteText(column) + ", " +
            QuoteText(type == "column" ? TablesOfStatement() : std::string()) + ")");
    }

    // CAST and CONVERT as the server converts (CAST and CONVERT, "Truncating and rounding
    // results"): money rounds to an integer, other numbers are cut; a text becomes an integer
    // only when it is one, other texts fail the statement (dp_int, functions.cpp); a number
    // becomes money rounded to four places; a text that reads as a date becomes the stored date.
    void WriteCast(Span value, Span type) {
        std::string name;
        for (std::size_t j = type.begin; j < type.end && t_[j].IsName(); ++j) {
            if (!name.empty()) name += ' ';
            name += t_[j].value;
        }
        const TypeRow* row = FindType(name);
        if (row == nullptr) c_.Fail("unknown type '" + name + "'");
        const Kind source = ExpressionKind(value);
        const bool statement = use_ == ExpressionUse::Statement;
        if (row->kind == ValueKind::Integer && source == Kind::Money) {
            Put("CAST(round(");
            Write(value);
            Put(") AS INTEGER)");
            return;
        }
        if (row->kind == ValueKind::Integer && statement && !c_.Jet() && source != Kind::Number) {
            Put("dp_int(");
            Write(value);
            Put(")");
            return;
        }
        if (row->kind == ValueKind::Currency && statement && source != Kind::Money) {
            Put("round(CAST(");
            Write(value);
            Put("AS REAL), 4)");
            return;
        }
        if (row->kind == ValueKind::Date && value.end == value.begin + 1) {
            if (const std::optional<std::string> stored = DateLiteralText(t_[value.begin])) {
                Put(QuoteText(*stored));
                return;
            }
        }
        Put("CAST(");
        Write(value);
        Put("AS " + std::string(kCastTypes[static_cast<std::size_t>(row->kind)]) + ")");
    }

    // The kind of the column that the literal at i is compared with (a = 'x', 'x' < t.a).
    Kind ComparedKind(std::size_t i, Span s) const {
        auto column = [&](std::size_t at) {
            if (!t_[at].IsName() || (t_[at].kind == TokenKind::Word && t_[at].keyword)) {
                return Kind::Unknown;
            }
            return ColumnKind(t_[at].value);
        };
        if (i >= s.begin + 2 && t_[i - 1].kind == TokenKind::Punct &&
            IsOneOf(t_[i - 1].value, kComparisons)) {
            return column(i - 2);
        }
        if (i + 2 < s.end && t_[i + 1].kind == TokenKind::Punct &&
            IsOneOf(t_[i + 1].value, kComparisons)) {
            std::size_t at = i + 2;
            while (at + 2 < s.end && t_[at + 1].IsPunct(".") && t_[at + 2].IsName()) at += 2;
            if (at + 1 < s.end && t_[at + 1].IsPunct("(")) return Kind::Unknown;
            return column(at);
        }
        return Kind::Unknown;
    }

    // A text literal; compared with a date column, a text that reads as a date is that date.
    std::size_t WriteText(std::size_t i, Span s) {
        if (CurrentColumnKinds() != nullptr) {
            if (const std::optional<std::string> stored = DateLiteralText(t_[i])) {
                if (ComparedKind(i, s) == Kind::Date) {
                    Put(QuoteText(*stored));
                    return i + 1;
                }
            }
        }
        Put(*WriteLiteral(t_[i]));
        return i + 1;
    }

    const Cursor& c_;
    const Tokens& t_;
    ExpressionUse use_;
    std::string out_;
    mutable std::vector<std::string> tables_;
    mutable bool tablesRead_ = false;
};

}  // namespace

std::optional<std::string> WriteLiteral(const Token& t) {
    switch (t.kind) {
        case TokenKind::String:
        case TokenKind::NString:
            return QuoteText(t.value);
        case TokenKind::Number:
            return t.value;
        case TokenKind::Date: {
            const std::optional<DateText> date = ParseDateText(t.value);
            if (!date) return std::nullopt;
            return QuoteText(FormatStoredDate(*date));
        }
        default:
            return std::nullopt;
    }
}

std::string WriteExpression(const Cursor& c, Span span, ExpressionUse use) {
    return Writer(c, use).Run(span);
}

}  // namespace db::embedded
