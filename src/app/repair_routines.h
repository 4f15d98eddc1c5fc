#pragma once
// The data repair routines that support technicians may run one at a time on the configured
// store database (`datapatch repair NAME`), by the names the catalogue knows them under.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace config {
class Runtime;
}

namespace app {

struct RepairOutcome {
    bool succeeded = true;
    std::string detail;  // what the routine reports, e.g. "3 rows changed"; may be empty
};

struct RepairRoutine {
    const char* name;
    const char* summary;
    std::function<RepairOutcome(config::Runtime&)> run;
    // The name of the main window's maintenance button that runs it; empty when none does.
    const char* button = "";
};

// Every routine, in the order the catalogue first uses them.
const std::vector<RepairRoutine>& RepairRoutines();

// The routine of that name or button name, compared without regard to letter case; null when
// there is none.
const RepairRoutine* FindRepairRoutine(std::string_view name);

}  // namespace app
