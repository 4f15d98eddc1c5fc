#pragma once
// Whether the file a session opened may have been moved, replaced or removed since it was last
// looked at, told without a system call in the common case: the kernel reports any rename,
// removal or change of link count of the file (inotify) by a signal, which bumps a counter that
// the sessions read. Where no report can come (a network drive, a process out of watches), the
// file is looked at again once a bounded time has passed.
#include <chrono>
#include <filesystem>

namespace db::embedded {

class FileWatch {
  public:
    explicit FileWatch(const std::filesystem::path& file);
    ~FileWatch();
    FileWatch(const FileWatch&) = delete;
    FileWatch& operator=(const FileWatch&) = delete;

    // True when the file has to be looked at: a report came since the last Seen(), the watch
    // could not be set up, or kRecheck has passed.
    bool Due() const;
    // The file was looked at just now.
    void Seen();

    static constexpr std::chrono::milliseconds kRecheck{500};

  private:
    int fd_ = -1;
    unsigned reports_ = 0;  // the reports counted when the file was last looked at
    std::chrono::steady_clock::time_point seen_;
};

}  // namespace db::embedded
