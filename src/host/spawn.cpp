#include "host/spawn.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <thread>

extern char** environ;

namespace fs = std::filesystem;

namespace host {
namespace {

// Owns posix_spawnattr_t; the child gets an empty signal mask and default handlers.
class SpawnAttributes {
  public:
    SpawnAttributes() {
        posix_spawnattr_init(&attr_);
        sigset_t signals;
        sigemptyset(&signals);
        posix_spawnattr_setsigmask(&attr_, &signals);
        sigfillset(&signals);
        sigdelset(&signals, SIGKILL);
        sigdelset(&signals, SIGSTOP);
        posix_spawnattr_setsigdefault(&attr_, &signals);
        posix_spawnattr_setflags(&attr_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    ~SpawnAttributes() { posix_spawnattr_destroy(&attr_); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    const posix_spawnattr_t* Get() const { return &attr_; }

  private:
    posix_spawnattr_t attr_{};
};

// The environment as "NAME=value" texts, with the overrides replacing or adding variables.
std::vector<std::string> BuildEnvironment(const EnvironmentOverrides& overrides) {
    std::vector<std::string> entries;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const std::string_view text(*entry);
        bool overridden = false;
        for (const auto& [name, value] : overrides) {
            overridden = overridden || (text.starts_with(name) && text.size() > name.size() &&
                                        text[name.size()] == '=');
        }
        if (!overridden) entries.emplace_back(text);
    }
    for (const auto& [name, value] : overrides) entries.push_back(name + "=" + value);
    return entries;
}

std::vector<char*> NullTerminated(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    pointers.reserve(texts.size() + 1);
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Empty when the file can be started, else why not.
std::string CheckProgram(const fs::path& program) {
    std::error_code ec;
    const fs::file_status status = fs::status(program, ec);
    if (!fs::exists(status)) return "no such program file";
    if (!fs::is_regular_file(status)) return "not a program file";
    if (::access(program.c_str(), X_OK) != 0) return "the file is not executable";
    return std::string();
}

int WaitForExit(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

void ReapInBackground(pid_t pid) {
    try {
        std::thread([pid] { WaitForExit(pid); }).detach();
    } catch (const std::system_error&) {
        // No thread to spare: the child is reaped when this process ends.
    }
}

}  // namespace

SpawnResult SpawnProgram(const fs::path& program, const std::vector<std::string>& args, bool wait,
                         const EnvironmentOverrides& overrides) {
    SpawnResult result;
    result.error = CheckProgram(program);
    if (!result.error.empty()) return result;

    std::vector<std::string> argvTexts{program.string()};
    argvTexts.insert(argvTexts.end(), args.begin(), args.end());
    std::vector<std::string> envTexts = BuildEnvironment(overrides);
    std::vector<char*> argv = NullTerminated(argvTexts);
    std::vector<char*> envp = NullTerminated(envTexts);

    const SpawnAttributes attributes;
    pid_t pid = 0;
    const int rc =
        ::posix_spawn(&pid, program.c_str(), nullptr, attributes.Get(), argv.data(), envp.data());
    if (rc != 0) {
        result.error = std::error_code(rc, std::generic_category()).message();
        return result;
    }
    result.started = true;
    result.processId = static_cast<int>(pid);
    if (wait) {
        result.exitCode = WaitForExit(pid);
    } else {
        ReapInBackground(pid);
    }
    return result;
}

}  // namespace host
