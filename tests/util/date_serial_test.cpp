#include "util/date_serial.h"

#include <gtest/gtest.h>

#include <cmath>

namespace util {
namespace {

TEST(DateSerialTest, SerialsMatchTheCalendar) {
    static const struct {
        CivilTime civil;
        double serial;
    } kCases[] = {
        {{1899, 12, 30}, 0},
        {{1900, 1, 1}, 2},
        {{2020, 12, 21}, 44186},
        {{2020, 12, 21, 6, 0, 0}, 44186.25},
        {{1899, 12, 29, 6, 0, 0}, -1.25},
        {{1899, 12, 30, 12, 0, 0}, 0.5},
    };
    for (const auto& c : kCases) {
        DateTime d = MakeDateTime(c.civil);
        EXPECT_DOUBLE_EQ(d.serial, c.serial);
        CivilTime back = ToCivil(d);
        EXPECT_EQ(std::tie(back.year, back.month, back.day, back.hour, back.minute, back.second),
                  std::tie(c.civil.year, c.civil.month, c.civil.day, c.civil.hour, c.civil.minute,
                           c.civil.second))
            << c.serial;
    }
}

TEST(DateSerialTest, MonthsAndDaysRollOver) {
    EXPECT_EQ(MakeDateTime({2020, 13, 1}), MakeDateTime({2021, 1, 1}));
    EXPECT_EQ(MakeDateTime({2021, 0, 1}), MakeDateTime({2020, 12, 1}));
    EXPECT_EQ(MakeDateTime({2020, 3, 0}), MakeDateTime({2020, 2, 29}));
    EXPECT_EQ(MakeDateTime({2020, -11, 1}), MakeDateTime({2019, 1, 1}));
}

TEST(DateSerialTest, TimesRoundToTheSecond) {
    CivilTime t = ToCivil(DateTime{44186.999999999});
    EXPECT_EQ(std::tie(t.year, t.month, t.day, t.hour), std::make_tuple(2020, 12, 22, 0));
    EXPECT_EQ(WeekdayOf(MakeDateTime({2020, 12, 21})), 2);  // Monday
}

TEST(DateSerialTest, SerialsOutsideTheCalendarAreHeldToIt) {
    EXPECT_EQ(ToCivil(DateTime{1e300}).year, 9999);
    EXPECT_EQ(ToCivil(DateTime{-1e300}).year, 100);
    EXPECT_EQ(ToCivil(DateTime{std::nan("")}).year, 1899);
}

TEST(DateSerialTest, FormatShowsOnlyWhatIsThere) {
    EXPECT_EQ(FormatDateTime(MakeDateTime({2020, 12, 21})), "2020-12-21");
    EXPECT_EQ(FormatDateTime(MakeDateTime({2020, 12, 21, 9, 5, 7})), "2020-12-21 09:05:07");
    EXPECT_EQ(FormatDateTime(DateTime{0.75}), "18:00:00");
}

}  // namespace
}  // namespace util
