#pragma once
// The desktop program from start-up to the main window: the Qt desktop for the process, the
// dialog windows that follow the dialog models, start-up as the command line does it, and the
// main window once start-up has shown it. The entry point and the window tests use it alike.
#include <memory>

#include "app/main_sequence.h"

namespace host {
class Host;
}
namespace app {
class Process;
}

namespace gui {

class DialogViews;
class MainWindowView;
class QtDesktop;

class GuiSession {
  public:
    // Needs a QApplication. Nothing starts before Start().
    explicit GuiSession(host::Host& host);
    ~GuiSession();

    // Start-up; on Ready the main window is shown, centred on the screen.
    app::StartupResult Start();

    QtDesktop& Desktop() { return *desktop_; }
    app::Process& Process() { return *process_; }
    DialogViews& Dialogs() { return *dialogs_; }
    // The main window, or null when start-up ended.
    MainWindowView* Window() { return window_.get(); }

  private:
    std::unique_ptr<QtDesktop> desktop_;
    std::unique_ptr<app::Process> process_;
    std::unique_ptr<DialogViews> dialogs_;
    std::unique_ptr<MainWindowView> window_;
};

// Uses a Korean font from the system's fonts for every window, when one is installed.
void UseKoreanFont();

}  // namespace gui
