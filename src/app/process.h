#pragma once
// The process-wide values of the program: release date, version texts, store code, the shared
// utility object and, as the layers above arrive, the connections and windows. One Process is
// created by the entry point (or by a test) and passed by reference; nothing here is global.
#include <memory>
#include <string>

namespace host {
class Host;
}
#include "util/kro_function.h"

namespace app {

// "하로나 DataPatchProgram Ver" + major.minor.revision, each in decimal without leading zeros.
std::string BuildVersionText(int major, int minor, int revision);

class Process {
  public:
    explicit Process(host::Host& host);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    host::Host& Host() { return host_; }

    std::string PatchReleaseDate = "20201221";
    std::string VersionText;
    std::string PatchVersionTag = "UpDate";
    std::string StoreCode = "0001";
    bool NewConfigFlag = true;

    // Created on first use; ReleaseUtilities drops it and the next use creates a new one.
    util::Kro_Function& Utilities();
    void ReleaseUtilities();

  private:
    host::Host& host_;
    util::KroFunctionState utilityState_;  // network-drive letter and current folder
    std::unique_ptr<util::Kro_Function> utilities_;
};

}  // namespace app
