#include "patch/run_context.h"

#include "config/norv_conn.h"
#include "config/runtime.h"
#include "history/cls_patch_hist.h"

namespace patch {

RunContext::RunContext(config::Runtime& process) : runtime(process) {}

RunContext::~RunContext() = default;

history::clsPatch_Hist& RunContext::History() {
    if (!history_) history_ = std::make_unique<history::clsPatch_Hist>(runtime);
    return *history_;
}

bool SqlServerConfigured(RunContext& context) {
    return context.runtime.Config().데이터_종류 == 1;
}

}  // namespace patch
