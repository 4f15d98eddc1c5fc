#include "util/ini_module.h"

#include <gtest/gtest.h>

#include "host/profile.h"
#include "util/host_fixture.h"

namespace util {
namespace {

constexpr const char* kIni = "C:\\Quillon\\NVConfig.INI";

class IniModuleTest : public util_test::HostFixture {
  protected:
    IniModuleTest() { MakeFolder("C:\\Quillon"); }
    std::string Raw(std::string_view section, std::string_view key) {
        return host::GetPrivateProfileString(section, key, "<missing>", 255, Native(kIni));
    }
};

TEST_F(IniModuleTest, MissingKeyGivesTheDefaultAndWritesItBack) {
    Put(kIni, "[기타관리]\r\n다른키=1\r\n");
    EXPECT_EQ(IniReadWithDefault(host_, "기타관리", "데이터_종류", 50, kIni, 5), "5");
    EXPECT_EQ(Raw("기타관리", "데이터_종류"), "5");
    EXPECT_EQ(Raw("기타관리", "다른키"), "1");

    EXPECT_EQ(IniReadWithDefault(host_, "새구역", "경로", 255, kIni, "C:\\Data"), "C:\\Data");
    EXPECT_EQ(Raw("새구역", "경로"), "C:\\Data");
}

TEST_F(IniModuleTest, PresentValueIsTrimmedAndNotWritten) {
    Put(kIni, "[A]\r\nkey=  value  \r\n");
    const std::string before = Get(kIni);
    EXPECT_EQ(IniReadWithDefault(host_, "a", "KEY", 255, kIni, "default"), "value");
    EXPECT_EQ(Get(kIni), before);
}

TEST_F(IniModuleTest, BlankValueCountsAsMissingAndSizeLimitsTheRead) {
    Put(kIni, "[A]\r\nkey=   \r\nlong=가나다\r\n");
    EXPECT_EQ(IniReadWithDefault(host_, "A", "key", 255, kIni, Variant(1.5)), "1.5");
    EXPECT_EQ(Raw("A", "key"), "1.5");
    EXPECT_EQ(IniReadWithDefault(host_, "A", "long", 5, kIni, "x"), "가나");
    // Cut to nothing by the buffer, the value is still not replaced by the default.
    EXPECT_EQ(IniReadWithDefault(host_, "A", "long", 2, kIni, "x"), "x");
    EXPECT_EQ(Raw("A", "long"), "가나다");
    // An empty default is written as an empty value.
    EXPECT_EQ(IniReadWithDefault(host_, "B", "key", 50, kIni, ""), "");
    EXPECT_EQ(Raw("B", "key"), "");
}

TEST_F(IniModuleTest, UnmappablePathGivesTheDefault) {
    EXPECT_EQ(IniReadWithDefault(host_, "A", "key", 255, "relative.ini", "d"), "d");
    EXPECT_FALSE(IniWriteValue(host_, "A", "key", 1, "relative.ini"));
}

TEST_F(IniModuleTest, WriteValueWritesTheValueAsText) {
    static const struct {
        Variant value;
        const char* text;
    } kCases[] = {
        {std::int64_t{12}, "12"}, {-7, "-7"},   {1.5, "1.5"},
        {true, "True"},           {" a ", "a"}, {Currency{10000}, "1"},
    };
    for (const auto& c : kCases) {
        ASSERT_TRUE(IniWriteValue(host_, "S", "k", c.value, kIni));
        EXPECT_EQ(Raw("S", "k"), c.text);
    }
    EXPECT_FALSE(IniWriteValue(host_, "S", "k", 1, "C:\\NoFolder\\x.ini"));
}

}  // namespace
}  // namespace util
