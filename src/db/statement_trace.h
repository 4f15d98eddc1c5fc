#pragma once
// A tap on the statements sent to the engines: Connection (action statements), RecordSet (queries)
// and the DAO table-definition operations tell it each statement text with the connection string
// it goes to, just before sending it. The router owns one; the entry point sets the observer
// before any connection is opened (a support trace); without one nothing happens. A second
// observer may hear of the statements the engines refused.
#include <functional>
#include <string_view>

#include "db/error.h"

namespace db {

struct TracedStatement {
    std::string_view connectionString;  // as given to the connection, passwords included
    std::string_view sql;               // the exact text sent
    bool query = false;                 // opened as a record set
};

class StatementTrace {
  public:
    using Observer = std::function<void(const TracedStatement&)>;
    // Told each statement the engine refused, with its error, after the refusal.
    using FailureObserver = std::function<void(const TracedStatement&, const DbError&)>;

    void Observe(Observer observer) { observer_ = std::move(observer); }
    void ObserveFailures(FailureObserver observer) { failures_ = std::move(observer); }
    void Notify(const TracedStatement& statement) const {
        if (observer_) observer_(statement);
    }
    void NotifyFailure(const TracedStatement& statement, const DbError& error) const {
        if (failures_) failures_(statement, error);
    }

  private:
    Observer observer_;
    FailureObserver failures_;
};

}  // namespace db
