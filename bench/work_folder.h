#pragma once
// The folder a benchmark works in: the one asked for (made when missing, emptied first when
// asked), or a new one under the temporary folder.
#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace bench {

inline std::filesystem::path MakeWorkFolder(const std::string& requested, bool emptyFirst) {
    namespace fs = std::filesystem;
    if (!requested.empty()) {
        if (emptyFirst) fs::remove_all(requested);
        fs::create_directories(requested);
        return fs::absolute(requested);
    }
    std::string pattern = (fs::temp_directory_path() / "dp-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create " + pattern);
    return pattern;
}

}  // namespace bench
