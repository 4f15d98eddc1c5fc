#include "host/instance_lock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "host/temp_folder.h"

namespace host {
namespace {

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

// A holder that ends without running its destructor (a crash) leaves no stale lock behind.
TEST(SingleInstanceLock, ReleasedWhenTheHoldingProcessEnds) {
    host_test::TempFolder root;
    const int child = InChild([&] {
        SingleInstanceLock lock(root.Path());
        ::_exit(lock.TryAcquire() ? kAcquired : kRefused);  // no destructor runs
        return 0;
    });
    EXPECT_EQ(child, kAcquired);
    SingleInstanceLock lock(root.Path());
    EXPECT_TRUE(lock.TryAcquire());
}

TEST(SingleInstanceLock, MissingRootIsAnErrorNotAHolder) {
    host_test::TempFolder temp;
    SingleInstanceLock lock(temp.Path() / "no-such-root");
    EXPECT_FALSE(lock.TryAcquire());
    EXPECT_NE(lock.LastError().find("no-such-root"), std::string::npos) << lock.LastError();
}

}  // namespace
}  // namespace host
