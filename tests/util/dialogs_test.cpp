#include "util/dialogs.h"

#include <gtest/gtest.h>

#include "host/desktop.h"

namespace util {
namespace {

using host::MousePointer;
using host::ScriptedDesktop;

class DialogsTest : public ::testing::Test {
  protected:
    ScriptedDesktop desktop;
    Dialogs dialogs{desktop};

    void Run(int mode, int total, int done, std::string& text, bool hideStrip = false,
             bool hideCancel = false) {
        dialogs.ProgressDialog(mode, total, done, text, hideStrip, hideCancel);
    }
};

TEST_F(DialogsTest, ShowSetsTheWindowAndClearsTheStopFlag) {
    dialogs.StopRequested = true;
    std::string text = "기존자료를 초기화 하고있습니다. 잠시만 기다려주세요!";
    Run(0, 0, 0, text);
    frm02Msg* w = dialogs.LoadedProgressWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->Shown());
    EXPECT_EQ(w->panMsg, text);
    EXPECT_TRUE(w->PbSubVisible);
    EXPECT_FALSE(dialogs.StopRequested);
    EXPECT_EQ(desktop.CurrentMousePointer(), MousePointer::Hourglass);

    Run(0, 0, 0, text, true, true);
    EXPECT_FALSE(w->PbSubVisible);
    EXPECT_FALSE(w->cmd취소Visible);

    // Only showing the window resets the flag; a step leaves a stop set meanwhile.
    dialogs.MessageWindow().cmd취소_Click();
    Run(1, 10, 1, text);
    EXPECT_TRUE(dialogs.StopRequested);
}

TEST_F(DialogsTest, OtherModesChangeNothingAndEveryModeYieldsOnce) {
    std::string text = "keep";
    Run(5, 10, 5, text);
    EXPECT_EQ(text, "keep");
    EXPECT_EQ(dialogs.LoadedProgressWindow(), nullptr);
    for (int mode : {0, 1, 2, 7}) {
        const auto before = desktop.CallsOf(ScriptedDesktop::CallKind::DoEvents).size();
        Run(mode, 10, 1, text);
        EXPECT_EQ(desktop.CallsOf(ScriptedDesktop::CallKind::DoEvents).size(), before + 1) << mode;
    }
}

TEST_F(DialogsTest, CloseUnloadsAndAStepLoadsItAgainUnseen) {
    std::string text = "t";
    Run(0, 0, 0, text);
    Run(2, 0, 0, text);
    EXPECT_EQ(dialogs.LoadedProgressWindow(), nullptr);
    EXPECT_EQ(desktop.CurrentMousePointer(), MousePointer::Default);

    std::string step = "a";
    Run(1, 10, 5, step);
    ASSERT_NE(dialogs.LoadedProgressWindow(), nullptr);
    EXPECT_FALSE(dialogs.LoadedProgressWindow()->Shown());
    EXPECT_EQ(dialogs.LoadedProgressWindow()->panMsg, "");  // a new window
}

// The GUI's tests press the progress window's keys and buttons through its view; these are the
// ones they leave out, and the wait window's keys.
TEST_F(DialogsTest, KeysOfTheWindows) {
    std::string text = "t";
    Run(0, 0, 0, text);
    dialogs.ProgressWindow().KeyDown(27);  // Escape on the window itself does nothing
    dialogs.ProgressWindow().cmd취소_KeyDown(13);
    EXPECT_FALSE(dialogs.StopRequested);

    frmMsg& w = dialogs.ShowMessageWindow("잠시만");
    w.KeyDown(27);
    EXPECT_FALSE(dialogs.StopRequested);
    w.KeyDown(19);
    EXPECT_TRUE(dialogs.StopRequested);
    dialogs.StopRequested = false;
    w.cmd취소Visible = false;
    w.KeyDown(19);
    EXPECT_FALSE(dialogs.StopRequested);
    w.cmd취소_Click();
    EXPECT_TRUE(dialogs.StopRequested);

    dialogs.UnloadMessageWindow();
    EXPECT_EQ(dialogs.LoadedMessageWindow(), nullptr);
    dialogs.UnloadMessageWindow();                        // not loaded: nothing
    EXPECT_TRUE(dialogs.MessageWindow().panMsg.empty());  // loaded anew
}

}  // namespace
}  // namespace util
