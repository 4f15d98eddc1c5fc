#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <thread>

#include "host/instance_lock.h"
#include "host/spawn.h"
#include "host/temp_folder.h"

namespace fs = std::filesystem;

namespace host {
namespace {

const fs::path kShell = "/bin/sh";

TEST(SpawnProgram, PassesArgumentsVerbatimWithoutAShellAndWaitsForTheExitCode) {
    host_test::TempFolder temp;
    const fs::path out = temp.Path() / "args";
    const SpawnResult result = SpawnProgram(kShell,
                                            {"-c", "printf '%s|' \"$@\" > \"$0\"; exit 3",
                                             out.string(), "a b", "$HOME", ";rm -rf x", ""},
                                            true);
    ASSERT_TRUE(result.started) << result.error;
    EXPECT_GT(result.processId, 0);
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(host_test::ReadBytes(out), "a b|$HOME|;rm -rf x||");
    EXPECT_EQ(SpawnProgram(kShell, {"-c", "kill -9 $$"}, true).exitCode, 128 + 9);
}

TEST(SpawnProgram, ExplainsWhyAProgramCannotStart) {
    host_test::TempFolder temp;
    host_test::WriteBytes(temp.Path() / "plain.exe", "#!/bin/sh\n");
    const std::pair<fs::path, std::string_view> cases[] = {
        {temp.Path() / "missing.exe", "no such program file"},
        {temp.Path(), "not a program file"},
        {temp.Path() / "plain.exe", "the file is not executable"},
    };
    for (const auto& [program, error] : cases) {
        const SpawnResult result = SpawnProgram(program, {}, true);
        EXPECT_FALSE(result.started) << program;
        EXPECT_EQ(result.error, error) << program;
    }
}

// Polls `done` every few milliseconds; false when it did not come true within the limit.
template <typename Condition>
bool Within(std::chrono::seconds limit, Condition done) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

TEST(SpawnProgram, WithoutWaitingReturnsAtOnceAndLeavesNoZombie) {
    host_test::TempFolder temp;
    const fs::path go = temp.Path() / "go";
    // The child runs until the file "go" appears. A helper creates it once the start call has
    // returned, or after a while if the call wrongly waits, so a fault fails instead of hanging.
    std::atomic<bool> returned{false};
    bool releasedAfterReturn = false;
    std::thread helper([&] {
        releasedAfterReturn = Within(std::chrono::seconds(10), [&] { return returned.load(); });
        host_test::WriteBytes(go, "");
    });
    const SpawnResult result = SpawnProgram(
        kShell, {"-c", "while [ ! -e \"$0\" ]; do sleep 0.01; done", go.string()}, false);
    returned = true;
    helper.join();
    ASSERT_TRUE(result.started) << result.error;
    EXPECT_TRUE(releasedAfterReturn);
    EXPECT_EQ(result.exitCode, -1);  // not known: the call did not wait
    // Gone without this test calling waitpid: not even a zombie is left.
    EXPECT_TRUE(Within(std::chrono::seconds(10),
                       [&] { return ::kill(result.processId, 0) != 0 && errno == ESRCH; }));
    EXPECT_EQ(::waitpid(result.processId, nullptr, WNOHANG), -1);
}

// Runs `body` in a forked child and returns its exit code.
template <typename Body>
int InChild(Body body) {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(body());
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

constexpr int kAcquired = 10;
constexpr int kRefused = 20;

TEST(SingleInstanceLock, AnotherProcessIsRefusedWhileHeld) {
    host_test::TempFolder root;
    const auto tryInChild = [&] {
        return InChild([&] {
            SingleInstanceLock lock(root.Path());
            return lock.TryAcquire() ? kAcquired : kRefused;
        });
    };
    {
        SingleInstanceLock lock(root.Path());
        ASSERT_TRUE(lock.TryAcquire()) << lock.LastError();
        EXPECT_TRUE(lock.TryAcquire());  // holding it already
        EXPECT_EQ(tryInChild(), kRefused);

        SingleInstanceLock second(root.Path());  // a second holder in the same process, too
        EXPECT_FALSE(second.TryAcquire());
        EXPECT_EQ(second.LastError(), "");
        lock.Release();
        EXPECT_EQ(tryInChild(), kAcquired);
        EXPECT_TRUE(lock.TryAcquire());
    }
    EXPECT_EQ(tryInChild(), kAcquired);  // released with the object
}

// A holder that ends without running its destructor (a crash) leaves no stale lock behind. A
// missing root is an error, not a holder.
TEST(SingleInstanceLock, ReleasedWhenTheHoldingProcessEndsAndMissingRootIsAnError) {
    host_test::TempFolder root;
    const int child = InChild([&] {
        SingleInstanceLock lock(root.Path());
        ::_exit(lock.TryAcquire() ? kAcquired : kRefused);  // no destructor runs
        return 0;
    });
    EXPECT_EQ(child, kAcquired);
    SingleInstanceLock lock(root.Path());
    EXPECT_TRUE(lock.TryAcquire());
    SingleInstanceLock missing(root.Path() / "no-such-root");
    EXPECT_FALSE(missing.TryAcquire());
    EXPECT_NE(missing.LastError().find("no-such-root"), std::string::npos) << missing.LastError();
}

}  // namespace
}  // namespace host
