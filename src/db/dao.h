#pragma once
// The table-definition interface (DAO's object model, as much of it as the system uses): a
// database opened for table definitions, its TableDefs looked up by name, their Fields with
// name, DAO type number and size, and the creation of tables and fields, executed as CREATE TABLE
// and ALTER TABLE … ADD in the database's dialect.
//
// Ownership: the DaoDatabase owns the engine session. Table definitions are shared handles that
// may outlive it; one that belongs to the database reaches it through a weak link, so using it
// after the database was closed fails with error 3420 instead of touching a closed session.
//
// AllowZeroLength is kept as a property of the field only: the engines store an empty text in
// every text column, so the setting neither allows nor refuses anything in the database.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/session.h"

namespace db {

class Router;
class Connection;

// DAO's field type numbers (DataTypeEnum).
namespace DaoType {
inline constexpr int kBoolean = 1, kByte = 2, kInteger = 3, kLong = 4, kCurrency = 5, kSingle = 6,
                     kDouble = 7, kDate = 8, kBinary = 9, kText = 10, kLongBinary = 11, kMemo = 12,
                     kBigInt = 16, kDecimal = 20;
}

// DAO's error numbers for the table-definition operations; a missing table or field is 3265.
namespace DaoError {
inline constexpr int kInvalidFieldType = 3259;
inline constexpr int kNoFieldDefined = 3264;
inline constexpr int kNameInCollection = 3367;
inline constexpr int kObjectInvalid = 3420;
}  // namespace DaoError

struct DaoField {
    std::string Name;
    int Type = DaoType::kText;
    // Characters for texts; the fixed storage size in bytes for the other types; 0 for memo
    // and long binary.
    int Size = 0;
    bool AllowZeroLength = false;
};

class DaoTableDef;
struct DaoLink;

class DaoFields {
  public:
    // The field of that name (letter case ignored); throws DbError 3265 when there is none.
    DaoField& operator()(std::string_view name);
    int Count() const { return static_cast<int>(fields_.size()); }
    std::vector<DaoField>::const_iterator begin() const { return fields_.begin(); }
    std::vector<DaoField>::const_iterator end() const { return fields_.end(); }
    // Adds the field. When the table definition belongs to the database, the column is first
    // added to the table (ALTER TABLE … ADD). Throws DbError: 3367 for a name already there,
    // 3420 when the database was closed, the engine's error when the column cannot be added.
    void Append(const DaoField& field);

  private:
    friend class DaoTableDef;
    friend class DaoTableDefs;
    explicit DaoFields(DaoTableDef& owner) : owner_(owner) {}
    DaoTableDef& owner_;
    std::vector<DaoField> fields_;
};

class DaoTableDef {
  public:
    // A new definition that is not yet in any database (see DaoDatabase::CreateTableDef).
    explicit DaoTableDef(std::string name) : name_(std::move(name)), Fields(*this) {}
    DaoTableDef(const DaoTableDef&) = delete;
    DaoTableDef& operator=(const DaoTableDef&) = delete;

    const std::string& Name() const { return name_; }
    // A field for this table, not yet appended: texts take `size` characters (255 when 0); the
    // other types take their fixed size whatever is passed. Throws DbError 3259 for a type
    // number that has no column type.
    DaoField CreateField(std::string name, int type, int size = 0) const;
    // True once the definition is a table of the database (also after the database was closed).
    bool InDatabase() const { return inDatabase_; }

  private:
    friend class DaoFields;
    friend class DaoTableDefs;
    std::string name_;
    std::weak_ptr<DaoLink> link_;
    bool inDatabase_ = false;

  public:
    DaoFields Fields;
};

using DaoTableDefRef = std::shared_ptr<DaoTableDef>;

class DaoTableDefs {
  public:
    // The table's definition as the database holds it now (letter case of the name ignored).
    // Throws DbError 3265 when there is no such table, 3420 when the database was closed.
    DaoTableDefRef operator()(std::string_view name);
    // Creates the table (CREATE TABLE with the fields in their order); the definition belongs to
    // the database afterwards. Throws DbError 3264 without fields, 3367 when the definition is in
    // a database already, the engine's error when the table cannot be created.
    void Append(const DaoTableDefRef& def);

  private:
    friend class DaoDatabase;
    explicit DaoTableDefs(std::shared_ptr<DaoLink> link) : link_(std::move(link)) {}
    std::shared_ptr<DaoLink> link_;
};

class DaoDatabase {
  public:
    // Opens a database for table definitions, as DAO's OpenDatabase does: an ODBC connect text
    // ("Driver={SQL Server}; Server=…; Database=…; UID=…; PWD=…", an "ODBC;" prefix allowed) is
    // routed like any SQL Server connection and `name` is not used; otherwise `name` is an MDB
    // file (a Windows path) and the connect text may carry its password (";Pwd=…"). Throws
    // DbError as the router does when the database cannot be opened.
    static std::unique_ptr<DaoDatabase> Open(const Router& router, std::string_view name,
                                             std::string_view connect);
    ~DaoDatabase();
    DaoDatabase(const DaoDatabase&) = delete;
    DaoDatabase& operator=(const DaoDatabase&) = delete;

    DaoTableDefRef CreateTableDef(std::string name) const {
        return std::make_shared<DaoTableDef>(std::move(name));
    }
    Dialect SqlDialect() const;
    // Reads and changes the definitions through `connection` (an open connection to the same
    // database) for as long as it is open, so that the changes take part in its transaction;
    // the database's own session serves again once the connection is closed or gone.
    void RunThrough(const std::shared_ptr<Connection>& connection);
    // Releases the session; later calls through the database or its definitions fail with 3420.
    void Close();

  private:
    explicit DaoDatabase(std::shared_ptr<DaoLink> link);
    std::shared_ptr<DaoLink> link_;

  public:
    DaoTableDefs TableDefs;
};

}  // namespace db
