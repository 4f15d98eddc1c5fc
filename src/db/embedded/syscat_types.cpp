#include "db/embedded/syscat_types.h"

#include <array>
#include <climits>
#include <initializer_list>
#include <string_view>

#include "db/embedded/token.h"
#include "db/schema.h"

namespace db::embedded {
namespace {

constexpr int kNull = INT_MIN;

enum class Sizing {
    Fixed,       // the type has one size
    Characters,  // the declared size counts characters (or bytes of a binary)
    Digits,      // the declared size is a precision, the second argument a scale
};

struct TypeFacts {
    std::string_view name;
    int xtype;
    int type;
    int bytes;  // storage of a fixed type; bytes per character of a sized one
    Sizing sizing;
    int xprec;
    int xscale;
    int dataType;
    int sqlDataType;
    int precision;   // listing precision of a fixed type
    int listLength;  // listing length of a fixed type
    int scale;
    int radix;
    int datetimeSub;
    bool character;             // listed with a character octet length
    std::string_view longForm;  // the type whose listing facts a (max) size takes
};

using S = Sizing;

// clang-format off
constexpr std::array kFacts{
    //        name           xtype type bytes sizing     xprec xscale dtype sqldt precision    length       scale  radix  dtsub  char   long
    TypeFacts{"bigint",           127, 63,  8, S::Fixed,      19, 0,  -5,  -5,  19,          8,           0,     10,    kNull, false, ""},
    TypeFacts{"binary",           173, 45,  1, S::Characters, 0,  0,  -2,  -2,  0,           0,           kNull, kNull, kNull, false, ""},
    TypeFacts{"bit",              104, 50,  1, S::Fixed,      1,  0,  -7,  -7,  1,           1,           kNull, kNull, kNull, false, ""},
    TypeFacts{"char",             175, 47,  1, S::Characters, 0,  0,  1,   1,   0,           0,           kNull, kNull, kNull, true,  ""},
    TypeFacts{"date",             40,  0,   3, S::Fixed,      10, 0,  -9,  -9,  10,          20,          kNull, kNull, kNull, true,  ""},
    TypeFacts{"datetime",         61,  61,  8, S::Fixed,      23, 3,  11,  9,   23,          16,          3,     kNull, 3,     false, ""},
    TypeFacts{"decimal",          106, 55,  0, S::Digits,     0,  0,  3,   3,   0,           0,           0,     10,    kNull, false, ""},
    TypeFacts{"float",            62,  62,  8, S::Fixed,      53, 0,  6,   6,   15,          8,           kNull, 10,    kNull, false, ""},
    TypeFacts{"image",            34,  34,  16, S::Fixed,     0,  0,  -4,  -4,  2147483647,  2147483647,  kNull, kNull, kNull, false, ""},
    TypeFacts{"int",              56,  56,  4, S::Fixed,      10, 0,  4,   4,   10,          4,           0,     10,    kNull, false, ""},
    TypeFacts{"money",            60,  60,  8, S::Fixed,      19, 4,  3,   3,   19,          21,          4,     10,    kNull, false, ""},
    TypeFacts{"nchar",            239, 47,  2, S::Characters, 0,  0,  -8,  -8,  0,           0,           kNull, kNull, kNull, true,  ""},
    TypeFacts{"ntext",            99,  35,  16, S::Fixed,     0,  0,  -10, -10, 1073741823,  2147483646,  kNull, kNull, kNull, true,  ""},
    TypeFacts{"numeric",          108, 63,  0, S::Digits,     0,  0,  2,   2,   0,           0,           0,     10,    kNull, false, ""},
    TypeFacts{"nvarchar",         231, 39,  2, S::Characters, 0,  0,  -9,  -9,  0,           0,           kNull, kNull, kNull, true,  "ntext"},
    TypeFacts{"real",             59,  59,  4, S::Fixed,      24, 0,  7,   7,   7,           4,           kNull, 10,    kNull, false, ""},
    TypeFacts{"smalldatetime",    58,  58,  4, S::Fixed,      16, 0,  11,  9,   16,          16,          0,     kNull, 3,     false, ""},
    TypeFacts{"smallint",         52,  52,  2, S::Fixed,      5,  0,  5,   5,   5,           2,           0,     10,    kNull, false, ""},
    TypeFacts{"smallmoney",       122, 122, 4, S::Fixed,      10, 4,  3,   3,   10,          12,          4,     10,    kNull, false, ""},
    TypeFacts{"text",             35,  35,  16, S::Fixed,     0,  0,  -1,  -1,  2147483647,  2147483647,  kNull, kNull, kNull, true,  ""},
    TypeFacts{"tinyint",          48,  48,  1, S::Fixed,      3,  0,  -6,  -6,  3,           1,           0,     10,    kNull, false, ""},
    TypeFacts{"uniqueidentifier", 36,  37,  16, S::Fixed,     0,  0,  -11, -11, 36,          16,          kNull, kNull, kNull, false, ""},
    TypeFacts{"varbinary",        165, 37,  1, S::Characters, 0,  0,  -3,  -3,  0,           0,           kNull, kNull, kNull, false, "image"},
    TypeFacts{"varchar",          167, 39,  1, S::Characters, 0,  0,  12,  12,  0,           0,           kNull, kNull, kNull, true,  "text"},
};
// clang-format on

// The server type that a type name of the other dialect (or an unknown name) stands for, by the
// ADO type it has on the server kind.
struct AdoServerName {
    int ado;
    std::string_view name;
};

constexpr std::array kByAdoType{
    AdoServerName{AdoType::kVarWChar, "nvarchar"}, AdoServerName{AdoType::kVarChar, "varchar"},
    AdoServerName{AdoType::kWChar, "nchar"},       AdoServerName{AdoType::kChar, "char"},
    AdoServerName{AdoType::kLongVarChar, "text"},  AdoServerName{AdoType::kLongVarWChar, "ntext"},
    AdoServerName{AdoType::kInteger, "int"},       AdoServerName{AdoType::kSmallInt, "smallint"},
    AdoServerName{AdoType::kTinyInt, "tinyint"},   AdoServerName{AdoType::kBigInt, "bigint"},
    AdoServerName{AdoType::kBoolean, "bit"},       AdoServerName{AdoType::kCurrency, "money"},
    AdoServerName{AdoType::kDouble, "float"},      AdoServerName{AdoType::kSingle, "real"},
    AdoServerName{AdoType::kNumeric, "decimal"},   AdoServerName{AdoType::kDate, "datetime"},
    AdoServerName{AdoType::kBinary, "varbinary"},
};

// Storage bytes of a decimal by its precision.
struct DecimalStorage {
    int maxPrecision;
    int bytes;
};
constexpr std::array kDecimalStorage{DecimalStorage{9, 5}, DecimalStorage{19, 9},
                                     DecimalStorage{28, 13}, DecimalStorage{38, 17}};
constexpr int kDefaultPrecision = 18;

const TypeFacts* FindFacts(std::string_view name) {
    for (const TypeFacts& f : kFacts) {
        if (EqualsNoCase(f.name, name)) return &f;
    }
    return nullptr;
}

const TypeFacts& FactsOf(const DeclaredType& type) {
    if (const TypeFacts* direct = FindFacts(type.name)) return *direct;
    const int ado = type.AdoType(Dialect::SqlServer);
    for (const AdoServerName& a : kByAdoType) {
        if (a.ado == ado) return *FindFacts(a.name);
    }
    return *FindFacts("nvarchar");
}

CatalogueFact Optional(int value) {
    return value == kNull ? CatalogueFact() : CatalogueFact(value);
}

void ListFixed(const TypeFacts& f, ServerColumnType& out) {
    out.dataType = f.dataType;
    out.sqlDataType = f.sqlDataType;
    out.precision = f.precision;
    out.listLength = f.listLength;
    if (f.character) out.charOctetLength = f.listLength;
}

void DescribeCharacters(const TypeFacts& f, const DeclaredType& type, ServerColumnType& out) {
    if (type.max) {
        const TypeFacts& longForm = *FindFacts(f.longForm.empty() ? f.name : f.longForm);
        out.length = -1;
        out.prec = -1;
        ListFixed(longForm, out);
        return;
    }
    const std::int64_t size = type.size > 0 ? type.size : 1;
    out.length = size * f.bytes;
    out.prec = size;
    out.dataType = f.dataType;
    out.sqlDataType = f.sqlDataType;
    out.precision = size;
    out.listLength = size * f.bytes;
    if (f.character) out.charOctetLength = out.listLength;
}

void DescribeDigits(const TypeFacts& f, const DeclaredType& type, ServerColumnType& out) {
    const int precision = type.size > 0 ? type.size : kDefaultPrecision;
    const int scale = type.hasScale ? type.scale : 0;
    out.length = kDecimalStorage.back().bytes;
    for (const DecimalStorage& d : kDecimalStorage) {
        if (precision <= d.maxPrecision) {
            out.length = d.bytes;
            break;
        }
    }
    out.xprec = precision;
    out.xscale = scale;
    out.prec = precision;
    out.dataType = f.dataType;
    out.sqlDataType = f.sqlDataType;
    out.precision = precision;
    out.listLength = precision + 2;
    out.scale = scale;
}

bool IsOneOf(int xtype, std::initializer_list<int> list) {
    for (int x : list) {
        if (x == xtype) return true;
    }
    return false;
}

// The server's INFORMATION_SCHEMA.COLUMNS picks these facts by system type: the lengths of texts
// and binaries, the precision of numbers (radix 2 for float and real), the scale of exact
// numbers, the fractional digits of dates.
void DescribeForSchema(const DeclaredType& type, ServerColumnType& out) {
    constexpr int kChar = 175, kVarChar = 167, kNChar = 239, kNVarChar = 231, kText = 35,
                  kNText = 99, kBinary = 173, kVarBinary = 165, kImage = 34;
    const int x = out.xtype;
    if (IsOneOf(x,
                {kChar, kVarChar, kNChar, kNVarChar, kText, kNText, kBinary, kVarBinary, kImage})) {
        const bool max = type.max && IsOneOf(x, {kVarChar, kNVarChar, kVarBinary});
        out.characterMaximumLength = max ? -1 : out.precision;
        out.characterOctetLength = max ? -1 : out.listLength;
        if (IsOneOf(x, {kVarChar, kText})) out.valueBytes = ServerColumnType::Bytes::Ansi;
        if (IsOneOf(x, {kNVarChar, kNText})) out.valueBytes = ServerColumnType::Bytes::Unicode;
        if (IsOneOf(x, {kVarBinary, kImage})) out.valueBytes = ServerColumnType::Bytes::Binary;
    }
    const std::initializer_list<int> kExact{48, 52, 56, 60, 106, 108, 122, 127};
    const std::initializer_list<int> kApproximate{59, 62};
    if (IsOneOf(x, kExact) || IsOneOf(x, kApproximate)) {
        out.numericPrecision = out.xprec;
        out.numericPrecisionRadix = IsOneOf(x, kExact) ? 10 : 2;
    }
    if (IsOneOf(x, kExact)) out.numericScale = out.xscale;
    if (IsOneOf(x, {40, 58, 61})) out.datetimePrecision = x == 61 ? 3 : 0;
}

}  // namespace

ServerColumnType DescribeServerType(const DeclaredType& type) {
    const TypeFacts& f = FactsOf(type);
    ServerColumnType out;
    out.name = std::string(f.name);
    out.xtype = f.xtype;
    out.type = f.type;
    out.length = f.bytes;
    out.xprec = f.xprec;
    out.xscale = f.xscale;
    out.prec = f.xprec;
    out.scale = Optional(f.scale);
    out.radix = Optional(f.radix);
    out.datetimeSub = Optional(f.datetimeSub);
    switch (f.sizing) {
        case Sizing::Fixed:
            ListFixed(f, out);
            break;
        case Sizing::Characters:
            DescribeCharacters(f, type, out);
            break;
        case Sizing::Digits:
            DescribeDigits(f, type, out);
            break;
    }
    DescribeForSchema(type, out);
    return out;
}

}  // namespace db::embedded
