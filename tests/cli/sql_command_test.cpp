// Runs `datapatch sql` at a terminal as a support technician would, on the demo store. (How a
// script's GO lines separate its texts: the client program's tests, which share the splitting;
// the texts and targets of the command: cases/commands.txt.)
#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "fixtures/program_runner.h"
#include "host/temp_folder.h"
#include "util/byte_text.h"

namespace {

using fixtures::Quoted;

using SqlCommand = fixtures::ProgramRoot<>;

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
    ASSERT_EQ(Datapatch("demo").exitCode, 0);
    Terminal t(fixtures::DatapatchProgram() + " --root " + Quoted(Root().string()) + " sql 2>" +
               Quoted((temp_.Path() / "errors.txt").string()));
    ASSERT_TRUE(t.WaitFor("1> ")) << t.Shown();
    t.Type("SELECT 7\n");
    ASSERT_TRUE(t.WaitFor("2> ")) << t.Shown();
    t.Type("+ 1 AS EIGHT\nGO\n");
    ASSERT_TRUE(t.WaitFor("-----\r\n8\r\n")) << t.Shown();  // before any further input
    ASSERT_TRUE(t.WaitFor("(1 rows affected)")) << t.Shown();
    ASSERT_TRUE(t.WaitFor("1> ")) << t.Shown();
    t.Type("SELECT * FROM 없는표\nGO\nexit\n");
    EXPECT_EQ(t.ExitCode(), 1) << t.Shown();
    const std::string err = host_test::ReadBytes(temp_.Path() / "errors.txt");
    EXPECT_NE(err.find("Error 0x80040E37"), std::string::npos) << err;
    EXPECT_EQ(t.Shown().find("Error 0x"), std::string::npos) << t.Shown();
}

// A run at a terminal keeps one status line: the step of 127 and its run-list line, cut to the
// terminal's width (a wrapped line could not be cleared by a carriage return).
TEST_F(SqlCommand, AtATerminalARunShowsTheStepAndItsLine) {
    ASSERT_EQ(Datapatch("demo").exitCode, 0);
    Terminal t(fixtures::DatapatchProgram() + " --root " + Quoted(Root().string()) +
                   " run --answer no --no-data1",
               40);
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
