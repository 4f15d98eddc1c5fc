// The housekeeping of an embedded server folder where the client program's tests
// (tests/cli/osql_client_test.cpp) and Kro_Ado's do not reach: renames that take every file of
// a database along, attaching only databases, detaching over an older file, shrinking, the
// listing, and the refusals for unknown and invalid names.
#include "db/embedded/server_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "db/embedded/embedded.h"
#include "db/embedded/session_helpers.h"
#include "db/error.h"

namespace db::embedded::testing {
namespace {

namespace fs = std::filesystem;

OpenOptions Server(bool create = false) {
    return OpenOptions{Dialect::SqlServer, "", create};
}

class ServerFolderTest : public ::testing::Test {
  protected:
    fs::path File(const std::string& name) const {
        return ServerDatabaseFile(folder_.Folder(), name);
    }

    // A database of the folder with `rows` rows in table t.
    void Make(const std::string& name, int rows = 3) {
        fs::create_directories(folder_.Folder());
        auto session = Open(File(name), Server(true));
        session->Execute("CREATE TABLE t (a INT, b VARCHAR(200))", 30);
        for (int i = 0; i < rows; ++i) {
            session->Execute(
                "INSERT INTO t VALUES (" + std::to_string(i) + ", '" + std::string(150, 'x') + "')",
                30);
        }
    }

    std::int64_t Rows(const std::string& name) {
        auto session = Open(File(name), Server());
        return FirstValue(*session, "SELECT COUNT(*) FROM t").AsInt();
    }

    TempDir dir_;
    ServerFolder folder_{dir_ / "Server"};
};

TEST_F(ServerFolderTest, RenameMovesEveryFileAndTheRenamedDatabaseOpens) {
    Make("store", 5);
    EXPECT_THROW(folder_.Rename("store", "new"), DbError);  // not single-user
    folder_.SetSingleUser("store", true);
    // A log left by a connection that ended without closing goes along with its database.
    std::ofstream(fs::path(File("store").string() + "-journal"));
    folder_.Rename("store", "store_old");

    for (const char* suffix : {"", "-journal", ".single", ".users"}) {
        EXPECT_FALSE(fs::exists(fs::path(File("store").string() + suffix))) << suffix;
        EXPECT_TRUE(fs::exists(fs::path(File("store_old").string() + suffix))) << suffix;
    }
    fs::remove(fs::path(File("store_old").string() + "-journal"));
    {
        auto single = Open(File("store_old"), Server());
        EXPECT_THROW(Open(File("store_old"), Server()), DbError);  // still single-user
    }
    folder_.SetSingleUser("store_old", false);
    EXPECT_EQ(Rows("store_old"), 5);
}

TEST_F(ServerFolderTest, AttachCopiesTheFileAndRefusesTakenNamesAndOtherFiles) {
    Make("store", 4);
    const fs::path data = dir_ / "backup.mdf";
    fs::copy_file(File("store"), data);
    folder_.Attach("copy", data);
    EXPECT_TRUE(fs::exists(data));  // copied, not moved
    EXPECT_EQ(Rows("copy"), 4);

    const fs::path text = dir_ / "notes.mdf";
    std::ofstream(text) << "not a database, only a text that is long enough to have a header";
    const struct {
        const char* name;
        fs::path file;
    } refused[] = {
        {"Store", data},  // taken, whatever the case
        {"fresh", text},  // not a database
        {"fresh", dir_ / "missing.mdf"},
        {"a/b", data},  // not a name
    };
    for (const auto& r : refused) {
        EXPECT_THROW(folder_.Attach(r.name, r.file), DbError) << r.name << " " << r.file;
    }
    EXPECT_EQ(folder_.Databases().size(), 2u);
    EXPECT_EQ(Rows("store"), 4);
}

TEST_F(ServerFolderTest, DetachIsRefusedWhileInUseAndKeepsTheFile) {
    Make("store", 2);
    {
        auto session = Open(File("store"), Server());
        EXPECT_THROW(folder_.Detach("store"), DbError);
    }
    const fs::path detached = File("store").string() + ".detached";
    std::ofstream(detached) << "an older detached file";
    folder_.Detach("store");
    EXPECT_TRUE(folder_.Databases().empty());
    EXPECT_FALSE(fs::exists(File("store")));
    EXPECT_FALSE(fs::exists(UsersLockFile(File("store"))));

    // The detached file is a whole database: attached again it holds every row.
    folder_.Attach("back", detached);
    EXPECT_EQ(Rows("back"), 2);
}

TEST_F(ServerFolderTest, ShrinkIsRefusedWhileInUseAndDropsFreePages) {
    Make("store", 400);
    {
        auto session = Open(File("store"), Server());
        session->Execute("DELETE FROM t WHERE a >= 10", 30);
        EXPECT_THROW(folder_.Shrink("store"), DbError);
    }
    const auto before = fs::file_size(File("store"));
    folder_.Shrink("store");
    EXPECT_LT(fs::file_size(File("store")), before);
    EXPECT_EQ(Rows("store"), 10);
}

TEST_F(ServerFolderTest, UnknownAndInvalidNamesAreRefused) {
    Make("store");
    const fs::path data = File("store");
    const struct {
        const char* what;
        std::function<void()> call;
    } cases[] = {
        {"single user", [&] { folder_.SetSingleUser("nowhere", true); }},
        {"multi user", [&] { folder_.SetSingleUser("nowhere", false); }},
        {"rename", [&] { folder_.Rename("nowhere", "x"); }},
        {"detach", [&] { folder_.Detach("nowhere"); }},
        {"shrink", [&] { folder_.Shrink("nowhere"); }},
        {"path as name", [&] { folder_.Shrink("../Server/store"); }},
        {"empty name", [&] { folder_.Detach(""); }},
    };
    for (const auto& c : cases) {
        const DbError e = ErrorOf(c.call);
        EXPECT_EQ(e.Number(), ErrorNumber::kUnspecified) << c.what;
        EXPECT_NE(e.NativeError(), 0) << c.what;
    }
    EXPECT_EQ(Rows("store"), 3);
}

}  // namespace
}  // namespace db::embedded::testing
