#include "patch/run_catalogue.h"

#include <gtest/gtest.h>

#include "patch/patch_world.h"

namespace {

using patch::Branch;
using patch::Catalogue;
using patch::Step;
using patch_test::Kind;
using patch_test::kMarkerInsert;
using patch_test::PatchWorld;

class RunCatalogueTest : public ::testing::TestWithParam<Kind> {
  protected:
    RunCatalogueTest() : world_(GetParam()) {}
    PatchWorld world_;
};

INSTANTIATE_TEST_SUITE_P(BothKinds, RunCatalogueTest, ::testing::Values(Kind::Mdb, Kind::SqlServer),
                         [](const auto& info) { return store_test::KindName(info.param); });

// Each check kind on the base schema (상품분류코드 holds one row, 사용상품 none): whether the
// step acts.
struct CheckCase {
    const char* name;
    Step step;
    bool acts;
};

const CheckCase kCheckCases[] = {
    {"column missing", Step(70).WhenColumnMissing("사용상품", "없는열"), true},
    {"column missing, present", Step(70).WhenColumnMissing("사용상품", "SCPCODE"), false},
    {"column name case counts", Step(70).WhenColumnMissing("사용상품", "scpcode"), true},
    {"column present", Step(70).WhenColumnPresent("사용상품", "SCPCODE"), true},
    {"column present, missing", Step(70).WhenColumnPresent("사용상품", "없는열"), false},
    {"table missing", Step(70).WhenTableMissing("없는표"), true},
    {"table name case ignored", Step(70).WhenTableMissing("patch_HIST"), false},
    {"table present", Step(70).WhenTablePresent("상품분류코드"), true},
    {"table present, missing", Step(70).WhenTablePresent("없는표"), false},
    {"no row", Step(70).WhenNoRow("SELECT * FROM 사용상품"), true},
    {"no row, has one", Step(70).WhenNoRow("SELECT * FROM 상품분류코드"), false},
    {"row", Step(70).WhenRow("SELECT * FROM 상품분류코드"), true},
    {"row, none", Step(70).WhenRow("SELECT * FROM 사용상품"), false},
    {"Cnt > 0", Step(70).WhenFieldGreater("SELECT COUNT(*) AS Cnt FROM 상품분류코드", "Cnt", 0),
     true},
    {"Cnt > 0, zero", Step(70).WhenFieldGreater("SELECT COUNT(*) AS Cnt FROM 사용상품", "Cnt", 0),
     false},
    {"중복 > 1, one",
     Step(70).WhenFieldGreater("SELECT COUNT(*) AS 중복 FROM 상품분류코드", "중복", 1), false},
    {"ChkCount < 16, Null as 0",
     Step(70).WhenFieldLess("SELECT SUM(DEL_CHK) AS ChkCount FROM 사용상품", "ChkCount", 16), true},
    {"ChkCount < 16, 20",
     Step(70).WhenFieldLess("SELECT SUM(조제구분) AS ChkCount FROM 상품분류코드", "ChkCount", 16),
     false},
    {"record count > 0", Step(70).WhenRecordCountGreater("SELECT * FROM 상품분류코드", 0), true},
    {"record count > 0, none", Step(70).WhenRecordCountGreater("SELECT * FROM 사용상품", 0), false},
    {"routine says work", Step(70).WhenRoutine([](patch::RunContext&) { return true; }), true},
    {"routine says none", Step(70).WhenRoutine([](patch::RunContext&) { return false; }), false},
};

TEST_P(RunCatalogueTest, EachCheckActsExactlyWhenItsChangeIsNeeded) {
    PatchWorld& world = world_;
    world.MakeStore({"INSERT INTO 상품분류코드 VALUES ('0001', 20, 0)"});
    for (const CheckCase& c : kCheckCases) {
        world.ResetObservations();
        Step step = c.step;
        step.Line("행").Run(kMarkerInsert);
        EXPECT_TRUE(world.Run({step})) << c.name;
        EXPECT_EQ(world.Markers(), c.acts ? 1 : 0) << c.name;
        EXPECT_EQ(world.RunList().size(), c.acts ? 1u : 0u) << c.name;
        EXPECT_TRUE(world.Rules().empty()) << c.name;
        EXPECT_EQ(world.Pg1(), 70) << c.name;
    }
}

TEST_P(RunCatalogueTest, EachLineIsSelectedAndPaintedBeforeTheStepsWork) {
    world_.MakeStore();
    int yieldsAtLine = -1;
    std::string lastLine;
    int selected = -2;
    world_.Desktop().OnDoEvents([&] { ++yieldsAtLine; });
    const Catalogue catalogue = {
        Step(8).Always().Line("첫").Line("둘").Call([&](patch::RunContext& c) {
            lastLine = c.runtime.MainWindow().List1.lines.back();
            selected = c.runtime.MainWindow().List1.listIndex;
        })};
    ASSERT_TRUE(world_.Run(catalogue));
    EXPECT_EQ(lastLine, "둘");
    EXPECT_EQ(selected, 1);
    EXPECT_EQ(yieldsAtLine + 1, 2);  // one yield per line
}

// A history table without NV_Ver cannot answer the last patch date. The server reports the
// unknown column as an error in the command, which a rule passes over into the step; Jet takes the
// name for a parameter without a value (0x80040E10), which no rule passes over.
TEST_P(RunCatalogueTest, AnErrorInADateGateEntersTheStepOnTheServerAndEndsTheRunInJet) {
    world_.Make({"CREATE TABLE PATCH_HIST (날짜 VARCHAR(8))"});
    const Catalogue catalogue = {Step(99).DateGate("20130927").Always().Line("99")};
    world_.Run(catalogue);
    ASSERT_FALSE(world_.Rules().empty());
    EXPECT_EQ(world_.Rules()[0].mark, 99);
    if (GetParam() == Kind::Mdb) {
        EXPECT_EQ(world_.Rules()[0].number, db::ErrorNumber::kNoValue);
        EXPECT_EQ(world_.Rules()[0].rule, 10);
        EXPECT_TRUE(world_.RunList().empty());
    } else {
        EXPECT_NE(world_.Rules()[0].rule, 10);
        ASSERT_FALSE(world_.RunList().empty());
        EXPECT_EQ(world_.RunList().front(), "99");
    }
}

TEST_P(RunCatalogueTest, TargetGatesChooseTheStepsOfThePass) {
    const Catalogue catalogue = {
        Step(41)
            .Always()
            .Line("41")
            .Nested(Branch().OnlyTarget(1).Line("41 데이터1"))
            .Line("41 모두"),
        Step(112).OnlyTarget(0).Always().Line("112"),
    };
    const struct {
        int target;
        std::vector<std::string> lines;
        int pg1;
    } cases[] = {{0, {"41", "41 모두", "112"}, 112}, {1, {"41", "41 데이터1", "41 모두"}, 41}};
    for (const auto& c : cases) {
        PatchWorld world(GetParam());
        world.MakeStore();
        world.Context().PatchTarget = static_cast<std::int16_t>(c.target);
        EXPECT_TRUE(world.Run(catalogue));
        EXPECT_EQ(world.RunList(), c.lines) << c.target;
        EXPECT_EQ(world.Pg1(), c.pg1) << c.target;
    }
}

// On the "데이터1" pass (always a server) of a store configured as MDB, the MDB text is run: the
// server refuses its TEXT(9) (TEXT takes no width), a rule passes over the error, and no column is
// added.
TEST(RunCatalogue, TheConfiguredKindChoosesTheDialectEvenOnTheData1Pass) {
    const struct {
        int configuredKind;
        int size;
    } cases[] = {{0, 0}, {1, 7}, {2, 0}};
    for (const auto& c : cases) {
        PatchWorld world(Kind::SqlServer);
        world.MakeStore();
        world.Runtime().Config().데이터_종류 = static_cast<std::uint8_t>(c.configuredKind);
        world.Context().PatchTarget = 1;
        world.Context().RunDbKind = 1;
        const Catalogue catalogue = {Step(6).Always().Run(
            "ALTER TABLE 사용상품 ADD 새열 NVARCHAR(7)", "ALTER TABLE 사용상품 ADD 새열 TEXT(9)")};
        EXPECT_TRUE(world.Run(catalogue));
        int size = 0;
        for (const auto& column : world.Columns("사용상품")) {
            if (column.name == "새열") size = column.size;
        }
        EXPECT_EQ(size, c.size) << c.configuredKind;
    }
}

TEST_P(RunCatalogueTest, ARoutineCanAnswerTheLineToList) {
    world_.MakeStore();
    const Catalogue catalogue = {Step(112).Always().LineFrom(
        [](patch::RunContext&) { return std::string("약가 갱신 0건"); })};
    EXPECT_TRUE(world_.Run(catalogue));
    EXPECT_EQ(world_.RunList(), std::vector<std::string>{"약가 갱신 0건"});
}

TEST_P(RunCatalogueTest, TheClosingRepairsRunAfterTheLastStep) {
    world_.MakeStore(patch_test::WorkForTheClosingRepairs());
    EXPECT_TRUE(world_.Run({Step(127).Always().Line("127")}));
    EXPECT_EQ(
        world_.RunList(),
        (std::vector<std::string>{"127", "상품 테이블에 조제약여부가 잘못 기재된 데이터 보정함."}));
    EXPECT_FALSE(world_.ClosingSkipped());
    // They are saved on their own, after the steps' work.
    EXPECT_FALSE(world_.Runtime().StoreConnection->InTransaction());
    const auto boxes = world_.Boxes();
    if (GetParam() == Kind::SqlServer) {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(
            boxes[0].text,
            "하로나을 시작하신 후 [재고관리]-[현재고현황] 화면에서 재고재계산을 하시기 바랍니다.");
        EXPECT_EQ(boxes[0].title, "재고재계산 요함");
        EXPECT_EQ(boxes[0].icon, host::MsgIcon::Information);
        EXPECT_TRUE(world_.Rules().empty());
    } else {
        // An MDB database refuses the joined update; the rules pass it over, no box.
        EXPECT_TRUE(boxes.empty());
        ASSERT_EQ(world_.Rules().size(), 1u);
        EXPECT_EQ(world_.Rules()[0].rule, 4);
        EXPECT_EQ(world_.Rules()[0].mark, 0);
        EXPECT_EQ(world_.Rules()[0].stepMark, 127);
    }
}

TEST_P(RunCatalogueTest, StatementsGoToTheConnectionInstalledAtTheTime) {
    world_.MakeStore();
    db::ConnectionRef store = world_.Runtime().StoreConnection;
    const Catalogue catalogue = {
        Step(1).Always().Call([](patch::RunContext& c) { c.runtime.StoreConnection.reset(); }),
        Step(2).WhenColumnMissing("사용상품", "없는열").Run(kMarkerInsert)};
    // Without an installed connection neither the check nor the statement can run: error 91 ends
    // the run. (A check on a missing table: the error rules' tests.)
    EXPECT_FALSE(world_.Run(catalogue));
    EXPECT_EQ(world_.Rules().back().number, 91);
    world_.Runtime().StoreConnection = store;
    EXPECT_EQ(world_.Markers(), 0);
}

}  // namespace
