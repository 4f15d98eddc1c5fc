#include "app/frm_db_patch_main.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "app_world.h"
#include "config/norv_conn.h"
#include "patch/step.h"
#include "util/main_window_model.h"

namespace app_test {
namespace {

using Model = util::frmDBPatchMainModel;

class MainWindowTest : public AppWorld {
  protected:
    // Start-up, with the window showing; its runs walk `catalogue`.
    app::frmDBPatchMain& Window(const patch::Catalogue* catalogue) {
        AppWorld::Window().UseCatalogue(catalogue);
        return *P().MainForm();
    }
    using AppWorld::Window;
    Model& M() { return P().MainWindow(); }
    void Tick(bool store, bool data1) {
        M().chk매장 = store;
        M().chk보안 = data1;
    }
};

// --- load ------------------------------------------------------------------------------------

TEST_F(MainWindowTest, LabelOffersThePatchUnlessThisReleasePatchedLast) {
    const std::pair<const char*, const char*> cases[] = {
        {"20100101", "패치할 데이타 있음"},
        {"20201221", "패치할 데이타 없음"},
        {"20210301", "패치할 데이타 있음"},  // a newer release wrote it
    };
    for (const auto& [lastDate, label] : cases) {
        Exec(*OpenStore(), {std::string("INSERT INTO PATCH_HIST (날짜, 번호, NV_Ver) VALUES ('") +
                            lastDate + "', 9, 'UpDate')"});
        NewProcess();
        Window();
        EXPECT_EQ(M().lab패치디비, label) << lastDate;
        P().UnloadMainWindow();
        Exec(*OpenStore(), {"DELETE FROM PATCH_HIST WHERE 번호 = 9"});
    }
}

TEST_F(MainWindowTest, Data1BoxIsTickedOnlyWithTwoStoresAndAllFourSettings) {
    struct Case {
        const char* item;
        const char* value;
        const char* demoValue;
        bool ticked;
    };
    const Case cases[] = {
        {"매장수", "2", "2", true},
        {"매장수", "1", "2", false},
        {"데이터_SQLServer_S", "", demo::kDemoServer, false},
        {"데이터_SQLDataName_S", "", demo::kDemoData1Database, false},
        {"데이터_SQLID_S", "", "sa", false},
        {"데이터_SQLPass_S", "", demo::kDemoServerPassword, false},
    };
    for (const Case& c : cases) {
        SetConfig(c.item, c.value);
        NewProcess();
        Window();
        EXPECT_EQ(M().chk보안, c.ticked) << c.item << "=" << c.value;
        EXPECT_TRUE(M().chk매장);
        SetConfig(c.item, c.demoValue);
    }
}

// --- the run driver --------------------------------------------------------------------------

// The ticked boxes choose the passes; a pass whose DAO handle cannot be opened is skipped. The
// store connection is the store's again after the run.
TEST_F(MainWindowTest, TheTickedBoxesChooseThePasses) {
    struct Case {
        bool store, data1, badMdbPath;
        std::vector<std::string> messages;
        bool storeMark, data1Mark;
        const char* storeDate;  // of the last history rows
        const char* data1Date;
    };
    // clang-format off
    const Case cases[] = {
        {true, false, true, {"매장데이터패치시작", "매장데이터패치실패(DAO연결오류)"}, false, false,
         "20100101", "20100101"},
        {false, true, false, {"데이터1패치시작", "데이터1패치종료"}, false, true,
         "20100101", "20201221"},
    };
    // clang-format on
    for (const Case& c : cases) {
        NewProcess();
        app::frmDBPatchMain& form = Window();
        const db::ConnectionRef store = P().StoreConnection;
        Tick(c.store, c.data1);
        if (c.badMdbPath) P().Config().데이터_MDBPath = "C:\\Quillon\\Data\\없는파일.mdb";
        form.cmdStart_Click();
        EXPECT_EQ(P().StoreConnection, store);
        EXPECT_EQ(M().lv메세지.lines, c.messages);
        EXPECT_EQ(M().picChk[0], c.storeMark);
        EXPECT_EQ(M().picChk[1], c.data1Mark);
        EXPECT_EQ(form.LastRun().Succeeded(), !c.badMdbPath);
        EXPECT_EQ(M().List1.lines.back(), app::kRunEndLine);
        EXPECT_EQ(PatchDates(*OpenStore()).back(), c.storeDate);
        EXPECT_EQ(PatchDates(*OpenData1()).back(), c.data1Date);
        P().UnloadMainWindow();
    }
}

// A catalogue that fails on the store pass: no history there, but the next pass runs. One that
// throws: the store connection is the store's again and the window usable.
TEST_F(MainWindowTest, ACatalogueThatFailsOrThrowsLeavesTheWindowAndTheStoreAsTheyWere) {
    patch::Catalogue failing, throwing;
    failing.push_back(std::move(patch::Step(1).Always().CallOrStop([](patch::RunContext& c) {
        return c.PatchTarget == 1;  // the store pass fails
    })));
    throwing.push_back(std::move(patch::Step(1).Always().Call(
        [](patch::RunContext&) { throw std::runtime_error("bug in a repair"); })));
    app::frmDBPatchMain& form = Window(&failing);
    form.cmdStart_Click();
    EXPECT_EQ(BoxTexts(),
              (std::vector<std::string>{
                  "데이터패치 오류로 인하여 작업을 중단합니다. 노르브에 문의 바랍니다"}));
    EXPECT_TRUE(M().picChk[0]);  // the failed pass still gets its mark and closing line
    EXPECT_EQ(M().lv메세지.lines,
              (std::vector<std::string>{"매장데이터패치시작", "매장데이터패치종료",
                                        "데이터1패치시작", "데이터1패치종료"}));
    EXPECT_FALSE(form.LastRun().Succeeded());
    // The store is still to patch, and the label says so.
    EXPECT_EQ(M().lab패치디비, "패치할 데이타 있음");
    EXPECT_EQ(PatchDates(*OpenStore()).back(), "20100101");
    EXPECT_EQ(PatchDates(*OpenData1()).back(), "20201221");

    form.UseCatalogue(&throwing);
    const db::ConnectionRef store = P().StoreConnection;
    Tick(false, true);
    EXPECT_THROW(form.cmdStart_Click(), std::runtime_error);
    EXPECT_EQ(P().StoreConnection, store);
    EXPECT_FALSE(M().running);
    EXPECT_TRUE(M().cmd종료Enabled);
}

TEST_F(MainWindowTest, StartAndExitDuringARunAreIgnored) {
    patch::Catalogue catalogue;
    catalogue.push_back(std::move(patch::Step(1).Always().Line("사용상품 테이블 점검")));
    // The closing repairs read 상품분류코드.조제구분, which a later step of the whole catalogue
    // adds: Jet takes the missing column for a parameter without a value, and the run would end.
    // With the column they run, and correct the sample store's dispensing flags.
    OpenStore()->Execute("ALTER TABLE 상품분류코드 ADD 조제구분 SMALLINT NULL", 30);
    app::frmDBPatchMain& form = Window(&catalogue);
    form.BackupBeforePass = false;
    Tick(true, false);
    int reentries = 0;
    desktop_.OnDoEvents([&] {
        ++reentries;
        form.cmdStart_Click();  // the user clicks again while the line is painted
        form.cmd종료_Click();   // and the exit button, which is off
    });
    form.cmdStart_Click();
    desktop_.OnDoEvents(nullptr);

    EXPECT_GT(reentries, 0);
    EXPECT_TRUE(desktop_.CallsOf(host::ScriptedDesktop::CallKind::EndProgram).empty());
    EXPECT_EQ(M().List1.lines,
              (std::vector<std::string>{"-------------------------- 매장디비",
                                        app::kBackupSkippedLine, "사용상품 테이블 점검",
                                        "상품 테이블에 조제약여부가 잘못 기재된 데이터 보정함.",
                                        "-------------------------- 작업 종료"}));
    EXPECT_EQ(PatchDates(*OpenStore()),
              (std::vector<std::string>{"20071105", "20090315", "20100101", "20201221"}));
    form.cmd종료_Click();
    EXPECT_TRUE(desktop_.Ended());
}

// --- one started window: the buttons, the DAO handles, unloading ----------------------------

TEST_F(MainWindowTest, TheButtonsAndHandlesOfAStartedWindow) {
    app::frmDBPatchMain& form = Window();
    {
        SCOPED_TRACE("the sibling tool is started by the date of the last patch run, if there");
        struct Case {
            const char* lastRun;  // 날짜 of the newest row with NV_GUBUN 1
            const char* arguments;
        };
        const Case cases[] = {{"20080831", ""}, {"20080901", "/Mds"}, {"20100101", "/Mds"}};
        form.cmdTslRun_Click();
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{"상품분류 동기화 관련 파일이 존재하지 "
                                                       "않습니다.\r\n\r\n노르베일으로 문의 "
                                                       "요합니다."});
        PutStandIn("Tessel.exe");
        for (const Case& c : cases) {
            std::filesystem::remove(StartedNote("Tessel.exe"));
            P().StoreConnection->Execute("DELETE FROM PATCH_HIST WHERE NV_GUBUN = 1");
            P().StoreConnection->Execute(
                std::string("INSERT INTO PATCH_HIST (날짜, 번호, NV_Ver, NV_GUBUN) VALUES ('") +
                c.lastRun + "', 1, 'UpDate', 1)");
            form.cmdTslRun_Click();
            EXPECT_EQ(StandInArguments("Tessel.exe"), std::optional<std::string>(c.arguments))
                << c.lastRun;
        }
        // No patch run: nothing is started, nothing said.
        std::filesystem::remove(StartedNote("Tessel.exe"));
        P().StoreConnection->Execute("DELETE FROM PATCH_HIST WHERE NV_GUBUN = 1");
        form.cmdTslRun_Click();
        EXPECT_FALSE(std::filesystem::exists(StartedNote("Tessel.exe")));
        EXPECT_EQ(Boxes().size(), 1u);
    }
    {
        SCOPED_TRACE("DAO handles open the configured file and server");
        struct Case {
            std::string path;
            bool ok;
        };
        const Case cases[] = {
            {std::string(demo::kDemoMdbPath) + std::string(1, '\0') + "\r", true},
            {"C:\\Quillon\\Data\\없는파일.mdb", false},
        };
        for (const Case& c : cases) {
            P().Config().데이터_MDBPath = c.path;
            bool ok = !c.ok;
            form.OpenDaoDatabase(0, ok);
            EXPECT_EQ(ok, c.ok);
            EXPECT_EQ(form.Context().DaoDatabase != nullptr, c.ok);
        }
        // The server's password comes from the login resolution, whatever is configured; other
        // targets do nothing and succeed.
        P().Config().데이터_SQLPass_S = "stale";
        for (int target : {1, 7}) {
            bool ok = false;
            form.OpenDaoDatabase(target, ok);
            EXPECT_TRUE(ok) << target;
        }
    }
    {
        SCOPED_TRACE("unloading releases the configuration");
        P().Config().M_담당자 = "표시용";
        P().UnloadMainWindow();
        EXPECT_EQ(P().MainForm(), nullptr);
        EXPECT_EQ(P().Config().M_담당자, "");  // a new object
    }
}

}  // namespace
}  // namespace app_test
