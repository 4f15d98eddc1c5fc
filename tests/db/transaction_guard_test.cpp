// ADO's transaction methods on a connection and the guard that rolls back what it does not
// commit, on an MDB file of the embedded engine.
#include "db/transaction_guard.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "db/ado_world.h"

namespace db_test {
namespace {

constexpr std::int32_t kTransactionExists = static_cast<std::int32_t>(0x8004D013);
constexpr std::int32_t kNoTransaction = static_cast<std::int32_t>(0x8004D00E);

class TransactionTest : public AdoWorld {
  protected:
    void SetUp() override {
        MakeItemsMdb();
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

    db::ConnectionRef cn_;
};

TEST_F(TransactionTest, CommitKeepsAndRollbackUndoes) {
    EXPECT_EQ(cn_->BeginTrans(), 1);
    EXPECT_TRUE(cn_->InTransaction());
    AddItem("C1");
    EXPECT_EQ(CommittedCount(), 3);  // not visible before the commit
    cn_->CommitTrans();
    EXPECT_FALSE(cn_->InTransaction());
    EXPECT_EQ(CommittedCount(), 4);

    cn_->BeginTrans();
    AddItem("C2");
    cn_->Execute("DELETE FROM 품목 WHERE 코드 = 'A1'");
    cn_->RollbackTrans();
    EXPECT_EQ(Count(cn_, "품목"), 4);
    EXPECT_EQ(CommittedCount(), 4);
}

TEST_F(TransactionTest, MisuseIsRefusedAndRecorded) {
    EXPECT_EQ(NumberOf([&] { cn_->CommitTrans(); }), kNoTransaction);
    EXPECT_EQ(cn_->Errors().front().number, kNoTransaction);
    EXPECT_EQ(NumberOf([&] { cn_->RollbackTrans(); }), kNoTransaction);

    cn_->BeginTrans();
    AddItem("C1");
    EXPECT_EQ(NumberOf([&] { cn_->BeginTrans(); }), kTransactionExists);
    EXPECT_TRUE(cn_->InTransaction());  // the first one goes on
    cn_->CommitTrans();
    EXPECT_EQ(CommittedCount(), 4);

    cn_->Close();
    EXPECT_EQ(NumberOf([&] { cn_->BeginTrans(); }), db::ErrorNumber::kObjectClosed);
}

TEST_F(TransactionTest, GuardRollsBackUnlessCommitted) {
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

TEST_F(TransactionTest, GuardSurvivesAConnectionClosedUnderIt) {
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
