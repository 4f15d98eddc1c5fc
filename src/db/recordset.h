#pragma once
// The ADO record set: a static snapshot (record count, MoveLast, EOF) for static cursors; a
// forward-only open may stream its rows. Field access by name (case-insensitive) or index.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/connection.h"
#include "util/variant.h"

namespace db {

namespace CursorType {
inline constexpr int kForwardOnly = 0, kKeyset = 1, kDynamic = 2, kStatic = 3;
}

class RecordSet {
  public:
    RecordSet() = default;
    int CursorLocation = 2;

    // Opens the query on the connection. Throws DbError; the set stays closed on failure.
    void Open(std::string_view sql, Connection& cn, int cursorType = CursorType::kStatic,
              int lockType = 1);
    void Close();
    ObjectState State() const { return open_ ? ObjectState::Open : ObjectState::Closed; }

    // -1 for a forward-only set that streams.
    std::int64_t RecordCount() const;
    bool Eof() const;
    bool Bof() const;
    void MoveFirst();
    void MoveLast();
    void MoveNext();

    int FieldCount() const;
    const std::string& FieldName(int index) const;
    const FieldDesc& Field(int index) const;
    // Value of the current row; throws DbError 3265 for an unknown name or index, 3021 at EOF.
    const util::Variant& operator[](std::string_view name) const;
    const util::Variant& operator[](int index) const;

  private:
    bool open_ = false;
    bool streaming_ = false;
    std::vector<FieldDesc> fields_;
    std::vector<std::vector<util::Variant>> rows_;
    std::int64_t pos_ = 0;
    std::unique_ptr<RowCursor> cursor_;
    std::vector<util::Variant> current_;
    bool cursorEof_ = false;
};

using RecordSetRef = std::shared_ptr<RecordSet>;

}  // namespace db
