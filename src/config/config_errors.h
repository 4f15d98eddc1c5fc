#pragma once
// Run-time error numbers that the configuration layer raises and tests, as the store software
// knows them. They travel as db::DbError.
#include <cstdint>

namespace config::ConfigError {

// ActionGetTable found no usable configuration table.
inline constexpr std::int32_t kTableNotResolved = 5;
inline constexpr std::int32_t kOverflow = 6;
inline constexpr std::int32_t kSubscriptOutOfRange = 9;
inline constexpr std::int32_t kTypeMismatch = 13;
inline constexpr std::int32_t kBlankTableName = 40;
inline constexpr std::int32_t kObjectNotSet = 91;
inline constexpr std::int32_t kConfigTablesMissing = 991;
// The workstation's own configuration table could not be built.
inline constexpr std::int32_t kExtensionTableBuild = 4000;
// The store (or "데이터1") database could not be reached.
inline constexpr std::int32_t kNoDataPath = 4010;

}  // namespace config::ConfigError
