// The main window on Qt, driven as a user drives it: start-up on a demo store, a run started by
// clicking cmdStart, the lists, bars and marks afterwards, and the picture that reveals the
// maintenance buttons. (The progress window's cancel button: the dialog windows' tests; a repair
// that stops at it: the repairs' cases.)
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <stdexcept>

#include "app/process.h"
#include "gui_world.h"
#include "util/main_window_model.h"

namespace gui_test {
namespace {

std::vector<std::string> Lines(const QListWidget& list) {
    std::vector<std::string> lines;
    for (int i = 0; i < list.count(); ++i) lines.push_back(list.item(i)->text().toStdString());
    return lines;
}

using MainWindowTest = GuiWorld;

TEST_F(MainWindowTest, LoadShowsTheCaptionsAndHidesTheMaintenanceButtons) {
    gui::MainWindowView& window = Start();
    EXPECT_EQ(window.windowTitle().toStdString(), "하로나 데이타 패치 프로그램 Ver40.4.4");
    EXPECT_EQ(Find<QLabel>("lab패치디비")->text().toStdString(), "패치할 데이타 있음");
    EXPECT_TRUE(Find<QCheckBox>("chk매장")->isChecked());
    EXPECT_EQ(window.height(), 5925 / 15);
    // The maintenance buttons lie below the window's normal height.
    EXPECT_GE(Find<QWidget>("Picture6")->y(), window.height());
}

TEST_F(MainWindowTest, ClickingStartRunsBothPassesAndDrawsTheOutcome) {
    gui::MainWindowView& window = Start();
    const util::frmDBPatchMainModel& model = session_->Process().MainWindow();
    bool exitOffDuringRun = false;
    int startsDuringRun = 0;
    onBox_ = [&](QMessageBox&) {
        exitOffDuringRun = !Find<QPushButton>("cmd종료")->isEnabled();
        // A second click while the run is going on is ignored.
        if (startsDuringRun++ == 0) Find<QPushButton>("cmdStart")->click();
    };
    Find<QPushButton>("cmdStart")->click();

    ASSERT_GT(startsDuringRun, 0) << "the demo run asks nothing";
    EXPECT_TRUE(exitOffDuringRun);
    EXPECT_TRUE(Find<QPushButton>("cmd종료")->isEnabled());
    const std::vector<std::string> runList = Lines(*Find<QListWidget>("List1"));
    EXPECT_EQ(runList, model.List1.lines);
    EXPECT_EQ(std::count(runList.begin(), runList.end(), "-------------------------- 매장디비"), 1);
    EXPECT_EQ(runList.back(), "-------------------------- 작업 종료");
    EXPECT_EQ(Find<QListWidget>("List1")->currentRow(), static_cast<int>(runList.size()) - 1);
    const std::vector<std::string> messages = Lines(*Find<QListWidget>("lv메세지"));
    EXPECT_EQ(messages, (std::vector<std::string>{"매장데이터패치시작", "매장데이터패치종료",
                                                  "데이터1패치시작", "데이터1패치종료"}));
    EXPECT_FALSE(Find<QLabel>("picChk1")->pixmap().isNull());
    EXPECT_FALSE(Find<QLabel>("picChk2")->pixmap().isNull());
    EXPECT_TRUE(Find<QLabel>("picChk3")->pixmap().isNull());
    EXPECT_EQ(Find<QLabel>("lab패치디비")->text().toStdString(), "패치할 데이타 없음");
    EXPECT_EQ(Find<QProgressBar>("pg1")->maximum(), 127);
    EXPECT_EQ(Find<QProgressBar>("pg1")->value(), model.pg1.value);
    EXPECT_GT(model.pg1.value, 100);
    EXPECT_TRUE(window.isVisible());
}

TEST_F(MainWindowTest, TheFourthClickOnThePictureRevealsTheButtonsAndTheSeventhHidesThem) {
    gui::MainWindowView& window = Start();
    QWidget* picture = Find<QWidget>("Image1");
    const auto click = [&] {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5),
                          picture->mapToGlobal(QPointF(5, 5)), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(picture, &press);
    };
    std::vector<int> heights;
    for (int i = 0; i < 11; ++i) {
        click();
        heights.push_back(window.height());
    }
    // The count starts again after the seventh click.
    EXPECT_EQ(heights, (std::vector<int>{395, 395, 395, 441, 441, 441, 395, 395, 395, 395, 441}));
}

// (Before the plain close below: that one ends the shared application's event loop.)
// Closing during a run asks; "no" goes on with the run, "yes" ends it after the step it is in and
// then closes the window, with the pass reported as stopped.
TEST_F(MainWindowTest, ClosingDuringARunAsksAndStopsAfterTheCurrentStep) {
    gui::MainWindowView& window = Start();
    const util::frmDBPatchMainModel& model = session_->Process().MainWindow();
    int closes = 0;
    int stepWhenStopped = -1;
    onBox_ = [&](QMessageBox& box) {
        if (box.text().toStdString().find("진행 중입니다") != std::string::npos) {
            const bool yes = closes == 2;
            if (yes) stepWhenStopped = model.pg1.value;
            QTimer::singleShot(0, &box, [&box, yes] {
                box.button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
            });
            return;
        }
        if (closes < 2) {
            ++closes;
            QTimer::singleShot(0, &window, [&window] { window.close(); });
        }
    };
    Find<QPushButton>("cmdStart")->click();

    ASSERT_EQ(closes, 2) << "the demo run shows too few boxes for this test";
    EXPECT_EQ(std::count_if(boxes_.begin(), boxes_.end(),
                            [](const std::string& b) {
                                return b.find("진행 중입니다") != std::string::npos;
                            }),
              2);
    EXPECT_TRUE(window.Unloaded());
    // The demo asks its second question in the "데이터1" pass: that pass ends there.
    EXPECT_EQ(model.lv메세지.lines,
              (std::vector<std::string>{"매장데이터패치시작", "매장데이터패치종료",
                                        "데이터1패치시작", "데이터1패치중단(사용자 요청)"}));
    EXPECT_LT(stepWhenStopped, 127);
    EXPECT_LE(model.pg1.value, stepWhenStopped + 1);
}

// What a click's work throws, past everything below that reports errors, is shown in a box and
// leaves the window usable: it must never leave through the event loop.
TEST_F(MainWindowTest, AnUnexpectedErrorInAClicksWorkIsReportedAndTheWindowStaysUsable) {
    Start();
    const util::frmDBPatchMainModel& model = session_->Process().MainWindow();
    // Every yield of the repair throws (the progress window's own yields swallow theirs).
    session_->Desktop().BeforeEvents([&] {
        if (model.running) throw std::runtime_error("disk on fire");
    });
    Find<QPushButton>("cmd조제약정리명")->click();
    session_->Desktop().BeforeEvents(nullptr);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_NE(boxes_[0].find("예기치 않은 오류"), std::string::npos) << boxes_[0];
    EXPECT_NE(boxes_[0].find("disk on fire"), std::string::npos) << boxes_[0];
    EXPECT_FALSE(model.running);
    EXPECT_TRUE(Find<QPushButton>("cmd종료")->isEnabled());
}

TEST_F(MainWindowTest, ClosingTheWindowUnloadsItsLogic) {
    gui::MainWindowView& window = Start();
    window.close();
    EXPECT_TRUE(window.Unloaded());
    EXPECT_EQ(session_->Process().MainForm(), nullptr);
}

}  // namespace
}  // namespace gui_test
