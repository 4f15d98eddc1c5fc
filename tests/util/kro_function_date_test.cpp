#include <gtest/gtest.h>

#include "util/date_serial.h"
#include "util/kro_function.h"

namespace util {
namespace {

TEST(KroFunctionDateTest, WeekdayLastDayAndPreviousMonth) {
    static const struct {
        CivilTime date;
        const char* weekday;
        const char* lastDay;
        const char* previousMonth;
    } kCases[] = {
        {{2020, 12, 21}, "월요일", "31", "202011"},
        {{2020, 2, 10}, "월요일", "29", "202001"},
        {{2021, 2, 28, 23, 59, 59}, "일요일", "28", "202101"},
        {{2021, 1, 15}, "금요일", "31", "202012"},
        {{2020, 3, 31}, "화요일", "31", "202002"},
        {{1900, 2, 1}, "목요일", "28", "190001"},
    };
    for (const auto& c : kCases) {
        DateTime d = MakeDateTime(c.date);
        EXPECT_EQ(Kro_Function::DD한글요일(d), c.weekday) << FormatDateTime(d);
        EXPECT_EQ(Kro_Function::DD월마지막일자(d), c.lastDay) << FormatDateTime(d);
        EXPECT_EQ(Kro_Function::DD직전월(d), c.previousMonth) << FormatDateTime(d);
    }
}

TEST(KroFunctionDateTest, DateTimeStrimIsDigitsOnly) {
    std::string now = Kro_Function::SR날짜시간Strim();
    ASSERT_EQ(now.size(), 14u);
    EXPECT_EQ(now.find_first_not_of("0123456789"), std::string::npos);
}

}  // namespace
}  // namespace util
