#include "repairs/product_barcodes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "repairs/clock_text.h"
#include "repairs/store_world.h"
#include "repairs/table_rows.h"

namespace {

using store_test::Kind;

constexpr const char* kPackageTable =
    "CREATE TABLE 확장바코드 (제품코드 VARCHAR(10), 바코드코드 VARCHAR(40), 바코드구분 "
    "VARCHAR(10), 바코드 VARCHAR(20), 중복바코드 VARCHAR(20), 포장수량 FLOAT, CHK_MEMO "
    "VARCHAR(100), UP_DATE DATETIME, DEL_CHK SMALLINT)";
constexpr const char* kProductTable =
    "CREATE TABLE 사용상품 (제품코드 VARCHAR(10), 제품명 VARCHAR(60), 제조사 VARCHAR(40), 바코드 "
    "VARCHAR(20), 중복바코드 VARCHAR(20), 심평원규격 VARCHAR(40), DEL_CHK SMALLINT)";

// A package row of product `product` with the barcode code `code`.
std::string Package(const std::string& product, const std::string& code) {
    return "INSERT INTO 확장바코드 (제품코드, 바코드코드, CHK_MEMO, DEL_CHK) VALUES ('" + product +
           "', '" + code + "', 'memo', 0)";
}

class ProductBarcodesTest : public ::testing::TestWithParam<Kind> {
  protected:
    ProductBarcodesTest() : world_(std::make_unique<store_test::StoreWorld>(GetParam())) {}

    void MakeStore(const std::vector<std::string>& rows) {
        std::vector<std::string> sql = {kPackageTable, kProductTable};
        sql.insert(sql.end(), rows.begin(), rows.end());
        world_->Make(sql);
    }
    // The barcode codes of a product, in order.
    std::string CodesOf(const std::string& product) {
        db::RecordSet rs;
        rs.Open("SELECT 바코드코드 FROM 확장바코드 WHERE 제품코드 = '" + product +
                    "' ORDER BY 바코드코드",
                *world_->Runtime().StoreConnection);
        std::string codes;
        for (; !rs.Eof(); rs.MoveNext()) {
            codes += (codes.empty() ? "" : ",") + rs[0].AsText();
        }
        return codes;
    }
    std::string Memo(const std::string& product) {
        return world_->Scalar("SELECT CHK_MEMO FROM 확장바코드 WHERE 제품코드 = '" + product + "'");
    }
    // True when a second row with the code is refused (the primary key is in place).
    bool KeyRefusesDuplicate(const std::string& code) {
        try {
            world_->Execute(Package("PX", code));
        } catch (const db::DbError&) {
            return true;
        }
        return false;
    }
    std::string Expected(const char* mdb, const char* server) {
        return GetParam() == Kind::Mdb ? mdb : server;
    }
    std::vector<std::string> Rows(const std::string& sql) {
        return store_test::TableRows(*world_->Runtime().StoreConnection, sql);
    }
    const util::ProgressBarModel& PB2() { return world_->Runtime().MainWindow().PB2; }

    std::unique_ptr<store_test::StoreWorld> world_;
};

TEST_P(ProductBarcodesTest, NextCodeNumberFollowsTheLargestCodeOfTheColumn) {
    struct Case {
        std::vector<std::string> codes;
        const char* column;
        const char* next;
    };
    const Case cases[] = {
        {{}, "바코드코드", "0000000001"},
        {{}, "제품코드", "U000000001"},
        {{"0000000005", "0000000003"}, "바코드코드", "0000000006"},
        {{"U000000041", "U000000009"}, "제품코드", "U000000042"},
        // a largest code that is no number starts again at 1 (it may be taken)
        {{"0000000007", "ABC"}, "바코드코드", "0000000001"},
        {{"12AB"}, "바코드코드", "0000000013"},
        {{"0999999999"}, "바코드코드", "1000000000"},
        // wider than the code: not cut
        {{"99999999999"}, "바코드코드", "100000000000"},
    };
    MakeStore({});
    for (const Case& c : cases) {
        for (const std::string& code : c.codes) {
            world_->Execute(std::string("INSERT INTO 확장바코드 (") + c.column +
                            ", DEL_CHK) VALUES ('" + code + "', 0)");
        }
        EXPECT_EQ(repairs::NextCodeNumber(world_->Runtime(), "확장바코드", c.column), c.next)
            << c.column << " after " << (c.codes.empty() ? "none" : c.codes.front());
        world_->Execute("DELETE FROM 확장바코드");
    }
}

TEST_P(ProductBarcodesTest, NextCodeNumberOverflowReachesTheCaller) {
    MakeStore({Package("P1", std::string(30, '9'))});
    try {
        repairs::NextCodeNumber(world_->Runtime(), "확장바코드", "바코드코드");
        ADD_FAILURE() << "no overflow";
    } catch (const db::DbError& e) {
        EXPECT_EQ(e.Number(), 6);
        EXPECT_EQ(e.Description(), "오버플로");
    }
}

TEST_P(ProductBarcodesTest, TheLowestProductKeepsASharedCodeAndTheOthersGetNewOnes) {
    MakeStore({
        Package("P1", "0000000005"),
        Package("P2", "0000000005"),
        Package("P3", "0000000005"),
        Package("P4", "0000000007"),
        Package("P5", "0000000002"),
        Package("P6", "0000000002"),
    });
    repairs::SetPackageBarcodePrimaryKey(world_->Runtime());

    EXPECT_EQ(CodesOf("P1"), "0000000005");
    EXPECT_EQ(CodesOf("P5"), "0000000002");
    // each new code is read again from the largest one
    EXPECT_EQ(CodesOf("P6"), "0000000008");
    EXPECT_EQ(CodesOf("P2"), "0000000009");
    EXPECT_EQ(CodesOf("P3"), "0000000010");
    EXPECT_EQ(CodesOf("P4"), "0000000007");
    const std::string memo = "중복 바코드코드 변경 작업 - " + repairs::TodayText(world_->Runtime());
    EXPECT_EQ(Memo("P2"), memo);
    EXPECT_EQ(Memo("P6"), memo);
    EXPECT_EQ(Memo("P1"), "memo");
    EXPECT_FALSE(world_->Scalar("SELECT UP_DATE FROM 확장바코드 WHERE 제품코드 = 'P2'").empty());
    EXPECT_TRUE(world_->Scalar("SELECT UP_DATE FROM 확장바코드 WHERE 제품코드 = 'P1'").empty());

    EXPECT_EQ(world_->RunList(), (std::vector<std::string>{
                                     "확장바코드 테이블에 기본키 설정을 위한 추가작업 실시",
                                     "확장바코드 테이블에 기본키 설정",
                                 }));
    EXPECT_EQ(world_->Runtime().MainWindow().List1.listIndex, 1);
    EXPECT_EQ(PB2().max, 2);
    EXPECT_EQ(PB2().value, 2);
    // The key statement is T-SQL: an MDB refuses it, and the routine still ends normally.
    EXPECT_EQ(KeyRefusesDuplicate("0000000005"), GetParam() == Kind::SqlServer);
}

// The key on other stores: a product holding a code twice stops the work before the key; without
// duplicates only the key is set; a new code is never one already taken (the largest code is no
// number, so the next number restarts at 1); apostrophes in codes cannot break the statements.
// `codes` are each product's codes after the routine, `key` a code the key then refuses to take
// twice on SQL Server (an MDB refuses the T-SQL key statement).
TEST_P(ProductBarcodesTest, TheKeyIsSetOnlyWhenEveryCodeIsOnce) {
    struct Case {
        std::vector<std::string> packages;
        std::vector<std::pair<const char*, const char*>> codes;
        std::vector<std::string> runList;
        const char* key;
    };
    const std::string extra = "확장바코드 테이블에 기본키 설정을 위한 추가작업 실시";
    const std::string key = "확장바코드 테이블에 기본키 설정";
    const Case cases[] = {
        {{Package("P1", "0000000005"), Package("P2", "0000000005"), Package("P2", "0000000005")},
         {{"P1", "0000000005"}, {"P2", "0000000005,0000000005"}},
         {extra},
         nullptr},
        {{Package("P1", "0000000001"), Package("P2", "0000000002")},
         {{"P2", "0000000002"}},
         {key},
         "0000000001"},
        {{Package("P1", "0000000005"), Package("P2", "0000000005"), Package("P7", "0000000001"),
          Package("P8", "0000000002"), Package("P9", "ABC")},
         {{"P2", "0000000003"}, {"P7", "0000000001"}},
         {extra, key},
         "0000000003"},
        {{Package("P''1", "00''5"), Package("P''2", "00''5"), Package("P3", "0000000004")},
         {{"P''1", "00'5"}, {"P''2", "0000000005"}},
         {extra, key},
         nullptr},
    };
    for (const Case& c : cases) {
        world_ = std::make_unique<store_test::StoreWorld>(GetParam());
        MakeStore(c.packages);
        repairs::SetPackageBarcodePrimaryKey(world_->Runtime());
        for (const auto& [product, codes] : c.codes) EXPECT_EQ(CodesOf(product), codes) << product;
        EXPECT_EQ(world_->RunList(), c.runList);
        if (c.key != nullptr) {
            EXPECT_EQ(KeyRefusesDuplicate(c.key), GetParam() == Kind::SqlServer) << c.key;
        }
        // Both kinds take the column change before the key.
        for (const db::ColumnInfo& column : world_->Columns("확장바코드")) {
            if (column.name == "바코드코드" && c.runList.back() == key) {
                EXPECT_FALSE(column.nullable);
                EXPECT_EQ(column.size, 10);
            }
        }
    }
}

TEST_P(ProductBarcodesTest, ErrorsBeforeTheKeyStatementsReachTheCaller) {
    world_->Make({kProductTable});
    EXPECT_THROW(repairs::SetPackageBarcodePrimaryKey(world_->Runtime()), db::DbError);
}

TEST_P(ProductBarcodesTest, TrimProductTextsTrimsLiveProductsAndPackages) {
    MakeStore({
        "INSERT INTO 사용상품 VALUES ('P1', '  타이레놀 ', ' 얀센 ', ' 880 ', NULL, NULL, 0)",
        "INSERT INTO 사용상품 VALUES ('P2', 'It''s  ', '', '881', ' 882', NULL, 0)",
        "INSERT INTO 사용상품 VALUES ('P3', ' 삭제 ', ' x ', ' 1 ', ' 2 ', NULL, 1)",
        "INSERT INTO 확장바코드 (제품코드, 바코드코드, 바코드구분, 바코드, 중복바코드, DEL_CHK) "
        "VALUES ('P1', '0000000001', ' 박스 ', ' 8801 ', NULL, 0)",
        "INSERT INTO 확장바코드 (제품코드, 바코드코드, 바코드구분, 바코드, 중복바코드, DEL_CHK) "
        "VALUES ('P1', '0000000002', ' 삭제 ', ' 8802 ', NULL, 1)",
    });
    world_->Runtime().MainWindow().SetPB2(1, 0);  // the bar grows with the rows
    repairs::TrimProductTexts(world_->Runtime());
    EXPECT_EQ(
        Rows("SELECT 제품명, 제조사, 바코드, 중복바코드 FROM 사용상품 ORDER BY 제품코드"),
        (std::vector<std::string>{"타이레놀|얀센|880|", "It's||881|882", " 삭제 | x | 1 | 2 "}));
    EXPECT_EQ(Rows("SELECT 바코드구분, 바코드, 중복바코드 FROM 확장바코드 ORDER BY 바코드코드"),
              (std::vector<std::string>{"박스|8801|", " 삭제 | 8802 |NULL"}));
    EXPECT_EQ(PB2().value, 2);
    EXPECT_EQ(PB2().max, 2);
}

// Codes that differ only by trailing blanks: an MDB reaches each row by its code as stored; a SQL
// Server finds both rows with either code, so there both are left as they were and listed.
TEST_P(ProductBarcodesTest, TrimmingNeverWritesOneRowsTextsIntoAnother) {
    MakeStore({
        "INSERT INTO 사용상품 VALUES ('X1', ' 하나 ', ' 가 ', '', '', ' 1T ', 0)",
        "INSERT INTO 사용상품 VALUES ('X1 ', ' 둘 ', ' 나 ', '', '', ' 2T ', 0)",
        "INSERT INTO 확장바코드 (제품코드, 바코드코드, 바코드구분, DEL_CHK) VALUES "
        "('X1', '01', ' 갑 ', 0)",
        "INSERT INTO 확장바코드 (제품코드, 바코드코드, 바코드구분, DEL_CHK) VALUES "
        "('X1', '01 ', ' 을 ', 0)",
    });
    ASSERT_TRUE(repairs::TrimProductTexts(world_->Runtime()));
    repairs::TrimInsuranceSpec(world_->Runtime());
    const bool mdb = GetParam() == Kind::Mdb;
    EXPECT_EQ(Rows("SELECT 제품명, 제조사, 심평원규격 FROM 사용상품 ORDER BY 제품코드"),
              mdb ? (std::vector<std::string>{"하나|가|1T", "둘|나|2T"})
                  : (std::vector<std::string>{" 하나 | 가 | 1T ", " 둘 | 나 | 2T "}));
    EXPECT_EQ(
        Rows("SELECT 바코드구분 FROM 확장바코드 ORDER BY 바코드코드"),
        mdb ? (std::vector<std::string>{"갑", "을"}) : (std::vector<std::string>{" 갑 ", " 을 "}));
    const auto listed = std::count_if(world_->RunList().begin(), world_->RunList().end(),
                                      [](const std::string& line) {
                                          return line.find("'X1 '") != std::string::npos ||
                                                 line.find("'01 '") != std::string::npos;
                                      });
    EXPECT_EQ(listed, mdb ? 0 : 3);  // the second product twice, its package once
}

TEST_P(ProductBarcodesTest, TrimProductTextsEndsSilentlyAfterOneYield) {
    world_->Make({kProductTable, "INSERT INTO 사용상품 VALUES ('P1', ' a ', '', '', '', NULL, 0)"});
    EXPECT_NO_THROW(repairs::TrimProductTexts(world_->Runtime()));  // no 확장바코드 table
    EXPECT_EQ(world_->Scalar("SELECT 제품명 FROM 사용상품"), "a");
    EXPECT_EQ(world_->Desktop().CallsOf(host::ScriptedDesktop::CallKind::DoEvents).size(), 1u);
}

TEST_P(ProductBarcodesTest, TrimInsuranceSpecTrimsLiveProductsWithASpec) {
    MakeStore({
        "INSERT INTO 사용상품 (제품코드, 심평원규격, DEL_CHK) VALUES ('P1', ' 500mg ', 0)",
        "INSERT INTO 사용상품 (제품코드, 심평원규격, DEL_CHK) VALUES ('P''2', '1''s ', 0)",
        "INSERT INTO 사용상품 (제품코드, 심평원규격, DEL_CHK) VALUES ('P3', NULL, 0)",
        "INSERT INTO 사용상품 (제품코드, 심평원규격, DEL_CHK) VALUES ('P4', ' 1T ', 1)",
    });
    repairs::TrimInsuranceSpec(world_->Runtime());
    std::vector<std::string> specs = Rows("SELECT 제품코드, 심평원규격 FROM 사용상품");
    std::sort(specs.begin(), specs.end());
    EXPECT_EQ(specs, (std::vector<std::string>{"P'2|1's", "P1|500mg", "P3|NULL", "P4| 1T "}));
    EXPECT_EQ(world_->RunList(), (std::vector<std::string>{"심평원규격 필드 공백 제거"}));
    EXPECT_EQ(world_->Desktop().CallsOf(host::ScriptedDesktop::CallKind::DoEvents).size(), 1u);
    EXPECT_EQ(PB2().value, 2);
}

TEST_P(ProductBarcodesTest, TrimInsuranceSpecErrorsReachTheCaller) {
    world_->Make({"CREATE TABLE 사용상품 (제품코드 VARCHAR(10), DEL_CHK SMALLINT)"});
    EXPECT_THROW(repairs::TrimInsuranceSpec(world_->Runtime()), db::DbError);
}

TEST_P(ProductBarcodesTest, ClearPackageMemosEmptiesEveryMemoAndIgnoresErrors) {
    MakeStore({Package("P1", "0000000001"), Package("P2", "0000000002")});
    repairs::ClearPackageMemos(world_->Runtime());
    EXPECT_EQ(world_->Scalar("SELECT COUNT(*) FROM 확장바코드 WHERE CHK_MEMO = ''"), "2");

    store_test::StoreWorld bare(GetParam());
    bare.Make({kProductTable});
    EXPECT_NO_THROW(repairs::ClearPackageMemos(bare.Runtime()));
}

INSTANTIATE_TEST_SUITE_P(BothKinds, ProductBarcodesTest,
                         ::testing::Values(Kind::Mdb, Kind::SqlServer),
                         [](const auto& info) { return store_test::KindName(info.param); });

}  // namespace
