#pragma once
// frmDBPatchMain on Qt: every control of the window under its own name, drawn from the window
// model (util::frmDBPatchMainModel) whenever the logic changes it, and every click handed to
// the window's logic (app::frmDBPatchMain). The window holds no logic of its own.
//
// Closing the window during a run does not pull the run's objects from under it: the window
// hides at once and is unloaded when the run has returned.
#include <QWidget>
#include <memory>

#include "util/main_window_model.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QLineEdit;

namespace app {
class frmDBPatchMain;
class Process;
}  // namespace app

namespace gui {

class MainWindowView : public QWidget {
  public:
    MainWindowView(app::Process& process, app::frmDBPatchMain& form);
    ~MainWindowView() override;

    // Draws every control from the model.
    void RefreshAll();
    // The window's unload has run (closed by the user or by the exit button).
    bool Unloaded() const { return unloaded_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void Refresh(util::frmDBPatchMainModel::Control control);
    void BuildControls();
    void Click(void (app::frmDBPatchMain::*handler)());
    void Unload();

    app::Process& process_;
    app::frmDBPatchMain* form_;
    util::frmDBPatchMainModel& model_;
    std::shared_ptr<bool> alive_;
    bool closeRequested_ = false;
    bool unloaded_ = false;
    int busy_ = 0;  // handlers of this window on the stack

    QPushButton* cmdStart_ = nullptr;
    QPushButton* cmd종료_ = nullptr;
    QCheckBox* chk매장_ = nullptr;
    QCheckBox* chk보안_ = nullptr;
    QLabel* lab패치디비_ = nullptr;
    QListWidget* lv메세지_ = nullptr;
    QListWidget* List1_ = nullptr;
    QLabel* picChk_[3] = {};
    QLabel* labels_[6] = {};  // Label2..Label6, in order
    QLabel* label8_[2] = {};
    QProgressBar* pg1_ = nullptr;
    QProgressBar* PB2_ = nullptr;
};

}  // namespace gui
