#pragma once
// The catalogue runner: walks the steps in order against the database installed as
// StoreConnection, puts each error through the ordered error rules, runs the closing repairs and
// reports the outcome. The main window calls it once per pass.
#include "patch/run_context.h"
#include "patch/step.h"

namespace patch {

// ok becomes true when the run reached its end and ran its closing actions (errors absorbed by
// the rules included); false when an error that no rule absorbs, or a failed class-code
// renumbering, stopped it. Errors never leave this function.
void RunPatchCatalogue(RunContext& context, const Catalogue& catalogue, bool& ok);

inline constexpr const char* kDispensingFlagsFixedLine =
    "상품 테이블에 조제약여부가 잘못 기재된 데이터 보정함.";
inline constexpr const char* kStockRecalcText =
    "하로나을 시작하신 후 [재고관리]-[현재고현황] 화면에서 재고재계산을 하시기 바랍니다.";
inline constexpr const char* kStockRecalcTitle = "재고재계산 요함";
inline constexpr const char* kManualRemovalTitle = "수동삭제 요함";
// Listed when the engine gave a step's transaction up and the step runs again without one.
inline constexpr const char* kStepReplayedLine = "(트랜잭션이 취소되어 이 단계를 다시 실행합니다)";

}  // namespace patch
