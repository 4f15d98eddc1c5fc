#pragma once
// Tokens of a Jet SQL or T-SQL statement text. The tokenizer (tokenizer.cpp) is a character-class
// table and one switch; every translation works on these tokens, never on the raw text.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "db/ascii_text.h"

namespace db::embedded {

enum class TokenKind {
    Word,        // bare identifier or keyword: Del_Chk, SELECT, 사용상품
    QuotedName,  // [x], "x" or `x`; value holds the name without quotes
    String,      // '...'; value holds the text with doubled quotes undone
    NString,     // N'...'
    Date,        // #...#; value holds the text between the # signs
    Number,      // 12, 1.5, .5, 1e3, 0x1F
    Variable,    // @name, @@name
    Punct,       // ( ) , ; . + - * / % = < > <= >= <> != !< !> || & | ^ ~
    Illegal,     // unterminated quote, bracket or date, or a character the dialects do not use
    Query,       // never read from a text: a query already written for SQLite, which stands in
                 // a statement as a table (OPENROWSET with a query); value holds its text
};

struct Token {
    TokenKind kind = TokenKind::Illegal;
    std::string value;       // see TokenKind; the raw text for Word, Number, Punct, Variable
    std::size_t offset = 0;  // byte offset in the statement text
    bool keyword = false;    // a Word that is a reserved word of either dialect or of SQLite

    // True for a Word equal to word, compared without regard to ASCII letter case.
    bool Is(std::string_view word) const;
    bool IsPunct(std::string_view p) const { return kind == TokenKind::Punct && value == p; }
    // Word or QuotedName: something that can name a table, column or index.
    bool IsName() const { return kind == TokenKind::Word || kind == TokenKind::QuotedName; }
};

using Tokens = std::vector<Token>;

// Splits text into tokens; blanks and comments (-- and /* */) are dropped. Never throws: faults
// become Illegal tokens for the translator to report.
Tokens Tokenize(std::string_view text);

// True when word (any letter case) is in the keyword table (keywords.cpp).
bool IsKeyword(std::string_view word);

// ASCII upper-casing; other bytes (Korean text) are kept.
std::string UpperAscii(std::string_view text);

}  // namespace db::embedded
