#include "app/process.h"

#include "app/version.h"
#include "host/host.h"

namespace app {

std::string BuildVersionText(int major, int minor, int revision) {
    return "하로나 DataPatchProgram Ver" + std::to_string(major) + "." + std::to_string(minor) +
           "." + std::to_string(revision);
}

Process::Process(host::Host& host)
    : VersionText(BuildVersionText(kVersionMajor, kVersionMinor, kVersionRevision)), host_(host) {}

Process::~Process() = default;

util::Kro_Function& Process::Utilities() {
    if (!utilities_) {
        util::KroFunctionOptions options;
        options.state = &utilityState_;
        utilities_ = std::make_unique<util::Kro_Function>(host_, std::move(options));
    }
    return *utilities_;
}

void Process::ReleaseUtilities() {
    utilities_.reset();
}

}  // namespace app
