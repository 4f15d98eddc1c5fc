#include "repairs/repair_report.h"

#include <gtest/gtest.h>

#include <string>

#include "db/error.h"
#include "repairs/store_world.h"

namespace {

class RepairReportTest : public ::testing::Test {
  protected:
    RepairReportTest() : world_(store_test::Kind::Mdb) {
        // The state a repair leaves when it stops: both windows up.
        std::string text = "작업 중";
        Dialogs().ProgressDialog(0, 0, 0, text);
        Dialogs().ShowMessageWindow("잠시만 기다려주세요!");
    }
    util::Dialogs& Dialogs() { return world_.Runtime().Dialogs(); }

    store_test::StoreWorld world_;
};

TEST_F(RepairReportTest, AnUnusableConnectionGetsTheShortBox) {
    repairs::ShowRepairErrorReport(world_.Runtime(),
                                   db::DbError(3709, "연결을 사용할 수 없습니다."));
    EXPECT_EQ(Dialogs().LoadedProgressWindow(), nullptr);
    EXPECT_EQ(Dialogs().LoadedMessageWindow(), nullptr);
    const auto boxes = world_.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "연결상태가 원활하지 않습니다. 나중에 다시 시도하세요!");
    EXPECT_EQ(boxes[0].title, "연결불량");
    EXPECT_EQ(boxes[0].icon, host::MsgIcon::Information);
    EXPECT_EQ(boxes[0].buttons, host::MsgButtons::Ok);
}

TEST_F(RepairReportTest, AnyOtherErrorAsksForItsCodeAndText) {
    repairs::ShowRepairErrorReport(world_.Runtime(),
                                   db::DbError(db::ErrorNumber::kSyntax, "구문 오류"));
    EXPECT_EQ(Dialogs().LoadedProgressWindow(), nullptr);
    EXPECT_EQ(Dialogs().LoadedMessageWindow(), nullptr);
    const auto boxes = world_.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              "예상치 못한 오류로 의거하여 작업 중 종료 되었습니다.\r\n"
              "하기의 에러코드와 내용을 노르베일에 신고하여 주십시요!\r\n\r\n"
              "에러코드 : -2147217900\r\n"
              "에러내용 : 구문 오류\r\n"
              "귀하의 작은 신고가 개발에 큰 도움이 됩니다.");
    EXPECT_EQ(boxes[0].title, "");
    EXPECT_EQ(boxes[0].icon, host::MsgIcon::None);
    EXPECT_EQ(boxes[0].buttons, host::MsgButtons::Ok);
}

}  // namespace
