#pragma once
// A tap on the statements sent to the engines: Connection (action statements), RecordSet (queries)
// and the DAO table-definition operations tell it each statement text with the connection string
// it goes to, just before sending it. The router owns one; the entry point sets the observer
// before any connection is opened (a support trace); without one nothing happens.
#include <functional>
#include <string_view>

namespace db {

struct TracedStatement {
    std::string_view connectionString;  // as given to the connection, passwords included
    std::string_view sql;               // the exact text sent
    bool query = false;                 // opened as a record set
};

class StatementTrace {
  public:
    using Observer = std::function<void(const TracedStatement&)>;

    void Observe(Observer observer) { observer_ = std::move(observer); }
    void Notify(const TracedStatement& statement) const {
        if (observer_) observer_(statement);
    }

  private:
    Observer observer_;
};

}  // namespace db
