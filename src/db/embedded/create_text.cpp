#include "db/embedded/create_text.h"

#include <array>

#include "db/ascii_text.h"
#include "db/embedded/error_map.h"
#include "db/embedded/names.h"
#include "db/embedded/translate_common.h"

namespace db::embedded {
namespace {

// The words that begin a column constraint of SQLite.
constexpr std::array<std::string_view, 11> kConstraintStarts{
    "CONSTRAINT", "PRIMARY", "NOT",        "NULL",      "UNIQUE", "CHECK",
    "DEFAULT",    "COLLATE", "REFERENCES", "GENERATED", "AS"};

bool StartsConstraint(const Tokens& t, std::size_t i) {
    bool start = false;
    for (std::string_view word : kConstraintStarts) start = start || t[i].Is(word);
    if (!start || i == 0) return start;
    // NOT NULL and DEFAULT NULL are one constraint; so is CONSTRAINT name KIND.
    if (t[i].Is("NULL") && (t[i - 1].Is("NOT") || t[i - 1].Is("DEFAULT"))) return false;
    return !(i >= 2 && t[i - 2].Is("CONSTRAINT"));
}

// The constraints kept when a column gets a new type, by their kind word.
constexpr std::array<std::string_view, 7> kLastingKinds{
    "DEFAULT", "PRIMARY", "UNIQUE", "REFERENCES", "CHECK", "GENERATED", "AS"};

bool Lasting(const Tokens& t, std::size_t begin) {
    std::string name;
    if (t[begin].Is("CONSTRAINT") && begin + 2 < t.size()) {
        name = t[begin + 1].value;
        begin += 2;
    }
    if (t[begin].Is("CHECK") && name.rfind(kLengthCheckPrefix, 0) == 0) return false;
    for (std::string_view kind : kLastingKinds) {
        if (t[begin].Is(kind)) return true;
    }
    return false;
}

[[noreturn]] void ThrowUnreadable(std::string_view sql) {
    throw EngineError(ErrorNumber::kUnspecified,
                      "The table definition cannot be read: " + std::string(sql));
}

}  // namespace

CreateText CreateText::Parse(std::string_view sql) {
    const Tokens t = Tokenize(sql);
    std::size_t open = 0;
    while (open < t.size() && !t[open].IsPunct("(")) ++open;
    const std::size_t close = MatchParen(t, open, t.size());
    if (open >= t.size() || close >= t.size()) ThrowUnreadable(sql);
    CreateText text;
    std::size_t start = t[open].offset + 1;
    int depth = 0;
    for (std::size_t i = open + 1; i <= close; ++i) {
        if (t[i].IsPunct("(")) ++depth;
        if (t[i].IsPunct(")")) --depth;
        if ((depth == 0 && t[i].IsPunct(",")) || i == close) {
            text.elements_.emplace_back(TrimBlanks(sql.substr(start, t[i].offset - start)));
            start = t[i].offset + 1;
        }
    }
    text.tail_ = TrimBlanks(sql.substr(t[close].offset + 1));
    return text;
}

std::size_t CreateText::FindColumn(std::string_view column) const {
    for (std::size_t i = 0; i < elements_.size(); ++i) {
        const Tokens t = Tokenize(elements_[i]);
        if (!t.empty() && t[0].IsName() && !StartsConstraint(t, 0) && !t[0].Is("FOREIGN") &&
            EqualsNoCase(t[0].value, column)) {
            return i;
        }
    }
    return std::string::npos;
}

std::string CreateText::Write(std::string_view table) const {
    std::string sql = "CREATE TABLE " + QuoteName(table) + " (";
    for (std::size_t i = 0; i < elements_.size(); ++i) {
        if (i > 0) sql += ", ";
        sql += elements_[i];
    }
    sql += ")";
    if (!tail_.empty()) sql += " " + tail_;
    return sql;
}

namespace {

// The token indices where the constraints of a column definition start, after its name and type.
std::vector<std::size_t> ConstraintStarts(const Tokens& t) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 1; i < t.size(); ++i) {
        if (t[i].IsPunct("(")) {
            i = MatchParen(t, i, t.size());
            continue;
        }
        if (StartsConstraint(t, i)) starts.push_back(i);
    }
    return starts;
}

}  // namespace

std::string LastingConstraints(std::string_view columnDefinition) {
    const Tokens t = Tokenize(columnDefinition);
    const std::vector<std::size_t> starts = ConstraintStarts(t);
    std::string kept;
    for (std::size_t k = 0; k < starts.size(); ++k) {
        if (!Lasting(t, starts[k])) continue;
        const std::size_t from = t[starts[k]].offset;
        const std::size_t to =
            k + 1 < starts.size() ? t[starts[k + 1]].offset : columnDefinition.size();
        if (!kept.empty()) kept += ' ';
        kept += TrimBlanks(columnDefinition.substr(from, to - from));
    }
    return kept;
}

namespace {

// The token that says what the constraint starting at `start` is, past a "CONSTRAINT name"
// (the name goes to `name`).
std::size_t ConstraintKind(const Tokens& t, std::size_t start, std::string& name) {
    if (t[start].Is("CONSTRAINT") && start + 2 < t.size()) {
        name = t[start + 1].value;
        return start + 2;
    }
    return start;
}

}  // namespace

DefaultConstraint FindDefault(std::string_view columnDefinition) {
    const Tokens t = Tokenize(columnDefinition);
    const std::vector<std::size_t> starts = ConstraintStarts(t);
    DefaultConstraint found;
    for (std::size_t k = 0; k < starts.size(); ++k) {
        std::string name;
        const std::size_t kind = ConstraintKind(t, starts[k], name);
        if (!t[kind].Is("DEFAULT")) continue;
        found.found = true;
        found.name = std::move(name);
        found.from = t[starts[k]].offset;
        found.to = k + 1 < starts.size() ? t[starts[k + 1]].offset : columnDefinition.size();
        return found;
    }
    return found;
}

ColumnParts PartsOf(std::string_view columnDefinition) {
    const Tokens t = Tokenize(columnDefinition);
    const std::vector<std::size_t> starts = ConstraintStarts(t);
    ColumnParts parts;
    const std::size_t typeEnd = starts.empty() ? columnDefinition.size() : t[starts[0]].offset;
    if (t.size() > 1 && (starts.empty() || starts[0] > 1)) {
        parts.type = TrimBlanks(columnDefinition.substr(t[1].offset, typeEnd - t[1].offset));
    }
    for (std::size_t k = 0; k < starts.size(); ++k) {
        std::string name;
        const std::size_t kind = ConstraintKind(t, starts[k], name);
        if (t[kind].Is("GENERATED") || t[kind].Is("AS")) parts.generated = true;
        if (t[kind].Is("COLLATE") && kind + 1 < t.size())
            parts.collation = UpperAscii(t[kind + 1].value);
        if (!t[kind].Is("CHECK") || name.rfind(kLengthCheckPrefix, 0) != 0 ||
            kind + 1 >= t.size() || !t[kind + 1].IsPunct("(")) {
            continue;
        }
        const std::size_t open = kind + 1;
        const std::size_t close = MatchParen(t, open, t.size());
        // "<measure> <= <limit>" as the engine writes it; any other check is no length check.
        if (close >= t.size() || close < open + 4 || !t[close - 2].IsPunct("<=") ||
            t[close - 1].kind != TokenKind::Number) {
            continue;
        }
        const std::size_t from = t[open].offset + 1;
        parts.lengthCheck = TrimBlanks(columnDefinition.substr(from, t[close].offset - from));
        parts.lengthMeasure = TrimBlanks(columnDefinition.substr(from, t[close - 2].offset - from));
        parts.lengthLimit = std::stoll(t[close - 1].value);
    }
    return parts;
}

}  // namespace db::embedded
