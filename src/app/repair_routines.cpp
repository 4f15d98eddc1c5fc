#include "app/repair_routines.h"

#include "config/runtime.h"
#include "db/ascii_text.h"
#include "patch/schema_checks.h"
#include "repairs/class_codes.h"
#include "repairs/drug_prices.h"
#include "repairs/fix_dispensing_flags.h"
#include "repairs/fix_order_pack_quantities.h"
#include "repairs/point_history.h"
#include "repairs/product_barcodes.h"
#include "repairs/product_locations.h"
#include "repairs/toolbar_menus.h"
#include "repairs/trading_partners.h"

namespace app {

namespace {

using Routine = void (*)(config::Runtime&);
using CheckedRoutine = bool (*)(config::Runtime&);

// A routine without a result of its own.
std::function<RepairOutcome(config::Runtime&)> Plain(Routine routine) {
    return [routine](config::Runtime& runtime) {
        routine(runtime);
        return RepairOutcome{};
    };
}

// A routine that reports its own errors and answers whether it went through.
std::function<RepairOutcome(config::Runtime&)> Checked(CheckedRoutine routine,
                                                       const char* whenStopped) {
    return [routine, whenStopped](config::Runtime& runtime) {
        const bool completed = routine(runtime);
        return RepairOutcome{completed, completed ? "" : whenStopped};
    };
}

constexpr const char* kEndedByError = "ended by an error";

// A routine that counts the rows it changed.
template <class Counting>
std::function<RepairOutcome(config::Runtime&)> Counted(Counting routine) {
    return [routine](config::Runtime& runtime) {
        const auto changed = routine(runtime);
        return RepairOutcome{true, std::to_string(changed) + " rows changed"};
    };
}

std::vector<RepairRoutine> MakeRoutines() {
    return {
        {"SetPackageBarcodePrimaryKey",
         "give duplicated package barcode codes new codes and key 확장바코드 by 바코드코드",
         Checked(repairs::SetPackageBarcodePrimaryKey,
                 "a product holds one code twice: the key is not set")},
        {"ClearDeletedSupplierRefs", "empty product supplier columns that name deleted partners",
         Plain(repairs::ClearDeletedSupplierRefs)},
        {"RenameToolbarMenus", "give five toolbar buttons their current names",
         Plain(repairs::RenameToolbarMenus)},
        {"ClearPackageMemos", "empty the memo of every package barcode",
         Plain(repairs::ClearPackageMemos)},
        {"InsertPrescriptionMenu", "insert the 처방조제 toolbar button and a separator",
         Plain(repairs::InsertPrescriptionMenu)},
        {"TrimInsuranceSpec", "trim 심평원규격 of live products",
         Plain(repairs::TrimInsuranceSpec)},
        {"MoveAreaCodes", "fold partners' area codes into their telephone numbers",
         [](config::Runtime& runtime) {
             const bool hadWork = repairs::MoveAreaCodes(runtime, true);
             return RepairOutcome{true, hadWork ? "area codes moved" : "no area codes to move"};
         }},
        {"TrimProductTexts", "trim names, makers and barcodes of products and package barcodes",
         Checked(repairs::TrimProductTexts, kEndedByError)},
        {"RenumberProductClassCodes", "widen classification codes to four characters",
         [](config::Runtime& runtime) {
             const bool ok = repairs::RenumberProductClassCodes(runtime);
             return RepairOutcome{ok, ok ? "" : "the codes are partly converted"};
         },
         "renumber-classes"},
        {"BuildProductLocations", "store the first location of each product in PdtLocation",
         Checked(repairs::BuildProductLocations, kEndedByError)},
        {"NumberPointHistory", "number the rows of each reward-point transaction",
         Plain(repairs::NumberPointHistory)},
        {"ActionSimStandardCodeCreate", "fill 사용상품.표준코드 from SimStdCd.MDB",
         [](config::Runtime& runtime) {
             const bool columnExists =
                 patch::FieldExists(runtime.StoreConnection, "사용상품", "표준코드");
             const bool completed = repairs::ActionSimStandardCodeCreate(runtime, columnExists);
             return RepairOutcome{completed, completed ? "" : kEndedByError};
         }},
        {"RefreshDrugPrices", "rewrite prescription drugs from the central reference prices",
         [](config::Runtime& runtime) {
             const std::string result = repairs::RefreshDrugPrices(runtime);
             return RepairOutcome{!result.empty(), result.empty() ? "ended early" : result};
         },
         "drug-prices"},
        {"RebuildProductLocations", "rebuild PdtLocation with every location of each product",
         Checked(repairs::RebuildProductLocations, kEndedByError), "rebuild-locations"},
        {"ActionUserTesselSetting2", "classify unclassified products into margin-rate classes",
         Checked(repairs::ActionUserTesselSetting2, kEndedByError), "margin-classes"},
        {"FixDispensingFlags", "correct 조제약여부 values other than 0, 1 and 2",
         Counted(repairs::FixDispensingFlags)},
        {"FixOrderPackQuantities", "correct package quantities of order voucher lines",
         Counted(repairs::FixOrderPackQuantities)},
    };
}

}  // namespace

const std::vector<RepairRoutine>& RepairRoutines() {
    static const std::vector<RepairRoutine> routines = MakeRoutines();
    return routines;
}

const RepairRoutine* FindRepairRoutine(std::string_view name) {
    for (const RepairRoutine& routine : RepairRoutines()) {
        if (db::EqualsNoCase(routine.name, name) ||
            (*routine.button && db::EqualsNoCase(routine.button, name))) {
            return &routine;
        }
    }
    return nullptr;
}

}  // namespace app
