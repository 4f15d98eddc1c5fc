#include "repairs/repair_report.h"

#include <gtest/gtest.h>

#include <string>

#include "db/error.h"
#include "repairs/store_world.h"

namespace {

// The box a stopped repair shows, after closing both of its windows: a short one for an unusable
// connection, else one that asks for the error's code and text.
TEST(RepairReport, ClosesTheWindowsAndShowsTheBoxOfTheError) {
    struct Case {
        db::DbError error;
        const char* text;
        const char* title;
        host::MsgIcon icon;
    };
    const Case cases[] = {
        {db::DbError(3709, "연결을 사용할 수 없습니다."),
         "연결상태가 원활하지 않습니다. 나중에 다시 시도하세요!", "연결불량",
         host::MsgIcon::Information},
        {db::DbError(db::ErrorNumber::kSyntax, "구문 오류"),
         "예상치 못한 오류로 의거하여 작업 중 종료 되었습니다.\r\n"
         "하기의 에러코드와 내용을 노르베일에 신고하여 주십시요!\r\n\r\n"
         "에러코드 : -2147217900\r\n"
         "에러내용 : 구문 오류\r\n"
         "귀하의 작은 신고가 개발에 큰 도움이 됩니다.",
         "", host::MsgIcon::None},
    };
    for (const Case& c : cases) {
        store_test::StoreWorld world(store_test::Kind::Mdb);
        util::Dialogs& dialogs = world.Runtime().Dialogs();
        std::string text = "작업 중";
        dialogs.ProgressDialog(0, 0, 0, text);
        dialogs.ShowMessageWindow("잠시만 기다려주세요!");
        repairs::ShowRepairErrorReport(world.Runtime(), c.error);
        EXPECT_EQ(dialogs.LoadedProgressWindow(), nullptr);
        EXPECT_EQ(dialogs.LoadedMessageWindow(), nullptr);
        const auto boxes = world.Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, c.text);
        EXPECT_EQ(boxes[0].title, c.title);
        EXPECT_EQ(boxes[0].icon, c.icon);
        EXPECT_EQ(boxes[0].buttons, host::MsgButtons::Ok);
    }
}

}  // namespace
