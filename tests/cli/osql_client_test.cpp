// Runs datapatch-osql as the store software starts it for its housekeeping scripts, on an
// embedded server in a fresh root, and reads the output file it leaves.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "db/embedded/case_file.h"
#include "db/embedded/embedded.h"
#include "db/embedded/server_folder.h"
#include "db/embedded/session_helpers.h"
#include "fixtures/program_runner.h"
#include "fixtures/world.h"
#include "host/temp_folder.h"

namespace {

namespace fs = std::filesystem;

using db::embedded::testing::PlainRows;
using fixtures::Outcome;
using fixtures::Quoted;

std::string OsqlProgram() {
    const char* bin = std::getenv("DATAPATCH_TEST_BIN");
    return std::string(bin ? bin : ".") + "/datapatch-osql";
}

std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

// The size column of sp_helpdb for the file.
std::string SizeText(const fs::path& file) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f MB",
                  static_cast<double>(fs::file_size(file)) / 1048576.0);
    return text;
}

class OsqlClient : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteFile("c/Quillon/SqlLogin.INI",
                  fixtures::EmbeddedLoginText("STORE-PC", "pw", "C:\\Quillon\\Server") +
                      "[FAR-PC]\r\nPassword=pw\r\nEngine=odbc:Driver=FreeTDS;Server=10.0.0.5\r\n");
    }

    fs::path Folder() const { return root_.Path() / "c/Quillon/Server"; }
    fs::path DatabaseFile(const std::string& name) const {
        return db::embedded::ServerDatabaseFile(Folder(), name);
    }

    // A database of the server with `rows` rows in table t.
    void MakeDatabase(const fs::path& file, int rows) {
        std::vector<std::string> sql = {"CREATE TABLE t (a INT)"};
        for (int i = 0; i < rows; ++i)
            sql.push_back("INSERT INTO t VALUES (" + std::to_string(i) + ")");
        fixtures::RunOnDatabase(file, db::Dialect::SqlServer, "", sql);
    }

    std::string Rows(const std::string& name) {
        return PlainRows(DatabaseFile(name), "SELECT COUNT(*) FROM t").at(0);
    }

    void WriteFile(const std::string& underRoot, const std::string& text) {
        host_test::WriteBytes(root_.Path() / underRoot, text);
    }
    std::string Output() const { return host_test::ReadBytes(root_.Path() / "c/Temp/out.txt"); }

    // Runs the script C:\Temp\script.sql with -o C:\Temp\out.txt; the output file is removed
    // first so that each run's own output is read.
    Outcome Run(const std::string& script, const std::string& login = "-S STORE-PC -U sa -P pw") {
        WriteFile("c/Temp/script.sql", script);
        fs::remove(root_.Path() / "c/Temp/out.txt");
        return fixtures::RunShell(OsqlProgram() + " --root " + Quoted(root_.Path().string()) + " " +
                                  login + " -i " + Quoted("C:\\Temp\\script.sql") + " -o " +
                                  Quoted("C:\\Temp\\out.txt") + " 2>&1");
    }

    host_test::TempFolder root_;
};

// The script the store software runs before it patches a database under a new name: only lines
// holding nothing but GO (any case, blanks around, either line end) end a batch, and the empty
// batch between two GO lines is not run. (Attaching, detaching and shrinking through the client:
// Kro_Ado's housekeeping tests; their refusals: the server folder's.)
TEST_F(OsqlClient, RenameScriptRunsBatchByBatch) {
    MakeDatabase(DatabaseFile("store"), 5);
    const Outcome outcome =
        Run("exec sp_dboption store, 'single user', True\r\n"
            "GO\r\n"
            "exec sp_renamedb 'store','store_old'\r\n"
            "  go \t\r\n"
            "EXEC  SP_DBOPTION 'store_old' ,'single user' , false;\n"
            "Go\n"
            "GO\n"
            "EXEC SP_HELPDB\n");
    EXPECT_EQ(outcome.exitCode, 0) << outcome.output;
    EXPECT_EQ(Output(), Lines({
                            "1> 2> The command(s) completed successfully.",
                            "1> 2> The database name 'store_old' has been set.",
                            "The command(s) completed successfully.",
                            "1> 2> The command(s) completed successfully.",
                            "1> 2> name  db_size  status",
                            "---------------------",
                            "store_old  " + SizeText(DatabaseFile("store_old")) +
                                "  Status=ONLINE, UserAccess=MULTI_USER",
                            "",
                            "(1 rows affected)",
                        }));
    EXPECT_FALSE(fs::exists(DatabaseFile("store")));
    EXPECT_EQ(Rows("store_old"), "5");
}

// A failed statement is reported in the output and the script goes on; the run itself succeeds.
TEST_F(OsqlClient, FailedStatementsAreReportedAsTheServerDoes) {
    MakeDatabase(DatabaseFile("store"), 1);
    MakeDatabase(DatabaseFile("other"), 1);
    // A connection of this process keeps the database in use for the client.
    db::embedded::OpenOptions options;
    options.dialect = db::Dialect::SqlServer;
    auto inUse = db::embedded::Open(DatabaseFile("other"), options);
    const std::string file = std::string(DATAPATCH_TESTS_DIR) + "/cli/cases/osql_errors.txt";
    std::ifstream in(file);
    std::vector<std::map<std::string, std::string>> cases;
    for (const auto& block : db::embedded::testing::ReadBlocks(in, file)) {
        cases.emplace_back(block.begin(), block.end());
    }
    ASSERT_FALSE(cases.empty()) << file;
    std::string script;
    for (auto& c : cases) script += c["statement"] + "\nGO\n";
    const Outcome outcome = Run(script);
    EXPECT_EQ(outcome.exitCode, 0) << outcome.output;

    const std::string out = Output();
    std::size_t at = 0;
    for (auto& c : cases) {
        const std::string head =
            "1> 2> Msg " + c["msg"] + ", Level 16, State 1, Server STORE-PC, Line 1\r\n";
        ASSERT_EQ(out.find(head, at), at) << c["statement"] << "\n" << out;
        const std::size_t end = out.find("\r\n", at + head.size());
        const std::string message = out.substr(at + head.size(), end - at - head.size());
        EXPECT_NE(message.find(c["message"]), std::string::npos)
            << c["statement"] << ": " << message;
        at = end + 2;
    }
    EXPECT_EQ(at, out.size());
    EXPECT_EQ(out.find("completed"), std::string::npos);
    EXPECT_EQ(Rows("store"), "1");
    EXPECT_EQ(Rows("other"), "1");
}

// Refused logins and unusable command lines end the client without running the script.
TEST_F(OsqlClient, RefusedLoginsAndUsageErrors) {
    MakeDatabase(DatabaseFile("store"), 1);
    const std::string script = "exec sp_detach_db store\nGO\n";
    const std::pair<const char*, const char*> cases[] = {
        {"-S STORE-PC -U sa -P wrong", "Login failed for user 'sa'."},
        {"-SSTORE-PC -Uclerk", "Login failed for user 'clerk'."},
        {"-S FAR-PC -U sa -P pw", "embedded servers only"},
        {"-S NOWHERE -U sa -P pw", "does not exist"},
    };
    for (const auto& [login, shown] : cases) {
        EXPECT_EQ(Run(script, login).exitCode, 1) << login;
        EXPECT_NE(Output().find(shown), std::string::npos) << login << ": " << Output();
    }
    EXPECT_TRUE(fs::exists(DatabaseFile("store")));

    for (const char* args : {"", " -S STORE-PC", " -S STORE-PC -i", " -S STORE-PC -x 1 -i a"}) {
        const Outcome outcome = fixtures::RunShell(OsqlProgram() + args + " 2>&1");
        EXPECT_EQ(outcome.exitCode, 1) << args;
        EXPECT_NE(outcome.output.find("usage:"), std::string::npos) << args;
    }
}

}  // namespace
