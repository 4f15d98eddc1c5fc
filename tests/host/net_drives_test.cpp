#include "host/net_drives.h"

#include <gtest/gtest.h>

#include "host/settings_store.h"
#include "host/temp_folder.h"
#include "host/vpath.h"

namespace fs = std::filesystem;

namespace host {
namespace {

class NetworkDrivesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(temp_.Path() / "c");
        fs::create_directories(temp_.Path() / "unc" / "Server" / "Share" / "Data");
        host_test::WriteBytes(temp_.Path() / "unc" / "Server" / "Share" / "Data" / "a.mdb", "x");
    }

    host_test::TempFolder temp_;
    PathMap paths_{temp_.Path()};
    SettingsStore store_{temp_.Path() / "users" / "u" / "settings.ini"};
    NetworkDrives drives_{store_, paths_};
};

TEST_F(NetworkDrivesTest, AddReportsWindowsCodes) {
    struct Case {
        char letter;
        std::string_view unc;
        int code;
    };
    const Case cases[] = {
        {'C', "\\\\server\\share", net_result::kAlreadyAssigned},  // local drive folder
        {'Z', "\\\\server\\missing", net_result::kBadNetName},
        {'Z', "\\\\nobody\\share", net_result::kBadNetName},
        {'Z', "\\\\server\\share\\Data\\a.mdb", net_result::kBadNetName},  // a file, not a share
        {'Z', "C:\\", net_result::kBadNetName},
        {'Z', "", net_result::kBadNetName},
        {'1', "\\\\server\\share", net_result::kBadDevice},
        {'Z', "\\\\SERVER\\share\\", net_result::kOk},
        {'z', "\\\\server\\share", net_result::kAlreadyAssigned},  // now mapped
        {'Y', "\\\\server\\share\\data", net_result::kOk},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(drives_.Add(c.letter, c.unc, "user", "secret"), c.code)
            << c.letter << " " << c.unc;
    }
    EXPECT_EQ(drives_.Get('z'), "\\\\SERVER\\share");
    EXPECT_EQ(drives_.Get('Y'), "\\\\server\\share\\data");
    EXPECT_EQ(store_.Get("NetworkDrives", "Z"), "\\\\SERVER\\share");
    EXPECT_EQ(store_.Keys("NetworkDrives").size(), 2u);  // no credentials are stored
}

TEST_F(NetworkDrivesTest, InUseMeansMappedOrLocal) {
    EXPECT_TRUE(drives_.DriveInUse('C'));
    EXPECT_TRUE(drives_.DriveInUse('c'));
    EXPECT_FALSE(drives_.DriveInUse('D'));
    ASSERT_EQ(drives_.Add('D', "\\\\server\\share", "", ""), net_result::kOk);
    EXPECT_TRUE(drives_.DriveInUse('d'));
    EXPECT_FALSE(drives_.DriveInUse('?'));
}

TEST_F(NetworkDrivesTest, CancelAndConnectionQueries) {
    std::string remote = "unchanged";
    EXPECT_EQ(drives_.GetConnection('Z', remote), net_result::kNotConnected);
    EXPECT_EQ(drives_.GetConnection('C', remote), net_result::kNotConnected);  // local drive
    EXPECT_EQ(drives_.GetConnection('#', remote), net_result::kBadDevice);
    EXPECT_EQ(remote, "unchanged");
    EXPECT_EQ(drives_.Cancel('Z'), net_result::kNotConnected);

    ASSERT_EQ(drives_.Add('Z', "\\\\server\\share", "", ""), net_result::kOk);
    EXPECT_EQ(drives_.GetConnection('z', remote), net_result::kOk);
    EXPECT_EQ(remote, "\\\\server\\share");
    EXPECT_EQ(drives_.Cancel('z'), net_result::kOk);
    EXPECT_EQ(drives_.Get('Z'), "");
    EXPECT_FALSE(drives_.DriveInUse('Z'));
}

TEST_F(NetworkDrivesTest, RedirectsPathsOnMappedLetters) {
    ASSERT_EQ(drives_.Add('Z', "\\\\server\\share", "", ""), net_result::kOk);
    EXPECT_EQ(drives_.Redirect("Z:\\Data\\a.mdb"), "\\\\server\\share\\Data\\a.mdb");
    EXPECT_EQ(drives_.Redirect("z:/Data"), "\\\\server\\share/Data");
    EXPECT_EQ(drives_.Redirect("Z:"), "\\\\server\\share");
    EXPECT_FALSE(drives_.Redirect("Z:Data").has_value());
    EXPECT_FALSE(drives_.Redirect("C:\\Data").has_value());
    EXPECT_FALSE(drives_.Redirect("\\\\server\\share").has_value());
}

}  // namespace
}  // namespace host
