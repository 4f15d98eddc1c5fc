#pragma once
// The rows of a query as texts, for comparing whole tables in the repair tests: each row's fields
// joined by "|", Null written as "NULL" and texts exactly as stored (blanks kept).
#include <string>
#include <vector>

#include "db/connection.h"
#include "db/recordset.h"

namespace store_test {

inline std::vector<std::string> TableRows(db::Connection& cn, const std::string& sql) {
    db::RecordSet rs;
    rs.Open(sql, cn);
    std::vector<std::string> rows;
    for (; !rs.Eof(); rs.MoveNext()) {
        std::string row;
        for (int i = 0; i < rs.FieldCount(); ++i) {
            if (i > 0) row += "|";
            row += rs[i].IsNull() ? std::string("NULL") : rs[i].AsText();
        }
        rows.push_back(row);
    }
    return rows;
}

}  // namespace store_test
