// SQLite declares its hook before a row changes only where it was built with it (Debian's is).
#define SQLITE_ENABLE_PREUPDATE_HOOK 1
#include "db/embedded/change_watch.h"

#include <sqlite3.h>

#include <atomic>
#include <cstring>

#include "db/embedded/sqlite_handle.h"

namespace db::embedded {
namespace {

bool SameValue(sqlite3_value* a, sqlite3_value* b) {
    const int type = sqlite3_value_type(a);
    if (type != sqlite3_value_type(b)) return false;
    switch (type) {
        case SQLITE_NULL:
            return true;
        case SQLITE_INTEGER:
            return sqlite3_value_int64(a) == sqlite3_value_int64(b);
        case SQLITE_FLOAT: {
            const double x = sqlite3_value_double(a);
            const double y = sqlite3_value_double(b);
            return std::memcmp(&x, &y, sizeof x) == 0;
        }
        default: {
            const void* x = sqlite3_value_blob(a);
            const int xn = sqlite3_value_bytes(a);
            const void* y = sqlite3_value_blob(b);
            const int yn = sqlite3_value_bytes(b);
            return xn == yn && (xn == 0 || std::memcmp(x, y, static_cast<std::size_t>(xn)) == 0);
        }
    }
}

}  // namespace

ChangeWatch::ChangeWatch(sqlite3* db) : db_(db) {
    static std::atomic<std::int64_t> watches{0};
    changes_ = ++watches << 40;
}

ChangeWatch::~ChangeWatch() {
    if (watching_) Stop();
}

std::int64_t ChangeWatch::Mark() {
    if (changed_) {
        ++changes_;
        changed_ = false;
    }
    if (!watching_) {
        sqlite3_preupdate_hook(db_, &ChangeWatch::OnRowChange, this);
        watching_ = true;
    }
    std::int64_t layout = 0;
    QueryRows(db_, "PRAGMA main.schema_version", {},
              [&](sqlite3_stmt* s) { layout = sqlite3_column_int64(s, 0); });
    return changes_ + layout;
}

void ChangeWatch::Stop() {
    sqlite3_preupdate_hook(db_, nullptr, nullptr);
    watching_ = false;
}

void ChangeWatch::OnRowChange(void* self, sqlite3* db, int op, const char* database,
                              const char* /*table*/, long long key, long long newKey) {
    ChangeWatch& watch = *static_cast<ChangeWatch*>(self);
    // The connection's own temporary objects (its catalogue views) are no change of a database.
    if (watch.changed_ || std::strcmp(database, "temp") == 0) return;
    if (op != SQLITE_UPDATE || key != newKey) {
        watch.changed_ = true;
        return;
    }
    const int columns = sqlite3_preupdate_count(db);
    for (int i = 0; i < columns; ++i) {
        sqlite3_value* before = nullptr;
        sqlite3_value* after = nullptr;
        if (sqlite3_preupdate_old(db, i, &before) != SQLITE_OK ||
            sqlite3_preupdate_new(db, i, &after) != SQLITE_OK || !SameValue(before, after)) {
            watch.changed_ = true;
            return;
        }
    }
}

}  // namespace db::embedded
