#include "config/kro_ini.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "config/config_world.h"
#include "host/codepage.h"

namespace config {
namespace {

namespace fs = std::filesystem;

class KroIniTest : public config_test::ConfigWorld {};

TEST_F(KroIniTest, ReadsWithinTheBufferSize) {
    Put("C:\\a.ini", "[S]\r\nKind=12\r\nName=  가나다라  \r\nQuoted=\"x y\"\r\nLong=" +
                         std::string(300, 'z') + "\r\n");
    Kro_INI ini(Rt());
    const struct {
        const char* key;
        int size;
        std::string expected;
    } cases[] = {
        {"Kind", 2, "1"},                                // the count includes the terminating NUL
        {"Kind", 3, "12"},         {"kind", 100, "12"},  // key names ignore case
        {"Name", 5, "가나"},                             // a Hangul syllable takes two bytes
        {"Name", 6, "가나"},                             // and is never split
        {"Name", 100, "가나다라"}, {"Quoted", 100, "x y"}, {"Long", 1000, std::string(254, 'z')},
        {"Kind", 1, ""},           {"Kind", 0, ""},        {"Missing", 100, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ini.INIRead("S", c.key, c.size, "C:\\a.ini"), c.expected)
            << c.key << " " << c.size;
    }
    EXPECT_EQ(ini.INIRead("Other", "Kind", 10, "C:\\a.ini"), "");
}

TEST_F(KroIniTest, ReadsCodePage949Files) {
    Put("C:\\k.ini", host::Utf8ToCp949("[담당자]\r\n담당자=홍길동\r\n담당자코드=A01\r\n"));
    Kro_INI ini(Rt());
    EXPECT_EQ(ini.INIRead("담당자", "담당자", 15, "C:\\k.ini"), "홍길동");
    EXPECT_EQ(ini.INIRead("담당자", "담당자코드", 15, "C:\\k.ini"), "A01");
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

TEST_F(KroIniTest, FilesThatAreNoIniReadEmpty) {
    Put("C:\\junk.ini", std::string("\x00\x01\xff\xfe=\x80[\r\nK=\x00v", 12));
    Put("C:\\text.ini", "just some words\r\nK=v\r\n");  // a key before any section
    Kro_INI ini(Rt());
    EXPECT_EQ(ini.INIRead("S", "K", 10, "C:\\junk.ini"), "");
    EXPECT_EQ(ini.INIRead("S", "K", 10, "C:\\text.ini"), "");
    fs::create_directories(Native("C:\\dir.ini"));
    EXPECT_EQ(ini.INIRead("S", "K", 10, "C:\\dir.ini"), "");
}

TEST_F(KroIniTest, ReadOnlyFileIsReadButNotWritten) {
    Put("C:\\ro.ini", "[S]\r\nK=1\r\n");
    fs::permissions(Native("C:\\ro.ini"), fs::perms::owner_write, fs::perm_options::remove);
    Kro_INI ini(Rt());
    EXPECT_EQ(ini.INIRead("S", "K", 10, "C:\\ro.ini"), "1");
    EXPECT_FALSE(ini.INIWrite("S", "K", "C:\\ro.ini", "2"));
    EXPECT_EQ(Get("C:\\ro.ini"), "[S]\r\nK=1\r\n");
}

}  // namespace
}  // namespace config
