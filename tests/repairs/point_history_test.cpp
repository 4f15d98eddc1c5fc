#include "repairs/point_history.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "repairs/store_world.h"

namespace {

using store_test::Kind;

class PointHistoryTest : public ::testing::TestWithParam<Kind> {
  protected:
    PointHistoryTest() : world_(GetParam()) {}

    // Rows (작업일자, 작업번호, 사용구분) with UP_DATE rising in the order given.
    void MakeHistory(const std::vector<std::vector<std::string>>& rows) {
        std::vector<std::string> sql = {
            "CREATE TABLE 사은점수이력 (작업일자 VARCHAR(8), 작업번호 VARCHAR(6), 사용구분 "
            "SMALLINT, UP_DATE DATETIME, iSn SMALLINT)",
        };
        int minute = 10;
        for (const auto& row : rows) {
            sql.push_back(
                "INSERT INTO 사은점수이력 (작업일자, 작업번호, 사용구분, UP_DATE) VALUES (" +
                row[0] + ", " + row[1] + ", " + row[2] +
                ", '2020-01-01 10:" + std::to_string(minute++) + ":00')");
        }
        world_.Make(sql);
    }
    // iSn of every row in UP_DATE order ("-" for Null).
    std::vector<std::string> Serials() {
        db::RecordSet rs;
        rs.Open("SELECT iSn FROM 사은점수이력 ORDER BY UP_DATE", *world_.Runtime().StoreConnection);
        std::vector<std::string> serials;
        for (; !rs.Eof(); rs.MoveNext()) {
            serials.push_back(rs[0].IsNull() ? "-" : rs[0].AsText());
        }
        return serials;
    }
    const util::ProgressBarModel& PB2() { return world_.Runtime().MainWindow().PB2; }

    store_test::StoreWorld world_;
};

TEST_P(PointHistoryTest, RowsOfATransactionAreNumberedInUpdateOrder) {
    MakeHistory({
        {"'20200101'", "'0001'", "1"},
        {"'20200101'", "'0001'", "2"},
        {"'20200101'", "'0002'", "1"},
        {"'20200102'", "'0002'", "1"},
        {"'20200101'", "'0001'", "3"},  // the first transaction again, not adjacent: 1 again
        {"'20200103'", "'0''1'", "1"},
        {"'20200103'", "'0''1'", "2"},
    });
    repairs::NumberPointHistory(world_.Runtime());
    EXPECT_EQ(Serials(), (std::vector<std::string>{"1", "2", "1", "1", "1", "1", "2"}));
    EXPECT_EQ(PB2().max, 7);
    EXPECT_EQ(PB2().value, 7);
}

TEST_P(PointHistoryTest, RowsAgreeingInDateNumberAndKindEndWithTheLastNumber) {
    MakeHistory({
        {"'20200101'", "'0001'", "1"},
        {"'20200101'", "'0001'", "1"},
    });
    repairs::NumberPointHistory(world_.Runtime());
    EXPECT_EQ(Serials(), (std::vector<std::string>{"2", "2"}));
}

TEST_P(PointHistoryTest, AFirstRowWithoutDateAndNumberKeepsSerialZero) {
    MakeHistory({
        {"''", "''", "1"},
        {"''", "''", "2"},
        {"'20200101'", "'0001'", "1"},
    });
    repairs::NumberPointHistory(world_.Runtime());
    EXPECT_EQ(Serials(), (std::vector<std::string>{"0", "1", "1"}));
}

TEST_P(PointHistoryTest, AnEmptyHistoryLeavesTheBarAsItWas) {
    MakeHistory({});
    world_.Runtime().MainWindow().SetPB2(40, 12);
    repairs::NumberPointHistory(world_.Runtime());
    EXPECT_EQ(PB2().max, 40);
    EXPECT_EQ(PB2().value, 12);
}

TEST_P(PointHistoryTest, ErrorsReachTheCaller) {
    world_.Make(
        {"CREATE TABLE 사은점수이력 (작업일자 VARCHAR(8), 작업번호 VARCHAR(6), 사용구분 "
         "SMALLINT, UP_DATE DATETIME)"});
    world_.Execute("INSERT INTO 사은점수이력 VALUES ('20200101', '0001', 1, '2020-01-01')");
    EXPECT_THROW(repairs::NumberPointHistory(world_.Runtime()), db::DbError);
}

INSTANTIATE_TEST_SUITE_P(BothKinds, PointHistoryTest, ::testing::Values(Kind::Mdb, Kind::SqlServer),
                         [](const auto& info) { return store_test::KindName(info.param); });

}  // namespace
