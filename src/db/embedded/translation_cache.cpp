// The translation cache. A shape is slotted once: translated again with a marker for each
// literal, whose written text shows where the literal lands, and kept only when the slotted
// translation, filled with the text's own literals, is exactly the text's translation.
#include "db/embedded/translation_cache.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <utility>

#include "db/embedded/statement_shape.h"
#include "db/embedded/translate_common.h"
#include "db/error.h"

namespace db::embedded {
namespace {

// More literals than the date markers can tell apart leave a statement to the translator.
constexpr std::size_t kMaxLiterals = 3000;

// A stand-in for literal n, of its kind, whose written text occurs nowhere else in a
// translation.
Token Marker(const Token& literal, std::size_t n) {
    Token marker = literal;
    char buffer[40];
    switch (literal.kind) {
        case TokenKind::Number:
            std::snprintf(buffer, sizeof buffer, "7355608%05zu", n);
            break;
        case TokenKind::Date:
            std::snprintf(buffer, sizeof buffer, "2999-12-31 00:%02zu:%02zu", (n + 1) / 60,
                          (n + 1) % 60);
            break;
        default:
            std::snprintf(buffer, sizeof buffer,
                          "\x01"
                          "dp%zu\x02",
                          n);
            break;
    }
    marker.value = buffer;
    return marker;
}

// The written texts of the literals of shape; empty when one cannot stand in a slot: a date that
// is no date (the translator reports it), or a number that begins or ends with '.', which the
// writer joins to its neighbours.
std::optional<std::vector<std::string>> LiteralTexts(const Tokens& tokens,
                                                     const StatementShape& shape) {
    std::vector<std::string> values;
    values.reserve(shape.literals.size());
    for (std::size_t i : shape.literals) {
        // A text that reads as a date is written by where it goes (a date column or a text one).
        if (DateLiteralText(tokens[i])) return std::nullopt;
        std::optional<std::string> text = WriteLiteral(tokens[i]);
        if (!text || text->empty() || text->front() == '.' || text->back() == '.') {
            return std::nullopt;
        }
        values.push_back(std::move(*text));
    }
    return values;
}

// text cut at the markers; empty when a marker occurs twice, or not at all where required.
std::optional<SlottedText> Slot(const std::string& text, const std::vector<std::string>& markers,
                                bool required) {
    std::vector<std::pair<std::size_t, std::size_t>> found;  // offset, literal
    for (std::size_t n = 0; n < markers.size(); ++n) {
        const std::size_t at = text.find(markers[n]);
        if (at == std::string::npos) {
            if (required) return std::nullopt;
            continue;
        }
        if (text.find(markers[n], at + 1) != std::string::npos) return std::nullopt;
        found.emplace_back(at, n);
    }
    std::sort(found.begin(), found.end());
    SlottedText slotted;
    slotted.pieces.clear();
    std::size_t from = 0;
    for (const auto& [at, n] : found) {
        if (at < from) return std::nullopt;
        slotted.pieces.push_back(text.substr(from, at - from));
        slotted.slots.push_back(n);
        from = at + markers[n].size();
    }
    slotted.pieces.push_back(text.substr(from));
    return slotted;
}

// A written literal that SQLite takes exactly as the same value bound: a quoted text without
// NUL characters (those are written as an expression) or a whole number that fits 64 bits.
// Numbers with a fraction or exponent are left written, so that SQLite's own reading of them
// decides their value.
bool Bindable(const std::string& written) {
    if (written.size() >= 2 && written.front() == '\'' && written.back() == '\'') return true;
    if (written.empty() || written.size() > 18) return false;
    return std::all_of(written.begin(), written.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool AllBindable(const std::vector<std::string>& values) {
    return std::all_of(values.begin(), values.end(), Bindable);
}

// Statements where a bound value stands for the literal and nothing reads the literal's text:
// those that write rows, and queries whose literals all follow the column list (a query names
// its result columns after their expressions). ORDER BY and GROUP BY take a whole number as a
// column's position, so statements with them keep their literals.
bool BindableStatement(const Step& step, const SlottedText& sql) {
    if (step.kind == Step::Kind::Insert) return true;
    if (step.kind != Step::Kind::Sql) return false;
    std::string text;
    for (const std::string& piece : sql.pieces) text += UpperAscii(piece);
    if (text.find("ORDER BY") != std::string::npos || text.find("GROUP BY") != std::string::npos) {
        return false;
    }
    const std::size_t begin = text.find_first_not_of(" \t\r\n(");
    if (begin == std::string::npos) return false;
    for (std::string_view word : {"INSERT ", "UPDATE ", "DELETE "}) {
        if (text.compare(begin, word.size(), word) == 0) return true;
    }
    if (text.compare(begin, 7, "SELECT ") != 0) return false;
    // The column list ends at the first FROM when it holds no parentheses (no subquery).
    const std::string head = UpperAscii(sql.pieces.front());
    const std::size_t from = head.find(" FROM ");
    return from != std::string::npos && head.find('(', begin) > from;
}

std::shared_ptr<const Program> Fill(const ShapedTranslation& shaped,
                                    const std::vector<std::string>& values) {
    auto program = std::make_shared<Program>(shaped.program);
    program->oneOff = true;
    Step& step = program->steps.front();
    step.sql = shaped.sql.Fill(values);
    step.source = shaped.source.Fill(values);
    return program;
}

ShapedTranslation MakeShaped(std::string_view text, const Tokens& tokens,
                             const StatementShape& shape, Dialect dialect, const Program& real) {
    ShapedTranslation shaped;
    if (real.steps.size() != 1 || shape.literals.size() > kMaxLiterals) return shaped;
    const Step::Kind kind = real.steps.front().kind;
    if (kind != Step::Kind::Sql && kind != Step::Kind::Insert) return shaped;
    const std::optional<std::vector<std::string>> values = LiteralTexts(tokens, shape);
    if (!values) return shaped;
    Tokens probe = tokens;
    std::vector<std::string> markers;
    for (std::size_t n = 0; n < shape.literals.size(); ++n) {
        Token& literal = probe[shape.literals[n]];
        literal = Marker(literal, n);
        std::optional<std::string> written = WriteLiteral(literal);
        if (!written) return shaped;
        markers.push_back(std::move(*written));
    }
    try {
        shaped.program = TranslateTokens(text, std::move(probe), dialect);
    } catch (const DbError&) {
        return shaped;
    }
    if (shaped.program.steps.size() != 1) return shaped;
    Step& step = shaped.program.steps.front();
    std::optional<SlottedText> sql = Slot(step.sql, markers, true);
    std::optional<SlottedText> source = Slot(step.source, markers, false);
    if (!sql || !source) return shaped;
    shaped.sql = std::move(*sql);
    shaped.source = std::move(*source);
    step.sql.clear();
    step.source.clear();
    Program filled = *Fill(shaped, *values);
    filled.oneOff = real.oneOff;
    shaped.usable = filled == real;
    if (shaped.usable && BindableStatement(real.steps.front(), shaped.sql) &&
        AllBindable(*values)) {
        shaped.bindable = true;
        shaped.boundSql = shaped.sql.Parameters();
        shaped.boundSource = shaped.source.Parameters();
    }
    return shaped;
}

}  // namespace

std::string SlottedText::Fill(const std::vector<std::string>& values) const {
    std::size_t size = 0;
    for (const std::string& piece : pieces) size += piece.size();
    for (std::size_t n : slots) size += values[n].size();
    std::string out;
    out.reserve(size);
    for (std::size_t k = 0; k < slots.size(); ++k) {
        out += pieces[k];
        out += values[slots[k]];
    }
    out += pieces.back();
    return out;
}

std::string SlottedText::Parameters() const {
    std::string out;
    for (std::size_t k = 0; k < slots.size(); ++k) {
        out += pieces[k];
        out += "?" + std::to_string(slots[k] + 1);
    }
    out += pieces.back();
    return out;
}

std::shared_ptr<const Program> TranslationCache::ProgramFor(std::string_view text) {
    const std::string key(text);
    if (std::shared_ptr<const Program>* found = texts_.Find(key)) return *found;
    Tokens tokens = Tokenize(text);
    const std::optional<StatementShape> shape = ShapeOf(tokens, dialect_);
    const std::shared_ptr<const ShapedTranslation>* shaped =
        shape ? shapes_.Find(shape->key) : nullptr;
    if (shaped != nullptr && (*shaped)->usable) {
        if (auto values = LiteralTexts(tokens, *shape)) {
            ++shapeHits_;
            if ((*shaped)->bindable && AllBindable(*values)) {
                // Not a one-off: the text is the shape's, kept prepared for its next values.
                auto program = std::make_shared<Program>((*shaped)->program);
                Step& step = program->steps.front();
                step.sql = (*shaped)->boundSql;
                step.source = (*shaped)->boundSource;
                step.parameters = std::move(*values);
                return program;
            }
            return Fill(**shaped, *values);
        }
    }
    if (shape && shaped == nullptr) {
        Program real = TranslateTokens(text, tokens, dialect_);
        shapes_.Put(shape->key, std::make_shared<const ShapedTranslation>(
                                    MakeShaped(text, tokens, *shape, dialect_, real)));
        return std::make_shared<const Program>(std::move(real));
    }
    auto program =
        std::make_shared<const Program>(TranslateTokens(text, std::move(tokens), dialect_));
    texts_.Put(key, program);
    return program;
}

}  // namespace db::embedded
