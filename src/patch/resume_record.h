#pragma once
// The record of the date-gated blocks that a run has applied before it ended without writing its
// history row (killed, stopped by an error, a failed history write). A date gate opens while the
// last patch date is before its date, and only the history row closes it; a block that is not
// idempotent (a toolbar row inserted) would otherwise be applied again by the next run.
//
// The rows live in their own table of the patched database, PATCH_RESUME, so that neither the
// history's last patch date nor the store software sees them. Each row names the step, the block
// (its place among the step's blocks), the gate's date and the last patch date the run started
// from; a row whose last patch date is not the current one belongs to a run that was followed by
// a finished one, and counts for nothing. The runner writes a row in the transaction of the step
// that applied the block, so that the row and the block's changes stand or fall together.
#include <string>

#include "db/connection.h"

namespace patch {

inline constexpr const char* kResumeTable = "PATCH_RESUME";

struct GateKey {
    int mark = 0;
    int block = 0;          // 0 for the step's first block
    std::string gateDate;   // "YYYYMMDD"
    std::string lastPatch;  // the history's last patch date when the gate opened
};

// True when an interrupted run since the last finished one has applied the block.
// Throws DbError.
bool GateAlreadyPassed(db::ConnectionRef& cn, const GateKey& key);
// Notes that the block was applied, creating the table when it is missing. Throws DbError.
void NoteGatePassed(db::ConnectionRef& cn, const GateKey& key);
// Drops the table once no row of it counts any more (a finished run wrote its history row);
// keeps it otherwise. Throws DbError.
void DropStaleResumeRecord(db::ConnectionRef& cn, const std::string& lastPatch);

}  // namespace patch
