#include "gui/gui_session.h"

#include <QApplication>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>

#include "app/frm_db_patch_main.h"
#include "app/process.h"
#include "gui/dialog_windows.h"
#include "gui/main_window.h"
#include "gui/qt_desktop.h"

namespace gui {

GuiSession::GuiSession(host::Host& host)
    : desktop_(std::make_unique<QtDesktop>("datapatch")),
      process_(std::make_unique<app::Process>(host, *desktop_)),
      dialogs_(std::make_unique<DialogViews>(process_->Dialogs())) {
    desktop_->BeforeEvents([this] { dialogs_->Sync(); });
}

GuiSession::~GuiSession() {
    window_.reset();
    if (process_->MainForm() != nullptr) process_->UnloadMainWindow();
    desktop_->BeforeEvents(nullptr);
    process_.reset();
    dialogs_.reset();
}

app::StartupResult GuiSession::Start() {
    const app::StartupResult result = app::Main(*process_);
    dialogs_->Sync();
    if (app::frmDBPatchMain* form = process_->MainForm()) {
        window_ = std::make_unique<MainWindowView>(*process_, *form);
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            window_->move(area.center() - window_->rect().center());
        }
        window_->show();
    }
    return result;
}

void UseKoreanFont() {
    const QStringList families = QFontDatabase::families();
    for (const char* name : {"NanumGothic", "NanumBarunGothic", "Noto Sans CJK KR"}) {
        if (families.contains(name)) {
            QFont font(name);
            font.setPointSize(9);
            QApplication::setFont(font);
            return;
        }
    }
}

}  // namespace gui
