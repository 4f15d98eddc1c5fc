#pragma once
// A Host on a fresh temporary root per test, with helpers that place files on its drives.
#include <gtest/gtest.h>

#include <filesystem>
#include <string_view>

#include "fixtures/host_root.h"

namespace util_test {

class HostFixture : public ::testing::Test, public fixtures::HostRoot {
  protected:
    void MakeFolder(std::string_view windowsPath) {
        std::filesystem::create_directories(Native(windowsPath));
    }
};

}  // namespace util_test
