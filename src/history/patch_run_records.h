#pragma once
// The record of a successful patch run: one PATCH_HIST row dated with the release of this
// program, written through the main window's history object (owned by the caller). A failure to
// write is shown inside clsPatch_Hist::Update; these only tell whether the row was written.
#include <string>

namespace config {
class Runtime;
}

namespace history {

class clsPatch_Hist;

// After a store run: the row goes into the store database, with `remark` as NV_ETC (VersionText
// when it is empty). True when the row was written.
bool RecordPatchRun(config::Runtime& runtime, clsPatch_Hist& History, const std::string& remark);
// After a "데이터1" run: the row goes into the "데이터1" database, with VersionText as NV_ETC.
bool RecordPatchRun(config::Runtime& runtime, clsPatch_Hist& History);

}  // namespace history
