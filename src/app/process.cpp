#include "app/process.h"

#include <algorithm>

#include "app/frm_db_patch_main.h"
#include "app/version.h"
#include "host/host.h"
#include "host/instance_lock.h"

namespace app {

std::string BuildVersionText(int major, int minor, int revision) {
    return "하로나 DataPatchProgram Ver" + std::to_string(major) + "." + std::to_string(minor) +
           "." + std::to_string(revision);
}

Process::Process(host::Host& host, host::Desktop& desktop, config::Access access)
    : Runtime(host, desktop, access) {
    VersionText = BuildVersionText(kVersionMajor, kVersionMinor, kVersionRevision);
    // A shorter wait for other programs' writes holds for start-up's copy of the settings too.
    if (const std::optional<int> wait = host::LockWaitFromEnvironment()) {
        MirrorWaitSeconds = std::min(*wait, MirrorWaitSeconds);
    }
}

// The window goes before the runtime values it refers to.
Process::~Process() {
    mainForm_.reset();
}

bool Process::AcquireInstanceLock() {
    if (!instanceLock_) instanceLock_ = std::make_unique<host::SingleInstanceLock>(Host().Root());
    return instanceLock_->TryAcquire(Host().Preview()) || !instanceLock_->LastError().empty();
}

frmDBPatchMain& Process::ShowMainWindow() {
    if (!mainForm_) {
        mainForm_ = std::make_unique<frmDBPatchMain>(*this);
        mainForm_->Form_Load();
    }
    return *mainForm_;
}

void Process::UnloadMainWindow() {
    if (!mainForm_) return;
    mainForm_->Form_QueryUnload();
    mainForm_.reset();
}

}  // namespace app
