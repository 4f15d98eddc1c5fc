#pragma once
// Sessions of SQL Server mode for the catalogue and routine tests, errors as values, and result
// rows read by field name (without regard to letter case, as record sets do).
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "db/embedded/embedded.h"
#include "db/embedded/session_helpers.h"
#include "db/embedded/temp_dir.h"
#include "db/embedded/token.h"
#include "db/error.h"

namespace db::embedded::testing {

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

// A row by upper-cased field name.
using NamedRow = std::map<std::string, util::Variant>;

inline std::vector<NamedRow> NamedRows(Session& s, std::string_view sql) {
    ExecOutcome outcome = s.Execute(sql, 30);
    std::vector<NamedRow> rows;
    if (!outcome.rows) return rows;
    std::vector<util::Variant> values;
    while (outcome.rows->Next(values)) {
        NamedRow row;
        for (std::size_t i = 0; i < values.size(); ++i) {
            row[UpperAscii(outcome.rows->Fields()[i].name)] = values[i];
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

// A fresh database of SQL Server mode in its own folder ("store.sqlite" of a server folder).
class ServerModeTest : public ::testing::Test {
  protected:
    std::unique_ptr<Session> OpenServer() {
        return Open(dir_ / "store.sqlite", OpenOptions{Dialect::SqlServer, "", true});
    }

    TempDir dir_;
    std::unique_ptr<Session> server_ = OpenServer();
};

}  // namespace db::embedded::testing
