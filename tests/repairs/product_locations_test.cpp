// What the location repairs store is in cases/product_locations.txt; here, the progress the user
// sees and the literals the statements carry.
#include "repairs/product_locations.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "db/statement_trace.h"
#include "repairs/store_world.h"
#include "repairs/table_rows.h"

namespace {

using store_test::Kind;

class ProductLocationsTest : public ::testing::TestWithParam<Kind> {};

// The progress window steps per record: the live products with locations, then the barcodes of
// live products. SQL Server reads a plain literal in its code page (949), which lacks characters a
// location may hold; the national column gets N'…', the code columns and Jet plain texts.
TEST_P(ProductLocationsTest, TheRebuildShowsEachRecordAndWritesNationalTextsOnTheServerKind) {
    store_test::StoreWorld world(GetParam());
    world.Make({
        "CREATE TABLE 사용상품 (제품코드 VARCHAR(10), 제품명 NVARCHAR(40), 상품위치 "
        "NVARCHAR(100), DEL_CHK SMALLINT)",
        "CREATE TABLE 확장바코드 (제품코드 VARCHAR(10), 바코드코드 VARCHAR(10), 바코드구분 "
        "NVARCHAR(20), 상품위치 NVARCHAR(100), DEL_CHK SMALLINT)",
        "CREATE TABLE PdtLocation (제품코드 VARCHAR(10), 바코드코드 VARCHAR(10), 상품위치 "
        "NVARCHAR(50), 줄번호 INT, 위치대표 SMALLINT NULL)",
        "INSERT INTO 사용상품 VALUES ('P', '감기약', 'Ⓐ1,Ḃ2', 0)",
        "INSERT INTO 사용상품 VALUES ('Q', '소화제', 'A1', 0)",
        "INSERT INTO 사용상품 VALUES ('X', '삭제', 'Z9', 1)",
        "INSERT INTO 확장바코드 VALUES ('P', 'B1', '박스', 'K1', 0)",
        "INSERT INTO 확장바코드 VALUES ('P', 'B2', '묶음', 'K3', 0)",
    });
    config::Runtime& rt = world.Runtime();
    std::vector<std::string> captions, inserts;
    world.Desktop().OnDoEvents([&] {
        if (util::frm02Msg* w = rt.Dialogs().LoadedProgressWindow()) {
            if (!w->PbSub.caption.empty()) captions.push_back(w->PbSub.caption);
        }
    });
    rt.Ado().router->Trace().Observe([&](const db::TracedStatement& s) {
        if (s.sql.find("INSERT INTO PdtLocation") != std::string_view::npos) {
            inserts.emplace_back(s.sql);
        }
    });
    repairs::RebuildProductLocations(rt);
    rt.Ado().router->Trace().Observe(nullptr);
    world.Desktop().OnDoEvents(nullptr);

    ASSERT_FALSE(captions.empty());
    EXPECT_EQ(captions.front(), "2 / 1건 [ 감기약 ]");
    EXPECT_NE(std::find(captions.begin(), captions.end(), "2 / 2건 [ 묶음 ]"), captions.end());

    const bool server = GetParam() == Kind::SqlServer;
    const std::string location = server ? "N'Ḃ2'" : "'Ḃ2'";
    const auto written = std::find_if(inserts.begin(), inserts.end(), [&](const std::string& s) {
        return s.find(location) != std::string::npos;
    });
    ASSERT_NE(written, inserts.end());
    EXPECT_NE(written->find("VALUES ('P', '', " + location), std::string::npos) << *written;
    for (const std::string& sql : inserts) EXPECT_EQ(sql.find("N'") != std::string::npos, server);
    const std::vector<std::string> stored =
        store_test::TableRows(*rt.StoreConnection, "SELECT 상품위치 FROM PdtLocation");
    EXPECT_NE(std::find(stored.begin(), stored.end(), "Ⓐ1"), stored.end());
}

INSTANTIATE_TEST_SUITE_P(BothKinds, ProductLocationsTest,
                         ::testing::Values(Kind::Mdb, Kind::SqlServer),
                         [](const auto& info) { return store_test::KindName(info.param); });

}  // namespace
