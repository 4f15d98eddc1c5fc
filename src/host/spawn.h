#pragma once
// Starting programs with posix_spawn: an argument list, never a shell.
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace host {

// Result of starting a program.
struct SpawnResult {
    bool started = false;
    int exitCode = -1;  // only when waited for; 128 + n when ended by signal n
    int processId = 0;  // when started
    std::string error;  // why it did not start
};

using EnvironmentOverrides = std::vector<std::pair<std::string, std::string>>;

// Starts `program` (which must be an executable file) with `args` after argv[0], inheriting this
// process's environment with `overrides` set, its working folder and its standard streams; the
// child's signal mask is empty and its signal handlers are the defaults.
//
// With `wait` the call blocks until the program ends and reports its exit code. Without it the
// call returns at once and a detached thread waits for the child, so that no zombie is left behind
// and no process-wide SIGCHLD disposition is touched (other code keeps using waitpid on its own
// children). Should that thread not start, the child stays a zombie until this process ends.
SpawnResult SpawnProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                         bool wait, const EnvironmentOverrides& overrides = {});

}  // namespace host
