#include "app/frm_db_patch_main.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <utility>

#include "app/main_sequence.h"
#include "app/pass_backup.h"
#include "app/process.h"
#include "app/repair_routines.h"
#include "app/run_log.h"
#include "app/store_status.h"
#include "app/version.h"
#include "config/norv_conn.h"
#include "config/slot_map.h"
#include "db/central_login.h"
#include "db/dao.h"
#include "db/error.h"
#include "db/patch_lock.h"
#include "db/recordset.h"
#include "db/router.h"
#include "history/cls_patch_hist.h"
#include "history/patch_run_records.h"
#include "host/desktop.h"
#include "host/host.h"
#include "patch/catalogue.h"
#include "patch/resume_record.h"
#include "patch/run_catalogue.h"
#include "repairs/repair_report.h"
#include "util/kro_function.h"
#include "util/main_window_model.h"
#include "util/vb_text.h"

namespace app {

using Model = util::frmDBPatchMainModel;

namespace {

// The texts of the two passes of the run driver, by target.
struct PassText {
    const char* startMessage;
    const char* separator;
    const char* endMessage;
    const char* daoFailedMessage;
    const char* lockedMessage;
    const char* busyMessage;
    const char* readOnlyMessage;
    const char* linkedMessage;
    const char* historyFailedMessage;
    const char* stoppedMessage;
    const char* backupFailedMessage;
};
constexpr PassText kPassTexts[] = {
    {"매장데이터패치시작", "-------------------------- 매장디비", "매장데이터패치종료",
     "매장데이터패치실패(DAO연결오류)", "매장데이터패치실패(다른 곳에서 패치중)",
     "매장데이터패치실패(다른 프로그램이 쓰는 중)", "매장데이터패치실패(읽기 전용)",
     "매장데이터패치실패(하드 링크)", "매장데이터패치실패(패치이력 저장오류)",
     "매장데이터패치중단(사용자 요청)", "매장데이터패치실패(백업 실패)"},
    {"데이터1패치시작", "-------------------------- 데이터1", "데이터1패치종료",
     "데이터1패치실패(DAO연결오류)", "데이터1패치실패(다른 곳에서 패치중)",
     "데이터1패치실패(다른 프로그램이 쓰는 중)", "데이터1패치실패(읽기 전용)",
     "데이터1패치실패(하드 링크)", "데이터1패치실패(패치이력 저장오류)",
     "데이터1패치중단(사용자 요청)", "데이터1패치실패(백업 실패)"},
};
constexpr std::int16_t kStoreTarget = 0;
constexpr std::int16_t kData1Target = 1;

constexpr const char* kMdbDaoConnect = ";Pwd=kelp2093";
constexpr const char* kTesselProgram = "Tessel.exe";
constexpr const char* kTesselQuery =
    "SELECT TOP 1 날짜 FROM PATCH_HIST WHERE NV_GUBUN = 1 ORDER BY 날짜 DESC";
// Databases last patched before this date start the sibling tool without its switch.
constexpr const char* kTesselSwitchFrom = "20080901";

// Puts the remembered connection back into StoreConnection when the run driver leaves, however
// it leaves.
class StoreConnectionRestore {
  public:
    explicit StoreConnectionRestore(db::ConnectionRef& store) : store_(store), saved_(store) {}
    ~StoreConnectionRestore() { store_ = saved_; }
    StoreConnectionRestore(const StoreConnectionRestore&) = delete;
    StoreConnectionRestore& operator=(const StoreConnectionRestore&) = delete;

  private:
    db::ConnectionRef& store_;
    db::ConnectionRef saved_;
};

// Marks the window busy with cmd종료 off for as long as it lives.
class BusyWindow {
  public:
    explicit BusyWindow(Model& window) : window_(window) {
        window_.running = true;
        window_.cmd종료Enabled = false;
        window_.Changed(Model::Control::Window);
    }
    ~BusyWindow() {
        window_.cmd종료Enabled = true;
        window_.running = false;
        window_.Changed(Model::Control::Window);
    }
    BusyWindow(const BusyWindow&) = delete;
    BusyWindow& operator=(const BusyWindow&) = delete;

  private:
    Model& window_;
};

// "Driver={SQL Server}; Server=…; Database=…; UID=…; PWD=…".
std::string OdbcConnectText(const std::string& server, const std::string& database,
                            const std::string& user, const std::string& password) {
    return "Driver={SQL Server}; Server=" + server + "; Database=" + database + "; UID=" + user +
           "; PWD=" + password;
}

// The MDB path setting without NUL characters and carriage returns, trimmed.
std::string CleanMdbPath(std::string_view path) {
    std::string clean;
    for (char c : path) {
        if (c != '\0' && c != '\r') clean += c;
    }
    return util::Trim(clean);
}

// A "데이터1" database is configured: more than one store and all four connection settings.
std::vector<std::string> LinesFrom(const std::vector<std::string>& lines, std::size_t first) {
    return {lines.begin() + static_cast<std::ptrdiff_t>(std::min(first, lines.size())),
            lines.end()};
}

}  // namespace

const char* PatchStateLabel(std::string_view lastPatchDate, std::string_view releaseDate) {
    return lastPatchDate == releaseDate ? kNothingToPatchLabel : kPatchPendingLabel;
}

frmDBPatchMain::frmDBPatchMain(Process& process) : process_(process), context_(process) {
    if (const std::optional<int> wait = host::LockWaitFromEnvironment())
        context_.LockWaitSeconds = *wait;
    // A backup that failed while the pass began ends it before the next step.
    context_.StopRequested = [this] {
        return stopRequested_ || (pendingBackup_ && pendingBackup_->Failed());
    };
    KeptBackups = KeptBackupsFromEnvironment().value_or(kDefaultKeptBackups);
    context_.OnRule = [this](const patch::RuleEvent& event) {
        lastRun_.rules.push_back(event);
        if (OnRule) OnRule(event);
    };
}

frmDBPatchMain::~frmDBPatchMain() = default;

Model& frmDBPatchMain::Window() {
    return process_.MainWindow();
}

void frmDBPatchMain::Form_Load() {
    Model& w = Window();
    w.Height = Model::kNormalHeight;
    w.Label2 = "패치된 내역은 [" + process_.Host().ProgramFolder() + "\\Patch] 폴더에 저장됩니다";
    w.Label4 = process_.VersionText;
    std::string lastPatch;
    try {
        history::clsPatch_Hist history(process_);
        lastPatch = history.LastPatchDate();
    } catch (const db::DbError&) {
        // An unreadable history offers the patch.
    }
    w.lab패치디비 = PatchStateLabel(lastPatch, process_.PatchReleaseDate);
    if (Data1Configured(process_.Config())) w.chk보안 = true;
    w.Caption += " Ver" + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) +
                 "." + std::to_string(kVersionRevision);
    w.Changed(Model::Control::Labels);
    w.Changed(Model::Control::CheckBoxes);
    w.Changed(Model::Control::Window);
}

void frmDBPatchMain::cmdStart_Click() {
    Model& w = Window();
    // The catalogue yields to the window system between its lines; a click that arrives then
    // would enter the catalogue a second time and apply its updates twice.
    if (w.running) return;
    stopRequested_ = false;
    const std::size_t firstLine = w.List1.lines.size();
    const std::size_t firstMessage = w.lv메세지.lines.size();
    lastRun_ = RunRecord{};
    lastRun_.started = std::chrono::system_clock::now();
    {
        BusyWindow busy(w);
        RunPatch();
    }
    lastRun_.ended = std::chrono::system_clock::now();
    lastRun_.runLines = LinesFrom(w.List1.lines, firstLine);
    lastRun_.messages = LinesFrom(w.lv메세지.lines, firstMessage);
    // A preview leaves the machine as it was: no log.
    if (!process_.Host().Preview()) lastRun_.logFile = WriteRunLog(process_, lastRun_);
}

void frmDBPatchMain::cmd종료_Click() {
    if (!Window().cmd종료Enabled) return;
    process_.Desktop().EndProgram(0);
}

void frmDBPatchMain::RunPatch() {
    Model& w = Window();
    if (w.chk보안) OpenData1Connection(process_);
    {
        StoreConnectionRestore restore(process_.StoreConnection);
        if (w.chk매장) RunPass(kStoreTarget);
        if (w.chk보안 && !stopRequested_) RunPass(kData1Target);
    }
    settlingBackups_.clear();
    w.AddRunLine(kRunEndLine);
    // A pass that failed leaves its database still to patch: the label must not say otherwise.
    w.lab패치디비 = lastRun_.Succeeded() ? kNothingToPatchLabel : kPatchPendingLabel;
    w.Changed(Model::Control::Labels);
}

void frmDBPatchMain::RunPass(std::int16_t target) {
    Model& w = Window();
    const PassText& pass = kPassTexts[target];
    context_.PatchTarget = target;
    if (target == kData1Target) process_.StoreConnection = process_.Data1Connection;
    w.AddMessage(pass.startMessage);
    PassDbKind = target == kData1Target ? 1 : process_.Config().데이터_종류;
    w.AddRunLine(pass.separator);

    PassRecord record;
    record.target = target;
    OpenDaoDatabase(target, record.opened);
    if (!record.opened) {
        record.openError = daoOpenError_;
        w.AddMessage(pass.daoFailedMessage);
        lastRun_.passes.push_back(record);
        return;
    }
    // One run at a time on a database, whichever machine and name it comes from.
    std::unique_ptr<db::PatchLock> lock;
    try {
        lock = db::PatchLock::Acquire(*process_.Ado().router, process_.StoreConnection,
                                      PatchLockWait, [this] { process_.Desktop().DoEvents(); });
    } catch (const db::DbError& e) {
        w.AddMessage(pass.linkedMessage);
        process_.Desktop().Inform(e.Description());
        lastRun_.passes.push_back(record);
        return;
    }
    if (!lock) {
        w.AddMessage(pass.lockedMessage);
        process_.Desktop().Inform(kPassLockedText);
        lastRun_.passes.push_back(record);
        return;
    }
    // Another program holding the write lock would make every statement wait and fail; a
    // read-only file would fail the first one: the pass says so before it changes anything.
    if (const db::WriteAccess access = ProbeWriteAccess(); access != db::WriteAccess::Available) {
        const bool busy = access == db::WriteAccess::Busy;
        w.AddMessage(busy ? pass.busyMessage : pass.readOnlyMessage);
        process_.Desktop().Inform(busy ? kPassBusyText : kPassReadOnlyText);
        lastRun_.passes.push_back(record);
        return;
    }
    if (!BackUpPass(record, pass.backupFailedMessage)) {
        lastRun_.passes.push_back(record);
        return;
    }
    context_.RunDbKind = PassDbKind;
    patch::RunPatchCatalogue(context_, catalogue_ ? *catalogue_ : patch::StoreCatalogue(),
                             record.catalogueOk);
    if (!FinishBackup(record, pass.backupFailedMessage)) {
        record.catalogueOk = false;
        lastRun_.passes.push_back(record);
        return;
    }
    if (record.catalogueOk) {
        // A run whose history row is missing has not finished: the next start offers the patch
        // again and the gated blocks' record stays for it.
        record.historyWritten = target == kData1Target
                                    ? history::RecordPatchRun(process_, context_.History())
                                    : history::RecordPatchRun(process_, context_.History(), "");
        if (record.historyWritten) DropFinishedRunRecord();
    } else if (context_.EndedByStop) {
        // Closed by the operator between two steps: nothing is wrong with the database.
        record.stopped = true;
        w.AddMessage(pass.stoppedMessage);
        lastRun_.passes.push_back(record);
        return;
    } else if (context_.EndedByLockConflict) {
        // Another program held the database for longer than the run waits: the step it met
        // was undone, and the next run finishes the work. The pass ends as one that found the
        // database held at its start.
        w.AddMessage(pass.busyMessage);
        process_.Desktop().Inform(kPassBusyText);
        lastRun_.passes.push_back(record);
        return;
    } else {
        process_.Desktop().Inform(kRunStoppedText);
    }
    w.picChk[target] = true;
    w.Changed(Model::Control::CheckBoxes);
    w.AddMessage(record.catalogueOk && !record.historyWritten ? pass.historyFailedMessage
                                                              : pass.endMessage);
    lastRun_.passes.push_back(record);
}

bool frmDBPatchMain::BackUpPass(PassRecord& record, const char* failedMessage) {
    Model& w = Window();
    if (!BackupBeforePass) {
        w.AddRunLine(kBackupSkippedLine);
        return true;
    }
    try {
        const BackupSubject subject = SubjectOf(process_, process_.StoreConnection);
        const std::string path = NextBackupPath(process_, subject);
        // A database file's backup is dropped again when the pass changes no value and no table
        // of it. The pass changes it through this connection alone (its definitions and its
        // repairs included), whose engine tells, in a preview as well.
        passMark_ = subject.file && process_.StoreConnection
                        ? process_.StoreConnection->ChangeMark()
                        : std::nullopt;
        if (process_.Host().Preview()) {
            process_.Host().Withhold("back " + subject.name + " up to " + path);
        } else {
            if (process_.StoreConnection) process_.StoreConnection->PrepareForWrites();
            pendingBackup_ =
                StartBackup(process_, process_.StoreConnection, subject, path, KeptBackups);
        }
        lastRun_.backups[record.target == 1 ? 1 : 0] = path;
        w.AddRunLine(kBackupLine + path);
        return true;
    } catch (const db::DbError& e) {
        ReportBackupFailure(e, failedMessage);
        return false;
    }
}

bool frmDBPatchMain::FinishBackup(PassRecord& record, const char* failedMessage) {
    const std::optional<std::int64_t> mark = std::exchange(passMark_, std::nullopt);
    const bool unchanged = mark && process_.StoreConnection &&
                           process_.StoreConnection->ChangeMark() == mark &&
                           (!pendingBackup_ || pendingBackup_->Drop());
    if (unchanged) {
        // What is left of the copy goes on the copy's thread; the run waits for it at its end.
        if (pendingBackup_) settlingBackups_.push_back(std::move(pendingBackup_));
        lastRun_.backups[record.target == 1 ? 1 : 0].clear();
        record.backupDropped = true;
        Window().AddRunLine(kBackupDroppedLine);
        return true;
    }
    if (!pendingBackup_) return true;
    try {
        pendingBackup_->Finish();
        // Its removal of the oldest backups goes on meanwhile; the run waits for it at its end.
        settlingBackups_.push_back(std::move(pendingBackup_));
        return true;
    } catch (const db::DbError& e) {
        // The database's writes fail no more once the copy is gone.
        pendingBackup_.reset();
        lastRun_.backups[record.target == 1 ? 1 : 0].clear();
        ReportBackupFailure(e, failedMessage);
        return false;
    }
}

void frmDBPatchMain::ReportBackupFailure(const db::DbError& e, const char* failedMessage) {
    Model& w = Window();
    w.AddRunLine(kBackupFailedLine + e.Description());
    w.AddMessage(failedMessage);
    process_.Desktop().Inform(std::string(kBackupFailedText) + "\r\n" + e.Description());
}

// Whether the pass's database can be written, waiting for another program's write for as long
// as each step waits for it (DATAPATCH_LOCK_WAIT); a connection that cannot tell is taken as
// writable.
db::WriteAccess frmDBPatchMain::ProbeWriteAccess() {
    try {
        if (!process_.StoreConnection) return db::WriteAccess::Available;
        return process_.StoreConnection->ProbeWriteAccess(context_.LockWaitSeconds);
    } catch (const db::DbError&) {
        return db::WriteAccess::Available;  // the catalogue meets the fault and reports it
    }
}

// Once the history row is written, the record of the gated blocks applied by runs that ended
// before theirs counts for nothing; should the write have failed, the record stays for the next
// run.
void frmDBPatchMain::DropFinishedRunRecord() {
    try {
        patch::DropStaleResumeRecord(process_.StoreConnection, context_.History().LastPatchDate());
    } catch (const db::DbError&) {
        // Left for the next finished run; a stale record is never read.
    }
}

void frmDBPatchMain::OpenDaoDatabase(std::int16_t target, bool& ok) {
    ok = false;
    daoOpenError_.clear();
    try {
        config::NorvConn& config = process_.Config();
        std::string name;
        std::string connect;
        if (target == 0 && config.데이터_종류 == 0) {
            name = CleanMdbPath(config.데이터_MDBPath);
            connect = kMdbDaoConnect;
        } else if (target == 0) {
            connect = OdbcConnectText(
                util::Trim(config.데이터_SQLServer), util::Trim(config.데이터_SQLDataName),
                util::Trim(config.데이터_SQLID), util::Trim(config.데이터_SQLPass));
        } else if (target == 1) {
            std::string server = util::Trim(config.데이터_SQLServer_S);
            std::string database = util::Trim(config.데이터_SQLDataName_S);
            std::string user = util::Trim(config.데이터_SQLID_S);
            std::string password = util::Trim(config.데이터_SQLPass_S);
            db::ApplyCentralLoginDefaults(process_.Ado().router->Logins(), server, database, user,
                                          password);
            connect = OdbcConnectText(server, database, user, password);
        } else {
            ok = true;
            return;
        }
        // A handle on the previous pass's database must not serve this pass.
        context_.DaoTableDef.reset();
        context_.DaoDatabase.reset();
        context_.DaoDatabase = db::DaoDatabase::Open(*process_.Ado().router, name, connect);
        // The definitions change through the pass's connection, inside the step's transaction.
        context_.DaoDatabase->RunThrough(process_.StoreConnection);
        ok = true;
    } catch (const db::DbError& e) {
        ok = false;
        daoOpenError_ = e.Description();
    }
}

void frmDBPatchMain::cmdTslRun_Click() {
    const std::string folder = process_.Host().ProgramFolder();
    if (!FileOpenable(process_, folder + "\\" + kTesselProgram)) {
        process_.Desktop().Inform(kTesselMissingText, kTesselMissingTitle);
        return;
    }
    try {
        db::ConnectionRef store = process_.StoreConnection;
        if (!store) return;
        db::RecordSet rs;
        rs.Open(kTesselQuery, *store, db::CursorType::kStatic, 1);
        if (!rs.Eof()) {
            const std::string date = util::Kro_Function::Nz(rs["날짜"], 1).AsText();
            const std::string program = folder + "\\Tessel.EXE";
            if (date < kTesselSwitchFrom) {
                process_.Utilities().FileOpenEXE(program);
            } else {
                // A folder with blanks is quoted so that the command line keeps it whole.
                const bool quote = program.find(' ') != std::string::npos;
                const std::string command = (quote ? "\"" + program + "\"" : program) + " /Mds";
                process_.Utilities().FileOpenEXEWait(command, true);
            }
        }
        rs.Close();
    } catch (const db::DbError&) {
        // Without a readable history nothing is started.
    }
}

void frmDBPatchMain::RunMaintenance(const char* button) {
    if (Window().running) return;
    const RepairRoutine* routine = FindRepairRoutine(button);
    if (!routine) return;
    // The repair yields to the window system; a click on start or on another button then must
    // not begin a second piece of work inside this one.
    BusyWindow busy(Window());
    RepairLog log(process_, routine->name);
    RepairOutcome outcome;
    try {
        outcome = routine->run(process_);
    } catch (const db::DbError& e) {
        repairs::ShowRepairErrorReport(process_, e);
        outcome = {false, db::HexNumber(e.Number()) + " " + e.Description()};
    }
    lastRepairLog_ = log.Finish(outcome.succeeded, outcome.detail);
}

void frmDBPatchMain::cmd상품위치_Click() {
    RunMaintenance("rebuild-locations");
}

void frmDBPatchMain::cmd조제약정리명_Click() {
    RunMaintenance("drug-prices");
}

void frmDBPatchMain::cmdTessel_Click() {
    RunMaintenance("renumber-classes");
}

void frmDBPatchMain::cmdUserTessel_Click() {
    RunMaintenance("margin-classes");
}

void frmDBPatchMain::Image1_Click() {
    Model& w = Window();
    ++w.revealCounter;
    if (w.revealCounter > 3) {
        w.Height = Model::kRevealedHeight;
        if (w.revealCounter > 6) {
            w.revealCounter = 0;
            w.Height = Model::kNormalHeight;
        }
    }
    w.Changed(Model::Control::Window);
}

void frmDBPatchMain::Form_QueryUnload() {
    context_.DaoTableDef.reset();
    context_.DaoDatabase.reset();
    process_.ReleaseConfig();
}

}  // namespace app
