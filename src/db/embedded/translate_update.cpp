// UPDATE t SET a = x, … [WHERE …]; T-SQL also UPDATE t SET a = x … FROM t AS s JOIN … WHERE …,
// where the target is one of the FROM items (by name or alias). The joined rows are computed in
// a subquery that carries the target's rowid and the new values; the target rows are matched to
// it by rowid:
//   UPDATE t SET a = dp_from.dp_v1 FROM (SELECT s.rowid AS dp_rowid, x AS dp_v1 FROM … WHERE …)
//   AS dp_from WHERE t.rowid = dp_from.dp_rowid
#include <algorithm>

#include "db/embedded/translate_forms.h"

namespace db::embedded {
namespace {

struct FromItem {
    std::string table;
    std::string alias;
};

std::vector<FromItem> ReadFromItems(const Cursor& c, Span from) {
    Cursor f(c.tokens(), from, c.dialect(), "UPDATE");
    std::vector<FromItem> items;
    bool expectTable = true;
    while (!f.AtEnd()) {
        if (expectTable) {
            FromItem item;
            if (f.Peek().IsPunct("(")) {
                f.ReadParens();
            } else if (f.Peek().kind == TokenKind::Query) {
                f.Seek(f.pos() + 1);
            } else {
                item.table = f.ReadTableName();
            }
            if (f.Accept("AS") || (f.Peek().IsName() && !f.Peek().keyword)) {
                item.alias = f.ReadName();
            }
            items.push_back(std::move(item));
            expectTable = false;
            continue;
        }
        if (f.Peek().Is("JOIN") || f.Peek().IsPunct(",")) expectTable = true;
        if (f.Peek().IsPunct("(")) {
            f.ReadParens();
        } else {
            f.Seek(f.pos() + 1);
        }
    }
    return items;
}

// The table that the target names and the alias that ties it to its FROM item (empty when the
// target is not among the FROM items).
FromItem ResolveTarget(const Cursor& c, const std::string& target,
                       const std::vector<FromItem>& items) {
    for (const FromItem& item : items) {
        if (!item.alias.empty() && EqualsNoCase(item.alias, target)) return item;
    }
    for (const FromItem& item : items) {
        if (!EqualsNoCase(item.table, target)) continue;
        if (item.alias.empty()) c.NotSupported("UPDATE … FROM with an unaliased target");
        return item;
    }
    return FromItem{target, ""};
}

struct Assignment {
    std::string column;
    Span value;
};

// a = x, s.b = y
std::vector<Assignment> ReadAssignments(const Cursor& c, Span sets) {
    std::vector<Assignment> out;
    for (const Span& part : SplitCommas(c.tokens(), sets)) {
        Cursor a(c.tokens(), part, c.dialect(), "UPDATE");
        const std::vector<std::string> names = a.ReadNameParts();
        a.ExpectPunct("=");
        if (a.AtEnd()) a.Fail("value missing");
        out.push_back({names.back(), a.Rest()});
    }
    return out;
}

std::string JoinedUpdate(const Cursor& c, const FromItem& target, Span sets, Span from,
                         Span where) {
    std::string columns;
    std::string selected = QuoteName(target.alias) + ".rowid AS \"dp_rowid\"";
    int n = 0;
    for (const Assignment& a : ReadAssignments(c, sets)) {
        const std::string value = "\"dp_v" + std::to_string(++n) + "\"";
        if (!columns.empty()) columns += ", ";
        columns += QuoteName(a.column) + " = \"dp_from\"." + value;
        selected += ", " + WriteExpression(c, a.value) + " AS " + value;
    }
    std::string source = "SELECT " + selected + " FROM " + WriteExpression(c, from);
    if (!where.Empty()) source += " WHERE " + WriteExpression(c, where);
    return "UPDATE " + QuoteName(target.table) + " SET " + columns + " FROM (" + source +
           ") AS \"dp_from\" WHERE " + QuoteName(target.table) +
           ".rowid = \"dp_from\".\"dp_rowid\"";
}

void TranslateUpdateOf(Cursor& c, Program& out);

// A text that reads as a date and is set into a date column is stored as that date; in a text
// column it stays as written.
std::optional<Tokens> WithDateValues(const Cursor& c) {
    if (CurrentColumnKinds() == nullptr) return std::nullopt;
    const Tokens& t = c.tokens();
    bool dates = false;
    for (std::size_t i = c.pos(); i < c.end() && !dates; ++i) {
        dates = DateLiteralText(t[i]).has_value();
    }
    const std::size_t set = FindTopLevel(t, c.Rest(), "SET");
    if (!dates || set >= c.end()) return std::nullopt;
    const Span rest{set + 1, c.end()};
    const Span sets{rest.begin,
                    std::min(FindTopLevel(t, rest, "FROM"), FindTopLevel(t, rest, "WHERE"))};
    const std::vector<std::string> tables = NamedTables(t, {c.pos() - 1, c.end()});
    std::vector<Span> values;
    std::vector<std::optional<ValueKind>> kinds;
    for (const Span& part : SplitCommas(t, sets)) {
        std::size_t i = part.begin;
        while (i + 2 < part.end && t[i + 1].IsPunct(".")) i += 2;
        if (i + 2 >= part.end || !t[i].IsName() || !t[i + 1].IsPunct("=")) continue;
        values.push_back({i + 2, part.end});
        kinds.push_back(ColumnKindIn(tables, t[i].value));
    }
    Tokens copy = t;
    ConvertDateLiterals(copy, values, kinds);
    return copy;
}

}  // namespace

void TranslateUpdate(Cursor& c, Program& out) {
    if (const std::optional<Tokens> converted = WithDateValues(c)) {
        Cursor v(*converted, c.Rest(), c.dialect(), "UPDATE");
        TranslateUpdateOf(v, out);
        c.Seek(c.end());
        return;
    }
    TranslateUpdateOf(c, out);
}

namespace {

void TranslateUpdateOf(Cursor& c, Program& out) {
    const std::string target = c.ReadTableName();
    if (!c.Accept("SET")) {
        if (c.Peek().Is("INNER") || c.Peek().Is("LEFT") || c.Peek().Is("JOIN")) {
            c.NotSupported("UPDATE with a join");
        }
        c.Fail("SET missing");
    }
    const Tokens& t = c.tokens();
    const Span rest = c.Rest();
    const std::size_t from = FindTopLevel(t, rest, "FROM");
    const std::size_t where = FindTopLevel(t, rest, "WHERE");
    if (from < rest.end && (c.Jet() || from > where)) c.Fail("near 'FROM'");
    const Span sets{rest.begin, std::min(from, where)};
    const Span whereSpan{std::min(where + 1, rest.end), rest.end};

    Step step;
    step.countsChanges = true;
    if (from < rest.end) {
        const Span fromSpan{from + 1, where};
        const FromItem resolved = ResolveTarget(c, target, ReadFromItems(c, fromSpan));
        if (!resolved.alias.empty()) {
            step.sql = JoinedUpdate(c, resolved, sets, fromSpan, whereSpan);
            out.steps.push_back(std::move(step));
            return;
        }
    }
    // A FROM that does not name the target is SQLite's own UPDATE … FROM.
    step.sql = "UPDATE " + QuoteName(target) + " SET " + WriteExpression(c, {sets.begin, rest.end});
    out.steps.push_back(std::move(step));
}

}  // namespace

}  // namespace db::embedded
