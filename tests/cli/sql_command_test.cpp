// Runs `datapatch sql` as a support technician would, on databases made in a fresh root.
#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>

#include "db/embedded/embedded.h"
#include "fixtures/program_runner.h"
#include "fixtures/world.h"
#include "host/temp_folder.h"
#include "util/byte_text.h"

namespace {

namespace fs = std::filesystem;

using fixtures::Outcome;
using fixtures::Quoted;

class SqlCommand : public ::testing::Test {
  protected:
    const fs::path& Root() const { return root_.Path(); }

    // A database file of the embedded engine at a path under the root ("c/Data/store.mdb").
    fs::path MakeDatabase(const std::string& underRoot, db::Dialect dialect) {
        const fs::path file = Root() / underRoot;
        fixtures::RunOnDatabase(file, dialect, dialect == db::Dialect::Jet ? "kelp2093" : "", {});
        return file;
    }

    void WriteFile(const std::string& underRoot, const std::string& text) {
        host_test::WriteBytes(Root() / underRoot, text);
    }

    // Runs `datapatch --root <root> sql <args>` on `script` given as a file.
    Outcome Run(const std::string& args, const std::string& script) {
        WriteFile("script.sql", script);
        return Shell(args + " " + Quoted((Root() / "script.sql").string()));
    }

    Outcome Shell(const std::string& args) {
        return fixtures::RunShell(fixtures::DatapatchProgram() + " --root " +
                                  Quoted(Root().string()) + " sql " + args + " 2>&1");
    }

    // Runs the script on a new MDB database C:\Data\<name>.mdb.
    Outcome RunOnStore(const std::string& script, const std::string& name = "store") {
        MakeDatabase("c/Data/" + name + ".mdb", db::Dialect::Jet);
        return Run(Quoted("--mdb=C:\\Data\\" + name + ".mdb"), script);
    }

    static constexpr const char* kTable =
        "CREATE TABLE [상품] ([코드] TEXT(10), [이름] TEXT(20), [수량] INT)\n";

  private:
    host_test::TempFolder root_;
};

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// Only lines holding nothing but GO (any case, blanks around) separate the texts; line ends
// inside a text are CR LF.
TEST_F(SqlCommand, GoLinesSeparateTheTexts) {
    const struct {
        const char* name;
        std::string script;
        const char* shown;
    } cases[] = {
        {"go",
         std::string(kTable) + "go\n"
                               "INSERT INTO [상품] VALUES ('A1', '가', 1)\r\n"
                               "  Go\t\r\n"
                               "INSERT INTO [상품] VALUES ('A2', '나', 2)\n"
                               "GO\n"
                               "GO\n"
                               "SELECT COUNT(*) AS GOODS FROM [상품]\n"
                               "GO",
         "GOODS\n-----\n2\n"},
        {"goto", std::string(kTable) + "GO\nSELECT COUNT(*)\nGOTO_COUNT\nFROM [상품]\n",
         "GOTO_COUNT\n----------\n0\n"},
        {"crlf",
         std::string(kTable) + "GO\nINSERT INTO [상품] VALUES ('A1', 'ab\ncd', 1)\nGO\n"
                               "SELECT LEN([이름]) AS N FROM [상품]\n",
         "N\n-\n6\n"},
    };
    for (const auto& c : cases) {
        const Outcome out = RunOnStore(c.script, c.name);
        EXPECT_EQ(out.exitCode, 0) << c.name << "\n" << out.output;
        EXPECT_NE(out.output.find(c.shown), std::string::npos) << c.name << "\n" << out.output;
        // Two inserts and the count in the first script; the empty text between two GO lines
        // is skipped.
        if (c.name == std::string("go")) {
            EXPECT_EQ(Count(out.output, "(1 rows affected)"), 3u);
        }
    }
}

// A failed text shows its number in hex and the rest still runs; rows are aligned with Korean
// text two columns wide.
TEST_F(SqlCommand, AFailedTextIsShownAndTheRestRunsWithAlignedRows) {
    const Outcome out = RunOnStore(std::string(kTable) +
                                   "GO\n"
                                   "SELECT * FROM [없는표]\n"
                                   "GO\n"
                                   "SELEC 1\n"
                                   "GO\n"
                                   "INSERT INTO [상품] VALUES ('A1', '타이레놀', 10)\n"
                                   "GO\n"
                                   "INSERT INTO [상품] VALUES ('B22', NULL, 5)\n"
                                   "GO\n"
                                   "SELECT [코드], [이름], [수량] FROM [상품] ORDER BY [코드]\n");
    EXPECT_EQ(out.exitCode, 1) << out.output;
    EXPECT_NE(out.output.find("Error 0x80040E37: "), std::string::npos) << out.output;
    EXPECT_NE(out.output.find("Error 0x80040E14: "), std::string::npos) << out.output;
    const std::string table =
        "코드  이름      수량\n"
        "----  --------  ----\n"
        "A1    타이레놀  10\n"
        "B22   NULL      5\n"
        "\n"
        "(2 rows affected)\n";
    EXPECT_NE(out.output.find(table), std::string::npos) << out.output;
}

// Each target with its exit code and what is shown; a server batch of two statements on two
// lines runs both.
TEST_F(SqlCommand, TargetsAndExitCodes) {
    MakeDatabase("plain.mdb", db::Dialect::Jet);
    MakeDatabase("c/Server/점포.sqlite", db::Dialect::SqlServer);
    WriteFile("c/Quillon/SqlLogin.INI",
              "[STORE]\r\nAddress=127.0.0.1\r\nPassword=pw\r\nEngine=embedded:C:\\Server\r\n");
    const std::string plain = Quoted((Root() / "plain.mdb").string());
    struct Case {
        std::string args;
        std::string script;
        int exitCode;
        const char* shown;
    };
    const Case cases[] = {
        {"--mdb " + plain, "SELECT 1 AS ONE", 0, "ONE"},
        {"--server STORE --database 점포",
         "CREATE TABLE [상품] ([코드] NVARCHAR(10))\nGO\nINSERT INTO [상품] VALUES ('A1')\n"
         "INSERT INTO [상품] VALUES ('A2')\nGO\nSELECT COUNT(*) AS N FROM [상품]\n",
         0, "N\n-\n2\n"},
        {"--mdb " + plain, "SELECT 1 AS ONE\nGO\nDROP TABLE [없는표]", 1, "Error 0x80040E37"},
        {"--mdb " + Quoted((Root() / "missing.mdb").string()), "SELECT 1", 1, "Error 0x80004005"},
        {Quoted("--mdb=C:\\Data\\missing.mdb"), "SELECT 1", 1, "Error 0x80004005"},
        {"--mdb " + plain + " --password wrong", "SELECT 1", 1, "Error 0x80004005"},
        {"--database NVMAIN", "SELECT 1", 64, "--database"},
        {"--server X --mdb " + plain, "SELECT 1", 64, "--server"},
    };
    for (const Case& c : cases) {
        const Outcome out = Run(c.args, c.script);
        EXPECT_EQ(out.exitCode, c.exitCode) << c.args << "\n" << out.output;
        EXPECT_NE(out.output.find(c.shown), std::string::npos) << c.args << "\n" << out.output;
    }
}

// Without a target the script runs on the configured store database; without a file it is read
// from standard input.
TEST_F(SqlCommand, ReadsStandardInputAndRunsOnTheConfiguredStoreDatabase) {
    MakeDatabase("c/Data/store.mdb", db::Dialect::Jet);
    WriteFile("c/Quillon/NVConfig.INI",
              "[DATA]\r\nM_매장디비모드=0\r\n데이터_MDBPath=C:\\Data\\store.mdb\r\n");
    WriteFile("in.sql", std::string(kTable) + "GO\nSELECT COUNT(*) AS N FROM [상품]\n");
    const Outcome out = Shell("< " + Quoted((Root() / "in.sql").string()));
    EXPECT_EQ(out.exitCode, 0) << out.output;
    EXPECT_NE(out.output.find("N\n-\n0\n"), std::string::npos) << out.output;
    EXPECT_NE(out.output.find("(0 rows affected)"), std::string::npos) << out.output;
}

// At a terminal the command prompts, runs each batch as soon as its GO is typed and sends errors
// to standard error; EXIT ends the session.
class Terminal {
  public:
    explicit Terminal(const std::string& command, unsigned short columns = 80) {
        winsize size{};
        size.ws_row = 24;
        size.ws_col = columns;
        pid_ = forkpty(&master_, nullptr, nullptr, &size);
        if (pid_ == 0) {
            execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~Terminal() {
        if (master_ >= 0) close(master_);
        if (pid_ > 0) waitpid(pid_, nullptr, 0);
    }
    void Type(const std::string& text) {
        ASSERT_EQ(write(master_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    // Reads until `part` has been shown (true) or 20 s have passed.
    bool WaitFor(const std::string& part) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (shown_.find(part, seen_) == std::string::npos) {
            if (std::chrono::steady_clock::now() > end || !ReadSome()) return false;
        }
        seen_ = shown_.find(part, seen_) + part.size();
        return true;
    }
    int ExitCode() {
        while (ReadSome()) {
        }
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    const std::string& Shown() const { return shown_; }

  private:
    bool ReadSome() {
        pollfd p{master_, POLLIN, 0};
        if (poll(&p, 1, 200) <= 0) return true;
        char buf[4096];
        const ssize_t n = read(master_, buf, sizeof buf);
        if (n <= 0) return false;
        shown_.append(buf, static_cast<std::size_t>(n));
        return true;
    }
    int master_ = -1;
    pid_t pid_ = -1;
    std::string shown_;
    std::size_t seen_ = 0;
};

TEST_F(SqlCommand, AtATerminalEachGoRunsItsBatchAtOnce) {
    MakeDatabase("plain.mdb", db::Dialect::Jet);
    Terminal t(fixtures::DatapatchProgram() + " --root " + Quoted(Root().string()) + " sql --mdb " +
               Quoted((Root() / "plain.mdb").string()) + " 2>" +
               Quoted((Root() / "errors.txt").string()));
    ASSERT_TRUE(t.WaitFor("1> ")) << t.Shown();
    t.Type("SELECT 7\n");
    ASSERT_TRUE(t.WaitFor("2> ")) << t.Shown();
    t.Type("+ 1 AS EIGHT\nGO\n");
    ASSERT_TRUE(t.WaitFor("-----\r\n8\r\n")) << t.Shown();  // before any further input
    ASSERT_TRUE(t.WaitFor("(1 rows affected)")) << t.Shown();
    ASSERT_TRUE(t.WaitFor("1> ")) << t.Shown();
    t.Type("SELECT * FROM 없는표\nGO\nexit\n");
    EXPECT_EQ(t.ExitCode(), 1) << t.Shown();
    const std::string err = host_test::ReadBytes(Root() / "errors.txt");
    EXPECT_NE(err.find("Error 0x80040E37"), std::string::npos) << err;
    EXPECT_EQ(t.Shown().find("Error 0x"), std::string::npos) << t.Shown();
}

// A run at a terminal keeps one status line: the step of 127 and its run-list line, cut to the
// terminal's width (a wrapped line could not be cleared by a carriage return).
TEST_F(SqlCommand, AtATerminalARunShowsTheStepAndItsLine) {
    const std::string root = " --root " + Quoted(Root().string());
    ASSERT_EQ(fixtures::RunShell(fixtures::DatapatchProgram() + root + " demo").exitCode, 0);
    Terminal t(fixtures::DatapatchProgram() + root + " run --answer no --no-data1", 40);
    EXPECT_TRUE(t.WaitFor("단계 1/127  사용상품 재고확인일 필드")) << t.Shown();
    EXPECT_EQ(t.ExitCode(), 0) << t.Shown();
    EXPECT_NE(t.Shown().find("summary"), std::string::npos) << t.Shown();
    const std::string& shown = t.Shown();
    const std::string clear = "\r\033[K";
    for (std::size_t at = shown.find(clear); at != std::string::npos;
         at = shown.find(clear, at + 1)) {
        const std::size_t from = at + clear.size();
        const std::size_t end = shown.find_first_of("\r\n", from);
        if (shown.compare(end, 2, "\r\n") == 0) continue;  // a run-list line after the clear
        const std::string status = shown.substr(from, end - from);
        EXPECT_LT(util::ByteLength(status), 40) << status;
    }
}

}  // namespace
