#pragma once
// A Host on a fresh temporary root per test, with helpers that place files on its drives.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "host/host.h"
#include "host/temp_folder.h"

namespace util_test {

class HostFixture : public ::testing::Test {
  protected:
    HostFixture() : host_(Options(temp_)) {}

    // Where a Windows path of the virtual root lives, e.g. "C:\A\B.TXT" -> <root>/c/A/B.TXT.
    std::filesystem::path Native(std::string_view windowsPath) const {
        return *host_.Native(windowsPath);
    }
    void Put(std::string_view windowsPath, std::string_view bytes) {
        host_test::WriteBytes(Native(windowsPath), bytes);
    }
    std::string Get(std::string_view windowsPath) const {
        return host_test::ReadBytes(Native(windowsPath));
    }
    void MakeFolder(std::string_view windowsPath) {
        std::filesystem::create_directories(Native(windowsPath));
    }

    host_test::TempFolder temp_;
    host::Host host_;

  private:
    static host::HostOptions Options(const host_test::TempFolder& temp) {
        host::HostOptions options;
        options.root = temp.Path();
        return options;
    }
};

}  // namespace util_test
