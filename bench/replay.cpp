#include "replay.h"

#include <sqlite3.h>
#include <sys/resource.h>

#include <chrono>
#include <memory>
#include <stdexcept>

#include "db/embedded/embedded.h"
#include "db/embedded/translator.h"

namespace bench {
namespace {

constexpr int kCommandTimeoutSeconds = 600;

using Clock = std::chrono::steady_clock;

// User and system time of the process so far.
double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Wall and processor time from its creation to Stop.
class Stopwatch {
  public:
    void Stop(ReplayResult& result) const {
        result.seconds = std::chrono::duration<double>(Clock::now() - wall_).count();
        result.cpuSeconds = CpuSeconds() - cpu_;
    }

  private:
    Clock::time_point wall_ = Clock::now();
    double cpu_ = CpuSeconds();
};

struct CloseDatabase {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Database = std::unique_ptr<sqlite3, CloseDatabase>;

struct FinalizeStatement {
    void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};
using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

[[noreturn]] void Fail(sqlite3* db, const std::string& sql) {
    throw std::runtime_error(std::string(sqlite3_errmsg(db)) + " in: " + sql);
}

Database OpenPlain(const std::filesystem::path& file) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    Database db(raw);
    if (rc != SQLITE_OK) Fail(raw, "open " + file.string());
    return db;
}

void Exec(sqlite3* db, const std::string& sql) {
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) Fail(db, sql);
}

std::unique_ptr<db::Session> OpenSession(const std::filesystem::path& file, bool create) {
    db::embedded::OpenOptions options;
    options.dialect = db::Dialect::Jet;
    options.create = create;
    return db::embedded::Open(file, options);
}

}  // namespace

void BuildDatabase(const std::filesystem::path& file, const std::string& tableSql,
                   const std::vector<std::string>& seed) {
    std::unique_ptr<db::Session> session = OpenSession(file, true);
    session->Execute(tableSql, kCommandTimeoutSeconds);
    session->BeginTransaction(0);
    for (const std::string& text : seed) session->Execute(text, kCommandTimeoutSeconds);
    session->CommitTransaction();
}

std::vector<std::string> TranslateTrace(const std::vector<std::string>& texts) {
    std::vector<std::string> out;
    out.reserve(texts.size());
    for (const std::string& text : texts) {
        const db::embedded::Program program = db::embedded::Translate(text, db::Dialect::Jet);
        using Kind = db::embedded::Step::Kind;
        if (program.steps.size() != 1 ||
            (program.steps[0].kind != Kind::Sql && program.steps[0].kind != Kind::Insert)) {
            throw std::runtime_error("not one plain statement: " + text);
        }
        out.push_back(program.steps[0].sql);
    }
    return out;
}

ReplayResult ReplayEngine(const std::filesystem::path& file,
                          const std::vector<std::string>& texts) {
    std::unique_ptr<db::Session> session = OpenSession(file, false);
    ReplayResult result;
    std::vector<util::Variant> row;
    const Stopwatch stopwatch;
    for (const std::string& text : texts) {
        try {
            db::ExecOutcome outcome = session->Execute(text, kCommandTimeoutSeconds);
            if (!outcome.rows) continue;
            while (outcome.rows->Next(row)) ++result.rowsRead;
        } catch (const db::DbError& e) {
            throw std::runtime_error(e.Description() + " in: " + text);
        }
    }
    stopwatch.Stop(result);
    return result;
}

ReplayResult ReplaySqlite(const std::filesystem::path& file,
                          const std::vector<std::string>& sqliteTexts) {
    Database db = OpenPlain(file);
    Exec(db.get(), "PRAGMA journal_mode=WAL");
    Exec(db.get(), "PRAGMA synchronous=NORMAL");
    ReplayResult result;
    const Stopwatch stopwatch;
    for (const std::string& sql : sqliteTexts) {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(db.get(), sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) {
            Fail(db.get(), sql);
        }
        Statement stmt(raw);
        int rc;
        while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
            // Read every value, as a caller of the engine gets every value of a row.
            for (int i = 0; i < sqlite3_column_count(stmt.get()); ++i) {
                sqlite3_column_text(stmt.get(), i);
            }
            ++result.rowsRead;
        }
        if (rc != SQLITE_DONE) Fail(db.get(), sql);
    }
    stopwatch.Stop(result);
    return result;
}

std::string Fingerprint(const std::filesystem::path& file) {
    Database db = OpenPlain(file);
    const std::string sql =
        "SELECT count(*), total(\"수량\"), total(length(\"상품명\")), "
        "total(length(\"UP_DATE\")), total(\"단가\") FROM \"재고\"";
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db.get(), sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) {
        Fail(db.get(), sql);
    }
    Statement stmt(raw);
    if (sqlite3_step(stmt.get()) != SQLITE_ROW) Fail(db.get(), sql);
    std::string out;
    for (int i = 0; i < sqlite3_column_count(stmt.get()); ++i) {
        if (i > 0) out += "/";
        out += reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), i));
    }
    return out;
}

}  // namespace bench
