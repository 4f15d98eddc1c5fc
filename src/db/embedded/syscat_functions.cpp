#include "db/embedded/syscat_functions.h"

#include <array>
#include <string>
#include <string_view>

#include "db/embedded/error_map.h"
#include "db/embedded/function_support.h"
#include "db/embedded/names.h"
#include "db/embedded/syscat_objects.h"
#include "db/embedded/syscat_types.h"
#include "db/embedded/token.h"

namespace db::embedded {
namespace {

void ObjectIdOf(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (IsNullArgument(argv[0])) return sqlite3_result_null(ctx);
    GuardedCall(ctx, [&] {
        const std::string name = ObjectNameOf(TextArgument(argv[0]));
        // Temporary objects (#t) live in no store database.
        if (name.empty() || name.front() == '#') return sqlite3_result_null(ctx);
        const std::string kind = ObjectKindOf(sqlite3_context_db_handle(ctx), name);
        if (kind.empty()) return sqlite3_result_null(ctx);
        if (argc > 1 && !IsNullArgument(argv[1])) {
            const ObjectKind* wanted = FindObjectKind(TextArgument(argv[1]));
            if (wanted == nullptr || !EqualsNoCase(wanted->code, kind)) {
                return sqlite3_result_null(ctx);
            }
        }
        sqlite3_result_int64(ctx, ObjectId(name));
    });
}

void CatalogueId(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (IsNullArgument(argv[0])) return sqlite3_result_null(ctx);
    sqlite3_result_int64(ctx, ObjectId(TextArgument(argv[0])));
}

struct ColumnFact {
    std::string_view name;
    std::int64_t (*get)(const ServerColumnType&);
};

constexpr std::array kColumnFacts{
    ColumnFact{"xtype", [](const ServerColumnType& t) -> std::int64_t { return t.xtype; }},
    ColumnFact{"type", [](const ServerColumnType& t) -> std::int64_t { return t.type; }},
    ColumnFact{"length", [](const ServerColumnType& t) -> std::int64_t { return t.length; }},
    ColumnFact{"xprec", [](const ServerColumnType& t) -> std::int64_t { return t.xprec; }},
    ColumnFact{"xscale", [](const ServerColumnType& t) -> std::int64_t { return t.xscale; }},
    ColumnFact{"prec", [](const ServerColumnType& t) -> std::int64_t { return t.prec; }},
};

void ColumnFactOf(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const std::string_view fact = TextArgument(argv[1]);
    for (const ColumnFact& f : kColumnFacts) {
        if (!EqualsNoCase(f.name, fact)) continue;
        const ServerColumnType type = DescribeServerType(ParseStoredType(TextArgument(argv[0])));
        return sqlite3_result_int64(ctx, f.get(type));
    }
    sqlite3_result_error(ctx, "dp_column_fact: unknown fact", -1);
}

void HiddenTable(sqlite3_context* ctx, int, sqlite3_value** argv) {
    sqlite3_result_int(ctx, IsHiddenTable(TextArgument(argv[0])) ? 1 : 0);
}

struct Function {
    const char* name;
    int arguments;
    bool deterministic;
    void (*call)(sqlite3_context*, int, sqlite3_value**);
};

// OBJECT_ID reads the database, but gives one answer within a statement: declared deterministic,
// SQLite computes it once per statement instead of once per row of a catalogue probe.
constexpr std::array kFunctions{
    Function{"OBJECT_ID", 1, true, ObjectIdOf},
    Function{"OBJECT_ID", 2, true, ObjectIdOf},
    Function{"dp_object_id", 1, true, CatalogueId},
    Function{"dp_column_fact", 2, true, ColumnFactOf},
    Function{"dp_hidden_table", 1, true, HiddenTable},
};

}  // namespace

void RegisterCatalogueFunctions(sqlite3* db) {
    for (const Function& f : kFunctions) {
        const int flags =
            SQLITE_UTF8 | SQLITE_INNOCUOUS | (f.deterministic ? SQLITE_DETERMINISTIC : 0);
        const int rc = sqlite3_create_function_v2(db, f.name, f.arguments, flags, nullptr, f.call,
                                                  nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) throw LastError(db, rc);
    }
}

}  // namespace db::embedded
