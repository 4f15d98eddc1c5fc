// The error report file of the history's record helper (its Null-replacing reads are tested
// through clsPatch_Hist, and a report that cannot be written there too).
#include "history/history_helper.h"

#include <gtest/gtest.h>

#include "history/history_world.h"
#include "util/kro_function.h"

namespace history_test {
namespace {

namespace helper = history::HistoryHelper;

class HistoryHelperTest : public HistoryWorld {
  protected:
    static helper::ErrorDetails Details(std::int32_t number, const std::string& description) {
        return {.number = number,
                .source = "Microsoft JET Database Engine",
                .description = description,
                .helpFile = "jeterr40.chm",
                .helpContext = 5003,
                .lastSystemError = 2,
                .programFolder = "C:\\Quillon",
                .routine = "clsPatch_Hist:Update"};
    }
    std::string Report() const {
        return host_test::ReadBytes(Native("C:\\Quillon\\DataPatchErrorReport.log"));
    }
};

TEST_F(HistoryHelperTest, ReportsAppendOneLineEachWithEveryDetail) {
    util::Kro_Function utilities(host_);
    ASSERT_TRUE(helper::ErrorReport(
        utilities, Details(static_cast<std::int32_t>(0x80040E37), "없는 표\r\n두 번째 줄")));
    ASSERT_TRUE(helper::ErrorReport(utilities, Details(6, "오버플로")));
    const std::string report = Report();
    ASSERT_EQ(std::count(report.begin(), report.end(), '\n'), 2) << report;
    const std::string first = report.substr(0, report.find('\n'));
    for (const char* part :
         {"[clsPatch_Hist:Update]", "0x80040E37", "-2147217865", "Microsoft JET Database Engine",
          "없는 표  두 번째 줄", "jeterr40.chm#5003", "시스템오류: 2", "C:\\Quillon"}) {
        EXPECT_NE(first.find(part), std::string::npos) << part << " in " << first;
    }
    EXPECT_NE(report.find("0x00000006"), std::string::npos) << report;
}

}  // namespace
}  // namespace history_test
