// The sized demo store: the generated rows depend on the seed alone, a store of size 1 holds the
// scaled counts and the leftovers the repairs look for, and a whole patch run ends well on it in
// both kinds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/frm_db_patch_main.h"
#include "app_world.h"
#include "demo/large_store.h"

namespace app_test {
namespace {

std::vector<std::string> StoreRows(const demo::LargeStoreCounts& counts, std::uint32_t seed) {
    std::vector<std::string> rows;
    demo::GenerateLargeStoreRows(counts, seed,
                                 [&](std::string_view sql) { rows.emplace_back(sql); });
    demo::GenerateLargeReferenceRows(counts, seed,
                                     [&](std::string_view sql) { rows.emplace_back(sql); });
    return rows;
}

TEST(LargeStoreRows, DependOnTheSeedAlone) {
    EXPECT_THROW(demo::CountsForSize(0), std::invalid_argument);
    EXPECT_THROW(demo::CountsForSize(1001), std::invalid_argument);
    const demo::LargeStoreCounts small = demo::CountsForSize(1);
    const auto first = StoreRows(small, 7);
    EXPECT_EQ(first, StoreRows(small, 7));
    EXPECT_NE(first, StoreRows(small, 8));
}

class LargeDemo : public AppWorld, public ::testing::WithParamInterface<demo::StoreKind> {
  protected:
    LargeDemo() : AppWorld(GetParam()) {
        demo::DemoScale scale;
        scale.size = 1;
        demo::BuildDemo(host_, GetParam(), scale);
        NewProcess();
    }

    // The first value of a query on the store.
    std::string Store(const std::string& sql) { return Column(*OpenStore(), sql).at(0); }
};

INSTANTIATE_TEST_SUITE_P(BothKinds, LargeDemo,
                         ::testing::Values(demo::StoreKind::Mdb, demo::StoreKind::SqlServer),
                         KindName);

// The scaled rows come on top of the small store's, with the leftovers the repairs look for:
// package codes held twice, locations with commas, deleted suppliers still named, classes in the
// short scheme. A whole run ends well on them.
TEST_P(LargeDemo, HoldsTheScaledRowsWithTheirLeftoversAndAPatchRunEndsWell) {
    const demo::LargeStoreCounts c = demo::CountsForSize(1);
    EXPECT_EQ(Store("SELECT COUNT(*) FROM 사용상품"), std::to_string(c.products + 7));
    EXPECT_EQ(Store("SELECT COUNT(*) FROM 입출상품"), std::to_string(c.voucherLines + 3));
    for (const char* leftover :
         {"SELECT COUNT(*) FROM 확장바코드 A, 확장바코드 B WHERE A.바코드코드 = B.바코드코드 "
          "AND A.제품코드 <> B.제품코드",
          "SELECT COUNT(*) FROM 사용상품 WHERE 상품위치 LIKE '%,%' AND 제품코드 > 'P000000999'",
          "SELECT COUNT(*) FROM 사용상품 P, 거래처마스터 G WHERE P.매입거래처 = G.거래처코드 AND "
          "G.DEL_CHK = 1 AND P.제품코드 > 'P000000999'",
          "SELECT COUNT(*) FROM 사용상품 WHERE 제품세부분류 = '2' AND 제품코드 > 'P000000999'"}) {
        EXPECT_NE(Store(leftover), "0") << leftover;
    }

    ASSERT_EQ(Start().outcome, app::StartupOutcome::Ready);
    app::frmDBPatchMain& form = *P().MainForm();
    form.cmdStart_Click();
    EXPECT_TRUE(form.LastRun().Succeeded());
    EXPECT_EQ(P().MainWindow().List1.lines.back(), app::kRunEndLine);
}

}  // namespace
}  // namespace app_test
