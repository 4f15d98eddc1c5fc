#pragma once
// The shape of a statement text: its tokens with the literal values (texts, numbers, dates) left
// out. Statements of one shape translate alike, each literal written where the shape puts it, as
// long as no literal steers the translation; only such plain forms get a shape.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "db/embedded/token.h"
#include "db/session.h"

namespace db::embedded {

struct StatementShape {
    std::string key;                    // the tokens, literals as placeholders of their kind
    std::vector<std::size_t> literals;  // indices of the literal tokens, in text order
};

// Literal tokens: the values a shape leaves out.
bool IsLiteral(const Token& t);

// The shape of one plain INSERT … VALUES, UPDATE … SET … WHERE, DELETE … WHERE or SELECT …
// WHERE statement built from names, simple operators and the words of those forms; empty for
// any other text (function calls, TOP, LIKE, variables, several statements, other forms).
std::optional<StatementShape> ShapeOf(const Tokens& tokens, Dialect dialect);

}  // namespace db::embedded
