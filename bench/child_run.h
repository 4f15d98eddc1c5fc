#pragma once
// One program run in a child process, measured as the operating system sees it: wall time,
// processor time and the peak resident memory of the child.
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace bench {

struct ChildRun {
    std::vector<std::string> arguments;                            // the program first
    std::vector<std::pair<std::string, std::string>> environment;  // added to this process's
    std::filesystem::path input = "/dev/null";                     // standard input
    std::filesystem::path output = "/dev/null";                    // standard output and error
};

struct ChildResult {
    int exitCode = -1;  // -1 when killed by a signal
    double seconds = 0;
    double cpuSeconds = 0;     // user and system
    double systemSeconds = 0;  // of cpuSeconds, spent in the kernel
    double peakMegabytes = 0;
};

// Runs the child to its end. Throws std::runtime_error when it cannot be started.
ChildResult Run(const ChildRun& run);

}  // namespace bench
