#pragma once
// A CREATE TABLE text of the SQLite file taken apart into its elements (column definitions and
// table constraints, each as written), so that a table can be rebuilt with one column defined
// anew or a constraint added, everything else kept as it was.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace db::embedded {

class CreateText {
  public:
    // Throws DbError 0x80004005 when sql is no CREATE TABLE text with a column list.
    static CreateText Parse(std::string_view sql);

    // The index of the column definition of column (any letter case); npos when there is none.
    std::size_t FindColumn(std::string_view column) const;
    std::vector<std::string>& elements() { return elements_; }
    // The CREATE TABLE text of table with the elements as they are now.
    std::string Write(std::string_view table) const;

  private:
    std::vector<std::string> elements_;
    std::string tail_;  // table options after the column list ("WITHOUT ROWID")
};

// The column constraints of a column definition that outlive a new type: the default (with its
// constraint name), PRIMARY KEY, UNIQUE, REFERENCES and the checks other than the length check.
// Type, NULL / NOT NULL, COLLATE and the length check are left out.
std::string LastingConstraints(std::string_view columnDefinition);

// The DEFAULT constraint of a column definition: its name (empty when it was declared without
// one) and where it stands in the definition, [from, to).
struct DefaultConstraint {
    bool found = false;
    std::string name;
    std::size_t from = 0;
    std::size_t to = 0;
};
DefaultConstraint FindDefault(std::string_view columnDefinition);

// What a column definition says about the values its table stores: the declared type (which gives
// the affinity), the collation (which orders the indexes) and the length check, whose expression
// is "<measure> <= <limit>".
struct ColumnParts {
    std::string type;       // as written: TEXT(50), NVARCHAR(16)
    std::string collation;  // upper-cased; empty when none is named
    std::string lengthCheck;
    std::string lengthMeasure;
    long long lengthLimit = -1;  // -1 without a length check
    bool generated = false;      // GENERATED ALWAYS AS / AS: the column's values are computed
};
ColumnParts PartsOf(std::string_view columnDefinition);

}  // namespace db::embedded
