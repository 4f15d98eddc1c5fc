#include "db/embedded/engine_trace.h"

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

// Tracing never stops a statement, and nothing thrown may cross back into SQLite.
int OnStatement(unsigned kind, void*, void* p, void* x) noexcept try {
    if (kind != SQLITE_TRACE_STMT) return 0;
    const char* unexpanded = static_cast<const char*>(x);
    // A trigger's statements arrive as "-- TRIGGER name" comments.
    if (unexpanded != nullptr && unexpanded[0] == '-' && unexpanded[1] == '-') return 0;
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
    if (Trace().file == nullptr) return;
    sqlite3_trace_v2(db, SQLITE_TRACE_STMT, OnStatement, nullptr);
}

}  // namespace db::embedded
