// Statements that read other databases (the Jet form [MS Access;…].t and OPENROWSET of the server
// kind) and BACKUP DATABASE, run on the embedded engine through the router.
#include <gtest/gtest.h>

#include <filesystem>

#include <map>

#include "db/ado_world.h"
#include "db/embedded/case_file.h"
#include "db/embedded/session_helpers.h"

namespace db_test {
namespace {

namespace fs = std::filesystem;
using db::Dialect;
using db::ErrorNumber::kUnspecified;

constexpr const char* kOldMdb = "C:\\Old\\Data.mdb";
constexpr const char* kOldPassword = "secret";

const std::string kJetSource = "[MS Access;DATABASE=C:\\Old\\Data.mdb;PWD=secret].OLDT";

// The login file of AdoWorld plus a server served through ODBC.
std::string LoginsWithOdbcServer() {
    return DefaultLoginText() +
           "[HQ]\r\nAddress=hq.example\r\nEngine=odbc:Driver=FreeTDS;Server=10.0.0.5\r\n";
}

class ExternalReferenceTest : public AdoWorld {
  protected:
    ExternalReferenceTest() : AdoWorld(LoginsWithOdbcServer()) {}

    void SetUp() override {
        const std::vector<std::string> old = {"CREATE TABLE OLDT (a VARCHAR(10), b INT, x INT)",
                                              "INSERT INTO OLDT VALUES ('r1', 1, 1)",
                                              "INSERT INTO OLDT VALUES ('r2', 2, 0)",
                                              "INSERT INTO OLDT VALUES ('r3', 3, 1)"};
        fixtures::RunOnDatabase(Native(kOldMdb), Dialect::Jet, kOldPassword, old);
        MakeServerDatabase("OLDDB", old);
        fixtures::RunOnDatabase(Native("C:\\Old\\Free.mdb"), Dialect::Jet, "",
                                {old[0], "INSERT INTO OLDT VALUES ('f1', 1, 1)"});
        MakeMdb({"CREATE TABLE NEWT (a VARCHAR(10), b INT, x INT)"});
        MakeServerDatabase("STORE", {"CREATE TABLE NEWT (a VARCHAR(10), b INT, x INT)",
                                     "INSERT INTO NEWT VALUES ('s0', 0, 0)"});
        fs::create_directories(Native("C:\\Backup"));
    }

    // A session on the MDB, or on the server database STORE.
    std::unique_ptr<db::Session> OpenSession(bool jet = true) {
        return router_->Open(jet ? MdbText() : ServerText(), 30, 0);
    }
    // A backup file (a Windows path), opened as the file of the embedded engine it is.
    std::unique_ptr<db::Session> OpenBackup(const std::string& file) {
        db::embedded::OpenOptions options;
        options.dialect = Dialect::Jet;
        return db::embedded::Open(Native(file), options);
    }

    // The rows of NEWT as "a:b" joined by ',', in the order of a.
    static std::string Rows(db::Session& s, const std::string& table = "NEWT") {
        db::ExecOutcome outcome = s.Execute("SELECT a, b FROM " + table + " ORDER BY a", 30);
        std::string text;
        std::vector<util::Variant> row;
        while (outcome.rows && outcome.rows->Next(row)) {
            if (!text.empty()) text += ',';
            text += row[0].AsText() + ":" + row[1].AsText();
        }
        return text;
    }

    static db::DbError ErrorOf(db::Session& s, const std::string& sql) {
        return db::embedded::testing::ErrorOf([&] { s.Execute(sql, 30); });
    }
};

// The statements of tables/external_references.txt.
TEST_F(ExternalReferenceTest, CopiesTheRowsOfEachFormOrFailsLeavingTheTargetAsItWas) {
    for (const auto& block : db::embedded::testing::LoadBlocks("tables/external_references.txt")) {
        std::map<std::string, std::string> c(block.begin(), block.end());
        const std::string& sql = c["run"];
        auto session = OpenSession(c["mode"] == "jet");
        session->Execute("DELETE FROM NEWT WHERE a <> 's0'", 30);
        if (c.count("error")) {
            const std::string before = Rows(*session);
            const db::DbError error = ErrorOf(*session, sql);
            EXPECT_EQ(db::HexNumber(error.Number()), c["error"])
                << sql << ": " << error.Description();
            EXPECT_EQ(error.Description().find("dp_ext_"), std::string::npos)
                << error.Description();
            if (sql.find("NOSUCH") != std::string::npos) {
                EXPECT_NE(error.Description().find("NOSUCH"), std::string::npos)
                    << error.Description();
            }
            EXPECT_EQ(Rows(*session), before) << sql;
            continue;
        }
        EXPECT_EQ(std::to_string(session->Execute(sql, 30).affected), c["affected"]) << sql;
        EXPECT_EQ(Rows(*session), c["rows"]) << sql;
        // The source is detached again: the same text runs a second time.
        EXPECT_EQ(std::to_string(session->Execute(sql, 30).affected), c["affected"]) << sql;
        // A backup (the copy of DBGoBackUp, whose test holds it to a committed state while another
        // process writes) opens as a database of its own.
        if (c.count("file")) {
            EXPECT_EQ(Rows(*OpenBackup(c["file"]), c["table"]), c["copy"]) << sql;
        }
    }
    EXPECT_FALSE(Exists("C:\\Backup\\x.dat"));
}

TEST_F(ExternalReferenceTest, AQueryReadsRowsOfAnotherFile) {
    auto session = OpenSession();
    EXPECT_EQ(Rows(*session, kJetSource), "r1:1,r2:2,r3:3");
    // The target database has a table of the same name: the reference still reads the file.
    session->Execute("CREATE TABLE OLDT (a VARCHAR(10), b INT, x INT)", 30);
    session->Execute("INSERT INTO OLDT VALUES ('own', 0, 1)", 30);
    session->Execute("Insert into NEWT(a,b) select a,b from " + kJetSource + " WHERE x = 1", 30);
    EXPECT_EQ(Rows(*session), "r1:1,r3:3");
}

// After a failure the source is detached: a good statement runs on the same session.
TEST_F(ExternalReferenceTest, AFailureDetachesTheSource) {
    auto session = OpenSession();
    EXPECT_NE(ErrorOf(*session,
                      "Insert into NEWT select * from [MS Access;DATABASE=C:\\Old\\"
                      "Data.mdb;PWD=bad].OLDT")
                  .Number(),
              0);
    EXPECT_EQ(session->Execute("Insert into NEWT select * from " + kJetSource, 30).affected, 3);
}

TEST_F(ExternalReferenceTest, RunsInsideAnOpenTransaction) {
    auto session = OpenSession();
    session->BeginTransaction(0);
    session->Execute("Insert into NEWT select * from " + kJetSource, 30);
    // The source stays attached while the transaction reads it; the same reference is reused.
    session->Execute("Insert into NEWT(a,b) select a,b from " + kJetSource + " WHERE x = 0", 30);
    session->RollbackTransaction();
    EXPECT_EQ(Rows(*session), "");

    session->BeginTransaction(0);
    session->Execute("Insert into NEWT(a,b) select a,b from " + kJetSource + " WHERE x = 0", 30);
    session->CommitTransaction();
    EXPECT_EQ(Rows(*session), "r2:2");
    // Detached after the transaction: another file under the same private name.
    fixtures::RunOnDatabase(Native("C:\\Old\\Other.mdb"), Dialect::Jet, "",
                            {"CREATE TABLE OLDT (a VARCHAR(10), b INT, x INT)",
                             "INSERT INTO OLDT VALUES ('o1', 1, 1)"});
    session->Execute("Insert into NEWT select * from [MS Access;DATABASE=C:\\Old\\Other.mdb].OLDT",
                     30);
    EXPECT_EQ(Rows(*session), "o1:1,r2:2");
}

TEST_F(ExternalReferenceTest, WithoutResolverReferencesFail) {
    db::embedded::OpenOptions options;
    options.jetPassword = kMdbPassword;
    auto session = db::embedded::Open(Native(kMdbPath), options);
    EXPECT_EQ(ErrorOf(*session, "Insert into NEWT select * from " + kJetSource).Number(),
              kUnspecified);
    EXPECT_EQ(Rows(*session), "");
}

}  // namespace
}  // namespace db_test
