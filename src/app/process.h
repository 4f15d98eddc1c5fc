#pragma once
// The process of the program: the shared runtime values plus what only the front ends use. One
// Process is created by the entry point (or by a test) and passed by reference; nothing here is
// global.
#include <memory>
#include <string>

#include "config/runtime.h"

namespace host {
class SingleInstanceLock;
}

namespace app {

class frmDBPatchMain;

// "하로나 DataPatchProgram Ver" + major.minor.revision, each in decimal without leading zeros.
std::string BuildVersionText(int major, int minor, int revision);

class Process : public config::Runtime {
  public:
    Process(host::Host& host, host::Desktop& desktop,
            config::Access access = config::Access::ReadWrite);
    ~Process() override;

    // Takes the one-running-copy lock of the root for the rest of the process. False when another
    // copy holds it. A lock file that cannot be opened at all does not stop the program: later
    // steps report what is wrong with the root.
    bool AcquireInstanceLock();

    // Creates the main window's logic (window created) and runs its load; the window stays until
    // UnloadMainWindow. Showing it again only returns it.
    frmDBPatchMain& ShowMainWindow();
    // The main window while it is shown, else null.
    frmDBPatchMain* MainForm() { return mainForm_.get(); }
    // Closing the window: its unload releases what it holds and the configuration object, then
    // the window itself goes. Nothing happens when it is not shown.
    void UnloadMainWindow();

  private:
    std::unique_ptr<host::SingleInstanceLock> instanceLock_;
    std::unique_ptr<frmDBPatchMain> mainForm_;
};

}  // namespace app
