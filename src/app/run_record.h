#pragma once
// What one click on the start button did: the passes with their outcome, the run-list and
// message lines the run added, every error the catalogue's rules decided on, and where the run's
// log went. The main window keeps the record of its last run; reports and logs are made from it.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "patch/run_context.h"

namespace app {

struct PassRecord {
    std::int16_t target = 0;      // 0 the store database, 1 "데이터1"
    bool opened = false;          // the pass's DAO connection opened
    bool catalogueOk = false;     // the catalogue reached its end
    bool historyWritten = false;  // then the run's PATCH_HIST row was written
    bool stopped = false;         // the operator ended the run between two steps
    bool backupDropped = false;   // its backup was dropped: no value or table of it changed
    std::string openError;        // when not opened: the engine's reason
};

// A message box shown while the program ran (filled by the front end that shows them).
struct ShownBox {
    std::string title;
    std::string text;
};

struct RunRecord {
    std::chrono::system_clock::time_point started;
    std::chrono::system_clock::time_point ended;
    std::vector<PassRecord> passes;
    std::vector<std::string> runLines;  // added to List1 by the run
    std::vector<std::string> messages;  // added to lv메세지 by the run
    std::vector<patch::RuleEvent> rules;
    std::string logFile;  // Windows path of the run's log; empty when it could not be written
    // By pass target: the Windows path of the backup the pass took first (a preview's: the one
    // it would take); empty when it took none.
    std::string backups[2];

    // Every pass that ran opened its database, reached the end of the catalogue and recorded
    // itself in PATCH_HIST.
    bool Succeeded() const {
        for (const PassRecord& p : passes) {
            if (!p.opened || !p.catalogueOk || !p.historyWritten) return false;
        }
        return true;
    }
};

}  // namespace app
