#include "repairs/fix_order_pack_quantities.h"

#include <gtest/gtest.h>

#include "repairs/store_world.h"

namespace {

using store_test::Kind;
using store_test::KindName;

std::vector<std::string> OrderTables(const std::vector<std::string>& rows) {
    std::vector<std::string> sql = store_test::OrderTablesSql();
    sql.insert(sql.end(),
               {
                   "INSERT INTO 확장바코드 VALUES ('P1', 'B1', 10, 0)",
                   "INSERT INTO 확장바코드 VALUES ('P2', 'B2', 6, 0)",
                   "INSERT INTO 전표마스터 VALUES ('20200101', '000001', '발주전표 자동', 0)",
                   "INSERT INTO 전표마스터 VALUES ('20200101', '000002', '입고', 0)",
               });
    sql.insert(sql.end(), rows.begin(), rows.end());
    return sql;
}

std::string PackOf(store_test::StoreWorld& world, int line) {
    return world.Scalar("SELECT 확장포장수량 FROM 입출상품 WHERE 일련번호 = " +
                        std::to_string(line));
}

TEST(FixOrderPackQuantities, SqlServerCorrectsOnlyOrderLinesWhosePackageMatchesCodeAndProduct) {
    store_test::StoreWorld world(Kind::SqlServer);
    world.Make(OrderTables({
        "INSERT INTO 입출상품 VALUES ('20200101', '000001', 1, 'P1', 'B1', 1, 0, 0)",  // fixed
        "INSERT INTO 입출상품 VALUES ('20200101', '000002', 2, 'P1', 'B1', 1, 0, 0)",  // not order
        "INSERT INTO 입출상품 VALUES ('20200101', '000001', 3, 'P1', 'B1', 1, 1, 0)",  // other kind
        "INSERT INTO 입출상품 VALUES ('20200101', '000001', 4, 'P9', 'B2', 1, 0, 0)",  // product
        "INSERT INTO 입출상품 VALUES ('20200101', '000001', 5, 'P1', 'B1', 2, 0, 0)",  // not 1
        "INSERT INTO 입출상품 VALUES ('20200101', '000001', 6, 'P1', 'B1', 1, 0, 1)",  // deleted
    }));
    EXPECT_EQ(repairs::FixOrderPackQuantities(world.Runtime()), 1);
    const std::pair<int, const char*> expected[] = {{1, "10"}, {2, "1"}, {3, "1"},
                                                    {4, "1"},  {5, "2"}, {6, "1"}};
    for (const auto& [line, pack] : expected) EXPECT_EQ(PackOf(world, line), pack) << line;
    EXPECT_EQ(repairs::FixOrderPackQuantities(world.Runtime()), 0);
}

TEST(FixOrderPackQuantities, NothingFoundRunsNoUpdateOnEitherKind) {
    for (Kind kind : {Kind::Mdb, Kind::SqlServer}) {
        store_test::StoreWorld world(kind);
        world.Make(OrderTables({
            "INSERT INTO 입출상품 VALUES ('20200101', '000002', 1, 'P1', 'B1', 1, 0, 0)",
        }));
        EXPECT_EQ(repairs::FixOrderPackQuantities(world.Runtime()), 0) << KindName(kind);
    }
}

TEST(FixOrderPackQuantities, TheJoinedUpdateIsRefusedByAnMdbDatabase) {
    store_test::StoreWorld world(Kind::Mdb);
    world.Make(OrderTables({
        "INSERT INTO 입출상품 VALUES ('20200101', '000001', 1, 'P1', 'B1', 1, 0, 0)",
    }));
    try {
        repairs::FixOrderPackQuantities(world.Runtime());
        FAIL() << "the update ran";
    } catch (const db::DbError& e) {
        EXPECT_EQ(e.Number(), db::ErrorNumber::kSyntax);
    }
    EXPECT_EQ(PackOf(world, 1), "1");
}

}  // namespace
