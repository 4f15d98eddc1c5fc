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
using Rows = std::vector<std::string>;

constexpr const char* kProducts =
    "CREATE TABLE 사용상품 (제품코드 VARCHAR(10), 제품명 NVARCHAR(40), 상품위치 NVARCHAR(100), "
    "DEL_CHK SMALLINT)";
constexpr const char* kBarcodes =
    "CREATE TABLE 확장바코드 (제품코드 VARCHAR(10), 바코드코드 VARCHAR(10), 바코드구분 "
    "NVARCHAR(20), 상품위치 NVARCHAR(100), DEL_CHK SMALLINT)";
// As the catalogue creates the table, and with the column its later step adds.
constexpr const char* kLocations =
    "CREATE TABLE PdtLocation ( 제품코드   VARCHAR(10), 바코드코드 VARCHAR(10), 상품위치   "
    "NVARCHAR(50), 줄번호     INT)";
constexpr const char* kLocationsWithFlag =
    "CREATE TABLE PdtLocation (제품코드 VARCHAR(10), 바코드코드 VARCHAR(10), 상품위치 "
    "NVARCHAR(50), 줄번호 INT, 위치대표 SMALLINT NULL)";

// Products and package barcodes covering the location rules. P: several locations with an empty
// piece; Q: a leading comma; R: a blank after the comma; S: a leading blank; T: an apostrophe;
// X: deleted; B1/B2 barcodes of P, B3 of the deleted X, B4 of a missing product, B5 deleted.
std::vector<std::string> SourceRows() {
    return {
        "INSERT INTO 사용상품 VALUES ('P', '감기약', 'A1,B2,,C3', 0)",
        "INSERT INTO 사용상품 VALUES ('Q', '소화제', ',A1', 0)",
        "INSERT INTO 사용상품 VALUES ('R', '파스', 'A1, B2', 0)",
        "INSERT INTO 사용상품 VALUES ('S', '밴드', ' A1,B2', 0)",
        "INSERT INTO 사용상품 VALUES ('T', '연고', 'O''Neil', 0)",
        "INSERT INTO 사용상품 VALUES ('U', '없음', '', 0)",
        "INSERT INTO 사용상품 VALUES ('V', '없음', NULL, 0)",
        "INSERT INTO 사용상품 VALUES ('X', '삭제', 'Z9', 1)",
        "INSERT INTO 확장바코드 VALUES ('P', 'B1', '박스', 'K1,K2', 0)",
        "INSERT INTO 확장바코드 VALUES ('P', 'B2', '묶음', ',K3', 0)",
        "INSERT INTO 확장바코드 VALUES ('X', 'B3', '박스', 'K4', 0)",
        "INSERT INTO 확장바코드 VALUES ('M', 'B4', '박스', 'K5', 0)",
        "INSERT INTO 확장바코드 VALUES ('P', 'B5', '박스', 'K6', 1)",
    };
}

class ProductLocationsTest : public ::testing::TestWithParam<Kind> {
  protected:
    ProductLocationsTest() : world_(GetParam()) {}

    // The tables, then the source rows of the tables among them.
    void MakeStore(std::vector<std::string> tables) {
        const bool withBarcodes =
            std::find(tables.begin(), tables.end(), kBarcodes) != tables.end();
        for (const std::string& row : SourceRows()) {
            if (withBarcodes || row.find("확장바코드") == std::string::npos) tables.push_back(row);
        }
        world_.Make(tables);
    }
    Rows Locations(const std::string& columns) {
        return store_test::TableRows(
            *world_.Runtime().StoreConnection,
            "SELECT " + columns + " FROM PdtLocation ORDER BY 제품코드, 바코드코드, 상품위치");
    }
    util::Dialogs& Dialogs() { return world_.Runtime().Dialogs(); }

    store_test::StoreWorld world_;
};

// --- RebuildProductLocations ---------------------------------------------------------------------

// Every location of live records, the first piece representative, the table emptied first.
const Rows kRebuilt = {
    "P||A1|0|1", "P||B2|0|0",  "P||C3|0|0", "P|B1|K1|0|1", "P|B1|K2|0|0", "P|B2|K3|0|0",
    "Q||A1|0|0", "R|| B2|0|0", "R||A1|0|1", "S|| A1|0|1",  "S||B2|0|0",   "T||O'Neil|0|1",
};

TEST_P(ProductLocationsTest, RebuildStoresEveryLocationAndMarksTheFirst) {
    MakeStore({kProducts, kBarcodes, kLocationsWithFlag,
               "INSERT INTO PdtLocation VALUES ('OLD', '', 'Z1', 0, 1)"});
    std::vector<std::string> captions;
    world_.Desktop().OnDoEvents([&] {
        if (util::frm02Msg* w = Dialogs().LoadedProgressWindow()) {
            if (!w->PbSub.caption.empty()) captions.push_back(w->PbSub.caption);
        }
    });
    repairs::RebuildProductLocations(world_.Runtime());
    world_.Desktop().OnDoEvents(nullptr);
    // The progress window steps per record: five live products with locations, then the two
    // barcodes of live products.
    ASSERT_FALSE(captions.empty());
    EXPECT_EQ(captions.front(), "5 / 1건 [ 감기약 ]");
    EXPECT_NE(std::find(captions.begin(), captions.end(), "2 / 2건 [ 묶음 ]"), captions.end());
    EXPECT_TRUE(world_.Boxes().empty());
    EXPECT_EQ(Locations("제품코드, 바코드코드, 상품위치, 줄번호, 위치대표"), kRebuilt);
    // Both windows are gone.
    EXPECT_EQ(Dialogs().LoadedProgressWindow(), nullptr);
    EXPECT_EQ(Dialogs().LoadedMessageWindow(), nullptr);

    // A second run leaves the same rows.
    repairs::RebuildProductLocations(world_.Runtime());
    EXPECT_EQ(Locations("제품코드, 바코드코드, 상품위치, 줄번호, 위치대표"), kRebuilt);
}

TEST_P(ProductLocationsTest, RebuildReportsAQueryThatCannotRun) {
    MakeStore({kProducts, kLocationsWithFlag});  // no 확장바코드
    repairs::RebuildProductLocations(world_.Runtime());
    const auto boxes = world_.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "");
    EXPECT_EQ(boxes[0].icon, host::MsgIcon::None);
    // The closed record set answers the first read with 3704.
    EXPECT_NE(boxes[0].text.find("에러코드 : 3704\r\n"), std::string::npos) << boxes[0].text;
    EXPECT_EQ(Dialogs().LoadedProgressWindow(), nullptr);
    EXPECT_EQ(Dialogs().LoadedMessageWindow(), nullptr);
    // The products' locations written before the error stay.
    EXPECT_EQ(Locations("COUNT(*)").front(), "9");
}

TEST_P(ProductLocationsTest, RebuildSkipsInsertsThatFailAndGoesOn) {
    // Without the representative column every INSERT fails; each is dropped without notice.
    MakeStore({kProducts, kBarcodes, kLocations});
    repairs::RebuildProductLocations(world_.Runtime());
    EXPECT_TRUE(world_.Boxes().empty());
    EXPECT_EQ(Locations("COUNT(*)").front(), "0");
}

// --- BuildProductLocations -----------------------------------------------------------------------

TEST_P(ProductLocationsTest, BuildStoresTheFirstLocationOfLiveRecords) {
    MakeStore({kProducts, kBarcodes, kLocations});
    repairs::BuildProductLocations(world_.Runtime());
    EXPECT_TRUE(world_.Boxes().empty());
    EXPECT_EQ(Locations("제품코드, 바코드코드, 상품위치, 줄번호"),
              (Rows{"P|NULL|A1|NULL", "P|B1|K1|NULL", "R|NULL|A1|NULL", "S|NULL| A1|NULL",
                    "T|NULL|O'Neil|NULL"}));
    // The bar counted the barcode pass last: two barcodes of live products.
    EXPECT_EQ(world_.Runtime().MainWindow().PB2.value, 2);
    EXPECT_EQ(world_.Runtime().MainWindow().PB2.max, 2);
}

TEST_P(ProductLocationsTest, BuildEndsSilentlyOnAnError) {
    MakeStore({kProducts, kLocations});  // no 확장바코드
    const auto yields = [&] {
        return world_.Desktop().CallsOf(host::ScriptedDesktop::CallKind::DoEvents).size();
    };
    const std::size_t before = yields();
    repairs::BuildProductLocations(world_.Runtime());
    EXPECT_TRUE(world_.Boxes().empty());
    EXPECT_EQ(yields(), before + 1);
    EXPECT_EQ(Locations("COUNT(*)").front(), "4");
}

// SQL Server reads a plain literal in its code page (949), which lacks characters a location may
// hold; the national column gets N'…', the code columns and Jet plain texts.
TEST_P(ProductLocationsTest, LocationsAreWrittenAsNationalTextsOnTheServerKind) {
    MakeStore({kProducts, kBarcodes, kLocationsWithFlag});
    world_.Runtime().StoreConnection->Execute(
        "UPDATE 사용상품 SET 상품위치 = 'Ⓐ1,Ḃ2' WHERE 제품코드 = 'P'");
    std::vector<std::string> inserts;
    world_.Runtime().Ado().router->Trace().Observe([&](const db::TracedStatement& s) {
        if (s.sql.find("INSERT INTO PdtLocation") != std::string_view::npos) {
            inserts.emplace_back(s.sql);
        }
    });
    repairs::RebuildProductLocations(world_.Runtime());
    world_.Runtime().Ado().router->Trace().Observe(nullptr);
    const bool server = GetParam() == Kind::SqlServer;
    const std::string location = server ? "N'Ḃ2'" : "'Ḃ2'";
    const auto written = std::find_if(inserts.begin(), inserts.end(), [&](const std::string& s) {
        return s.find(location) != std::string::npos;
    });
    ASSERT_NE(written, inserts.end());
    EXPECT_NE(written->find("VALUES ('P', '', " + location), std::string::npos) << *written;
    for (const std::string& sql : inserts) EXPECT_EQ(sql.find("N'") != std::string::npos, server);
    const Rows stored = Locations("상품위치");
    EXPECT_NE(std::find(stored.begin(), stored.end(), "Ⓐ1"), stored.end());
}

INSTANTIATE_TEST_SUITE_P(BothKinds, ProductLocationsTest,
                         ::testing::Values(Kind::Mdb, Kind::SqlServer),
                         [](const auto& info) { return store_test::KindName(info.param); });

}  // namespace
