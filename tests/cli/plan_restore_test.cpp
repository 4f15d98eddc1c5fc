// `plan` and `restore` through the real program: a preview leaves every file under the root as
// it was and shows the run list of the run that follows; a run's backup brings the store back as
// it was before the run, while a damaged backup or a store that another run holds is not
// restored.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "fixtures/program_runner.h"
#include "host/instance_lock.h"
#include "host/temp_folder.h"

namespace {

using fixtures::FilesUnder;
using fixtures::Has;
using fixtures::Outcome;
using fixtures::Quoted;
namespace fs = std::filesystem;

using Kind = fixtures::DemoKind;

// The "runList" line of a JSON report, with the time in the backups' names taken out.
std::string RunList(const std::string& json) {
    const std::size_t at = json.find("\"runList\": ");
    if (at == std::string::npos) return "(no runList)";
    const std::string line = json.substr(at, json.find('\n', at) - at);
    return std::regex_replace(line, std::regex("_[0-9]{8}-[0-9]{6}\\."), "_<time>.");
}

class PlanAndRestore : public fixtures::ProgramRoot<::testing::TestWithParam<Kind>> {
  protected:
    void MakeStore(const std::string& size = "small") {
        const Outcome demo =
            Datapatch(std::string("demo --kind ") + GetParam().name + " --size " + size);
        ASSERT_EQ(demo.exitCode, 0) << demo.output;
    }
    fs::path Store() const { return Root() / GetParam().storeFile; }
    std::string Dump() {
        return fixtures::RunShell("sqlite3 " + Quoted(Store().string()) + " .dump").output;
    }
};

// A store of size 20 takes half a minute of demo, plan and run on two shared cores; it is
// previewed only when DATAPATCH_TEST_SIZED is set.
TEST_P(PlanAndRestore, PlanChangesNoFileAndShowsTheRunListOfTheRunThatFollows) {
    std::vector<std::string> sizes{"small"};
    if (std::getenv("DATAPATCH_TEST_SIZED") != nullptr) sizes.push_back("20");
    for (const std::string& size : sizes) {
        fs::remove_all(Root());
        MakeStore(size);
        const auto before = FilesUnder(Root());
        const Outcome plan = Datapatch("plan --json --answer no", "", " 2>/dev/null");
        fixtures::ExpectRun(plan, 0, {"\"preview\": {\"exact\": true"});
        EXPECT_EQ(FilesUnder(Root()), before) << "plan changed a file under the root";
        const Outcome human = Datapatch("plan --answer no");
        // What a run writes outside the databases is listed, the user's settings among it.
        fixtures::ExpectShows(
            human,
            {"plan: nothing was changed", "plan: the run would finish the patch",
             "  write [하로나\\화면옵션\\주문서생성\\수동주문] 단가표기=1 into ", "settings.ini"});
        EXPECT_EQ(FilesUnder(Root()), before) << "plan changed a file under the root";

        const Outcome run = Datapatch("run --json --answer no", "", " 2>/dev/null");
        fixtures::ExpectRun(run, 0, {"백업: C:\\\\Quillon\\\\Backup\\\\Patch\\\\"});
        EXPECT_EQ(RunList(plan.output), RunList(run.output)) << size;

        // On the patched store the passes change nothing but their history rows: the run drops
        // its backups, and the preview says that it would.
        const Outcome replan = Datapatch("plan --json --answer no", "", " 2>/dev/null");
        const Outcome rerun = Datapatch("run --json --answer no", "", " 2>/dev/null");
        fixtures::ExpectRun(rerun, 0,
                            {"백업 지움: 패치 이력 외에 바뀐 것 없음", "\"backupDropped\": true"});
        EXPECT_EQ(RunList(replan.output), RunList(rerun.output)) << size;
    }
}

// A store file still in rollback-journal mode would be switched to write-ahead logging by the
// first transaction, which no rollback undoes: the preview says so and changes nothing. A run
// patches it.
TEST_P(PlanAndRestore, PlanRefusesWhatItCannotRollBackAndARunPatchesIt) {
    MakeStore();
    ASSERT_EQ(fixtures::RunShell("sqlite3 " + Quoted(Store().string()) +
                                 " 'PRAGMA journal_mode=DELETE' >/dev/null")
                  .exitCode,
              0);
    const auto before = FilesUnder(Root());
    const Outcome plan = Datapatch("plan --answer no");
    fixtures::ExpectRun(plan, 4, {"plan: no exact preview is possible", "rollback-journal mode"});
    EXPECT_EQ(FilesUnder(Root()), before) << "plan changed a file under the root";
    // A run moves the file to its log before it copies it: a switch at the first write would
    // wait for the copy, which would wait for the switch.
    fixtures::ExpectRun(Datapatch("run --answer no --no-data1"), 0,
                        {"store     patched  (backup C:\\Quillon\\Backup\\Patch\\"});
}

TEST_P(PlanAndRestore, ADamagedBackupIsRefusedAndTheStoreKept) {
    MakeStore();
    ASSERT_EQ(Datapatch("run --answer no --no-data1").exitCode, 0);
    const std::string patched = Dump();
    const fs::path folder = Root() / "c/Quillon/Backup/Patch";
    fs::path taken;
    for (const auto& e : fs::directory_iterator(folder)) {
        if (e.path().filename().string().rfind(Store().stem().string() + "_", 0) == 0) {
            taken = e.path();
        }
    }
    ASSERT_FALSE(taken.empty());
    // The newest by its stamp: the backup with pages in its middle overwritten, as a disk fault
    // leaves it (its size and header are sound, so only reading its pages tells).
    const fs::path cut =
        folder / (Store().stem().string() + "_20991231-000000" + taken.extension().string());
    fs::copy_file(taken, cut);
    {
        std::fstream damage(cut, std::ios::in | std::ios::out | std::ios::binary);
        damage.seekp(static_cast<std::streamoff>(fs::file_size(cut) / 2 / 4096 * 4096));
        damage << std::string(4 * 4096, '\xff');
    }

    const Outcome refused = Datapatch("restore --answer yes");
    fixtures::ExpectRun(refused, 1,
                        {"is not a sound database", "was left as it was; nothing was restored",
                         "other backups of " + Store().stem().string() + ", newest first",
                         "  " + taken.filename().string()});
    EXPECT_EQ(Dump(), patched);
    EXPECT_FALSE(fs::exists(cut.string() + "-wal"));
    EXPECT_FALSE(fs::exists(cut.string() + "-shm"));

    const Outcome restored = Datapatch("restore --answer yes " + taken.filename().string());
    fixtures::ExpectRun(restored, 0, {"restored "});
    EXPECT_NE(Dump(), patched);
}

// A restore brings back the store as it was before the run, even when the engine can no longer
// open it; declined, it changes nothing.
TEST_P(PlanAndRestore, ADatabaseTheEngineCannotOpenIsBroughtBackFromItsBackup) {
    MakeStore();
    // Start-up saves the configuration into the store before any pass; a first start-up (a run
    // without passes; status writes nothing) is done so that the store before the run is the one
    // its pass found.
    ASSERT_EQ(Datapatch("run --no-store --no-data1 --answer no").exitCode, 0);
    const std::string before = Dump();
    ASSERT_EQ(Datapatch("run --answer no").exitCode, 0);
    const std::string patched = Dump();
    ASSERT_NE(patched, before);
    fixtures::ExpectRun(Datapatch("restore --answer no"), 0, {"nothing was changed"});
    EXPECT_EQ(Dump(), patched);
    {
        std::fstream damage(Store(), std::ios::in | std::ios::out | std::ios::binary);
        damage << std::string(2 * 4096, '\x5a');
    }
    EXPECT_EQ(Datapatch("status").exitCode, 2);

    std::string data1Backup;
    for (const auto& e : fs::directory_iterator(Root() / "c/Quillon/Backup/Patch")) {
        const std::string name = e.path().filename().string();
        if (!std::regex_match(name, std::regex(Store().stem().string() + "_[0-9-]{15}\\..*"))) {
            data1Backup = name;
        }
    }
    ASSERT_FALSE(data1Backup.empty());
    fixtures::ExpectRun(Datapatch("restore --answer yes " + data1Backup), 64,
                        {"is no backup of the store database"});

    const Outcome restore = Datapatch("restore --answer yes");
    fixtures::ExpectRun(restore, 0,
                        {"the store database cannot be opened",
                         "its own backups can still be put back", "restored "});
    EXPECT_EQ(Dump(), before);
    EXPECT_TRUE(Has(Datapatch("status"), "패치할 데이타 있음"));

    // The same for "데이터1", with the store sound.
    const fs::path data1 = Root() / "c/Quillon/SqlServer" /
                           (data1Backup.substr(0, data1Backup.rfind('_')) + ".sqlite");
    {
        std::fstream damage(data1, std::ios::in | std::ios::out | std::ios::binary);
        damage << std::string(2 * 4096, '\x5a');
    }
    // status, history and a run's summary say why "데이터1" is not opened.
    const Outcome status = Datapatch("status");
    EXPECT_TRUE(Has(status, "(not opened: ") && Has(status, "file is not a database"))
        << status.output;
    const Outcome history = Datapatch("history");
    EXPECT_TRUE(Has(history, "data1 database is not open: ") &&
                Has(history, "file is not a database"))
        << history.output;
    fixtures::ExpectRun(Datapatch("run --answer no"), 1,
                        {"not opened: ", "file is not a database", "a patch pass failed"});
    const Outcome data1Restore = Datapatch("restore --answer yes " + data1Backup);
    fixtures::ExpectRun(data1Restore, 0,
                        {"the \"데이터1\" database cannot be opened",
                         "its own backups can still be put back", "restored "});
    EXPECT_TRUE(Has(Datapatch("status"), "data1 patch  20100101"));
}

// Runs keep the newest backups. Backups taken after the last run the store records belong to runs
// that did not finish: the oldest of them holds the store as it was before them, and runs that
// fail again and again do not rotate it out, and a restore of the newest names it. A run that
// finishes lets it go. A run without a backup takes none.
TEST_P(PlanAndRestore, RunsKeepTheNewestBackupsAndTheOneFromBeforeUnfinishedRuns) {
    MakeStore();  // its PATCH_HIST ends in 2010
    const fs::path folder = Root() / "c/Quillon/Backup/Patch";
    fs::create_directories(folder);
    const std::string stem = Store().stem().string() + "_";
    const std::string extension = Store().extension() == ".mdb" ? ".mdb" : ".dat";
    for (const char* stamp : {"20200101-000000", "20200102-000000", "20200103-000000"}) {
        fs::copy_file(Store(), folder / (stem + stamp + extension));
    }
    // The stamps of the store's backups, the run's own as "new".
    const auto left = [&] {
        std::multiset<std::string> stamps;
        for (const auto& e : fs::directory_iterator(folder)) {
            const std::string name = e.path().filename().string();
            if (!name.starts_with(stem)) continue;
            stamps.insert(name.starts_with(stem + "2020") ? name.substr(stem.size(), 15) : "new");
        }
        return stamps;
    };
    // A restore of the newest points to the backup from before the unfinished runs.
    fixtures::ExpectRun(Datapatch("restore --answer no"), 0,
                        {"the database as it was before the unfinished runs is in "
                         "C:\\Quillon\\Backup\\Patch\\" +
                         stem + "20200101-000000" + extension});
    ASSERT_EQ(Datapatch("run --answer no --no-data1", "DATAPATCH_KEEP_BACKUPS=2").exitCode, 0);
    const std::multiset<std::string> kept{"20200101-000000", "20200103-000000", "new"};
    EXPECT_EQ(left(), kept);
    // A run that changes nothing but its history row drops its backup and removes none.
    fixtures::ExpectRun(Datapatch("run --answer no --no-data1", "DATAPATCH_KEEP_BACKUPS=2"), 0,
                        {"백업 지움: 패치 이력 외에 바뀐 것 없음",
                         "store     patched  (backup dropped: no value and no table changed)"});
    EXPECT_EQ(left(), kept);
    // One that changes the store again keeps its backup and removes the oldest.
    ASSERT_EQ(
        fixtures::RunShell("sqlite3 " + Quoted(Store().string()) + " 'DROP TABLE 약가갱신이력'")
            .exitCode,
        0);
    ASSERT_EQ(Datapatch("run --answer no --no-data1", "DATAPATCH_KEEP_BACKUPS=2").exitCode, 0);
    EXPECT_EQ(left(), (std::multiset<std::string>{"new", "new"}));
    const Outcome skipped = Datapatch("run --answer no --no-data1 --no-backup");
    fixtures::ExpectRun(skipped, 0, {"백업 생략", "no backup was taken (--no-backup)"});
    EXPECT_EQ(left().size(), 2u);
    EXPECT_EQ(Datapatch("run --answer no", "DATAPATCH_KEEP_BACKUPS=0").exitCode, 64);
}

TEST_P(PlanAndRestore, RestoreIsRefusedWhileTheStoreIsHeld) {
    MakeStore();
    ASSERT_EQ(Datapatch("run --answer no --no-data1").exitCode, 0);
    const std::string patched = Dump();

    // A run on another root holds the lock beside the store.
    const std::string lockFile = fs::canonical(Store()).string() + ".patch";
    const int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    const Outcome held = Datapatch("restore --answer yes");
    ::close(fd);
    fixtures::ExpectRun(held, 1, {"is being patched by a run"});
    EXPECT_EQ(Dump(), patched);

    // A run on this root: the second copy is refused at start-up, before it opens the store.
    host::SingleInstanceLock running(Root());
    ASSERT_TRUE(running.TryAcquire());
    fixtures::ExpectRun(Datapatch("restore --answer yes"), 2,
                        {"[실행오류] 하로나 데이타베이스 패치 프로그램이 이미 실행중입니다."});
    EXPECT_EQ(Dump(), patched);
}

INSTANTIATE_TEST_SUITE_P(BothKinds, PlanAndRestore, ::testing::ValuesIn(fixtures::kDemoKinds),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
