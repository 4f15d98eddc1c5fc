#include "config/kro_ini.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "config/config_world.h"

namespace config {
namespace {

namespace fs = std::filesystem;

class KroIniTest : public config_test::ConfigWorld {};

TEST_F(KroIniTest, MissingFileIsCreatedWithItsFolder) {
    Kro_INI ini(Rt());
    EXPECT_EQ(ini.INIRead("S", "K", 10, "C:\\New\\Folder\\x.ini"), "");
    EXPECT_TRUE(fs::is_regular_file(Native("C:\\New\\Folder\\x.ini")));
    EXPECT_TRUE(ini.INIWrite("S", "K", "C:\\Other\\y.ini", "v"));
    EXPECT_EQ(ini.INIRead("S", "K", 10, "C:\\Other\\y.ini"), "v");
}

TEST_F(KroIniTest, ReadsEachFileOnce) {
    Put("C:\\a.ini", "[S]\r\nK=1\r\n");
    Kro_INI ini(Rt());
    EXPECT_EQ(ini.INIRead("S", "K", 10, "C:\\a.ini"), "1");
    Put("C:\\a.ini", "[S]\r\nK=2\r\n");  // changed by someone else
    EXPECT_EQ(ini.INIRead("S", "K", 10, "C:\\a.ini"), "1");
    EXPECT_EQ(Kro_INI(Rt()).INIRead("S", "K", 10, "C:\\a.ini"), "2");
    // Its own writes are seen.
    EXPECT_TRUE(ini.INIWrite("S", "K", "C:\\a.ini", "3"));
    EXPECT_EQ(ini.INIRead("S", "K", 10, "C:\\a.ini"), "3");
}

}  // namespace
}  // namespace config
