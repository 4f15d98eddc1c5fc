#pragma once
// The schema of an ODBC data source, read through the catalog functions SQLTables, SQLColumns,
// SQLStatistics and SQLPrimaryKeys. Table names are matched as the ADOX collections match them:
// exactly, but without regard to the case of ASCII letters.
#include <memory>
#include <string>
#include <vector>

#include "db/odbc/link.h"
#include "db/schema.h"

namespace db::odbc {

class OdbcSchema : public Schema {
  public:
    explicit OdbcSchema(std::shared_ptr<Link> link) : link_(std::move(link)) {}

    std::vector<TableInfo> Tables() override;
    // Throws DbError 3265 when the table does not exist.
    std::vector<ColumnInfo> Columns(const std::string& table) override;
    // Throws DbError 3265 when the table does not exist.
    std::vector<IndexInfo> Indexes(const std::string& table) override;

  private:
    bool HasTable(const std::string& table);
    // The table name as a catalog search pattern: '_' and '%' escaped.
    std::string Pattern(const std::string& name);

    std::shared_ptr<Link> link_;
    std::string escape_;  // the driver's search pattern escape, read on first use
    bool escapeKnown_ = false;
};

}  // namespace db::odbc
