#include "db/embedded/engine_trace.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

namespace db::embedded {
namespace {

struct TraceFile {
    std::FILE* file = nullptr;
    std::mutex mutex;

    TraceFile() {
        const char* name = std::getenv(std::string(kEngineTraceVariable).c_str());
        if (name != nullptr && *name != '\0') file = std::fopen(name, "ab");
    }
    ~TraceFile() {
        if (file != nullptr) std::fclose(file);
    }
};

TraceFile& Trace() {
    static TraceFile trace;
    return trace;
}

struct Stats {
    std::string file;
    std::atomic<long long> statements{0};
    std::atomic<long long> prepareNanoseconds{0};
    std::atomic<long long> runNanoseconds{0};

    Stats() {
        const char* name = std::getenv(std::string(kEngineStatsVariable).c_str());
        if (name != nullptr) file = name;
    }
    ~Stats() {
        if (file.empty()) return;
        if (std::FILE* out = std::fopen(file.c_str(), "w")) {
            std::fprintf(out, "statements %lld\nprepare_seconds %.6f\nstep_seconds %.6f\n",
                         statements.load(), static_cast<double>(prepareNanoseconds.load()) / 1e9,
                         static_cast<double>(runNanoseconds.load()) / 1e9);
            std::fclose(out);
        }
    }
};

Stats& TheStats() {
    static Stats stats;
    return stats;
}

// Tracing never stops a statement, and nothing thrown may cross back into SQLite.
int OnStatement(unsigned kind, void*, void* p, void* x) noexcept try {
    if (kind == SQLITE_TRACE_PROFILE) {
        TheStats().runNanoseconds += static_cast<long long>(*static_cast<sqlite3_int64*>(x));
        return 0;
    }
    if (kind != SQLITE_TRACE_STMT) return 0;
    const char* unexpanded = static_cast<const char*>(x);
    // A trigger's statements arrive as "-- TRIGGER name" comments.
    if (unexpanded != nullptr && unexpanded[0] == '-' && unexpanded[1] == '-') return 0;
    ++TheStats().statements;
    if (Trace().file == nullptr) return 0;
    auto* stmt = static_cast<sqlite3_stmt*>(p);
    char* expanded = sqlite3_expanded_sql(stmt);
    const char* sql = expanded != nullptr ? expanded : unexpanded;
    const char* file = sqlite3_db_filename(sqlite3_db_handle(stmt), "main");
    TraceFile& trace = Trace();
    if (sql != nullptr) {
        const std::string_view text(sql);
        std::lock_guard lock(trace.mutex);
        std::fprintf(trace.file, "%s\t%zu\n", file != nullptr ? file : "", text.size());
        std::fwrite(text.data(), 1, text.size(), trace.file);
        std::fputc('\n', trace.file);
    }
    sqlite3_free(expanded);
    return 0;
} catch (...) {
    return 0;
}

}  // namespace

void AttachEngineTrace(sqlite3* db) {
    const bool stats = EngineStatsOn();
    if (Trace().file == nullptr && !stats) return;
    sqlite3_trace_v2(db, SQLITE_TRACE_STMT | (stats ? SQLITE_TRACE_PROFILE : 0), OnStatement,
                     nullptr);
}

bool EngineStatsOn() {
    return !TheStats().file.empty();
}

void CountPrepare(double seconds) {
    TheStats().prepareNanoseconds += static_cast<long long>(seconds * 1e9);
}

}  // namespace db::embedded
