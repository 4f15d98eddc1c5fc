#include "app/process.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "fixtures/host_root.h"
#include "host/desktop.h"

namespace {

class ProcessTest : public ::testing::Test, public fixtures::HostRoot {
  protected:
    ProcessTest() : process_(host_, desktop_) {}
    host::ScriptedDesktop desktop_;
    app::Process process_;
};

TEST_F(ProcessTest, UtilitiesReleasedAndRecreatedKeepTheProcessState) {
    std::filesystem::create_directories(*host_.Native("C:\\Data"));
    ASSERT_TRUE(process_.Utilities().SetCurrentDir(util::Variant("C:\\Data")));
    process_.ReleaseUtilities();
    // A new utility object sees the same current folder: the state belongs to the process.
    EXPECT_EQ(process_.Utilities().GetCurrentDir(), "C:\\Data");
}

}  // namespace
