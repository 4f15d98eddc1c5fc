#pragma once
// The one error type of the database layer: a run-time error as ADO reports it. Numbers are the
// ADO providers' (see ErrorNumber) so that callers can test them the way the store software does.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace db {

namespace ErrorNumber {
inline constexpr std::int32_t kTableMissing = static_cast<std::int32_t>(0x80040E37);
inline constexpr std::int32_t kSyntax = static_cast<std::int32_t>(0x80040E14);
inline constexpr std::int32_t kUnspecified = static_cast<std::int32_t>(0x80004005);
inline constexpr std::int32_t kTruncated = static_cast<std::int32_t>(0x80040E57);
inline constexpr std::int32_t kConstraint = static_cast<std::int32_t>(0x80040E2F);
inline constexpr std::int32_t kTimeout = static_cast<std::int32_t>(0x80040E31);
// DB_E_CANTCONVERTVALUE: a value that could not be converted to the type the statement needed.
inline constexpr std::int32_t kCantConvert = static_cast<std::int32_t>(0x80040E07);
// DB_E_PARAMNOTOPTIONAL: Jet takes a name it cannot resolve for a parameter, and its provider
// reports the parameter that has no value ("No value given for one or more required
// parameters.").
inline constexpr std::int32_t kNoValue = static_cast<std::int32_t>(0x80040E10);
inline constexpr std::int32_t kItemNotFound = 3265;
inline constexpr std::int32_t kObjectClosed = 3704;
inline constexpr std::int32_t kObjectOpen = 3705;
// ADO's "arguments are of the wrong type or out of range": a name that is refused (SqlName).
inline constexpr std::int32_t kInvalidArgument = 3001;
}  // namespace ErrorNumber

inline constexpr const char* kJetIndexedColumnDrop =
    "인덱스의 일부이거나 시스템에 필요한 필드는 삭제할 수 없습니다.";

// Description of error 3265, as a collection lookup by a name that is not there reports it.
inline constexpr const char* kItemNotFoundText =
    "Item cannot be found in the collection corresponding to the requested name or ordinal.";

class DbError : public std::runtime_error {
  public:
    DbError(std::int32_t number, std::string description, std::string source = {},
            std::int32_t nativeError = 0, std::string sqlState = {})
        : std::runtime_error(description),
          number_(number),
          description_(std::move(description)),
          source_(std::move(source)),
          nativeError_(nativeError),
          sqlState_(std::move(sqlState)) {}

    std::int32_t Number() const { return number_; }
    const std::string& Description() const { return description_; }
    const std::string& Source() const { return source_; }
    std::int32_t NativeError() const { return nativeError_; }
    const std::string& SqlState() const { return sqlState_; }
    // Another program held a lock the statement needed for longer than it could wait: nothing
    // of the statement happened, and it is no fault of the statement that a rule could pass over.
    bool LockConflict() const { return lockConflict_; }
    DbError& MarkLockConflict() {
        lockConflict_ = true;
        return *this;
    }

  private:
    std::int32_t number_;
    std::string description_;
    std::string source_;
    std::int32_t nativeError_;
    std::string sqlState_;
    bool lockConflict_ = false;
};

// "0x80040E37" style text of an error number, for messages and logs.
std::string HexNumber(std::int32_t number);

// The name between brackets, to stand in a statement (util::SqlName). A name read from a table,
// a file or the user that is not a plain name throws kInvalidArgument, naming the value and
// `origin` (where it was read), before any statement is built from it.
std::string SqlName(std::string_view name, std::string_view origin);

}  // namespace db
