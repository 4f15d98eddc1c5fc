#include "child_run.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace bench {

ChildResult Run(const ChildRun& run) {
    if (run.arguments.empty()) throw std::runtime_error("no program to run");
    std::vector<char*> argv;
    for (const std::string& a : run.arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("cannot fork");
    if (pid == 0) {
        for (const auto& [name, value] : run.environment) ::setenv(name.c_str(), value.c_str(), 1);
        const int in = ::open(run.input.c_str(), O_RDONLY);
        const int out = ::open(run.output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0) ::_exit(127);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(out, 2);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0) {
        if (errno != EINTR) throw std::runtime_error("cannot wait for " + run.arguments[0]);
    }
    ChildResult result;
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                        static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    result.systemSeconds = static_cast<double>(usage.ru_stime.tv_sec) +
                           static_cast<double>(usage.ru_stime.tv_usec) / 1e6;
    result.peakMegabytes = static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    if (result.exitCode == 127) throw std::runtime_error("cannot start " + run.arguments[0]);
    return result;
}

}  // namespace bench
