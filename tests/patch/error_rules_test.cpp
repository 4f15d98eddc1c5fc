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

// What one run on the store without work for the closing repairs gives: whether it ends well,
// the run list, the rules applied and the error number that the last of them met.
struct Outcome {
    bool ok;
    std::vector<std::string> lines;
    std::vector<int> rules;
    std::int32_t lastNumber = 0;  // 0: not checked
    int selected = -1;            // the run list's selected line; -1: not checked
};

struct RuleCase {
    const char* name;
    Catalogue catalogue;
    Outcome outcome;
};

// A failing step after a step with the mark given.
Catalogue FailingAfter(int previousMark, std::int32_t number = N::kUnspecified,
                       const std::string& description = "x") {
    return {Step(previousMark).Always(),
            Step(previousMark + 1).Always().Call(Raise(number, description)).Line("뒤")};
}

const Outcome kPassedOver = {true, {"뒤"}, {2}};
const Outcome kEnded = {false, {}, {10}};

const RuleCase kRuleCases[] = {
    {"a failing probe on a missing table enters its step",
     {Step(1).WhenNoRow("SELECT * FROM 없는표").Line("들어감")},
     {true, {"들어감"}, {1}, N::kTableMissing}},
    {"adding a column that exists goes on with the next statement",
     {Step(3).Always().Run("ALTER TABLE 사용상품 ADD 제품분류 VARCHAR(4)").Line("다음")},
     {true, {"다음"}, {4}, N::kSyntax}},
    // Step 2 leaves a manual-removal text behind, which an ended run drops.
    {"an error no rule absorbs ends the run",
     {Step(1).Always(), Step(2).Always().Call(Raise(N::kUnspecified, db::kJetIndexedColumnDrop)),
      Step(3).Always().Call(Raise(N::kUnspecified, "연결을 확인할 수 없습니다.")).Line("다음"),
      Step(4).Always().Line("4")},
     {false, {patch::kScpcodeDropFailedLine}, {3, 10}}},
    {"after mark 29 any error is passed over", FailingAfter(29), kPassedOver},
    {"after mark 30 it is not", FailingAfter(30), kEnded},
    {"after mark 31", FailingAfter(31), kPassedOver},
    {"after mark 32", FailingAfter(32), kPassedOver},
    {"after mark 33 it is not", FailingAfter(33), kEnded},
    {"the step with mark 11 passes over any error, and only that step",
     {Step(11).Always().Call(Raise(N::kUnspecified, "x")).Line("11 뒤"),
      Step(12).Always().Call(Raise(N::kUnspecified, "x")).Line("12 뒤")},
     {false, {"11 뒤"}, {5, 10}}},
    {"the exact wrong-operation text is passed over",
     FailingAfter(39, 12345, "작업이 잘못되었습니다."),
     {true, {"뒤"}, {6}}},
    {"without its full stop it is not", FailingAfter(39, 12345, "작업이 잘못되었습니다"), kEnded},
    {"nor with a leading blank", FailingAfter(39, 12345, " 작업이 잘못되었습니다."), kEnded},
    {"a timeout lists its description without selecting it and goes on",
     {Step(60).Always().Line("60").Call(Raise(N::kTimeout, "Query timeout expired"))},
     {true, {"60", "Query timeout expired"}, {9}, 0, 0}},
    // The read fails after the open (passed over after mark 29) and leaves the probe open: it is
    // closed and the next probe retried.
    {"a probe left open by a failed read",
     {Step(29).Always(),
      Step(30).WhenFieldGreater("SELECT COUNT(*) AS Cnt FROM 사용상품", "없는열", 0).Line("30"),
      Step(31).WhenNoRow("SELECT * FROM 사용상품 WHERE 1 = 0").Line("31")},
     {true, {"30", "31"}, {2, 8}, N::kObjectOpen}},
    // A renumbering whose error was passed over (the step mark is 32) did not succeed either.
    {"a renumbering that fails ends the run at once",
     {Step(32).Always(),
      Step(33)
          .Always()
          .Line("33")
          .CallOrStop([](patch::RunContext&) -> bool { throw db::DbError(N::kUnspecified, "x"); })
          .Line("33 뒤"),
      Step(34).Always().Line("34")},
     {false, {"33"}, {2}}},
    {"a size probe without a DAO handle ends the run",
     {Step(53).WhenColumnSize("사용상품", "심평원규격", 40).Line("53")},
     {false, {}, {10}, 91}},
};

TEST_P(ErrorRulesTest, EachRuleCaseEndsItsRunAsItShould) {
    for (const RuleCase& c : kRuleCases) {
        SCOPED_TRACE(c.name);
        world_.ResetObservations();
        const Outcome& o = c.outcome;
        EXPECT_EQ(world_.Run(c.catalogue), o.ok);
        EXPECT_EQ(world_.RunList(), o.lines);
        EXPECT_EQ(world_.RuleNumbers(), o.rules) << world_.RuleText();
        if (o.lastNumber != 0) {
            EXPECT_EQ(world_.Rules().back().number, o.lastNumber);
        }
        if (o.selected >= 0) {
            EXPECT_EQ(world_.ListIndex(), o.selected);
        }
    }
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
