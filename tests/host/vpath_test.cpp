#include "host/vpath.h"

#include <gtest/gtest.h>
#include <optional>

#include "host/ascii_text.h"
#include "host/scoped_env.h"
#include "host/temp_folder.h"

namespace fs = std::filesystem;

namespace host {
namespace {

class PathMapTest : public ::testing::Test {
  protected:
    void SetUp() override {
        host_test::WriteBytes(Root() / "c" / "Quillon" / "Tessel.EXE", "x");
        host_test::WriteBytes(Root() / "c" / "Quillon" / "데이터" / "매장.mdb", "x");
        host_test::WriteBytes(Root() / "unc" / "Server1" / "Share" / "Data" / "a.mdb", "x");
    }
    const fs::path& Root() const { return temp_.Path(); }

    host_test::TempFolder temp_;
    PathMap map_{temp_.Path()};
};

struct MappingCase {
    const char* windows;
    const char* native;  // relative to the root
};

TEST_F(PathMapTest, MapsDriveAndUncPaths) {
    const MappingCase cases[] = {
        {"C:\\Quillon\\Tessel.EXE", "c/Quillon/Tessel.EXE"},
        {"c:\\quillon\\tessel.exe", "c/Quillon/Tessel.EXE"},  // case-insensitive components
        {"C:/QUILLON/tessel.Exe", "c/Quillon/Tessel.EXE"},    // forward slashes
        {"C:\\Quillon/Tessel.exe", "c/Quillon/Tessel.EXE"},   // mixed separators
        {"C:\\\\Quillon\\\\Tessel.exe", "c/Quillon/Tessel.EXE"},
        {"C:\\Quillon\\.\\Tessel.exe", "c/Quillon/Tessel.EXE"},
        {"C:\\Quillon\\Tessel.exe. ", "c/Quillon/Tessel.EXE"},  // trailing dot and blank
        {"C:\\Quillon\\데이터\\매장.MDB", "c/Quillon/데이터/매장.mdb"},
        {"C:\\quillon\\New\\File.ini", "c/Quillon/New/File.ini"},  // missing: used as given
        {"D:\\Data", "d/Data"},
        {"C:", "c"},
        {"C:\\", "c"},
        {"\\\\server1\\share\\data\\A.MDB", "unc/Server1/Share/Data/a.mdb"},
        {"//SERVER1/SHARE/Data/a.mdb", "unc/Server1/Share/Data/a.mdb"},
        {"\\\\other\\s\\x", "unc/other/s/x"},
        // ".." never climbs above the drive or the share
        {"C:\\Quillon\\..\\Quillon\\Tessel.exe", "c/Quillon/Tessel.EXE"},
        {"C:\\..\\..\\etc\\passwd", "c/etc/passwd"},
        {"C:\\Quillon\\..\\..\\..\\d\\x", "c/d/x"},
        {"\\\\server1\\share\\..\\..\\Data", "unc/Server1/Share/Data"},
        {"C:\\a\\b\\..\\..\\..", "c"},
    };
    for (const MappingCase& c : cases) {
        const std::optional<fs::path> native = map_.ToNative(c.windows);
        ASSERT_TRUE(native.has_value()) << c.windows;
        EXPECT_EQ(*native, Root() / c.native) << c.windows;
    }
}

TEST_F(PathMapTest, RejectsTextsThatAreNotDriveOrUncPaths) {
    using namespace std::string_view_literals;
    const std::string_view cases[] = {
        ""sv,
        "C"sv,
        "Quillon\\Tessel.exe"sv,
        "\\Quillon\\Tessel.exe"sv,  // rooted but without a drive
        "C:Tessel.exe"sv,           // drive-relative
        "1:\\x"sv,
        "\\\\server"sv,  // no share
        "\\\\server\\"sv,
        "\\\\..\\share\\x"sv,
        "\\\\?\\C:\\x"sv,
        "C:\\Quillon\0\\Tessel.exe"sv,
        "C:\\Quillon\\Tessel.exe\0"sv,
    };
    for (const std::string_view text : cases) {
        EXPECT_FALSE(map_.ToNative(text).has_value()) << text;
    }
}

TEST_F(PathMapTest, ExactSpellingWinsOverOtherCases) {
    host_test::WriteBytes(Root() / "c" / "dup" / "File.txt", "1");
    host_test::WriteBytes(Root() / "c" / "dup" / "file.txt", "2");
    EXPECT_EQ(*map_.ToNative("C:\\dup\\file.txt"), Root() / "c/dup/file.txt");
    EXPECT_EQ(*map_.ToNative("C:\\dup\\File.txt"), Root() / "c/dup/File.txt");
    EXPECT_EQ(*map_.ToNative("C:\\dup\\FILE.TXT"), Root() / "c/dup/File.txt");  // first in order
}

TEST(EqualsNoCase, FoldsOnlyAsciiLetters) {
    EXPECT_TRUE(EqualsNoCase("NVConfig.INI", "nvconfig.ini"));
    EXPECT_TRUE(EqualsNoCase("데이터A", "데이터a"));
    EXPECT_FALSE(EqualsNoCase("데이터", "데이타"));
    EXPECT_FALSE(EqualsNoCase("[", "{"));  // 0x5B and 0x7B differ by the case bit only
    EXPECT_FALSE(EqualsNoCase("a", "ab"));
}

TEST(ResolveRoot, ExplicitRootThenEnvironmentThenHomeDefault) {
    host_test::TempFolder cli, env, home;
    const host_test::ScopedEnv rootVar("DATAPATCH_ROOT", env.Path().c_str());
    const host_test::ScopedEnv homeVar("HOME", home.Path().c_str());
    EXPECT_EQ(ResolveRoot(cli.Path()), cli.Path());
    EXPECT_EQ(ResolveRoot(std::nullopt), env.Path());
    {
        const host_test::ScopedEnv noRoot("DATAPATCH_ROOT", nullptr);
        const fs::path expected = home.Path() / ".local/share/datapatch/root";
        EXPECT_EQ(ResolveRoot(std::nullopt), expected);
        EXPECT_TRUE(fs::is_directory(expected));  // created on demand
    }
}

TEST(ResolveRoot, ExplicitRootMustBeAnExistingFolder) {
    host_test::TempFolder temp;
    const fs::path missing = temp.Path() / "no-such-root";
    host_test::WriteBytes(temp.Path() / "plain-file", "x");
    for (const fs::path& bad : {missing, temp.Path() / "plain-file"}) {
        try {
            ResolveRoot(bad);
            ADD_FAILURE() << bad;
        } catch (const std::runtime_error& error) {
            EXPECT_NE(std::string(error.what()).find(bad.string()), std::string::npos)
                << error.what();
        }
        const host_test::ScopedEnv rootVar("DATAPATCH_ROOT", bad.c_str());
        EXPECT_THROW(ResolveRoot(std::nullopt), std::runtime_error);
    }
    EXPECT_FALSE(fs::exists(missing));  // an explicit root is never created
}

}  // namespace
}  // namespace host
