// The maintenance buttons of the main window: each runs its data repair on the store database.
#include <gtest/gtest.h>

#include "app/repair_routines.h"
#include "app_world.h"
#include "util/dialogs.h"
#include "util/main_window_model.h"

namespace app_test {
namespace {

class MaintenanceButtonsTest : public AppWorld {
  protected:
    std::string ReadLog(const std::string& windowsPath) {
        return windowsPath.empty() ? "(no log)" : Get(windowsPath);
    }
    std::vector<std::string> Rows(const std::string& sql) { return Column(*OpenStore(), sql); }
};

// While a run is going on the buttons do nothing. Else each runs its routine and logs it in the
// Patch folder with its result (what the routines do is checked by the repairs' tests): without
// 상품분류코드 each fails, and its log says so. A log of success is checked with the location
// button.
TEST_F(MaintenanceButtonsTest, EachButtonRunsAndLogsItsRoutineUnlessARunIsGoingOn) {
    app::frmDBPatchMain& form = Window();
    P().MainWindow().running = true;
    form.cmdUserTessel_Click();
    form.cmd상품위치_Click();
    form.cmd조제약정리명_Click();
    form.cmdTessel_Click();
    P().MainWindow().running = false;
    EXPECT_TRUE(Rows("SELECT 분류코드 FROM 기타분류코드 WHERE 분류명칭 IN ('A', 'G')").empty());
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(form.LastRepairLog().empty());

    Exec(*OpenStore(), {"DROP TABLE 상품분류코드"});
    const std::pair<void (app::frmDBPatchMain::*)(), const char*> buttons[] = {
        {&app::frmDBPatchMain::cmdTessel_Click, "renumber-classes"},
        {&app::frmDBPatchMain::cmdUserTessel_Click, "margin-classes"},
        {&app::frmDBPatchMain::cmd조제약정리명_Click, "drug-prices"},
    };
    for (const auto& [click, button] : buttons) {
        (form.*click)();
        const std::string log = ReadLog(form.LastRepairLog());
        EXPECT_NE(log.find(std::string("수리 ") + app::FindRepairRoutine(button)->name),
                  std::string::npos)
            << log;
        EXPECT_NE(log.find("[결과] 실패"), std::string::npos) << log;
    }
}

TEST_F(MaintenanceButtonsTest, LocationButtonRebuildsPdtLocation) {
    Exec(*OpenStore(), {"CREATE TABLE PdtLocation (제품코드 TEXT(10), 바코드코드 TEXT(10), "
                        "상품위치 TEXT(50), 줄번호 INT, 위치대표 SHORT)",
                        "INSERT INTO PdtLocation VALUES ('OLD', '', 'X', 0, 1)"});
    app::frmDBPatchMain& form = Window();
    // The repair yields while it works: what the user clicks then must wait for it.
    bool busyWhileYielding = false;
    bool cancelOffered = false;
    desktop_.OnDoEvents([&] {
        busyWhileYielding = busyWhileYielding || P().MainWindow().running;
        const util::frm02Msg* box = P().Dialogs().LoadedProgressWindow();
        cancelOffered = cancelOffered || (box != nullptr && box->cmd취소Visible);
        form.cmdStart_Click();
    });
    form.cmd상품위치_Click();
    desktop_.OnDoEvents(nullptr);
    EXPECT_TRUE(busyWhileYielding);
    EXPECT_TRUE(form.LastRun().passes.empty()) << "a run started inside the repair";
    // Stopping half way would leave PdtLocation partly filled: no cancel button.
    EXPECT_FALSE(cancelOffered);
    EXPECT_FALSE(P().MainWindow().running);
    EXPECT_TRUE(Rows("SELECT 제품코드 FROM PdtLocation WHERE 제품코드 = 'OLD'").empty());
    EXPECT_FALSE(Rows("SELECT 제품코드 FROM PdtLocation WHERE 위치대표 = 1").empty());
    EXPECT_EQ(P().Dialogs().LoadedProgressWindow(), nullptr);

    // Like a run, the repair leaves a log in the Patch folder.
    ASSERT_FALSE(form.LastRepairLog().empty());
    const std::string log = ReadLog(form.LastRepairLog());
    EXPECT_NE(log.find("수리 RebuildProductLocations\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("[결과] 성공"), std::string::npos) << log;
}

}  // namespace
}  // namespace app_test
