// The wait and progress windows on Qt: they follow the dialog models, their keys and cancel
// buttons set the stop flag as the models say, and the strip inverts what its box covers.
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "gui/dialog_windows.h"
#include "gui/strip_widget.h"
#include "gui_world.h"
#include "host/desktop.h"
#include "util/dialogs.h"

namespace gui_test {
namespace {

class DialogWindowsTest : public ::testing::Test {
  protected:
    DialogWindowsTest() { Application(); }
    void Key(QWidget& target, int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&target, &press);
    }

    host::ScriptedDesktop desktop_;
    util::Dialogs dialogs_{desktop_};
    gui::DialogViews views_{dialogs_};
};

TEST_F(DialogWindowsTest, ProgressWindowFollowsTheModelFromShowToUnload) {
    std::string text = "바코드 정리";
    dialogs_.ProgressDialog(0, 0, 0, text);
    views_.Sync();
    gui::ProgressWindowView* window = views_.Progress();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->findChild<QLabel*>("panMsg")->text().toStdString(), "바코드 정리");

    text = "바코드";
    dialogs_.ProgressDialog(1, 120, 5, text);
    views_.Sync();
    const auto* strip = window->findChild<gui::StripWidget*>("PbSub");
    EXPECT_EQ(strip->Strip().caption, "120 / 5건 [ 바코드 ]");
    EXPECT_EQ(strip->Strip().percent, 4);

    dialogs_.ProgressDialog(2, 0, 0, text);
    views_.Sync();
    EXPECT_EQ(views_.Progress(), nullptr);
}

TEST_F(DialogWindowsTest, KeysAndButtonsOfTheProgressWindowSetTheStopFlag) {
    std::string text = "정리";
    struct Case {
        const char* what;
        bool cancelVisible;
        int key;  // 0: click the cancel button
        bool onButton;
        bool stops;
        bool cancelled;
    } cases[] = {
        {"cancel clicked", true, 0, true, true, false},
        {"Escape on the button", true, Qt::Key_Escape, true, true, false},
        {"Home on the button", true, Qt::Key_Home, true, true, false},
        {"Escape on a hidden button", false, Qt::Key_Escape, true, false, false},
        {"Pause on the window", true, Qt::Key_Pause, false, true, true},
        {"Pause with the button hidden", false, Qt::Key_Pause, false, true, true},
        {"Enter on the window", true, Qt::Key_Return, false, false, false},
    };
    for (const Case& c : cases) {
        dialogs_.ProgressDialog(0, 0, 0, text, false, !c.cancelVisible);
        views_.Sync();
        gui::ProgressWindowView* window = views_.Progress();
        auto* cancel = window->findChild<QPushButton*>("cmd취소");
        EXPECT_EQ(cancel->isVisible(), c.cancelVisible) << c.what;
        if (c.key == 0) {
            cancel->click();
        } else {
            Key(c.onButton ? static_cast<QWidget&>(*cancel) : *window, c.key);
        }
        EXPECT_EQ(dialogs_.StopRequested, c.stops) << c.what;
        EXPECT_EQ(dialogs_.ProgressWindow().Cancelled, c.cancelled) << c.what;
        dialogs_.ProgressDialog(2, 0, 0, text);
        views_.Sync();
    }
}

TEST_F(DialogWindowsTest, WaitWindowShowsItsTextAndItsCancelButtonStops) {
    dialogs_.ShowMessageWindow("다시 연결하고 있습니다");
    views_.Sync();
    gui::MessageWindowView* window = views_.Message();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->findChild<QLabel*>("panMsg")->text().toStdString(), "다시 연결하고 있습니다");
    EXPECT_EQ(desktop_.CurrentMousePointer(), host::MousePointer::Hourglass);
    window->findChild<QPushButton*>("cmd취소")->click();
    EXPECT_TRUE(dialogs_.StopRequested);
    dialogs_.UnloadMessageWindow();
    views_.Sync();
    EXPECT_EQ(views_.Message(), nullptr);
    EXPECT_EQ(desktop_.CurrentMousePointer(), host::MousePointer::Default);
}

TEST(StripWidgetTest, TheCoveredPartIsFilledAndItsTextInverted) {
    Application();
    gui::StripWidget strip;
    strip.resize(200, 20);
    strip.SetStrip({50, "||||||||||||||||||||||||||||||||||||||||"});
    const QImage image = strip.grab().toImage();
    // Paper light and ink dark, as in the default palette; strokes are smoothed, so a pixel
    // counts by its lightness.
    const auto count = [&](int x0, int x1, bool light) {
        int n = 0;
        for (int x = x0; x < x1; ++x) {
            for (int y = 2; y < 18; ++y) n += (image.pixelColor(x, y).lightness() > 128) == light;
        }
        return n;
    };
    // Left of the middle the box is dark with light strokes; right of it the other way round.
    EXPECT_GT(count(2, 98, false), count(2, 98, true));
    EXPECT_GT(count(2, 98, true), 0);
    EXPECT_GT(count(102, 198, true), count(102, 198, false));
    EXPECT_GT(count(102, 198, false), 0);
}

}  // namespace
}  // namespace gui_test
