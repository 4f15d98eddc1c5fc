#pragma once
// frmDBPatchMain: the main window's logic. Its state is the model Process::MainWindow(), which
// the Qt window and the command line draw; this class holds the run context (pass, database
// kind, DAO handle, patch history, retry flag) and the event handlers: load, the start button
// with the patch run driver RunPatch, the exit button, the sibling-tool button, the picture
// that reveals the maintenance buttons and those buttons.
//
// A run makes a store pass and a "데이터1" pass as the check boxes say. During the "데이터1" pass
// StoreConnection refers to Data1Connection; it refers to the store database again when RunPatch
// ends, however it ends. A click on the start button while a run is going on is ignored.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/pass_backup.h"
#include "app/run_record.h"
#include "db/session.h"
#include "patch/run_context.h"
#include "patch/step.h"

namespace util {
class frmDBPatchMainModel;
}

namespace app {

class Process;

inline constexpr const char* kPatchPendingLabel = "패치할 데이타 있음";
inline constexpr const char* kNothingToPatchLabel = "패치할 데이타 없음";
inline constexpr const char* kRunStoppedText =
    "데이터패치 오류로 인하여 작업을 중단합니다. 노르브에 문의 바랍니다";
inline constexpr const char* kPassLockedText =
    "다른 곳에서 이 데이터베이스를 패치하고 있습니다. 그 작업이 끝난 뒤 다시 실행하십시오.";
inline constexpr const char* kPassBusyText =
    "다른 프로그램이 데이터베이스에 쓰고 있어 패치하지 못했습니다. 그 프로그램을 닫은 뒤 다시 "
    "실행하십시오.";
inline constexpr const char* kCloseDuringRunText =
    "데이터 패치가 진행 중입니다.\r\n\r\n지금 진행 중인 단계가 끝나면 작업을 멈추고 프로그램을 "
    "닫을까요?\r\n(아니오를 누르면 작업을 계속합니다.)";
inline constexpr const char* kPassReadOnlyText =
    "데이터베이스 파일이 읽기 전용이어서 패치하지 못했습니다. 파일의 속성과 권한을 확인하십시오.";
inline constexpr const char* kRunEndLine = "-------------------------- 작업 종료";
// The run-list lines of the backup a pass takes before its first change.
inline constexpr const char* kBackupLine = "백업: ";
inline constexpr const char* kBackupSkippedLine = "백업 생략";
inline constexpr const char* kBackupFailedLine = "백업 실패: ";
// A pass that changed nothing but its PATCH_HIST row keeps no backup: restoring it would give
// back only that row, and it would push out an older backup that holds a real change.
inline constexpr const char* kBackupDroppedLine = "백업 지움: 패치 이력 외에 바뀐 것 없음";
inline constexpr const char* kBackupFailedText =
    "패치 전 백업을 만들지 못해 이 데이터베이스를 패치하지 않았습니다.";
inline constexpr const char* kTesselMissingText =
    "상품분류 동기화 관련 파일이 존재하지 않습니다.\r\n\r\n노르베일으로 문의 요합니다.";
inline constexpr const char* kTesselMissingTitle = "(株)Norvale";

// What the window's label says for a database last patched on lastPatchDate: nothing to patch
// only when that is this release.
const char* PatchStateLabel(std::string_view lastPatchDate, std::string_view releaseDate);

class frmDBPatchMain {
  public:
    // The window created; its runs walk the store catalogue.
    explicit frmDBPatchMain(Process& process);
    ~frmDBPatchMain();
    frmDBPatchMain(const frmDBPatchMain&) = delete;
    frmDBPatchMain& operator=(const frmDBPatchMain&) = delete;

    // --- events -------------------------------------------------------------------------------
    void Form_Load();
    // Switches cmd종료 off, runs RunPatch, switches it on again and writes the run's log into
    // the Patch folder. Ignored while a run is going on.
    void cmdStart_Click();
    // Ends the program at once (through the Desktop port); nothing while the button is off.
    void cmd종료_Click();
    void cmdTslRun_Click();
    void Image1_Click();
    // The maintenance buttons below the normal window height: each runs one data repair on the
    // store database and nothing else (ignored while a run is going on). An error that the
    // repair does not report itself gets the repair error report. Each writes a log into the
    // Patch folder, as runs do.
    void cmd상품위치_Click();
    void cmd조제약정리명_Click();
    void cmdTessel_Click();
    void cmdUserTessel_Click();
    // Releases the DAO objects, the history and the configuration object. Never refuses.
    void Form_QueryUnload();

    // --- the run driver -----------------------------------------------------------------------
    void RunPatch();
    // Opens the DAO handle of a pass: 0 the store database, 1 "데이터1"; other targets do
    // nothing and report success. Any failure gives false, silently.
    void OpenDaoDatabase(std::int16_t target, bool& ok);
    void DropFinishedRunRecord();
    db::WriteAccess ProbeWriteAccess();

    // How long a pass waits for another run on its database to end before it gives up.
    std::chrono::milliseconds PatchLockWait{10000};
    // Kind of the pass's database when the pass starts (the configured kind, 1 for "데이터1").
    std::int16_t PassDbKind = 0;
    // PatchTarget, RunDbKind, DaoDatabase, DaoTableDef, History and the retry flag.
    patch::RunContext& Context() { return context_; }
    // The record of the last click on the start button (empty before the first).
    const RunRecord& LastRun() const { return lastRun_; }
    // Windows path of the log of the last maintenance button's repair; empty when none was
    // written.
    const std::string& LastRepairLog() const { return lastRepairLog_; }
    // Each pass backs its database up before its first change (see app/pass_backup.h) and keeps
    // the newest KeptBackups of it; a backup that fails ends the pass before any change. An
    // embedded database's backup is written while the pass begins, and the pass's first write
    // into the database waits for it; when the pass comes to its history row with no value and
    // no table of the database changed, the backup is dropped. A preview only names the backup
    // it would write, and whether it would drop it.
    bool BackupBeforePass = true;
    int KeptBackups = 5;
    // Told every decision of the catalogue's error rules, as it happens.
    std::function<void(const patch::RuleEvent&)> OnRule;
    // Makes later runs walk `catalogue` (which must outlive them); null: the store catalogue.
    void UseCatalogue(const patch::Catalogue* catalogue) { catalogue_ = catalogue; }
    // Ends the run going on after the step it is in (the window is being closed); the steps
    // done stay done, and the next run goes on from there.
    void RequestStop() { stopRequested_ = true; }

  private:
    util::frmDBPatchMainModel& Window();
    // One pass of the driver: 0 the store database, 1 "데이터1".
    void RunPass(std::int16_t target);
    // False when the backup failed (after its lines and message box).
    bool BackUpPass(PassRecord& record, const char* failedMessage);
    // Waits for the backup the pass began, or drops it when the pass changed no value and no
    // table of the database; false when it failed (reported as BackUpPass does).
    bool FinishBackup(PassRecord& record, const char* failedMessage);
    void ReportBackupFailure(const db::DbError& e, const char* failedMessage);
    // `button`: the routine's button name in the repair routine table.
    void RunMaintenance(const char* button);

    Process& process_;
    const patch::Catalogue* catalogue_ = nullptr;
    patch::RunContext context_;
    RunRecord lastRun_;
    std::string lastRepairLog_;
    std::string daoOpenError_;  // why OpenDaoDatabase last failed
    bool stopRequested_ = false;
    // The backup of the pass going on, while it is written; then, until the run ends, while it
    // removes the oldest backups.
    std::unique_ptr<db::embedded::BackgroundCopy> pendingBackup_;
    // The change mark of the pass's database file when its backup began (see FinishBackup).
    std::optional<std::int64_t> passMark_;
    std::vector<std::unique_ptr<db::embedded::BackgroundCopy>> settlingBackups_;
};

}  // namespace app
