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

// A "데이터1" run writes into that database only, whatever the record held before; two store runs
// then add two numbered rows of the release to the store, an empty remark meaning the version text.
TEST_F(PatchRunRecordsTest, EachRunAddsARowOfTheReleaseToTheDatabaseItPatched) {
    history::clsPatch_Hist History(Rt());
    History.작업구분 = 2;  // left over from earlier use: the run still inserts
    History.NV_ETC = "이전 값";
    history::RecordPatchRun(Rt(), History);
    EXPECT_EQ(History.LastAction, 0);
    EXPECT_TRUE(StoreRows().empty());
    const std::string row = std::string("|UpDate|") + kVersionText + "|1|dated";
    EXPECT_EQ(Rows(Rt().Data1Connection), std::vector<std::string>{"20201221|1" + row});
    EXPECT_EQ(History.LastPatchDate(), "");  // the store is still unpatched

    history::RecordPatchRun(Rt(), History, "");
    history::RecordPatchRun(Rt(), History, "수동 패치");
    EXPECT_EQ(StoreRows(), (std::vector<std::string>{"20201221|1" + row,
                                                     "20201221|2|UpDate|수동 패치|1|dated"}));
    EXPECT_EQ(Rows(Rt().Data1Connection).size(), 1u);
    EXPECT_EQ(History.LastPatchDate(), "20201221");
}

}  // namespace
}  // namespace history_test
