#include "db/embedded/row_cursor.h"

#include "db/embedded/error_map.h"

namespace db::embedded {

StatementCursor::StatementCursor(DatabaseHandle db, StatementLease stmt, Dialect dialect)
    : db_(std::move(db)), stmt_(std::move(stmt)) {
    pending_ = Step();
    shape_ = DescribeResult(stmt_.get(), pending_, dialect);
}

bool StatementCursor::Step() {
    if (done_) return false;
    const int rc = sqlite3_step(stmt_.get());
    if (rc == SQLITE_ROW) return true;
    done_ = true;
    if (rc != SQLITE_DONE) throw LastError(db_.get(), rc);
    return false;
}

bool StatementCursor::Next(std::vector<util::Variant>& row) {
    if (!pending_ && !Step()) return false;
    pending_ = false;
    row.clear();
    for (std::size_t i = 0; i < shape_.readers.size(); ++i) {
        row.push_back(ReadValue(stmt_.get(), static_cast<int>(i), shape_.readers[i]));
    }
    return true;
}

MemoryCursor::MemoryCursor(RowCursor& source) : fields_(source.Fields()) {
    std::vector<util::Variant> row;
    while (source.Next(row)) rows_.push_back(row);
}

MemoryCursor::MemoryCursor(std::vector<FieldDesc> fields,
                           std::vector<std::vector<util::Variant>> rows)
    : fields_(std::move(fields)), rows_(std::move(rows)) {}

bool MemoryCursor::Next(std::vector<util::Variant>& row) {
    if (next_ >= rows_.size()) return false;
    row = rows_[next_++];
    return true;
}

}  // namespace db::embedded
