// The expression writer: re-emits the tokens of a clause for SQLite, token by token, with the
// rewrites both dialects need (quoted names, literals, functions, SELECT TOP).
#include <algorithm>
#include <array>

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
    FunctionRule{"GETDATE", Fn::Now, "", Fn::Now, ""},
    FunctionRule{"NOW", Fn::Now, "", Fn::Now, ""},
    FunctionRule{"CHARINDEX", Fn::Keep, "", Fn::CharIndex, ""},
    FunctionRule{"REPLACE", Fn::Keep, "", Fn::Keep, ""},
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

// A text literal as stored. A date and time in the local form of the system's clock ("2020-12-21
// 오후 3:04:05") is what both engines take for a date: it is stored as the date text that sorts
// and compares as a date.
std::string TextLiteral(const std::string& text) {
    const std::optional<DateText> date = ParseDateText(text);
    return date && date->localForm ? FormatStoredDate(*date) : text;
}

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
    void Write(Span s) {
        std::size_t i = s.begin;
        while (i < s.end) {
            const std::size_t end = PieceEnd(i, s);
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

    enum class Kind { Unknown, Number, Text };

    Kind KindOf(Span operand) const {
        if (operand.end != operand.begin + 1) return Kind::Unknown;
        const Token& t = t_[operand.begin];
        if (t.kind == TokenKind::Number) return Kind::Number;
        if (t.kind == TokenKind::String || t.kind == TokenKind::NString) return Kind::Text;
        return Kind::Unknown;
    }

    std::string Render(Span operand) const {
        Writer w(c_, use_);
        w.Write(operand);
        return std::move(w.out_);
    }

    // a + b + c, left to right: numbers add (a number on either side makes the server convert
    // the other), two texts are joined, and operands of unknown kind are decided by their values
    // (dp_add, functions.cpp). Schema texts keep SQLite's '+', since the schema must not need the
    // engine's functions.
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
            if (t_[ops[k]].IsPunct("-") || kind == Kind::Number || right == Kind::Number) {
                sum += (t_[ops[k]].IsPunct("-") ? " - " : " + ") + value;
                kind = Kind::Number;
            } else if (kind == Kind::Text && right == Kind::Text) {
                sum += " || " + value;
            } else if (use_ == ExpressionUse::Schema) {
                sum += " + " + value;
                kind = Kind::Unknown;
            } else {
                sum = "dp_add(" + sum + ", " + value + ")";
                kind = Kind::Unknown;
            }
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
                [[fallthrough]];
            case TokenKind::Number:
                Put(*WriteLiteral(t));
                return i + 1;
            case TokenKind::Date:
                return WriteDate(i);
            case TokenKind::Punct:
                return WritePunct(i, s);
            case TokenKind::Variable:
            case TokenKind::Illegal:
                break;
        }
        FailAt(i);
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
        if (c_.Jet() && (t.Is("TRUE") || t.Is("FALSE"))) {
            Put(t.Is("TRUE") ? "-1" : "0");  // Jet's Yes is -1
            return i + 1;
        }
        if (t.Is("COLLATE")) return WriteCollate(i, s);
        if (!t.keyword) return WriteName(i, s);
        Put(t.value);
        return i + 1;
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
            case Fn::Reject:
                break;
        }
        FailAt(at);
    }

    void WriteCast(Span value, Span type) {
        std::string name;
        for (std::size_t j = type.begin; j < type.end && t_[j].IsName(); ++j) {
            if (!name.empty()) name += ' ';
            name += t_[j].value;
        }
        const TypeRow* row = FindType(name);
        if (row == nullptr) c_.Fail("unknown type '" + name + "'");
        Put("CAST(");
        Write(value);
        Put("AS " + std::string(kCastTypes[static_cast<std::size_t>(row->kind)]) + ")");
    }

    const Cursor& c_;
    const Tokens& t_;
    ExpressionUse use_;
    std::string out_;
};

}  // namespace

std::optional<std::string> WriteLiteral(const Token& t) {
    switch (t.kind) {
        case TokenKind::String:
        case TokenKind::NString:
            return QuoteText(TextLiteral(t.value));
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
