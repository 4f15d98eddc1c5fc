#pragma once
// What a catalogue run reads and keeps besides its own locals: the process values, the pass
// (target and database kind), the DAO handle of the pass and its scratch table definition, the
// patch history and the window-wide retry flag. The main window owns one for its whole life and
// sets the pass values before each run; the runner never clears ItemRetryDone.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "db/dao.h"

namespace config {
class Runtime;
}
namespace history {
class clsPatch_Hist;
}

namespace patch {

// One decision of the error rules: the running step's mark (0 for the closing actions), the
// mark of the last finished step, the rule that matched (1 to 10; 10 ends the run) and the error.
struct RuleEvent {
    int mark = 0;
    int stepMark = 0;
    int rule = 0;
    std::int32_t number = 0;
    std::string description;
};

struct RunContext {
    explicit RunContext(config::Runtime& process);
    ~RunContext();
    RunContext(const RunContext&) = delete;
    RunContext& operator=(const RunContext&) = delete;

    config::Runtime& runtime;

    // 0 the store database, 1 the "데이터1" database.
    std::int16_t PatchTarget = 0;
    // Kind of the pass's database: 0 MDB file, 1 SQL Server.
    std::int16_t RunDbKind = 0;
    // The pass's database opened a second time for table definitions; may be empty.
    std::unique_ptr<db::DaoDatabase> DaoDatabase;
    // The table definition that the last DAO probe looked up.
    db::DaoTableDefRef DaoTableDef;
    // Set once an error rule has retried a missing collection item; lasts as long as the window.
    bool ItemRetryDone = false;
    // Told every decision of the error rules, when set (reports, traces).
    std::function<void(const RuleEvent&)> OnRule;
    // How long a step waits for another program that holds the database's write lock.
    int LockWaitSeconds = 30;
    // Set when the last run ended because another program held the database for longer.
    bool EndedByLockConflict = false;
    // Asked before each step; true ends the run there, with every finished step kept (each
    // step commits on its own, and the next run picks up where this one stopped).
    std::function<bool()> StopRequested;
    // Set when the last run ended because StopRequested said so.
    bool EndedByStop = false;

    // The patch history, created on first use.
    history::clsPatch_Hist& History();

  private:
    std::unique_ptr<history::clsPatch_Hist> history_;
};

// True when the configuration names SQL Server as the store database's kind (데이터_종류 1);
// it chooses the text of every dialect pair, whatever the pass.
bool SqlServerConfigured(RunContext& context);

}  // namespace patch
