#include "db/recordset.h"

#include <algorithm>

#include "db/ascii_text.h"
#include "db/router.h"

namespace db {
namespace {

constexpr const char* kSource = "ADODB.Recordset";
constexpr std::int32_t kNoCurrentRecord = 3021;
constexpr std::int32_t kNoBackwardFetch = static_cast<std::int32_t>(0x80040E24);

[[noreturn]] void ThrowClosed() {
    throw DbError(ErrorNumber::kObjectClosed, "개체가 닫혀 있으면 작업이 허용되지 않습니다.",
                  kSource);
}

[[noreturn]] void ThrowNoCurrentRecord() {
    throw DbError(kNoCurrentRecord, "BOF 또는 EOF 중 하나가 True이거나 현재 레코드가 없습니다.",
                  kSource);
}

[[noreturn]] void ThrowItemNotFound() {
    throw DbError(ErrorNumber::kItemNotFound, kItemNotFoundText, kSource);
}

}  // namespace

void RecordSet::Open(std::string_view sql, Connection& cn, int cursorType, int /*lockType*/) {
    if (open_) {
        throw DbError(ErrorNumber::kObjectOpen, "개체가 열려 있으면 작업이 허용되지 않습니다.",
                      kSource);
    }
    cn.errors_.clear();
    bool sent = false;
    try {
        Session& session = cn.LiveSession();
        cn.RouterRef().Trace().Notify({cn.ConnectionString, sql, true});
        sent = true;
        ExecOutcome outcome = session.Execute(sql, cn.CommandTimeout);
        // An action statement gives no rows: the set stays closed, as ADO leaves it.
        if (!outcome.rows) return;
        fields_ = outcome.rows->Fields();
        if (cursorType == CursorType::kForwardOnly) {
            cursor_ = std::move(outcome.rows);
            streaming_ = true;
            cursorEof_ = !cursor_->Next(current_);
            pos_ = 0;
        } else {
            std::vector<util::Variant> row;
            while (outcome.rows->Next(row)) rows_.push_back(row);
            streaming_ = false;
            pos_ = 0;
        }
        open_ = true;
    } catch (const DbError& e) {
        cn.Record(e);
        if (sent) cn.RouterRef().Trace().NotifyFailure({cn.ConnectionString, sql, true}, e);
        Close();
        throw;
    }
}

void RecordSet::Close() {
    open_ = false;
    streaming_ = false;
    fields_.clear();
    rows_.clear();
    cursor_.reset();
    current_.clear();
    cursorEof_ = false;
    pos_ = 0;
}

std::int64_t RecordSet::RecordCount() const {
    if (!open_) ThrowClosed();
    return streaming_ ? -1 : static_cast<std::int64_t>(rows_.size());
}

bool RecordSet::Eof() const {
    if (!open_) ThrowClosed();
    if (streaming_) return cursorEof_;
    return pos_ >= static_cast<std::int64_t>(rows_.size());
}

bool RecordSet::Bof() const {
    if (!open_) ThrowClosed();
    if (streaming_) return cursorEof_ && pos_ == 0;
    return rows_.empty() || pos_ < 0;
}

void RecordSet::MoveFirst() {
    if (!open_) ThrowClosed();
    if (!streaming_) {
        pos_ = 0;
        return;
    }
    if (pos_ != 0) {
        throw DbError(kNoBackwardFetch, "Rowset does not support fetching backward.", kSource);
    }
}

void RecordSet::MoveLast() {
    if (!open_) ThrowClosed();
    if (!streaming_) {
        pos_ = rows_.empty() ? 0 : static_cast<std::int64_t>(rows_.size()) - 1;
        return;
    }
    std::vector<util::Variant> next;
    while (!cursorEof_ && cursor_->Next(next)) {
        current_.swap(next);
        ++pos_;
    }
}

void RecordSet::MoveNext() {
    if (Eof()) ThrowNoCurrentRecord();
    ++pos_;
    if (streaming_) cursorEof_ = !cursor_->Next(current_);
}

int RecordSet::FieldCount() const {
    if (!open_) ThrowClosed();
    return static_cast<int>(fields_.size());
}

const FieldDesc& RecordSet::Field(int index) const {
    if (!open_) ThrowClosed();
    if (index < 0 || index >= static_cast<int>(fields_.size())) ThrowItemNotFound();
    return fields_[static_cast<std::size_t>(index)];
}

const std::string& RecordSet::FieldName(int index) const {
    return Field(index).name;
}

const util::Variant& RecordSet::operator[](std::string_view name) const {
    if (!open_) ThrowClosed();
    auto it = std::find_if(fields_.begin(), fields_.end(),
                           [name](const FieldDesc& f) { return EqualsNoCase(f.name, name); });
    if (it == fields_.end()) ThrowItemNotFound();
    return (*this)[static_cast<int>(it - fields_.begin())];
}

const util::Variant& RecordSet::operator[](int index) const {
    Field(index);
    if (Eof()) ThrowNoCurrentRecord();
    const auto& row = streaming_ ? current_ : rows_[static_cast<std::size_t>(pos_)];
    return row[static_cast<std::size_t>(index)];
}

}  // namespace db
