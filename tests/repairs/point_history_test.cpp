#include "repairs/point_history.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "repairs/store_world.h"

namespace {

using store_test::Kind;
using Rows = std::vector<std::vector<std::string>>;

class PointHistoryTest : public ::testing::TestWithParam<Kind> {};

// Rows (작업일자, 작업번호, 사용구분) with UP_DATE rising in the order given; the iSn of every row
// after numbering, in UP_DATE order ("-" for Null), then the bar's maximum and value.
std::vector<std::string> Numbered(Kind kind, const Rows& rows) {
    store_test::StoreWorld world(kind);
    std::vector<std::string> sql = {
        "CREATE TABLE 사은점수이력 (작업일자 VARCHAR(8), 작업번호 VARCHAR(6), 사용구분 "
        "SMALLINT, UP_DATE DATETIME, iSn SMALLINT)",
    };
    int minute = 10;
    for (const auto& row : rows) {
        sql.push_back("INSERT INTO 사은점수이력 (작업일자, 작업번호, 사용구분, UP_DATE) VALUES (" +
                      row[0] + ", " + row[1] + ", " + row[2] +
                      ", '2020-01-01 10:" + std::to_string(minute++) + ":00')");
    }
    world.Make(sql);
    world.Runtime().MainWindow().SetPB2(40, 12);
    repairs::NumberPointHistory(world.Runtime());
    db::RecordSet rs;
    rs.Open("SELECT iSn FROM 사은점수이력 ORDER BY UP_DATE", *world.Runtime().StoreConnection);
    std::vector<std::string> serials;
    for (; !rs.Eof(); rs.MoveNext()) serials.push_back(rs[0].IsNull() ? "-" : rs[0].AsText());
    const util::ProgressBarModel& bar = world.Runtime().MainWindow().PB2;
    serials.push_back(std::to_string(bar.max) + "/" + std::to_string(bar.value));
    return serials;
}

// Rows of a transaction (date, number) are numbered in UP_DATE order; rows agreeing in kind too
// end with the last number; a first row without date and number keeps serial zero; an empty
// history leaves the bar as it was.
TEST_P(PointHistoryTest, RowsOfATransactionAreNumberedInUpdateOrder) {
    struct Case {
        Rows rows;
        std::vector<std::string> serials;
    };
    const Case cases[] = {
        {{{"'20200101'", "'0001'", "1"},
          {"'20200101'", "'0001'", "2"},
          {"'20200101'", "'0002'", "1"},
          {"'20200102'", "'0002'", "1"},
          {"'20200101'", "'0001'", "3"},  // the first transaction again, not adjacent: 1 again
          {"'20200103'", "'0''1'", "1"},
          {"'20200103'", "'0''1'", "2"}},
         {"1", "2", "1", "1", "1", "1", "2", "7/7"}},
        {{{"'20200101'", "'0001'", "1"}, {"'20200101'", "'0001'", "1"}}, {"2", "2", "2/2"}},
        {{{"''", "''", "1"}, {"''", "''", "2"}, {"'20200101'", "'0001'", "1"}},
         {"0", "1", "1", "3/3"}},
        {{}, {"40/12"}},
    };
    for (const Case& c : cases) EXPECT_EQ(Numbered(GetParam(), c.rows), c.serials);
}

TEST_P(PointHistoryTest, ErrorsReachTheCaller) {
    store_test::StoreWorld world(GetParam());
    world.Make(
        {"CREATE TABLE 사은점수이력 (작업일자 VARCHAR(8), 작업번호 VARCHAR(6), 사용구분 "
         "SMALLINT, UP_DATE DATETIME)",
         "INSERT INTO 사은점수이력 VALUES ('20200101', '0001', 1, '2020-01-01')"});
    EXPECT_THROW(repairs::NumberPointHistory(world.Runtime()), db::DbError);
}

INSTANTIATE_TEST_SUITE_P(BothKinds, PointHistoryTest, ::testing::Values(Kind::Mdb, Kind::SqlServer),
                         [](const auto& info) { return store_test::KindName(info.param); });

}  // namespace
