#pragma once
// The Desktop port on Qt: message boxes are modal dialogs, a yield processes the pending events
// once (so the windows repaint and their buttons work during a long run), ending the program
// quits the event loop and the hourglass is the application's override cursor.
#include <functional>
#include <string>

#include "host/desktop.h"

class QWidget;

namespace gui {

class QtDesktop : public host::Desktop {
  public:
    explicit QtDesktop(std::string defaultTitle) : defaultTitle_(std::move(defaultTitle)) {}

    host::MsgAnswer MessageBox(std::string_view text, std::string_view title, host::MsgIcon icon,
                               host::MsgButtons buttons) override;
    void DoEvents() override;
    void EndProgram(int exitCode) override;
    void SetMousePointer(host::MousePointer pointer) override;
    host::MousePointer CurrentMousePointer() const override { return pointer_; }

    // Runs before every yield and before every message box: the windows bring themselves up to
    // date with the models the logic has changed.
    void BeforeEvents(std::function<void()> hook) { beforeEvents_ = std::move(hook); }
    // Runs when a message box is about to be shown, with the box; a test answers it from here
    // (with a timer that clicks a button once the box's own event loop runs).
    void OnBox(std::function<void(QWidget& box)> hook) { onBox_ = std::move(hook); }

    bool EndRequested() const { return endRequested_; }
    int ExitCode() const { return exitCode_; }

  private:
    std::string defaultTitle_;
    std::function<void()> beforeEvents_;
    std::function<void(QWidget&)> onBox_;
    host::MousePointer pointer_ = host::MousePointer::Default;
    bool endRequested_ = false;
    int exitCode_ = 0;
};

}  // namespace gui
