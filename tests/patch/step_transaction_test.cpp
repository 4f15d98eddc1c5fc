// A step applies whole or not at all, and a date-gated block applied by a run that ended
// before its history row is not applied again by the next run.
#include <gtest/gtest.h>

#include <string>

#include "db/error.h"
#include "history/cls_patch_hist.h"
#include "patch/dao_steps.h"
#include "patch/patch_world.h"
#include "patch/resume_record.h"
#include "patch/run_catalogue.h"

namespace {

using patch::Catalogue;
using patch::Step;
using patch_test::Kind;
using patch_test::kMarkerInsert;
using patch_test::PatchWorld;
using patch_test::Raise;

class StepTransactionTest : public ::testing::TestWithParam<Kind> {
  protected:
    StepTransactionTest() : world_(GetParam()) {}

    bool HasColumn(const std::string& table, const std::string& column) {
        return world_.Column(table, column).has_value();
    }
    // A history row that makes `date` the last patch date, as a finished run writes it.
    void FinishedRunOn(const std::string& date) {
        world_.Execute("INSERT INTO PATCH_HIST (날짜, 번호, NV_Ver, NV_GUBUN) VALUES ('" + date +
                       "', 1, 'UpDate', 1)");
    }

    PatchWorld world_;
};

INSTANTIATE_TEST_SUITE_P(BothKinds, StepTransactionTest,
                         ::testing::Values(Kind::Mdb, Kind::SqlServer),
                         [](const auto& info) { return store_test::KindName(info.param); });

// The run ends inside the step: none of the step's changes stay, those of the steps before do.
TEST_P(StepTransactionTest, AStepTheRunEndsInLeavesNothingBehind) {
    world_.MakeStore();
    const Step columns = Step(3)
                             .WhenColumnMissing("사용상품", "열하나")
                             .Run("ALTER TABLE 사용상품 ADD 열하나 SMALLINT NULL")
                             .Run("ALTER TABLE 사용상품 ADD 열둘 SMALLINT NULL");
    Step failing = columns;
    failing.Run(kMarkerInsert).Call(Raise(db::ErrorNumber::kUnspecified, "끊김"));
    EXPECT_FALSE(world_.Run({Step(1).Always().Run(kMarkerInsert), failing}));
    EXPECT_EQ(world_.Markers(), 1);
    EXPECT_FALSE(HasColumn("사용상품", "열하나"));
    EXPECT_FALSE(HasColumn("사용상품", "열둘"));

    // The next run finds the step still to do and applies all of it.
    world_.ResetObservations();
    EXPECT_TRUE(world_.Run({columns}));
    EXPECT_TRUE(HasColumn("사용상품", "열하나"));
    EXPECT_TRUE(HasColumn("사용상품", "열둘"));
}

// Errors that the rules pass over cost only their statement; the rest of the step is saved.
TEST_P(StepTransactionTest, ErrorsPassedOverKeepTheRestOfTheStep) {
    world_.MakeStore();
    const Catalogue catalogue = {Step(40)
                                     .Always()
                                     .Run(kMarkerInsert)
                                     .Run("SELEC 틀린 문장")
                                     .Run("DELETE FROM 없는표")
                                     .Run(kMarkerInsert)};
    EXPECT_TRUE(world_.Run(catalogue));
    EXPECT_EQ(world_.Markers(), 2);
    EXPECT_EQ(world_.RuleNumbers(), (std::vector<int>{4, 1}));
}

// The engine gives the transaction up halfway (here: ended under the runner's feet): the work so
// far is undone and the step runs once more from its start, statement by statement.
TEST_P(StepTransactionTest, AStepWhoseTransactionTheEngineGaveUpRunsAgainWithoutOne) {
    world_.MakeStore();
    int calls = 0;
    const Catalogue catalogue = {Step(5)
                                     .Always()
                                     .Line("다섯")
                                     .Run(kMarkerInsert)
                                     .Call([&calls](patch::RunContext& c) {
                                         ++calls;
                                         c.runtime.StoreConnection->Engine().RollbackTransaction();
                                     })
                                     .Run(kMarkerInsert),
                                 Step(6).Always().Run(kMarkerInsert)};
    EXPECT_TRUE(world_.Run(catalogue));
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(world_.Markers(), 3);
    EXPECT_EQ(world_.RunList(),
              (std::vector<std::string>{"다섯", patch::kStepReplayedLine, "다섯"}));
    EXPECT_FALSE(world_.Runtime().StoreConnection->InTransaction());
}

// Mark 113 inserts a toolbar row behind its date gate. A run that applied it and then ended
// without a history row must not insert it again.
TEST_P(StepTransactionTest, AGatedBlockIsNotAppliedTwiceAfterAnUnfinishedRun) {
    world_.MakeStore();
    FinishedRunOn("20150101");
    const Step gated = Step(113).DateGate("20170208").Always().Line("툴바").Run(kMarkerInsert);
    const Catalogue stops = {gated,
                             Step(114).Always().Call(Raise(db::ErrorNumber::kUnspecified, "끊김"))};
    EXPECT_FALSE(world_.Run(stops));
    EXPECT_EQ(world_.Markers(), 1);

    // The next run passes the gate by: the step counts as done, nothing is applied again.
    world_.Runtime().MainWindow().List1 = {};
    const Catalogue again = {gated, Step(115).Always()};
    EXPECT_TRUE(world_.Run(again));
    EXPECT_EQ(world_.Markers(), 1);
    EXPECT_TRUE(world_.RunList().empty());
    EXPECT_EQ(world_.Pg1(), 115);

    // The record is invisible to the last patch date.
    EXPECT_EQ(world_.Context().History().LastPatchDate(), "20150101");

    // Once a finished run has written its history row the record counts for nothing and goes.
    FinishedRunOn("20160101");
    patch::DropStaleResumeRecord(world_.Runtime().StoreConnection, "20160101");
    EXPECT_FALSE(world_.HasTable(patch::kResumeTable));
    EXPECT_TRUE(world_.Run({gated}));
    EXPECT_EQ(world_.Markers(), 2);
}

// A record written before a later finished run is stale: it neither closes the gate nor goes
// while a row of the current last patch date is there.
TEST_P(StepTransactionTest, OnlyTheRecordOfTheCurrentLastPatchDateCounts) {
    world_.MakeStore();
    FinishedRunOn("20150101");
    db::ConnectionRef& store = world_.Runtime().StoreConnection;
    patch::NoteGatePassed(store, {113, 0, "20170208", "20140101"});
    EXPECT_FALSE(patch::GateAlreadyPassed(store, {113, 0, "20170208", "20150101"}));
    EXPECT_TRUE(patch::GateAlreadyPassed(store, {113, 0, "20170208", "20140101"}));
    EXPECT_FALSE(patch::GateAlreadyPassed(store, {113, 1, "20170208", "20140101"}));

    const Step gated = Step(113).DateGate("20170208").Always().Run(kMarkerInsert);
    EXPECT_TRUE(world_.Run({gated}));
    EXPECT_EQ(world_.Markers(), 1);
    patch::DropStaleResumeRecord(store, "20150101");
    EXPECT_TRUE(world_.HasTable(patch::kResumeTable));
}

// The record row is part of the step: a gated step the run ends in leaves no row, and the next
// run applies it.
TEST_P(StepTransactionTest, AGatedStepTheRunEndsInIsAppliedByTheNextRun) {
    world_.MakeStore();
    const Step gated = Step(101).DateGate("20140709").Always().Run(kMarkerInsert);
    Step failing = gated;
    failing.Call(Raise(db::ErrorNumber::kUnspecified, "끊김"));
    EXPECT_FALSE(world_.Run({failing}));
    EXPECT_EQ(world_.Markers(), 0);
    EXPECT_TRUE(world_.Run({gated}));
    EXPECT_EQ(world_.Markers(), 1);
}

// The DAO fields of mark 9 are added through the step's connection, so they go with the step.
TEST(StepTransaction, DaoFieldsTakePartInTheStepsTransaction) {
    PatchWorld world(Kind::Mdb);
    world.MakeStore();
    world.Context().DaoDatabase = world.OpenDao();
    const Step fields = Step(9)
                            .WhenColumnMissing("임시입출상품", "확장코드")
                            .Call(patch::AddTempVoucherFieldsByDao);
    Step failing = fields;
    failing.Call(Raise(db::ErrorNumber::kUnspecified, "끊김"));
    EXPECT_FALSE(world.Run({failing}));
    EXPECT_FALSE(world.Column("임시입출상품", "확장코드"));
    EXPECT_FALSE(world.Column("임시입출상품", "확장공급가"));
    EXPECT_TRUE(world.Run({fields}));
    EXPECT_TRUE(world.Column("임시입출상품", "확장코드"));
    EXPECT_TRUE(world.Column("임시입출상품", "확장공급가"));
    // The code field takes an empty text, as the store software writes one.
    EXPECT_TRUE(world.Context().DaoTableDef->Fields("확장코드").AllowZeroLength);
}

}  // namespace
