#include "patch/schema_checks.h"

#include <gtest/gtest.h>

#include "repairs/store_world.h"

namespace {

using store_test::Kind;

int ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const db::DbError& e) {
        return e.Number();
    }
    return 0;
}

class SchemaChecksTest : public ::testing::TestWithParam<Kind> {
  protected:
    SchemaChecksTest() : world_(GetParam()) {
        world_.Make({"CREATE TABLE 사용상품 (제품코드 VARCHAR(10), SCPCODE VARCHAR(10))",
                     "CREATE TABLE Patch_Hist (날짜 VARCHAR(8))"});
    }
    db::ConnectionRef& Store() { return world_.Runtime().StoreConnection; }
    store_test::StoreWorld world_;
};

INSTANTIATE_TEST_SUITE_P(BothKinds, SchemaChecksTest, ::testing::Values(Kind::Mdb, Kind::SqlServer),
                         [](const auto& info) { return store_test::KindName(info.param); });

TEST_P(SchemaChecksTest, MissingTablesAndConnectionsRaiseTheirErrors) {
    EXPECT_EQ(ErrorOf([&] { patch::FieldExists(Store(), "없는표", "열"); }), 3265);
    db::ConnectionRef none;
    EXPECT_EQ(ErrorOf([&] { patch::TableExists(none, "사용상품"); }), 91);
    EXPECT_EQ(ErrorOf([&] { patch::FieldExists(none, "사용상품", "SCPCODE"); }), 91);
    Store()->Close();
    EXPECT_EQ(ErrorOf([&] { patch::TableExists(Store(), "사용상품"); }), 3704);
}

}  // namespace
