#include "db/embedded/translate_common.h"

#include "db/embedded/date_text.h"
#include "db/embedded/error_map.h"

namespace db::embedded {

Cursor::Cursor(const Tokens& tokens, Span span, Dialect dialect, std::string form)
    : tokens_(tokens),
      pos_(span.begin),
      end_(span.end),
      dialect_(dialect),
      form_(std::move(form)) {}

const Token& Cursor::Peek(std::size_t ahead) const {
    static const Token kEnd{};
    return pos_ + ahead < end_ ? tokens_[pos_ + ahead] : kEnd;
}

bool Cursor::Accept(std::string_view word) {
    if (!Peek().Is(word)) return false;
    ++pos_;
    return true;
}

bool Cursor::AcceptPunct(std::string_view p) {
    if (!Peek().IsPunct(p)) return false;
    ++pos_;
    return true;
}

void Cursor::Expect(std::string_view word) {
    if (!Accept(word)) Fail("expected " + std::string(word));
}

void Cursor::ExpectPunct(std::string_view p) {
    if (!AcceptPunct(p)) Fail("expected '" + std::string(p) + "'");
}

std::string Cursor::ReadName() {
    if (!Peek().IsName()) Fail(AtEnd() ? "name missing" : "near '" + Peek().value + "'");
    return tokens_[pos_++].value;
}

std::vector<std::string> Cursor::ReadNameParts() {
    std::vector<std::string> parts{ReadName()};
    while (Peek().IsPunct(".") && Peek(1).IsName()) {
        ++pos_;
        parts.push_back(ReadName());
    }
    return parts;
}

std::string Cursor::ReadTableName() {
    std::vector<std::string> parts = ReadNameParts();
    if (parts.size() > 3) Fail("near '" + parts.back() + "'");
    return parts.back();
}

Span Cursor::ReadParens() {
    if (!Peek().IsPunct("(")) Fail("expected '('");
    const std::size_t close = MatchParen(tokens_, pos_, end_);
    if (close >= end_) Fail("')' missing");
    const Span inner{pos_ + 1, close};
    pos_ = close + 1;
    return inner;
}

void Cursor::Fail(std::string_view detail) const {
    std::string text = dialect_ == Dialect::Jet ? "Syntax error in " + form_ + " statement."
                                                : "Incorrect syntax in " + form_ + " statement.";
    if (!detail.empty()) text += " (" + std::string(detail) + ")";
    throw EngineError(ErrorNumber::kSyntax, text);
}

void Cursor::NotSupported(std::string_view construct) const {
    throw EngineError(ErrorNumber::kSyntax, "The embedded engine does not run " +
                                                std::string(construct) + " yet (" + form_ +
                                                " statement).");
}

std::size_t MatchParen(const Tokens& tokens, std::size_t open, std::size_t end) {
    int depth = 0;
    for (std::size_t i = open; i < end; ++i) {
        if (tokens[i].IsPunct("(")) ++depth;
        if (tokens[i].IsPunct(")") && --depth == 0) return i;
    }
    return end;
}

std::vector<Span> SplitCommas(const Tokens& tokens, Span span) {
    std::vector<Span> parts;
    std::size_t start = span.begin;
    int depth = 0;
    for (std::size_t i = span.begin; i < span.end; ++i) {
        if (tokens[i].IsPunct("(")) ++depth;
        if (tokens[i].IsPunct(")")) --depth;
        if (depth == 0 && tokens[i].IsPunct(",")) {
            parts.push_back({start, i});
            start = i + 1;
        }
    }
    parts.push_back({start, span.end});
    return parts;
}

std::size_t FindTopLevel(const Tokens& tokens, Span span, std::string_view word) {
    int depth = 0;
    for (std::size_t i = span.begin; i < span.end; ++i) {
        if (tokens[i].IsPunct("(")) ++depth;
        if (tokens[i].IsPunct(")")) --depth;
        if (depth == 0 && tokens[i].Is(word)) return i;
    }
    return span.end;
}

void SkipStorageOptions(Cursor& c) {
    // Filegroups and index options are the server's; Jet knows neither.
    if (c.Jet() && (c.Peek().Is("WITH") || c.Peek().Is("ON") || c.Peek().Is("TEXTIMAGE_ON"))) {
        c.Fail("near '" + c.Peek().value + "'");
    }
    while (true) {
        if (c.Accept("WITH")) {
            c.ReadParens();
        } else if (c.Accept("ON") || c.Accept("TEXTIMAGE_ON")) {
            c.ReadName();
        } else {
            return;
        }
    }
}

void SkipClusterOption(Cursor& c) {
    if (!c.Accept("CLUSTERED")) c.Accept("NONCLUSTERED");
}

std::string WriteIndexedColumns(const Cursor& c, Span span) {
    std::string out;
    for (const Span& part : SplitCommas(c.tokens(), span)) {
        Cursor item(c.tokens(), part, c.dialect(), "CREATE INDEX");
        if (!out.empty()) out += ", ";
        out += QuoteName(item.ReadName());
        if (item.Accept("ASC")) out += " ASC";
        if (item.Accept("DESC")) out += " DESC";
        if (!item.AtEnd()) c.Fail("near '" + item.Peek().value + "'");
    }
    return out;
}

namespace {
thread_local ColumnKinds* currentKinds = nullptr;
}  // namespace

ColumnKindScope::ColumnKindScope(ColumnKinds* kinds) : previous_(currentKinds) {
    currentKinds = kinds;
}

ColumnKindScope::~ColumnKindScope() {
    currentKinds = previous_;
}

ColumnKinds* CurrentColumnKinds() {
    return currentKinds;
}

std::vector<std::string> NamedTables(const Tokens& tokens, Span span) {
    std::vector<std::string> tables;
    for (std::size_t i = span.begin; i + 1 < span.end; ++i) {
        const Token& t = tokens[i];
        if (!(t.Is("FROM") || t.Is("JOIN") || t.Is("UPDATE") || t.Is("INTO"))) continue;
        std::size_t j = i + 1;
        if (!tokens[j].IsName() || (tokens[j].kind == TokenKind::Word && tokens[j].keyword)) {
            continue;
        }
        while (j + 2 < span.end && tokens[j + 1].IsPunct(".") && tokens[j + 2].IsName()) j += 2;
        tables.push_back(tokens[j].value);
    }
    return tables;
}

std::optional<ValueKind> ColumnKindIn(const std::vector<std::string>& tables,
                                      std::string_view column) {
    ColumnKinds* kinds = CurrentColumnKinds();
    if (kinds == nullptr) return std::nullopt;
    std::optional<ValueKind> found;
    for (const std::string& table : tables) {
        const std::optional<ValueKind> kind = kinds->KindOf(table, column);
        if (!kind) continue;
        if (found && *found != *kind) return std::nullopt;
        found = kind;
    }
    return found;
}

std::optional<std::string> DateLiteralText(const Token& t) {
    if (t.kind != TokenKind::String && t.kind != TokenKind::NString) return std::nullopt;
    const std::optional<DateText> date = ParseDateText(t.value);
    if (!date) return std::nullopt;
    std::string stored = FormatStoredDate(*date);
    if (stored == t.value) return std::nullopt;
    return stored;
}

void ConvertDateLiterals(Tokens& tokens, const std::vector<Span>& values,
                         const std::vector<std::optional<ValueKind>>& kinds) {
    for (std::size_t n = 0; n < values.size() && n < kinds.size(); ++n) {
        if (kinds[n] != ValueKind::Date || values[n].end != values[n].begin + 1) continue;
        Token& t = tokens[values[n].begin];
        if (std::optional<std::string> stored = DateLiteralText(t)) {
            t.kind = TokenKind::String;
            t.value = std::move(*stored);
        }
    }
}

std::string_view CollationFor(std::string_view name, Dialect dialect) {
    if (UpperAscii(name).find("_CS") == std::string::npos) return "NOCASE";
    return dialect == Dialect::Jet ? "BINARY" : "RTRIM";
}

}  // namespace db::embedded
