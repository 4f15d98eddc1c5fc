#include <gtest/gtest.h>
#include <map>

#include "fixtures/calendar_time.h"
#include "host/case_table.h"
#include "host/codepage.h"
#include "host/date_picture.h"
#include "host/regional.h"
#include "host/settings_store.h"
#include "host/temp_folder.h"

namespace fs = std::filesystem;

namespace host {
namespace {

TEST(SettingsStore, CreatesFolderAndFileOnFirstWrite) {
    host_test::TempFolder temp;
    const fs::path file = temp.Path() / "users" / "kim" / "settings.ini";
    SettingsStore store(file);
    EXPECT_EQ(store.Get("Regional", "sShortDate", "yyyy-MM-dd"), "yyyy-MM-dd");
    EXPECT_FALSE(fs::exists(file));  // reading creates nothing

    ASSERT_TRUE(store.Set("Regional", "sShortDate", "yy/MM/dd"));
    EXPECT_EQ(store.Get("regional", "SSHORTDATE"), "yy/MM/dd");
    ASSERT_TRUE(store.Set("Regional", "sShortDate", "yyyy.MM.dd"));
    EXPECT_EQ(host_test::ReadBytes(file), "[Regional]\r\nsShortDate=yyyy.MM.dd\r\n");
}

TEST(SettingsStore, ApplicationSettingsLiveUnderTheApplicationNameAndKeysAreListed) {
    host_test::TempFolder temp;
    SettingsStore store(temp.Path() / "settings.ini");
    ASSERT_TRUE(store.SaveSetting("하로나\\화면옵션\\주문서생성", "수동주문", "단가표기", "1"));
    ASSERT_TRUE(store.SaveSetting("하로나\\화면옵션", "상품주문서", "단가표시", "1"));
    EXPECT_EQ(store.GetSetting("하로나\\화면옵션\\주문서생성", "수동주문", "단가표기"), "1");
    EXPECT_EQ(store.GetSetting("하로나\\화면옵션", "수동주문", "단가표기", "none"), "none");
    EXPECT_EQ(store.Get("하로나\\화면옵션\\상품주문서", "단가표시"), "1");
    EXPECT_EQ(host_test::ReadBytes(temp.Path() / "settings.ini"),
              Utf8ToCp949("[하로나\\화면옵션\\주문서생성\\수동주문]\r\n단가표기=1\r\n"
                          "[하로나\\화면옵션\\상품주문서]\r\n단가표시=1\r\n"));

    ASSERT_TRUE(store.Set("NetworkDrives", "Z", "\\\\srv\\a"));
    ASSERT_TRUE(store.Set("NetworkDrives", "Y", "\\\\srv\\b"));
    EXPECT_EQ(store.Keys("networkdrives"), (std::vector<std::string>{"Z", "Y"}));
    EXPECT_TRUE(store.Remove("NetworkDrives", "z"));
    EXPECT_FALSE(store.Remove("NetworkDrives", "z"));
    EXPECT_EQ(store.Keys("NetworkDrives"), std::vector<std::string>{"Y"});
}

TEST(SettingsStore, UnwritableStoreReportsFailure) {
    host_test::TempFolder temp;
    host_test::WriteBytes(temp.Path() / "blocker", "a file where the folder should be");
    SettingsStore store(temp.Path() / "blocker" / "settings.ini");
    EXPECT_FALSE(store.Set("S", "K", "V"));
    EXPECT_EQ(store.Get("S", "K", "def"), "def");
}

using fixtures::LocalTimePoint;

class RegionalSettingsTest : public ::testing::Test {
  protected:
    host_test::TempFolder temp_;
    SettingsStore store_{temp_.Path() / "settings.ini"};
    RegionalSettings regional_{store_, RegionalDefaults{"MM/dd/yy", "tt h:mm:ss"}};
    const std::chrono::system_clock::time_point when_ = LocalTimePoint(2020, 12, 21, 9, 5, 7);
};

TEST_F(RegionalSettingsTest, DefaultsUntilSet) {
    EXPECT_EQ(regional_.ShortDateFormat(), "MM/dd/yy");
    EXPECT_EQ(regional_.FormatDate(when_), "12/21/20");
    EXPECT_EQ(regional_.FormatTime(when_), "AM 9:05:07");
}

TEST_F(RegionalSettingsTest, StoredPicturesWinAndPersist) {
    ASSERT_TRUE(regional_.SetShortDateFormat("yyyy-MM-dd"));
    ASSERT_TRUE(regional_.SetTimeFormat("HH:mm:ss"));
    EXPECT_EQ(regional_.FormatDate(when_), "2020-12-21");
    EXPECT_EQ(regional_.FormatTime(when_), "09:05:07");
    EXPECT_EQ(store_.Get("Regional", "sShortDate"), "yyyy-MM-dd");

    const RegionalSettings later(store_, RegionalDefaults{});  // e.g. the next start
    EXPECT_EQ(later.FormatDate(when_), "2020-12-21");
    EXPECT_FALSE(regional_.SetShortDateFormat(""));
    EXPECT_EQ(regional_.ShortDateFormat(), "yyyy-MM-dd");
}

TEST(RegionalDefaults, NeutralOrUnknownLocalesFallBack) {
    for (const char* name : {"", "C", "POSIX", "C.UTF-8", "xx_NOWHERE.UTF-8"}) {
        const RegionalDefaults defaults = RegionalDefaultsForLocale(name);
        EXPECT_EQ(defaults.shortDate, "yyyy-MM-dd") << name;
        EXPECT_EQ(defaults.time, "HH:mm:ss") << name;
    }
}

std::tm MakeTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm t = fixtures::CalendarFields(year, month, day, hour, minute, second);
    timegm(&t);  // fills in the weekday
    return t;
}

TEST(FormatPicture, RendersTokensAndLiterals) {
    const std::map<std::string, std::tm> times = {{"morning", MakeTime(2020, 12, 21, 9, 5, 7)},
                                                  {"evening", MakeTime(2008, 3, 4, 21, 30, 0)},
                                                  {"midnight", MakeTime(2020, 1, 2, 0, 0, 0)}};
    for (const auto& c : host_test::LoadCaseTable("host/cases/date_picture.txt", "format")) {
        EXPECT_EQ(FormatPicture(c[1], times.at(c[0])), c[2]) << c.where;
    }
}

TEST(PictureFromStrftime, MapsTheLocaleFormats) {
    for (const auto& c : host_test::LoadCaseTable("host/cases/date_picture.txt", "strftime")) {
        const std::optional<std::string> expected =
            c.fields.size() > 1 ? std::optional(c[1]) : std::nullopt;
        EXPECT_EQ(PictureFromStrftime(c[0]), expected) << c.where;
    }
}

}  // namespace
}  // namespace host
