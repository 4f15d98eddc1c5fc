#pragma once
// Short ways to read results in tests, through a session or through plain SQLite, errors as
// values, and a fresh temporary directory.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/embedded/embedded.h"
#include "db/error.h"
#include "db/session.h"
#include "host/temp_folder.h"

namespace db::embedded::testing {

// The rows of a query, and its fields when asked for.
inline std::vector<std::vector<util::Variant>> AllRows(Session& s, std::string_view sql,
                                                       std::vector<FieldDesc>* fields = nullptr) {
    ExecOutcome outcome = s.Execute(sql, 30);
    std::vector<std::vector<util::Variant>> rows;
    if (!outcome.rows) return rows;
    if (fields != nullptr) *fields = outcome.rows->Fields();
    std::vector<util::Variant> row;
    while (outcome.rows->Next(row)) rows.push_back(row);
    return rows;
}

// The first column of the first row; Empty when there is no row.
inline util::Variant FirstValue(Session& s, std::string_view sql) {
    const auto rows = AllRows(s, sql);
    return rows.empty() || rows.front().empty() ? util::Variant() : rows.front().front();
}

// Values as "kind:text" items apart by ", ", for comparisons and failure messages.
inline std::string Show(const std::vector<util::Variant>& values) {
    static const char* const kKinds[] = {"empty",  "null",     "bool", "int",
                                         "double", "currency", "text", "date"};
    std::string out;
    for (const util::Variant& value : values) {
        out += std::string(out.empty() ? "" : ", ") + kKinds[static_cast<int>(value.kind())] + ":" +
               value.AsText();
    }
    return out;
}

// The table's column of that name, if the schema reports one.
inline std::optional<ColumnInfo> ColumnNamed(Schema& schema, const std::string& table,
                                             const std::string& name) {
    for (ColumnInfo& c : schema.Columns(table)) {
        if (c.name == name) return c;
    }
    return std::nullopt;
}

// The rows of a query run by plain SQLite on a file, as another tool would read it: each row as
// its values joined by "|", NULL as nothing.
inline std::vector<std::string> PlainRows(const std::filesystem::path& file,
                                          const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr), SQLITE_OK)
        << sql << ": " << sqlite3_errmsg(db);
    std::vector<std::string> rows;
    while (stmt != nullptr && sqlite3_step(stmt) == SQLITE_ROW) {
        std::string row;
        for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
            row += std::string(i ? "|" : "") + (text ? text : "");
        }
        rows.push_back(row);
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rows;
}

// A fresh directory under the system temporary folder, removed with everything in it when the
// object goes; the embedded engine's tests name files in it with `/`.
class TempDir : public host_test::TempFolder {
  public:
    const std::filesystem::path& path() const { return Path(); }
    std::filesystem::path operator/(const std::string& name) const { return Path() / name; }
};

// The error of f, or a test failure (and an empty error) when it does not throw.
template <typename F>
DbError ErrorOf(F f) {
    try {
        f();
    } catch (const DbError& e) {
        return e;
    }
    ADD_FAILURE() << "no error";
    return DbError(0, "");
}

}  // namespace db::embedded::testing
