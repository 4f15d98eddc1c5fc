#include "history/patch_run_records.h"

#include <cstdint>

#include "config/runtime.h"
#include "history/cls_patch_hist.h"

namespace history {
namespace {

constexpr std::int32_t kStoreSection = 0;
constexpr std::int32_t kData1Section = 1;

bool Record(config::Runtime& runtime, clsPatch_Hist& History, const std::string& remark,
            std::int32_t section) {
    History.날짜 = runtime.PatchReleaseDate;
    History.NV_ETC = remark.empty() ? runtime.VersionText : remark;
    History.NV_GUBUN = 1;
    History.NV_Ver = runtime.PatchVersionTag;
    History.작업구분 = 0;  // insert a new row
    History.Update(section);
    return History.LastAction == 0;
}

}  // namespace

bool RecordPatchRun(config::Runtime& runtime, clsPatch_Hist& History, const std::string& remark) {
    return Record(runtime, History, remark, kStoreSection);
}

bool RecordPatchRun(config::Runtime& runtime, clsPatch_Hist& History) {
    return Record(runtime, History, runtime.VersionText, kData1Section);
}

}  // namespace history
