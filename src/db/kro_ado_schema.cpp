#include <algorithm>
#include <optional>

#include "db/ascii_text.h"
#include "db/kro_ado.h"
#include "db/router.h"
#include "util/sql_text.h"

namespace db {
namespace {

struct TypeNames {
    int code;
    const char* sqlServer;
    const char* mdb;
};
constexpr TypeNames kTypeNames[] = {
    {FieldCode::kChar, "CHAR", "CHAR"},
    {FieldCode::kNVarChar, "NVARCHAR", "NVARCHAR"},
    {FieldCode::kText, "TEXT", "MEMO"},
    {FieldCode::kBit, "BIT", "YESNO"},
    {FieldCode::kTinyInt, "TINYINT", "INTEGER"},
    {FieldCode::kSmallInt, "SmallINT", "INTEGER"},
    {FieldCode::kInt, "INT", "LONG"},
    {FieldCode::kDecimal, "DECIMAL", "DECIMAL"},
    {FieldCode::kFloat, "FLOAT", "DOUBLE"},
    {FieldCode::kDateTime, "DATETIME", "DateTime"},
    {FieldCode::kMoney, "MONEY", "CURRENCY"},
};

// The precision the server's column listing reports for types whose size is not declared.
struct TypePrecision {
    const char* typeName;
    int precision;
};
constexpr TypePrecision kPrecisions[] = {
    {"int", 10},        {"smallint", 5},       {"tinyint", 3},        {"bigint", 19},
    {"bit", 1},         {"float", 15},         {"real", 7},           {"money", 19},
    {"smallmoney", 10}, {"datetime", 23},      {"smalldatetime", 16}, {"decimal", 18},
    {"numeric", 18},    {"ntext", 1073741823}, {"text", 2147483647},  {"image", 2147483647},
};

// ADO types that take their value between apostrophes.
constexpr int kQuotedTypes[] = {AdoType::kChar,        AdoType::kWChar,    AdoType::kVarChar,
                                AdoType::kLongVarChar, AdoType::kVarWChar, AdoType::kLongVarWChar,
                                AdoType::kDate};

constexpr std::int32_t kTypeMismatch = 13;

std::string Join(const std::vector<std::string>& names, int& nCount) {
    std::string out;
    for (const auto& n : names) out += "," + n;
    nCount = static_cast<int>(names.size());
    return out.empty() ? out : out.substr(1);
}

int PrecisionOf(const ColumnInfo& c, const std::string& lowerType) {
    for (const auto& p : kPrecisions) {
        if (lowerType == p.typeName) return c.size > 0 ? c.size : p.precision;
    }
    return c.size;
}

// Splits "a, b" into its trimmed keys.
std::vector<std::string> IndexKeys(std::string_view keys) {
    std::vector<std::string> out;
    for (std::size_t from = 0;;) {
        const std::size_t comma = keys.find(',', from);
        out.emplace_back(TrimBlanks(keys.substr(from, comma - from)));
        if (comma == std::string_view::npos) break;
        from = comma + 1;
    }
    return out;
}

std::string CreateIndexText(const std::string& name, const std::string& keys,
                            const std::string& table) {
    const auto parts = IndexKeys(keys);
    if (parts.size() == 1) {
        return "CREATE INDEX [" + name + "] ON [dbo].[" + table + "]" + " ([" + parts[0] +
               "]) ON [PRIMARY]";
    }
    std::string columns = "[" + parts[0] + "]";
    for (std::size_t i = 1; i < parts.size(); ++i) columns += " , [" + parts[i] + "]";
    return "CREATE UNIQUE  INDEX [" + name + "] ON [dbo].[" + table + "]" + " (" + columns + ")" +
           " ON [PRIMARY]";
}

Schema& SchemaOf(Connection& cn) {
    return cn.Engine().SchemaInfo();
}

std::string NumberLiteral(const util::Variant& v) {
    if (v.IsNull() || v.IsEmpty()) return "0";
    if (v.kind() == util::Variant::Kind::Int) return v.AsText();
    if (!v.IsNumeric()) {
        throw DbError(kTypeMismatch, "형식이 일치하지 않습니다: '" + v.AsText() + "'");
    }
    return util::Variant(v.AsDouble()).AsText();
}

}  // namespace

Connection& Kro_Ado::Own() {
    if (!own_) {
        throw DbError(ErrorNumber::kObjectClosed,
                      "연결되지 않은 개체입니다. 개체가 닫혀 있으면 작업이 허용되지 않습니다.");
    }
    return *own_;
}

bool Kro_Ado::OnServerProcedures() {
    return kind_ == 1 && ownOnOdbc_;
}

bool Kro_Ado::TryRun(const std::string& sql) {
    try {
        Own().Execute(sql);
        return true;
    } catch (const DbError&) {
        return false;
    }
}

std::string Kro_Ado::FieldTypeName(int FieldType) const {
    for (const auto& t : kTypeNames) {
        if (t.code == FieldType) return kind_ == 1 ? t.sqlServer : t.mdb;
    }
    return "";
}

std::string Kro_Ado::TypeClause(int FieldType, int FileSize) const {
    std::string out = FieldTypeName(FieldType);
    if (FileSize != 0) out += " (" + std::to_string(FileSize) + ")";
    return out;
}

bool Kro_Ado::TableAdd(std::string Table, std::string FirstField, int FieldType, int FileSize) {
    return TryRun("CREATE TABLE [" + Table + "] (" + FirstField + " " +
                  TypeClause(FieldType, FileSize) + ")");
}

bool Kro_Ado::FieldAdd(std::string Table, std::string Field, int FieldType, int FileSize) {
    return TryRun("ALTER TABLE [" + Table + "] ADD " + Field + " " +
                  TypeClause(FieldType, FileSize));
}

void Kro_Ado::TableDelete(const std::string& Table) {
    Own().Execute("DROP TABLE " + Table);
}

void Kro_Ado::FieldDelete(const std::string& Table, const std::string& Field) {
    Own().Execute("ALTER TABLE " + Table + " DROP COLUMN " + Field);
}

void Kro_Ado::FieldTypeChange(const std::string& Table, const std::string& Field, int FieldType,
                              int FieldSize) {
    if (!FieldAdd(Table, Field + "_X", FieldType, FieldSize)) return;
    Own().Execute("UPDATE " + Table + " SET " + Field + "_X = [" + Field + "]");
    FieldDelete(Table, Field);
}

std::string Kro_Ado::TableNameGet() {
    int ignored = 0;
    return TableNameGet(ignored);
}

std::string Kro_Ado::TableNameGet(int& nCount) {
    nCount = 0;
    std::vector<std::string> names;
    if (OnServerProcedures()) {
        RecordSet rs;
        rs.Open("sp_TABLES", Own(), CursorType::kForwardOnly, 1);
        for (; rs.State() == ObjectState::Open && !rs.Eof(); rs.MoveNext()) {
            names.push_back(rs["TABLE_NAME"].AsText());
        }
    } else {
        for (const auto& t : SchemaOf(Own()).Tables()) names.push_back(t.name);
    }
    return Join(names, nCount);
}

bool Kro_Ado::TableFind(const std::string& Table) {
    const auto tables = SchemaOf(Own()).Tables();
    return std::any_of(tables.begin(), tables.end(),
                       [&](const TableInfo& t) { return t.name == Table; });
}

bool Kro_Ado::FieldFind(const std::string& Table, const std::string& Field) {
    const auto columns = SchemaOf(Own()).Columns(Table);
    return std::any_of(columns.begin(), columns.end(),
                       [&](const ColumnInfo& c) { return c.name == Field; });
}

std::vector<Kro_Ado::ColumnRow> Kro_Ado::ServerColumns(const std::string& Table,
                                                       const std::string& procedureText) {
    std::vector<ColumnRow> rows;
    if (OnServerProcedures()) {
        RecordSet rs;
        rs.Open(procedureText, Own(), CursorType::kForwardOnly, 1);
        for (; rs.State() == ObjectState::Open && !rs.Eof(); rs.MoveNext()) {
            rows.push_back(ColumnRow{rs["COLUMN_NAME"].AsText(), rs["TYPE_NAME"].AsText(),
                                     rs["PRECISION"], rs["IS_NULLABLE"].AsText(), rs["NULLABLE"],
                                     rs["TABLE_QUALIFIER"]});
        }
        return rows;
    }
    // The embedded server and the file sources answer from the catalogue, in the listing's
    // terms: lower-case type names, the precision of undeclared sizes, the database as qualifier.
    util::Variant qualifier = util::Variant::MakeNull();
    if (kind_ == 1) {
        const auto parts = ConnectionStringParts::Parse(Own().ConnectionString);
        qualifier = parts.Get("initial catalog").value_or(parts.Get("database").value_or(""));
    }
    for (const auto& c : SchemaOf(Own()).Columns(Table)) {
        std::string type = AsciiLower(c.typeName);
        const int precision = PrecisionOf(c, type);
        if (c.identity) type += " identity";
        rows.push_back(ColumnRow{c.name, type, util::Variant(precision), c.nullable ? "YES" : "NO",
                                 util::Variant(c.nullable ? 1 : 0), qualifier});
    }
    return rows;
}

std::string Kro_Ado::FieldNameGet(const std::string& Table) {
    int ignored = 0;
    return FieldNameGet(Table, ignored);
}

std::string Kro_Ado::FieldNameGet(const std::string& Table, int& nCount) {
    nCount = 0;
    try {
        std::vector<std::string> names;
        for (const auto& row : ServerColumns(Table, "EXEC SP_COLUMNS " + util::SqlQuoted(Table))) {
            names.push_back(row.name);
        }
        return Join(names, nCount);
    } catch (const DbError&) {
        return "ERR";
    }
}

util::Variant Kro_Ado::FieldInfo(const std::string& Table, const std::string& Field, int InfoKind) {
    for (const auto& row : ServerColumns(Table, "EXEC SP_COLUMNS " + util::SqlQuoted(Table))) {
        if (row.name != Field) continue;
        switch (InfoKind) {
            case 0:
                return util::Variant(row.typeName);
            case 1:
                return row.precision;
            case 2:
                return util::Variant(row.isNullable);
            default:
                return row.qualifier;
        }
    }
    return util::Variant();
}

std::string Kro_Ado::FieldTypeGetSql(const std::string& Table, const std::string& Field,
                                     const util::Variant& nValue) {
    const auto columns = SchemaOf(Own()).Columns(Table);
    auto it = std::find_if(columns.begin(), columns.end(),
                           [&](const ColumnInfo& c) { return c.name == Field; });
    if (it == columns.end()) {
        throw DbError(ErrorNumber::kItemNotFound, kItemNotFoundText, "ADOX.Columns");
    }
    if (std::find(std::begin(kQuotedTypes), std::end(kQuotedTypes), it->adoType) !=
        std::end(kQuotedTypes)) {
        return util::SqlQuoted(nValue.AsText());
    }
    return NumberLiteral(nValue);
}

void Kro_Ado::TableCopy(ConnectionRef& NewCn, const std::string& OldTableName,
                        const std::string& NewTableName) {
    std::vector<std::string> statements;
    std::string columns;
    for (const auto& c :
         ServerColumns(OldTableName, "sp_columns @table_name=" + util::SqlQuoted(OldTableName))) {
        columns += ", " + c.name + " " + c.typeName + " (" + c.precision.AsText() + ") " +
                   (c.nullable.AsText() == "0" ? "NOT NULL" : "NULL");
    }
    statements.push_back("CREATE TABLE " + NewTableName + "(" +
                         (columns.empty() ? columns : columns.substr(2)) + ")");

    std::vector<std::pair<std::string, std::string>> indexes;  // name, keys
    if (OnServerProcedures()) {
        RecordSet rs;
        rs.Open("sp_HELPINDEX " + util::SqlQuoted(OldTableName), Own(), CursorType::kForwardOnly,
                1);
        for (; rs.State() == ObjectState::Open && !rs.Eof(); rs.MoveNext()) {
            indexes.emplace_back(rs["INDEX_NAME"].AsText(), rs["INDEX_KEYS"].AsText());
        }
    } else {
        for (const auto& index : SchemaOf(Own()).Indexes(OldTableName)) {
            std::string keys;
            for (const auto& column : index.columns) keys += (keys.empty() ? "" : ", ") + column;
            indexes.emplace_back(index.name, keys);
        }
    }
    for (const auto& [name, keys] : indexes) {
        statements.push_back(CreateIndexText(name, keys, NewTableName));
    }

    std::optional<DbError> lastFailure;
    for (const auto& sql : statements) {
        try {
            Require(NewCn).Execute(sql);
        } catch (const DbError& e) {
            lastFailure = e;
        }
    }
    if (lastFailure) throw *lastFailure;
}

}  // namespace db
