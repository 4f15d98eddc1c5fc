#include "repairs/toolbar_menus.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "repairs/store_world.h"

namespace {

using store_test::Kind;

class ToolbarMenusTest : public ::testing::TestWithParam<Kind> {
  protected:
    ToolbarMenusTest() : world_(GetParam()) {}

    void MakeToolbar(const std::vector<int>& ids) {
        std::vector<std::string> sql = {
            "CREATE TABLE 툴바설정 (ID INT, 메뉴명 VARCHAR(20), 메뉴설명 VARCHAR(100), 사용 "
            "SMALLINT, 선택가능 SMALLINT, 구분선 SMALLINT)",
        };
        for (int id : ids) {
            const std::string n = std::to_string(id);
            sql.push_back("INSERT INTO 툴바설정 VALUES (" + n + ", '메뉴" + n + "', '설명" + n +
                          "', 1, 1, 0)");
        }
        world_.Make(sql);
    }
    // Every row as "ID:메뉴명:메뉴설명:사용:선택가능:구분선", by ID.
    std::vector<std::string> Rows() {
        db::RecordSet rs;
        rs.Open("SELECT ID, 메뉴명, 메뉴설명, 사용, 선택가능, 구분선 FROM 툴바설정 ORDER BY ID",
                *world_.Runtime().StoreConnection);
        std::vector<std::string> rows;
        for (; !rs.Eof(); rs.MoveNext()) {
            std::string row;
            for (int i = 0; i < rs.FieldCount(); ++i) row += (i ? ":" : "") + rs[i].AsText();
            rows.push_back(row);
        }
        return rows;
    }

    store_test::StoreWorld world_;
};

TEST_P(ToolbarMenusTest, RenameGivesTheFiveButtonsTheirNamesAndChangesOnlyRowsThatExist) {
    MakeToolbar({1, 2, 3, 9, 10, 11, 12});
    repairs::RenameToolbarMenus(world_.Runtime());
    EXPECT_EQ(Rows(), (std::vector<std::string>{
                          "1:메뉴1:설명1:1:1:0",
                          "2:매입전표:키보드 입력 방식으로 매입전표를 입력하는 화면:1:1:0",
                          "3:메뉴3:설명3:1:1:0",
                          "9:재고현황:설명9:1:1:0",
                          "10:판매결제:일반판매의 판매결제를 집계하는 화면:1:1:0",
                          "11:매입매출:일반판매의 매입매출을 집계하는 화면:1:1:0",
                          "12:메뉴12:설명12:1:1:0",
                      }));
    world_.Execute("INSERT INTO 툴바설정 VALUES (5, '출고전표', '설명5', 1, 1, 0)");
    repairs::RenameToolbarMenus(world_.Runtime());
    EXPECT_EQ(world_.Scalar("SELECT 메뉴명 FROM 툴바설정 WHERE ID = 5"), "상품별관리");
}

TEST_P(ToolbarMenusTest, InsertMovesAdjacentButtonsWithoutMergingThem) {
    // Moving by two from the top down: 4 must go to 6 before 2 comes to 4.
    MakeToolbar({0, 1, 2, 4, 5, 7});
    repairs::InsertPrescriptionMenu(world_.Runtime());
    std::vector<std::string> names;
    for (const std::string& row : Rows())
        names.push_back(row.substr(0, row.find(':', row.find(':') + 1)));
    EXPECT_EQ(names, (std::vector<std::string>{"0:메뉴0", "1:메뉴1", "2:처방조제", "3:--------0",
                                               "4:메뉴2", "6:메뉴4", "7:메뉴5", "9:메뉴7"}));
}

TEST_P(ToolbarMenusTest, ErrorsReachTheCaller) {
    world_.Make({"CREATE TABLE 다른표 (ID INT)"});
    EXPECT_THROW(repairs::RenameToolbarMenus(world_.Runtime()), db::DbError);
    EXPECT_THROW(repairs::InsertPrescriptionMenu(world_.Runtime()), db::DbError);
}

INSTANTIATE_TEST_SUITE_P(BothKinds, ToolbarMenusTest, ::testing::Values(Kind::Mdb, Kind::SqlServer),
                         [](const auto& info) { return store_test::KindName(info.param); });

}  // namespace
