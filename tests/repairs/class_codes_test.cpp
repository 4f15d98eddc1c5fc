#include "repairs/class_codes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "repairs/clock_text.h"
#include "repairs/store_world.h"
#include "repairs/table_rows.h"
#include "repairs/vendor.h"

namespace {

using store_test::Kind;
using Rows = std::vector<std::string>;

// The code tables and the product columns that refer to them (SQL Server type names, which both
// kinds accept).
std::vector<std::string> ClassTablesSql() {
    return {
        "CREATE TABLE 상품분류코드 (분류코드 VARCHAR(4), 분류명 NVARCHAR(20))",
        "CREATE TABLE 상품구분코드 (구분코드 VARCHAR(4), 구분명 NVARCHAR(20))",
        "CREATE TABLE 기타분류코드 (분류코드 VARCHAR(4), 분류명칭 NVARCHAR(20), 비고 NVARCHAR(50), "
        "DEL_CHK SMALLINT, 작업일자 VARCHAR(8), 관리자_MEMO NVARCHAR(100), 변경시간 VARCHAR(30), "
        "줄번호 VARCHAR(3), 조제구분 SMALLINT)",
        "CREATE TABLE 상품분류세부코드 (분류코드 VARCHAR(4), 제품분류코드 VARCHAR(4))",
        "CREATE TABLE 상품소분류 (분류코드 VARCHAR(4), 세부분류코드 VARCHAR(4))",
        "CREATE TABLE 사용상품 (제품코드 VARCHAR(10), 제품분류 VARCHAR(4), 가격분류 VARCHAR(4), "
        "기타분류 VARCHAR(4), 제품세부분류 VARCHAR(4), 상품소분류 VARCHAR(4), 입고단가 MONEY, "
        "소매단가 MONEY, DEL_CHK SMALLINT)",
    };
}

class ClassCodesTest : public ::testing::TestWithParam<Kind> {
  protected:
    ClassCodesTest() : world_(GetParam()) {}

    void MakeStore(const std::vector<std::string>& rows,
                   std::vector<std::string> tables = ClassTablesSql()) {
        tables.insert(tables.end(), rows.begin(), rows.end());
        world_.Make(tables);
    }
    Rows Query(const std::string& sql) {
        return store_test::TableRows(*world_.Runtime().StoreConnection, sql);
    }
    std::string ClassOf(const std::string& product) {
        return world_.Scalar("SELECT 기타분류 FROM 사용상품 WHERE 제품코드 = '" + product + "'");
    }

    store_test::StoreWorld world_;
};

// --- RenumberProductClassCodes -------------------------------------------------------------------

TEST_P(ClassCodesTest, RenumbersClassesWithTheirDetailAndSmallClassesEverywhere) {
    MakeStore({
        "INSERT INTO 상품분류코드 VALUES ('01', '감기약')",
        "INSERT INTO 상품분류코드 VALUES ('0002', '소화제')",  // four characters: untouched
        "INSERT INTO 상품분류코드 VALUES ('3', '파스')",
        "INSERT INTO 상품분류세부코드 VALUES ('05', '01')",
        "INSERT INTO 상품분류세부코드 VALUES ('06', '0002')",
        "INSERT INTO 상품분류세부코드 VALUES ('2', '3')",  // "2" is not below "1000" as text
        "INSERT INTO 상품소분류 VALUES ('07', '05')",
        "INSERT INTO 상품소분류 VALUES ('08', '06')",
        "INSERT INTO 상품소분류 VALUES ('12', '2')",
        "INSERT INTO 상품구분코드 VALUES ('1', '일반')",
        "INSERT INTO 상품구분코드 VALUES ('0002', '특가')",
        "INSERT INTO 기타분류코드 (분류코드, 분류명칭) VALUES ('5', '기타')",
        "INSERT INTO 사용상품 (제품코드, 제품분류, 가격분류, 기타분류, 제품세부분류, 상품소분류) "
        "VALUES ('P1', '01', '1', '5', '05', '07')",
        "INSERT INTO 사용상품 (제품코드, 제품분류, 가격분류, 기타분류, 제품세부분류, 상품소분류) "
        "VALUES ('P2', '0002', '0002', NULL, '06', '08')",
        "INSERT INTO 사용상품 (제품코드, 제품분류, 가격분류, 기타분류, 제품세부분류, 상품소분류) "
        "VALUES ('P3', '3', '1', '', '2', '12')",
    });
    ASSERT_TRUE(repairs::RenumberProductClassCodes(world_.Runtime()));
    EXPECT_TRUE(world_.Boxes().empty());

    EXPECT_EQ(Query("SELECT 분류코드, 분류명 FROM 상품분류코드 ORDER BY 분류코드"),
              (Rows{"0002|소화제", "1001|감기약", "1003|파스"}));
    EXPECT_EQ(Query("SELECT 분류코드, 제품분류코드 FROM 상품분류세부코드 ORDER BY 분류코드"),
              (Rows{"06|0002", "1005|1001", "2|1003"}));
    EXPECT_EQ(Query("SELECT 분류코드, 세부분류코드 FROM 상품소분류 ORDER BY 분류코드"),
              (Rows{"08|06", "3007|1005", "3012|2"}));
    EXPECT_EQ(Query("SELECT 구분코드 FROM 상품구분코드 ORDER BY 구분코드"), (Rows{"0001", "0002"}));
    EXPECT_EQ(Query("SELECT 분류코드 FROM 기타분류코드"), (Rows{"1005"}));
    EXPECT_EQ(
        Query("SELECT 제품코드, 제품분류, 가격분류, 기타분류, 제품세부분류, 상품소분류 "
              "FROM 사용상품 ORDER BY 제품코드"),
        (Rows{"P1|1001|0001|1005|1005|3007", "P2|0002|0002|NULL|06|08", "P3|1003|0001||2|3012"}));

    // Every code is in the new scheme now: a second run changes nothing.
    const Rows before = Query("SELECT * FROM 사용상품 ORDER BY 제품코드");
    ASSERT_TRUE(repairs::RenumberProductClassCodes(world_.Runtime()));
    EXPECT_EQ(Query("SELECT * FROM 사용상품 ORDER BY 제품코드"), before);
    EXPECT_EQ(Query("SELECT 분류코드 FROM 상품소분류 ORDER BY 분류코드"),
              (Rows{"08", "3007", "3012"}));
}

TEST_P(ClassCodesTest, PicturesPadShortNumbersAndLeaveOtherCodesAlone) {
    MakeStore({
        "INSERT INTO 상품분류코드 (분류코드) VALUES ('5')",
        "INSERT INTO 상품분류코드 (분류코드) VALUES ('999')",
        "INSERT INTO 상품분류코드 (분류코드) VALUES ('AB')",  // no number: kept as it is
        "INSERT INTO 상품구분코드 (구분코드) VALUES ('3')",
        "INSERT INTO 상품구분코드 (구분코드) VALUES ('123')",
        "INSERT INTO 기타분류코드 (분류코드) VALUES ('07')",
    });
    ASSERT_TRUE(repairs::RenumberProductClassCodes(world_.Runtime()));
    EXPECT_EQ(Query("SELECT 분류코드 FROM 상품분류코드 ORDER BY 분류코드"),
              (Rows{"1005", "1999", "AB"}));
    EXPECT_EQ(Query("SELECT 구분코드 FROM 상품구분코드 ORDER BY 구분코드"), (Rows{"0003", "0123"}));
    EXPECT_EQ(Query("SELECT 분류코드 FROM 기타분류코드"), (Rows{"1007"}));
}

// A code's length is counted in characters: a class of four Korean characters is in the new scheme
// already, one of two characters is not (it is no number, so it keeps its code, but its detail
// classes are renumbered).
TEST_P(ClassCodesTest, CodeLengthsAreCountedInCharacters) {
    std::vector<std::string> tables = ClassTablesSql();
    for (std::string& sql : tables) {
        for (std::size_t at; (at = sql.find(" VARCHAR(4)")) != std::string::npos;) {
            sql.replace(at, 1, " N");  // national columns, so that Korean codes fit either kind
        }
    }
    MakeStore(
        {
            "INSERT INTO 상품분류코드 (분류코드) VALUES ('가나다라')",
            "INSERT INTO 상품분류코드 (분류코드) VALUES ('가1')",
            "INSERT INTO 상품분류세부코드 VALUES ('08', '가나다라')",
            "INSERT INTO 상품분류세부코드 VALUES ('05', '가1')",
        },
        tables);
    ASSERT_TRUE(repairs::RenumberProductClassCodes(world_.Runtime()));
    EXPECT_EQ(Query("SELECT 분류코드, 제품분류코드 FROM 상품분류세부코드 ORDER BY 제품분류코드"),
              (Rows{"1005|가1", "08|가나다라"}));
}

// A code that would no longer fit its column once renumbered ("-5" gives "-1005") stays as it is,
// with every reference to it, and is listed; the other codes are renumbered.
TEST_P(ClassCodesTest, ACodeThatWouldNoLongerFitIsLeftAndListed) {
    MakeStore({
        "INSERT INTO 상품분류코드 (분류코드) VALUES ('-5')",
        "INSERT INTO 상품분류코드 (분류코드) VALUES ('7')",
        "INSERT INTO 상품분류세부코드 VALUES ('-2', '7')",
        "INSERT INTO 사용상품 (제품코드, 제품분류, 제품세부분류) VALUES ('P1', '-5', '-2')",
    });
    ASSERT_TRUE(repairs::RenumberProductClassCodes(world_.Runtime()));
    EXPECT_TRUE(world_.Boxes().empty());
    EXPECT_EQ(Query("SELECT 분류코드 FROM 상품분류코드 ORDER BY 분류코드"), (Rows{"-5", "1007"}));
    EXPECT_EQ(Query("SELECT 분류코드, 제품분류코드 FROM 상품분류세부코드"), (Rows{"-2|1007"}));
    EXPECT_EQ(Query("SELECT 제품분류, 제품세부분류 FROM 사용상품"), (Rows{"-5|-2"}));
    EXPECT_EQ(world_.RunList(),
              (Rows{"상품분류코드 '-5' 행의 분류코드 값이 필드 크기를 넘게 되어 그대로 둠",
                    "상품분류세부코드 '-2' 행의 분류코드 값이 필드 크기를 넘게 되어 그대로 둠"}));
}

TEST_P(ClassCodesTest, AnApostropheInACodeCannotBreakTheStatements) {
    MakeStore({
        "INSERT INTO 상품분류코드 (분류코드) VALUES ('A''1')",
        "INSERT INTO 상품분류코드 (분류코드) VALUES ('4')",
        "INSERT INTO 상품분류세부코드 VALUES ('''9', '4')",
        "INSERT INTO 상품소분류 VALUES ('1''', '''9')",
        "INSERT INTO 사용상품 (제품코드, 제품분류, 상품소분류) VALUES ('P1', '4', '1''')",
    });
    ASSERT_TRUE(repairs::RenumberProductClassCodes(world_.Runtime()));
    EXPECT_TRUE(world_.Boxes().empty());
    EXPECT_EQ(Query("SELECT 분류코드 FROM 상품분류코드 ORDER BY 분류코드"), (Rows{"1004", "A'1"}));
    // The detail code sorts below "1000" but is no number; its small class is no number either.
    EXPECT_EQ(Query("SELECT 분류코드, 제품분류코드 FROM 상품분류세부코드"), (Rows{"'9|1004"}));
    EXPECT_EQ(Query("SELECT 제품분류, 상품소분류 FROM 사용상품"), (Rows{"1004|1'"}));
}

TEST_P(ClassCodesTest, AnErrorStopsWithTheDataTransBoxAndKeepsWhatWasDone) {
    std::vector<std::string> tables = ClassTablesSql();
    tables.erase(tables.begin() + 4);  // no 상품소분류
    MakeStore(
        {
            "INSERT INTO 상품분류코드 (분류코드) VALUES ('1')",
            "INSERT INTO 상품분류세부코드 VALUES ('2', '1')",
            "INSERT INTO 상품구분코드 (구분코드) VALUES ('3')",
        },
        tables);
    EXPECT_FALSE(repairs::RenumberProductClassCodes(world_.Runtime()));
    const auto boxes = world_.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Data Trans Error");
    EXPECT_EQ(boxes[0].icon, host::MsgIcon::Information);
    EXPECT_EQ(boxes[0].buttons, host::MsgButtons::Ok);
    EXPECT_EQ(boxes[0].text,
              std::string("데이터 변환 과정에서 오류가 발생했습니다. \r\n\r\n"
                          "본 사항은 본사 개발부에서 데이터를 점검해야 하는 상황입니다. \r\n\r\n"
                          "지금 즉시 모든 작업을 중지하고 서버 PC를 본사로 원격 지원하여 "
                          "서비스를 받으시기 바랍니다.\r\n") +
                  repairs::vendor::kSupportTelephone);
    // Partly converted: the class and its details moved, the price classes were never reached.
    EXPECT_EQ(world_.Scalar("SELECT 분류코드 FROM 상품분류코드"), "1001");
    EXPECT_EQ(Query("SELECT 분류코드, 제품분류코드 FROM 상품분류세부코드"), (Rows{"2|1001"}));
    EXPECT_EQ(world_.Scalar("SELECT 구분코드 FROM 상품구분코드"), "3");
}

TEST_P(ClassCodesTest, WithoutAStoreConnectionTheDataTransBoxIsShown) {
    EXPECT_FALSE(repairs::RenumberProductClassCodes(world_.Runtime()));
    ASSERT_EQ(world_.Boxes().size(), 1u);
    EXPECT_EQ(world_.Boxes()[0].title, "Data Trans Error");
}

// --- ActionUserTesselSetting2
// ---------------------------------------------------------------------

// A product row from its values: code, class, cost, retail price, deleted.
std::string Priced(const std::string& values) {
    return "INSERT INTO 사용상품 (제품코드, 기타분류, 입고단가, 소매단가, DEL_CHK) VALUES (" +
           values + ")";
}

TEST_P(ClassCodesTest, ReplacesTheClassesAndClassifiesProductsByExactMargin) {
    MakeStore({
        "INSERT INTO 기타분류코드 (분류코드, 분류명칭) VALUES ('0001', '옛 A')",
        "INSERT INTO 기타분류코드 (분류코드, 분류명칭) VALUES ('0012', '옛 L')",
        "INSERT INTO 기타분류코드 (분류코드, 분류명칭) VALUES ('0013', '유지')",
        // cost, retail -> margin
        Priced("'M65', '', 350, 1000, 0"),        // 65
        Priced("'M50', NULL, 500, 1000, 0"),      // 50
        Priced("'M30', '0003', 0.7, 1, 0"),       // 30, in a removed class
        Priced("'M11', '0012', 89, 100, 0"),      // 11
        Priced("'M1', '', 9900.05, 10000, 0"),    // 0.9995 rounds to 1.000
        Priced("'M0.5', '', 995, 1000, 0"),       // 0.5
        Priced("'M0', '', 1000, 1000, 1"),        // 0; deleted products count too
        Priced("'M-3', '', 1030, 1000, 0"),       // -3
        Priced("'M64', '', 3500.15, 10000, 0"),   // 64.9985 rounds to 64.998
        Priced("'M65-', '', 3500.05, 10000, 0"),  // 64.9995 rounds to 65.000
        Priced("'K''1', '', 100, 1000, 0"),       // 90, apostrophe in the code
        Priced("'KEEP', '0013', 100, 1000, 0"),   // a class that stays
        Priced("'FREE', '0005', 0, 1000, 0"),     // no cost: left unclassified
    });
    repairs::ActionUserTesselSetting2(world_.Runtime());
    EXPECT_TRUE(world_.Boxes().empty());

    const std::pair<const char*, const char*> expected[] = {
        {"M65", "0001"},  {"M50", "0002"},  {"M30", "0003"}, {"M11", "0004"}, {"M1", "0005"},
        {"M0.5", "0006"}, {"M0", "0006"},   {"M-3", "0007"}, {"M64", "0002"}, {"M65-", "0001"},
        {"K''1", "0001"}, {"KEEP", "0013"}, {"FREE", ""},
    };
    for (const auto& [product, cls] : expected) EXPECT_EQ(ClassOf(product), cls) << product;

    const std::string today = repairs::TodayDigits(world_.Runtime());
    const std::string memo = "|0|" + today + "|Program Auto Insert - Mirel Oan Tesk|";
    EXPECT_EQ(Query("SELECT 분류코드, 분류명칭, 비고, DEL_CHK, 작업일자, 관리자_MEMO, 줄번호, "
                    "조제구분 FROM 기타분류코드 ORDER BY 분류코드"),
              (Rows{
                  "0001|A|상품마진율 65% ~ 100%" + memo + "001|-1",
                  "0002|B|상품마진율 50% ~ 64%" + memo + "002|-1",
                  "0003|C|상품마진율 30% ~ 49%" + memo + "003|-1",
                  "0004|D|상품마진율 11% ~ 29%" + memo + "004|-1",
                  "0005|E|상품마진율 1% ~ 10%" + memo + "005|-1",
                  "0006|F|상품마진율 0%" + memo + "006|-1",
                  "0007|G|상품마진율 0% 미만" + memo + "007|-1",
                  "0013|유지|NULL|NULL|NULL|NULL|NULL|NULL",
              }));
    // The change time begins with today's date text.
    EXPECT_EQ(world_.Scalar("SELECT 변경시간 FROM 기타분류코드 WHERE 분류코드 = '0007'")
                  .rfind(repairs::TodayText(world_.Runtime()), 0),
              0u);
    // Eleven products were classified; the bar counted them.
    EXPECT_EQ(world_.Runtime().MainWindow().PB2.value, 11);
    EXPECT_EQ(world_.Runtime().MainWindow().PB2.max, 11);
}

TEST_P(ClassCodesTest, TesselErrorShowsTheRoutineName) {
    std::vector<std::string> tables = ClassTablesSql();
    tables.erase(tables.begin() + 2);  // no 기타분류코드
    MakeStore({"INSERT INTO 사용상품 (제품코드, 기타분류) VALUES ('P1', '0003')"}, tables);
    repairs::ActionUserTesselSetting2(world_.Runtime());
    const auto boxes = world_.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "frmDBPatchMain:ActionUserTesselSetting2");
    EXPECT_EQ(boxes[0].title, "");
    EXPECT_EQ(boxes[0].icon, host::MsgIcon::None);
    EXPECT_EQ(boxes[0].buttons, host::MsgButtons::Ok);
    // The products were unclassified before the error.
    EXPECT_EQ(ClassOf("P1"), "");
}

INSTANTIATE_TEST_SUITE_P(BothKinds, ClassCodesTest, ::testing::Values(Kind::Mdb, Kind::SqlServer),
                         [](const auto& info) { return store_test::KindName(info.param); });

}  // namespace
