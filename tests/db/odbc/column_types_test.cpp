#include "db/odbc/column_types.h"

#include <gtest/gtest.h>
#include <sqlext.h>

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

struct DecodeCase {
    int adoType;
    int scale;
    const char* text;
    util::Variant expected;
};

TEST(DecodeText, GivesEachColumnKindItsVariantAndKeepsOtherText) {
    const DecodeCase kCases[] = {
        {AdoType::kInteger, 0, "42", util::Variant(42)},
        {AdoType::kInteger, 0, "-7", util::Variant(-7)},
        {AdoType::kBigInt, 0, "9007199254740993", util::Variant(std::int64_t{9007199254740993})},
        {AdoType::kSmallInt, 0, " 5 ", util::Variant(5)},
        {AdoType::kInteger, 0, "2.5", util::Variant(2.5)},  // SQLite keeps what it was given
        {AdoType::kDouble, 0, "0.25", util::Variant(0.25)},
        {AdoType::kDouble, 0, "1e3", util::Variant(1000.0)},
        {AdoType::kCurrency, 4, "1234.5678", util::Variant(util::Currency{12345678})},
        {AdoType::kCurrency, 4, "-0.5000", util::Variant(util::Currency{-5000})},
        {AdoType::kCurrency, 4, ".5", util::Variant(util::Currency{5000})},
        {AdoType::kCurrency, 4, "922337203685477.5807",
         util::Variant(util::Currency{9223372036854775807})},
        {AdoType::kCurrency, 0, "0.30000000000000004", util::Variant(util::Currency{3000})},
        {AdoType::kNumeric, 2, "12.34", util::Variant(util::Currency{123400})},
        {AdoType::kNumeric, 0, "100", util::Variant(util::Currency{1000000})},
        {AdoType::kNumeric, 4, "1.123400", util::Variant(util::Currency{11234})},
        {AdoType::kNumeric, 0, "1.123456", util::Variant(1.123456)},  // does not fit four places
        {AdoType::kNumeric, 6, "1.500000", util::Variant(1.5)},
        {AdoType::kNumeric, 2, "99999999999999999999.00", util::Variant(1e20)},
        {AdoType::kBoolean, 0, "1", util::Variant(true)},
        {AdoType::kBoolean, 0, "0", util::Variant(false)},
        {AdoType::kBoolean, 0, "-1", util::Variant(true)},
        {AdoType::kBoolean, 0, "True", util::Variant(true)},
        {AdoType::kDate, 0, "2020-12-21 10:00:00", util::Variant(At(2020, 12, 21, 10))},
        {AdoType::kDate, 0, "2020-12-21T10:00:00", util::Variant(At(2020, 12, 21, 10))},
        {AdoType::kDate, 0, "2020-12-21", util::Variant(At(2020, 12, 21))},
        {AdoType::kDate, 0, "2020/1/5 9:05", util::Variant(At(2020, 1, 5, 9, 5))},
        {AdoType::kDate, 0, "10:30:00", util::Variant(At(1899, 12, 30, 10, 30))},
        {AdoType::kDate, 0, "2020-12-21 10:00:00.500",
         util::Variant(util::DateTime{At(2020, 12, 21, 10).serial + 0.5 / 86400})},
        {AdoType::kVarWChar, 0, " 한국 약국 ", util::Variant(" 한국 약국 ")},
        {AdoType::kVarWChar, 0, "42", util::Variant("42")},
        // Text that does not read as the column's kind stays text.
        {AdoType::kInteger, 0, "abc", util::Variant("abc")},
        {AdoType::kInteger, 0, "", util::Variant("")},
        {AdoType::kDouble, 0, "1,5", util::Variant("1,5")},
        {AdoType::kCurrency, 4, "12원", util::Variant("12원")},
        {AdoType::kCurrency, 4, "", util::Variant("")},
        {AdoType::kNumeric, 2, "-", util::Variant("-")},
        {AdoType::kBoolean, 0, "yes", util::Variant("yes")},
        {AdoType::kDate, 0, "2020-02-30", util::Variant("2020-02-30")},
        {AdoType::kDate, 0, "2020-12-21 25:00:00", util::Variant("2020-12-21 25:00:00")},
        {AdoType::kDate, 0, "2020-12-21 10:00:00 junk", util::Variant("2020-12-21 10:00:00 junk")},
        {AdoType::kDate, 0, "어제", util::Variant("어제")},
    };
    for (const DecodeCase& c : kCases) {
        EXPECT_EQ(DecodeText(c.adoType, c.scale, c.text), c.expected)
            << "type " << c.adoType << " text '" << c.text << "'";
    }
}

}  // namespace
}  // namespace db::odbc
