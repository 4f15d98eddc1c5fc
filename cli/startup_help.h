#pragma once
// When start-up ends, the program's message box says what went wrong in the store software's
// words. For someone at a terminal this says, on standard error, which file or setting was looked
// at and what to do about it.
#include <iosfwd>
#include <string>

#include "app/main_sequence.h"

namespace app {
class Process;
}

namespace cli {

// The explanation of how start-up ended (path looked at, the engine's own reason, the fix); empty
// for Ready and for ends that have nothing to add.
std::string StartupProblem(app::Process& process, app::StartupOutcome outcome);

// Writes StartupProblem as "datapatch: …" lines to `err` when there is one.
void ExplainStartupEnd(app::Process& process, app::StartupOutcome outcome, std::ostream& err);

}  // namespace cli
