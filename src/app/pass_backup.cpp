#include "app/pass_backup.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <system_error>

#include "app/process.h"
#include "db/embedded/file_copy.h"
#include "db/error.h"
#include "db/kro_ado.h"
#include "db/recordset.h"
#include "db/router.h"
#include "host/host.h"
#include "host/regional.h"
#include "util/sql_text.h"

namespace app {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kStampLength = 15;  // yyyyMMdd-HHmmss
constexpr int kMostKeptBackups = 1000;

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// The value of a key of an ODBC connection text ("Database=…"), trimmed; empty when missing.
std::string OdbcValue(const std::string& text, const std::string& key) {
    const std::string lower = Lower(text);
    std::size_t at = 0;
    while ((at = lower.find(Lower(key) + "=", at)) != std::string::npos) {
        if (at == 0 || lower[at - 1] == ';' || lower[at - 1] == ' ') {
            const std::size_t from = at + key.size() + 1;
            const std::size_t end = text.find(';', from);
            std::string value = text.substr(from, end == std::string::npos ? end : end - from);
            while (!value.empty() && value.back() == ' ') value.pop_back();
            while (!value.empty() && value.front() == ' ') value.erase(value.begin());
            return value;
        }
        ++at;
    }
    return "";
}

fs::path NativeOrThrow(Process& process, const std::string& windowsPath) {
    const std::optional<fs::path> native = process.Host().Native(windowsPath);
    if (!native) {
        throw db::DbError(db::ErrorNumber::kUnspecified,
                          "'" + windowsPath + "' 경로가 잘못되었습니다.");
    }
    return *native;
}

std::string Folder(Process& process) {
    return process.Host().ProgramFolder() + kBackupFolder;
}

// The stamp (yyyyMMdd-HHmmss) a backup's name (or path) ends in, before its extension.
std::string StampOf(const std::string& name) {
    const std::string stem = fs::path(name.substr(name.find_last_of('\\') + 1)).stem().string();
    return stem.substr(stem.size() - kStampLength);
}

// Of backup stamps, oldest first, the index of the first taken after `lastRun` (the size when
// none is): the backup from before the first run that has not finished since the last recorded
// one.
std::size_t FirstTakenAfter(const std::vector<std::string>& stamps, const std::string& lastRun) {
    std::size_t first = 0;
    while (first < stamps.size() && stamps[first] <= lastRun) ++first;
    return first;
}

// The stamp (yyyyMMdd-HHmmss) of the last run recorded in the database's PATCH_HIST; empty when
// none is recorded or the table cannot be read.
std::string LastRecordedRun(const db::ConnectionRef& cn) {
    if (!cn) return "";
    try {
        db::RecordSet rs;
        rs.Open("SELECT MAX(NV_Date) AS 마지막 FROM PATCH_HIST", *cn);
        if (rs.Eof() || rs["마지막"].IsNull() || rs["마지막"].IsEmpty()) return "";
        std::string digits;
        for (const char c : rs["마지막"].AsText()) {
            if (c >= '0' && c <= '9') digits += c;
        }
        digits.resize(14, '0');  // a time of midnight is written as the day alone
        return digits.substr(0, 8) + "-" + digits.substr(8);
    } catch (const db::DbError&) {
        return "";
    }
}

// The files of the subject's backups to remove so that `keep` remain (see BackupsToRemove).
std::vector<fs::path> OldestBeyond(Process& process, const BackupSubject& subject, std::size_t keep,
                                   const std::string& lastRun) {
    const std::vector<std::string> all = BackupsOf(process, subject);
    std::vector<std::string> stamps;
    for (const std::string& path : all) stamps.push_back(StampOf(path));
    std::vector<fs::path> oldest;
    for (const std::size_t i : BackupsToRemove(stamps, keep, lastRun)) {
        if (const std::optional<fs::path> native = process.Host().Native(all[i])) {
            oldest.push_back(*native);
        }
    }
    return oldest;
}

}  // namespace

BackupSubject SubjectOf(Process& process, const db::ConnectionRef& cn) {
    if (!cn) {
        throw db::DbError(db::ErrorNumber::kUnspecified,
                          "백업할 데이터베이스가 열려 있지 않습니다.");
    }
    const db::Route route = process.Ado().router->Plan(cn->ConnectionString);
    BackupSubject subject;
    if (route.engine == db::Route::Engine::Embedded) {
        subject.file = route.file;
        subject.name = route.file.stem().string();
        subject.extension = route.dialect == db::Dialect::Jet ? ".mdb" : ".dat";
    } else {
        subject.name = OdbcValue(route.odbcText, "Database");
        subject.extension = ".dat";
    }
    if (subject.name.empty()) {
        throw db::DbError(db::ErrorNumber::kUnspecified,
                          "백업할 데이터베이스의 이름을 알 수 없습니다.");
    }
    return subject;
}

std::string NextBackupPath(Process& process, const BackupSubject& subject) {
    std::time_t when = std::time(nullptr);
    for (;;) {
        const std::string path =
            Folder(process) + "\\" + subject.name + "_" +
            host::LocalTimeText(std::chrono::system_clock::from_time_t(when), "%Y%m%d-%H%M%S") +
            subject.extension;
        std::error_code ec;
        const std::optional<fs::path> native = process.Host().Native(path);
        if (!native || !fs::exists(*native, ec)) return path;
        ++when;  // a backup of the same second: the next second's name
    }
}

std::unique_ptr<db::embedded::BackgroundCopy> StartBackup(Process& process,
                                                          const db::ConnectionRef& cn,
                                                          const BackupSubject& subject,
                                                          const std::string& path, int keep) {
    const fs::path target = NativeOrThrow(process, path);
    std::error_code ec;
    fs::create_directories(target.parent_path(), ec);
    // The new backup counts among those kept.
    std::vector<fs::path> replaced =
        OldestBeyond(process, subject, std::max(keep, 1) - 1, LastRecordedRun(cn));
    if (subject.file) {
        return std::make_unique<db::embedded::BackgroundCopy>(*subject.file, target,
                                                              std::move(replaced));
    }
    cn->Execute("BACKUP DATABASE " + db::SqlName(subject.name, "the database to back up") +
                " TO DISK = N" + util::SqlQuoted(path));
    for (const fs::path& file : replaced) fs::remove(file, ec);
    return nullptr;
}

std::string BackupBeforeUnfinishedRuns(Process& process, const BackupSubject& subject,
                                       const db::ConnectionRef& cn) {
    const std::vector<std::string> all = BackupsOf(process, subject);
    std::vector<std::string> stamps;
    for (const std::string& path : all) stamps.push_back(StampOf(path));
    const std::size_t before = FirstTakenAfter(stamps, LastRecordedRun(cn));
    return stamps.size() - before < 2 ? std::string() : all[before];
}

std::vector<std::size_t> BackupsToRemove(const std::vector<std::string>& stamps, std::size_t keep,
                                         const std::string& lastRun) {
    const std::size_t before = FirstTakenAfter(stamps, lastRun);
    std::vector<std::size_t> removed;
    for (std::size_t i = 0; i + keep < stamps.size(); ++i) {
        if (i != before) removed.push_back(i);
    }
    return removed;
}

std::vector<std::string> ListBackups(Process& process, const std::string& name) {
    std::vector<std::string> found;
    const std::optional<fs::path> folder = process.Host().Native(Folder(process));
    std::error_code ec;
    if (!folder || !fs::is_directory(*folder, ec)) return found;
    std::vector<std::pair<std::string, std::string>> byStamp;  // stamp, file name
    for (fs::directory_iterator it(*folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        const std::string file = it->path().filename().string();
        const std::string database = BackupDatabaseName(file);
        if (database.empty() || (!name.empty() && Lower(database) != Lower(name))) continue;
        byStamp.emplace_back(StampOf(file), file);
    }
    std::sort(byStamp.begin(), byStamp.end());
    for (const auto& [stamp, file] : byStamp) found.push_back(Folder(process) + "\\" + file);
    return found;
}

std::vector<std::string> BackupsOf(Process& process, const BackupSubject& subject) {
    std::vector<std::string> all = ListBackups(process, subject.name);
    // Another kind's backup of a database of the same name is not this one's.
    std::erase_if(all, [&](const std::string& path) {
        return Lower(path.substr(path.size() - subject.extension.size())) != subject.extension;
    });
    return all;
}

std::string BackupDatabaseName(const std::string& fileName) {
    const fs::path path(fileName);
    const std::string extension = Lower(path.extension().string());
    if (extension != ".mdb" && extension != ".dat") return "";
    const std::string stem = path.stem().string();
    if (stem.size() < kStampLength + 2 || stem[stem.size() - kStampLength - 1] != '_') return "";
    const std::string stamp = stem.substr(stem.size() - kStampLength);
    for (std::size_t i = 0; i < stamp.size(); ++i) {
        const bool digit = stamp[i] >= '0' && stamp[i] <= '9';
        if (i == 8 ? stamp[i] != '-' : !digit) return "";
    }
    return stem.substr(0, stem.size() - kStampLength - 1);
}

void RestoreFileBackup(Process& process, const std::string& backup, const fs::path& live) {
    const fs::path source = NativeOrThrow(process, backup);
    // Reading the backup leaves an empty log and index beside it: the backup stays one file,
    // whether it is put back or refused.
    const auto tidy = [&] {
        const fs::path wal(source.string() + "-wal");
        std::error_code ec;
        if (fs::exists(wal, ec) && fs::file_size(wal, ec) > 0) return;
        fs::remove(wal, ec);
        fs::remove(fs::path(source.string() + "-shm"), ec);
    };
    try {
        // A damaged backup (a disk fault, a copy cut short) must not replace a sound database.
        db::embedded::CheckDatabaseFile(source);
        db::embedded::RestoreDatabaseFile(source, live);
    } catch (const db::DbError&) {
        tidy();
        throw;
    }
    tidy();
}

std::optional<int> KeptBackupsFromEnvironment() {
    const char* text = std::getenv(kKeptBackupsVariable);
    if (text == nullptr || *text == '\0') return kDefaultKeptBackups;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*end != '\0' || value < 1 || value > kMostKeptBackups) return std::nullopt;
    return static_cast<int>(value);
}

}  // namespace app
