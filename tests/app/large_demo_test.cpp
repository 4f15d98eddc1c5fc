// The sized demo store: the generated rows depend on the seed alone, a store of size 1 holds the
// scaled counts and the leftovers the repairs look for, and a whole patch run ends well on it in
// both kinds.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/frm_db_patch_main.h"
#include "app_world.h"
#include "demo/drug_reference.h"
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

TEST(LargeStoreRows, CountsScaleAndRowsDependOnTheSeedAlone) {
    const demo::LargeStoreCounts large = demo::CountsForSize(demo::kLargeSize);
    EXPECT_EQ(large.products, 100000);
    EXPECT_EQ(large.voucherLines, 500000);
    EXPECT_EQ(large.drugs, 30000);
    const demo::LargeStoreCounts tenth = demo::CountsForSize(10);
    EXPECT_EQ(tenth.packages, 6000);
    EXPECT_EQ(tenth.partners, 1000);
    EXPECT_EQ(tenth.pointRows, 5000);
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

    std::string One(db::Session& s, const std::string& sql) {
        const auto values = Column(s, sql);
        return values.empty() ? "" : values.front();
    }
    std::string Store(const std::string& sql) { return One(*OpenStore(), sql); }
};

INSTANTIATE_TEST_SUITE_P(BothKinds, LargeDemo,
                         ::testing::Values(demo::StoreKind::Mdb, demo::StoreKind::SqlServer),
                         [](const auto& info) {
                             return info.param == demo::StoreKind::Mdb ? "Mdb" : "SqlServer";
                         });

TEST_P(LargeDemo, HoldsTheScaledRowsWithTheirLeftovers) {
    const demo::LargeStoreCounts c = demo::CountsForSize(1);
    // The small store's rows stay: 7 products, 5 packages, 3 voucher lines, 5 partners, 5 points.
    EXPECT_EQ(Store("SELECT COUNT(*) FROM 사용상품"), std::to_string(c.products + 7));
    EXPECT_EQ(Store("SELECT COUNT(*) FROM 확장바코드"), std::to_string(c.packages + 5));
    EXPECT_EQ(Store("SELECT COUNT(*) FROM 입출상품"), std::to_string(c.voucherLines + 3));
    EXPECT_EQ(Store("SELECT COUNT(*) FROM 거래처마스터"), std::to_string(c.partners + 5));
    EXPECT_EQ(Store("SELECT COUNT(*) FROM 사은점수이력"), std::to_string(c.pointRows + 5));
    EXPECT_EQ(Store("SELECT COUNT(*) FROM 사용상품 WHERE 조제약여부 = 1"),
              std::to_string(c.drugs + 2));

    // Leftovers: package codes held twice, locations with commas, deleted suppliers still named,
    // classes in the short scheme.
    EXPECT_NE(Store("SELECT COUNT(*) FROM 확장바코드 A, 확장바코드 B WHERE A.바코드코드 = "
                    "B.바코드코드 AND A.제품코드 <> B.제품코드"),
              "0");
    EXPECT_NE(Store("SELECT COUNT(*) FROM 사용상품 WHERE 상품위치 LIKE '%,%' AND 제품코드 > "
                    "'P000000999'"),
              "0");
    EXPECT_NE(Store("SELECT COUNT(*) FROM 사용상품 P, 거래처마스터 G WHERE P.매입거래처 = "
                    "G.거래처코드 AND G.DEL_CHK = 1 AND P.제품코드 > 'P000000999'"),
              "0");
    EXPECT_NE(Store("SELECT COUNT(*) FROM 사용상품 WHERE 제품세부분류 = '2' AND 제품코드 > "
                    "'P000000999'"),
              "0");

    db::embedded::OpenOptions options;
    options.dialect = db::Dialect::SqlServer;
    auto reference = db::embedded::Open(
        demo::ServerStoreFile(host_, demo::ReferenceStore(demo::kDemoCentralServer,
                                                          demo::kDemoCentralFolder, "zelk")),
        options);
    EXPECT_NE(One(*reference, "SELECT COUNT(DISTINCT 코드) FROM DBF심평원약"), "0");
}

TEST_P(LargeDemo, PatchRunEndsWell) {
    ASSERT_EQ(Start().outcome, app::StartupOutcome::Ready);
    app::frmDBPatchMain& form = *P().MainForm();
    form.cmdStart_Click();
    EXPECT_TRUE(form.LastRun().Succeeded());
    EXPECT_EQ(P().MainWindow().List1.lines.back(), app::kRunEndLine);
}

}  // namespace
}  // namespace app_test
