#pragma once
// The backups a run takes of each pass's database before its first change, and their return.
// They live in the program folder's Backup\Patch folder as "<database>_<yyyyMMdd-HHmmss>" with
// ".mdb" (an MDB store) or ".dat" (a SQL Server database): an embedded database is copied as
// one committed state (the live file is left as it is), a real SQL Server writes it with BACKUP
// DATABASE. After each backup only the newest few of that database are kept.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/connection.h"
#include "db/embedded/file_copy.h"

namespace app {

class Process;

inline constexpr int kDefaultKeptBackups = 5;
// How many backups of a database a run keeps (1 to 1000; kDefaultKeptBackups when unset).
inline constexpr const char* kKeptBackupsVariable = "DATAPATCH_KEEP_BACKUPS";
inline constexpr const char* kBackupFolder = "\\Backup\\Patch";

// The database behind a connection as the backups name it.
struct BackupSubject {
    std::string name;  // the MDB file's stem, or the SQL Server database's name
    std::optional<std::filesystem::path> file;  // an embedded database's file
    std::string extension;                      // ".mdb" or ".dat"
};
// Throws DbError when the connection leads to no database a backup can be taken of.
BackupSubject SubjectOf(Process& process, const db::ConnectionRef& cn);

// The Windows path the next backup of the subject gets (a name not taken yet).
std::string NextBackupPath(Process& process, const BackupSubject& subject);

// Starts the backup of the connection's database to `path`; once it is complete (never before),
// the oldest backups of the database beyond `keep` are removed, but for the one that holds it as
// it was before its unfinished runs (see BackupsToRemove). An embedded database is copied
// on a thread of its own while the pass begins, its files held still meanwhile: the copy returned
// must be finished before the pass ends. A server writes its backup before this returns (null).
// Throws DbError.
std::unique_ptr<db::embedded::BackgroundCopy> StartBackup(Process& process,
                                                          const db::ConnectionRef& cn,
                                                          const BackupSubject& subject,
                                                          const std::string& path, int keep);

// The run backups of a database (all databases when `name` is empty), oldest first, as Windows
// paths.
std::vector<std::string> ListBackups(Process& process, const std::string& name = "");
// The backups of the subject alone (its name and its kind's extension), oldest first.
std::vector<std::string> BackupsOf(Process& process, const BackupSubject& subject);

// Of several backups taken after the last run the database (`cn`) records, the oldest: the
// database as it was before the runs that did not finish since. Empty when fewer than two were
// taken since (the newest backup then is that state, or no run failed).
std::string BackupBeforeUnfinishedRuns(Process& process, const BackupSubject& subject,
                                       const db::ConnectionRef& cn);

// The database name a backup's file name holds ("DatMain_20261207-031500.mdb" → "DatMain");
// empty when the name is no run backup's.
std::string BackupDatabaseName(const std::string& fileName);

// Of a database's backups, by their stamps (yyyyMMdd-HHmmss, oldest first), the indexes of those
// to remove so that `keep` remain: the oldest ones, but not the oldest taken after `lastRun`, the
// stamp of the last run the database records (any when it records none). That backup holds the
// database as it was before the runs that have not finished since (killed, or failed halfway),
// and stays until a run finishes: runs that fail again and again do not rotate it out.
std::vector<std::size_t> BackupsToRemove(const std::vector<std::string>& stamps, std::size_t keep,
                                         const std::string& lastRun);

// Puts the backup (a Windows path) back into the embedded database file `live`, as one committed
// state that other programs' connections on the file go on with (see RestoreDatabaseFile). A
// backup that is no sound database is refused, and `live` stays as it was whenever this throws.
// Throws DbError.
void RestoreFileBackup(Process& process, const std::string& backup,
                       const std::filesystem::path& live);

// The number of backups to keep from kKeptBackupsVariable; nullopt when it holds no number in
// range (and it is set).
std::optional<int> KeptBackupsFromEnvironment();

}  // namespace app
