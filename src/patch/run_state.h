#pragma once
// The locals of one catalogue run, shared by the interpreter and its error rules. Lives for one
// call of RunPatchCatalogue.
#include <string>

#include "db/recordset.h"

namespace patch {

struct RunContext;

struct RunState {
    explicit RunState(RunContext& runContext) : context(runContext) {}

    RunContext& context;
    // The record set of every row probe; closed after each probe that completes.
    db::RecordSet probe;
    bool clientCursor = false;  // the probe's cursor location was switched to client side
    bool ignoreErrors = false;  // while the step that rewrites the product columns runs
    std::string manualRemovalText;
    int stepMark = 0;     // mark of the last finished step
    int runningMark = 0;  // mark of the step being run; 0 in the closing actions
    int busyRetries = 0;  // retries of the failing instruction because the probe was open
};

}  // namespace patch
