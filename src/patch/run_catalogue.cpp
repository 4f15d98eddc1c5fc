#include "patch/run_catalogue.h"

#include <cstdint>
#include <functional>
#include <variant>

#include "config/runtime.h"
#include "history/cls_patch_hist.h"
#include "host/desktop.h"
#include "patch/dao_steps.h"
#include "patch/error_rules.h"
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

template <class... Fs>
struct Overloaded : Fs... {
    using Fs::operator()...;
};

enum class Flow { Next, Stop };

class Runner {
  public:
    explicit Runner(RunContext& context) : s_(context) {}

    bool Run(const Catalogue& catalogue) {
        auto& window = Process().MainWindow();
        window.pg1.max = kLastMark;
        window.SetStep(0);
        for (const Step& step : catalogue) {
            if (RunStep(step) == Flow::Stop) return false;
        }
        return CloseRun();
    }

  private:
    RunContext& Context() { return s_.context; }
    config::Runtime& Process() { return s_.context.runtime; }

    // Runs one instruction under the error rules: on "resume next" the caller goes on with the
    // following instruction, on "retry" the instruction runs again here.
    Flow Guarded(const std::function<void()>& instruction) {
        s_.busyRetries = 0;
        for (;;) {
            try {
                instruction();
                return Flow::Next;
            } catch (const db::DbError& e) {
                switch (ApplyErrorRules(s_, e).decision) {
                    case Decision::ResumeNext:
                        return Flow::Next;
                    case Decision::Retry:
                        continue;
                    case Decision::EndRun:
                        return Flow::Stop;
                }
            }
        }
    }

    Flow RunStep(const Step& step) {
        s_.runningMark = step.Mark();
        s_.ignoreErrors = step.Mark() == kIgnoreErrorsMark;
        bool stepOpen = true;
        const auto& blocks = step.Blocks();
        for (std::size_t i = 0; i < blocks.size() && stepOpen; ++i) {
            bool gatesOpen = true;
            if (RunBlock(blocks[i], gatesOpen) == Flow::Stop) return Flow::Stop;
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

    // An error passed over in a gate or a check enters the block, as the statement after a
    // failing condition is the first one of its branch.
    Flow RunBlock(const Block& block, bool& gatesOpen) {
        const Gates& gates = block.gates;
        if (gates.target && Context().PatchTarget != *gates.target) {
            gatesOpen = false;
            return Flow::Next;
        }
        if (gates.before) {
            bool open = true;
            if (Guarded([&] { open = Context().History().LastPatchDate() < *gates.before; }) ==
                Flow::Stop) {
                return Flow::Stop;
            }
            if (!open) {
                gatesOpen = false;
                return Flow::Next;
            }
        }
        bool act = true;
        if (Guarded([&] { act = Evaluate(block.check); }) == Flow::Stop) return Flow::Stop;
        if (!act) return Flow::Next;
        for (const Instruction& instruction : block.actions) {
            if (RunAction(instruction) == Flow::Stop) return Flow::Stop;
        }
        return Flow::Next;
    }

    Flow RunAction(const Instruction& instruction) {
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
                    if (Guarded([&] { succeeded = a.routine(Context()); }) == Flow::Stop ||
                        !succeeded) {
                        s_.probe.Close();
                        return Flow::Stop;
                    }
                    return Flow::Next;
                },
                [&](const action::Nested& a) {
                    bool gatesOpen = true;
                    return RunBlock(*a.block, gatesOpen);
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

    bool CloseRun() {
        s_.runningMark = 0;
        std::int32_t fixedProducts = 0;
        if (Guarded([&] { fixedProducts = repairs::FixDispensingFlags(Process()); }) ==
            Flow::Stop) {
            return false;
        }
        if (fixedProducts > 0) AddRunListLine(Process(), kDispensingFlagsFixedLine);
        std::int32_t fixedLines = 0;
        if (Guarded([&] { fixedLines = repairs::FixOrderPackQuantities(Process()); }) ==
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
};

}  // namespace

void RunPatchCatalogue(RunContext& context, const Catalogue& catalogue, bool& ok) {
    Runner runner(context);
    ok = runner.Run(catalogue);
}

}  // namespace patch
