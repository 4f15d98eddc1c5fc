// The patch history record class on real store databases of both kinds.
#include "history/cls_patch_hist.h"

#include <gtest/gtest.h>

#include <functional>

#include "history/history_helper.h"
#include "history/history_world.h"
#include "host/temp_folder.h"

namespace history_test {
namespace {

constexpr const char* kWriteFailed = "작업에 오류가있으므로 저장할 수 없습니다.";
constexpr const char* kReportPath = "C:\\Quillon\\DataPatchErrorReport.log";

// The error number the action throws; a test failure when it does not throw.
template <typename Action>
std::int32_t NumberOf(Action action) {
    return db::embedded::testing::ErrorOf(action).Number();
}

class PatchHistTest : public HistoryWorld, public ::testing::WithParamInterface<StoreKind> {
  protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(ConnectStore(GetParam())); }

    // The fields as a patch run sets them, for the date given.
    void PrepareRun(history::clsPatch_Hist& hist, const std::string& date) {
        hist.날짜 = date;
        hist.NV_Ver = "UpDate";
        hist.NV_ETC = kVersionText;
        hist.NV_GUBUN = 1;
        hist.작업구분 = 0;
    }
    void Run(const std::string& sql) { Rt().StoreConnection->Execute(sql); }
    void AddRow(const std::string& date, int number, const std::string& version) {
        Run("INSERT INTO PATCH_HIST (날짜, 번호, NV_Ver, NV_GUBUN) VALUES ('" + date + "', " +
            std::to_string(number) + ", '" + version + "', 1)");
    }
};

// Inserts number rows within their date (dashes dropped), then selects, rewrites (apostrophes
// kept) and deletes one row.
TEST_P(PatchHistTest, InsertsSelectsRewritesAndDeletesRows) {
    history::clsPatch_Hist hist(Rt());
    for (const char* date : {"2020-12-21", "20201221", "20201221", "2020-12-22"}) {
        PrepareRun(hist, date);
        hist.Update();
        EXPECT_EQ(hist.LastAction, 0) << date;
    }
    EXPECT_EQ(hist.날짜, "20201222");
    EXPECT_EQ(hist.번호, 1);
    const std::string row = std::string("|UpDate|") + kVersionText + "|1|dated";
    EXPECT_EQ(StoreRows(), (std::vector<std::string>{"20201221|1" + row, "20201221|2" + row,
                                                     "20201221|3" + row, "20201222|1" + row}));

    hist.날짜 = "20201221";
    hist.번호 = 2;
    hist.RecordSelect();
    EXPECT_EQ(hist.NoRecord, 0);
    EXPECT_EQ(hist.작업구분, 1);
    hist.NV_ETC = "하로나's 'Ver' 40";
    hist.NV_Ver = "Up'Date";
    hist.NV_GUBUN = 2;
    hist.Update();
    EXPECT_EQ(hist.LastAction, 1);
    hist.RecordSelect();
    EXPECT_EQ(hist.NV_ETC, "하로나's 'Ver' 40");
    EXPECT_EQ(hist.NV_Ver, "Up'Date");
    EXPECT_EQ(hist.NV_GUBUN, 2);
    EXPECT_EQ(StoreRows()[0], "20201221|1" + row);

    hist.작업구분 = 2;
    hist.Update();
    EXPECT_EQ(hist.LastAction, 2);
    hist.번호 = 3;
    hist.Delete();
    EXPECT_EQ(hist.LastAction, 2);
    EXPECT_EQ(StoreRows(), (std::vector<std::string>{"20201221|1" + row, "20201222|1" + row}));
    EXPECT_TRUE(Boxes().empty());
    hist.번호 = 2;
    hist.RecordSelect();
    EXPECT_EQ(hist.NoRecord, 1);
    EXPECT_EQ(hist.작업구분, 0);
    EXPECT_EQ(hist.NV_Ver, "");
}

TEST_P(PatchHistTest, LastPatchDateCountsUpDateRowsAndAMissingTableReadsAsNeverPatched) {
    history::clsPatch_Hist hist(Rt());
    AddRow("20071029", 1, "UpDate");
    AddRow("20201221", 1, "UpDate");
    AddRow("20211231", 1, "Manual");  // later, but not a patch run
    AddRow("20220101", 1, "");
    EXPECT_EQ(hist.LastPatchDate(), "20201221");
    Run("DELETE FROM PATCH_HIST WHERE NV_Ver = 'UpDate'");
    EXPECT_EQ(hist.LastPatchDate(), "");

    Run("DROP TABLE PATCH_HIST");
    EXPECT_EQ(hist.LastPatchDate(), "");
    std::int16_t next = 0;
    EXPECT_EQ(NumberOf([&] { hist.new번호(next); }), db::ErrorNumber::kTableMissing);
    EXPECT_EQ(NumberOf([&] { hist.RecordSelect(); }), db::ErrorNumber::kTableMissing);
    // Any other failure still reaches the caller.
    Rt().StoreConnection->Close();
    EXPECT_EQ(NumberOf([&] { hist.LastPatchDate(); }), db::ErrorNumber::kObjectClosed);
}

// A write that cannot be done is rolled back, shown and reported, and leaves the connection free.
TEST_P(PatchHistTest, AFailedWriteIsRolledBackShownAndReported) {
    struct Case {
        const char* what;
        std::function<void(history::clsPatch_Hist&)> spoil;
        const char* box;
        const char* reported;  // in the error report, nullptr when nothing is reported
    };
    const Case cases[] = {
        {"unknown kind of work", [](auto& h) { h.작업구분 = 5; }, "작업구분이 누락되었습니다.",
         nullptr},
        {"text too long", [](auto& h) { h.NV_ETC = std::string(101, 'x'); }, kWriteFailed,
         "[clsPatch_Hist:Update]\t오류 0x80040E57"},
        {"number beyond 16 bits", [&](auto&) { AddRow("20201221", 32767, "UpDate"); }, kWriteFailed,
         nullptr},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(Native(kReportPath));
        desktop_ = host::ScriptedDesktop(host::MsgAnswer::Ok);
        history::clsPatch_Hist hist(Rt());
        PrepareRun(hist, "20201221");
        c.spoil(hist);
        const std::size_t before = StoreRows().size();
        hist.Update();
        EXPECT_EQ(hist.LastAction, 3) << c.what;
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{c.box}) << c.what;
        EXPECT_EQ(StoreRows().size(), before) << c.what;
        EXPECT_FALSE(Rt().StoreConnection->InTransaction()) << c.what;
        const std::string report = host_test::ReadBytes(Native(kReportPath));
        if (c.reported != nullptr) {
            EXPECT_NE(report.find(c.reported), std::string::npos) << report;
        }
        EXPECT_FALSE(desktop_.Ended()) << c.what;
        Run("DELETE FROM PATCH_HIST");
    }
    history::clsPatch_Hist hist(Rt());
    PrepareRun(hist, "20201221");
    hist.Update();
    EXPECT_EQ(hist.LastAction, 0);
    EXPECT_EQ(StoreRows().size(), 1u);

    // A report that cannot be written ends the program.
    std::filesystem::remove(Native(kReportPath));
    desktop_ = host::ScriptedDesktop(host::MsgAnswer::Ok);
    ASSERT_TRUE(std::filesystem::create_directories(Native(kReportPath)));
    Run("DROP TABLE PATCH_HIST");
    hist.Update();
    EXPECT_EQ(hist.LastAction, 3);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{
                              kWriteFailed, "에러핸들오류로 인하여 프로그램을 종료합니다."}));
    EXPECT_TRUE(desktop_.Ended());
}

TEST_P(PatchHistTest, NullColumnsReadAsEmptyAndDataLoadOpensTheRowsOfOneDate) {
    Run("INSERT INTO PATCH_HIST (날짜, 번호) VALUES ('20201221', 4)");
    AddRow("20201221", 1, "UpDate");
    AddRow("20201222", 1, "UpDate");
    history::clsPatch_Hist hist(Rt());
    hist.날짜 = "20201221";
    hist.번호 = 4;
    hist.NV_ETC = "old";
    hist.NV_GUBUN = 9;
    hist.RecordSelect();
    EXPECT_EQ(hist.NoRecord, 0);
    EXPECT_EQ(hist.NV_ETC, "");
    EXPECT_EQ(hist.NV_GUBUN, 0);

    db::RecordSet rs;
    hist.DataLoad(rs, "2020-12-21", 7);
    EXPECT_EQ(hist.NoRecord, 0);
    int count = 0;
    for (; !rs.Eof(); rs.MoveNext(), ++count) EXPECT_EQ(rs["날짜"].AsText(), "20201221");
    EXPECT_EQ(count, 2);
    db::RecordSet none;
    hist.DataLoad(none, "2019-01-01");
    EXPECT_EQ(hist.NoRecord, 1);
}

INSTANTIATE_TEST_SUITE_P(BothKinds, PatchHistTest,
                         ::testing::Values(StoreKind::Mdb, StoreKind::SqlServer), KindName);

// The moment of the write, in the regional date form "yyyy/MM/dd": an MDB date literal #…# is
// read as a date and kept as "yyyy-MM-dd …"; a quoted SQL Server literal is converted by the
// date column it goes into, so it is stored as the same date (and a #…# would be refused there).
struct LiteralCase {
    StoreKind store;
    std::int32_t section;
    bool data1File;  // where the row must land
};

class NowLiteralTest : public HistoryWorld, public ::testing::WithParamInterface<LiteralCase> {};

TEST_P(NowLiteralTest, FollowsTheSectionAndTheConfiguredKind) {
    const LiteralCase& c = GetParam();
    host_.Regional().SetShortDateFormat("yyyy/MM/dd");
    ASSERT_NO_FATAL_FAILURE(ConnectStore(c.store));
    ASSERT_NO_FATAL_FAILURE(ConnectData1());
    history::clsPatch_Hist hist(Rt());
    hist.날짜 = "20201221";
    hist.NV_Ver = "UpDate";
    hist.Update(c.section);
    EXPECT_EQ(hist.LastAction, 0);
    EXPECT_TRUE(Boxes().empty());
    const auto file = c.data1File                 ? ServerFile(Data1Server())
                      : c.store == StoreKind::Mdb ? MdbFile()
                                                  : ServerFile(StoreServer());
    const auto dates = StoredDates(file);
    ASSERT_EQ(dates.size(), 1u);
    ASSERT_EQ(dates[0].size(), 19u) << dates[0];
    EXPECT_EQ(dates[0][4], '-') << dates[0];
    EXPECT_EQ(dates[0][13], ':') << dates[0];
}

INSTANTIATE_TEST_SUITE_P(Literals, NowLiteralTest,
                         ::testing::Values(LiteralCase{StoreKind::Mdb, 0, false},
                                           LiteralCase{StoreKind::SqlServer, 0, false},
                                           // "데이터1" is SQL Server whatever the store is
                                           LiteralCase{StoreKind::Mdb, 1, true}));

class Data1SectionTest : public HistoryWorld {};

TEST_F(Data1SectionTest, AWriteWithoutItsConnectionIsAHandledFailure) {
    ASSERT_NO_FATAL_FAILURE(ConnectStore(StoreKind::Mdb));
    history::clsPatch_Hist hist(Rt());
    hist.날짜 = "20201221";
    hist.Update(1);
    EXPECT_EQ(hist.LastAction, 3);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{kWriteFailed});
    EXPECT_TRUE(StoreRows().empty());
}

}  // namespace
}  // namespace history_test
