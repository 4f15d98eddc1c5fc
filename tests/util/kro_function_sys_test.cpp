#include <gtest/gtest.h>

#include <filesystem>

#include "host/net_drives.h"
#include "util/host_fixture.h"
#include "util/kro_function.h"

namespace util {
namespace {

namespace fs = std::filesystem;

class KroFunctionSysTest : public util_test::HostFixture {
  protected:
    // A program that writes its arguments, one a line, beside itself and ends with code 3.
    void PutProgram(std::string_view windowsPath) {
        Put(windowsPath, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.out\"\nexit 3\n");
        fs::permissions(Native(windowsPath), fs::perms::owner_all, fs::perm_options::add);
    }
};

TEST_F(KroFunctionSysTest, FileOpenEXEWaitSplitsTheCommandLine) {
    PutProgram("C:\\Quillon\\Tool.sh");
    int yields = 0;
    Kro_Function f(host_, [&yields] { ++yields; });
    host::SpawnResult r = f.FileOpenEXEWait(R"(C:\Quillon\tool.sh /Mds "a b" c\"d)");
    ASSERT_TRUE(r.started) << r.error;
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(Get("C:\\Quillon\\Tool.sh.out"), "/Mds\na b\nc\"d\n");
    // A bare name is found in the current folder; not waited for: no yield.
    EXPECT_TRUE(f.FileOpenEXEWait("Tool.sh", true).started);
    EXPECT_EQ(yields, 1);
}

TEST_F(KroFunctionSysTest, ProgramsThatCannotStart) {
    Kro_Function f(host_);
    EXPECT_FALSE(f.FileOpenEXEWait("   ").started);
    EXPECT_FALSE(f.FileOpenEXEWait("C:\\Quillon\\missing.exe /x").started);
    EXPECT_FALSE(f.FileOpenEXE("C:\\Quillon\\missing.exe"));
    PutProgram("C:\\Quillon\\Tool.sh");
    EXPECT_TRUE(f.FileOpenEXE(" C:\\Quillon\\Tool.sh "));
}

TEST_F(KroFunctionSysTest, NetDirConTakesTheFirstFreeLetter) {
    MakeFolder("\\\\srv\\data");
    MakeFolder("\\\\srv\\other");
    MakeFolder("E:\\");  // a local drive: in use
    KroFunctionState state;
    KroFunctionOptions options;
    options.state = &state;
    Kro_Function f(host_, options);

    EXPECT_EQ(f.NetDirCon("pw", "user", "\\\\srv\\data"), "D:");
    EXPECT_EQ(host_.Drives().Get('D'), "\\\\srv\\data");
    // Connected already: the same letter again, no second mapping.
    EXPECT_EQ(f.NetDirCon("pw", "user", "\\\\SRV\\Data\\"), "D:");
    EXPECT_EQ(host_.Drives().Get('F'), "");

    EXPECT_EQ(f.NetDirCon("", "", "\\\\srv\\other"), "F:");
    EXPECT_EQ(state.netDriveLetter, "F:");

    // A share that does not exist stops the search at once.
    EXPECT_EQ(f.NetDirCon("", "", "\\\\srv\\missing"), "");
    EXPECT_EQ(host_.Drives().Get('G'), "");
    EXPECT_EQ(state.netDriveLetter, "F:");

    // Another helper on the same state drops the last connection.
    Kro_Function(host_, options).NetDirDisCon();
    EXPECT_EQ(host_.Drives().Get('F'), "");
    EXPECT_EQ(host_.Drives().Get('D'), "\\\\srv\\data");
}

TEST_F(KroFunctionSysTest, NetDirDisConWithoutAConnectionDoesNothing) {
    MakeFolder("\\\\srv\\data");
    ASSERT_EQ(host_.Drives().Add('D', "\\\\srv\\data", "", ""), host::net_result::kOk);
    Kro_Function f(host_);
    f.NetDirDisCon();
    EXPECT_EQ(host_.Drives().Get('D'), "\\\\srv\\data");
}

}  // namespace
}  // namespace util
