#pragma once
// A store database of an old layout, as a pharmacy that last ran the patch program early in 2010
// has it: every table and column that the catalogue steps and their data repairs read or change
// without creating, with the keys and indexes of a working store and the rows of
// a small pharmacy that give each of those steps and repairs some work, plus the configuration
// tables (CONFIGPC, 피씨명 and the shared table CONFIG) of the PC that runs the demo.
//
// The tables that those steps create (PERMISSION_HIST, 약가갱신이력, 폼버튼설정, 상품소분류,
// 상품설명출력, PdtLocation, TB_… and others) are absent. An MDB store also holds the chart and
// receipt tables that the store software's MDB edition makes itself, because the steps that
// create them speak T-SQL only; so do the order, payment, group and calendar tables of later
// releases (간편주문, 예약상품, 계획상품, CubeRefund, 페이페이, 코드마스터_그룹, 유효기간관리,
// 일정관리 and others).
#include <string>
#include <vector>

#include "db/session.h"
#include "demo/config_template.h"

namespace demo {

// The PC code of the demo's PC; it uses the shared table CONFIG.
inline constexpr const char* kDemoPcCode = "0000000001";
// The last patch run recorded in the history: after the migration date, before every date gate.
inline constexpr const char* kDemoLastPatchDate = "20100101";

// The statements that create the store tables of the old layout in the dialect (keys inside
// CREATE TABLE, indexes by CREATE INDEX), then fill them.
std::vector<std::string> OldStoreStatements(db::Dialect dialect);

// The statements that create CONFIGPC, 피씨명 and CONFIG with `rows`, registering the computer
// under kDemoPcCode.
std::vector<std::string> ConfigTableStatements(db::Dialect dialect, const std::string& computerName,
                                               const std::vector<ConfigRow>& rows);

}  // namespace demo
