// Recording successful patch runs in the database that was patched.
#include "history/patch_run_records.h"

#include <gtest/gtest.h>

#include "history/history_world.h"

namespace history_test {
namespace {

class PatchRunRecordsTest : public HistoryWorld {
  protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(ConnectStore(StoreKind::Mdb));
        ASSERT_NO_FATAL_FAILURE(ConnectData1());
    }
};

TEST_F(PatchRunRecordsTest, TwoStoreRunsAddTwoNumberedRowsOfTheRelease) {
    history::clsPatch_Hist History(Rt());
    history::RecordPatchRun(Rt(), History, "");
    history::RecordPatchRun(Rt(), History, "수동 패치");
    const auto rows = StoreRows();
    ASSERT_EQ(rows.size(), 2u);
    for (int i = 0; i < 2; ++i) EXPECT_EQ(rows[i].번호, i + 1);
    EXPECT_EQ(rows[0].NV_ETC, kVersionText);  // an empty remark means the version text
    EXPECT_EQ(rows[1].NV_ETC, "수동 패치");
    EXPECT_TRUE(Rows(Rt().Data1Connection).empty());
    EXPECT_EQ(History.LastPatchDate(), "20201221");
}

TEST_F(PatchRunRecordsTest, AData1RunWritesIntoTheData1DatabaseOnly) {
    history::clsPatch_Hist History(Rt());
    History.작업구분 = 2;  // left over from earlier use: the run still inserts
    History.NV_ETC = "이전 값";
    history::RecordPatchRun(Rt(), History);
    EXPECT_EQ(History.LastAction, 0);
    EXPECT_TRUE(StoreRows().empty());
    const auto rows = Rows(Rt().Data1Connection);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].NV_ETC, kVersionText);
    EXPECT_EQ(History.LastPatchDate(), "");  // the store is still unpatched
}

}  // namespace
}  // namespace history_test
