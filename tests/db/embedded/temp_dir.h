#pragma once
// A fresh directory under the system temporary folder, removed with everything in it when the
// object goes; the embedded engine's tests name files in it with `/`.
#include <filesystem>
#include <string>

#include "host/temp_folder.h"

namespace db::embedded::testing {

class TempDir : public host_test::TempFolder {
  public:
    const std::filesystem::path& path() const { return Path(); }
    std::filesystem::path operator/(const std::string& name) const { return Path() / name; }
};

}  // namespace db::embedded::testing
