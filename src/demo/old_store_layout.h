#pragma once
// A store database of an old layout, as a store that last ran the patch program early in 2010
// has it: the tables that the catalogue's first steps, its closing repairs and the patch history
// work on, with a handful of rows of a small pharmacy, and the configuration tables (CONFIGPC,
// 피씨명 and the shared table CONFIG) of the PC that runs the demo. The layout grows with the
// catalogue.
#include <string>
#include <vector>

#include "db/session.h"
#include "demo/config_template.h"

namespace demo {

// The PC code of the demo's PC; it uses the shared table CONFIG.
inline constexpr const char* kDemoPcCode = "0000000001";
// The last patch run recorded in the history: after the migration date, before every date gate.
inline constexpr const char* kDemoLastPatchDate = "20100101";

// The statements that create and fill the product, stock, supplier, permission and history
// tables in the dialect.
std::vector<std::string> OldStoreStatements(db::Dialect dialect);

// The statements that create CONFIGPC, 피씨명 and CONFIG with `rows`, registering the computer
// under kDemoPcCode.
std::vector<std::string> ConfigTableStatements(db::Dialect dialect, const std::string& computerName,
                                               const std::vector<ConfigRow>& rows);

}  // namespace demo
