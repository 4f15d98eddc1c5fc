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

DATAPATCH_FOR_EVERY_ENGINE(ConformanceErrors);

}  // namespace
}  // namespace conformance
