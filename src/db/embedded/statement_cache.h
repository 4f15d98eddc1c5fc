#pragma once
// Prepared statements of one connection, kept for reuse by their SQLite text. A statement is
// leased while it runs (a row cursor may hold it long), and goes back to the cache when the lease
// ends; when the cache is gone by then, the statement is finalized.
#include <memory>
#include <string>

#include "db/embedded/lru_cache.h"
#include "db/embedded/sqlite_handle.h"

namespace db::embedded {

class StatementCache;

class StatementLease {
  public:
    StatementLease(std::weak_ptr<StatementCache> cache, std::string sql, StatementHandle stmt);
    ~StatementLease();
    StatementLease(StatementLease&&) noexcept = default;
    StatementLease& operator=(StatementLease&&) = delete;

    sqlite3_stmt* get() const { return stmt_.get(); }

  private:
    std::weak_ptr<StatementCache> cache_;
    std::string sql_;
    StatementHandle stmt_;
};

class StatementCache : public std::enable_shared_from_this<StatementCache> {
  public:
    // db must outlive the cache.
    StatementCache(sqlite3* db, std::size_t capacity) : db_(db), statements_(capacity) {}

    // The statement of sql, prepared now or taken from the cache. Throws DbError when SQLite
    // cannot prepare it. A statement not to keep (a text that is likely never run again) is
    // prepared now and finalized when its lease ends, sparing the cache the bookkeeping.
    StatementLease Lease(const std::string& sql, bool keep = true);
    // Resets stmt and keeps it for the next lease of sql.
    void Return(const std::string& sql, StatementHandle stmt);
    std::size_t Size() const { return statements_.Size(); }

  private:
    sqlite3* db_;
    LruCache<StatementHandle> statements_;
};

}  // namespace db::embedded
