#pragma once
// What `datapatch status` and `datapatch history` report, gathered by a look-only process (see
// config::Access) after PrepareStore: for the store database and, where the configuration names
// one, the "데이터1" database, the last patch date and the rows of PATCH_HIST with the log of the
// run that wrote each. Nothing here writes.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/run_record.h"
#include "db/connection.h"

namespace config {
class NorvConn;
}

namespace app {

class Process;

// A "데이터1" database is configured: more than one store and all four connection settings (the
// condition under which the main window ticks its box).
bool Data1Configured(config::NorvConn& config);

struct DatabaseStatus {
    std::string name;          // "store" or "data1"
    std::string database;      // DescribeDatabase of its connection; empty when not opened
    bool opened = false;       // the connection is open
    bool historyRead = false;  // PATCH_HIST (or its absence) could be read
    std::string lastPatch;     // greatest 날짜 tagged "UpDate"; empty when never patched
    std::string error;         // why it was not opened or read
};

struct StoreStatus {
    std::string versionText;
    std::string releaseDate;
    DatabaseStatus store;
    std::optional<DatabaseStatus> data1;  // only when configured
    // The store has the layout of before kMigrationBefore: start-up would hand it on.
    bool migration = false;

    // A database that is not at this release, or whose history cannot be read, is to patch.
    bool Pending(const DatabaseStatus& db) const {
        return !db.historyRead || db.lastPatch != releaseDate;
    }
    bool Pending() const { return Pending(store) || (data1 && Pending(*data1)); }
};

// Reads the facts; the "데이터1" database is opened (read-only, as every connection of a
// look-only process) when the configuration names it. Boxes of a connection that fails are
// shown as start-up shows them.
StoreStatus ReadStoreStatus(Process& process);

struct HistoryRow {
    std::string database;  // "store" or "data1"
    std::string date;      // 날짜: the release the run brought the database to
    std::int64_t number = 0;
    std::string tag;        // NV_Ver ("UpDate" for a patch run)
    std::string version;    // NV_ETC: the program version that wrote the row
    std::int64_t kind = 0;  // NV_GUBUN
    std::string written;    // NV_Date as "yyyy-MM-dd HH:mm:ss"; empty when not set
    std::string logFile;    // Windows path of the run's log; empty when none is found
};

// The rows of PATCH_HIST of the connection (none when it has no such table), newest first (by
// the time written, then date and number), each tagged with `database`.
//
// A row has no link to its log, so it is matched by time: the row is written during the run, and
// the log whose run started at or before that second and ended at or after it is the run's. The
// logs lie in the Patch folder of the program folder, each with one or more records of "시작" and
// "종료" lines (two runs within one second share a file). Throws db::DbError when the table
// cannot be read.
std::vector<HistoryRow> ReadPatchHistory(Process& process, db::Connection& connection,
                                         const std::string& database);

std::string StoreStatusJson(const StoreStatus& status, const std::vector<ShownBox>& boxes);
std::string PatchHistoryJson(const std::vector<HistoryRow>& rows, Process& process);

}  // namespace app
