// INSERT [INTO] t [(columns)] VALUES (…) | SELECT … | DEFAULT VALUES
#include "db/embedded/translate_forms.h"

namespace db::embedded {
namespace {

// "(a, [b c])" before VALUES or SELECT: the named columns. A parenthesized query is no column
// list.
std::vector<std::string> ReadColumnList(Cursor& c) {
    std::vector<std::string> columns;
    if (!c.Peek().IsPunct("(") || c.Peek(1).Is("SELECT")) return columns;
    for (const Span& part : SplitCommas(c.tokens(), c.ReadParens())) {
        Cursor item(c.tokens(), part, c.dialect(), "INSERT INTO");
        columns.push_back(item.ReadName());
        if (!item.AtEnd()) item.Fail("near '" + item.Peek().value + "'");
    }
    return columns;
}

// The values of each row of VALUES (…), (…) or of the select list of INSERT … SELECT.
std::vector<std::vector<Span>> RowValues(const Tokens& t, Span rest) {
    std::vector<std::vector<Span>> rows;
    std::size_t i = rest.begin;
    if (i < rest.end && t[i].Is("VALUES")) {
        for (const Span& row : SplitCommas(t, {i + 1, rest.end})) {
            if (row.Empty() || !t[row.begin].IsPunct("(")) continue;
            const std::size_t close = MatchParen(t, row.begin, row.end);
            rows.push_back(SplitCommas(t, {row.begin + 1, close}));
        }
        return rows;
    }
    if (i < rest.end && t[i].IsPunct("(")) ++i;
    if (i >= rest.end || !t[i].Is("SELECT")) return rows;
    ++i;
    if (i < rest.end && (t[i].Is("DISTINCT") || t[i].Is("ALL"))) ++i;
    if (i + 1 < rest.end && t[i].Is("TOP")) i += 2;
    const std::size_t from = FindTopLevel(t, {i, rest.end}, "FROM");
    rows.push_back(SplitCommas(t, {i, from}));
    return rows;
}

// A text that reads as a date and goes into a date column is stored as that date, as both
// engines convert a value to the type of its column; in a text column it stays as written.
std::optional<Tokens> WithDateValues(const Cursor& c, const std::string& table,
                                     const std::vector<std::string>& columns) {
    ColumnKinds* kinds = CurrentColumnKinds();
    if (kinds == nullptr) return std::nullopt;
    const Tokens& t = c.tokens();
    bool dates = false;
    for (std::size_t i = c.pos(); i < c.end() && !dates; ++i)
        dates = DateLiteralText(t[i]).has_value();
    if (!dates) return std::nullopt;
    std::vector<std::optional<ValueKind>> targets;
    if (columns.empty()) {
        for (ValueKind k : kinds->KindsOf(table)) targets.push_back(k);
    } else {
        for (const std::string& column : columns) targets.push_back(kinds->KindOf(table, column));
    }
    Tokens copy = t;
    for (const std::vector<Span>& row : RowValues(t, c.Rest())) {
        ConvertDateLiterals(copy, row, targets);
    }
    return copy;
}

}  // namespace

void TranslateInsert(Cursor& c, Program& out) {
    c.Accept("INTO");
    Step step;
    step.kind = Step::Kind::Insert;
    step.table = c.ReadTableName();
    step.columns = ReadColumnList(c);
    if (c.AtEnd()) c.Fail("VALUES or SELECT missing");
    if (const std::optional<Tokens> converted = WithDateValues(c, step.table, step.columns)) {
        step.source =
            WriteExpression(Cursor(*converted, c.Rest(), c.dialect(), "INSERT INTO"), c.Rest());
    } else {
        step.source = WriteExpression(c, c.Rest());
    }
    step.sql = "INSERT INTO " + QuoteName(step.table) + " ";
    if (!step.columns.empty()) step.sql += "(" + QuoteNames(step.columns) + ") ";
    step.sql += step.source;
    step.countsChanges = true;
    out.steps.push_back(std::move(step));
}

}  // namespace db::embedded
