#include "repairs/trading_partners.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "repairs/store_world.h"

namespace {

using store_test::Kind;

constexpr const char* kPartnerTable =
    "CREATE TABLE 거래처마스터 (거래처코드 VARCHAR(10), 지역번호 VARCHAR(4), 전화번호 "
    "VARCHAR(20), DEL_CHK SMALLINT)";
constexpr const char* kProductTable =
    "CREATE TABLE 사용상품 (제품코드 VARCHAR(10), 매입거래처 VARCHAR(10), 최근매입처 "
    "VARCHAR(10), UP_DATE DATETIME, DEL_CHK SMALLINT)";
constexpr const char* kOldStamp = "2019-01-01 00:00:00";

class TradingPartnersTest : public ::testing::TestWithParam<Kind> {
  protected:
    TradingPartnersTest() : world_(GetParam()) {}

    void MakeStore(const std::vector<std::string>& rows) {
        std::vector<std::string> sql = {kPartnerTable, kProductTable};
        sql.insert(sql.end(), rows.begin(), rows.end());
        world_.Make(sql);
    }
    // Area code and number of a partner as "area|number".
    // The partner whose code is stored exactly so: a SQL Server finds 'K1' equal to 'K1 ', but not
    // 'K1|' to 'K1 |'.
    std::string Phone(const std::string& partner) {
        const std::string where = " FROM 거래처마스터 WHERE 거래처코드 + '|' = '" + partner + "|'";
        return world_.Scalar("SELECT 지역번호" + where) + "|" +
               world_.Scalar("SELECT 전화번호" + where);
    }
    // Supplier, latest supplier and whether UP_DATE was renewed, as "supplier|latest|renewed".
    std::string Suppliers(const std::string& product) {
        const std::string where = " FROM 사용상품 WHERE 제품코드 = '" + product + "'";
        const std::string stamp = world_.Scalar("SELECT UP_DATE" + where);
        return world_.Scalar("SELECT 매입거래처" + where) + "|" +
               world_.Scalar("SELECT 최근매입처" + where) + "|" +
               (stamp.rfind("2019", 0) == 0 ? "old" : "new");
    }
    const util::ProgressBarModel& PB2() { return world_.Runtime().MainWindow().PB2; }

    store_test::StoreWorld world_;
};

const std::vector<std::string> kAreaRows = {
    "INSERT INTO 거래처마스터 VALUES ('K1', '02', '123-4567', 0)",
    "INSERT INTO 거래처마스터 VALUES ('K2', '02', '0212345678', 0)",
    "INSERT INTO 거래처마스터 VALUES ('K3', '031', '', 0)",
    "INSERT INTO 거래처마스터 VALUES ('K4', '', '555-1234', 0)",
    "INSERT INTO 거래처마스터 VALUES ('K5', NULL, '555-9999', 0)",
    "INSERT INTO 거래처마스터 VALUES ('K''6', '051', '12''3', 0)",
    "INSERT INTO 거래처마스터 VALUES ('K7', '032', NULL, 1)",
    "INSERT INTO 거래처마스터 VALUES ('K8', '  ', '123-4567', 0)",
};

// Without moving it only says whether there is work; moving folds the area code into the number.
TEST_P(TradingPartnersTest, MoveAreaCodesFoldsTheAreaCodeIntoTheNumber) {
    MakeStore(kAreaRows);
    world_.Runtime().MainWindow().SetPB2(100, 7);
    EXPECT_TRUE(repairs::MoveAreaCodes(world_.Runtime(), false));
    EXPECT_EQ(Phone("K1"), "02|123-4567");
    EXPECT_EQ(PB2().value, 7);
    EXPECT_TRUE(repairs::MoveAreaCodes(world_.Runtime(), true));
    const std::pair<const char*, const char*> expected[] = {
        {"K1", "|02-123-4567"},                         // joined
        {"K2", "|0212345678"},                          // already carries it: the area code goes
        {"K3", "|031-"},                                // an empty number does not begin with 0
        {"K4", "|555-1234"},                            // no area code: untouched
        {"K5", "|555-9999"},    {"K''6", "|051-12'3"},  // apostrophes kept as data
        {"K7", "|032-"},                                // deleted partners too
        {"K8", "|123-4567"},                            // blanks are no area code
    };
    for (const auto& [partner, phone] : expected) EXPECT_EQ(Phone(partner), phone) << partner;
    // SQL Server compares '  ' equal to '' and does not count K8.
    const int moved = GetParam() == Kind::Mdb ? 6 : 5;
    EXPECT_EQ(PB2().max, moved);
    EXPECT_EQ(PB2().value, moved);
    // Nothing left to move.
    EXPECT_FALSE(repairs::MoveAreaCodes(world_.Runtime(), false));
    EXPECT_FALSE(repairs::MoveAreaCodes(world_.Runtime(), true));
}

// One number that would no longer fit its column once the area code is folded in: the partner
// keeps both as they were and is listed; the others are moved and nothing stops.
TEST_P(TradingPartnersTest, ANumberThatWouldNoLongerFitKeepsItsAreaCodeAndIsListed) {
    MakeStore({
        "INSERT INTO 거래처마스터 VALUES ('K1', '0311', '1234567890123456', 0)",
        "INSERT INTO 거래처마스터 VALUES ('K2', '02', '123-4567', 0)",
    });
    EXPECT_TRUE(repairs::MoveAreaCodes(world_.Runtime(), true));
    EXPECT_EQ(Phone("K1"), "0311|1234567890123456");
    EXPECT_EQ(Phone("K2"), "|02-123-4567");
    EXPECT_EQ(world_.RunList(),
              (std::vector<std::string>{
                  "거래처마스터 'K1' 행의 전화번호 값이 필드 크기를 넘게 되어 그대로 둠"}));
}

// Partner codes that differ only by trailing blanks: an MDB reaches each partner, and the products
// naming it, by the code as stored; a SQL Server finds both partners with either code, so there
// both are left as they were and listed.
TEST_P(TradingPartnersTest, PartnerCodesDifferingByTrailingBlanksNeverShareAWrite) {
    const std::string stamp = std::string("', '") + kOldStamp + "', ";
    MakeStore({
        "INSERT INTO 거래처마스터 VALUES ('K1', '02', '111-1111', 0)",
        "INSERT INTO 거래처마스터 VALUES ('K1 ', '031', '222-2222', 1)",
        "INSERT INTO 사용상품 VALUES ('P1', 'K1', 'K1 " + stamp + "0)",
    });
    repairs::MoveAreaCodes(world_.Runtime(), true);
    repairs::ClearDeletedSupplierRefs(world_.Runtime());
    const bool mdb = GetParam() == Kind::Mdb;
    EXPECT_EQ(Phone("K1"), mdb ? "|02-111-1111" : "02|111-1111");
    EXPECT_EQ(Phone("K1 "), mdb ? "|031-222-2222" : "031|222-2222");
    EXPECT_EQ(Suppliers("P1"), mdb ? "K1||new" : "K1|K1|old");
    const auto listed = std::count_if(
        world_.RunList().begin(), world_.RunList().end(),
        [](const std::string& line) { return line.find("구별되지") != std::string::npos; });
    EXPECT_EQ(listed, mdb ? 0 : 3);
}

TEST_P(TradingPartnersTest, MoveAreaCodesErrorsReachTheCaller) {
    world_.Make({"CREATE TABLE 거래처마스터 (거래처코드 VARCHAR(10), DEL_CHK SMALLINT)"});
    EXPECT_THROW(repairs::MoveAreaCodes(world_.Runtime(), false), db::DbError);
}

TEST_P(TradingPartnersTest, ClearDeletedSupplierRefsEmptiesOnlyColumnsNamingADeletedPartner) {
    const std::string stamp = std::string("', '") + kOldStamp + "', ";
    MakeStore({
        "INSERT INTO 거래처마스터 VALUES ('D1', '', '', 1)",
        "INSERT INTO 거래처마스터 VALUES ('D''2', '', '', 1)",
        "INSERT INTO 거래처마스터 VALUES ('L1', '', '', 0)",
        "INSERT INTO 사용상품 VALUES ('P1', 'D1', 'L1" + stamp + "0)",
        "INSERT INTO 사용상품 VALUES ('P2', 'D1', 'D''2" + stamp + "0)",
        "INSERT INTO 사용상품 VALUES ('P3', 'L1', 'D1" + stamp + "0)",
        "INSERT INTO 사용상품 VALUES ('P4', 'L1', 'L1" + stamp + "0)",
        "INSERT INTO 사용상품 VALUES ('P5', 'D1', 'D1" + stamp + "1)",
        "INSERT INTO 사용상품 VALUES ('P6', '', NULL" + stamp.substr(1) + "0)",
    });
    repairs::ClearDeletedSupplierRefs(world_.Runtime());
    const std::pair<const char*, const char*> expected[] = {
        {"P1", "|L1|new"},   {"P2", "||new"},     {"P3", "L1||new"},
        {"P4", "L1|L1|old"}, {"P5", "D1|D1|old"},  // deleted product untouched
        {"P6", "||old"},
    };
    for (const auto& [product, suppliers] : expected) {
        EXPECT_EQ(Suppliers(product), suppliers) << product;
    }
    EXPECT_EQ(world_.RunList(), (std::vector<std::string>{"거래처마스터 데이터 정리"}));
    EXPECT_EQ(world_.Desktop().CallsOf(host::ScriptedDesktop::CallKind::DoEvents).size(), 1u);
    EXPECT_EQ(PB2().max, 2);
    EXPECT_EQ(PB2().value, 2);
}

// A deleted partner without a code leaves products without a supplier alone; without deleted
// partners nothing is shown or changed.
TEST_P(TradingPartnersTest, ClearDeletedSupplierRefsLeavesWhatNamesNoDeletedPartner) {
    const std::string stamp = std::string("', '") + kOldStamp + "', ";
    MakeStore({
        "INSERT INTO 거래처마스터 VALUES ('', '', '', 1)",
        "INSERT INTO 거래처마스터 VALUES (NULL, '', '', 1)",
        "INSERT INTO 사용상품 VALUES ('P1', '', '" + stamp + "0)",
    });
    repairs::ClearDeletedSupplierRefs(world_.Runtime());
    EXPECT_EQ(Suppliers("P1"), "||old");

    store_test::StoreWorld live(GetParam());
    live.Make({kPartnerTable, kProductTable, "INSERT INTO 거래처마스터 VALUES ('L1', '', '', 0)",
               "INSERT INTO 사용상품 VALUES ('P1', 'L1', 'L1" + stamp + "0)"});
    repairs::ClearDeletedSupplierRefs(live.Runtime());
    EXPECT_EQ(live.Scalar("SELECT 최근매입처 FROM 사용상품"), "L1");
    EXPECT_EQ(live.Scalar("SELECT UP_DATE FROM 사용상품").rfind("2019", 0), 0u);
    EXPECT_TRUE(live.RunList().empty());
    EXPECT_TRUE(live.Desktop().CallsOf(host::ScriptedDesktop::CallKind::DoEvents).empty());
}

TEST_P(TradingPartnersTest, ClearDeletedSupplierRefsErrorsReachTheCaller) {
    world_.Make({kPartnerTable, "INSERT INTO 거래처마스터 VALUES ('D1', '', '', 1)"});
    EXPECT_THROW(repairs::ClearDeletedSupplierRefs(world_.Runtime()), db::DbError);
}

INSTANTIATE_TEST_SUITE_P(BothKinds, TradingPartnersTest,
                         ::testing::Values(Kind::Mdb, Kind::SqlServer),
                         [](const auto& info) { return store_test::KindName(info.param); });

}  // namespace
