#include "db/embedded/type_map.h"

#include <array>
#include <charconv>

#include "db/embedded/token.h"
#include "db/schema.h"

namespace db::embedded {
namespace {

using K = ValueKind;
using S = ServerUse;
namespace A = AdoType;

// Type names of Jet SQL and T-SQL with their synonyms. Jet's INTEGER is reported as the 16-bit
// kind, as the store software's type codes treat it. A (max) size, and Jet's TEXT without a size,
// make a text long (LongTypeOf). The server use is what SQL Server makes of the name: its own
// types and their synonyms (Data types (Transact-SQL), Data type synonyms) with the arguments
// they take; Jet's names (CURRENCY, MEMO, COUNTER, YESNO, LONG, DOUBLE, …) are unknown to it.
// clang-format off
constexpr std::array kTypes{
    //      name                          kind         Jet                server             unsized server use
    TypeRow{"NVARCHAR",                   K::Text,     A::kVarWChar,      A::kVarWChar,      false,  S::kWidthOrMax},
    TypeRow{"VARCHAR",                    K::Text,     A::kVarWChar,      A::kVarChar,       false,  S::kWidthOrMax},
    TypeRow{"TEXT",                       K::Text,     A::kVarWChar,      A::kLongVarChar,   true,   S::kNoWidth},
    TypeRow{"NCHAR",                      K::Text,     A::kWChar,         A::kWChar,         false,  S::kWidth},
    TypeRow{"CHAR",                       K::Text,     A::kWChar,         A::kChar,          false,  S::kWidth},
    TypeRow{"CHARACTER",                  K::Text,     A::kWChar,         A::kChar,          false,  S::kWidth},
    TypeRow{"CHARACTER VARYING",          K::Text,     A::kVarWChar,      A::kVarChar,       false,  S::kWidthOrMax},
    TypeRow{"NATIONAL CHARACTER",         K::Text,     A::kWChar,         A::kWChar,         false,  S::kWidth},
    TypeRow{"NATIONAL CHARACTER VARYING", K::Text,     A::kVarWChar,      A::kVarWChar,      false,  S::kWidthOrMax},
    TypeRow{"STRING",                     K::Text,     A::kVarWChar,      A::kVarWChar,      false,  S::kUnknown},
    TypeRow{"ALPHANUMERIC",               K::Text,     A::kVarWChar,      A::kVarWChar,      false,  S::kUnknown},
    TypeRow{"NTEXT",                      K::Text,     A::kLongVarWChar,  A::kLongVarWChar,  false,  S::kNoWidth},
    TypeRow{"MEMO",                       K::Text,     A::kLongVarWChar,  A::kLongVarWChar,  false,  S::kUnknown},
    TypeRow{"LONGTEXT",                   K::Text,     A::kLongVarWChar,  A::kLongVarWChar,  false,  S::kUnknown},
    TypeRow{"LONGCHAR",                   K::Text,     A::kLongVarWChar,  A::kLongVarWChar,  false,  S::kUnknown},
    TypeRow{"NOTE",                       K::Text,     A::kLongVarWChar,  A::kLongVarWChar,  false,  S::kUnknown},
    TypeRow{"INT",                        K::Integer,  A::kInteger,       A::kInteger,       false,  S::kNoWidth},
    TypeRow{"INTEGER",                    K::Integer,  A::kSmallInt,      A::kInteger,       false,  S::kNoWidth},
    TypeRow{"LONG",                       K::Integer,  A::kInteger,       A::kInteger,       false,  S::kUnknown},
    TypeRow{"INTEGER4",                   K::Integer,  A::kInteger,       A::kInteger,       false,  S::kUnknown},
    TypeRow{"COUNTER",                    K::Integer,  A::kInteger,       A::kInteger,       false,  S::kUnknown},
    TypeRow{"AUTOINCREMENT",              K::Integer,  A::kInteger,       A::kInteger,       false,  S::kUnknown},
    TypeRow{"SMALLINT",                   K::Integer,  A::kSmallInt,      A::kSmallInt,      false,  S::kNoWidth},
    TypeRow{"SHORT",                      K::Integer,  A::kSmallInt,      A::kSmallInt,      false,  S::kUnknown},
    TypeRow{"INTEGER2",                   K::Integer,  A::kSmallInt,      A::kSmallInt,      false,  S::kUnknown},
    TypeRow{"TINYINT",                    K::Integer,  A::kTinyInt,       A::kTinyInt,       false,  S::kNoWidth},
    TypeRow{"BYTE",                       K::Integer,  A::kTinyInt,       A::kTinyInt,       false,  S::kUnknown},
    TypeRow{"INTEGER1",                   K::Integer,  A::kTinyInt,       A::kTinyInt,       false,  S::kUnknown},
    TypeRow{"BIGINT",                     K::Integer,  A::kBigInt,        A::kBigInt,        false,  S::kNoWidth},
    TypeRow{"BIT",                        K::Bool,     A::kBoolean,       A::kBoolean,       false,  S::kNoWidth},
    TypeRow{"YESNO",                      K::Bool,     A::kBoolean,       A::kBoolean,       false,  S::kUnknown},
    TypeRow{"LOGICAL",                    K::Bool,     A::kBoolean,       A::kBoolean,       false,  S::kUnknown},
    TypeRow{"BOOLEAN",                    K::Bool,     A::kBoolean,       A::kBoolean,       false,  S::kUnknown},
    TypeRow{"MONEY",                      K::Currency, A::kCurrency,      A::kCurrency,      false,  S::kNoWidth},
    TypeRow{"SMALLMONEY",                 K::Currency, A::kCurrency,      A::kCurrency,      false,  S::kNoWidth},
    TypeRow{"CURRENCY",                   K::Currency, A::kCurrency,      A::kCurrency,      false,  S::kUnknown},
    TypeRow{"FLOAT",                      K::Double,   A::kDouble,        A::kDouble,        false,  S::kWidth},
    TypeRow{"DOUBLE",                     K::Double,   A::kDouble,        A::kDouble,        false,  S::kUnknown},
    TypeRow{"DOUBLE PRECISION",           K::Double,   A::kDouble,        A::kDouble,        false,  S::kNoWidth},
    TypeRow{"FLOAT8",                     K::Double,   A::kDouble,        A::kDouble,        false,  S::kUnknown},
    TypeRow{"NUMBER",                     K::Double,   A::kDouble,        A::kDouble,        false,  S::kUnknown},
    TypeRow{"REAL",                       K::Double,   A::kSingle,        A::kSingle,        false,  S::kNoWidth},
    TypeRow{"SINGLE",                     K::Double,   A::kSingle,        A::kSingle,        false,  S::kUnknown},
    TypeRow{"FLOAT4",                     K::Double,   A::kSingle,        A::kSingle,        false,  S::kUnknown},
    TypeRow{"DECIMAL",                    K::Decimal,  A::kNumeric,       A::kNumeric,       false,  S::kPrecision},
    TypeRow{"NUMERIC",                    K::Decimal,  A::kNumeric,       A::kNumeric,       false,  S::kPrecision},
    TypeRow{"DEC",                        K::Decimal,  A::kNumeric,       A::kNumeric,       false,  S::kPrecision},
    TypeRow{"DATETIME",                   K::Date,     A::kDate,          A::kDate,          false,  S::kNoWidth},
    TypeRow{"SMALLDATETIME",              K::Date,     A::kDate,          A::kDate,          false,  S::kNoWidth},
    TypeRow{"DATETIME2",                  K::Date,     A::kDate,          A::kDate,          false,  S::kWidth},
    TypeRow{"DATE",                       K::Date,     A::kDate,          A::kDate,          false,  S::kNoWidth},
    TypeRow{"TIME",                       K::Date,     A::kDate,          A::kDate,          false,  S::kWidth},
    TypeRow{"BINARY",                     K::Binary,   A::kBinary,        A::kBinary,        false,  S::kWidth},
    TypeRow{"VARBINARY",                  K::Binary,   A::kBinary,        A::kBinary,        false,  S::kWidthOrMax},
    TypeRow{"IMAGE",                      K::Binary,   A::kBinary,        A::kBinary,        false,  S::kNoWidth},
    TypeRow{"LONGBINARY",                 K::Binary,   A::kBinary,        A::kBinary,        false,  S::kUnknown},
};
// clang-format on

bool Contains(std::string_view upper, std::string_view part) {
    return upper.find(part) != std::string_view::npos;
}

// SQLite's own affinity rule, for stored types that neither dialect names.
ValueKind AffinityKind(std::string_view stored) {
    const std::string upper = UpperAscii(stored);
    if (Contains(upper, "INT")) return ValueKind::Integer;
    if (Contains(upper, "CHAR") || Contains(upper, "CLOB") || Contains(upper, "TEXT")) {
        return ValueKind::Text;
    }
    if (Contains(upper, "BLOB") || upper.empty()) return ValueKind::Binary;
    return ValueKind::Double;
}

// The long form of a text or binary type: non-Unicode texts stay non-Unicode.
int LongTypeOf(int ado) {
    switch (ado) {
        case A::kChar:
        case A::kVarChar:
        case A::kLongVarChar:
            return A::kLongVarChar;
        case A::kWChar:
        case A::kVarWChar:
        case A::kLongVarWChar:
            return A::kLongVarWChar;
        default:
            return ado;
    }
}

bool HasTextAffinity(std::string_view stored) {
    return AffinityKind(stored) == ValueKind::Text;
}

int ReadSigned(const Tokens& t, std::size_t& i) {
    bool negative = false;
    if (i < t.size() && t[i].IsPunct("-")) {
        negative = true;
        ++i;
    }
    if (i >= t.size() || t[i].kind != TokenKind::Number) return 0;
    const std::string& digits = t[i++].value;
    int v = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), v);
    return negative ? -v : v;
}

}  // namespace

const TypeRow* FindType(std::string_view name) {
    const std::string upper = UpperAscii(name);
    for (const TypeRow& row : kTypes) {
        if (row.name == upper) return &row;
    }
    return nullptr;
}

ValueKind DeclaredType::Kind() const {
    return row != nullptr ? row->kind : AffinityKind(name);
}

int DeclaredType::AdoType(Dialect dialect) const {
    if (row == nullptr) {
        static constexpr std::array<int, 8> kByKind{A::kVarWChar, A::kInteger, A::kDouble,
                                                    A::kCurrency, A::kNumeric, A::kDate,
                                                    A::kBoolean,  A::kBinary};
        return kByKind[static_cast<std::size_t>(Kind())];
    }
    const bool jet = dialect == Dialect::Jet;
    const int ado = jet ? row->jetAdo : row->sqlAdo;
    const bool isLong = max || (size == 0 && jet && row->unsizedIsLong);
    return isLong ? LongTypeOf(ado) : ado;
}

std::string DeclaredType::StoredText() const {
    // Jet's AUTOINCREMENT is a word of SQLite's own grammar: as a type name it is quoted.
    std::string text = EqualsNoCase(name, "AUTOINCREMENT") ? "\"" + name + "\"" : name;
    if (max) {
        text += "(-1)";  // (max): SQLite type arguments are numbers only
    } else if (size != 0 || hasScale) {
        text += "(" + std::to_string(size);
        if (hasScale) text += "," + std::to_string(scale);
        text += ")";
    }
    if (!identity.empty()) text += " " + identity;
    if (Kind() == ValueKind::Text && !HasTextAffinity(text)) text += " TEXT";
    return text;
}

DeclaredType ParseStoredType(std::string_view stored) {
    const Tokens t = Tokenize(stored);
    DeclaredType d;
    std::size_t i = 0;
    for (; i < t.size() && t[i].IsName() && !t[i].Is("IDENTITY"); ++i) {
        // The affinity word added by StoredText() is not part of the declared name.
        if (t[i].Is("TEXT") && i > 0 && FindType(d.name) != nullptr) break;
        if (!d.name.empty()) d.name += ' ';
        d.name += t[i].value;
    }
    if (i < t.size() && t[i].IsPunct("(")) {
        ++i;
        d.size = ReadSigned(t, i);
        if (i < t.size() && t[i].IsPunct(",")) {
            ++i;
            d.scale = ReadSigned(t, i);
            d.hasScale = true;
        }
        if (d.size < 0) {
            d.size = 0;
            d.max = true;
        }
        while (i < t.size() && !t[i].IsPunct(")")) ++i;
        ++i;
    }
    if (i < t.size() && t[i].Is("IDENTITY")) {
        const std::size_t start = t[i].offset;
        std::size_t end = stored.size();
        for (std::size_t j = i; j < t.size(); ++j) {
            if (t[j].IsPunct(")")) {
                end = t[j].offset + 1;
                break;
            }
        }
        d.identity = std::string(stored.substr(start, end - start));
    }
    d.row = FindType(d.name);
    return d;
}

}  // namespace db::embedded
