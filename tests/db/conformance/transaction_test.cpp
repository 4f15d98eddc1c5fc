// Transactions on every engine: commit keeps, rollback undoes, a failing statement inside costs
// only itself, and a session closed in the middle leaves nothing behind.
#include <algorithm>

#include "db/conformance/engine_fixture.h"

namespace conformance {
namespace {

class ConformanceTransaction : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped()) return;
        CreatePartners();
        InsertPartner("A01", TextLiteral("감기약") + ", 1, 100, NULL, 0.5");
    }

    std::vector<std::string> Codes() {
        std::vector<std::string> codes;
        for (const auto& row : Rows("SELECT [코드] FROM [거래처] ORDER BY [코드]")) {
            codes.push_back(row[0].AsText());
        }
        return codes;
    }

    // A second session on the same database, as another program would open it.
    void Reopen() {
        session_.reset();
        EngineTest::SetUp();
    }
};

using CodeList = std::vector<std::string>;

TEST_P(ConformanceTransaction, CommitKeepsEveryStatement) {
    session_->BeginTransaction(0);
    InsertPartner("A02", "NULL, 2, NULL, NULL, NULL");
    Run("UPDATE [거래처] SET [수량] = 9 WHERE [코드] = 'A01'");
    session_->CommitTransaction();
    Reopen();
    EXPECT_EQ(Codes(), (CodeList{"A01", "A02"}));
    EXPECT_EQ(Rows("SELECT [수량] FROM [거래처] WHERE [코드] = 'A01'")[0][0].AsInt(), 9);
    // Back in auto-commit: a later statement stays without a commit.
    InsertPartner("A03", "NULL, 3, NULL, NULL, NULL");
    Reopen();
    EXPECT_EQ(Codes(), (CodeList{"A01", "A02", "A03"}));
}

TEST_P(ConformanceTransaction, RollbackUndoesEveryStatement) {
    session_->BeginTransaction(0);
    InsertPartner("A02", "NULL, 2, NULL, NULL, NULL");
    Run("DELETE FROM [거래처] WHERE [코드] = 'A01'");
    EXPECT_EQ(Codes(), (CodeList{"A02"}));  // the session sees its own work
    session_->RollbackTransaction();
    EXPECT_EQ(Codes(), (CodeList{"A01"}));
}

TEST_P(ConformanceTransaction, AFailingStatementCostsOnlyItself) {
    session_->BeginTransaction(0);
    InsertPartner("A02", "NULL, 2, NULL, NULL, NULL");
    EXPECT_EQ(ErrorNumberOf("INSERT INTO [거래처] ([코드]) VALUES ('A01')"),
              db::ErrorNumber::kConstraint);
    session_->CommitTransaction();
    EXPECT_EQ(Codes(), (CodeList{"A01", "A02"}));
}

// The embedded engine runs a text of several steps in a savepoint of its own; inside a
// transaction it must undo that text alone on failure and nothing at all on success.
TEST_P(ConformanceTransaction, AStatementOfSeveralStepsNestsInTheTransaction) {
    if (Is(Engine::OdbcSqlite)) GTEST_SKIP() << "SQLite adds one column per ALTER TABLE";
    session_->BeginTransaction(0);
    InsertPartner("A02", "NULL, 2, NULL, NULL, NULL");
    // The second column exists: the first one must not stay behind.
    EXPECT_EQ(ErrorNumberOf("ALTER TABLE [거래처] ADD [비고] INT, [수량] INT"),
              db::ErrorNumber::kSyntax);
    Run("ALTER TABLE [거래처] ADD [메모1] INT, [메모2] INT");
    session_->CommitTransaction();
    std::vector<std::string> columns;
    for (const db::ColumnInfo& column : session_->SchemaInfo().Columns("거래처")) {
        columns.push_back(column.name);
    }
    EXPECT_EQ(std::count(columns.begin(), columns.end(), "비고"), 0);
    EXPECT_EQ(std::count(columns.begin(), columns.end(), "메모1"), 1);
    EXPECT_EQ(Codes(), (CodeList{"A01", "A02"}));

    session_->BeginTransaction(0);
    Run("ALTER TABLE [거래처] ADD [메모3] INT, [메모4] INT");
    session_->RollbackTransaction();
    EXPECT_EQ(session_->SchemaInfo().Columns("거래처").size(), columns.size());
}

TEST_P(ConformanceTransaction, ClosingTheSessionRollsBack) {
    session_->BeginTransaction(0);
    InsertPartner("A02", "NULL, 2, NULL, NULL, NULL");
    Reopen();
    EXPECT_EQ(Codes(), (CodeList{"A01"}));
    // The database is free again: a new transaction on it works.
    session_->BeginTransaction(0);
    InsertPartner("A03", "NULL, 3, NULL, NULL, NULL");
    session_->CommitTransaction();
    EXPECT_EQ(Codes(), (CodeList{"A01", "A03"}));
}

DATAPATCH_FOR_EVERY_ENGINE(ConformanceTransaction);

}  // namespace
}  // namespace conformance
