#include "db/connection.h"

#include <gtest/gtest.h>

#include "db/ado_world.h"

namespace db_test {
namespace {

class ConnectionTest : public ItemsMdbWorld {};

TEST_F(ConnectionTest, ExecutesAndCountsAffectedRows) {
    auto cn = OpenMdb();
    EXPECT_EQ(cn->State(), db::ObjectState::Open);
    EXPECT_EQ(cn->SqlDialect(), db::Dialect::Jet);
    EXPECT_EQ(cn->Execute("UPDATE 품목 SET 수량 = 0 WHERE 수량 > 4"), 2);
    EXPECT_EQ(cn->Execute("CREATE TABLE 빈표 (X LONG)"), 0);
}

TEST_F(ConnectionTest, ClosedConnectionRefusesWorkAndRecordsIt) {
    auto cn = OpenMdb();
    cn->Close();
    cn->Close();  // harmless
    EXPECT_EQ(NumberOf([&] { cn->Execute("DELETE FROM 품목"); }), kObjectClosed);
    ASSERT_FALSE(cn->Errors().empty());
    EXPECT_EQ(cn->Errors().front().number, kObjectClosed);
    db::RecordSet rs;
    EXPECT_EQ(NumberOf([&] { rs.Open("SELECT * FROM 품목", *cn); }), kObjectClosed);
    EXPECT_EQ(NumberOf([&] { cn->Engine(); }), kObjectClosed);
}

TEST_F(ConnectionTest, OpeningAnOpenConnectionFails) {
    auto cn = OpenMdb();
    EXPECT_EQ(NumberOf([&] { cn->Open(); }), kObjectOpen);
    EXPECT_EQ(cn->State(), db::ObjectState::Open);  // the first session stays
    EXPECT_EQ(Count(cn, "품목"), 3);
}

TEST_F(ConnectionTest, ErrorsHoldTheLatestFailureUntilTheNextSuccess) {
    auto cn = OpenMdb();
    EXPECT_NE(NumberOf([&] { cn->Execute("SELECT * FROM 없는표"); }), 0);
    ASSERT_EQ(cn->Errors().size(), 1u);
    EXPECT_EQ(cn->Errors().front().number, db::ErrorNumber::kTableMissing);
    EXPECT_NE(NumberOf([&] { cn->Execute("SELEKT 1"); }), 0);
    ASSERT_EQ(cn->Errors().size(), 1u);
    EXPECT_EQ(cn->Errors().front().number, db::ErrorNumber::kSyntax);
    cn->Execute("DELETE FROM 품목 WHERE 코드 = 'zz'");
    EXPECT_TRUE(cn->Errors().empty());
}

TEST_F(ConnectionTest, OpenFailuresAreRecordedAndLeaveItClosed) {
    auto cn = std::make_shared<db::Connection>(router_);
    cn->ConnectionString = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\없음\\x.mdb";
    EXPECT_EQ(NumberOf([&] { cn->Open(); }), db::ErrorNumber::kUnspecified);
    EXPECT_EQ(cn->State(), db::ObjectState::Closed);
    ASSERT_FALSE(cn->Errors().empty());
    EXPECT_NE(cn->Errors().front().description.find("C:\\없음\\x.mdb"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(Native("C:\\없음\\x.mdb")));  // never created
}

}  // namespace
}  // namespace db_test
