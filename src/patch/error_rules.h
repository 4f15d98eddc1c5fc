#pragma once
// The ordered error rules of a catalogue run. Every error raised while the run is in progress
// goes through them; the first rule whose condition holds decides whether the run continues
// with the next instruction, executes the failing one again, or ends at once with false.
#include "db/error.h"

namespace patch {

struct RunState;

enum class Decision { ResumeNext, Retry, EndRun };

struct RuleOutcome {
    int rule = 0;  // 1 to 10
    Decision decision = Decision::EndRun;
};

// Retries of one instruction because the probe was still open; past this the error ends the
// run like any error that no rule absorbs.
inline constexpr int kMaxBusyRetries = 3;

inline constexpr const char* kManualRemovalTail =
    " 데이터의 [사용상품] 테이블의 [SCPCODE] 필드는 수동으로 제거하십시요.";
inline constexpr const char* kScpcodeDropFailedLine = "사용상품 테이블 SCPCODE 필드 제거 실패";
inline constexpr const char* kWrongOperationText = "작업이 잘못되었습니다.";

// Applies the first matching rule (its side effects included) and tells RunContext::OnRule.
RuleOutcome ApplyErrorRules(RunState& state, const db::DbError& error);

}  // namespace patch
