#include "config/kro_ini.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "config/config_world.h"

namespace config {
namespace {

namespace fs = std::filesystem;

class KroIniTest : public config_test::ConfigWorld {};

TEST_F(KroIniTest, ReadsWithinTheBufferSize) {
    Put("C:\\a.ini", "[S]\r\nKind=12\r\nName=  가나다라  \r\nQuoted=\"x y\"\r\n");
    Kro_INI ini(Rt());
    const struct {
        const char* key;
        int size;
        std::string expected;
    } cases[] = {
        {"Kind", 2, "1"},  // the count includes the terminating NUL
        {"kind", 100, "12"},    {"Name", 6, "가나"}, {"Name", 100, "가나다라"},
        {"Quoted", 100, "x y"}, {"Kind", 0, ""},     {"Missing", 100, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ini.INIRead("S", c.key, c.size, "C:\\a.ini"), c.expected)
            << c.key << " " << c.size;
    }
    EXPECT_EQ(ini.INIRead("Other", "Kind", 10, "C:\\a.ini"), "");
}

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
