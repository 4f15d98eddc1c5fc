// Failing statements raise the ADO numbers that the patch catalogue's rules test, on every
// engine.
#include "db/conformance/engine_fixture.h"

namespace conformance {
namespace {

class ConformanceErrors : public EngineTest {};

TEST_P(ConformanceErrors, FailuresCarryTheAdoNumbers) {
    CreatePartners();
    InsertPartner("A01", TextLiteral("한국 약국") + ", 1, 0, NULL, NULL");
    const struct {
        std::string sql;
        std::int32_t number;
    } kCases[] = {
        {"SELECT * FROM [없는표]", db::ErrorNumber::kTableMissing},
        {"UPDATE [없는표] SET [a] = 1", db::ErrorNumber::kTableMissing},
        {"SELEC * FROM [거래처]", db::ErrorNumber::kSyntax},
        {std::string("ALTER TABLE [거래처] ADD [이름] ") + Texts().text40,
         db::ErrorNumber::kSyntax},
        {"INSERT INTO [거래처] ([코드], [이름]) VALUES ('A01', " + TextLiteral("중복") + ")",
         db::ErrorNumber::kConstraint},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(ErrorNumberOf(c.sql), c.number) << c.sql;
    }
    // A failed statement leaves the connection usable.
    EXPECT_TRUE(session_->Alive());
    EXPECT_EQ(Rows("SELECT [이름] FROM [거래처]").size(), 1u);
}

// Both dialects refuse a division by zero (SQLite alone gives Null): the statement fails as an
// error in the command and changes nothing, not even the rows before the failing one.
TEST_P(ConformanceErrors, DivisionByZeroFailsTheWholeStatement) {
    if (Is(Engine::OdbcSqlite)) GTEST_SKIP() << "SQLite's own division gives Null";
    CreatePartners();
    InsertPartner("A01", TextLiteral("갑") + ", 4, 100, NULL, NULL");
    InsertPartner("A02", TextLiteral("을") + ", 0, 100, NULL, NULL");
    std::vector<std::string> failing = {
        "SELECT [금액] / [수량] FROM [거래처] WHERE [코드] = 'A02'",
        "SELECT [코드] FROM [거래처] WHERE 1 / ([수량] * 2) < 0",
        "UPDATE [거래처] SET [금액] = [금액] / [수량]",
        "UPDATE [거래처] SET [금액] = CASE WHEN [코드] = 'A02' THEN 1 / 0 ELSE 5 END",
    };
    if (!IsJet()) failing.push_back("UPDATE [거래처] SET [수량] = [금액] % [수량]");
    for (const std::string& sql : failing) {
        EXPECT_EQ(ErrorNumberOf(sql), db::ErrorNumber::kSyntax) << sql;
    }
    const auto amounts = [&] {
        std::string text;
        for (const auto& row : Rows("SELECT [수량], [금액] FROM [거래처] ORDER BY [코드]")) {
            text += row[0].AsText() + "|" + row[1].AsText() + " ";
        }
        return text;
    };
    EXPECT_EQ(amounts(), "4|100 0|100 ");
    // A division that is not reached does not fail, nor does one by anything else; Null divides
    // to Null.
    const auto guarded = Rows(
        "SELECT CASE WHEN [수량] = 0 THEN 0 ELSE [금액] / [수량] END, CASE WHEN 1 = 0 THEN 1 / 0 "
        "ELSE 5 END FROM [거래처] ORDER BY [코드]");
    ASSERT_EQ(guarded.size(), 2u);
    EXPECT_EQ(guarded[0][0].AsText() + "|" + guarded[1][0].AsText() + "|" + guarded[1][1].AsText(),
              "25|0|5");
    EXPECT_EQ(Run("UPDATE [거래처] SET [금액] = [금액] / [수량] WHERE [수량] <> 0"), 1);
    EXPECT_EQ(Run("UPDATE [거래처] SET [수량] = NULL WHERE [코드] = 'A02'"), 1);
    EXPECT_EQ(Run("UPDATE [거래처] SET [금액] = [금액] / [수량] WHERE [코드] = 'A02'"), 1);
    EXPECT_EQ(amounts(), "4|25 | ");
}

DATAPATCH_FOR_EVERY_ENGINE(ConformanceErrors);

}  // namespace
}  // namespace conformance
