#include "patch/run_catalogue.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <variant>

#include "config/runtime.h"
#include "history/cls_patch_hist.h"
#include "host/desktop.h"
#include "patch/dao_steps.h"
#include "patch/error_rules.h"
#include "patch/resume_record.h"
#include "patch/run_list.h"
#include "patch/run_state.h"
#include "patch/schema_checks.h"
#include "repairs/fix_dispensing_flags.h"
#include "repairs/fix_order_pack_quantities.h"
#include "repairs/require.h"
#include "util/kro_function.h"

namespace patch {

namespace {

constexpr int kLastMark = 127;
// The step that rewrites the product columns runs with every error passed over.
constexpr int kIgnoreErrorsMark = 11;
// From this step on the probe uses a client-side cursor.
constexpr int kClientCursorMark = 19;
constexpr int kClientSideCursor = 3;
constexpr int kReadOnly = 1;
// The error rule that ends the run, as reported for a step that could not be saved.
constexpr int kEndRunRule = 10;

template <class... Fs>
struct Overloaded : Fs... {
    using Fs::operator()...;
};

// Replay: the engine gave the step's transaction up; the step runs again from its start.
enum class Flow { Next, Stop, Replay };

// The transaction that makes one step (with its follow-up routines) or one closing repair take
// effect whole or not at all, on the pass's connection. An engine that refuses transactions, or
// a connection already inside one, runs the work statement by statement instead.
class StepTransaction {
  public:
    StepTransaction(db::ConnectionRef connection, int lockWaitSeconds)
        : cn_(std::move(connection)) {
        if (!cn_ || cn_->State() != db::ObjectState::Open || cn_->InTransaction()) return;
        try {
            cn_->LockWaitSeconds = lockWaitSeconds;
            cn_->BeginTrans();
            open_ = true;
        } catch (const db::DbError& e) {
            // Another program holds the database: the work must not run at all. Otherwise
            // there are no transactions here, and the work runs as it comes.
            if (e.LockConflict()) refusal_ = e;
        }
    }
    ~StepTransaction() { Rollback(); }
    StepTransaction(const StepTransaction&) = delete;
    StepTransaction& operator=(const StepTransaction&) = delete;

    bool Open() const { return open_; }
    // The lock conflict that kept the transaction from starting, if one did.
    const std::optional<db::DbError>& Refusal() const { return refusal_; }
    // The engine gave the transaction up, or the pass's connection was replaced under it (a
    // lost link reconnected): what follows would no longer run inside it.
    bool Lost(const db::ConnectionRef& current) const {
        return open_ && (current != cn_ || !cn_->TransactionAlive());
    }
    void Rollback() {
        if (!open_) return;
        open_ = false;
        try {
            cn_->RollbackTrans();
        } catch (const db::DbError&) {
            // The engine has ended it already.
        }
    }
    // Throws DbError when the work could not be saved; it is undone then.
    void Commit() {
        if (!open_) return;
        open_ = false;
        cn_->CommitTrans();
    }

  private:
    db::ConnectionRef cn_;
    bool open_ = false;
    std::optional<db::DbError> refusal_;
};

class Runner {
  public:
    explicit Runner(RunContext& context) : s_(context) {}

    bool Run(const Catalogue& catalogue) {
        Context().EndedByLockConflict = false;
        Context().EndedByStop = false;
        auto& window = Process().MainWindow();
        window.pg1.max = kLastMark;
        window.SetStep(0);
        for (const Step& step : catalogue) {
            if (Context().StopRequested && Context().StopRequested()) {
                Context().EndedByStop = true;
                return false;
            }
            if (RunStep(step) == Flow::Stop) return false;
        }
        return CloseRun();
    }

  private:
    RunContext& Context() { return s_.context; }
    config::Runtime& Process() { return s_.context.runtime; }

    // Runs one instruction under the error rules: on "resume next" the caller goes on with the
    // following instruction, on "retry" the instruction runs again here. Replay when the
    // instruction cost the step its transaction.
    Flow Guarded(const std::function<void()>& instruction) {
        s_.busyRetries = 0;
        for (;;) {
            Flow flow = Flow::Next;
            try {
                instruction();
            } catch (const db::DbError& e) {
                if (e.LockConflict()) return StopForLock(e);
                switch (ApplyErrorRules(s_, e).decision) {
                    case Decision::ResumeNext:
                        break;
                    case Decision::Retry:
                        if (TransactionLost()) return Flow::Replay;
                        continue;
                    case Decision::EndRun:
                        flow = Flow::Stop;
                        break;
                }
            }
            if (flow == Flow::Next && TransactionLost()) return Flow::Replay;
            return flow;
        }
    }

    // Another program held the database for longer than the run waits: whatever the rules say
    // of the error, the work did not happen, so the run ends (as the last rule would end it)
    // and the step is undone.
    Flow StopForLock(const db::DbError& e) {
        Context().EndedByLockConflict = true;
        return StopAsLastRule(e);
    }

    // Ends the run on an error that no rule may pass over, reported as the rule that ends runs.
    Flow StopAsLastRule(const db::DbError& e) {
        if (Context().OnRule) {
            Context().OnRule(
                RuleEvent{s_.runningMark, s_.stepMark, kEndRunRule, e.Number(), e.Description()});
        }
        return Flow::Stop;
    }

    bool TransactionLost() const {
        return transaction_ != nullptr && transaction_->Lost(s_.context.runtime.StoreConnection);
    }

    // A step applies whole or not at all where the engine has transactions: a step the run
    // stops in leaves nothing behind, and one killed halfway is found undone by the next run.
    // Should the engine give the transaction up halfway (an interrupted statement, an I/O
    // error), its work so far is undone and the step runs once more from its start without one,
    // statement by statement as the error rules expect.
    Flow RunStep(const Step& step) {
        return Whole([&] { return RunStepBlocks(step); });
    }

    // Runs the work in a transaction and commits it; when the transaction was lost, undoes it
    // and runs the work once more without one. Stop or Next.
    Flow Whole(const std::function<Flow()>& work) {
        Flow flow = Flow::Next;
        {
            StepTransaction transaction(Process().StoreConnection, Context().LockWaitSeconds);
            if (transaction.Refusal()) return StopForLock(*transaction.Refusal());
            transaction_ = &transaction;
            flow = work();
            transaction_ = nullptr;
            if (flow == Flow::Next) {
                flow = CommitStep(transaction);
                if (flow != Flow::Replay) return flow;
            }
            transaction.Rollback();
        }
        if (flow == Flow::Replay) {
            AddRunListLine(Process(), kStepReplayedLine);
            flow = work();
        }
        return flow == Flow::Stop ? Flow::Stop : Flow::Next;
    }

    Flow RunStepBlocks(const Step& step) {
        s_.runningMark = step.Mark();
        s_.ignoreErrors = step.Mark() == kIgnoreErrorsMark;
        bool stepOpen = true;
        const auto& blocks = step.Blocks();
        for (std::size_t i = 0; i < blocks.size() && stepOpen; ++i) {
            bool gatesOpen = true;
            const GatePlace place{step.Mark(), static_cast<int>(i)};
            if (const Flow flow = RunBlock(blocks[i], gatesOpen, place); flow != Flow::Next) {
                s_.ignoreErrors = false;
                return flow;
            }
            // The first block's gates are the step's own.
            if (i == 0 && !gatesOpen) stepOpen = false;
        }
        s_.ignoreErrors = false;
        if (stepOpen) {
            s_.stepMark = step.Mark();
            Process().MainWindow().SetStep(step.Mark());
        }
        return Flow::Next;
    }

    // A step whose work cannot be saved ends the run, whatever the rules would say of the error:
    // its changes are gone and the run must not be recorded as done.
    Flow CommitStep(StepTransaction& transaction) {
        if (transaction.Lost(Process().StoreConnection)) {
            // A routine passed over the error that cost the transaction: undo and run again.
            transaction.Rollback();
            return Flow::Replay;
        }
        try {
            transaction.Commit();
            return Flow::Next;
        } catch (const db::DbError& e) {
            return StopAsLastRule(e);
        }
    }

    // Where a block sits, for the record of the date-gated blocks already applied.
    struct GatePlace {
        int mark;
        int block;
    };

    // An error passed over in a gate or a check enters the block, as the statement after a
    // failing condition is the first one of its branch.
    Flow RunBlock(const Block& block, bool& gatesOpen, const GatePlace& place) {
        const Gates& gates = block.gates;
        if (gates.target && Context().PatchTarget != *gates.target) {
            gatesOpen = false;
            return Flow::Next;
        }
        std::optional<GateKey> gateKey;
        if (gates.before) {
            bool open = true;
            std::string lastPatch;
            if (const Flow flow = Guarded([&] {
                    lastPatch = Context().History().LastPatchDate();
                    open = lastPatch < *gates.before;
                });
                flow != Flow::Next) {
                return flow;
            }
            if (!open) {
                gatesOpen = false;
                return Flow::Next;
            }
            gateKey = GateKey{place.mark, place.block, *gates.before, lastPatch};
            // Applied by a run that ended before writing its history: the gate counts as
            // passed, and the block is not applied a second time.
            bool passed = false;
            if (const Flow flow = Guarded(
                    [&] { passed = GateAlreadyPassed(Process().StoreConnection, *gateKey); });
                flow != Flow::Next) {
                return flow;
            }
            if (passed) return Flow::Next;
        }
        if (const Flow flow = RunGatedBlock(block, place); flow != Flow::Next) return flow;
        if (!gateKey) return Flow::Next;
        return Guarded([&] { NoteGatePassed(Process().StoreConnection, *gateKey); });
    }

    Flow RunGatedBlock(const Block& block, const GatePlace& place) {
        bool act = true;
        if (const Flow flow = Guarded([&] { act = Evaluate(block.check); }); flow != Flow::Next) {
            return flow;
        }
        if (!act) return Flow::Next;
        for (const Instruction& instruction : block.actions) {
            if (const Flow flow = RunAction(instruction, place); flow != Flow::Next) return flow;
        }
        return Flow::Next;
    }

    Flow RunAction(const Instruction& instruction, const GatePlace& place) {
        return std::visit(
            Overloaded{
                [&](const action::Line& a) {
                    return Guarded([&] { AddRunListLine(Process(), a.text.Render(Context())); });
                },
                [&](const action::LineFrom& a) {
                    return Guarded([&] { AddRunListLine(Process(), a.routine(Context())); });
                },
                [&](const action::Run& a) { return Guarded([&] { Execute(a.text); }); },
                [&](const action::RunPair& a) {
                    return Guarded(
                        [&] { Execute(SqlServerConfigured(Context()) ? a.sqlServer : a.mdb); });
                },
                [&](const action::Call& a) { return Guarded([&] { a.routine(Context()); }); },
                [&](const action::CallOrStop& a) {
                    // A routine whose error was passed over did not succeed either.
                    bool succeeded = false;
                    const Flow flow = Guarded([&] { succeeded = a.routine(Context()); });
                    if (flow == Flow::Replay) return flow;
                    if (flow == Flow::Stop || !succeeded) {
                        s_.probe.Close();
                        return Flow::Stop;
                    }
                    return Flow::Next;
                },
                [&](const action::Nested& a) {
                    bool gatesOpen = true;
                    return RunBlock(*a.block, gatesOpen, place);
                },
            },
            instruction);
    }

    bool Evaluate(const Check& check) {
        db::ConnectionRef& store = Process().StoreConnection;
        switch (check.kind) {
            case CheckKind::Always:
                return true;
            case CheckKind::ColumnMissing:
                return !FieldExists(store, check.table, check.column);
            case CheckKind::ColumnPresent:
                return FieldExists(store, check.table, check.column);
            case CheckKind::TableMissing:
                return !TableExists(store, check.table);
            case CheckKind::TablePresent:
                return TableExists(store, check.table);
            case CheckKind::NoRow:
                return ProbeAtEnd(check.query);
            case CheckKind::AnyRow:
                return !ProbeAtEnd(check.query);
            case CheckKind::FieldGreater:
            case CheckKind::FieldLess:
                return ProbeCompares(check);
            case CheckKind::RecordCountGreater:
                return ProbeRecordCount(check.query) > check.constant;
            case CheckKind::ColumnSizeIs:
                return DaoColumnSize(Context(), check.table, check.column) == check.constant;
            case CheckKind::RoutineSaysWork:
                return check.routine(Context());
            case CheckKind::SqlServerConfigured:
                return SqlServerConfigured(Context());
            case CheckKind::MdbConfigured:
                return !SqlServerConfigured(Context());
            case CheckKind::RunDbKindMdb:
                return Context().RunDbKind == 0;
            case CheckKind::RunDbKindNotMdb:
                return Context().RunDbKind != 0;
        }
        return true;
    }

    // A probe whose reading fails stays open; the next open then fails with 3705, which the
    // error rules answer by closing it.
    void OpenProbe(const Text& query) {
        if (s_.runningMark >= kClientCursorMark && !s_.clientCursor) {
            if (s_.probe.State() == db::ObjectState::Open) {
                throw db::DbError(db::ErrorNumber::kObjectOpen,
                                  "개체가 열려 있으면 작업이 허용되지 않습니다.",
                                  "ADODB.Recordset");
            }
            s_.probe.CursorLocation = kClientSideCursor;
            s_.clientCursor = true;
        }
        s_.probe.Open(query.Render(Context()), repairs::Require(Process().StoreConnection),
                      db::CursorType::kStatic, kReadOnly);
    }

    bool ProbeAtEnd(const Text& query) {
        OpenProbe(query);
        const bool atEnd = s_.probe.Eof();
        s_.probe.Close();
        return atEnd;
    }

    // The named field of the probe's row through Nz (Null as 0) against the constant; a probe
    // without a row does not act.
    bool ProbeCompares(const Check& check) {
        OpenProbe(check.query);
        if (s_.probe.Eof()) {
            s_.probe.Close();
            return false;
        }
        const double value = util::Kro_Function::Nz(s_.probe[check.field]).AsDouble();
        s_.probe.Close();
        return check.kind == CheckKind::FieldGreater ? value > check.constant
                                                     : value < check.constant;
    }

    std::int64_t ProbeRecordCount(const Text& query) {
        OpenProbe(query);
        const std::int64_t count = s_.probe.RecordCount();
        s_.probe.Close();
        return count;
    }

    void Execute(const Text& text) {
        repairs::Require(Process().StoreConnection).Execute(text.Render(Context()));
    }

    // One closing repair, whole or not at all like a step.
    Flow Closing(const std::function<void()>& repair) {
        return Whole([&] { return Guarded(repair); });
    }

    bool CloseRun() {
        s_.runningMark = 0;
        std::int32_t fixedProducts = 0;
        if (Closing([&] { fixedProducts = repairs::FixDispensingFlags(Process()); }) ==
            Flow::Stop) {
            return false;
        }
        if (fixedProducts > 0) AddRunListLine(Process(), kDispensingFlagsFixedLine);
        std::int32_t fixedLines = 0;
        if (Closing([&] { fixedLines = repairs::FixOrderPackQuantities(Process()); }) ==
            Flow::Stop) {
            return false;
        }
        if (fixedLines > 0) {
            Process().Desktop().Inform(kStockRecalcText, kStockRecalcTitle,
                                       host::MsgIcon::Information);
        }
        s_.probe.Close();
        if (!s_.manualRemovalText.empty()) {
            Process().Desktop().Inform(s_.manualRemovalText, kManualRemovalTitle,
                                       host::MsgIcon::Critical);
        }
        return true;
    }

    RunState s_;
    StepTransaction* transaction_ = nullptr;  // of the step or closing repair running now
};

}  // namespace

void RunPatchCatalogue(RunContext& context, const Catalogue& catalogue, bool& ok) {
    Runner runner(context);
    ok = runner.Run(catalogue);
}

}  // namespace patch
