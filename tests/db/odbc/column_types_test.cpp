#include "db/odbc/column_types.h"

#include <gtest/gtest.h>
#include <sqlext.h>

#include <map>

#include "db/embedded/case_file.h"
#include "db/schema.h"
#include "util/date_serial.h"

namespace db::odbc {
namespace {

TEST(SplitTypeName, SeparatesSizeAndIdentity) {
    struct Case {
        const char* reported;
        const char* name;
        int size;
        bool identity;
    };
    static const Case kCases[] = {
        {"NVARCHAR(16)", "NVARCHAR", 16, false}, {"DECIMAL(10,2)", "DECIMAL", 10, false},
        {"TEXT ( 40 )", "TEXT", 40, false},      {"nvarchar", "nvarchar", 0, false},
        {"int identity", "int", 0, true},        {"INT IDENTITY", "INT", 0, true},
        {"  MONEY ", "MONEY", 0, false},         {"", "", 0, false},
        {"VARCHAR(max)", "VARCHAR", 0, false},
    };
    for (const Case& c : kCases) {
        const TypeName split = SplitTypeName(c.reported);
        EXPECT_EQ(split.name, c.name) << c.reported;
        EXPECT_EQ(split.size, c.size) << c.reported;
        EXPECT_EQ(split.identity, c.identity) << c.reported;
    }
}

TEST(AdoTypeFor, TakesTheTypeNameWhereItSaysMoreThanTheSqlType) {
    struct Case {
        SQLSMALLINT sqlType;
        const char* typeName;
        int adoType;
    };
    static const Case kCases[] = {
        // SQL Server through its drivers: the type name tells money, identity and the kinds of
        // text.
        {SQL_WVARCHAR, "nvarchar", AdoType::kVarWChar},
        {SQL_VARCHAR, "varchar", AdoType::kVarChar},
        {SQL_WLONGVARCHAR, "ntext", AdoType::kLongVarWChar},
        {SQL_DECIMAL, "money", AdoType::kCurrency},
        {SQL_DECIMAL, "smallmoney", AdoType::kCurrency},
        {SQL_DECIMAL, "decimal", AdoType::kNumeric},
        {SQL_INTEGER, "int identity", AdoType::kInteger},
        {SQL_FLOAT, "float", AdoType::kDouble},
        {SQL_TYPE_TIMESTAMP, "datetime", AdoType::kDate},
        // The SQLite driver reports what it does not know as SQL_VARCHAR.
        {SQL_VARCHAR, "MONEY", AdoType::kCurrency},
        {SQL_VARCHAR, "CURRENCY", AdoType::kCurrency},
        {SQL_VARCHAR, "DECIMAL", AdoType::kNumeric},
        {SQL_VARCHAR, "NVARCHAR(16)", AdoType::kVarWChar},
        {SQL_VARCHAR, "YESNO", AdoType::kBoolean},
        {SQL_VARCHAR, "LONG", AdoType::kInteger},
        // Unknown kinds are read as text.
        {12345, "geography", AdoType::kVarWChar},
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(AdoTypeFor(c.sqlType, c.typeName), c.adoType) << c.typeName;
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

// A value as its kind and its text.
std::string Show(const util::Variant& v) {
    static const char* const kKinds[] = {"empty",  "null",     "bool", "int",
                                         "double", "currency", "text", "date"};
    return kKinds[static_cast<int>(v.kind())] + std::string(":") + v.AsText();
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
            EXPECT_EQ(Show(DecodeText(type, scale, block[i].second)), block[i + 1].second)
                << block.at(0).second << " '" << block[i].second << "'";
        }
    }
    // A fraction of a second, which a date's text does not show.
    EXPECT_EQ(DecodeText(AdoType::kDate, 0, "2020-12-21 10:00:00.500"),
              util::Variant(util::DateTime{At(2020, 12, 21, 10).serial + 0.5 / 86400}));
}

}  // namespace
}  // namespace db::odbc
