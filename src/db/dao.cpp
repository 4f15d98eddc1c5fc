#include "db/dao.h"

#include <algorithm>

#include "db/ascii_text.h"
#include "db/connection.h"
#include "db/error.h"
#include "db/router.h"

namespace db {

struct DaoLink {
    std::unique_ptr<Session> session;
    std::weak_ptr<Connection> through;  // see DaoDatabase::RunThrough
    Dialect dialect = Dialect::Jet;
    std::string connectionString;           // as routed, for the statement tap
    std::shared_ptr<StatementTrace> trace;  // the router's statement tap
};

namespace {

constexpr const char* kSource = "DAO.Database";
constexpr int kOpenTimeoutSeconds = 15;
constexpr int kCommandTimeoutSeconds = 60;
constexpr int kDefaultTextSize = 255;

// How each DAO type is declared in the two dialects and the size DAO reports for it.
struct DaoTypeRow {
    int daoType;
    const char* jet;
    const char* sqlServer;
    int fixedSize;  // -1: sized by the caller (texts)
};
constexpr DaoTypeRow kDaoTypes[] = {
    {DaoType::kBoolean, "BIT", "BIT", 1},
    {DaoType::kByte, "BYTE", "TINYINT", 1},
    {DaoType::kInteger, "SHORT", "SMALLINT", 2},
    {DaoType::kLong, "LONG", "INT", 4},
    {DaoType::kCurrency, "CURRENCY", "MONEY", 8},
    {DaoType::kSingle, "SINGLE", "REAL", 4},
    {DaoType::kDouble, "DOUBLE", "FLOAT", 8},
    {DaoType::kDate, "DATETIME", "DATETIME", 8},
    {DaoType::kText, "TEXT", "NVARCHAR", -1},
    {DaoType::kMemo, "MEMO", "NTEXT", 0},
    {DaoType::kLongBinary, "LONGBINARY", "IMAGE", 0},
};

// The DAO type of a column as the schema reports it.
struct AdoToDao {
    int adoType;
    int daoType;
};
constexpr AdoToDao kAdoToDao[] = {
    {AdoType::kBoolean, DaoType::kBoolean},   {AdoType::kTinyInt, DaoType::kByte},
    {AdoType::kSmallInt, DaoType::kInteger},  {AdoType::kInteger, DaoType::kLong},
    {AdoType::kCurrency, DaoType::kCurrency}, {AdoType::kSingle, DaoType::kSingle},
    {AdoType::kDouble, DaoType::kDouble},     {AdoType::kDate, DaoType::kDate},
    {AdoType::kChar, DaoType::kText},         {AdoType::kWChar, DaoType::kText},
    {AdoType::kVarChar, DaoType::kText},      {AdoType::kVarWChar, DaoType::kText},
    {AdoType::kLongVarChar, DaoType::kMemo},  {AdoType::kLongVarWChar, DaoType::kMemo},
    {AdoType::kBinary, DaoType::kLongBinary}, {AdoType::kBigInt, DaoType::kBigInt},
    {AdoType::kNumeric, DaoType::kDecimal},
};

const DaoTypeRow* FindDaoType(int daoType) {
    for (const auto& row : kDaoTypes) {
        if (row.daoType == daoType) return &row;
    }
    return nullptr;
}

int DaoTypeOf(int adoType) {
    for (const auto& m : kAdoToDao) {
        if (m.adoType == adoType) return m.daoType;
    }
    return DaoType::kText;
}

DaoField FieldOf(const ColumnInfo& column) {
    DaoField field;
    field.Name = column.name;
    field.Type = DaoTypeOf(column.adoType);
    const DaoTypeRow* row = FindDaoType(field.Type);
    field.Size = (row == nullptr || row->fixedSize < 0) ? column.size : row->fixedSize;
    return field;
}

std::string Bracketed(std::string_view name) {
    std::string out = "[";
    for (char c : name) {
        out += c;
        if (c == ']') out += ']';
    }
    return out + "]";
}

std::string ColumnClause(const DaoField& field, Dialect dialect) {
    const DaoTypeRow* row = FindDaoType(field.Type);
    if (row == nullptr) {
        throw DbError(DaoError::kInvalidFieldType, "Invalid field data type.", kSource);
    }
    std::string clause =
        Bracketed(field.Name) + " " + (dialect == Dialect::Jet ? row->jet : row->sqlServer);
    if (row->fixedSize < 0) clause += "(" + std::to_string(field.Size) + ")";
    return clause;
}

[[noreturn]] void ThrowInvalidObject() {
    throw DbError(DaoError::kObjectInvalid, "Object invalid or no longer set.", kSource);
}

Session& SessionOf(const std::shared_ptr<DaoLink>& link) {
    if (!link || !link->session) ThrowInvalidObject();
    if (const std::shared_ptr<Connection> through = link->through.lock();
        through && through->State() == ObjectState::Open) {
        return through->Engine();
    }
    return *link->session;
}

// A value of a Jet connection string, enclosed when it would otherwise be cut or misread.
std::string ConnectionValue(std::string_view value) {
    if (value.find_first_of(";\"'{") == std::string_view::npos) return std::string(value);
    std::string out = "\"";
    for (char c : value) {
        out += c;
        if (c == '"') out += '"';
    }
    return out + "\"";
}

// The connection string that the router understands for DAO's (name, connect) pair.
std::string RouterText(std::string_view name, std::string_view connect) {
    std::string_view text = TrimBlanks(connect);
    if (StartsWithNoCase(text, "ODBC;")) text.remove_prefix(5);
    const auto parts = ConnectionStringParts::Parse(text);
    if (parts.Get("driver") || parts.Get("dsn")) return std::string(text);
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + ConnectionValue(TrimBlanks(name)) +
           ";Jet OLEDB:Database Password=" + ConnectionValue(parts.Get("pwd").value_or(""));
}

// Sends a table-definition statement, telling the router's statement tap first.
void SendTraced(const DaoLink& link, Session& session, const std::string& sql) {
    if (link.trace) link.trace->Notify({link.connectionString, sql, false});
    try {
        session.Execute(sql, kCommandTimeoutSeconds);
    } catch (const DbError& e) {
        if (link.trace) link.trace->NotifyFailure({link.connectionString, sql, false}, e);
        throw;
    }
}

}  // namespace

// --- fields ------------------------------------------------------------------------------------

DaoField& DaoFields::operator()(std::string_view name) {
    auto it = std::find_if(fields_.begin(), fields_.end(),
                           [&](const DaoField& f) { return EqualsNoCase(f.Name, name); });
    if (it == fields_.end()) throw DbError(ErrorNumber::kItemNotFound, kItemNotFoundText, kSource);
    return *it;
}

void DaoFields::Append(const DaoField& field) {
    const bool present = std::any_of(fields_.begin(), fields_.end(), [&](const DaoField& f) {
        return EqualsNoCase(f.Name, field.Name);
    });
    if (present) {
        throw DbError(DaoError::kNameInCollection,
                      "Cannot append. An object with that name already exists in the collection.",
                      kSource);
    }
    if (owner_.inDatabase_) {
        const auto link = owner_.link_.lock();
        Session& session = SessionOf(link);
        const std::string add = link->dialect == Dialect::Jet ? " ADD COLUMN " : " ADD ";
        SendTraced(
            *link, session,
            "ALTER TABLE " + Bracketed(owner_.Name()) + add + ColumnClause(field, link->dialect));
    }
    fields_.push_back(field);
}

// --- table definitions -------------------------------------------------------------------------

DaoField DaoTableDef::CreateField(std::string name, int type, int size) const {
    const DaoTypeRow* row = FindDaoType(type);
    if (row == nullptr) {
        throw DbError(DaoError::kInvalidFieldType, "Invalid field data type.", kSource);
    }
    DaoField field;
    field.Name = std::move(name);
    field.Type = type;
    field.Size = row->fixedSize >= 0 ? row->fixedSize : (size > 0 ? size : kDefaultTextSize);
    return field;
}

DaoTableDefRef DaoTableDefs::operator()(std::string_view name) {
    Schema& schema = SessionOf(link_).SchemaInfo();
    const auto tables = schema.Tables();
    auto it = std::find_if(tables.begin(), tables.end(),
                           [&](const TableInfo& t) { return EqualsNoCase(t.name, name); });
    if (it == tables.end()) throw DbError(ErrorNumber::kItemNotFound, kItemNotFoundText, kSource);
    auto def = std::make_shared<DaoTableDef>(it->name);
    for (const ColumnInfo& column : schema.Columns(it->name)) {
        def->Fields.fields_.push_back(FieldOf(column));
    }
    def->link_ = link_;
    def->inDatabase_ = true;
    return def;
}

void DaoTableDefs::Append(const DaoTableDefRef& def) {
    Session& session = SessionOf(link_);
    if (def->inDatabase_) {
        throw DbError(DaoError::kNameInCollection,
                      "Cannot append. An object with that name already exists in the collection.",
                      kSource);
    }
    if (def->Fields.Count() == 0) {
        throw DbError(DaoError::kNoFieldDefined,
                      "No field defined--cannot append TableDef or Index.", kSource);
    }
    std::string columns;
    for (const DaoField& field : def->Fields) {
        if (!columns.empty()) columns += ", ";
        columns += ColumnClause(field, link_->dialect);
    }
    SendTraced(*link_, session, "CREATE TABLE " + Bracketed(def->Name()) + " (" + columns + ")");
    def->link_ = link_;
    def->inDatabase_ = true;
}

// --- database ----------------------------------------------------------------------------------

DaoDatabase::DaoDatabase(std::shared_ptr<DaoLink> link) : link_(link), TableDefs(link) {}

DaoDatabase::~DaoDatabase() = default;

std::unique_ptr<DaoDatabase> DaoDatabase::Open(const Router& router, std::string_view name,
                                               std::string_view connect) {
    auto link = std::make_shared<DaoLink>();
    link->connectionString = RouterText(name, connect);
    link->trace = router.SharedTrace();
    link->session = router.Open(link->connectionString, kOpenTimeoutSeconds, 0);
    link->dialect = link->session->SqlDialect();
    return std::unique_ptr<DaoDatabase>(new DaoDatabase(std::move(link)));
}

Dialect DaoDatabase::SqlDialect() const {
    return link_->dialect;
}

void DaoDatabase::RunThrough(const std::shared_ptr<Connection>& connection) {
    link_->through = connection;
}

void DaoDatabase::Close() {
    link_->session.reset();
}

}  // namespace db
