#pragma once
// Schema questions that both engines answer: tables, columns with their declared type, indexes.
#include <optional>
#include <string>
#include <vector>

namespace db {

// ADO data type numbers (DataTypeEnum) as the schema reports them.
namespace AdoType {
inline constexpr int kSmallInt = 2, kInteger = 3, kDouble = 5, kCurrency = 6, kDate = 7,
                     kBoolean = 11, kTinyInt = 17, kBigInt = 20, kNumeric = 131, kChar = 129,
                     kWChar = 130, kVarChar = 200, kLongVarChar = 201, kVarWChar = 202,
                     kLongVarWChar = 203, kBinary = 128;
inline constexpr int kSingle = 4;
}  // namespace AdoType

struct ColumnInfo {
    std::string name;
    std::string typeName;  // as declared: "NVARCHAR", "TEXT", "MONEY", "INT", ...
    int size = 0;          // declared size (characters for texts), 0 when none
    bool nullable = true;
    int adoType = AdoType::kVarWChar;
    std::optional<std::string> defaultText;  // as declared, e.g. "((0))"
    bool identity = false;
};

struct IndexInfo {
    std::string name;
    std::vector<std::string> columns;
    bool unique = false;
    bool primaryKey = false;
};

struct TableInfo {
    std::string name;
    std::string type = "TABLE";  // "TABLE", "VIEW", "SYSTEM TABLE"
};

class Schema {
  public:
    virtual ~Schema() = default;
    virtual std::vector<TableInfo> Tables() = 0;
    // Throws DbError 3265 when the table does not exist.
    virtual std::vector<ColumnInfo> Columns(const std::string& table) = 0;
    virtual std::vector<IndexInfo> Indexes(const std::string& table) = 0;
};

}  // namespace db
