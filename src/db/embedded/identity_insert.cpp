#include "db/embedded/identity_insert.h"

#include <charconv>

#include "db/embedded/error_map.h"
#include "db/embedded/names.h"
#include "db/embedded/token.h"

namespace db::embedded {
namespace {

struct Numbering {
    long long seed = 1;
    long long increment = 1;
};

// "IDENTITY(seed,increment)"; (1, 1) for a counter and when the arguments are missing or
// unreadable.
Numbering ReadNumbering(const ColumnShape& column) {
    Numbering n;
    const std::string& identity = column.type.identity;
    long long values[2] = {1, 1};
    int found = 0;
    const Tokens t = Tokenize(identity);
    for (std::size_t i = 0; i < t.size() && found < 2; ++i) {
        if (t[i].kind != TokenKind::Number) continue;
        long long v = 0;
        std::from_chars(t[i].value.data(), t[i].value.data() + t[i].value.size(), v);
        values[found++] = i > 0 && t[i - 1].IsPunct("-") ? -v : v;
    }
    if (found == 2 && values[1] != 0) n = Numbering{values[0], values[1]};
    return n;
}

}  // namespace

std::string IdentityInsertSql(const TableShape& shape, const Step& step) {
    const ColumnShape* identity = shape.Identity();
    if (identity == nullptr) return step.sql;
    std::vector<std::string> columns{identity->name};
    if (step.columns.empty()) {
        for (const ColumnShape& c : shape.columns) {
            if (&c != identity) columns.push_back(c.name);
        }
    }
    for (const std::string& c : step.columns) {
        if (EqualsNoCase(c, identity->name)) {
            // Jet takes the value of a counter that a statement gives.
            if (identity->Counter()) return step.sql;
            throw EngineError(ErrorNumber::kSyntax,
                              "Cannot insert explicit value for identity column in table '" +
                                  shape.name + "' when IDENTITY_INSERT is set to OFF.");
        }
        columns.push_back(c);
    }
    const Numbering n = ReadNumbering(*identity);
    const std::string table = QuoteName(shape.name);
    const std::string last =
        std::string(n.increment > 0 ? "max(" : "min(") + QuoteName(identity->name) + ")";
    const std::string next = "(SELECT coalesce(" + last + ", " +
                             std::to_string(n.seed - n.increment) + ") FROM " + table + ") + " +
                             std::to_string(n.increment);
    if (Tokenize(step.source).front().Is("DEFAULT")) {
        return "INSERT INTO " + table + " (" + QuoteName(identity->name) + ") SELECT " + next;
    }
    return "INSERT INTO " + table + " (" + QuoteNames(columns) + ") SELECT " + next +
           " * row_number() OVER (), * FROM (" + step.source + ")";
}

}  // namespace db::embedded
