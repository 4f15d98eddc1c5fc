#include "patch/column_widening.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "patch/patch_world.h"

namespace {

using patch_test::Kind;
using patch_test::PatchWorld;

// The store tables with a product layout from before the widening: 제품명 and 바코드 of
// 사용상품 indexed, 발주상품's 제품명 without its index, and no HandyData, 창고입출상품 or the
// other product copies.
std::vector<std::string> NarrowProductColumns() {
    std::vector<std::string> sql;
    for (const char* column :
         {"CHK_MEMO VARCHAR(100)", "제품명 VARCHAR(50)", "규격 VARCHAR(40)",
          "바코드캡션 VARCHAR(50)", "바코드 VARCHAR(13)", "중복바코드 VARCHAR(13)",
          "무게등록일자 VARCHAR(8)", "재고메모 VARCHAR(20)", "유효기간 VARCHAR(8)"}) {
        sql.push_back(std::string("ALTER TABLE 사용상품 ADD ") + column);
    }
    for (const char* column :
         {"상품위치 VARCHAR(50)", "CHK_MEMO VARCHAR(100)", "중복바코드 VARCHAR(13)",
          "바코드 VARCHAR(13)", "무게등록일자 VARCHAR(8)", "재고메모 VARCHAR(20)"}) {
        sql.push_back(std::string("ALTER TABLE 확장바코드 ADD ") + column);
    }
    sql.push_back("ALTER TABLE 입출상품 ADD 제품명 VARCHAR(50)");
    sql.push_back("CREATE INDEX 제품명 ON 사용상품 (제품명)");
    sql.push_back("CREATE INDEX 바코드 ON 사용상품 (바코드)");
    sql.push_back("CREATE TABLE 발주상품 (제품코드 VARCHAR(10), 제품명 VARCHAR(50))");
    sql.push_back(
        "INSERT INTO 사용상품 (제품코드, 제품명, 바코드, DEL_CHK) VALUES ('P1', '타이레놀', "
        "'8801234567890', 0)");
    return sql;
}

class ColumnWideningTest : public ::testing::TestWithParam<Kind> {
  protected:
    ColumnWideningTest() : world_(GetParam()) {
        world_.MakeStore(NarrowProductColumns());
        world_.Runtime().Ado().router->Trace().Observe([this](const db::TracedStatement& s) {
            if (!s.query) executed_.emplace_back(s.sql);
        });
    }

    // "TYPE(size)" of the column, "" when it is missing.
    std::string Type(const std::string& table, const std::string& column) {
        for (const auto& c : world_.Columns(table)) {
            if (c.name == column) return c.typeName + "(" + std::to_string(c.size) + ")";
        }
        return "";
    }

    bool Indexed(const std::string& table, const std::string& index) {
        const auto indexes = world_.Runtime().StoreConnection->Engine().SchemaInfo().Indexes(table);
        return std::any_of(indexes.begin(), indexes.end(),
                           [&](const db::IndexInfo& i) { return i.name == index; });
    }

    // Every column and index of the tables the widening touches.
    std::string Layout() {
        std::string text;
        for (const char* table : {"사용상품", "확장바코드", "발주상품", "입출상품"}) {
            text += table;
            for (const auto& c : world_.Columns(table)) {
                text += " " + c.name + ":" + c.typeName + "(" + std::to_string(c.size) + ")";
            }
            for (const auto& i :
                 world_.Runtime().StoreConnection->Engine().SchemaInfo().Indexes(table)) {
                text += " [" + i.name + "]";
            }
            text += "\n";
        }
        return text;
    }

    std::size_t Yields() {
        return world_.Desktop().CallsOf(host::ScriptedDesktop::CallKind::DoEvents).size();
    }

    PatchWorld world_;
    std::vector<std::string> executed_;
};

INSTANTIATE_TEST_SUITE_P(BothKinds, ColumnWideningTest,
                         ::testing::Values(Kind::Mdb, Kind::SqlServer),
                         [](const auto& info) { return store_test::KindName(info.param); });

TEST_P(ColumnWideningTest, RetypingSendsEachStatementWithoutYielding) {
    patch::ChangeProductColumnTypes(world_.Runtime());
    EXPECT_EQ(executed_.size(), 6u);
    EXPECT_EQ(Yields(), 0u);
    EXPECT_EQ(Type("사용상품", "중복바코드"), "NVARCHAR(16)");
    EXPECT_EQ(Type("확장바코드", "재고메모"), "NVARCHAR(40)");
    EXPECT_EQ(Type("확장바코드", "무게등록일자"), "VARCHAR(10)");
}

TEST_P(ColumnWideningTest, WideningGoesPastEveryFailingStatement) {
    patch::ChangeProductColumnTypes(world_.Runtime());
    patch::WidenProductColumns(world_.Runtime());
    // All 31 statements were sent and each was followed by a yield, although HandyData and four
    // other tables are missing and 발주상품 has no index to drop.
    EXPECT_EQ(executed_.size(), 6u + 31u);
    EXPECT_EQ(Yields(), 31u);
    EXPECT_EQ(executed_.back(), "ALTER TABLE 확장바코드 ADD 규격 VARCHAR(100) NULL");
    EXPECT_EQ(Type("확장바코드", "규격"), "VARCHAR(100)");
    EXPECT_EQ(Type("사용상품", "CHK_MEMO"), "VARCHAR(500)");
    EXPECT_EQ(Type("입출상품", "제품명"), "VARCHAR(100)");
    EXPECT_EQ(Type("확장바코드", "상품위치"), "NVARCHAR(100)");
    // The later VARCHAR(16) replaces the NVARCHAR(16) of the retyping.
    EXPECT_EQ(Type("사용상품", "중복바코드"), "VARCHAR(16)");
    EXPECT_EQ(Type("확장바코드", "중복바코드"), "VARCHAR(16)");
}

TEST_P(ColumnWideningTest, IndexedColumnsAreWidenedAndReindexed) {
    patch::WidenProductColumns(world_.Runtime());
    EXPECT_EQ(Type("사용상품", "제품명"), "VARCHAR(100)");
    EXPECT_TRUE(Indexed("사용상품", "제품명"));
    EXPECT_EQ(Type("사용상품", "바코드"), "VARCHAR(16)");
    EXPECT_TRUE(Indexed("사용상품", "바코드"));
    // DROP INDEX failed (no index): the column is widened all the same, and on a server the
    // index is created. An MDB file refuses the server's index texts (t.i, ON [PRIMARY]), so
    // there the existing indexes stay as they were and none is added.
    EXPECT_EQ(Type("발주상품", "제품명"), "VARCHAR(100)");
    EXPECT_EQ(Indexed("발주상품", "제품명"), GetParam() == Kind::SqlServer);
    EXPECT_EQ(world_.Scalar("SELECT 제품명 FROM 사용상품 WHERE 바코드 = '8801234567890'"),
              "타이레놀");
}

TEST_P(ColumnWideningTest, ASecondCallLeavesTheSameLayout) {
    patch::WidenProductColumns(world_.Runtime());
    const std::string once = Layout();
    patch::WidenProductColumns(world_.Runtime());
    EXPECT_EQ(Layout(), once);
}

}  // namespace
