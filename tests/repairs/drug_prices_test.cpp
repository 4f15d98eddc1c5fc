#include "repairs/drug_prices.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "repairs/central_world.h"
#include "repairs/clock_text.h"
#include "repairs/table_rows.h"

namespace {

using central_test::ReferenceRow;
using store_test::Kind;
using Rows = std::vector<std::string>;

constexpr const char* kProducts =
    "CREATE TABLE 사용상품 (제품코드 VARCHAR(10), 제품명 NVARCHAR(60), 바코드 VARCHAR(20), "
    "연합회코드 VARCHAR(10), 표준코드 VARCHAR(13), 가격분류 VARCHAR(4), 입고단가 MONEY, 소매단가 "
    "MONEY, 심평원규격 NVARCHAR(20), 제조사 NVARCHAR(40), 급여구분 NVARCHAR(10), 복용구분 "
    "SMALLINT, 조제약여부 SMALLINT, Del_Chk SMALLINT, UP_DATE DATETIME, CHK_MEMO NVARCHAR(100))";
constexpr const char* kPackages =
    "CREATE TABLE 확장바코드 (제품코드 VARCHAR(10), 바코드코드 VARCHAR(10), 포장수량 FLOAT, "
    "최근입고단가 MONEY, 판매단가 MONEY, DEL_CHK SMALLINT, CHK_MEMO NVARCHAR(100))";

// A product row: code, name, 연합회코드, 표준코드, 가격분류 (SQL texts: quoted or NULL),
// purchase and retail price, 조제약여부, Del_Chk.
std::string Product(const std::string& code, const std::string& unionCode,
                    const std::string& standard, const std::string& priceClass,
                    const std::string& flags = "1, 0") {
    return "INSERT INTO 사용상품 (제품코드, 제품명, 연합회코드, 표준코드, 가격분류, 입고단가, "
           "소매단가, 복용구분, 조제약여부, Del_Chk) VALUES ('" +
           code + "', '옛" + code + "', " + unionCode + ", " + standard + ", " + priceClass +
           ", 100, 150, 9, " + flags + ")";
}

std::string Package(const std::string& product, const std::string& barcode, int units, int purchase,
                    int sale, int deleted = 0) {
    return "INSERT INTO 확장바코드 (제품코드, 바코드코드, 포장수량, 최근입고단가, 판매단가, "
           "DEL_CHK) VALUES ('" +
           product + "', '" + barcode + "', " + std::to_string(units) + ", " +
           std::to_string(purchase) + ", " + std::to_string(sale) + ", " + std::to_string(deleted) +
           ")";
}

// The store: D1…D8 are live prescription drugs; X1 is deleted, X2 no prescription drug, X3 has
// no code. D1's packages: K1 at cost, K2 marked up, K3 deleted; D3 and D4 have one each.
std::vector<std::string> Store() {
    return {
        kProducts,
        kPackages,
        Product("D1", "'A001'", "NULL", "'0002'"),
        Product("D2", "NULL", "'S002'", "'0005'"),
        Product("D3", "'A003'", "''", "''"),
        Product("D4", "'A004'", "NULL", "NULL"),
        Product("D5", "'A005'", "NULL", "'0001'"),
        Product("D6", "'A006'", "NULL", "'0001'"),
        Product("D7", "'A007'", "NULL", "'0003'"),
        Product("D8", "'B''08'", "NULL", "'0002'"),
        Product("X1", "'A001'", "NULL", "'0002'", "1, 1"),
        Product("X2", "'A001'", "NULL", "'0002'", "0, 0"),
        Product("X3", "''", "NULL", "'0002'"),
        Package("D1", "K1", 10, 1000, 1000),
        Package("D1", "K2", 10, 1000, 1300),
        Package("D1", "K3", 10, 1000, 1000, 1),
        Package("D3", "K4", 5, 500, 500),
        Package("D4", "K5", 5, 500, 500),
    };
}

// The reference rows of the store's codes (valid today unless said otherwise).
std::vector<std::string> Reference() {
    return {
        ReferenceRow("A001", "8800001", "타이레놀정500mg(내복)", "타이레놀정", "1정", "한국얀센",
                     "120", "일반"),
        ReferenceRow("A002", "S002", "케토톱플라스타(외용)", "케토톱", "1매", "한독", "300",
                     "전문"),
        ReferenceRow("A003", "8800003", "페니실린(주사)", "페니실린", "1병", "종근당", "0", "기타"),
        ReferenceRow("A004", "8800004", "아스피린정", "아스피린", "1정", "바이엘", "NULL", "전문"),
        ReferenceRow("A005", "8800005", "빈규격(내복)", "빈규격", "", "동아", "50", "일반"),
        ReferenceRow("A006", "8800006", "지난약(내복)", "지난약", "1정", "동아", "70", "일반",
                     "20000101", "20010101"),
        ReferenceRow("A006", "8800006", "다음약(내복)", "다음약", "1정", "동아", "80", "일반",
                     "29990101", "99991231"),
        ReferenceRow("A007", "8800007", "정", "정", "1정", "유한", "0", "일반"),
        ReferenceRow("B'08", "8800008", "오메가(내복)", "오'메가", "1캡슐", "한'국", "0", "일반"),
    };
}

class DrugPricesTest : public ::testing::TestWithParam<Kind> {
  protected:
    DrugPricesTest() : world_(GetParam()) {}

    config::Runtime& Rt() { return world_.Runtime(); }
    Rows Query(const std::string& sql) { return store_test::TableRows(*Rt().StoreConnection, sql); }
    Rows Products() {
        return Query(
            "SELECT 제품코드, 제품명, 연합회코드, 표준코드, 가격분류, 입고단가, 소매단가, "
            "심평원규격, 제조사, 급여구분, 복용구분 FROM 사용상품 ORDER BY 제품코드");
    }
    std::string Memo() { return "약가갱신 - " + repairs::NowText(Rt()).substr(0, 10); }

    central_test::CentralWorld world_;
};

// Untouched rows: the names, codes, classes and prices they were made with.
const Rows kUnchangedTail = {
    "X1|옛X1|A001|NULL|0002|100|150|NULL|NULL|NULL|9",
    "X2|옛X2|A001|NULL|0002|100|150|NULL|NULL|NULL|9",
    "X3|옛X3||NULL|0002|100|150|NULL|NULL|NULL|9",
};

TEST_P(DrugPricesTest, RewritesEachDrugFromItsReferenceRowValidToday) {
    world_.AddReference(Reference());
    world_.Make(Store());
    EXPECT_EQ(repairs::RefreshDrugPrices(Rt()), "총 8건의 조제약 중 6건 갱신완료.");
    EXPECT_TRUE(world_.Boxes().empty());

    Rows expected = {
        // 내복 before a closing bracket: 0; the insurance class takes the reference's class.
        "D1|타이레놀정|A001|8800001|0001|120|120|1정|한국얀센|급여|0",
        // Found by 표준코드; 외용: 1; the store's own class 0005 stays.
        "D2|케토톱|A002|S002|0005|300|300|1매|한독|급여|1",
        // 주사: 2; an unknown 약품구분 gives an empty class; 상한가 0 keeps the prices.
        "D3|페니실린|A003|8800003||100|150|1병|종근당|급여|2",
        // Any other name: 3; 상한가 NULL keeps the prices.
        "D4|아스피린|A004|8800004|0002|100|150|1정|바이엘|급여|3",
        // Empty 규격단위, and no row valid today: nothing changes.
        "D5|옛D5|A005|NULL|0001|100|150|NULL|NULL|NULL|9",
        "D6|옛D6|A006|NULL|0001|100|150|NULL|NULL|NULL|9",
        // A name of one character: 3.
        "D7|정|A007|8800007|0003|100|150|1정|유한|급여|3",
        // Apostrophes in the codes and names go through intact.
        "D8|오'메가|B'08|8800008|0001|100|150|1캡슐|한'국|급여|0",
    };
    expected.insert(expected.end(), kUnchangedTail.begin(), kUnchangedTail.end());
    EXPECT_EQ(Products(), expected);
    EXPECT_EQ(Query("SELECT 제품코드, CHK_MEMO FROM 사용상품 WHERE CHK_MEMO IS NOT NULL ORDER BY "
                    "제품코드"),
              (Rows{"D1|" + Memo(), "D2|" + Memo(), "D3|" + Memo(), "D4|" + Memo(), "D7|" + Memo(),
                    "D8|" + Memo()}));
    EXPECT_EQ(Query("SELECT COUNT(*) FROM 사용상품 WHERE UP_DATE IS NOT NULL").front(), "6");

    // K1 at cost follows the ceiling price in both prices, the marked-up K2 only in its
    // purchase price; the deleted K3 and the packages of D3 and D4 keep theirs.
    EXPECT_EQ(Query("SELECT 바코드코드, 최근입고단가, 판매단가, CHK_MEMO FROM 확장바코드 ORDER BY "
                    "바코드코드"),
              (Rows{"K1|1200|1200|" + Memo(), "K2|1200|1300|" + Memo(), "K3|1000|1000|NULL",
                    "K4|500|500|NULL", "K5|500|500|NULL"}));
    EXPECT_EQ(Rt().Dialogs().LoadedProgressWindow(), nullptr);
    EXPECT_EQ(Rt().Dialogs().LoadedMessageWindow(), nullptr);
}

// Reference texts longer than the product's columns: the names are cut to fit, a code that
// does not fit is not written (a cut code names another drug), and the rest of the row, prices
// included, is still written.
TEST_P(DrugPricesTest, ReferenceTextsLongerThanTheColumnsStillRefreshTheDrug) {
    const auto repeat = [](const std::string& piece, int times) {
        std::string text;
        for (int i = 0; i < times; ++i) text += piece;
        return text;
    };
    world_.AddReference(
        {ReferenceRow("A001", "8800001234", "긴이름정(내복)", repeat("가나다라마바사아자차", 7),
                      "1정", repeat("한국제약", 12), "120", "일반")});
    std::string narrowCodes = kProducts;
    const std::string wide = "표준코드 VARCHAR(13)";
    narrowCodes.replace(narrowCodes.find(wide), wide.size(), "표준코드 VARCHAR(8)");
    world_.Make({narrowCodes, kPackages, Product("D1", "'A001'", "'OLD'", "'0002'")});
    EXPECT_EQ(repairs::RefreshDrugPrices(Rt()), "총 1건의 조제약 중 1건 갱신완료.");
    EXPECT_EQ(Query("SELECT 제품명, 표준코드, 입고단가, 제조사 FROM 사용상품"),
              Rows{repeat("가나다라마바사아자차", 6) + "|OLD|120|" + repeat("한국제약", 10)});
}

TEST_P(DrugPricesTest, StopsAfterTheCurrentDrugWhenTheUserCancels) {
    world_.AddReference(Reference());
    world_.Make(Store());
    std::vector<std::string> captions;
    world_.Desktop().OnDoEvents([&] {
        util::frm02Msg* w = Rt().Dialogs().LoadedProgressWindow();
        if (w == nullptr || w->PbSub.caption.empty()) return;
        captions.push_back(w->PbSub.caption);
        Rt().Dialogs().StopRequested = true;
    });
    EXPECT_EQ(repairs::RefreshDrugPrices(Rt()), "총 1건의 조제약 중 1건 갱신완료.");
    ASSERT_EQ(captions.size(), 1u);
    EXPECT_EQ(captions.front().rfind("8 / 1건 [ 옛D", 0), 0u) << captions.front();
    EXPECT_EQ(Query("SELECT COUNT(*) FROM 사용상품 WHERE CHK_MEMO IS NOT NULL").front(), "1");
    EXPECT_EQ(Rt().Dialogs().LoadedProgressWindow(), nullptr);
}

// --- ActionSimStandardCodeCreate -----------------------------------------------------------------

// Products by old code: Q1 and Q2 are in the file, Q3 is not, Q4's code maps to nothing, Q5 has
// no old code. `standard` is the SQL text of each product's 표준코드 when the column exists.
std::vector<std::string> CodedProducts(bool withColumn) {
    const std::string columns =
        withColumn ? "(제품코드, 연합회코드, 표준코드)" : "(제품코드, 연합회코드)";
    const auto row = [&](const std::string& code, const std::string& old) {
        return "INSERT INTO 사용상품 " + columns + " VALUES ('" + code + "', " + old +
               (withColumn ? ", 'OLD'" : "") + ")";
    };
    return {
        withColumn ? "CREATE TABLE 사용상품 (제품코드 VARCHAR(10), 연합회코드 VARCHAR(10), "
                     "표준코드 VARCHAR(10))"
                   : "CREATE TABLE 사용상품 (제품코드 VARCHAR(10), 연합회코드 VARCHAR(10))",
        row("Q1", "'A001'"),
        row("Q2", "'A''02'"),
        row("Q3", "'A003'"),
        row("Q4", "'A004'"),
        row("Q5", "''"),
    };
}

const std::vector<std::string> kStandardCodes = {
    "INSERT INTO 표준코드 VALUES ('A001', '8800001')",
    "INSERT INTO 표준코드 VALUES ('A''02', '8800002')",
    "INSERT INTO 표준코드 VALUES ('A004', NULL)",
};

// Without the column it is added and filled; an existing column is refreshed where the file
// has a code, the others keep theirs.
TEST_P(DrugPricesTest, StandardCodesFillTheColumnFromTheFile) {
    for (bool withColumn : {false, true}) {
        central_test::CentralWorld world(GetParam());
        central_test::CreateStandardCodeFile(world.HostRef(), kStandardCodes);
        world.Make(CodedProducts(withColumn));
        repairs::ActionSimStandardCodeCreate(world.Runtime(), withColumn);
        EXPECT_TRUE(world.Boxes().empty());
        const std::string other = withColumn ? "OLD" : "NULL";
        EXPECT_EQ(
            store_test::TableRows(*world.Runtime().StoreConnection,
                                  "SELECT 제품코드, 표준코드 FROM 사용상품 ORDER BY 제품코드"),
            (Rows{"Q1|8800001", "Q2|8800002", "Q3|" + other, "Q4|" + other, "Q5|" + other}));
        // Four products with an old code counted in the bar.
        EXPECT_EQ(world.Runtime().MainWindow().PB2.value, 4);
    }
}

// What stops each routine before it changes anything, and the box it shows.
TEST_P(DrugPricesTest, AMissingSourceShowsItsBoxAndChangesNothing) {
    struct Case {
        const char* what;
        std::function<void(central_test::CentralWorld&)> make;
        int routine;  // 0 RefreshDrugPrices, else ActionSimStandardCodeCreate (2: with the column)
        const char* text;  // or a piece of it when the title is empty
        const char* title;
        const char* unchanged;  // a query whose answer is "0", if any
    };
    const Case cases[] = {
        {"no prescription drug",
         [](auto& w) {
             w.AddReference(Reference());
             w.Make({kProducts, kPackages, Product("X2", "'A001'", "NULL", "'0002'", "0, 0")});
         },
         0, "사용상품 데이터에 조제약이 존재하지 않습니다.", "조제약 부재",
         "SELECT COUNT(*) FROM 사용상품 WHERE 제품명 <> '옛X2'"},
        // The reference query cannot run; reading its closed record set ends the routine.
        {"central server unknown",
         [](auto& w) {
             w.LoseCentralServer();
             w.Make(Store());
         },
         0, "에러코드 : 3704\r\n", "", "SELECT COUNT(*) FROM 사용상품 WHERE CHK_MEMO IS NOT NULL"},
        {"no standard code file", [](auto& w) { w.Make(CodedProducts(false)); }, 1,
         "표준코드 파일 정보가 존재하지 않습니다! ", "파일부재", nullptr},
        {"standard code file without its table",
         [](auto& w) {
             central_test::CreateStandardCodeFile(w.HostRef(), {}, false);
             w.Make(CodedProducts(true));
         },
         2, "frmDBPatchMain:ActionSimStandardCodeCreate", "",
         "SELECT COUNT(*) FROM 사용상품 WHERE 표준코드 <> 'OLD'"},
    };
    for (const Case& c : cases) {
        central_test::CentralWorld world(GetParam());
        c.make(world);
        if (c.routine == 0) {
            EXPECT_EQ(repairs::RefreshDrugPrices(world.Runtime()), "") << c.what;
        } else {
            repairs::ActionSimStandardCodeCreate(world.Runtime(), c.routine == 2);
            // The column is not added without the file.
            EXPECT_EQ(world.Columns("사용상품").size(), c.routine == 2 ? 3u : 2u) << c.what;
        }
        const auto boxes = world.Boxes();
        ASSERT_EQ(boxes.size(), 1u) << c.what;
        EXPECT_NE(boxes[0].text.find(c.text), std::string::npos) << boxes[0].text;
        EXPECT_EQ(boxes[0].title, c.title) << c.what;
        EXPECT_EQ(boxes[0].icon, *c.title ? host::MsgIcon::Information : host::MsgIcon::None);
        EXPECT_EQ(world.Runtime().Dialogs().LoadedProgressWindow(), nullptr) << c.what;
        if (c.unchanged != nullptr) {
            EXPECT_EQ(world.Scalar(c.unchanged), "0") << c.what;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BothKinds, DrugPricesTest, ::testing::Values(Kind::Mdb, Kind::SqlServer),
                         [](const auto& info) { return store_test::KindName(info.param); });

}  // namespace
