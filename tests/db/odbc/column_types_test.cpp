#include "db/odbc/column_types.h"

#include <gtest/gtest.h>
#include <sqlext.h>

#include <map>

#include "db/embedded/case_file.h"
#include "db/embedded/session_helpers.h"
#include "db/schema.h"
#include "util/date_serial.h"

namespace db::odbc {
namespace {

// The reports of tables/type_names.txt.
TEST(SplitTypeName, SeparatesSizeAndIdentity) {
    for (const auto& block : embedded::testing::LoadBlocks("odbc/tables/type_names.txt")) {
        const TypeName split = SplitTypeName(block.at(0).second);
        EXPECT_EQ(split.name, block.at(1).second) << block.at(0).second;
        EXPECT_EQ(split.size, std::stoi(block.at(2).second)) << block.at(0).second;
        EXPECT_EQ(split.identity, block.at(3).second == "yes") << block.at(0).second;
    }
}

// The reports of tables/ado_types.txt.
TEST(AdoTypeFor, TakesTheTypeNameWhereItSaysMoreThanTheSqlType) {
    for (const auto& block : embedded::testing::LoadBlocks("odbc/tables/ado_types.txt")) {
        const auto sqlType = static_cast<SQLSMALLINT>(std::stoi(block.at(0).second));
        EXPECT_EQ(AdoTypeFor(sqlType, block.at(1).second), std::stoi(block.at(2).second))
            << block.at(1).second;
    }
}

TEST(DeclaredSize, OnlyTextsBinariesAndDecimalsHaveOne) {
    EXPECT_EQ(DeclaredSize(AdoType::kVarWChar, 16), 16);
    EXPECT_EQ(DeclaredSize(AdoType::kChar, 2), 2);
    EXPECT_EQ(DeclaredSize(AdoType::kNumeric, 10), 10);
    EXPECT_EQ(DeclaredSize(AdoType::kInteger, 10), 0);
    EXPECT_EQ(DeclaredSize(AdoType::kCurrency, 19), 0);
    EXPECT_EQ(DeclaredSize(AdoType::kLongVarWChar, 1073741823), 0);
    EXPECT_EQ(DeclaredSize(AdoType::kVarWChar, 1LL << 40), 2147483647);
}

util::DateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return util::MakeDateTime(util::CivilTime{y, mo, d, h, mi, s});
}

// The texts of tables/decode.txt, each block of one column kind and scale.
TEST(DecodeText, GivesEachColumnKindItsVariantAndKeepsOtherText) {
    const std::map<std::string, int> kTypes = {
        {"integer", AdoType::kInteger},   {"bigint", AdoType::kBigInt},
        {"smallint", AdoType::kSmallInt}, {"double", AdoType::kDouble},
        {"currency", AdoType::kCurrency}, {"numeric", AdoType::kNumeric},
        {"boolean", AdoType::kBoolean},   {"date", AdoType::kDate},
        {"varwchar", AdoType::kVarWChar},
    };
    for (const auto& block : embedded::testing::LoadBlocks("odbc/tables/decode.txt")) {
        const int type = kTypes.at(block.at(0).second);
        const int scale = std::stoi(block.at(1).second);
        for (std::size_t i = 2; i + 1 < block.size(); i += 2) {
            EXPECT_EQ(embedded::testing::Show({DecodeText(type, scale, block[i].second)}),
                      block[i + 1].second)
                << block.at(0).second << " '" << block[i].second << "'";
        }
    }
    // A fraction of a second, which a date's text does not show.
    EXPECT_EQ(DecodeText(AdoType::kDate, 0, "2020-12-21 10:00:00.500"),
              util::Variant(util::DateTime{At(2020, 12, 21, 10).serial + 0.5 / 86400}));
}

}  // namespace
}  // namespace db::odbc
