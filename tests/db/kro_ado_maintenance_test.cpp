// Backups, row copies between databases and the server housekeeping of Kro_Ado.
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>

#include "ado_world.h"
#include "db/embedded/session_helpers.h"
#include "host/spawn.h"

namespace db_test {
namespace {

namespace fs = std::filesystem;

// What a plain SQLite connection reads from a file: a single value.
std::string Value(const fs::path& file, const std::string& sql) {
    const std::vector<std::string> rows = db::embedded::testing::PlainRows(file, sql);
    return rows.empty() ? "?" : rows[0];
}

class BackupTest : public ItemsMdbWorld {
  protected:
    // The items MDB with a table that filled pages and was emptied again: free pages to compact.
    void SetUp() override {
        ItemsMdbWorld::SetUp();
        MakeMdb({"CREATE TABLE 임시 (메모 MEMO)"});
        {
            db::ConnectionRef cn = OpenMdbConnection();
            for (int i = 0; i < 200; ++i) {
                cn->Execute("INSERT INTO 임시 VALUES ('" + std::string(2000, 'x') + "')");
            }
            cn->Execute("DELETE FROM 임시");
        }
        ASSERT_TRUE(ConnectMdb(ado_, cn_));
    }
};

TEST_F(BackupTest, MdbBackupKeepsTheDatabaseAsItWasAndCompactsTheLiveFile) {
    const fs::path live = Native(kMdbPath);
    ASSERT_GT(std::stoi(Value(live, "PRAGMA freelist_count")), 0);
    ASSERT_TRUE(ado_.DBGoBackUp("C:\\Backup\\store-old.mdb"));

    const fs::path backup = Native("C:\\Backup\\store-old.mdb");
    EXPECT_EQ(Value(backup, "SELECT COUNT(*) FROM 품목"), "3");
    EXPECT_GT(std::stoi(Value(backup, "PRAGMA freelist_count")), 0)
        << "the backup is not compacted";
    EXPECT_EQ(Value(live, "SELECT COUNT(*) FROM 품목"), "3");
    EXPECT_EQ(Value(live, "PRAGMA freelist_count"), "0");
    EXPECT_LT(fs::file_size(live), fs::file_size(backup));
    // The connection open on the live file goes on working.
    cn_->Execute("INSERT INTO 품목 VALUES ('C4', '밴드', 1)");
    EXPECT_EQ(Count(cn_, "품목"), 4);
}

TEST_F(BackupTest, WithoutAPathTheBackupIsNamedAfterTheDatabaseAndTheTime) {
    ASSERT_TRUE(ado_.DBGoBackUp());
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Native("C:\\Quillon\\Backup"))) {
        names.push_back(entry.path().filename().string());
    }
    ASSERT_EQ(names.size(), 1u);
    EXPECT_TRUE(std::regex_match(names[0], std::regex(R"(store20\d{12}\.mdb)"))) << names[0];
}

TEST_F(BackupTest, ABackupTakenWhileAnotherProcessWritesHoldsACommittedState) {
    // The writer: the sqlite3 shell adding rows in transactions of 100, many times over.
    const fs::path script = temp_.Path() / "writer.sql";
    {
        std::ofstream out(script);
        out << ".timeout 5000\n";
        for (int i = 0; i < 300; ++i) {
            out << "BEGIN; WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n "
                   "WHERE x < 100) INSERT INTO 품목 SELECT 'W', 'w', x FROM n; COMMIT;\n";
        }
    }
    const fs::path live = Native(kMdbPath);
    const host::SpawnResult writer =
        host::SpawnProgram("/usr/bin/sqlite3", {live.string(), ".read " + script.string()}, false);
    ASSERT_TRUE(writer.started) << writer.error;
    for (int i = 0; i < 3; ++i) {
        const std::string name = "C:\\Backup\\during" + std::to_string(i) + ".mdb";
        ASSERT_TRUE(ado_.DBGoBackUp(name)) << ado_.ErrDes;
        const fs::path backup = Native(name);
        EXPECT_EQ(Value(backup, "PRAGMA integrity_check"), "ok");
        EXPECT_EQ(std::stoi(Value(backup, "SELECT COUNT(*) FROM 품목")) % 100, 3) << name;
    }
}

TEST_F(BackupTest, AnUnwritableTargetIsAFailureNotAnException) {
    Put("C:\\Backup", "a file where the folder should be");
    EXPECT_FALSE(ado_.DBGoBackUp("C:\\Backup\\x.mdb"));
    EXPECT_FALSE(ado_.BackupWritten);
    EXPECT_EQ(Value(Native(kMdbPath), "SELECT COUNT(*) FROM 품목"), "3");
}

TEST_F(BackupTest, ACompactionThatFailsAfterTheCopyLeavesTheBackupWrittenAndSaysSo) {
    // A damaged table page: the bytes copy as they are, the compaction cannot read them.
    const fs::path live = Native(kMdbPath);
    const int page = std::stoi(Value(live, "PRAGMA page_size"));
    const int root =
        std::stoi(Value(live, "SELECT rootpage FROM sqlite_master WHERE name = '품목'"));
    {
        std::fstream file(live, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(static_cast<std::streamoff>(root - 1) * page);
        file.write(std::string(16, '\xff').data(), 16);
    }
    EXPECT_FALSE(ado_.DBGoBackUp("C:\\Backup\\damaged.mdb"));
    EXPECT_TRUE(ado_.BackupWritten);
    EXPECT_FALSE(ado_.ErrDes.empty());
    EXPECT_EQ(fs::file_size(Native("C:\\Backup\\damaged.mdb")), fs::file_size(live));
}

using CopyTest = ItemsMdbWorld;

TEST_F(CopyTest, MdbToMdbCopiesAllColumnsOrTheNamedOnesWithTheWhereClause) {
    fixtures::RunOnDatabase(Native("C:\\New\\new.mdb"), db::Dialect::Jet, "",
                            {"CREATE TABLE 새품목 (코드 TEXT(10), 이름 TEXT(20), 수량 LONG)"});
    db::ConnectionRef cn;
    ASSERT_TRUE(ado_.DBConnection_MDB(cn, "C:\\New\\new.mdb", "", 0));
    ASSERT_TRUE(ado_.DBDataCopy_MDBTOMDB(cn, "품목", "새품목", kMdbPassword, kMdbPath));
    EXPECT_EQ(Count(cn, "새품목"), 3);
    ASSERT_TRUE(ado_.DBDataCopy_MDBTOMDB(cn, "품목", "새품목", kMdbPassword, kMdbPath, "코드,수량",
                                         "WHERE 수량 > 4"));
    EXPECT_EQ(Count(cn, "새품목"), 5);
    std::string message;
    EXPECT_FALSE(
        ado_.DBDataCopy_MDBTOMDB(cn, "없는표", "새품목", kMdbPassword, kMdbPath, "", "", &message));
    EXPECT_FALSE(message.empty());
    EXPECT_EQ(Count(cn, "새품목"), 5);
}

TEST_F(CopyTest, CopiesIntoAServerDatabaseFromAnMdbAndFromAnotherServerDatabase) {
    MakeServerDatabase("STORE",
                       {"CREATE TABLE 새품목 (코드 VARCHAR(10), 이름 NVARCHAR(20), 수량 INT)"});
    MakeServerDatabase("OLD", {"CREATE TABLE 품목 (코드 VARCHAR(10), 이름 NVARCHAR(20), 수량 INT)",
                               "INSERT INTO 품목 VALUES ('X1', 'it''s', 2)",
                               "INSERT INTO 품목 VALUES ('X2', '연고', 9)"});
    db::ConnectionRef cn;
    ASSERT_TRUE(ConnectSql(ado_, cn));
    // A text literal in the where clause survives the quoted query of the provider.
    ASSERT_TRUE(ado_.DBDataCopy_MDBTOSQL(cn, "품목", "새품목", kMdbPath, kMdbPassword, "",
                                         "WHERE 이름 = '파스'"));
    EXPECT_EQ(Count(cn, "새품목"), 1);
    EXPECT_FALSE(ado_.DBDataCopy_MDBTOSQL(cn, "없는표", "새품목", kMdbPath, kMdbPassword));
    ASSERT_FALSE(desktop_.Calls().empty());
    EXPECT_EQ(desktop_.Calls().back().text, "[없는표] 테이블이 존재하는지 확인하시기 바랍니다");

    ASSERT_TRUE(ado_.DBDataCopy_SQLTOSQL(cn, kServer, "OLD", "sa", kServerPassword, "품목",
                                         "새품목", "코드,이름,수량", "WHERE A.수량 < 5"));
    EXPECT_EQ(Count(cn, "새품목"), 2);
}

// The housekeeping runs the project's client program, built beside the tests.
class HousekeepingTest : public AdoWorld {
  protected:
    void SetUp() override {
        const char* bin = std::getenv("DATAPATCH_TEST_BIN");
        if (bin == nullptr) GTEST_SKIP() << "DATAPATCH_TEST_BIN is not set";
        ::setenv("DATAPATCH_OSQL", (fs::path(bin) / "datapatch-osql").c_str(), 1);
        fixtures::WriteEmbeddedLogin(host_, kServer, kServerPassword, kServerFolder);
        MakeServerDatabase(
            "STORE", {"CREATE TABLE 품목 (코드 VARCHAR(10))", "INSERT INTO 품목 VALUES ('A1')"});
        MakeServerDatabase("OTHER", {});
        db::ConnectionRef cn;
        ASSERT_TRUE(ado_.DBConnection_SQL(cn, kServer, "STORE", "sa", kServerPassword));
        cn->Close();
    }
    void TearDown() override { ::unsetenv("DATAPATCH_OSQL"); }
    std::vector<std::string> Databases() {
        std::string names;
        EXPECT_TRUE(ado_.DBSQL_DBName(&names));
        std::vector<std::string> list;  // one name a line; names hold no blanks
        std::istringstream in(names);
        for (std::string name; in >> name;) list.push_back(name);
        return list;
    }
    bool TemporaryFilesLeft() const {
        return Exists("C:\\QRXgoDbHdl.SQL") || Exists("C:\\QRXgoDbHdl.BAT") ||
               Exists("C:\\QRXgoDbHdl.TXT");
    }
};

// The rename puts the database in single-user mode first, which the last other connection holds
// off; the one allowed user, the refusal of a second and the shrink are the server folder's and
// the client's tests.
TEST_F(HousekeepingTest, RenameWaitsForTheLastOtherConnection) {
    EXPECT_TRUE(ado_.DBSQL데이터축소(0, " 10 "));
    EXPECT_EQ(Databases(), (std::vector<std::string>{"OTHER", "STORE"}));
    EXPECT_FALSE(TemporaryFilesLeft());
    {
        db::ConnectionRef other;
        db::Kro_Ado second(context_);
        ASSERT_TRUE(second.DBConnection_SQL(other, kServer, "STORE", "sa", kServerPassword));
        EXPECT_EQ(ado_.DBSqlDataReName("NEWSTORE"), "싱글모드 작업실패");
        EXPECT_EQ(Databases(), (std::vector<std::string>{"OTHER", "STORE"}));
        EXPECT_EQ(Count(other, "품목"), 1);
    }
    // Once it is gone the database moves, and is left open to everyone.
    EXPECT_EQ(ado_.DBSqlDataReName("NEWSTORE"), "성공");
    EXPECT_EQ(Databases(), (std::vector<std::string>{"NEWSTORE", "OTHER"}));
    db::ConnectionRef a, b;
    db::Kro_Ado first(context_), second(context_);
    ASSERT_TRUE(first.DBConnection_SQL(a, kServer, "NEWSTORE", "sa", kServerPassword));
    ASSERT_TRUE(second.DBConnection_SQL(b, kServer, "NEWSTORE", "sa", kServerPassword));
    EXPECT_EQ(Count(b, "품목"), 1);
}

TEST_F(HousekeepingTest, DetachAndAttachAgainUnderAnotherName) {
    ado_.DBSqlDeTTACH("OTHER");
    EXPECT_EQ(Databases(), std::vector<std::string>{"STORE"});
    const std::string output =
        ado_.DBSqlATTACH("OTHER2", std::string(kServerFolder) + "\\OTHER.sqlite.detached");
    EXPECT_EQ(output.find("Msg "), std::string::npos) << output;
    EXPECT_EQ(Databases(), (std::vector<std::string>{"OTHER2", "STORE"}));
}

TEST_F(HousekeepingTest, TheScriptAndTheBatchFileHoldWhatTheClientIsGiven) {
    // A stand-in client that keeps what it was handed and answers as the real one does.
    const fs::path client = temp_.Path() / "client.sh";
    {
        std::ofstream out(client);
        out << "#!/bin/sh\n"
               "cp \"$DATAPATCH_ROOT/c/QRXgoDbHdl.BAT\" \"$DATAPATCH_ROOT/seen.bat\"\n"
               "cp \"$DATAPATCH_ROOT/c/QRXgoDbHdl.SQL\" \"$DATAPATCH_ROOT/seen.sql\"\n"
               "echo \"$@\" > \"$DATAPATCH_ROOT/seen.args\"\n"
               "printf '1> 2> The command(s) completed successfully.' > "
               "\"$DATAPATCH_ROOT/c/QRXgoDbHdl.TXT\"\n";
    }
    fs::permissions(client, fs::perms::owner_all);
    ::setenv("DATAPATCH_OSQL", client.c_str(), 1);
    EXPECT_TRUE(ado_.DBSqlSingleMode(true));
    const auto read = [&](const char* name) {
        std::ifstream in(temp_.Path() / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    EXPECT_EQ(read("seen.bat"), std::string("OSQL -S ") + kServerAddress + " -U sa -P " +
                                    kServerPassword +
                                    " -i C:\\QRXgoDbHdl.SQL -o C:\\QRXgoDbHdl.TXT\r\n");
    EXPECT_EQ(read("seen.sql"), "exec sp_dboption [STORE], 'single user', True\r\nGO\r\n");
    // A name that is no plain name never reaches the client.
    EXPECT_NE(ado_.DBSqlDeTTACH("STORE; DROP DATABASE STORE").find("not a usable name"),
              std::string::npos);
    EXPECT_FALSE(ado_.DBSQL데이터축소(0, "10) DROP DATABASE STORE --"));
    EXPECT_EQ(read("seen.sql"), "exec sp_dboption [STORE], 'single user', True\r\nGO\r\n");
    EXPECT_EQ(read("seen.args"), std::string("-S ") + kServerAddress + " -U sa -P " +
                                     kServerPassword +
                                     " -i C:\\QRXgoDbHdl.SQL -o C:\\QRXgoDbHdl.TXT\n");
    EXPECT_FALSE(TemporaryFilesLeft());
}

}  // namespace
}  // namespace db_test
