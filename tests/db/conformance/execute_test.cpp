// Opening and action statements on every engine.
#include "db/conformance/engine_fixture.h"

namespace conformance {
namespace {

class ConformanceExecute : public EngineTest {};

TEST_P(ConformanceExecute, OpensAliveInItsDialect) {
    EXPECT_TRUE(session_->Alive());
    EXPECT_EQ(session_->SqlDialect(), IsJet() ? db::Dialect::Jet : db::Dialect::SqlServer);
}

TEST_P(ConformanceExecute, CountsTheRowsEachActionStatementChanged) {
    CreatePartners();
    for (const char* code : {"A01", "A02", "B01"}) {
        EXPECT_EQ(
            Run(std::string("INSERT INTO [거래처] ([코드], [수량]) VALUES ('") + code + "', 1)"), 1)
            << code;
    }
    EXPECT_EQ(Run("UPDATE [거래처] SET [수량] = 7 WHERE [코드] LIKE 'A%'"), 2);
    EXPECT_EQ(Run("UPDATE [거래처] SET [수량] = 0 WHERE [코드] = 'Z99'"), 0);
    EXPECT_EQ(Run("DELETE FROM [거래처] WHERE [수량] = 7"), 2);
    const auto rows = Rows("SELECT COUNT(*) FROM [거래처]");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], util::Variant(1)) << Show(rows[0]);
}

TEST_P(ConformanceExecute, AStatementWithoutRowsGivesNoCursor) {
    CreatePartners();
    db::ExecOutcome outcome =
        session_->Execute("INSERT INTO [거래처] ([코드]) VALUES ('A01')", kTimeout);
    EXPECT_FALSE(outcome.rows);
    EXPECT_EQ(outcome.affected, 1);
}

DATAPATCH_FOR_EVERY_ENGINE(ConformanceExecute);

}  // namespace
}  // namespace conformance
