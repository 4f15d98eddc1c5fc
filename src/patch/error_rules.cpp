#include "patch/error_rules.h"

#include <iterator>

#include "config/runtime.h"
#include "patch/run_context.h"
#include "patch/run_list.h"
#include "patch/run_state.h"

namespace patch {

namespace {

namespace N = db::ErrorNumber;

// Marks of the last finished step under which any error is passed over: the steps after them
// (marks 30, 32 and 33) continue past whatever fails.
bool AfterTolerantStep(int stepMark) {
    return stepMark == 29 || stepMark == 31 || stepMark == 32;
}

// The step that drops 사용상품.SCPCODE runs while the step mark is 1.
constexpr int kScpcodeDropStepMark = 1;

struct Rule {
    bool (*holds)(const RunState&, const db::DbError&);
    Decision (*apply)(RunState&, const db::DbError&);
};

Decision Resume(RunState&, const db::DbError&) {
    return Decision::ResumeNext;
}

Decision NoteManualRemoval(RunState& state, const db::DbError&) {
    if (state.stepMark == kScpcodeDropStepMark) {
        state.manualRemovalText =
            std::string(SqlServerConfigured(state.context) ? "SQL" : "MDB") + kManualRemovalTail;
        AddRunListLine(state.context.runtime, kScpcodeDropFailedLine);
    }
    return Decision::ResumeNext;
}

Decision RetryItemOnce(RunState& state, const db::DbError&) {
    state.context.ItemRetryDone = true;
    return Decision::Retry;
}

Decision CloseProbeAndRetry(RunState& state, const db::DbError&) {
    state.probe.Close();
    ++state.busyRetries;
    return Decision::Retry;
}

Decision ListTimeout(RunState& state, const db::DbError& e) {
    state.context.runtime.MainWindow().AddRunLineUnselected(e.Description());
    return Decision::ResumeNext;
}

Decision End(RunState&, const db::DbError&) {
    return Decision::EndRun;
}

// In order; the first rule that holds decides. The last one always holds.
constexpr Rule kRules[] = {
    /* 1 */ {[](const RunState&, const db::DbError& e) { return e.Number() == N::kTableMissing; },
             Resume},
    /* 2 */
    {[](const RunState& s, const db::DbError&) { return AfterTolerantStep(s.stepMark); }, Resume},
    /* 3 */
    {[](const RunState&, const db::DbError& e) {
         return e.Number() == N::kUnspecified && e.Description() == db::kJetIndexedColumnDrop;
     },
     NoteManualRemoval},
    /* 4 */
    {[](const RunState&, const db::DbError& e) { return e.Number() == N::kSyntax; }, Resume},
    /* 5 */ {[](const RunState& s, const db::DbError&) { return s.ignoreErrors; }, Resume},
    /* 6 */
    {[](const RunState&, const db::DbError& e) { return e.Description() == kWrongOperationText; },
     Resume},
    /* 7 */
    {[](const RunState& s, const db::DbError& e) {
         return e.Number() == N::kItemNotFound && !s.context.ItemRetryDone;
     },
     RetryItemOnce},
    /* 8 */
    {[](const RunState& s, const db::DbError& e) {
         return e.Number() == N::kObjectOpen && s.busyRetries < kMaxBusyRetries;
     },
     CloseProbeAndRetry},
    /* 9 */
    {[](const RunState&, const db::DbError& e) { return e.Number() == N::kTimeout; }, ListTimeout},
    /* 10 */ {[](const RunState&, const db::DbError&) { return true; }, End},
};

}  // namespace

RuleOutcome ApplyErrorRules(RunState& state, const db::DbError& error) {
    for (std::size_t i = 0; i < std::size(kRules); ++i) {
        if (!kRules[i].holds(state, error)) continue;
        const RuleOutcome outcome{static_cast<int>(i) + 1, kRules[i].apply(state, error)};
        if (state.context.OnRule) {
            state.context.OnRule(RuleEvent{state.runningMark, state.stepMark, outcome.rule,
                                           error.Number(), error.Description()});
        }
        return outcome;
    }
    return {};  // not reached: the last rule always holds
}

}  // namespace patch
