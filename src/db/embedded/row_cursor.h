#pragma once
// The two kinds of result rows: rows read from a statement as they are stepped, and rows read
// ahead into memory (for results of a statement text that runs more than one statement).
#include <memory>
#include <vector>

#include "db/embedded/sqlite_handle.h"
#include "db/embedded/statement_cache.h"
#include "db/embedded/value_reader.h"
#include "db/session.h"

namespace db::embedded {

// Holds the connection (shared) and the statement lease until it is destroyed, so it may outlive
// the session. The first row is read on construction so that the fields can be described by it.
class StatementCursor : public RowCursor {
  public:
    // Throws DbError when the first step fails.
    StatementCursor(DatabaseHandle db, StatementLease stmt, Dialect dialect);

    const std::vector<FieldDesc>& Fields() const override { return shape_.fields; }
    // Throws DbError when a step fails.
    bool Next(std::vector<util::Variant>& row) override;

  private:
    bool Step();

    DatabaseHandle db_;
    StatementLease stmt_;
    ResultShape shape_;
    bool pending_ = false;  // the statement stands on a row not yet handed out
    bool done_ = false;
};

class MemoryCursor : public RowCursor {
  public:
    // Reads every row of source.
    explicit MemoryCursor(RowCursor& source);
    // Rows made by the engine itself (system procedures).
    MemoryCursor(std::vector<FieldDesc> fields, std::vector<std::vector<util::Variant>> rows);

    const std::vector<FieldDesc>& Fields() const override { return fields_; }
    bool Next(std::vector<util::Variant>& row) override;

  private:
    std::vector<FieldDesc> fields_;
    std::vector<std::vector<util::Variant>> rows_;
    std::size_t next_ = 0;
};

}  // namespace db::embedded
