#pragma once
// Connection set-up: opens the store database and the "데이터1" database from the settings of
// the configuration object, explains every failure with one of four fixed messages (after which
// the connection test tool "Lintor.exe" is started when it lies in the program folder), and the
// conversion of setting texts to bytes.
#include <cstdint>
#include <string>
#include <string_view>

#include "util/variant.h"

namespace config {

class Runtime;
class NorvConn;

// Message kinds of ShowConnectionError.
namespace ConnectionErrorKind {
inline constexpr int kNoDataInFolder = 0;
inline constexpr int kNetworkFolder = 1;
inline constexpr int kSqlServerDown = 2;
inline constexpr int kNotOpened = 3;
}  // namespace ConnectionErrorKind

inline constexpr const char* kConnectionErrorTitle = "데이터연결오류";
inline constexpr const char* kConnectionTestTool = "Lintor.exe";

// The message of a kind (any unknown kind gives the last, general one).
std::string_view ConnectionErrorMessage(int kind);

// Opens rt.StoreConnection on the MDB file or SQL Server database that `config` names, after
// restoring 데이터_종류 from the copy the load took. True when it is open; a failure has been
// shown to the user when the reason is known (missing file) or M_MDECCHK is set.
bool ConnectStoreDatabase(Runtime& rt, NorvConn& config);
bool ConnectStoreDatabase(Runtime& rt);  // on rt.Config()

// True when the store database can be looked for: always for SQL Server; for an MDB file, when
// it exists (otherwise the reason has been shown). Any target other than 0 gives false.
bool CheckDataPath(Runtime& rt, const NorvConn& config, std::int16_t& target);

// The remote name of a drive ("Z:"): 0 and the UNC path when the letter is mapped, else the
// platform's code (2250 not connected, 1200 not a drive) and remote "\" + drive.
std::int32_t GetNetworkDrivePath(Runtime& rt, std::string_view drive, std::string& remote);

// Shows the kind's message (critical icon, title "데이터연결오류"), then starts "Lintor.exe"
// from the program folder without waiting when it is there.
void ShowConnectionError(Runtime& rt, std::int32_t& kind);

// Opens rt.AdminConnection on the "데이터1" database of `config` (slots 146 to 150). True at once
// when it is open already; false, after message kind 2, when it cannot be opened (the failed
// connection object is dropped, so that a later call tries again).
bool ConnectAdminDatabase(Runtime& rt, NorvConn& config);
bool ConnectAdminDatabase(Runtime& rt);  // on rt.Config()

// A setting's text as a byte: "" and texts starting with "-" give 0, otherwise the leading number
// (blanks and NULs ignored) rounded half to even; a negative number gives 0 as well. Above 255
// throws db::DbError 6 (overflow).
std::uint8_t TextToByte(const util::Variant& value);

}  // namespace config
