// A store that another process holds or reaches by another name, driven through the real
// program: a writer that holds the store for a while mid-run is waited for; one that holds it
// for longer fails the pass truthfully (no history row, status still pending) and the next run
// finishes the work; one that holds it from the start has start-up say what it left undone; a
// second root reaching the store through a symbolic link is kept off while
// a run holds it; a store file with a second name (a hard link) is refused.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <string>
#include <vector>

#include "app/frm_db_patch_main.h"
#include "db/embedded/session_helpers.h"
#include "fixtures/program_runner.h"
#include "host/temp_folder.h"

namespace {

using db::embedded::testing::PlainRows;
using fixtures::Has;
using fixtures::Outcome;
using fixtures::Quoted;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

using Kind = fixtures::DemoKind;
using State = std::map<std::string, std::vector<std::string>>;

// What a finished run leaves in the store: every table's definition and row count, and the
// history's distinct rows without their times.
State StoreState(const fs::path& file) {
    State state;
    for (const std::string& table : PlainRows(file,
                                              "SELECT name FROM sqlite_master WHERE type = "
                                              "'table' AND name NOT LIKE 'sqlite_%'")) {
        state[table] =
            PlainRows(file, "SELECT sql FROM sqlite_master WHERE name = '" + table + "'");
        // A second finished pass adds its history row as any second run does.
        if (table != "PATCH_HIST") {
            state[table].push_back(PlainRows(file, "SELECT count(*) FROM \"" + table + "\"").at(0));
        }
    }
    state["PATCH_HIST rows"] =
        PlainRows(file, "SELECT DISTINCT 날짜, NV_Ver, NV_GUBUN FROM PATCH_HIST");
    return state;
}

class HeldStore : public ::testing::TestWithParam<Kind> {
  protected:
    Outcome Datapatch(const fs::path& root, const std::string& args, const std::string& env = "") {
        return fixtures::RunDatapatch(root, args, " 2>&1", env);
    }
    fs::path MakeStore(const std::string& name) {
        const fs::path root = temp_.Path() / name;
        EXPECT_EQ(Datapatch(root, std::string("demo --kind ") + GetParam().name).exitCode, 0);
        return root;
    }
    fs::path Store(const fs::path& root) const { return root / GetParam().storeFile; }
    // The state of the store after one run that nothing disturbed.
    State Reference() {
        const fs::path root = MakeStore("reference");
        EXPECT_EQ(Datapatch(root, "run --answer no").exitCode, 0);
        return StoreState(Store(root));
    }
    // Runs the patch in the background; once it has sent a few hundred statements, this
    // process takes the store's write lock between two of the run's steps and keeps it for
    // `hold`, or until the run has ended. `held` says whether the writer got in before the end.
    Outcome RunWhileHeld(const fs::path& root, std::chrono::milliseconds hold,
                         const std::string& env, bool& held) {
        const fs::path trace = root / "trace.sql";
        auto run = std::async(std::launch::async, [&] {
            return Datapatch(root, "run --answer no --trace-sql " + Quoted(trace.string()), env);
        });
        while (run.wait_for(20ms) != std::future_status::ready) {
            std::ifstream in(trace);
            const auto lines = std::count(std::istreambuf_iterator<char>(in), {}, '\n');
            if (lines > 400) break;
        }
        sqlite3* writer = nullptr;
        EXPECT_EQ(sqlite3_open(Store(root).c_str(), &writer), SQLITE_OK);
        // The run takes the lock again as soon as a step ends: the writer tries without a
        // pause to get in between two steps.
        held = false;
        while (!held && run.wait_for(0ms) != std::future_status::ready) {
            held = sqlite3_exec(writer, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
        }
        run.wait_for(hold);
        sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(writer);
        return run.get();
    }

    host_test::TempFolder temp_;
};

TEST_P(HeldStore, AWriterHoldingTheStoreForAWhileMidRunIsWaitedFor) {
    const auto reference = Reference();
    const fs::path root = MakeStore("held");
    bool held = false;
    const Outcome out = RunWhileHeld(root, 2500ms, "", held);
    EXPECT_TRUE(held) << "the run ended before the writer got in";
    EXPECT_EQ(out.exitCode, 0) << out.output;
    EXPECT_EQ(StoreState(Store(root)), reference);
}

TEST_P(HeldStore, AWriterHoldingTheStoreLongerFailsThePassAndTheNextRunFinishes) {
    const auto reference = Reference();
    // On a busy machine the writer may get in only once the store's pass is over (or not at
    // all): then a new store is run again. A run that ignored the writer would finish each time.
    fs::path root;
    State before;
    Outcome out;
    bool held = false;
    for (int attempt = 0; attempt < 4 && (!held || out.exitCode == 0); ++attempt) {
        root = MakeStore("held" + std::to_string(attempt));
        before = StoreState(Store(root));
        out = RunWhileHeld(root, 8s, "DATAPATCH_LOCK_WAIT=1", held);
    }
    fixtures::ExpectRun(out, 1, {"매장데이터패치실패(다른 프로그램이 쓰는 중)", app::kPassBusyText},
                        {"매장데이터패치종료"});
    EXPECT_EQ(StoreState(Store(root))["PATCH_HIST rows"], before.at("PATCH_HIST rows"));
    EXPECT_TRUE(Has(Datapatch(root, "status"), "패치할 데이타 있음"));

    const Outcome again = Datapatch(root, "run --answer no");
    EXPECT_EQ(again.exitCode, 0) << again.output;
    EXPECT_EQ(StoreState(Store(root)), reference);
}

// A second root whose store path is a symbolic link to the first root's store: while a run of
// the first root holds it (here: the lock a run takes beside the store), a run of the second
// waits, then gives up without touching it.
TEST_P(HeldStore, ASecondRootReachingTheStoreThroughALinkIsKeptOff) {
    const fs::path first = MakeStore("first");
    const fs::path second = MakeStore("second");
    fs::remove(Store(second));
    fs::create_symlink(Store(first), Store(second));
    const std::string lockFile = Store(first).string() + ".patch";
    const int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    const State before = StoreState(Store(first));
    const Outcome other = Datapatch(second, "run --answer no --no-data1");
    ::close(fd);
    fixtures::ExpectRun(other, 1, {"매장데이터패치실패(다른 곳에서 패치중)", app::kPassLockedText});
    EXPECT_EQ(StoreState(Store(first)), before);
}

// Held from before the run starts: start-up leaves its copy of the INI settings for the next
// start and says so, the pass says the store is held, and nothing is changed.
TEST_P(HeldStore, AStoreHeldFromTheStartIsNamedInStartUpsNoteAndFailsThePass) {
    const fs::path root = MakeStore("held-first");
    const State before = StoreState(Store(root));
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(Store(root).c_str(), &writer), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(writer, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    const Outcome out = Datapatch(root, "run --answer no --no-data1", "DATAPATCH_LOCK_WAIT=1");
    sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(writer);
    fixtures::ExpectRun(out, 1,
                        {"note: the INI settings were not copied into the configuration table "
                         "CONFIG: another program held the database's write lock for 1 s; the "
                         "next start copies them",
                         "매장데이터패치실패(다른 프로그램이 쓰는 중)"});
    EXPECT_EQ(StoreState(Store(root)), before);
}

// A program that keeps the store locked even against readers (SQLite's exclusive locking mode)
// is waited for as DATAPATCH_LOCK_WAIT says, then named as the cause, not the setting.
TEST_P(HeldStore, AStoreLockedAgainstReadersIsNamedAsHeldAfterTheWait) {
    const fs::path root = MakeStore("exclusive");
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(Store(root).c_str(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE;", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    const auto started = std::chrono::steady_clock::now();
    const Outcome out = Datapatch(root, "status", "DATAPATCH_LOCK_WAIT=1");
    const auto waited = std::chrono::steady_clock::now() - started;
    sqlite3_close(holder);
    fixtures::ExpectRun(out, 2, {"another program holds it locked"}, {"correct the setting"});
    EXPECT_LT(waited, 10s);
    EXPECT_EQ(Datapatch(root, "status").exitCode, 10);
}

TEST_P(HeldStore, AStoreFileWithASecondNameIsRefused) {
    const fs::path root = MakeStore("linked");
    const auto before = StoreState(Store(root));
    fs::create_hard_link(Store(root), temp_.Path() / "second-name");
    const Outcome out = Datapatch(root, "run --answer no");
    fixtures::ExpectRun(out, 1, {"매장데이터패치실패(하드 링크)", "하드 링크를 지우고"});
    EXPECT_EQ(StoreState(Store(root)), before);
}

INSTANTIATE_TEST_SUITE_P(BothKinds, HeldStore, ::testing::ValuesIn(fixtures::kDemoKinds),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
