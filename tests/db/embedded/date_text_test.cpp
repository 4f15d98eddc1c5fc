#include "db/embedded/date_text.h"

#include <gtest/gtest.h>

namespace db::embedded {
namespace {

struct DateCase {
    const char* text;
    const char* stored;
    bool localForm;
};

const DateCase kDates[] = {
    {"2020-12-21", "2020-12-21", false},
    {"2020/12/21 10:00", "2020-12-21 10:00:00", false},
    {"12/21/2020 10:30 PM", "2020-12-21 22:30:00", true},
    {"12/21/2020 12:00:00 AM", "2020-12-21 00:00:00", true},
    {"2020-12-21 오후 3:04:05", "2020-12-21 15:04:05", true},
    {"2020-12-21 오전 12:04:05", "2020-12-21 00:04:05", true},
    {"2020-12-21 오후 12:04:05", "2020-12-21 12:04:05", true},
    {"2020년 12월 21일 오후 3시 4분 5초", "2020-12-21 15:04:05", true},
    {"2020-12-21 15시 04분 05초", "2020-12-21 15:04:05", true},
};

TEST(DateTextTest, ReadsTheFormsOfBothDialectsAndTheLocalClock) {
    for (const DateCase& c : kDates) {
        const std::optional<DateText> date = ParseDateText(c.text);
        ASSERT_TRUE(date) << c.text;
        EXPECT_EQ(FormatStoredDate(*date), c.stored) << c.text;
        EXPECT_EQ(date->localForm, c.localForm) << c.text;
    }
}

TEST(DateTextTest, RefusesTextsThatAreNoDates) {
    for (const char* text : {"", "어제", "2020-02-30", "2020-12-21 25:00", "2020-12-21 오후",
                             "12/21", "2020-12-21 3:04 XM", "약가갱신 - 2020-12-21"}) {
        EXPECT_FALSE(ParseDateText(text)) << text;
    }
}

}  // namespace
}  // namespace db::embedded
