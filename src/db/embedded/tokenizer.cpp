// The tokenizer: each byte has a class (kClasses), and one switch on the class of the first byte
// of a token decides how far the token reaches.
#include <array>
#include <cctype>
#include <cstdint>

#include "db/embedded/token.h"

namespace db::embedded {
namespace {

enum CharClass : std::uint8_t {
    kIllegal,
    kSpace,
    kIdChar,  // letters, '_', '$' inside a word, and every byte of a multi-byte UTF-8 character
    kDigit,
    kDot,
    kApostrophe,
    kDoubleQuote,
    kBacktick,
    kBracket,
    kHash,
    kAt,
    kMinus,
    kSlash,
    kLess,
    kGreater,
    kBang,
    kBar,
    kSingle,  // one-byte punctuation: ( ) , ; + * % = & ^ ~
};

constexpr std::array<CharClass, 256> MakeClasses() {
    std::array<CharClass, 256> c{};
    for (int b = 0x80; b < 256; ++b) c[b] = kIdChar;
    for (int b = 'a'; b <= 'z'; ++b) c[b] = kIdChar;
    for (int b = 'A'; b <= 'Z'; ++b) c[b] = kIdChar;
    for (int b = '0'; b <= '9'; ++b) c[b] = kDigit;
    for (unsigned char b : {' ', '\t', '\r', '\n', '\f', '\v'}) c[b] = kSpace;
    for (unsigned char b : {'(', ')', ',', ';', '+', '*', '%', '=', '&', '^', '~'}) c[b] = kSingle;
    c['_'] = kIdChar;
    c['.'] = kDot;
    c['\''] = kApostrophe;
    c['"'] = kDoubleQuote;
    c['`'] = kBacktick;
    c['['] = kBracket;
    c['#'] = kHash;
    c['@'] = kAt;
    c['-'] = kMinus;
    c['/'] = kSlash;
    c['<'] = kLess;
    c['>'] = kGreater;
    c['!'] = kBang;
    c['|'] = kBar;
    return c;
}

constexpr std::array<CharClass, 256> kClasses = MakeClasses();

CharClass ClassAt(std::string_view s, std::size_t i) {
    return i < s.size() ? kClasses[static_cast<unsigned char>(s[i])] : kIllegal;
}

bool IsWordChar(std::string_view s, std::size_t i) {
    const CharClass c = ClassAt(s, i);
    return c == kIdChar || c == kDigit || (i < s.size() && s[i] == '$');
}

// Reads a quoted run starting at i (the opening quote) up to close; a doubled close stands for
// one. Returns the end offset, or npos when the run is not closed.
std::size_t ReadQuoted(std::string_view s, std::size_t i, char close, std::string& value) {
    for (std::size_t from = i + 1;;) {
        const std::size_t j = s.find(close, from);
        if (j == std::string_view::npos) return j;
        value.append(s.substr(from, j - from));
        if (j + 1 < s.size() && s[j + 1] == close) {
            value += close;
            from = j + 2;
            continue;
        }
        return j + 1;
    }
}

std::size_t ReadNumber(std::string_view s, std::size_t i) {
    std::size_t j = i;
    if (s[j] == '0' && j + 1 < s.size() && (s[j + 1] == 'x' || s[j + 1] == 'X')) {
        j += 2;
        while (j < s.size() && std::isxdigit(static_cast<unsigned char>(s[j]))) ++j;
        return j;
    }
    while (ClassAt(s, j) == kDigit) ++j;
    if (ClassAt(s, j) == kDot) {
        ++j;
        while (ClassAt(s, j) == kDigit) ++j;
    }
    if (j < s.size() && (s[j] == 'e' || s[j] == 'E')) {
        std::size_t k = j + 1;
        if (k < s.size() && (s[k] == '+' || s[k] == '-')) ++k;
        if (ClassAt(s, k) == kDigit) {
            j = k;
            while (ClassAt(s, j) == kDigit) ++j;
        }
    }
    return j;
}

// Two-byte operators that start with the byte at i; returns their length (1 or 2).
std::size_t OperatorLength(std::string_view s, std::size_t i) {
    static constexpr std::array<std::string_view, 7> kTwo{"<=", ">=", "<>", "!=", "!<", "!>", "||"};
    for (std::string_view op : kTwo) {
        if (s.substr(i, 2) == op) return 2;
    }
    return 1;
}

class Scanner {
  public:
    // Statement texts average well over four bytes a token: one allocation serves the text.
    explicit Scanner(std::string_view text) : s_(text) { out_.reserve(text.size() / 4 + 4); }

    Tokens Run() {
        while (i_ < s_.size()) Step();
        return std::move(out_);
    }

  private:
    // The token begins at the position and ends at end; the caller fills in its value.
    Token& Emit(TokenKind kind, std::size_t end) {
        Token& t = out_.emplace_back();
        t.kind = kind;
        t.offset = i_;
        i_ = end;
        return t;
    }

    void EmitRaw(TokenKind kind, std::size_t end) {
        const std::size_t begin = i_;
        Token& t = Emit(kind, end);
        t.value.assign(s_.substr(begin, end - begin));
        if (kind == TokenKind::Word) t.keyword = IsKeyword(t.value);
    }

    void EmitQuoted(TokenKind kind, std::size_t open, char close) {
        std::string value;
        const std::size_t end = ReadQuoted(s_, open, close, value);
        if (end == std::string_view::npos) {
            EmitRaw(TokenKind::Illegal, s_.size());
        } else {
            Emit(kind, end).value = std::move(value);
        }
    }

    std::size_t WordEnd(std::size_t j) const {
        while (IsWordChar(s_, j)) ++j;
        return j;
    }

    void Step() {
        const std::size_t i = i_;
        switch (ClassAt(s_, i)) {
            case kSpace:
                ++i_;
                return;
            case kIdChar:
                if ((s_[i] == 'N' || s_[i] == 'n') && ClassAt(s_, i + 1) == kApostrophe) {
                    return EmitQuoted(TokenKind::NString, i + 1, '\'');
                }
                return EmitRaw(TokenKind::Word, WordEnd(i + 1));
            case kDigit: {
                const std::size_t end = ReadNumber(s_, i);
                // A number glued to letters ("1a") is no token of either dialect.
                return EmitRaw(IsWordChar(s_, end) ? TokenKind::Illegal : TokenKind::Number,
                               IsWordChar(s_, end) ? WordEnd(end) : end);
            }
            case kDot:
                if (ClassAt(s_, i + 1) == kDigit)
                    return EmitRaw(TokenKind::Number, ReadNumber(s_, i));
                return EmitRaw(TokenKind::Punct, i + 1);
            case kApostrophe:
                return EmitQuoted(TokenKind::String, i, '\'');
            case kDoubleQuote:
                return EmitQuoted(TokenKind::QuotedName, i, '"');
            case kBacktick:
                return EmitQuoted(TokenKind::QuotedName, i, '`');
            case kBracket:
                return EmitQuoted(TokenKind::QuotedName, i, ']');
            case kHash:
                return ReadDate();
            case kAt: {
                std::size_t j = i + 1;
                if (j < s_.size() && s_[j] == '@') ++j;
                const std::size_t end = WordEnd(j);
                return EmitRaw(end > j ? TokenKind::Variable : TokenKind::Illegal, end);
            }
            case kMinus:
                if (s_.substr(i, 2) == "--") return SkipTo("\n", 0);
                return EmitRaw(TokenKind::Punct, i + 1);
            case kSlash:
                if (s_.substr(i, 2) == "/*") return SkipTo("*/", 2);
                return EmitRaw(TokenKind::Punct, i + 1);
            case kLess:
            case kGreater:
            case kBang:
            case kBar:
                if (OperatorLength(s_, i) == 1 && (s_[i] == '!' || s_[i] == '|')) {
                    return EmitRaw(s_[i] == '|' ? TokenKind::Punct : TokenKind::Illegal, i + 1);
                }
                return EmitRaw(TokenKind::Punct, i + OperatorLength(s_, i));
            case kSingle:
                return EmitRaw(TokenKind::Punct, i + 1);
            case kIllegal:
                return EmitRaw(TokenKind::Illegal, i + 1);
        }
    }

    // Comments end at their terminator (kept out of the token list) or at the end of the text.
    void SkipTo(std::string_view terminator, std::size_t skipFirst) {
        const std::size_t end = s_.find(terminator, i_ + skipFirst);
        i_ = end == std::string_view::npos ? s_.size() : end + terminator.size();
    }

    // A date literal ends at the next '#' on the same line.
    void ReadDate() {
        const std::size_t close = s_.find_first_of("#\n", i_ + 1);
        if (close == std::string_view::npos || s_[close] != '#') {
            return EmitRaw(TokenKind::Illegal, close == std::string_view::npos ? s_.size() : close);
        }
        const std::size_t begin = i_ + 1;
        Emit(TokenKind::Date, close + 1).value.assign(s_.substr(begin, close - begin));
    }

    std::string_view s_;
    std::size_t i_ = 0;
    Tokens out_;
};

}  // namespace

Tokens Tokenize(std::string_view text) {
    return Scanner(text).Run();
}

bool Token::Is(std::string_view word) const {
    return kind == TokenKind::Word && EqualsNoCase(value, word);
}

std::string UpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

}  // namespace db::embedded
