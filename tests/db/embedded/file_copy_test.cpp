// Copies of a database that other connections hold open: the copy is one committed state, taken
// byte for byte when the file alone holds it and page by page when the log still holds some. A
// copy taken in the background holds the engine's writes into the database until it is safe.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "db/embedded/file_copy.h"
#include "db/embedded/sqlite_handle.h"
#include "db/embedded/write_gate.h"
#include "db/error.h"
#include "session_helpers.h"

namespace db::embedded {
namespace {

namespace fs = std::filesystem;

DatabaseHandle Open(const fs::path& file) {
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    return AdoptDatabase(db);
}

// A connection as the engine opens it, through the write gate.
DatabaseHandle OpenGated(const fs::path& file) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, WriteGateVfs());
    sqlite3_extended_result_codes(db, 1);
    return AdoptDatabase(db);
}

std::string Count(const fs::path& file) {
    const DatabaseHandle db = Open(file);
    std::string count;
    QueryRows(db.get(), "SELECT count(*) FROM t", {},
              [&](sqlite3_stmt* s) { count = ColumnText(s, 0); });
    return count;
}

std::string Bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class FileCopyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ExecPlain(writer_.get(), "PRAGMA journal_mode=WAL");
        ExecPlain(writer_.get(), "CREATE TABLE t (x)");
        Insert(100);
    }
    void Insert(int rows) {
        ExecPlain(writer_.get(),
                  "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                      std::to_string(rows) + ") INSERT INTO t SELECT randomblob(300) FROM n");
    }

    testing::TempDir dir_;
    const fs::path source_ = dir_ / "store.mdb";
    const fs::path copy_ = dir_ / "copy.mdb";
    DatabaseHandle writer_ = Open(source_);
};

TEST_F(FileCopyTest, CommittedRowsStillInTheLogAreFoldedBackAndTheFileCopiedAsItIs) {
    ASSERT_GT(fs::file_size(fs::path(source_.string() + "-wal")), 0u);
    CopyDatabaseFile(source_, copy_);
    EXPECT_EQ(Count(copy_), "100");
    // The source's file now holds every committed page, and the copy is exactly those bytes.
    EXPECT_EQ(Bytes(copy_), Bytes(source_));
    for (const auto& entry : fs::directory_iterator(dir_.path())) {
        EXPECT_EQ(entry.path().filename().string().find(".partial"), std::string::npos);
    }
}

TEST_F(FileCopyTest, FramesAReaderStillNeedsAreCopiedPageByPageWithTheLatestCommit) {
    // The reader's snapshot keeps the later commits in the log: the file alone is not the
    // committed state, so a byte copy of it would lose them.
    ExecPlain(writer_.get(), "PRAGMA wal_checkpoint(TRUNCATE)");
    const DatabaseHandle reader = Open(source_);
    ExecPlain(reader.get(), "BEGIN");
    QueryRows(reader.get(), "SELECT count(*) FROM t", {}, [](sqlite3_stmt*) {});
    ExecPlain(writer_.get(), "DELETE FROM t WHERE rowid > 40");  // the file keeps its size
    CopyDatabaseFile(source_, copy_);
    ExecPlain(reader.get(), "COMMIT");
    EXPECT_EQ(Count(copy_), "40");
}

TEST_F(FileCopyTest, AWriteInTheMiddleOfTheCopyIsNotInTheCopy) {
    // A transaction left open by the writer: its rows are not committed, and not copied.
    ExecPlain(writer_.get(), "BEGIN");
    Insert(25);
    CopyDatabaseFile(source_, copy_);
    ExecPlain(writer_.get(), "COMMIT");
    EXPECT_EQ(Count(copy_), "100");
    EXPECT_EQ(Count(source_), "125");
}

// A held database's writes wait (reads go on) until the hold is released, and fail, the file
// untouched, while it stands released as failed; once it ends they go on.
TEST_F(FileCopyTest, AHeldDatabasesWritesWaitOrFailAndItsReadsGoOn) {
    const DatabaseHandle gated = OpenGated(source_);
    {
        WriteHold hold(source_);
        std::atomic<bool> written{false};
        std::thread writer([&] {
            ExecPlain(gated.get(), "INSERT INTO t VALUES (1)");
            written = true;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_FALSE(written);
        EXPECT_EQ(Count(source_), "100");
        hold.Release();
        writer.join();
    }
    EXPECT_EQ(Count(source_), "101");
    {
        WriteHold hold(source_);
        hold.ReleaseAsFailed();
        try {
            ExecPlain(gated.get(), "INSERT INTO t VALUES (2)");
            ADD_FAILURE() << "a write went through a failed hold";
        } catch (const DbError& e) {
            EXPECT_NE(e.Description().find("its backup failed"), std::string::npos)
                << e.Description();
        }
        EXPECT_EQ(Count(source_), "101");
    }
    ExecPlain(gated.get(), "INSERT INTO t VALUES (3)");
    EXPECT_EQ(Count(source_), "102");
}

// The copy in the background is the database as it was when it began, and the earlier copies it
// replaces go once it is complete; a copy that fails says so at Finish and removes nothing, and
// one that cannot begin is refused at once, holding nothing.
TEST_F(FileCopyTest, ABackgroundCopyReplacesEarlierCopiesOnlyOnceItIsSafe) {
    const DatabaseHandle gated = OpenGated(source_);
    const fs::path older = dir_ / "older.mdb";
    std::ofstream(older) << "an earlier copy";
    {
        BackgroundCopy copy(source_, copy_, {older});
        ExecPlain(gated.get(), "INSERT INTO t VALUES (1)");
        copy.Finish();
        EXPECT_FALSE(copy.Failed());
    }
    EXPECT_EQ(Count(copy_), "100");
    EXPECT_EQ(Count(source_), "101");
    EXPECT_FALSE(fs::exists(older));

    const fs::path garbage = dir_ / "garbage.mdb";
    std::ofstream(garbage) << std::string(8192, 'x');
    std::ofstream(older) << "an earlier copy";
    {
        BackgroundCopy copy(garbage, copy_, {older});
        EXPECT_THROW(copy.Finish(), DbError);
        EXPECT_TRUE(copy.Failed());
    }
    EXPECT_TRUE(fs::exists(older));
    EXPECT_EQ(Count(copy_), "100");  // the copy before, as it was

    EXPECT_THROW(BackgroundCopy(source_, dir_ / "missing" / "copy.mdb"), DbError);
    ExecPlain(gated.get(), "INSERT INTO t VALUES (2)");
    EXPECT_EQ(Count(source_), "102");
}

// The copy begins with the first write (which waits for it) or at Finish: a copy dropped before
// either was never written. One dropped once complete leaves nothing either; the earlier copies
// are kept, and the writes go on.
TEST_F(FileCopyTest, ACopyBeginsAtTheFirstWriteAndADroppedOneLeavesNothing) {
    const DatabaseHandle gated = OpenGated(source_);
    const fs::path older = dir_ / "older.mdb";
    std::ofstream(older) << "an earlier copy";
    const auto leftovers = [&] {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_.path())) {
            const std::string name = e.path().filename().string();
            if (name.rfind("store.mdb", 0) != 0 && name != "older.mdb") names.push_back(name);
        }
        return names;
    };
    {
        BackgroundCopy copy(source_, copy_, {older});
        EXPECT_EQ(Count(source_), "100");
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(leftovers(), std::vector<std::string>{}) << "a copy began without a write";
        EXPECT_TRUE(copy.Drop());
        ExecPlain(gated.get(), "INSERT INTO t VALUES (1)");  // neither waits nor fails
    }
    EXPECT_EQ(leftovers(), std::vector<std::string>{});
    {
        BackgroundCopy copy(source_, copy_, {older});
        ExecPlain(gated.get(), "INSERT INTO t VALUES (2)");  // begins the copy, waits for it
        EXPECT_EQ(Count(copy_), "101");
        EXPECT_TRUE(copy.Drop());
    }
    EXPECT_EQ(leftovers(), std::vector<std::string>{});
    EXPECT_TRUE(fs::exists(older));
    EXPECT_EQ(Count(source_), "102");
}

TEST_F(FileCopyTest, AFileIsReplacedOnlyByACompleteCopyOfASoundDatabase) {
    CopyDatabaseFile(source_, copy_);
    const std::string before = Bytes(copy_);
    const fs::path garbage = dir_ / "garbage.mdb";
    std::ofstream(garbage) << std::string(8192, 'x');
    const fs::path cut = dir_ / "cut.mdb";
    fs::copy_file(copy_, cut);
    fs::resize_file(cut, fs::file_size(copy_) / 2);

    CheckDatabaseFile(copy_);
    for (const fs::path& bad : {garbage, cut, dir_ / "missing.mdb"}) {
        EXPECT_THROW(CheckDatabaseFile(bad), DbError) << bad;
        EXPECT_THROW(CopyDatabaseFile(bad, copy_), DbError) << bad;
        EXPECT_EQ(Bytes(copy_), before) << bad;
    }
    // A log left beside the file replaced belongs to the old file, never to the copy; the copy
    // keeps the file's permissions.
    fs::permissions(copy_, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                               fs::perms::group_write);
    Insert(5);
    std::ofstream(copy_.string() + "-wal") << "the old file's log";
    CopyDatabaseFile(source_, copy_);
    EXPECT_FALSE(fs::exists(copy_.string() + "-wal"));
    EXPECT_EQ(Count(copy_), "105");
    EXPECT_EQ(fs::status(copy_).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::group_write);
}

// A restore writes the backup into the database itself: another program that has it open goes on
// with the restored database, and its next write lands in the file everyone reads (not in a file
// the restore has put aside). A link stays a link; a live file that is no database is replaced.
TEST_F(FileCopyTest, ARestoreIsSeenByTheProgramsThatHaveTheDatabaseOpen) {
    CopyDatabaseFile(source_, copy_);  // the backup: 100 rows
    Insert(5);
    const DatabaseHandle other = Open(source_);
    EXPECT_EQ(Count(source_), "105");
    const auto inode = [](const fs::path& file) {
        struct stat st {};
        ::stat(file.c_str(), &st);
        return st.st_ino;
    };
    const ino_t before = inode(source_);

    RestoreDatabaseFile(copy_, source_);
    std::string seen;
    QueryRows(other.get(), "SELECT count(*) FROM t", {},
              [&](sqlite3_stmt* s) { seen = ColumnText(s, 0); });
    EXPECT_EQ(seen, "100");
    ExecPlain(other.get(), "INSERT INTO t VALUES (1)");
    EXPECT_EQ(Count(source_), "101");
    EXPECT_EQ(inode(source_), before);

    const fs::path link = dir_ / "link.mdb";
    fs::create_symlink(source_, link);
    RestoreDatabaseFile(copy_, link);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Count(source_), "100");

    const fs::path broken = dir_ / "broken.mdb";
    std::ofstream(broken) << std::string(8192, 'x');
    RestoreDatabaseFile(copy_, broken);
    EXPECT_EQ(Count(broken), "100");
}

TEST_F(FileCopyTest, ACopyRemovesOnlyTheTemporaryFilesOfCopiesWhoseProcessIsGone) {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ASSERT_GT(child, 0);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    const std::string gone = std::to_string(child);
    const std::string mine = std::to_string(::getpid());
    const std::vector<std::string> abandoned = {
        ".DatMain_20261201-090000.mdb." + gone + ".partial",
        ".DatMain_20261201-090000.mdb." + gone + ".partial-wal",
        ".other.dat." + gone + ".partial-journal"};
    // A live process's copy (this one's, init's), and names that are not a copy's.
    const std::vector<std::string> kept = {".DatMain_20261202-090000.mdb." + mine + ".partial",
                                           ".DatMain.mdb.1.partial",
                                           "." + gone + ".partial",
                                           ".DatMain.mdb.x" + gone + ".partial",
                                           "DatMain.mdb." + gone + ".partial",
                                           ".DatMain.mdb." + gone + ".partial.txt"};
    for (const auto* names : {&abandoned, &kept}) {
        for (const std::string& name : *names) std::ofstream(dir_ / name) << "x";
    }
    CopyDatabaseFile(source_, copy_);
    EXPECT_EQ(Count(copy_), "100");
    for (const std::string& name : abandoned) EXPECT_FALSE(fs::exists(dir_ / name)) << name;
    for (const std::string& name : kept) EXPECT_TRUE(fs::exists(dir_ / name)) << name;
}

}  // namespace
}  // namespace db::embedded
