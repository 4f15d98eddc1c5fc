#include "host/date_picture.h"

#include <gtest/gtest.h>

#include <map>

#include "fixtures/calendar_time.h"
#include "host/case_table.h"

namespace host {
namespace {

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
