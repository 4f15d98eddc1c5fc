#include <gtest/gtest.h>

#include "host/case_table.h"
#include "host/host.h"
#include "host/net_drives.h"
#include "host/settings_store.h"
#include "host/temp_folder.h"
#include "host/vpath.h"

namespace fs = std::filesystem;

namespace host {
namespace {

class HostTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // A stand-in for a sibling program: the shell, under a Windows program name.
        fs::create_directories(temp_.Path() / "c" / "Quillon");
        fs::copy_file("/bin/sh", temp_.Path() / "c" / "Quillon" / "Tessel.exe");
        fs::create_directories(temp_.Path() / "unc" / "srv" / "share");
        host_test::WriteBytes(temp_.Path() / "unc" / "Server" / "Share" / "Data" / "a.mdb", "x");
    }

    host_test::TempFolder temp_;
    Host host_{HostOptions{temp_.Path()}};
};

TEST_F(HostTest, StartsProgramsByWindowsPathOrBareNameOrSaysWhyNot) {
    EXPECT_EQ(host_.Start("C:\\quillon\\TESSEL.EXE", {"-c", "exit 4"}, true).exitCode, 4);
    EXPECT_EQ(host_.Start("Tessel.exe", {"-c", "exit 5"}, true).exitCode, 5);
    const std::string checkRoot = "[ \"$DATAPATCH_ROOT\" = \"" + host_.Root().string() + "\" ]";
    EXPECT_EQ(host_.Start("Tessel.exe", {"-c", checkRoot}, true).exitCode, 0);

    const SpawnResult missing = host_.Start("Lintor.exe", {}, false);
    EXPECT_FALSE(missing.started);
    EXPECT_EQ(missing.error, "cannot start \"C:\\Quillon\\Lintor.exe\" (" +
                                 (temp_.Path() / "c/Quillon/Lintor.exe").string() +
                                 "): no such program file");
    const SpawnResult unmapped = host_.Start("..\\Tessel.exe", {}, true);
    EXPECT_FALSE(unmapped.started);
    EXPECT_EQ(unmapped.error, "cannot start \"..\\Tessel.exe\": not a drive or network path");
}

TEST_F(HostTest, SettingsLiveUnderTheUsersFolderAndTheComputerNameIsUpperCase) {
    ASSERT_TRUE(host_.Settings().Set("S", "K", "V"));
    EXPECT_FALSE(host_.UserName().empty());
    EXPECT_TRUE(fs::exists(temp_.Path() / "users" / host_.UserName() / "settings.ini"));
    const std::string name = host_.ComputerName();
    EXPECT_FALSE(name.empty());
    EXPECT_EQ(name.find_first_of(".abcdefghijklmnopqrstuvwxyz"), std::string::npos) << name;
}

TEST_F(HostTest, NetworkDriveAddReportsWindowsCodes) {
    for (const auto& c : host_test::LoadCaseTable("host/cases/paths.txt", "add drive")) {
        EXPECT_EQ(host_.Drives().Add(c[0].at(0), c[1], "user", "secret"), std::stoi(c[2]))
            << c.where;
    }
    EXPECT_EQ(host_.Drives().Get('z'), "\\\\SERVER\\share");
    EXPECT_EQ(host_.Drives().Get('Y'), "\\\\server\\share\\data");
    EXPECT_EQ(host_.Settings().Get("NetworkDrives", "Z"), "\\\\SERVER\\share");
    EXPECT_EQ(host_.Settings().Keys("NetworkDrives").size(), 2u);  // no credentials are stored
}

// Windows paths follow mapped drives. Looking up, using and cancelling a mapping are tested where
// the program uses them (Kro_Function's NetDirCon, the data path check); these are the cases they
// leave out.
TEST_F(HostTest, NativeFollowsMappedNetworkDrivesUntilCancelled) {
    EXPECT_EQ(host_.Drives().Cancel('Z'), net_result::kNotConnected);
    EXPECT_FALSE(host_.Drives().DriveInUse('?'));
    EXPECT_EQ(host_.Native("Z:\\a.mdb"), temp_.Path() / "z" / "a.mdb");
    ASSERT_EQ(host_.Drives().Add('Z', "\\\\SRV\\Share", "", ""), net_result::kOk);
    EXPECT_EQ(host_.Native("Z:\\a.mdb"), temp_.Path() / "unc" / "srv" / "share" / "a.mdb");
    EXPECT_EQ(host_.Native("z:\\..\\..\\a.mdb"), temp_.Path() / "unc" / "srv" / "share" / "a.mdb");
    EXPECT_EQ(host_.Drives().Redirect("z:/Data"), "\\\\SRV\\Share/Data");
    EXPECT_EQ(host_.Drives().Redirect("Z:"), "\\\\SRV\\Share");
    for (const char* unmapped : {"Z:Data", "C:\\Data", "\\\\SRV\\Share"}) {
        EXPECT_FALSE(host_.Drives().Redirect(unmapped).has_value()) << unmapped;
    }
    EXPECT_EQ(host_.Drives().Cancel('z'), net_result::kOk);
    EXPECT_EQ(host_.Drives().Get('Z'), "");
    EXPECT_FALSE(host_.Drives().DriveInUse('Z'));
}

}  // namespace
}  // namespace host
