#include "patch/error_rules.h"

#include <gtest/gtest.h>

#include "patch/patch_world.h"

namespace {

using patch::Branch;
using patch::Catalogue;
using patch::Step;
using patch_test::Kind;
using patch_test::kMarkerInsert;
using patch_test::PatchWorld;
using patch_test::Raise;
namespace N = db::ErrorNumber;

class ErrorRulesTest : public ::testing::TestWithParam<Kind> {
  protected:
    ErrorRulesTest() : world_(GetParam()) { world_.MakeStore(); }
    // Work that the closing repairs would do, to tell whether they ran.
    void AddClosingWork() {
        for (const auto& sql : patch_test::WorkForTheClosingRepairs()) world_.Execute(sql);
    }
    PatchWorld world_;
};

INSTANTIATE_TEST_SUITE_P(BothKinds, ErrorRulesTest, ::testing::Values(Kind::Mdb, Kind::SqlServer),
                         [](const auto& info) { return store_test::KindName(info.param); });

TEST_P(ErrorRulesTest, AFailingProbeOnAMissingTableEntersItsStep) {
    const Catalogue catalogue = {
        Step(1).WhenNoRow("SELECT * FROM 없는표").Line("들어감").Run(kMarkerInsert)};
    EXPECT_TRUE(world_.Run(catalogue));
    EXPECT_EQ(world_.RunList().front(), "들어감");
    EXPECT_EQ(world_.Markers(), 1);
    EXPECT_EQ(world_.Pg1(), 1);
    ASSERT_EQ(world_.Rules().size(), 1u);
    EXPECT_EQ(world_.Rules()[0].rule, 1);
    EXPECT_EQ(world_.Rules()[0].number, N::kTableMissing);
    EXPECT_EQ(world_.Rules()[0].mark, 1);
    EXPECT_EQ(world_.Rules()[0].stepMark, 0);
}

TEST_P(ErrorRulesTest, AddingAColumnThatExistsGoesOnWithTheNextStatement) {
    const Catalogue catalogue = {Step(3)
                                     .Always()
                                     .Run("ALTER TABLE 사용상품 ADD 제품분류 VARCHAR(4)")
                                     .Run("ALTER TABLE 사용상품 ADD 신규열 SMALLINT")};
    EXPECT_TRUE(world_.Run(catalogue));
    EXPECT_EQ(world_.RuleNumbers(), std::vector<int>{4});
    EXPECT_EQ(world_.Rules()[0].number, N::kSyntax);
    EXPECT_EQ(world_.Scalar("SELECT COUNT(신규열) FROM 사용상품"), "0");
}

TEST_P(ErrorRulesTest, AColumnCheckOnAMissingTableIsRetriedOnceInTheWindowsLife) {
    const Catalogue catalogue = {Step(2).Always().Line("2"),
                                 Step(3).WhenColumnMissing("없는표", "열").Line("3"),
                                 Step(4).Always().Line("4")};
    AddClosingWork();
    EXPECT_FALSE(world_.Run(catalogue));
    EXPECT_EQ(world_.RunList(), std::vector<std::string>{"2"});
    EXPECT_EQ(world_.Pg1(), 2);
    EXPECT_EQ(world_.RuleNumbers(), (std::vector<int>{7, 10}));
    EXPECT_EQ(world_.Rules()[1].number, N::kItemNotFound);
    EXPECT_TRUE(world_.Context().ItemRetryDone);
    EXPECT_TRUE(world_.ClosingSkipped());
    EXPECT_TRUE(world_.Boxes().empty());

    // The same window runs again: no retry any more.
    world_.ClearRules();
    EXPECT_FALSE(world_.Run(catalogue));
    EXPECT_EQ(world_.RuleNumbers(), std::vector<int>{10});
}

TEST_P(ErrorRulesTest, ErrorsThatNoRuleAbsorbsEndTheRunWithoutClosingActionsOrBoxes) {
    const Catalogue catalogue = {
        // Leaves a manual-removal text behind, which an ended run drops.
        Step(1).Always(), Step(2).Always().Call(Raise(N::kUnspecified, db::kJetIndexedColumnDrop)),
        Step(3).Always().Call(Raise(N::kUnspecified, "연결을 확인할 수 없습니다.")).Line("다음"),
        Step(4).Always().Line("4")};
    AddClosingWork();
    EXPECT_FALSE(world_.Run(catalogue));
    EXPECT_EQ(world_.RunList(), std::vector<std::string>{patch::kScpcodeDropFailedLine});
    EXPECT_EQ(world_.RuleNumbers(), (std::vector<int>{3, 10}));
    EXPECT_EQ(world_.Pg1(), 2);
    EXPECT_TRUE(world_.ClosingSkipped());
    EXPECT_TRUE(world_.Boxes().empty());
}

TEST_P(ErrorRulesTest, StepsAfterMarks29_31And32PassOverAnyError) {
    const struct {
        int previousMark;
        bool passedOver;
    } cases[] = {{29, true}, {30, false}, {31, true}, {32, true}, {33, false}};
    PatchWorld& world = world_;
    for (const auto& c : cases) {
        world.ResetObservations();
        const Catalogue catalogue = {
            Step(c.previousMark).Always(),
            Step(c.previousMark + 1).Always().Call(Raise(N::kUnspecified, "x")).Line("뒤")};
        EXPECT_EQ(world.Run(catalogue), c.passedOver) << c.previousMark;
        EXPECT_EQ(world.RunList().size(), c.passedOver ? 1u : 0u) << c.previousMark;
        EXPECT_EQ(world.RuleNumbers(), std::vector<int>{c.passedOver ? 2 : 10}) << c.previousMark;
    }
}

TEST_P(ErrorRulesTest, TheStepWithMark11PassesOverAnyErrorAndOnlyThatStep) {
    const Catalogue catalogue = {Step(11).Always().Call(Raise(N::kUnspecified, "x")).Line("11 뒤"),
                                 Step(12).Always().Call(Raise(N::kUnspecified, "x")).Line("12 뒤")};
    EXPECT_FALSE(world_.Run(catalogue));
    EXPECT_EQ(world_.RunList(), std::vector<std::string>{"11 뒤"});
    EXPECT_EQ(world_.RuleNumbers(), (std::vector<int>{5, 10}));
}

TEST_P(ErrorRulesTest, OnlyTheExactWrongOperationTextIsPassedOver) {
    const struct {
        const char* description;
        bool passedOver;
    } cases[] = {{"작업이 잘못되었습니다.", true},
                 {"작업이 잘못되었습니다", false},
                 {" 작업이 잘못되었습니다.", false}};
    PatchWorld& world = world_;
    for (const auto& c : cases) {
        world.ResetObservations();
        const Catalogue catalogue = {Step(40).Always().Call(Raise(12345, c.description))};
        EXPECT_EQ(world.Run(catalogue), c.passedOver) << c.description;
        EXPECT_EQ(world.RuleNumbers(), std::vector<int>{c.passedOver ? 6 : 10}) << c.description;
    }
}

TEST_P(ErrorRulesTest, ATimeoutListsItsDescriptionWithoutSelectingIt) {
    const Catalogue catalogue = {
        Step(60).Always().Line("60").Call(Raise(N::kTimeout, "Query timeout expired"))};
    EXPECT_TRUE(world_.Run(catalogue));
    EXPECT_EQ(world_.RunList(), (std::vector<std::string>{"60", "Query timeout expired"}));
    EXPECT_EQ(world_.ListIndex(), 0);
    EXPECT_EQ(world_.RuleNumbers(), std::vector<int>{9});
}

TEST_P(ErrorRulesTest, AProbeLeftOpenByAFailedReadIsClosedAndTheNextProbeRetried) {
    const Catalogue catalogue = {
        Step(29).Always(),
        // The read fails after the open (passed over after mark 29); the probe stays open.
        Step(30).WhenFieldGreater("SELECT COUNT(*) AS Cnt FROM 사용상품", "없는열", 0).Line("30"),
        Step(31).WhenNoRow("SELECT * FROM 사용상품 WHERE 1 = 0").Line("31")};
    EXPECT_TRUE(world_.Run(catalogue));
    EXPECT_EQ(world_.RunList(), (std::vector<std::string>{"30", "31"}));
    EXPECT_EQ(world_.RuleNumbers(), (std::vector<int>{2, 8}));
    EXPECT_EQ(world_.Rules()[1].number, N::kObjectOpen);
}

TEST_P(ErrorRulesTest, RetriesForAnOpenObjectAreBounded) {
    int calls = 0;
    const Catalogue catalogue = {Step(50).Always().Call([&](patch::RunContext&) {
        ++calls;
        throw db::DbError(N::kObjectOpen, "open");
    })};
    EXPECT_FALSE(world_.Run(catalogue));
    EXPECT_EQ(calls, 1 + patch::kMaxBusyRetries);
    std::vector<int> expected(patch::kMaxBusyRetries, 8);
    expected.push_back(10);
    EXPECT_EQ(world_.RuleNumbers(), expected);
}

TEST_P(ErrorRulesTest, ARenumberingThatFailsEndsTheRunAtOnce) {
    const struct {
        patch::RoutineResult routine;
        bool ok;
    } cases[] = {
        {[](patch::RunContext&) { return false; }, false},
        {[](patch::RunContext&) { return true; }, true},
        // An error passed over (the step mark is 32) counts as a failure.
        {[](patch::RunContext&) -> bool { throw db::DbError(N::kUnspecified, "x"); }, false},
    };
    for (const auto& c : cases) {
        PatchWorld world(GetParam());
        world.MakeStore(patch_test::WorkForTheClosingRepairs());
        const Catalogue catalogue = {
            Step(32).Always(), Step(33).Always().Line("33").CallOrStop(c.routine).Line("33 뒤"),
            Step(34).Always().Line("34")};
        EXPECT_EQ(world.Run(catalogue), c.ok);
        EXPECT_EQ(world.Pg1(), c.ok ? 34 : 32);
        EXPECT_EQ(world.ClosingSkipped(), !c.ok);
        if (!c.ok) {
            EXPECT_EQ(world.RunList(), std::vector<std::string>{"33"});
        }
        EXPECT_TRUE(world.Boxes().empty() || c.ok);
    }
}

// The column drop that an MDB database refuses for an indexed column: after mark 1 the run list
// and a box ask for its manual removal, naming the configured kind; elsewhere it is passed over
// quietly.
TEST(ScpcodeDropTest, TheRefusedDropAsksForManualRemovalOnlyAfterMark1) {
    const std::string drop = "사용상품 SCPCODE 필드 제거",
                      failed = "사용상품 테이블 SCPCODE 필드 제거 실패";
    const struct {
        int previousMark;
        int configuredKind;
        const char* box;  // nullptr: none
    } cases[] = {
        {1, 0, "MDB 데이터의 [사용상품] 테이블의 [SCPCODE] 필드는 수동으로 제거하십시요."},
        {1, 1, "SQL 데이터의 [사용상품] 테이블의 [SCPCODE] 필드는 수동으로 제거하십시요."},
        {5, 0, nullptr},
    };
    for (const auto& c : cases) {
        PatchWorld world(Kind::Mdb);
        world.MakeStore();
        world.Runtime().Config().데이터_종류 = static_cast<std::uint8_t>(c.configuredKind);
        const Catalogue catalogue = {Step(c.previousMark).Always(),
                                     Step(c.previousMark + 1)
                                         .WhenColumnPresent("사용상품", "SCPCODE")
                                         .Line(drop)
                                         .Run("Alter Table 사용상품 Drop Column SCPCODE"),
                                     Step(c.previousMark + 2).Always().Line("다음")};
        EXPECT_TRUE(world.Run(catalogue));
        std::vector<std::string> lines = {drop, failed, "다음"};
        if (!c.box) lines.erase(lines.begin() + 1);
        EXPECT_EQ(world.RunList(), lines);
        ASSERT_EQ(world.RuleNumbers(), std::vector<int>{3});
        const auto boxes = world.Boxes();
        ASSERT_EQ(boxes.size(), c.box ? 1u : 0u);
        if (c.box) {
            EXPECT_EQ(boxes[0].text, c.box);
            EXPECT_EQ(boxes[0].title, "수동삭제 요함");
            EXPECT_EQ(boxes[0].icon, host::MsgIcon::Critical);
        }
    }
}

}  // namespace
