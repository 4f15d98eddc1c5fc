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

TEST(SettingsStore, CreatesFolderAndFileOnFirstWriteOrReportsFailure) {
    host_test::TempFolder temp;
    const fs::path file = temp.Path() / "users" / "kim" / "settings.ini";
    SettingsStore store(file);
    EXPECT_EQ(store.Get("Regional", "sShortDate", "yyyy-MM-dd"), "yyyy-MM-dd");
    EXPECT_FALSE(fs::exists(file));  // reading creates nothing

    ASSERT_TRUE(store.Set("Regional", "sShortDate", "yy/MM/dd"));
    EXPECT_EQ(store.Get("regional", "SSHORTDATE"), "yy/MM/dd");
    ASSERT_TRUE(store.Set("Regional", "sShortDate", "yyyy.MM.dd"));
    EXPECT_EQ(host_test::ReadBytes(file), "[Regional]\r\nsShortDate=yyyy.MM.dd\r\n");

    // A file where the folder should be: nothing is written, and the failure is told; a key
    // removed that was not there is no failure to write.
    std::vector<std::string> failed;
    store.OnWriteFailed([&](const std::string& entry) { failed.push_back(entry); });
    EXPECT_FALSE(store.Remove("Regional", "absent"));
    host_test::WriteBytes(temp.Path() / "blocker", "");
    SettingsStore blocked(temp.Path() / "blocker" / "settings.ini");
    blocked.OnWriteFailed([&](const std::string& entry) { failed.push_back(entry); });
    EXPECT_FALSE(blocked.Set("S", "K", "V"));
    EXPECT_EQ(blocked.Get("S", "K", "def"), "def");
    EXPECT_EQ(failed, std::vector<std::string>{"[S] K"});
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

using fixtures::LocalTimePoint;

TEST(RegionalSettings, DefaultsUntilStoredPicturesWinAndPersistAndUnknownLocalesFallBack) {
    host_test::TempFolder temp;
    SettingsStore store(temp.Path() / "settings.ini");
    RegionalSettings regional(store, RegionalDefaults{"MM/dd/yy", "tt h:mm:ss"});
    const auto when = LocalTimePoint(2020, 12, 21, 9, 5, 7);
    EXPECT_EQ(regional.ShortDateFormat(), "MM/dd/yy");
    EXPECT_EQ(regional.FormatDate(when), "12/21/20");
    EXPECT_EQ(regional.FormatTime(when), "AM 9:05:07");

    ASSERT_TRUE(regional.SetShortDateFormat("yyyy-MM-dd"));
    ASSERT_TRUE(regional.SetTimeFormat("HH:mm:ss"));
    EXPECT_EQ(regional.FormatDate(when), "2020-12-21");
    EXPECT_EQ(regional.FormatTime(when), "09:05:07");
    EXPECT_EQ(store.Get("Regional", "sShortDate"), "yyyy-MM-dd");

    const RegionalSettings later(store, RegionalDefaults{});  // e.g. the next start
    EXPECT_EQ(later.FormatDate(when), "2020-12-21");
    EXPECT_FALSE(regional.SetShortDateFormat(""));
    EXPECT_EQ(regional.ShortDateFormat(), "yyyy-MM-dd");

    // Neutral or unknown locales fall back to ISO pictures.
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

TEST(FormatPicture, RendersTokensAndLiteralsAndMapsTheLocaleFormats) {
    const std::map<std::string, std::tm> times = {{"morning", MakeTime(2020, 12, 21, 9, 5, 7)},
                                                  {"evening", MakeTime(2008, 3, 4, 21, 30, 0)},
                                                  {"midnight", MakeTime(2020, 1, 2, 0, 0, 0)}};
    for (const auto& c : host_test::LoadCaseTable("host/cases/date_picture.txt", "format")) {
        EXPECT_EQ(FormatPicture(c[1], times.at(c[0])), c[2]) << c.where;
    }
    for (const auto& c : host_test::LoadCaseTable("host/cases/date_picture.txt", "strftime")) {
        const std::optional<std::string> expected =
            c.fields.size() > 1 ? std::optional(c[1]) : std::nullopt;
        EXPECT_EQ(PictureFromStrftime(c[0]), expected) << c.where;
    }
}

}  // namespace
}  // namespace host
