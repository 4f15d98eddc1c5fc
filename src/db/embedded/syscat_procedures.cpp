#include "db/embedded/syscat_procedures.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <span>

#include "db/embedded/call_arguments.h"
#include "db/embedded/error_map.h"
#include "db/embedded/row_cursor.h"
#include "db/embedded/syscat_objects.h"
#include "db/embedded/syscat_types.h"
#include "db/embedded/token.h"

namespace db::embedded {
namespace {

using Row = std::vector<util::Variant>;
using Value = std::optional<std::string>;

constexpr std::string_view kOwner = "dbo";

// A result column: its name and whether it holds numbers.
struct Column {
    std::string_view name;
    bool number;
};

ExecOutcome Result(std::span<const Column> columns, std::vector<Row> rows) {
    std::vector<FieldDesc> fields;
    for (const Column& c : columns) {
        fields.push_back(
            FieldDesc{std::string(c.name), c.number ? AdoType::kInteger : AdoType::kVarWChar, 0});
    }
    ExecOutcome outcome;
    outcome.rows = std::make_unique<MemoryCursor>(std::move(fields), std::move(rows));
    return outcome;
}

util::Variant Nullable(const CatalogueFact& fact) {
    return fact ? util::Variant(*fact) : util::Variant::MakeNull();
}

util::Variant Nullable(const Value& text) {
    return text ? util::Variant(*text) : util::Variant::MakeNull();
}

// A pattern argument of the procedures (LIKE, without regard to letter case); an absent one
// matches everything.
bool Matches(const Value& pattern, const std::string& text) {
    return !pattern || sqlite3_strlike(pattern->c_str(), text.c_str(), 0) == 0;
}

// The TABLE_TYPE list of sp_tables: "'TABLE', 'VIEW'".
bool TypeListed(const Value& list, std::string_view type) {
    if (!list) return true;
    std::string word;
    for (char ch : *list + ",") {
        if (ch == ',') {
            if (EqualsNoCase(word, type)) return true;
            word.clear();
        } else if (ch != '\'' && ch != '"' && ch != ' ') {
            word += ch;
        }
    }
    return false;
}

bool QualifierMatches(const Value& qualifier, const ProcedureContext& context) {
    return !qualifier || qualifier->empty() || EqualsNoCase(*qualifier, context.database);
}

constexpr std::array kTableColumns{
    Column{"TABLE_QUALIFIER", false}, Column{"TABLE_OWNER", false}, Column{"TABLE_NAME", false},
    Column{"TABLE_TYPE", false},      Column{"REMARKS", false},
};

ExecOutcome Tables(const std::vector<CallArgument>& arguments, ProcedureContext& context) {
    const auto v = BindArguments(
        "sp_tables",
        {{"table_name"}, {"table_owner"}, {"table_qualifier"}, {"table_type"}, {"fUsePattern"}},
        arguments);
    std::vector<TableInfo> tables = context.schema.Tables();
    std::stable_sort(tables.begin(), tables.end(),
                     [](const TableInfo& a, const TableInfo& b) { return a.type < b.type; });
    std::vector<Row> rows;
    for (const TableInfo& t : tables) {
        if (!Matches(v[0], t.name) || !Matches(v[1], std::string(kOwner)) ||
            !QualifierMatches(v[2], context) || !TypeListed(v[3], t.type)) {
            continue;
        }
        rows.push_back(
            Row{context.database, std::string(kOwner), t.name, t.type, util::Variant::MakeNull()});
    }
    return Result(kTableColumns, std::move(rows));
}

constexpr std::array kColumnColumns{
    Column{"TABLE_QUALIFIER", false},
    Column{"TABLE_OWNER", false},
    Column{"TABLE_NAME", false},
    Column{"COLUMN_NAME", false},
    Column{"DATA_TYPE", true},
    Column{"TYPE_NAME", false},
    Column{"PRECISION", true},
    Column{"LENGTH", true},
    Column{"SCALE", true},
    Column{"RADIX", true},
    Column{"NULLABLE", true},
    Column{"REMARKS", false},
    Column{"COLUMN_DEF", false},
    Column{"SQL_DATA_TYPE", true},
    Column{"SQL_DATETIME_SUB", true},
    Column{"CHAR_OCTET_LENGTH", true},
    Column{"ORDINAL_POSITION", true},
    Column{"IS_NULLABLE", false},
};

// The declared type of a listed column; a sized text without size that the schema reports as
// long was declared (max).
DeclaredType DeclaredTypeOf(const ColumnInfo& c) {
    DeclaredType d = ParseStoredType(c.typeName);
    d.size = c.size;
    d.max =
        c.size == 0 && (c.adoType == AdoType::kLongVarWChar || c.adoType == AdoType::kLongVarChar);
    return d;
}

Row ColumnRow(const ProcedureContext& context, const std::string& table, const ColumnInfo& c,
              std::int64_t position) {
    const ServerColumnType t = DescribeServerType(DeclaredTypeOf(c));
    return Row{context.database,
               std::string(kOwner),
               table,
               c.name,
               t.dataType,
               t.name + (c.identity ? " identity" : ""),
               t.precision,
               t.listLength,
               Nullable(t.scale),
               Nullable(t.radix),
               c.nullable ? 1 : 0,
               util::Variant::MakeNull(),
               Nullable(c.defaultText),
               t.sqlDataType,
               Nullable(t.datetimeSub),
               Nullable(t.charOctetLength),
               position,
               c.nullable ? "YES" : "NO"};
}

ExecOutcome Columns(const std::vector<CallArgument>& arguments, ProcedureContext& context) {
    const auto v = BindArguments("sp_columns",
                                 {{"table_name", true},
                                  {"table_owner"},
                                  {"table_qualifier"},
                                  {"column_name"},
                                  {"ODBCVer"},
                                  {"fUsePattern"}},
                                 arguments);
    std::vector<Row> rows;
    if (Matches(v[1], std::string(kOwner)) && QualifierMatches(v[2], context)) {
        for (const TableInfo& t : context.schema.Tables()) {
            if (!v[0] || !Matches(v[0], t.name)) continue;
            std::int64_t position = 0;
            for (const ColumnInfo& c : context.schema.Columns(t.name)) {
                ++position;
                if (Matches(v[3], c.name)) rows.push_back(ColumnRow(context, t.name, c, position));
            }
        }
    }
    return Result(kColumnColumns, std::move(rows));
}

constexpr std::array kIndexColumns{
    Column{"index_name", false},
    Column{"index_description", false},
    Column{"index_keys", false},
};

std::string IndexDescription(const IndexInfo& index) {
    if (index.primaryKey) return "clustered, unique, primary key located on PRIMARY";
    return index.unique ? "nonclustered, unique located on PRIMARY"
                        : "nonclustered located on PRIMARY";
}

ExecOutcome HelpIndex(const std::vector<CallArgument>& arguments, ProcedureContext& context) {
    const auto v = BindArguments("sp_helpindex", {{"objname", true}}, arguments);
    const std::string table = ObjectNameOf(v[0].value_or(""));
    try {
        context.schema.Columns(table);
    } catch (const DbError& e) {
        if (e.Number() != ErrorNumber::kItemNotFound) throw;
        throw EngineError(ErrorNumber::kSyntax,
                          "The object '" + v[0].value_or("") + "' does not exist in database '" +
                              context.database + "' or is invalid for this operation.");
    }
    std::vector<Row> rows;
    for (const IndexInfo& index : context.schema.Indexes(table)) {
        std::string keys;
        for (const std::string& column : index.columns) keys += (keys.empty() ? "" : ", ") + column;
        rows.push_back(Row{index.name, IndexDescription(index), keys});
    }
    if (rows.empty()) return ExecOutcome{};
    return Result(kIndexColumns, std::move(rows));
}

struct SystemProcedure {
    std::string_view name;
    ExecOutcome (*run)(const std::vector<CallArgument>&, ProcedureContext&);
};

constexpr std::array kProcedures{
    SystemProcedure{"sp_tables", Tables},
    SystemProcedure{"sp_columns", Columns},
    SystemProcedure{"sp_helpindex", HelpIndex},
};

const SystemProcedure* FindProcedure(std::string_view name) {
    for (const SystemProcedure& p : kProcedures) {
        if (EqualsNoCase(p.name, name)) return &p;
    }
    return nullptr;
}

}  // namespace

bool IsAnsweredSystemProcedure(std::string_view name) {
    return FindProcedure(name) != nullptr;
}

ExecOutcome RunSystemProcedure(std::string_view name, const std::vector<CallArgument>& arguments,
                               ProcedureContext& context) {
    const SystemProcedure* procedure = FindProcedure(name);
    if (procedure == nullptr) {
        throw EngineError(ErrorNumber::kSyntax,
                          "Could not find stored procedure '" + std::string(name) + "'.");
    }
    return procedure->run(arguments, context);
}

}  // namespace db::embedded
