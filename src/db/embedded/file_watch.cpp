#include "db/embedded/file_watch.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <mutex>

namespace db::embedded {
namespace {

// Every report of every watch of the process; a session compares it with what it saw last.
std::atomic<unsigned> g_reports{0};

// Drains the watches that have something to say (a report left unread would raise no further
// signal) and counts the reports.
void OnReport(int, siginfo_t* info, void*) {
    const int saved = errno;
    if (info != nullptr && info->si_fd >= 0) {
        alignas(inotify_event) char buffer[4096];
        while (::read(info->si_fd, buffer, sizeof buffer) > 0) {
        }
    }
    g_reports.fetch_add(1, std::memory_order_relaxed);
    errno = saved;
}

// The signal the watches raise; 0 when none could be set up.
int ReportSignal() {
    static const int signal = [] {
        const int chosen = SIGRTMIN + 5;
        struct sigaction current {};
        if (chosen > SIGRTMAX || ::sigaction(chosen, nullptr, &current) != 0) return 0;
        // Someone else uses it: leave it to them.
        if (current.sa_handler != SIG_DFL) return 0;
        struct sigaction action {};
        action.sa_sigaction = OnReport;
        action.sa_flags = SA_SIGINFO | SA_RESTART;
        sigemptyset(&action.sa_mask);
        return ::sigaction(chosen, &action, nullptr) == 0 ? chosen : 0;
    }();
    return signal;
}

}  // namespace

FileWatch::FileWatch(const std::filesystem::path& file) {
    const int signal = ReportSignal();
    if (signal != 0) {
        fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        const bool ready = fd_ >= 0 &&
                           ::inotify_add_watch(fd_, file.c_str(),
                                               IN_MOVE_SELF | IN_DELETE_SELF | IN_ATTRIB) >= 0 &&
                           ::fcntl(fd_, F_SETSIG, signal) == 0 &&
                           ::fcntl(fd_, F_SETOWN, ::getpid()) == 0 &&
                           ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_ASYNC) == 0;
        if (!ready && fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    Seen();
}

FileWatch::~FileWatch() {
    if (fd_ >= 0) ::close(fd_);
}

bool FileWatch::Due() const {
    return fd_ < 0 || g_reports.load(std::memory_order_relaxed) != reports_ ||
           std::chrono::steady_clock::now() - seen_ >= kRecheck;
}

void FileWatch::Seen() {
    reports_ = g_reports.load(std::memory_order_relaxed);
    seen_ = std::chrono::steady_clock::now();
}

}  // namespace db::embedded
