#include "util/dialogs.h"

#include <exception>

#include "host/desktop.h"
#include "util/kro_function.h"

namespace util {

void frmMsg::KeyDown(int keyCode) {
    if (cmd취소Visible && keyCode == KeyCode::kPause) owner_.StopRequested = true;
}

void frmMsg::cmd취소_Click() {
    owner_.StopRequested = true;
}

void frm02Msg::KeyDown(int keyCode) {
    if (keyCode != KeyCode::kPause) return;
    owner_.StopRequested = true;
    Cancelled = true;
}

void frm02Msg::cmd취소_KeyDown(int keyCode) {
    if (!cmd취소Visible) return;
    if (keyCode == KeyCode::kEscape || keyCode == KeyCode::kHome) owner_.StopRequested = true;
}

void frm02Msg::cmd취소_Click() {
    owner_.StopRequested = true;
}

Dialogs::Dialogs(host::Desktop& desktop) : desktop_(desktop) {}

Dialogs::~Dialogs() = default;

frmMsg& Dialogs::MessageWindow() {
    if (!message_) {
        message_.reset(new frmMsg(*this));
        desktop_.SetMousePointer(host::MousePointer::Hourglass);
    }
    return *message_;
}

frm02Msg& Dialogs::ProgressWindow() {
    if (!progress_) {
        progress_.reset(new frm02Msg(*this));
        desktop_.SetMousePointer(host::MousePointer::Hourglass);
        progress_->lab추가설명.clear();
    }
    return *progress_;
}

frmMsg& Dialogs::ShowMessageWindow(std::string_view text) {
    frmMsg& w = MessageWindow();
    w.panMsg = text;
    w.Show();
    return w;
}

void Dialogs::UnloadMessageWindow() {
    if (!message_) return;
    desktop_.SetMousePointer(host::MousePointer::Default);
    message_.reset();
}

void Dialogs::UnloadProgressWindow() {
    if (!progress_) return;
    desktop_.SetMousePointer(host::MousePointer::Default);
    progress_.reset();
}

void Dialogs::ProgressDialog(int mode, int total, int done, std::string& text, bool hideStrip,
                             bool hideCancel) {
    try {
        switch (mode) {
            case 0: {
                frm02Msg& w = ProgressWindow();
                w.panMsg = text;
                w.PbSubVisible = !hideStrip;
                w.cmd취소Visible = !hideCancel;
                w.Show();
                StopRequested = false;
                break;
            }
            case 1:
                ProgressStep(total, done, text);
                break;
            case 2:
                UnloadProgressWindow();
                break;
            default:
                break;
        }
        desktop_.DoEvents();
    } catch (const std::exception&) {
        // The progress display never stops the work it reports on.
    }
}

void Dialogs::ProgressStep(int total, int done, std::string& text) {
    if (!text.empty()) text = "[ " + text + " ]";
    const double percent = Kro_Function::NMPercent(total, done);
    const std::string caption = std::to_string(total) + " / " + std::to_string(done) + "건 " + text;
    // A step after the window was unloaded loads it again, unseen, and draws into it.
    frm02Msg& window = ProgressWindow();
    CtPicProgress(window.PbSub, percent, caption);
    window.stepTotal = total;
    window.stepDone = done;
}

}  // namespace util
