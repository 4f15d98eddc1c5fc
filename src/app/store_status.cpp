#include "app/store_status.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <tuple>

#include "app/main_sequence.h"
#include "app/process.h"
#include "app/run_log.h"
#include "app/run_report.h"
#include "app/sql_trace.h"
#include "config/norv_conn.h"
#include "config/slot_map.h"
#include "db/error.h"
#include "db/recordset.h"
#include "history/cls_patch_hist.h"
#include "history/history_helper.h"
#include "host/host.h"

namespace app {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPatchFolder = "\\Patch";
constexpr std::string_view kStartLine = "시작 ";
constexpr std::string_view kEndLine = "종료 ";

bool IsOpen(const db::ConnectionRef& cn) {
    return cn && cn->State() == db::ObjectState::Open;
}

// The first error the connection recorded, else the fallback.
std::string ConnectionError(const db::ConnectionRef& cn, const char* fallback) {
    if (cn && !cn->Errors().empty()) return cn->Errors().front().description;
    return fallback;
}

// The last patch date of the connection, read as start-up reads the store's. clsPatch_Hist reads
// StoreConnection, which is lent to the connection for the call.
void ReadLastPatch(Process& process, const db::ConnectionRef& cn, DatabaseStatus& status) {
    status.opened = IsOpen(cn);
    if (!status.opened) return;
    status.database = DescribeDatabase(cn->ConnectionString);
    const db::ConnectionRef saved = process.StoreConnection;
    process.StoreConnection = cn;
    try {
        history::clsPatch_Hist history(process);
        status.lastPatch = history.LastPatchDate();
        status.historyRead = true;
    } catch (const db::DbError& e) {
        status.error = e.Description();
    }
    process.StoreConnection = saved;
}

// "yyyy-MM-dd HH:mm:ss" from any text with those 14 digits in that order; else the text.
std::string MomentText(const std::string& text) {
    std::string digits;
    for (char c : text) {
        if (c >= '0' && c <= '9') digits += c;
    }
    if (digits.size() != 14) return text;
    return digits.substr(0, 4) + "-" + digits.substr(4, 2) + "-" + digits.substr(6, 2) + " " +
           digits.substr(8, 2) + ":" + digits.substr(10, 2) + ":" + digits.substr(12, 2);
}

struct LogSpan {
    std::string started;  // "yyyy-MM-dd HH:mm:ss"
    std::string ended;
    std::string file;  // Windows path
};

// Every run record of every log in the Patch folder.
std::vector<LogSpan> RunLogSpans(Process& process) {
    std::vector<LogSpan> spans;
    const std::string folder = process.Host().ProgramFolder() + kPatchFolder;
    const auto native = process.Host().Native(folder);
    std::error_code ec;
    if (!native || !fs::is_directory(*native, ec)) return spans;
    for (const fs::directory_entry& entry : fs::directory_iterator(*native, ec)) {
        if (!entry.is_regular_file(ec) || entry.path().extension() != ".log") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::string line;
        std::string started;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.starts_with(RepairLog::kRoutineLine)) break;  // a repair's log, no run's
            if (line.starts_with(RepairLog::kRoutineLine)) break;  // a repair's log, no run's
            if (line.starts_with(kStartLine)) {
                started = MomentText(line.substr(kStartLine.size()));
            } else if (line.starts_with(kEndLine) && !started.empty()) {
                spans.push_back({started, MomentText(line.substr(kEndLine.size())),
                                 folder + "\\" + entry.path().filename().string()});
                started.clear();
            }
        }
    }
    return spans;
}

std::string LogOfRun(const std::vector<LogSpan>& spans, const std::string& written) {
    if (written.size() != 19) return "";
    for (const LogSpan& s : spans) {
        if (s.started <= written && written <= s.ended) return s.file;
    }
    return "";
}

std::string FieldOrEmpty(const db::RecordSet& rs, std::string_view field) {
    try {
        return history::HistoryHelper::FieldText(rs, field);
    } catch (const db::DbError&) {
        return "";  // a column that an old layout lacks
    }
}

std::int64_t NumberOrZero(const db::RecordSet& rs, std::string_view field) {
    try {
        return history::HistoryHelper::FieldNumber(rs, field);
    } catch (const db::DbError&) {
        return 0;
    }
}

std::string OptionalText(const std::string& text) {
    return text.empty() ? "null" : JsonQuoted(text);
}

std::string DatabaseJson(const StoreStatus& status, const DatabaseStatus& db) {
    return "{\"database\": \"" + db.name + "\", \"connection\": " + OptionalText(db.database) +
           ", \"opened\": " + (db.opened ? "true" : "false") +
           ", \"lastPatch\": " + OptionalText(db.lastPatch) +
           ", \"pending\": " + (status.Pending(db) ? "true" : "false") +
           ", \"error\": " + OptionalText(db.error) + "}";
}

}  // namespace

bool Data1Configured(config::NorvConn& config) {
    return config.Slot(config::SlotNumber::kStoreCount).AsDouble() > 1 &&
           !config.데이터_SQLServer_S.empty() && !config.데이터_SQLDataName_S.empty() &&
           !config.데이터_SQLID_S.empty() && !config.데이터_SQLPass_S.empty();
}

StoreStatus ReadStoreStatus(Process& process) {
    StoreStatus status;
    status.versionText = process.VersionText;
    status.releaseDate = process.PatchReleaseDate;
    status.store.name = "store";
    ReadLastPatch(process, process.StoreConnection, status.store);
    if (!status.store.opened) {
        status.store.error = ConnectionError(process.StoreConnection, "not opened");
    }
    status.migration = status.store.historyRead && status.store.lastPatch < kMigrationBefore;
    if (Data1Configured(process.Config())) {
        DatabaseStatus data1;
        data1.name = "data1";
        const db::ConnectionRef cn = Data1ConnectionOrFailure(process);
        ReadLastPatch(process, cn, data1);
        if (!data1.opened) data1.error = ConnectionError(cn, "not opened");
        status.data1 = std::move(data1);
    }
    return status;
}

std::vector<HistoryRow> ReadPatchHistory(Process& process, db::Connection& connection,
                                         const std::string& database) {
    std::vector<HistoryRow> rows;
    db::RecordSet rs;
    try {
        rs.Open("SELECT * FROM PATCH_HIST", connection, db::CursorType::kForwardOnly, 1);
    } catch (const db::DbError& e) {
        // A database that was never patched has no history table.
        if (e.Number() == db::ErrorNumber::kTableMissing) return rows;
        throw;
    }
    const std::vector<LogSpan> spans = RunLogSpans(process);
    for (; !rs.Eof(); rs.MoveNext()) {
        HistoryRow row;
        row.database = database;
        row.date = FieldOrEmpty(rs, "날짜");
        row.number = NumberOrZero(rs, "번호");
        row.tag = FieldOrEmpty(rs, "NV_Ver");
        row.version = FieldOrEmpty(rs, "NV_ETC");
        row.kind = NumberOrZero(rs, "NV_GUBUN");
        row.written = MomentText(FieldOrEmpty(rs, "NV_Date"));
        row.logFile = LogOfRun(spans, row.written);
        rows.push_back(std::move(row));
    }
    rs.Close();
    std::stable_sort(rows.begin(), rows.end(), [](const HistoryRow& a, const HistoryRow& b) {
        return std::tie(a.written, a.date, a.number) > std::tie(b.written, b.date, b.number);
    });
    return rows;
}

std::string StoreStatusJson(const StoreStatus& status, const std::vector<ShownBox>& boxes) {
    std::string out = "{\n";
    out += "  \"version\": " + JsonQuoted(status.versionText) + ",\n";
    out += "  \"release\": " + JsonQuoted(status.releaseDate) + ",\n";
    out += "  \"startup\": \"ready\",\n";
    out += "  \"databases\": [" + DatabaseJson(status, status.store);
    if (status.data1) out += ", " + DatabaseJson(status, *status.data1);
    out += "],\n";
    out += "  \"migration\": " + std::string(status.migration ? "true" : "false") + ",\n";
    std::string shown = "[";
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        shown += std::string(i ? ", " : "") + "{\"title\": " + JsonQuoted(boxes[i].title) +
                 ", \"text\": " + JsonQuoted(boxes[i].text) + "}";
    }
    out += "  \"boxes\": " + shown + "],\n";
    out += "  \"pending\": " + std::string(status.Pending() ? "true" : "false") + "\n";
    return out + "}\n";
}

std::string PatchHistoryJson(const std::vector<HistoryRow>& rows, Process& process) {
    std::string out = "[";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const HistoryRow& r = rows[i];
        std::string native;
        if (!r.logFile.empty()) {
            if (const auto path = process.Host().Native(r.logFile)) native = path->string();
        }
        out += std::string(i ? "," : "") + "\n  {\"database\": \"" + r.database +
               "\", \"date\": " + JsonQuoted(r.date) + ", \"number\": " + std::to_string(r.number) +
               ", \"tag\": " + JsonQuoted(r.tag) + ", \"version\": " + JsonQuoted(r.version) +
               ", \"kind\": " + std::to_string(r.kind) +
               ", \"written\": " + OptionalText(r.written) +
               ", \"logFile\": " + OptionalText(r.logFile) +
               ", \"logPath\": " + OptionalText(native) + "}";
    }
    return out + (rows.empty() ? "]\n" : "\n]\n");
}

}  // namespace app
