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

TEST(SingleInstanceLock, ReleasedWhenTheHoldingProcessEnds) {
    host_test::TempFolder root;
    int toParent[2];
    ASSERT_EQ(::pipe(toParent), 0);
    int toChild[2];
    ASSERT_EQ(::pipe(toChild), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        SingleInstanceLock lock(root.Path());
        const char held = lock.TryAcquire() ? 'y' : 'n';
        static_cast<void>(::write(toParent[1], &held, 1));
        char go = 0;
        static_cast<void>(::read(toChild[0], &go, 1));  // hold until the parent has checked
        ::_exit(0);  // no destructor runs: the system drops the lock
    }
    char held = 0;
    ASSERT_EQ(::read(toParent[0], &held, 1), 1);
    ASSERT_EQ(held, 'y');
    SingleInstanceLock lock(root.Path());
    EXPECT_FALSE(lock.TryAcquire());
    const char go = 'g';
    ASSERT_EQ(::write(toChild[1], &go, 1), 1);
    ::waitpid(pid, nullptr, 0);
    EXPECT_TRUE(lock.TryAcquire());
    for (const int fd : {toParent[0], toParent[1], toChild[0], toChild[1]}) ::close(fd);
}

TEST(SingleInstanceLock, MissingRootIsAnErrorNotAHolder) {
    host_test::TempFolder temp;
    SingleInstanceLock lock(temp.Path() / "no-such-root");
    EXPECT_FALSE(lock.TryAcquire());
    EXPECT_NE(lock.LastError().find("no-such-root"), std::string::npos) << lock.LastError();
}

}  // namespace
}  // namespace host
