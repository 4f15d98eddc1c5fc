#include "host/regional.h"

#include <gtest/gtest.h>

#include "fixtures/calendar_time.h"
#include "host/settings_store.h"
#include "host/temp_folder.h"

namespace host {
namespace {

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

}  // namespace
}  // namespace host
