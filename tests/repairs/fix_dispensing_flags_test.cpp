#include "repairs/fix_dispensing_flags.h"

#include <gtest/gtest.h>

#include "repairs/store_world.h"

namespace {

using store_test::Kind;

class FixDispensingFlagsTest : public ::testing::TestWithParam<Kind> {
  protected:
    FixDispensingFlagsTest() : world_(GetParam()) {}

    void MakeStore(const std::vector<std::string>& rows) {
        std::vector<std::string> sql = {
            "CREATE TABLE 사용상품 (제품코드 VARCHAR(10), 제품분류 VARCHAR(4), "
            "연합회코드 VARCHAR(20), 조제약여부 SMALLINT, DEL_CHK SMALLINT)",
            "CREATE TABLE 상품분류코드 (분류코드 VARCHAR(4), 조제구분 SMALLINT, DEL_CHK SMALLINT)",
            "INSERT INTO 상품분류코드 VALUES ('0002', 2, 0)",
            "INSERT INTO 상품분류코드 VALUES ('0009', 2, 1)",
            "INSERT INTO 상품분류코드 VALUES ('0007', NULL, 0)",
        };
        sql.insert(sql.end(), rows.begin(), rows.end());
        world_.Make(sql);
    }
    std::string Flag(const std::string& code) {
        return world_.Scalar("SELECT 조제약여부 FROM 사용상품 WHERE 제품코드 = '" + code + "'");
    }

    store_test::StoreWorld world_;
};

TEST_P(FixDispensingFlagsTest, CorrectsEachWrongFlagFromCodeThenClassThenZero) {
    MakeStore({
        "INSERT INTO 사용상품 VALUES ('P1', '0002', 'K123', 5, 0)",   // code -> 1
        "INSERT INTO 사용상품 VALUES ('P2', '0002', '', 5, 0)",       // class kind -> 2
        "INSERT INTO 사용상품 VALUES ('P3', '9999', NULL, -1, 0)",    // no class -> 0
        "INSERT INTO 사용상품 VALUES ('P4', '0009', '  ', 7, 0)",     // deleted class -> 0
        "INSERT INTO 사용상품 VALUES ('P5', '0007', NULL, 3, 0)",     // class kind Null -> 0
        "INSERT INTO 사용상품 VALUES ('P6', '0002', 'K1', 1, 0)",     // valid, untouched
        "INSERT INTO 사용상품 VALUES ('P7', '0002', 'K1', 9, 1)",     // deleted product
        "INSERT INTO 사용상품 VALUES ('P8', '0002', 'K1', NULL, 0)",  // Null is no wrong value
    });
    EXPECT_EQ(repairs::FixDispensingFlags(world_.Runtime()), 5);
    const std::pair<const char*, const char*> expected[] = {
        {"P1", "1"}, {"P2", "2"}, {"P3", "0"}, {"P4", "0"},
        {"P5", "0"}, {"P6", "1"}, {"P7", "9"}, {"P8", ""},
    };
    for (const auto& [code, flag] : expected) EXPECT_EQ(Flag(code), flag) << code;
    // Nothing left to correct.
    EXPECT_EQ(repairs::FixDispensingFlags(world_.Runtime()), 0);
}

TEST_P(FixDispensingFlagsTest, AnApostropheInTheProductCodeCannotBreakTheUpdate) {
    MakeStore({"INSERT INTO 사용상품 VALUES ('P''1', '0002', '', 4, 0)"});
    EXPECT_EQ(repairs::FixDispensingFlags(world_.Runtime()), 1);
    EXPECT_EQ(Flag("P''1"), "2");
}

TEST_P(FixDispensingFlagsTest, ErrorsReachTheCaller) {
    world_.Make({"CREATE TABLE 상품분류코드 (분류코드 VARCHAR(4))"});
    EXPECT_THROW(repairs::FixDispensingFlags(world_.Runtime()), db::DbError);
}

INSTANTIATE_TEST_SUITE_P(BothKinds, FixDispensingFlagsTest,
                         ::testing::Values(Kind::Mdb, Kind::SqlServer),
                         [](const auto& info) { return store_test::KindName(info.param); });

}  // namespace
