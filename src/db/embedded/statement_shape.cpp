// Which statements have a shape: the first word picks the form and every token must be one that
// the expression writer copies or writes the same way wherever it stands.
#include "db/embedded/statement_shape.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

namespace db::embedded {
namespace {

constexpr std::array<std::string_view, 4> kShapedForms{"DELETE", "INSERT", "SELECT", "UPDATE"};

// Keywords the plain forms are made of (sorted); any other keyword (TOP, LIKE, CASE, UNION,
// EXISTS, …) leaves the text unshaped.
constexpr std::array<std::string_view, 20> kShapedWords{
    "AND", "AS",  "ASC",  "BY", "DELETE", "DESC",   "DISTINCT", "FROM",   "INSERT", "INTO",
    "IS",  "NOT", "NULL", "OR", "ORDER",  "SELECT", "SET",      "UPDATE", "VALUES", "WHERE"};

static_assert(std::is_sorted(kShapedForms.begin(), kShapedForms.end()));
static_assert(std::is_sorted(kShapedWords.begin(), kShapedWords.end()));

// word (any letter case) among the sorted upper-case words; every listed word is short.
bool IsOneOf(std::string_view word, const auto& sortedWords) {
    char buffer[16];
    if (word.size() > sizeof buffer) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const char c = word[i];
        buffer[i] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return std::binary_search(sortedWords.begin(), sortedWords.end(),
                              std::string_view(buffer, word.size()));
}

// Operators and separators the plain forms are made of: ( ) , = < > . * - + <= >= <> !=
bool IsShapedPunct(std::string_view p) {
    constexpr std::string_view kSingles = "(),=<>.*-+";
    if (p.size() == 1) return kSingles.find(p.front()) != std::string_view::npos;
    return p == "<=" || p == ">=" || p == "<>" || p == "!=";
}

// A name before '(' calls a function, except the table of INSERT INTO t (columns).
bool IsCall(const Tokens& t, std::size_t i) {
    const bool paren = i + 1 < t.size() && t[i + 1].kind == TokenKind::Punct &&
                       t[i + 1].value.size() == 1 && t[i + 1].value.front() == '(';
    return paren && !(i > 0 && t[i - 1].Is("INTO"));
}

bool Shapeable(const Tokens& t, std::size_t i) {
    const Token& token = t[i];
    switch (token.kind) {
        case TokenKind::Word:
            if (token.keyword) return IsOneOf(token.value, kShapedWords);
            return !IsCall(t, i);
        case TokenKind::QuotedName:
            return !IsCall(t, i);
        case TokenKind::String:
        case TokenKind::NString:
        case TokenKind::Date:
        case TokenKind::Number:
            return true;
        case TokenKind::Punct:
            return IsShapedPunct(token.value);
        case TokenKind::Variable:
        case TokenKind::Illegal:
        case TokenKind::Query:
            return false;
    }
    return false;
}

}  // namespace

bool IsLiteral(const Token& t) {
    return t.kind == TokenKind::String || t.kind == TokenKind::NString ||
           t.kind == TokenKind::Number || t.kind == TokenKind::Date;
}

std::optional<StatementShape> ShapeOf(const Tokens& tokens, Dialect dialect) {
    if (tokens.empty() || tokens.front().kind != TokenKind::Word ||
        !IsOneOf(tokens.front().value, kShapedForms)) {
        return std::nullopt;
    }
    StatementShape shape;
    shape.key.reserve(tokens.size() * 8 + tokens.back().offset);
    shape.literals.reserve(16);
    shape.key += dialect == Dialect::Jet ? 'J' : 'S';
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (!Shapeable(tokens, i)) return std::nullopt;
        const Token& t = tokens[i];
        // Kinds as letters; a name or word keeps its text (after its length, so that no name
        // can pass for several tokens), a literal only its kind.
        shape.key += static_cast<char>('a' + static_cast<int>(t.kind));
        if (IsLiteral(t)) {
            shape.literals.push_back(i);
            continue;
        }
        const auto size = static_cast<std::uint32_t>(t.value.size());
        shape.key.append(reinterpret_cast<const char*>(&size), sizeof size);
        shape.key += t.value;
    }
    return shape;
}

}  // namespace db::embedded
