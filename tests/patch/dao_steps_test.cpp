#include "patch/dao_steps.h"

#include <gtest/gtest.h>

#include "patch/patch_world.h"

namespace {

using patch::Branch;
using patch::Catalogue;
using patch::Step;
using patch_test::Kind;
using patch_test::PatchWorld;

class DaoStepsTest : public ::testing::TestWithParam<Kind> {
  protected:
    DaoStepsTest() : world_(GetParam()) {
        world_.MakeStore();
        world_.Context().DaoDatabase = world_.OpenDao();
    }
    PatchWorld world_;
};

INSTANTIATE_TEST_SUITE_P(BothKinds, DaoStepsTest, ::testing::Values(Kind::Mdb, Kind::SqlServer),
                         [](const auto& info) { return store_test::KindName(info.param); });

TEST_P(DaoStepsTest, TheSizeProbeActsOnTheExactSizeAndKeepsTheTableDefinition) {
    for (const auto& [size, acts] : {std::pair{40, true}, std::pair{32, false}}) {
        world_.ResetObservations();
        const Catalogue catalogue = {
            Step(21).WhenColumnSize("사용상품", "심평원규격", size).Line("21")};
        EXPECT_TRUE(world_.Run(catalogue));
        EXPECT_EQ(world_.RunList().size(), acts ? 1u : 0u) << size;
        ASSERT_TRUE(world_.Context().DaoTableDef);
        EXPECT_EQ(world_.Context().DaoTableDef->Name(), "사용상품");
    }
    EXPECT_EQ(patch::DaoColumnSize(world_.Context(), "사용상품", "제품코드"), 10);
}

TEST_P(DaoStepsTest, WithoutADaoHandleTheProbeEndsTheRun) {
    world_.Context().DaoDatabase.reset();
    EXPECT_FALSE(world_.Run({Step(53).WhenColumnSize("사용상품", "심평원규격", 40).Line("53")}));
    EXPECT_EQ(world_.RuleNumbers(), std::vector<int>{10});
    EXPECT_EQ(world_.Rules()[0].number, 91);
}

// The row that adds the extension columns to the temporary voucher lines: through DAO on an
// MDB database, with statements otherwise.
Step TempVoucherFields() {
    return Step(9)
        .WhenColumnMissing("임시입출상품", "확장코드")
        .Line("임시입출상품 테이블에 확장코드 외 다수 필드 추가")
        .Nested(Branch().WhenRunDbKindMdb().Call(patch::AddTempVoucherFieldsByDao))
        .Nested(Branch()
                    .WhenRunDbKindNotMdb()
                    .Run("ALTER TABLE 임시입출상품 ADD 확장코드 NVARCHAR(10) NULL")
                    .Run("ALTER TABLE 임시입출상품 ADD 확장수량 FLOAT")
                    .Run("ALTER TABLE 임시입출상품 ADD 확장포장수량 FLOAT")
                    .Run("ALTER TABLE 임시입출상품 ADD 확장단가 FLOAT")
                    .Run("ALTER TABLE 임시입출상품 ADD 확장공급가 FLOAT"));
}

TEST_P(DaoStepsTest, TheExtensionColumnsAreAddedByTheKindOfThePass) {
    EXPECT_TRUE(world_.Run({TempVoucherFields()}));
    EXPECT_TRUE(world_.Rules().empty());
    std::vector<std::pair<std::string, int>> columns;
    for (const auto& c : world_.Columns("임시입출상품")) columns.emplace_back(c.name, c.size);
    ASSERT_EQ(columns.size(), 6u);
    EXPECT_EQ(columns[1], (std::pair<std::string, int>{"확장코드", 10}));
    EXPECT_EQ(columns[5].first, "확장공급가");
    const bool throughDao = GetParam() == Kind::Mdb;
    EXPECT_EQ(static_cast<bool>(world_.Context().DaoTableDef), throughDao);
    if (throughDao) {
        EXPECT_TRUE(world_.Context().DaoTableDef->Fields("확장코드").AllowZeroLength);
        EXPECT_EQ(world_.Context().DaoTableDef->Fields("확장단가").Type, db::DaoType::kDouble);
    }
    // A second run finds the columns.
    world_.ResetObservations();
    EXPECT_TRUE(world_.Run({TempVoucherFields()}));
    EXPECT_TRUE(world_.RunList().empty());
}

}  // namespace
