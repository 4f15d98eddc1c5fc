#include "repairs/repair_report.h"

#include <string>

#include "config/runtime.h"
#include "db/error.h"
#include "host/desktop.h"
#include "util/dialogs.h"

namespace repairs {

namespace {

constexpr const char* kConnectionTitle = "연결불량";
constexpr const char* kConnectionText = "연결상태가 원활하지 않습니다. 나중에 다시 시도하세요!";

std::string UnexpectedErrorText(const db::DbError& error) {
    return "예상치 못한 오류로 의거하여 작업 중 종료 되었습니다.\r\n"
           "하기의 에러코드와 내용을 노르베일에 신고하여 주십시요!\r\n\r\n"
           "에러코드 : " +
           std::to_string(error.Number()) + "\r\n에러내용 : " + error.Description() +
           "\r\n귀하의 작은 신고가 개발에 큰 도움이 됩니다.";
}

}  // namespace

void ShowRepairErrorReport(config::Runtime& runtime, const db::DbError& error) {
    util::Dialogs& dialogs = runtime.Dialogs();
    std::string noText;
    dialogs.ProgressDialog(2, 0, 0, noText);
    dialogs.UnloadMessageWindow();
    host::Desktop& desktop = runtime.Desktop();
    if (error.Number() == kConnectionUnusable) {
        desktop.MessageBox(kConnectionText, kConnectionTitle, host::MsgIcon::Information,
                           host::MsgButtons::Ok);
    } else {
        desktop.MessageBox(UnexpectedErrorText(error), "", host::MsgIcon::None,
                           host::MsgButtons::Ok);
    }
}

}  // namespace repairs
