// Rows of a query on every engine: each column's kind, Korean text and NULL.
#include "db/conformance/engine_fixture.h"
#include "db/schema.h"
#include "util/date_serial.h"

namespace conformance {
namespace {

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

}  // namespace
}  // namespace conformance
