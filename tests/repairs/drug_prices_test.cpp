// What the drug price refresh does to the tables is in cases/drug_prices.txt; here, what the user
// sees while it works.
#include "repairs/drug_prices.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "repairs/central_world.h"

namespace {

using store_test::Kind;

class DrugPricesTest : public ::testing::TestWithParam<Kind> {};

// The progress window names each drug; a click on its cancel button stops after the current one.
TEST_P(DrugPricesTest, StopsAfterTheCurrentDrugWhenTheUserCancels) {
    central_test::CentralWorld world(GetParam());
    world.AddReference({demo::ReferenceRow("A001", "8800001", "타이레놀정500mg(내복)", "타이레놀정",
                                           "1정", "한국얀센", "120", "일반")});
    std::vector<std::string> sql = {
        "CREATE TABLE 사용상품 (제품코드 VARCHAR(10), 제품명 NVARCHAR(60), 바코드 VARCHAR(20), "
        "연합회코드 VARCHAR(10), 표준코드 VARCHAR(13), 가격분류 VARCHAR(4), 입고단가 MONEY, "
        "소매단가 MONEY, 심평원규격 "
        "NVARCHAR(20), 제조사 NVARCHAR(40), 급여구분 NVARCHAR(10), 복용구분 SMALLINT, 조제약여부 "
        "SMALLINT, Del_Chk SMALLINT, UP_DATE DATETIME, CHK_MEMO NVARCHAR(100))",
        "CREATE TABLE 확장바코드 (제품코드 VARCHAR(10), 바코드코드 VARCHAR(10), 포장수량 FLOAT, "
        "최근입고단가 MONEY, 판매단가 MONEY, DEL_CHK SMALLINT, CHK_MEMO NVARCHAR(100))",
    };
    for (const char* code : {"D1", "D2", "D3"}) {
        sql.push_back(std::string("INSERT INTO 사용상품 (제품코드, 제품명, 연합회코드, 조제약여부, "
                                  "Del_Chk) VALUES ('") +
                      code + "', '옛" + code + "', 'A001', 1, 0)");
    }
    world.Make(sql);
    config::Runtime& rt = world.Runtime();
    std::vector<std::string> captions;
    world.Desktop().OnDoEvents([&] {
        util::frm02Msg* w = rt.Dialogs().LoadedProgressWindow();
        if (w == nullptr || w->PbSub.caption.empty()) return;
        captions.push_back(w->PbSub.caption);
        rt.Dialogs().StopRequested = true;
    });
    EXPECT_EQ(repairs::RefreshDrugPrices(rt), "총 1건의 조제약 중 1건 갱신완료.");
    ASSERT_EQ(captions.size(), 1u);
    EXPECT_EQ(captions.front().rfind("3 / 1건 [ 옛D", 0), 0u) << captions.front();
    EXPECT_EQ(world.Scalar("SELECT COUNT(*) FROM 사용상품 WHERE CHK_MEMO IS NOT NULL"), "1");
    EXPECT_EQ(rt.Dialogs().LoadedProgressWindow(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(BothKinds, DrugPricesTest, ::testing::Values(Kind::Mdb, Kind::SqlServer),
                         [](const auto& info) { return store_test::KindName(info.param); });

}  // namespace
