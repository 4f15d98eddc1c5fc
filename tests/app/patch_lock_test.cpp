// One patch run at a time on a database: a pass whose database another run or program holds
// waits, then gives up without touching it; a lock held by a process that was killed is gone.
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>

#include "app_world.h"
#include "db/patch_lock.h"
#include "util/main_window_model.h"

namespace app_test {
namespace {

class PatchLockTest : public AppWorld {
  protected:
    app::frmDBPatchMain& Window() {
        app::frmDBPatchMain& form = AppWorld::Window();
        form.PatchLockWait = std::chrono::milliseconds(0);
        P().MainWindow().chk보안 = false;
        return form;
    }
    std::unique_ptr<db::PatchLock> HoldStore() {
        return db::PatchLock::Acquire(*P().Ado().router, P().StoreConnection,
                                      std::chrono::milliseconds(0), {});
    }
    bool Said(const std::string& message) {
        const auto& lines = P().MainWindow().lv메세지.lines;
        return std::find(lines.begin(), lines.end(), message) != lines.end();
    }
    std::size_t HistoryRows() { return PatchDates(*OpenStore()).size(); }
};

// Another program (here: SQLite itself, as the store software would hold it) writing to the
// database when its pass starts: the pass says so and changes nothing, instead of letting every
// statement wait and fail. Once the other is done, the next click patches. (A database another
// run patches, and one held mid-run: the command line's HeldStore tests.)
TEST_F(PatchLockTest, APassWhoseDatabaseAnotherProgramWritesToIsSkipped) {
    app::frmDBPatchMain& form = Window();
    // The pass waits for the other program as long as each step would (DATAPATCH_LOCK_WAIT).
    form.Context().LockWaitSeconds = 1;
    const std::size_t before = HistoryRows();
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(Native(demo::kDemoMdbPath).c_str(), &writer), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(writer, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    const auto start = std::chrono::steady_clock::now();
    form.cmdStart_Click();
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(900));
    EXPECT_LT(waited, std::chrono::seconds(8));
    sqlite3_close(writer);  // rolls its transaction back
    EXPECT_TRUE(Said("매장데이터패치실패(다른 프로그램이 쓰는 중)"));
    EXPECT_FALSE(Said("매장데이터패치종료"));
    EXPECT_FALSE(P().MainWindow().picChk[0]);
    EXPECT_FALSE(form.LastRun().Succeeded());
    EXPECT_EQ(BoxTexts().back(), app::kPassBusyText);
    EXPECT_EQ(P().MainWindow().lab패치디비, app::kPatchPendingLabel);
    EXPECT_EQ(HistoryRows(), before);

    form.cmdStart_Click();
    EXPECT_TRUE(form.LastRun().Succeeded());
    EXPECT_EQ(HistoryRows(), before + 1);
}

TEST_F(PatchLockTest, TheLockOfAKilledRunIsGoneWithIt) {
    app::frmDBPatchMain& form = Window();
    const std::string lockFile = Native(demo::kDemoMdbPath).string() + ".patch";
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT, 0644);
        const char ok = fd >= 0 && ::flock(fd, LOCK_EX) == 0 ? '1' : '0';
        (void)!::write(ready[1], &ok, 1);
        ::pause();
        ::_exit(0);
    }
    char ok = '0';
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, '1');
    EXPECT_EQ(HoldStore(), nullptr) << "the other process holds the database";
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    form.cmdStart_Click();
    EXPECT_TRUE(form.LastRun().Succeeded());
}

}  // namespace
}  // namespace app_test
