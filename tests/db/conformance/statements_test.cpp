// Statements on every engine: opening, the rows each action changes, the rows of a query with
// each column's kind, Korean text and NULL, and the ADO numbers of failing statements that the
// patch catalogue's rules test.
#include "db/conformance/engine_fixture.h"
#include "db/schema.h"
#include "util/date_serial.h"

namespace conformance {
namespace {

class ConformanceExecute : public EngineTest {};

TEST_P(ConformanceExecute, CountsTheRowsEachActionStatementChangedAndGivesThemNoCursor) {
    EXPECT_EQ(session_->SqlDialect(), IsJet() ? db::Dialect::Jet : db::Dialect::SqlServer);
    CreatePartners();
    db::ExecOutcome outcome =
        session_->Execute("INSERT INTO [거래처] ([코드]) VALUES ('C01')", kTimeout);
    EXPECT_FALSE(outcome.rows);
    EXPECT_EQ(outcome.affected, 1);
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
    EXPECT_EQ(rows[0][0], util::Variant(2)) << Show(rows[0]);
}

DATAPATCH_FOR_EVERY_ENGINE(ConformanceExecute);

class ConformanceQuery : public EngineTest {};

TEST_P(ConformanceQuery, ValuesComeBackInTheirColumnsKinds) {
    CreatePartners();
    InsertPartner("A01",
                  "'한국 약국', 3, 1234.5678, " + DateLiteral("2020-12-21 10:00:00") + ", 0.25");
    InsertPartner("B02", "NULL, NULL, NULL, NULL, NULL");
    std::vector<db::FieldDesc> fields;
    const auto rows =
        Rows("SELECT [코드], [이름], [수량], [금액], [일자], [비율] FROM [거래처] ORDER BY [코드]",
             &fields);

    const std::pair<const char*, int> kFields[] = {
        {"코드", db::AdoType::kVarWChar}, {"이름", db::AdoType::kVarWChar},
        {"수량", db::AdoType::kInteger},  {"금액", db::AdoType::kCurrency},
        {"일자", db::AdoType::kDate},     {"비율", db::AdoType::kDouble},
    };
    ASSERT_EQ(fields.size(), std::size(kFields));
    for (size_t i = 0; i < fields.size(); ++i) {
        EXPECT_EQ(fields[i].name, kFields[i].first);
        EXPECT_EQ(fields[i].adoType, kFields[i].second) << fields[i].name;
    }

    ASSERT_EQ(rows.size(), 2u);
    const std::vector<util::Variant> full = {
        util::Variant("A01"),
        util::Variant("한국 약국"),
        util::Variant(3),
        util::Variant(util::Currency{12345678}),
        util::Variant(util::MakeDateTime(util::CivilTime{2020, 12, 21, 10, 0, 0})),
        util::Variant(0.25),
    };
    EXPECT_EQ(rows[0], full) << Show(rows[0]);
    const std::vector<util::Variant> empty = {util::Variant("B02"),      util::Variant::MakeNull(),
                                              util::Variant::MakeNull(), util::Variant::MakeNull(),
                                              util::Variant::MakeNull(), util::Variant::MakeNull()};
    EXPECT_EQ(rows[1], empty) << Show(rows[1]);
}

TEST_P(ConformanceQuery, KoreanTextSelectsAndComesBackUnchanged) {
    CreatePartners();
    const char* const kNames[] = {"서울 종로 약국", "부산 해운대 약국", "편의점"};
    for (int i = 0; i < 3; ++i) {
        InsertPartner("A0" + std::to_string(i + 1),
                      TextLiteral(kNames[i]) + ", NULL, NULL, NULL, NULL");
    }

    const auto exact =
        Rows("SELECT [코드], [이름] FROM [거래처] WHERE [이름] = " + TextLiteral("서울 종로 약국"));
    ASSERT_EQ(exact.size(), 1u);
    EXPECT_EQ(exact[0], (std::vector<util::Variant>{"A01", "서울 종로 약국"})) << Show(exact[0]);

    const auto pattern = Rows("SELECT [이름] FROM [거래처] WHERE [이름] LIKE " +
                              TextLiteral("%약국") + " ORDER BY [코드]");
    ASSERT_EQ(pattern.size(), 2u);
    EXPECT_EQ(pattern[1][0], util::Variant("부산 해운대 약국"));
}

TEST_P(ConformanceQuery, AnEmptyResultStillDescribesItsColumns) {
    CreatePartners();
    std::vector<db::FieldDesc> fields;
    EXPECT_TRUE(Rows("SELECT [코드], [금액] FROM [거래처] WHERE 1 = 0", &fields).empty());
    ASSERT_EQ(fields.size(), 2u);
    EXPECT_EQ(fields[0].name, "코드");
    EXPECT_EQ(fields[1].name, "금액");
}

DATAPATCH_FOR_EVERY_ENGINE(ConformanceQuery);

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
