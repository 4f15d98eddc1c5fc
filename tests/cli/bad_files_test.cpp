// The command line on stores in a bad state: a store file that is no database, cut short,
// read-only, another program's database, or whose disk fills up during the run; INI files with
// bytes that are no CP949 or values longer than the program reads. Each ends with a message and
// an exit code, never a crash, and nothing the program did not mean to change is changed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fixtures/program_runner.h"
#include "fixtures/world.h"
#include "host/codepage.h"
#include "host/temp_folder.h"

namespace {

using fixtures::Has;
using fixtures::Outcome;
using fixtures::Quoted;
namespace fs = std::filesystem;

class BadFiles : public fixtures::ProgramRoot<> {
  protected:
    BadFiles() { EXPECT_EQ(Datapatch("demo").exitCode, 0); }
    fs::path Store() const { return Root() / "c" / "Quillon" / "Data" / "DatMain.mdb"; }
    fs::path MainIni() const { return Root() / "c" / "Quillon" / "NVConfig.INI"; }
    fs::path PrinterIni() const {
        return Root() / "c" / "Windows" / "System32" / "zentrix_s_sys.ini";
    }
    // For a test run as root, for whom permissions do not hold: the root is given to "nobody"
    // except `kept`, which stays root's, and `prefix` runs the program as "nobody". False when
    // the machine cannot do that.
    bool AsNobodyExcept(const fs::path& kept, std::string& prefix) const {
        if (fixtures::RunShell("command -v setpriv >/dev/null").exitCode != 0) return false;
        for (fs::path p = Root(); p != p.root_path(); p = p.parent_path()) {
            fs::permissions(p, fs::perms::others_exec, fs::perm_options::add);
        }
        EXPECT_EQ(fixtures::RunShell("chown -R 65534:65534 " + Quoted(Root().string())).exitCode,
                  0);
        EXPECT_EQ(::chown(kept.c_str(), 0, 0), 0);
        prefix = "setpriv --reuid=65534 --regid=65534 --clear-groups env HOME=/tmp ";
        return true;
    }
};

TEST_F(BadFiles, AStoreFileThatIsNoDatabaseOrIsCutShortEndsStartUpWithItsMessage) {
    const std::string original = host_test::ReadBytes(Store());
    for (const std::string& bytes :
         {std::string("not a database at all"), original.substr(0, 5000), std::string()}) {
        host_test::WriteBytes(Store(), bytes);
        const Outcome out = Datapatch("run --answer no");
        fixtures::ExpectRun(out, 2, {"데이터가 연결에 오류가 있습니다"});
    }
}

// A database of another program at the store path: start-up names the file and ends before it
// writes anything into it (the configuration tables were the first).
TEST_F(BadFiles, ADatabaseOfAnotherProgramAtTheStorePathIsRefusedUntouched) {
    fs::remove(Store());
    fixtures::RunOnDatabase(
        Store(), db::Dialect::Jet, "",
        {"CREATE TABLE 주문 (번호 INTEGER, 품목 TEXT(20))", "INSERT INTO 주문 VALUES (1, '연필')"});
    // One written by SQLite itself, in its own journal mode: opening it must not switch that.
    const fs::path plain = Root().parent_path() / "plain.db";
    ASSERT_EQ(fixtures::RunShell("sqlite3 " + Quoted(plain.string()) +
                                 " 'CREATE TABLE t (a); INSERT INTO t VALUES (1);'")
                  .exitCode,
              0);
    for (const bool sqliteOwn : {false, true}) {
        if (sqliteOwn) fs::copy_file(plain, Store(), fs::copy_options::overwrite_existing);
        const std::string before = host_test::ReadBytes(Store());
        const Outcome out = Datapatch("run --answer no");
        fixtures::ExpectRun(
            out, 2, {"매장 데이터가 아닌 데이터베이스입니다", "C:\\Quillon\\Data\\DatMain.mdb"});
        EXPECT_EQ(host_test::ReadBytes(Store()), before) << sqliteOwn;
        if (sqliteOwn) {
            EXPECT_FALSE(fs::exists(Store().string() + "-wal"));
        }
    }
}

// Bytes that are no CP949 character, in values start-up reads and writes back and in lines it
// does not read, are written back as they were (they used to become '?', a password's too);
// values longer than the buffer start-up reads them through stay whole.
TEST_F(BadFiles, StartUpKeepsIniBytesThatAreNoCp949AndValuesLongerThanItReads) {
    // After a first start-up has added the keys the demo's INI files lack, the lines are put in
    // place of the keys' lines; a second start-up must leave both files as they are then. (A run
    // with both boxes unticked: `status` only looks and writes no INI file.)
    const std::string startUp = "run --no-store --no-data1 --answer no";
    ASSERT_TRUE(Has(Datapatch(startUp), "패치할 데이타 있음"));
    const struct {
        fs::path file;
        std::string key;    // UTF-8
        std::string value;  // the bytes after "key="
    } lines[] = {
        {MainIni(), "데이터_SQLPass", "pw\xFF\x80\xA2\xE8!"},
        {MainIni(), "담당자", host::Utf8ToCp949("김") + "\xC9"},
        {PrinterIni(), "바코드프린트", "Zebra\x80" + std::string(120, 'Z')},  // read through 100
        {MainIni(), "매장등록", host::Utf8ToCp949("가나다라")},               // through 6
        {PrinterIni(), "상단여백", host::Utf8ToCp949("가나다")},              // through 5
    };
    for (const auto& l : lines) {
        std::string bytes = host_test::ReadBytes(l.file);
        const std::size_t at = bytes.find("\n" + host::Utf8ToCp949(l.key + "=")) + 1;
        ASSERT_NE(at, 0u) << l.key;
        bytes.replace(at, bytes.find("\r\n", at) - at, host::Utf8ToCp949(l.key + "=") + l.value);
        host_test::WriteBytes(l.file, bytes);
    }
    const std::string main = host_test::ReadBytes(MainIni());
    const std::string printer = host_test::ReadBytes(PrinterIni());
    const Outcome out = Datapatch(startUp);
    EXPECT_TRUE(Has(out, "패치할 데이타 있음")) << out.output;
    EXPECT_EQ(host_test::ReadBytes(MainIni()), main);
    EXPECT_EQ(host_test::ReadBytes(PrinterIni()), printer);
}

// A store file the run may read but not write: the pass says so before it changes anything,
// and the run after the file was made writable again finishes the patch. (Run as root, the test
// runs the program as "nobody", for whom the file's permissions hold.)
TEST_F(BadFiles, AReadOnlyStoreFileFailsThePassWithItsMessage) {
    std::string user;
    if (::geteuid() == 0 && !AsNobodyExcept(Store(), user)) GTEST_SKIP() << "root without setpriv";
    fs::permissions(Store(),
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const Outcome out = Datapatch("run --answer no", user);
    fixtures::ExpectRun(out, 1, {"매장데이터패치실패(읽기 전용)"}, {"매장데이터패치종료"});

    // The store's files made writable again: SQLite gave its journal files beside it the
    // store's permissions.
    for (const char* suffix : {"", "-wal", "-shm"}) {
        const fs::path file = Store().string() + suffix;
        if (!fs::exists(file)) continue;
        fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
        ASSERT_EQ(::chown(file.c_str(), ::geteuid() == 0 ? 65534 : ::geteuid(),
                          ::geteuid() == 0 ? 65534 : ::getegid()),
                  0);
    }
    const Outcome again = Datapatch("run --answer no", user);
    EXPECT_EQ(again.exitCode, 0) << again.output;
}

// Files the run writes besides the databases, each found to be a folder: the run goes on and
// its end names every write it could not make.
TEST_F(BadFiles, WritesThatCouldNotBeMadeAreNamedAtTheRunsEnd) {
    fs::remove(PrinterIni());
    fs::create_directory(PrinterIni());
    const fs::path settings = fs::directory_iterator(Root() / "users")->path() / "settings.ini";
    fs::remove(settings);
    fs::create_directory(settings);
    const std::string printerNote =
        "C:\\Windows\\System32\\zentrix_s_sys.ini (" + PrinterIni().string() +
        ") could not be written (it is a folder): its settings [BARCODEPRINT] 바코드PORT, ";
    const Outcome out = Datapatch("run --answer no");
    fixtures::ExpectRun(
        out, 0,
        {"note: " + printerNote,
         "note: " + settings.string() + " could not be written (it is a folder): its settings ",
         "patch run finished"});
    // The log keeps them for the window's operator.
    const fs::path logs = Root() / "c" / "Quillon" / "Patch";
    int runLogs = 0;
    for (const auto& entry : fs::directory_iterator(logs)) {
        const std::string log = host_test::ReadBytes(entry.path());
        if (log.find("[결과]") == std::string::npos) continue;
        ++runLogs;
        EXPECT_NE(log.find("[알림]\r\n" + printerNote), std::string::npos) << log;
    }
    EXPECT_EQ(runLogs, 1);

    fs::remove_all(logs);
    host_test::WriteBytes(logs, "a file where the logs go");
    fixtures::ExpectRun(Datapatch("run --answer no"), 0,
                        {"note: the run's log could not be written into C:\\Quillon\\Patch\\"});
}

// A store folder the user may not write (the engine's journal goes there): start-up names the
// folder and the fix rather than the setting. (As root, the program runs as "nobody".)
TEST_F(BadFiles, AStoreFolderTheUserCannotWriteIsNamed) {
    std::string user;
    if (::geteuid() == 0 && !AsNobodyExcept(Store().parent_path(), user)) {
        GTEST_SKIP() << "root without setpriv";
    }
    fs::permissions(Store().parent_path(),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const Outcome out = Datapatch("run --answer no", user);
    fs::permissions(Store().parent_path(), fs::perms::owner_write, fs::perm_options::add);
    fixtures::ExpectRun(
        out, 2,
        {"the folder " + Store().parent_path().string() + " cannot be written by this user"},
        {"correct the setting"});
}

// A demo that runs out of space: a root it began is emptied again; in a root that held a demo,
// the unfinished one stays, and only --force builds over it.
TEST_F(BadFiles, ADemoThatRunsOutOfSpaceSaysSoAndLeavesNoHalfBuiltRootBehind) {
    const fs::path fresh = Root().parent_path() / "fresh";
    const Outcome failed = fixtures::RunDatapatch(fresh, "demo", " 2>&1", "ulimit -f 300; ");
    fixtures::ExpectRun(failed, 1,
                        {"the demo could not be built under " + fresh.string(),
                         "what it had written is removed again"});
    EXPECT_TRUE(!fs::exists(fresh) || fs::is_empty(fresh));

    const Outcome unfinished = Datapatch("demo --force", "ulimit -f 300; ");
    fixtures::ExpectRun(unfinished, 1, {"stays as an unfinished demo"});
    EXPECT_EQ(Datapatch("demo").exitCode, 64);
    EXPECT_EQ(Datapatch("demo --force").exitCode, 0);
}

TEST_F(BadFiles, AFullDiskFailsThePassAndTheNextRunFinishesThePatch) {
    // Writes beyond 600 KiB fail as on a full disk.
    const Outcome full = Datapatch("run --answer no", "ulimit -f 600; ");
    fixtures::ExpectRun(full, 1,
                        {"a patch pass failed",
                         "the disk holding the database is full or cannot "
                         "be written: free some space"});

    const Outcome again = Datapatch("run --answer no");
    EXPECT_EQ(again.exitCode, 0) << again.output;
    EXPECT_TRUE(Has(Datapatch("status"), "패치할 데이타 없음"));
}

// A backup that fails halfway (here: the disk fills up) leaves no file under the backup's name,
// nor its temporary file; one that succeeds leaves the complete backup alone.
TEST_F(BadFiles, ABackupThatFailsLeavesNoFileUnderItsName) {
    const fs::path folder = Root() / "c/Quillon/Backup";
    for (const char* kind : {"mdb", "sql"}) {
        ASSERT_EQ(Datapatch(std::string("demo --force --kind ") + kind).exitCode, 0);
        fs::remove_all(folder);
        const Outcome failed =
            Datapatch("backup --to 'C:\\Quillon\\Backup\\store.bak'", "ulimit -f 100; ");
        EXPECT_EQ(failed.exitCode, 1) << kind << "\n" << failed.output;
        EXPECT_TRUE(Has(failed, "backup to C:\\Quillon\\Backup\\store.bak failed"))
            << failed.output;
        EXPECT_TRUE(fs::is_empty(folder)) << kind << ": " << fs::directory_iterator(folder)->path();

        const Outcome written = Datapatch("backup --to 'C:\\Quillon\\Backup\\store.bak'");
        EXPECT_EQ(written.exitCode, 0) << kind << "\n" << written.output;
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
        EXPECT_EQ(names, std::vector<std::string>{"store.bak"}) << kind;
        EXPECT_EQ(fixtures::RunShell("sqlite3 " + Quoted((folder / "store.bak").string()) +
                                     " 'SELECT COUNT(*) FROM PATCH_HIST'")
                      .output,
                  "4\n")
            << kind;
    }
}

// A backup that fails once the pass has begun (here: it outgrows the file size limit) ends the
// pass before any of its changes reaches the store, and says why; the next run patches.
TEST_F(BadFiles, ABackupThatFailsWhileThePassBeginsLeavesTheStoreUnpatched) {
    const fs::path folder = Root() / "c/Quillon/Backup/Patch";
    for (const char* kind : {"mdb", "sql"}) {
        ASSERT_EQ(Datapatch(std::string("demo --force --kind ") + kind).exitCode, 0);
        const fs::path store = std::string(kind) == "mdb"
                                   ? Store()
                                   : Root() / "c" / "Quillon" / "SqlServer" / "ZENTRIX.sqlite";
        const std::string layout = "sqlite3 " + Quoted(store.string()) +
                                   " 'SELECT group_concat(sql) FROM sqlite_master; SELECT "
                                   "count(*) FROM PATCH_HIST'";
        const std::string before = fixtures::RunShell(layout).output;
        fs::remove_all(folder);

        const Outcome failed = Datapatch("run --answer no --no-data1", "ulimit -f 200; ");
        EXPECT_EQ(failed.exitCode, 1) << kind << "\n" << failed.output;
        EXPECT_TRUE(Has(failed, "백업 실패: ")) << failed.output;
        // The step that met the refused write says why, not that the store's disk failed.
        EXPECT_TRUE(Has(failed, "(The database was not written: its backup failed.)"))
            << failed.output;
        EXPECT_EQ(fixtures::RunShell(layout).output, before) << kind;
        EXPECT_TRUE(fs::is_empty(folder)) << kind;

        EXPECT_EQ(Datapatch("run --answer no --no-data1").exitCode, 0) << kind;
        EXPECT_NE(fixtures::RunShell(layout).output, before) << kind;
    }
}

}  // namespace
