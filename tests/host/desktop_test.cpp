// The console desktop of the command line. (The scripted desktop answers the boxes of nearly every
// other test; its queue and fallback are relied on by Kro_Ado's reconnect tests.)
#include "host/desktop.h"

#include <gtest/gtest.h>

#include <sstream>

namespace host {
namespace {

struct ConsoleRun {
    std::istringstream in;
    std::ostringstream out, err;
};

TEST(ConsoleDesktopTest, PrintsBoxesWithTheirTitleAndAsksOnATerminalOnly) {
    ConsoleRun run;
    ConsoleDesktop desktop({MsgAnswer::No, "datapatch"}, run.in, run.out, run.err, false);
    desktop.Inform("패치할 데이타 없음", "알림");
    desktop.Inform("기본 제목");
    desktop.Inform("데이터연결 실패", "데이터연결오류", MsgIcon::Critical);

    EXPECT_EQ(run.out.str(), "[알림] 패치할 데이타 없음\n[datapatch] 기본 제목\n");
    EXPECT_EQ(run.err.str(), "[데이터연결오류] 데이터연결 실패\n");

    // Without a terminal a question gets the fixed answer and nothing is read; on a terminal the
    // answer is read, and the end of input gives the fixed answer.
    for (const MsgAnswer fixed : {MsgAnswer::No, MsgAnswer::Yes}) {
        ConsoleRun piped;
        piped.in.str("y\n");
        ConsoleDesktop desktop({fixed, "t"}, piped.in, piped.out, piped.err, false);
        EXPECT_EQ(desktop.AskYesNo("다시 연결을 시도 하시겠습니까?", "서버접속 실패"),
                  fixed == MsgAnswer::Yes);
        EXPECT_NE(piped.out.str().find("[서버접속 실패]"), std::string::npos);
    }
    ConsoleRun terminal;
    terminal.in.str("maybe\n\n  Y\n");
    ConsoleDesktop asking({MsgAnswer::No, "t"}, terminal.in, terminal.out, terminal.err, true);
    EXPECT_TRUE(asking.AskYesNo("계속?", "질문"));
    EXPECT_FALSE(asking.AskYesNo("계속?", "질문"));  // end of input
}

}  // namespace
}  // namespace host
