#pragma once
// Short ways to read results in tests.
#include <string>
#include <vector>

#include "db/session.h"

namespace db::embedded::testing {

inline std::vector<std::vector<util::Variant>> AllRows(Session& s, std::string_view sql) {
    ExecOutcome outcome = s.Execute(sql, 30);
    std::vector<std::vector<util::Variant>> rows;
    if (!outcome.rows) return rows;
    std::vector<util::Variant> row;
    while (outcome.rows->Next(row)) rows.push_back(row);
    return rows;
}

// The first column of the first row; Empty when there is no row.
inline util::Variant FirstValue(Session& s, std::string_view sql) {
    const auto rows = AllRows(s, sql);
    return rows.empty() || rows.front().empty() ? util::Variant() : rows.front().front();
}

inline std::int64_t Affected(Session& s, std::string_view sql) {
    return s.Execute(sql, 30).affected;
}

}  // namespace db::embedded::testing
