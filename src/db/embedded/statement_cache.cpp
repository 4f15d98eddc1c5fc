#include "db/embedded/statement_cache.h"

namespace db::embedded {

StatementLease::StatementLease(std::weak_ptr<StatementCache> cache, std::string sql,
                               StatementHandle stmt)
    : cache_(std::move(cache)), sql_(std::move(sql)), stmt_(std::move(stmt)) {}

StatementLease::~StatementLease() {
    if (!stmt_) return;
    if (const std::shared_ptr<StatementCache> cache = cache_.lock()) {
        cache->Return(sql_, std::move(stmt_));
    }
}

StatementLease StatementCache::Lease(const std::string& sql, bool keep) {
    if (!keep) return StatementLease({}, {}, Prepare(db_, sql));
    std::optional<StatementHandle> cached = statements_.Take(sql);
    StatementHandle stmt = cached ? std::move(*cached) : Prepare(db_, sql);
    return StatementLease(weak_from_this(), sql, std::move(stmt));
}

void StatementCache::Return(const std::string& sql, StatementHandle stmt) {
    sqlite3_reset(stmt.get());
    sqlite3_clear_bindings(stmt.get());
    statements_.Put(sql, std::move(stmt));
}

}  // namespace db::embedded
