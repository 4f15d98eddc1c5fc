#include "history/cls_patch_hist.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <iterator>
#include <limits>

#include "config/norv_conn.h"
#include "config/runtime.h"
#include "db/transaction_guard.h"
#include "history/history_helper.h"
#include "host/desktop.h"
#include "host/host.h"
#include "host/regional.h"
#include "util/sql_text.h"

namespace history {
namespace {

constexpr const char* kSource = "clsPatch_Hist";
// The routine under which write failures are reported.
constexpr const char* kWriteRoutine = "clsPatch_Hist:Update";
// VB's run-time errors raised here.
constexpr std::int32_t kObjectNotSet = 91;
constexpr std::int32_t kOverflow = 6;

std::string Decimal(std::int64_t n) {
    return std::to_string(n);
}

}  // namespace

clsPatch_Hist::clsPatch_Hist(config::Runtime& runtime) : runtime_(runtime) {}

void clsPatch_Hist::RecordSelect() {
    db::RecordSet rs;
    rs.Open("select * from PATCH_HIST " + KeyCondition("where"), ConnectionFor(0));
    if (rs.Eof()) {
        날짜.clear();
        NV_Ver.clear();
        NV_ETC.clear();
        번호 = 0;
        NV_GUBUN = 0;
        작업구분 = 0;
        NoRecord = 1;
    } else {
        날짜 = HistoryHelper::FieldText(rs, "날짜");
        번호 = static_cast<std::int16_t>(HistoryHelper::FieldNumber(rs, "번호"));
        NV_Ver = HistoryHelper::FieldText(rs, "NV_Ver");
        NV_ETC = HistoryHelper::FieldText(rs, "NV_ETC");
        NV_GUBUN = static_cast<std::int16_t>(HistoryHelper::FieldNumber(rs, "NV_GUBUN"));
        작업구분 = 1;
        NoRecord = 0;
    }
    LastAction = 0;
}

void clsPatch_Hist::Update(std::int32_t section) {
    std::erase(날짜, '-');
    struct Kind {
        Writer write;
        std::int16_t action;
    };
    // By 작업구분: 0 insert, 1 update, 2 delete.
    static constexpr Kind kKinds[] = {{&clsPatch_Hist::InsertSql, 0},
                                      {&clsPatch_Hist::UpdateSql, 1},
                                      {&clsPatch_Hist::DeleteRowSql, 2}};
    if (작업구분 >= 0 && 작업구분 < static_cast<int>(std::size(kKinds))) {
        WriteInTransaction(section, kKinds[작업구분].write, kKinds[작업구분].action);
    } else {
        WriteInTransaction(section, nullptr, 3);
    }
}

void clsPatch_Hist::Delete() {
    WriteInTransaction(0, &clsPatch_Hist::DeleteSql, 2);
}

void clsPatch_Hist::new번호(std::int16_t& NewNumber) {
    NewNumber = NextNumber(ConnectionFor(0));
}

void clsPatch_Hist::DataLoad(db::RecordSet& cRs, std::string cfindDate,
                             const util::Variant& /*cFindNumber*/) {
    std::erase(cfindDate, '-');
    cRs.Open("select * from PATCH_HIST   where 날짜 = " + util::SqlQuoted(cfindDate),
             ConnectionFor(0), db::CursorType::kDynamic, 1);
    NoRecord = cRs.Eof() ? 1 : 0;
}

std::string clsPatch_Hist::LastPatchDate() {
    db::RecordSet rs;
    try {
        rs.Open("Select 날짜 from PATCH_HIST where NV_Ver='UpDate' order by 날짜", ConnectionFor(0),
                db::CursorType::kStatic, 1);
    } catch (const db::DbError& e) {
        // A database without the table was never patched: the same answer as an empty history.
        if (e.Number() == db::ErrorNumber::kTableMissing) return "";
        throw;
    }
    if (rs.Eof()) return "";
    rs.MoveLast();
    return HistoryHelper::FieldText(rs, "날짜");
}

db::Connection& clsPatch_Hist::ConnectionFor(std::int32_t section) const {
    const db::ConnectionRef& cn =
        section == 1 ? runtime_.Data1Connection : runtime_.StoreConnection;
    if (!cn) {
        throw db::DbError(kObjectNotSet, "개체 변수 또는 With 블록 변수가 설정되어 있지 않습니다.",
                          kSource);
    }
    return *cn;
}

void clsPatch_Hist::WriteInTransaction(std::int32_t section, Writer write, std::int16_t action) {
    try {
        db::Connection& cn = ConnectionFor(section);
        db::TransactionGuard transaction(cn);
        if (write == nullptr) {
            runtime_.Desktop().MessageBox("작업구분이 누락되었습니다.", "프로그램버그",
                                          host::MsgIcon::Question, host::MsgButtons::Ok);
            transaction.Rollback();
            LastAction = 3;
            return;
        }
        const std::string sql = (this->*write)(cn, section);
        LastAction = action;
        cn.Execute(sql);
        transaction.Commit();
    } catch (const db::DbError& e) {
        WriteFailed(e, errno);
    }
}

std::string clsPatch_Hist::InsertSql(db::Connection& cn, std::int32_t section) {
    번호 = NextNumber(cn);
    return "INSERT INTO PATCH_HIST (날짜, 번호, NV_Ver, NV_ETC, NV_GUBUN, NV_Date) Values (" +
           util::SqlQuoted(날짜) + ", " + Decimal(번호) + ", " + util::SqlQuoted(NV_Ver) + ", " +
           util::SqlQuoted(NV_ETC) + ", " + Decimal(NV_GUBUN) + ", " + NowLiteral(section) + ")";
}

// The time of the change is written as the insert writes it: a bare Now is no function of
// T-SQL, and the condition needs its blank before Where.
std::string clsPatch_Hist::UpdateSql(db::Connection& /*cn*/, std::int32_t section) {
    return "UPDATE PATCH_HIST Set NV_Ver = " + util::SqlQuoted(NV_Ver) +
           ", NV_ETC = " + util::SqlQuoted(NV_ETC) + ", NV_DATE = " + NowLiteral(section) +
           ", NV_GUBUN = " + Decimal(NV_GUBUN) + " " + KeyCondition("Where");
}

std::string clsPatch_Hist::DeleteRowSql(db::Connection& /*cn*/, std::int32_t /*section*/) {
    return "Delete From PATCH_HIST " + KeyCondition("Where");
}

std::string clsPatch_Hist::DeleteSql(db::Connection& /*cn*/, std::int32_t /*section*/) {
    return "Delete from PATCH_HIST " + KeyCondition("Where");
}

void clsPatch_Hist::WriteFailed(const db::DbError& error, int systemError) {
    host::Desktop& desktop = runtime_.Desktop();
    desktop.MessageBox("작업에 오류가있으므로 저장할 수 없습니다.",
                       "오류메세지 ☞ 관리자에게 문의하세요.", host::MsgIcon::Critical,
                       host::MsgButtons::Ok);
    LastAction = 3;
    HistoryHelper::ErrorDetails details;
    details.number = error.Number();
    details.source = error.Source();
    details.description = error.Description();
    details.lastSystemError = systemError;
    details.programFolder = runtime_.Host().ProgramFolder();
    details.routine = kWriteRoutine;
    if (HistoryHelper::ErrorReport(runtime_.Utilities(), details)) return;
    desktop.MessageBox("에러핸들오류로 인하여 프로그램을 종료합니다.", "에러핸들오류",
                       host::MsgIcon::Critical, host::MsgButtons::Ok);
    desktop.EndProgram(1);
}

// The date and time in the user's regional forms, as the store software writes a moment: between
// apostrophes for SQL Server (the "데이터1" database always is one), between # signs for MDB.
std::string clsPatch_Hist::NowLiteral(std::int32_t section) {
    const auto now = std::chrono::system_clock::now();
    const host::RegionalSettings& regional = runtime_.Host().Regional();
    const std::string text = regional.FormatDate(now) + " " + regional.FormatTime(now);
    if (section == 1 || runtime_.Config().데이터_종류 == 1) return util::SqlQuoted(text);
    return "#" + text + "#";
}

std::string clsPatch_Hist::KeyCondition(const char* keyword) const {
    return std::string(keyword) + " 날짜 = " + util::SqlQuoted(날짜) +
           " And 번호 = " + Decimal(번호);
}

std::int16_t clsPatch_Hist::NextNumber(db::Connection& cn) const {
    db::RecordSet rs;
    rs.Open("select max(번호) as NewNumber from PATCH_HIST Where 날짜 = " + util::SqlQuoted(날짜),
            cn);
    if (rs.Eof()) return 1;
    const std::int64_t next = HistoryHelper::FieldNumber(rs, "NewNumber") + 1;
    if (next > std::numeric_limits<std::int16_t>::max()) {
        throw db::DbError(kOverflow, "오버플로", kSource);
    }
    return static_cast<std::int16_t>(next);
}

}  // namespace history
