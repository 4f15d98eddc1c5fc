#include "host/date_picture.h"

#include <gtest/gtest.h>

#include "fixtures/calendar_time.h"

namespace host {
namespace {

std::tm MakeTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm t = fixtures::CalendarFields(year, month, day, hour, minute, second);
    timegm(&t);  // fills in the weekday
    return t;
}

TEST(FormatPicture, RendersTokensAndLiterals) {
    const std::tm morning = MakeTime(2020, 12, 21, 9, 5, 7);  // a Monday
    const std::tm evening = MakeTime(2008, 3, 4, 21, 30, 0);  // a Tuesday
    const std::tm midnight = MakeTime(2020, 1, 2, 0, 0, 0);
    struct Case {
        const std::tm& when;
        std::string_view picture;
        std::string_view expected;
    };
    const Case cases[] = {
        {morning, "H:mm:ss", "9:05:07"},
        {morning, "HH:mm:ss", "09:05:07"},
        {morning, "yyyy-MM-dd", "2020-12-21"},
        {evening, "yy/M/d", "08/3/4"},
        {evening, "y", "8"},
        {evening, "tt h:mm:ss", "PM 9:30:00"},
        {evening, "hh:m:s t", "09:30:0 P"},
        {midnight, "tt hh:mm", "AM 12:00"},
        {midnight, "H시 m분", "0시 0분"},
        {morning, "ddd dddd MMM MMMM", "Mon Monday Dec December"},
        {evening, "dddd, d MMMM", "Tuesday, 4 March"},
        {morning, "'it''s' h", "it's 9"},
        {morning, "''yy", "'20"},
        {morning, "'open", "open"},  // an unterminated quote runs to the end
        {morning, "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatPicture(c.picture, c.when), c.expected) << c.picture;
    }
}

TEST(PictureFromStrftime, MapsTheLocaleFormats) {
    struct Case {
        std::string_view format;
        std::string_view picture;
    };
    const Case cases[] = {
        {"%m/%d/%y", "MM/dd/yy"},    // C
        {"%d.%m.%Y", "dd.MM.yyyy"},  // de_DE
        {"%r", "hh:mm:ss tt"},
        {"%I:%M:%S %p", "hh:mm:ss tt"},
        {"%Y년 %m월 %d일", "yyyy년 MM월 dd일"},  // ko_KR
        {"%-m/%-d/%Y", "M/d/yyyy"},
        {"%e %k %l", "d H h"},
        {"%T at %F", "HH:mm:ss' at 'yyyy-MM-dd"},  // letters become a quoted literal
        {"%D 100%%", "MM/dd/yy 100%"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PictureFromStrftime(c.format), std::string(c.picture)) << c.format;
    }
    for (const std::string_view unsupported : {"%a %b", "%Ey", "%c", "trailing %"}) {
        EXPECT_FALSE(PictureFromStrftime(unsupported).has_value()) << unsupported;
    }
}

}  // namespace
}  // namespace host
