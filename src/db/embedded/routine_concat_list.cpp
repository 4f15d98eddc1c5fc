// ConcatList(code) as a scalar function of SQLite: the distinct 상품위치 of the product's
// PdtLocation rows in the order of the database's collation (letter case and trailing blanks
// ignored), joined with ","; Null when there are none.
#include <algorithm>
#include <string>
#include <vector>

#include "db/embedded/error_map.h"
#include "db/embedded/function_support.h"
#include "db/embedded/routine_natives.h"
#include "db/embedded/sqlite_handle.h"
#include "db/embedded/text_order.h"

namespace db::embedded {
namespace {

// Locations that differ in letter case only count once (the column compares without case);
// Null locations add nothing.
constexpr const char* kLocations =
    "SELECT DISTINCT \"상품위치\" FROM \"PdtLocation\" WHERE \"제품코드\" = ?1 AND \"상품위치\" "
    "IS NOT NULL";

void ConcatList(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (IsNullArgument(argv[0])) return sqlite3_result_null(ctx);
    GuardedCall(ctx, [&] {
        std::vector<std::string> locations;
        QueryRows(sqlite3_context_db_handle(ctx), kLocations, {TextArgument(argv[0])},
                  [&](sqlite3_stmt* s) { locations.push_back(ColumnText(s, 0)); });
        if (locations.empty()) return sqlite3_result_null(ctx);
        // Texts the collation holds equal keep one fixed order, whatever order the rows came in.
        std::sort(locations.begin(), locations.end(),
                  [](const std::string& a, const std::string& b) {
                      const int order = CompareServerText(a, b);
                      return order != 0 ? order < 0 : a < b;
                  });
        std::string joined;
        for (const std::string& location : locations) {
            if (!joined.empty()) joined += ',';
            joined += location;
        }
        sqlite3_result_text(ctx, joined.data(), static_cast<int>(joined.size()), SQLITE_TRANSIENT);
    });
}

}  // namespace

void RegisterConcatList(sqlite3* db) {
    const int rc = sqlite3_create_function_v2(db, "ConcatList", 1, SQLITE_UTF8, nullptr,
                                              Guarded<ConcatList>, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) throw LastError(db, rc);
}

}  // namespace db::embedded
