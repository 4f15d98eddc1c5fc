#pragma once
// The models of the two small dialogs that tell the user something long is going on: the wait
// window frmMsg and the progress window frm02Msg, with the stop flag they set. The logic changes
// the models and yields through the Desktop port; the window layer draws them (at each yield).
// The process owns one Dialogs; a window exists between its load (first use) and its unload.
#include <memory>
#include <string>
#include <string_view>

#include "util/progress_strip.h"

namespace host {
class Desktop;
}

namespace util {

class Dialogs;

// Key codes as the window system reports them.
namespace KeyCode {
inline constexpr int kPause = 19, kEscape = 27, kHome = 36;
}

// The wait window: an animated picture and one line of text.
class frmMsg {
  public:
    std::string panMsg;
    bool cmd취소Visible = true;

    bool Shown() const { return shown_; }
    void Show() { shown_ = true; }  // modeless
    void KeyDown(int keyCode);
    void cmd취소_Click();

  private:
    friend class Dialogs;
    explicit frmMsg(Dialogs& owner) : owner_(owner) {}
    Dialogs& owner_;
    bool shown_ = false;
};

// The progress window: text, the progress strip PbSub, an additional line and a cancel button.
class frm02Msg {
  public:
    std::string panMsg;
    ProgressStrip PbSub;
    bool PbSubVisible = true;
    bool cmd취소Visible = true;
    std::string lab추가설명;
    bool Cancelled = false;  // set with the stop flag by the Pause key
    // The rows of the last step drawn into the strip, for a front end that shows them otherwise.
    int stepTotal = 0;
    int stepDone = 0;

    bool Shown() const { return shown_; }
    void Show() { shown_ = true; }  // modeless, brought to the front
    void KeyDown(int keyCode);
    void cmd취소_KeyDown(int keyCode);
    void cmd취소_Click();

  private:
    friend class Dialogs;
    explicit frm02Msg(Dialogs& owner) : owner_(owner) {}
    Dialogs& owner_;
    bool shown_ = false;
};

class Dialogs {
  public:
    explicit Dialogs(host::Desktop& desktop);
    ~Dialogs();
    Dialogs(const Dialogs&) = delete;
    Dialogs& operator=(const Dialogs&) = delete;

    // Set by the dialogs' cancel button and keys, cleared when the progress window is shown;
    // long-running routines read it.
    bool StopRequested = false;

    // The window, loaded on first use (the screen's pointer becomes the hourglass).
    frmMsg& MessageWindow();
    frm02Msg& ProgressWindow();
    // The window when loaded, else null.
    frmMsg* LoadedMessageWindow() { return message_.get(); }
    frm02Msg* LoadedProgressWindow() { return progress_.get(); }
    // Loads the wait window if needed, puts the text into panMsg and shows it modelessly.
    frmMsg& ShowMessageWindow(std::string_view text);
    // Unloads the window (the pointer returns to the default); nothing when not loaded.
    void UnloadMessageWindow();
    void UnloadProgressWindow();

    // Drives the progress window: mode 0 shows it with `text` (strip and cancel button unless
    // hidden) and clears StopRequested; 1 draws the strip for `done` of `total` rows, changing
    // a non-empty `text` into "[ text ]"; 2 unloads it; other modes do nothing. Every mode ends
    // with one yield to the window system. Never throws.
    void ProgressDialog(int mode, int total, int done, std::string& text, bool hideStrip = false,
                        bool hideCancel = false);

    host::Desktop& Desktop() { return desktop_; }

  private:
    void ProgressStep(int total, int done, std::string& text);

    host::Desktop& desktop_;
    std::unique_ptr<frmMsg> message_;
    std::unique_ptr<frm02Msg> progress_;
};

}  // namespace util
