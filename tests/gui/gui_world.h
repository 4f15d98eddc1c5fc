#pragma once
// The window tests' world: one QApplication on Qt's offscreen platform for the whole test
// program, a demo store on a fresh root, and the desktop session started on it. Message boxes
// are answered as they come (No where there is a No, else OK) and their texts kept.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "demo/demo_environment.h"
#include "fixtures/host_root.h"
#include "gui/gui_session.h"
#include "gui/main_window.h"
#include "gui/qt_desktop.h"
#include "host/regional.h"

namespace gui_test {

inline QApplication& Application() {
    static int argc = 1;
    static char name[] = "gui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // The offscreen platform tells of every window effect it cannot show.
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
            if (!text.startsWith("This plugin does not support")) {
                fprintf(stderr, "%s\n", qPrintable(text));
            }
        });
        auto* a = new QApplication(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
        return a;
    }();
    return *app;
}

class GuiWorld : public ::testing::Test, public fixtures::HostRoot {
  protected:
    GuiWorld() {
        Application();
        demo::BuildDemo(host_, demo::StoreKind::Mdb);
        host_.Regional().SetShortDateFormat("yyyy-MM-dd");
        session_ = std::make_unique<gui::GuiSession>(host_);
        session_->Desktop().OnBox([this](QWidget& widget) {
            auto* box = static_cast<QMessageBox*>(&widget);
            boxes_.push_back(box->text().toStdString());
            if (onBox_) onBox_(*box);
            QTimer::singleShot(0, box, [box] {
                if (box->clickedButton() != nullptr) return;  // onBox_ answered it
                QAbstractButton* no = box->button(QMessageBox::No);
                (no != nullptr ? no : box->buttons().front())->click();
            });
        });
    }

    // Start-up; the main window is there afterwards.
    gui::MainWindowView& Start() {
        session_->Start();
        EXPECT_NE(session_->Window(), nullptr);
        return *session_->Window();
    }

    template <typename T>
    T* Find(const char* name) {
        return session_->Window()->findChild<T*>(name);
    }

    std::unique_ptr<gui::GuiSession> session_;
    std::vector<std::string> boxes_;
    std::function<void(QMessageBox&)> onBox_;
};

}  // namespace gui_test
