#pragma once
// Whether a connection has changed a value in its databases: a row added or removed, a value
// updated to another one, or the main database's layout. SQLite's own count of changed rows
// cannot tell that, as it counts every row an UPDATE matched, also one given back the values it
// had (which SQLite then does not even write).
#include <cstdint>

struct sqlite3;

namespace db::embedded {

class ChangeWatch {
  public:
    explicit ChangeWatch(sqlite3* db);
    ~ChangeWatch();
    ChangeWatch(const ChangeWatch&) = delete;
    ChangeWatch& operator=(const ChangeWatch&) = delete;

    // A number that is greater than at the last call when a value or the layout has changed
    // since, and the same otherwise (the first call starts the watch); no two watches give the
    // same marks (a reconnection's never match the connection it replaced). Throws DbError.
    std::int64_t Mark();
    // Called before each statement: once a change has been seen, the rows are no longer looked
    // at until the next Mark, so that the statements after it run as without the watch.
    void BeforeStatement() {
        if (watching_ && changed_) Stop();
    }

  private:
    static void OnRowChange(void* self, sqlite3* db, int op, const char* database,
                            const char* table, long long key, long long newKey);
    void Stop();

    sqlite3* db_;
    bool watching_ = false;
    bool changed_ = false;  // since the last Mark
    std::int64_t changes_;  // starts at the watch's own serial, far from any other's
};

}  // namespace db::embedded
