// ADO's Connection, RecordSet and transaction methods, and the guard that rolls back what it
// does not commit, on the items MDB of the embedded engine.
#include <gtest/gtest.h>

#include <stdexcept>

#include "db/ado_world.h"
#include "db/connection.h"
#include "db/recordset.h"
#include "db/transaction_guard.h"

namespace db_test {
namespace {

constexpr std::int32_t kTransactionExists = static_cast<std::int32_t>(0x8004D013);
constexpr std::int32_t kNoTransaction = static_cast<std::int32_t>(0x8004D00E);

class AdoObjectsTest : public ItemsMdbWorld {
  protected:
    void SetUp() override {
        ItemsMdbWorld::SetUp();
        cn_ = OpenMdbConnection();
    }
    void AddItem(const std::string& code) {
        cn_->Execute("INSERT INTO 품목 VALUES ('" + code + "', '새약', 1)");
    }
    // The rows as another program sees them: through a connection of its own.
    std::int64_t CommittedCount() {
        auto other = OpenMdbConnection();
        return Count(other, "품목");
    }
};

TEST_F(AdoObjectsTest, ConnectionExecutesAndRefusesWorkWhenClosed) {
    EXPECT_EQ(cn_->SqlDialect(), db::Dialect::Jet);
    EXPECT_EQ(cn_->Execute("UPDATE 품목 SET 수량 = 0 WHERE 수량 > 4"), 2);
    EXPECT_EQ(cn_->Execute("CREATE TABLE 빈표 (X LONG)"), 0);
    EXPECT_EQ(NumberOf([&] { cn_->Open(); }), kObjectOpen);
    EXPECT_EQ(cn_->State(), db::ObjectState::Open);  // the first session stays

    cn_->Close();
    cn_->Close();  // harmless
    EXPECT_EQ(NumberOf([&] { cn_->Execute("DELETE FROM 품목"); }), kObjectClosed);
    ASSERT_FALSE(cn_->Errors().empty());
    EXPECT_EQ(cn_->Errors().front().number, kObjectClosed);
    db::RecordSet rs;
    EXPECT_EQ(NumberOf([&] { rs.Open("SELECT * FROM 품목", *cn_); }), kObjectClosed);
    EXPECT_EQ(NumberOf([&] { cn_->Engine(); }), kObjectClosed);
    EXPECT_EQ(NumberOf([&] { cn_->BeginTrans(); }), kObjectClosed);
}

TEST_F(AdoObjectsTest, ErrorsHoldTheLatestFailureUntilTheNextSuccess) {
    EXPECT_NE(NumberOf([&] { cn_->Execute("SELECT * FROM 없는표"); }), 0);
    ASSERT_EQ(cn_->Errors().size(), 1u);
    EXPECT_EQ(cn_->Errors().front().number, db::ErrorNumber::kTableMissing);
    EXPECT_NE(NumberOf([&] { cn_->Execute("SELEKT 1"); }), 0);
    ASSERT_EQ(cn_->Errors().size(), 1u);
    EXPECT_EQ(cn_->Errors().front().number, db::ErrorNumber::kSyntax);
    cn_->Execute("DELETE FROM 품목 WHERE 코드 = 'zz'");
    EXPECT_TRUE(cn_->Errors().empty());

    auto failed = std::make_shared<db::Connection>(router_);
    failed->ConnectionString = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\없음\\x.mdb";
    EXPECT_EQ(NumberOf([&] { failed->Open(); }), db::ErrorNumber::kUnspecified);
    EXPECT_EQ(failed->State(), db::ObjectState::Closed);
    ASSERT_FALSE(failed->Errors().empty());
    EXPECT_NE(failed->Errors().front().description.find("C:\\없음\\x.mdb"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(Native("C:\\없음\\x.mdb")));  // never created
}

TEST_F(AdoObjectsTest, StaticSetIsASnapshotWithNavigation) {
    cn_->Execute("CREATE TABLE Mixed (CodeName TEXT(5))");
    cn_->Execute("INSERT INTO Mixed VALUES ('x')");
    db::RecordSet mixed;
    mixed.Open("SELECT CodeName FROM Mixed", *cn_);
    EXPECT_EQ(mixed["codename"].AsText(), "x");  // fields by name ignore letter case
    EXPECT_EQ(mixed["CODENAME"].AsText(), "x");

    db::RecordSet rs;
    rs.Open("SELECT 코드, 수량 FROM 품목 ORDER BY 수량", *cn_);
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
    cn_->Execute("DELETE FROM 품목 WHERE 수량 > 4");  // the snapshot keeps its rows
    EXPECT_EQ(rs.RecordCount(), 3);
    EXPECT_EQ(NumberOf([&] { rs["Code"]; }), db::ErrorNumber::kItemNotFound);
    EXPECT_EQ(NumberOf([&] { rs[5]; }), db::ErrorNumber::kItemNotFound);

    db::RecordSet empty;
    empty.Open("SELECT * FROM 품목 WHERE 수량 > 100", *cn_);
    EXPECT_TRUE(empty.Bof());
    EXPECT_TRUE(empty.Eof());
    EXPECT_EQ(empty.RecordCount(), 0);
}

TEST_F(AdoObjectsTest, ForwardOnlySetStreams) {
    db::RecordSet rs;
    rs.Open("SELECT 코드 FROM 품목 ORDER BY 코드", *cn_, db::CursorType::kForwardOnly);
    EXPECT_EQ(rs.RecordCount(), -1);
    std::vector<std::string> codes;
    for (; !rs.Eof(); rs.MoveNext()) codes.push_back(rs["코드"].AsText());
    EXPECT_EQ(codes, (std::vector<std::string>{"A1", "a2", "B3"}));
    EXPECT_NE(NumberOf([&] { rs.MoveFirst(); }), 0);  // no fetching backward
}

TEST_F(AdoObjectsTest, RecordSetOpenAndCloseRules) {
    db::RecordSet rs;
    rs.Close();  // closed already: harmless
    rs.Open("SELECT * FROM 품목", *cn_);
    EXPECT_EQ(NumberOf([&] { rs.Open("SELECT * FROM 품목", *cn_); }), kObjectOpen);
    rs.Close();
    rs.Close();
    EXPECT_EQ(rs.State(), db::ObjectState::Closed);
    EXPECT_EQ(NumberOf([&] { rs.RecordCount(); }), kObjectClosed);
    EXPECT_EQ(NumberOf([&] { rs.Eof(); }), kObjectClosed);
    rs.Open("SELECT * FROM 품목", *cn_);  // a closed set opens again
    EXPECT_EQ(rs.RecordCount(), 3);
    rs.Close();

    // A failed open leaves the set closed and records on the connection; so does an action.
    EXPECT_EQ(NumberOf([&] { rs.Open("SELECT * FROM 없는표", *cn_); }),
              db::ErrorNumber::kTableMissing);
    EXPECT_EQ(rs.State(), db::ObjectState::Closed);
    EXPECT_EQ(cn_->Errors().front().number, db::ErrorNumber::kTableMissing);
    rs.Open("UPDATE 품목 SET 수량 = 1", *cn_);
    EXPECT_EQ(rs.State(), db::ObjectState::Closed);
    EXPECT_EQ(Count(cn_, "품목 WHERE 수량 = 1"), 3);
}

TEST_F(AdoObjectsTest, TransactionMisuseIsRefusedAndRecorded) {
    EXPECT_EQ(NumberOf([&] { cn_->CommitTrans(); }), kNoTransaction);
    EXPECT_EQ(cn_->Errors().front().number, kNoTransaction);
    EXPECT_EQ(NumberOf([&] { cn_->RollbackTrans(); }), kNoTransaction);
    cn_->BeginTrans();
    AddItem("C1");
    EXPECT_EQ(NumberOf([&] { cn_->BeginTrans(); }), kTransactionExists);
    EXPECT_TRUE(cn_->InTransaction());  // the first one goes on
    cn_->CommitTrans();
    EXPECT_EQ(CommittedCount(), 4);
}

TEST_F(AdoObjectsTest, GuardRollsBackUnlessCommitted) {
    try {
        db::TransactionGuard guard(*cn_);
        AddItem("C1");
        throw std::runtime_error("the caller's work failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(cn_->InTransaction());
    EXPECT_EQ(Count(cn_, "품목"), 3);
    {
        db::TransactionGuard guard(*cn_);
        AddItem("C2");
        guard.Commit();
    }
    EXPECT_EQ(CommittedCount(), 4);
    {
        db::TransactionGuard guard(*cn_);
        AddItem("C3");
        guard.Rollback();
    }
    EXPECT_EQ(Count(cn_, "품목"), 4);
}

TEST_F(AdoObjectsTest, GuardSurvivesAConnectionClosedUnderIt) {
    {
        db::TransactionGuard guard(*cn_);
        AddItem("C1");
        cn_->Close();  // rolls back; the guard's own rollback must not throw
        EXPECT_FALSE(cn_->InTransaction());
    }
    cn_->Open();
    EXPECT_EQ(Count(cn_, "품목"), 3);
    EXPECT_EQ(cn_->BeginTrans(), 1);  // a new transaction after the one closed away
    cn_->RollbackTrans();
}

}  // namespace
}  // namespace db_test
