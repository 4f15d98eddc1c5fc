#include "patch/schema_checks.h"

#include <algorithm>
#include <string_view>

#include "repairs/require.h"

namespace patch {

namespace {

std::string Upper(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; });
    return out;
}

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; });
    return out;
}

}  // namespace

bool TableExists(db::ConnectionRef& cn, const std::string& table) {
    const std::string upper = Upper(table);
    const std::string lower = Lower(table);
    for (const db::TableInfo& row : repairs::Require(cn).Engine().SchemaInfo().Tables()) {
        if (Upper(row.name) == upper || Lower(row.name) == lower) return true;
    }
    return false;
}

bool FieldExists(db::ConnectionRef& cn, const std::string& table, const std::string& column) {
    const auto columns = repairs::Require(cn).Engine().SchemaInfo().Columns(table);
    return std::any_of(columns.begin(), columns.end(),
                       [&](const db::ColumnInfo& c) { return c.name == column; });
}

}  // namespace patch
