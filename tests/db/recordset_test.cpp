#include "db/recordset.h"

#include <gtest/gtest.h>

#include "db/ado_world.h"

namespace db_test {
namespace {

class RecordSetTest : public ItemsMdbWorld {};

TEST_F(RecordSetTest, StaticSetIsASnapshotWithNavigation) {
    auto cn = OpenMdb();
    db::RecordSet rs;
    rs.Open("SELECT 코드, 수량 FROM 품목 ORDER BY 수량", *cn);
    ASSERT_EQ(rs.State(), db::ObjectState::Open);
    EXPECT_EQ(rs.RecordCount(), 3);
    EXPECT_FALSE(rs.Bof());
    EXPECT_EQ(rs["코드"].AsText(), "A1");
    EXPECT_EQ(rs["수량"].AsInt(), 3);
    EXPECT_EQ(rs.FieldCount(), 2);
    EXPECT_EQ(rs.FieldName(1), "수량");
    rs.MoveLast();
    EXPECT_EQ(rs[0].AsText(), "B3");
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof());
    EXPECT_EQ(NumberOf([&] { rs.MoveNext(); }), 3021);
    EXPECT_EQ(NumberOf([&] { rs[0]; }), 3021);
    rs.MoveFirst();
    EXPECT_EQ(rs[0].AsText(), "A1");

    cn->Execute("DELETE FROM 품목");  // the snapshot keeps its rows
    EXPECT_EQ(rs.RecordCount(), 3);
}

TEST_F(RecordSetTest, FieldsByNameIgnoreLetterCase) {
    auto cn = OpenMdb();
    cn->Execute("CREATE TABLE Mixed (CodeName TEXT(5))");
    cn->Execute("INSERT INTO Mixed VALUES ('x')");
    db::RecordSet rs;
    rs.Open("SELECT CodeName FROM Mixed", *cn);
    EXPECT_EQ(rs["codename"].AsText(), "x");
    EXPECT_EQ(rs["CODENAME"].AsText(), "x");
    EXPECT_EQ(NumberOf([&] { rs["Code"]; }), db::ErrorNumber::kItemNotFound);
    EXPECT_EQ(NumberOf([&] { rs[5]; }), db::ErrorNumber::kItemNotFound);
}

TEST_F(RecordSetTest, EmptySetIsBothBofAndEof) {
    auto cn = OpenMdb();
    db::RecordSet rs;
    rs.Open("SELECT * FROM 품목 WHERE 수량 > 100", *cn);
    EXPECT_TRUE(rs.Bof());
    EXPECT_TRUE(rs.Eof());
    EXPECT_EQ(rs.RecordCount(), 0);
}

TEST_F(RecordSetTest, ForwardOnlySetStreams) {
    auto cn = OpenMdb();
    db::RecordSet rs;
    rs.Open("SELECT 코드 FROM 품목 ORDER BY 코드", *cn, db::CursorType::kForwardOnly);
    EXPECT_EQ(rs.RecordCount(), -1);
    std::vector<std::string> codes;
    for (; !rs.Eof(); rs.MoveNext()) codes.push_back(rs["코드"].AsText());
    EXPECT_EQ(codes, (std::vector<std::string>{"A1", "a2", "B3"}));
    EXPECT_NE(NumberOf([&] { rs.MoveFirst(); }), 0);  // no fetching backward
}

TEST_F(RecordSetTest, CloseOpenAndReopenRules) {
    auto cn = OpenMdb();
    db::RecordSet rs;
    rs.Close();  // closed already: harmless
    rs.Open("SELECT * FROM 품목", *cn);
    EXPECT_EQ(NumberOf([&] { rs.Open("SELECT * FROM 품목", *cn); }), kObjectOpen);
    rs.Close();
    rs.Close();
    EXPECT_EQ(rs.State(), db::ObjectState::Closed);
    EXPECT_EQ(NumberOf([&] { rs.RecordCount(); }), kObjectClosed);
    EXPECT_EQ(NumberOf([&] { rs.Eof(); }), kObjectClosed);
    rs.Open("SELECT * FROM 품목", *cn);  // a closed set opens again
    EXPECT_EQ(rs.RecordCount(), 3);
}

TEST_F(RecordSetTest, FailedOpenLeavesTheSetClosedAndRecordsOnTheConnection) {
    auto cn = OpenMdb();
    db::RecordSet rs;
    EXPECT_EQ(NumberOf([&] { rs.Open("SELECT * FROM 없는표", *cn); }),
              db::ErrorNumber::kTableMissing);
    EXPECT_EQ(rs.State(), db::ObjectState::Closed);
    EXPECT_EQ(cn->Errors().front().number, db::ErrorNumber::kTableMissing);
}

TEST_F(RecordSetTest, ActionStatementLeavesTheSetClosed) {
    auto cn = OpenMdb();
    db::RecordSet rs;
    rs.Open("UPDATE 품목 SET 수량 = 1", *cn);
    EXPECT_EQ(rs.State(), db::ObjectState::Closed);
    EXPECT_EQ(Count(cn, "품목 WHERE 수량 = 1"), 3);
}

}  // namespace
}  // namespace db_test
