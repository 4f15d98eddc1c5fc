#pragma once
// Main: the start of the program's own logic. In order: the store software's files are put into
// the program folder, a second running copy is refused, the clock's time format is checked and
// the short-date format forced, the configuration is loaded with the store database, a database
// of the old layout is handed to the migration tool, the central connection is opened when the
// configuration asks for it, the store code is settled and the main window is shown.
//
// Every way start-up can end is returned as an outcome (after its message box, where it has one);
// the caller decides how the process ends. Nothing here exits the process.
#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "db/connection.h"

namespace app {

class Process;

enum class StartupOutcome {
    Ready,                // the main window is shown
    AlreadyRunning,       // another copy holds the root
    TimeFormatRefused,    // the user's time format does not give "HH:MM:SS"
    ConfigurationFailed,  // configuration or store database could not be loaded
    HandedToMigration,    // the store database has the old layout: the migration tool has it
};

struct StartupResult {
    StartupOutcome outcome = StartupOutcome::Ready;
    // HandedToMigration only: whether the migration tool could be started.
    bool migrationStarted = false;
};

struct MainOptions {
    // The clock that the time and date checks read; the system clock when empty.
    std::function<std::chrono::system_clock::time_point()> now;
};

inline constexpr const char* kAlreadyRunningText =
    "하로나 데이타베이스 패치 프로그램이 이미 실행중입니다.";
inline constexpr const char* kAlreadyRunningTitle = "실행오류";
inline constexpr const char* kTimeFormatText =
    "시간 표시 형식이 틀립니다. HH:MM:SS 로 설정해주세요";
inline constexpr const char* kTimeFormatTitle = "알림";
inline constexpr const char* kConfigurationFailedText =
    "데이터가 연결에 오류가 있습니다. 데이터 경로를 확인바랍니다";
inline constexpr const char* kShortDateFormat = "yyyy-MM-dd";
// Databases last patched before this date have the old layout.
inline constexpr const char* kMigrationBefore = "20071029";
inline constexpr const char* kMigrationTool = "91Merrow.exe";
inline constexpr const char* kDefaultStoreCode = "0001";

// The whole start-up. Ready once the main window is shown (Process::MainForm).
StartupResult Main(Process& process, const MainOptions& options = {});

// Steps up to the configuration load: files relocated, one running copy, time and date checks,
// configuration and store database loaded. Ready when the store database is open; the history
// is not looked at yet. Main starts with these; `datapatch status` stops after them.
StartupOutcome PrepareStore(Process& process, const MainOptions& options = {});

// True when the file can be opened for reading (it is closed again at once).
bool FileOpenable(Process& process, std::string_view path);
// Copies the store software's files that the program folder lacks from the system folder. When
// neither folder has NVConfig.INI nothing is copied and start-up goes on: the configuration
// load reports the missing file and, without a store database, start-up ends with its message.
void RelocateLegacyFiles(Process& process);
// Opens CentralConnection on the vendor's central database named by the login-resolution file.
// False, without a message, when it cannot be opened.
bool OpenCentralConnection(Process& process);
// Opens Data1Connection through the configuration's administrator load.
bool OpenData1Connection(Process& process);
// Opens Data1Connection as OpenData1Connection does and returns it. When it cannot be opened,
// returns instead the connection tried once more from the configuration, not open, with the
// engine's reason and the database it names (the administrator load drops both).
db::ConnectionRef Data1ConnectionOrFailure(Process& process);

// The clock texts that start-up accepts: a time of exactly 8 characters with ":" third, a
// short date of exactly 10 characters with "-" fifth (characters, not bytes).
bool TimeTextUsable(std::string_view text);
bool DateTextUsable(std::string_view text);
// The configured store code when it is 4 characters and not blank, else "0001".
std::string SettleStoreCode(std::string_view configured);

}  // namespace app
