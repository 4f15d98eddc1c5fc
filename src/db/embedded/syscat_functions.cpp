#include "db/embedded/syscat_functions.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/embedded/error_map.h"
#include "db/embedded/function_support.h"
#include "db/embedded/names.h"
#include "db/embedded/sqlite_handle.h"
#include "db/embedded/syscat_objects.h"
#include "db/embedded/syscat_types.h"
#include "db/embedded/token.h"
#include "host/codepage.h"

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

// A column of a table or view as the schema holds it.
struct StoredColumn {
    std::string type;  // the stored type text
    std::int64_t id = 0;
    bool nullable = true;
};

std::optional<StoredColumn> FindStoredColumn(sqlite3* db, std::string_view table,
                                             std::string_view column) {
    std::optional<StoredColumn> found;
    QueryRows(db,
              "SELECT m.name, p.type, p.cid + 1, p.\"notnull\" = 0 AND p.pk = 0 FROM "
              "main.sqlite_master AS m JOIN pragma_table_info(m.name, 'main') AS p WHERE m.type IN "
              "('table', 'view') AND m.name = ?1 COLLATE NOCASE AND p.name = ?2 COLLATE NOCASE",
              {table, column}, [&](sqlite3_stmt* s) {
                  if (found || IsHiddenTable(ColumnText(s, 0))) return;
                  found = StoredColumn{ColumnText(s, 1), sqlite3_column_int64(s, 2),
                                       sqlite3_column_int(s, 3) != 0};
              });
    return found;
}

// The table or view whose catalogue id is id; empty when none.
std::string TableOfId(sqlite3* db, std::int64_t id) {
    std::string table;
    QueryRows(db, "SELECT name FROM main.sqlite_master WHERE type IN ('table', 'view')", {},
              [&](sqlite3_stmt* s) {
                  std::string name = ColumnText(s, 0);
                  if (table.empty() && ObjectId(name) == id && !IsHiddenTable(name)) {
                      table = std::move(name);
                  }
              });
    return table;
}

void ResultFact(sqlite3_context* ctx, const CatalogueFact& fact) {
    if (fact) return sqlite3_result_int64(ctx, *fact);
    sqlite3_result_null(ctx);
}

// COL_LENGTH(table, column): the column's defined bytes (syscolumns.length); Null when the table
// or the column is unknown, as the server gives Null rather than an error.
void ColLength(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (IsNullArgument(argv[0]) || IsNullArgument(argv[1])) return sqlite3_result_null(ctx);
    GuardedCall(ctx, [&] {
        const std::optional<StoredColumn> column =
            FindStoredColumn(sqlite3_context_db_handle(ctx), ObjectNameOf(TextArgument(argv[0])),
                             TextArgument(argv[1]));
        if (!column) return sqlite3_result_null(ctx);
        sqlite3_result_int64(ctx, DescribeServerType(ParseStoredType(column->type)).length);
    });
}

// COLUMNPROPERTY(id, column, property) for the properties of table columns; Null for an unknown
// table, column or property ("input is not valid").
void ColumnProperty(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (IsNullArgument(argv[0]) || IsNullArgument(argv[1]) || IsNullArgument(argv[2])) {
        return sqlite3_result_null(ctx);
    }
    GuardedCall(ctx, [&] {
        sqlite3* db = sqlite3_context_db_handle(ctx);
        const std::string table = TableOfId(db, sqlite3_value_int64(argv[0]));
        if (table.empty()) return sqlite3_result_null(ctx);
        const std::optional<StoredColumn> column =
            FindStoredColumn(db, table, TextArgument(argv[1]));
        if (!column) return sqlite3_result_null(ctx);
        const DeclaredType declared = ParseStoredType(column->type);
        const ServerColumnType type = DescribeServerType(declared);
        const std::string_view property = TextArgument(argv[2]);
        auto is = [&](std::string_view name) { return EqualsNoCase(property, name); };
        if (is("AllowsNull")) return sqlite3_result_int(ctx, column->nullable ? 1 : 0);
        if (is("ColumnId")) return sqlite3_result_int64(ctx, column->id);
        if (is("IsIdentity")) return sqlite3_result_int(ctx, declared.identity.empty() ? 0 : 1);
        if (is("IsComputed") || is("IsRowGuidCol") || is("IsIdNotForRepl") ||
            is("IsFulltextIndexed") || is("IsOutParam") || is("IsCursorType")) {
            return sqlite3_result_int(ctx, 0);
        }
        if (is("Precision")) {
            return ResultFact(ctx, type.characterMaximumLength ? type.characterMaximumLength
                                                               : CatalogueFact(type.xprec));
        }
        if (is("Scale")) return ResultFact(ctx, type.scale);
        if (is("CharMaxLen")) return ResultFact(ctx, type.characterMaximumLength);
        if (is("OctetMaxLen")) return ResultFact(ctx, type.characterOctetLength);
        sqlite3_result_null(ctx);
    });
}

// Two bytes a UTF-16 unit: a character beyond the basic plane takes two units.
std::int64_t UnicodeBytes(std::string_view utf8) {
    std::int64_t bytes = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t length = host::Utf8CharLength(utf8, i);
        bytes += length == 4 ? 4 : 2;
        i += length == 0 ? 1 : length;
    }
    return bytes;
}

// The declared type of column in the first of tables (a list separated by ',') that has it.
std::optional<ServerColumnType> ColumnTypeIn(sqlite3* db, std::string_view column,
                                             std::string_view tables) {
    while (!tables.empty()) {
        const std::size_t comma = tables.find(',');
        const std::string_view table = tables.substr(0, comma);
        if (const std::optional<StoredColumn> c = FindStoredColumn(db, table, column)) {
            return DescribeServerType(ParseStoredType(c->type));
        }
        if (comma == std::string_view::npos) break;
        tables.remove_prefix(comma + 1);
    }
    return std::nullopt;
}

struct ResolvedType {
    std::optional<ServerColumnType> type;
};

// dp_datalength(value, kind, column, tables): DATALENGTH of value. kind is the server type the
// translator saw for the argument (a literal's, or a type that it converts to), or 'column' for a
// column of one of tables, or empty. A column's type is looked up once per statement.
void DataLength(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (IsNullArgument(argv[0])) return sqlite3_result_null(ctx);
    GuardedCall(ctx, [&] {
        const std::string_view kind = TextArgument(argv[1]);
        const ServerColumnType* type = nullptr;
        std::optional<ServerColumnType> literal;
        if (kind == "column") {
            if (auto* cached = static_cast<ResolvedType*>(sqlite3_get_auxdata(ctx, 2))) {
                if (cached->type) type = &*cached->type;
            } else {
                literal = ColumnTypeIn(sqlite3_context_db_handle(ctx), TextArgument(argv[2]),
                                       TextArgument(argv[3]));
                if (literal) type = &*literal;
                sqlite3_set_auxdata(ctx, 2, new ResolvedType{literal},
                                    [](void* p) { delete static_cast<ResolvedType*>(p); });
            }
        } else if (!kind.empty()) {
            literal = DescribeServerType(ParseStoredType(kind));
            type = &*literal;
        }
        sqlite3_value* value = argv[0];
        const int storage = sqlite3_value_type(value);
        using Bytes = ServerColumnType::Bytes;
        const Bytes bytes = type != nullptr          ? type->valueBytes
                            : storage == SQLITE_BLOB ? Bytes::Binary
                            : storage == SQLITE_TEXT ? Bytes::Ansi
                                                     : Bytes::Fixed;
        switch (bytes) {
            case Bytes::Ansi:
                return sqlite3_result_int64(ctx, host::AnsiByteLength(TextArgument(value)));
            case Bytes::Unicode:
                return sqlite3_result_int64(ctx, UnicodeBytes(TextArgument(value)));
            case Bytes::Binary:
                return sqlite3_result_int64(ctx, sqlite3_value_bytes(value));
            case Bytes::Fixed:
                break;
        }
        if (type != nullptr) return sqlite3_result_int64(ctx, type->length);
        // A number of no known type: an int, a bigint beyond its range, a float.
        if (storage == SQLITE_INTEGER) {
            const sqlite3_int64 n = sqlite3_value_int64(value);
            return sqlite3_result_int(ctx, n >= INT32_MIN && n <= INT32_MAX ? 4 : 8);
        }
        sqlite3_result_int(ctx, 8);
    });
}

constexpr std::string_view kCollation = "Korean_Wansung_CI_AS";

// dp_column_info(type, fact): the facts of INFORMATION_SCHEMA.COLUMNS and sys.columns that
// syscolumns has not, for a column declared with type.
void ColumnInfoOf(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const DeclaredType declared = ParseStoredType(TextArgument(argv[0]));
    const ServerColumnType type = DescribeServerType(declared);
    const std::string_view fact = TextArgument(argv[1]);
    auto is = [&](std::string_view name) { return EqualsNoCase(fact, name); };
    const bool character = type.charOctetLength.has_value();
    if (is("data_type")) {
        return sqlite3_result_text(ctx, type.name.c_str(), static_cast<int>(type.name.size()),
                                   SQLITE_TRANSIENT);
    }
    if (is("identity")) return sqlite3_result_int(ctx, declared.identity.empty() ? 0 : 1);
    if (is("char_max")) return ResultFact(ctx, type.characterMaximumLength);
    if (is("octet_max")) return ResultFact(ctx, type.characterOctetLength);
    if (is("num_prec")) return ResultFact(ctx, type.numericPrecision);
    if (is("num_radix")) return ResultFact(ctx, type.numericPrecisionRadix);
    if (is("num_scale")) return ResultFact(ctx, type.numericScale);
    if (is("dt_prec")) return ResultFact(ctx, type.datetimePrecision);
    if (is("charset_catalog") && character) return sqlite3_result_text(ctx, "master", -1, nullptr);
    if (is("charset") && character) {
        const bool unicode =
            type.valueBytes == ServerColumnType::Bytes::Unicode || EqualsNoCase(type.name, "nchar");
        return sqlite3_result_text(ctx, unicode ? "UNICODE" : "cp949", -1, nullptr);
    }
    if (is("collation") && character) {
        return sqlite3_result_text(ctx, kCollation.data(), static_cast<int>(kCollation.size()),
                                   nullptr);
    }
    sqlite3_result_null(ctx);
}

bool SameColumns(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t k = 0; k < a.size(); ++k) {
        if (!EqualsNoCase(a[k], b[k])) return false;
    }
    return true;
}

// dp_key_constraint(create text, table, 'PK' | 'UQ', index, 'name' | 'system_named'): the name of
// a table's primary key (index Null) or of the UNIQUE constraint that index enforces.
void KeyConstraintFact(sqlite3_context* ctx, int, sqlite3_value** argv) {
    GuardedCall(ctx, [&] {
        const bool primary = EqualsNoCase(TextArgument(argv[2]), "PK");
        std::vector<std::string> indexColumns;
        if (!primary && !IsNullArgument(argv[3])) {
            QueryRows(sqlite3_context_db_handle(ctx),
                      "SELECT name FROM pragma_index_info(?1, 'main') ORDER BY seqno",
                      {TextArgument(argv[3])},
                      [&](sqlite3_stmt* s) { indexColumns.push_back(ColumnText(s, 0)); });
        }
        for (const KeyConstraint& key :
             KeyConstraintsOf(TextArgument(argv[0]), TextArgument(argv[1]))) {
            if (key.primary != primary || (!primary && !SameColumns(key.columns, indexColumns))) {
                continue;
            }
            if (EqualsNoCase(TextArgument(argv[4]), "system_named")) {
                return sqlite3_result_int(ctx, key.systemNamed ? 1 : 0);
            }
            return sqlite3_result_text(ctx, key.name.c_str(), static_cast<int>(key.name.size()),
                                       SQLITE_TRANSIENT);
        }
        sqlite3_result_null(ctx);
    });
}

// The parentheses around all of text, when one pair encloses it.
bool Enclosed(std::string_view text) {
    if (text.size() < 2 || text.front() != '(' || text.back() != ')') return false;
    int depth = 0;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\'') quoted = !quoted;
        if (quoted) continue;
        if (text[i] == '(') ++depth;
        if (text[i] == ')' && --depth == 0 && i + 1 < text.size()) return false;
    }
    return true;
}

bool IsNumber(std::string_view text) {
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
    return !text.empty() && text.find_first_not_of("0123456789.") == std::string_view::npos;
}

// dp_column_default(stored default): a column's default as the server's catalogue shows it, the
// expression in parentheses and a number in a pair of its own: "((0))", "('')", "(getdate())".
void ColumnDefaultOf(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (IsNullArgument(argv[0])) return sqlite3_result_null(ctx);
    std::string_view core = TextArgument(argv[0]);
    while (Enclosed(core)) core = core.substr(1, core.size() - 2);
    std::string shown;
    if (IsNumber(core)) {
        shown = "((" + std::string(core) + "))";
    } else if (EqualsNoCase(core, "datetime('now', 'localtime')")) {
        shown = "(getdate())";
    } else {
        shown = "(" + std::string(core) + ")";
    }
    sqlite3_result_text(ctx, shown.c_str(), static_cast<int>(shown.size()), SQLITE_TRANSIENT);
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
    Function{"OBJECT_ID", 1, true, Guarded<ObjectIdOf>},
    Function{"OBJECT_ID", 2, true, Guarded<ObjectIdOf>},
    Function{"dp_object_id", 1, true, Guarded<CatalogueId>},
    Function{"dp_column_fact", 2, true, Guarded<ColumnFactOf>},
    Function{"dp_hidden_table", 1, true, Guarded<HiddenTable>},
    Function{"COL_LENGTH", 2, true, Guarded<ColLength>},
    Function{"COLUMNPROPERTY", 3, true, Guarded<ColumnProperty>},
    Function{"dp_datalength", 4, true, Guarded<DataLength>},
    Function{"dp_column_info", 2, true, Guarded<ColumnInfoOf>},
    Function{"dp_key_constraint", 5, true, Guarded<KeyConstraintFact>},
    Function{"dp_column_default", 1, true, Guarded<ColumnDefaultOf>},
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
