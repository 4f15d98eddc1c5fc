#include "db/embedded/table_shape.h"

#include <algorithm>

#include "db/embedded/error_map.h"
#include "db/embedded/names.h"
#include "db/embedded/token.h"

namespace db::embedded {

const ColumnShape* TableShape::Find(std::string_view column) const {
    for (const ColumnShape& c : columns) {
        if (EqualsNoCase(c.name, column)) return &c;
    }
    return nullptr;
}

bool ColumnShape::Counter() const {
    return type.row != nullptr &&
           (type.row->name == "COUNTER" || type.row->name == "AUTOINCREMENT");
}

const ColumnShape* TableShape::Identity() const {
    for (const ColumnShape& c : columns) {
        if (!c.type.identity.empty() || c.Counter()) return &c;
    }
    return nullptr;
}

bool TableShape::HasPrimaryKey() const {
    return std::any_of(columns.begin(), columns.end(),
                       [](const ColumnShape& c) { return c.keyPosition > 0; });
}

const TableShape* TableShapes::Find(std::string_view table) {
    if (IsHiddenTable(table)) return nullptr;
    ForgetWhenChanged();
    const std::string key = UpperAscii(table);
    auto it = shapes_.find(key);
    if (it == shapes_.end()) {
        TableShape shape = Read(table);
        if (shape.name.empty()) return nullptr;  // missing tables are asked again next time
        it = shapes_.emplace(key, std::move(shape)).first;
    }
    return &it->second;
}

int TableShapes::Version() {
    ForgetWhenChanged();
    return schemaVersion_;
}

std::optional<ValueKind> TableShapes::KindOf(std::string_view table, std::string_view column) {
    const TableShape* shape = Find(table);
    const ColumnShape* found = shape == nullptr ? nullptr : shape->Find(column);
    if (found == nullptr) return std::nullopt;
    return found->type.Kind();
}

std::vector<ValueKind> TableShapes::KindsOf(std::string_view table) {
    std::vector<ValueKind> kinds;
    if (const TableShape* shape = Find(table)) {
        for (const ColumnShape& c : shape->columns) kinds.push_back(c.type.Kind());
    }
    return kinds;
}

void TableShapes::Hold(bool writeLocked) {
    unsigned version = 0;
    if (sqlite3_file_control(db_, "main", SQLITE_FCNTL_DATA_VERSION, &version) != SQLITE_OK) {
        probe_ = true;
    }
    if (writeLocked && version != dataVersion_) probe_ = true;
    dataVersion_ = version;
    held_ = writeLocked;
}

void TableShapes::ForgetWhenChanged() {
    if (held_ && !probe_ && schemaVersion_ >= 0) return;
    if (!version_) version_ = Prepare(db_, "PRAGMA schema_version");
    const int rc = sqlite3_step(version_.get());
    const int version = rc == SQLITE_ROW ? sqlite3_column_int(version_.get(), 0) : -1;
    sqlite3_reset(version_.get());
    if (rc != SQLITE_ROW) throw LastError(db_, rc);
    if (version != schemaVersion_) shapes_.clear();
    schemaVersion_ = version;
    probe_ = false;
}

TableShape TableShapes::Read(std::string_view table) {
    TableShape shape;
    QueryRows(db_,
              "SELECT name, sql FROM sqlite_master WHERE type = 'table' AND name = ?1 COLLATE "
              "NOCASE",
              {table}, [&](sqlite3_stmt* s) {
                  shape.name = ColumnText(s, 0);
                  shape.createSql = ColumnText(s, 1);
              });
    if (shape.name.empty()) return shape;
    QueryRows(db_, "SELECT name, type, \"notnull\", pk FROM pragma_table_info(?1)", {shape.name},
              [&](sqlite3_stmt* s) {
                  ColumnShape c;
                  c.name = ColumnText(s, 0);
                  c.type = ParseStoredType(ColumnText(s, 1));
                  c.notNull = sqlite3_column_int(s, 2) != 0;
                  c.keyPosition = sqlite3_column_int(s, 3);
                  shape.columns.push_back(std::move(c));
              });
    QueryRows(db_,
              "SELECT sql FROM sqlite_master WHERE type = 'index' AND tbl_name = ?1 AND sql IS NOT "
              "NULL ORDER BY name",
              {shape.name}, [&](sqlite3_stmt* s) { shape.indexSql.push_back(ColumnText(s, 0)); });
    return shape;
}

}  // namespace db::embedded
