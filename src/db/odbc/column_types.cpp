#include "db/odbc/column_types.h"

#include <sqlext.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <limits>
#include <optional>

#include "db/ascii_text.h"
#include "db/schema.h"
#include "util/date_serial.h"

namespace db::odbc {
namespace {

struct NameRule {
    std::string_view name;
    int adoType;
};

// Type names that decide the ADO type whatever SQL type the driver reports with them.
constexpr std::array kNameRules{
    NameRule{"money", AdoType::kCurrency},    NameRule{"smallmoney", AdoType::kCurrency},
    NameRule{"currency", AdoType::kCurrency}, NameRule{"decimal", AdoType::kNumeric},
    NameRule{"numeric", AdoType::kNumeric},   NameRule{"nvarchar", AdoType::kVarWChar},
    NameRule{"nchar", AdoType::kWChar},       NameRule{"ntext", AdoType::kLongVarWChar},
    NameRule{"yesno", AdoType::kBoolean},     NameRule{"long", AdoType::kInteger},
};

struct SqlTypeRule {
    SQLSMALLINT sqlType;
    int adoType;
};

// SQL Server's own kinds: sql_variant, xml, time and datetimeoffset.
constexpr SQLSMALLINT kSsVariant = -150, kSsXml = -152, kSsTime2 = -154, kSsTimestampOffset = -155;
constexpr int kAdoGuid = 72, kAdoVariant = 12;

constexpr std::array kSqlTypeRules{
    SqlTypeRule{SQL_CHAR, AdoType::kChar},
    SqlTypeRule{SQL_VARCHAR, AdoType::kVarChar},
    SqlTypeRule{SQL_LONGVARCHAR, AdoType::kLongVarChar},
    SqlTypeRule{SQL_WCHAR, AdoType::kWChar},
    SqlTypeRule{SQL_WVARCHAR, AdoType::kVarWChar},
    SqlTypeRule{SQL_WLONGVARCHAR, AdoType::kLongVarWChar},
    SqlTypeRule{kSsXml, AdoType::kLongVarWChar},
    SqlTypeRule{SQL_BIT, AdoType::kBoolean},
    SqlTypeRule{SQL_TINYINT, AdoType::kTinyInt},
    SqlTypeRule{SQL_SMALLINT, AdoType::kSmallInt},
    SqlTypeRule{SQL_INTEGER, AdoType::kInteger},
    SqlTypeRule{SQL_BIGINT, AdoType::kBigInt},
    SqlTypeRule{SQL_REAL, AdoType::kSingle},
    SqlTypeRule{SQL_FLOAT, AdoType::kDouble},
    SqlTypeRule{SQL_DOUBLE, AdoType::kDouble},
    SqlTypeRule{SQL_DECIMAL, AdoType::kNumeric},
    SqlTypeRule{SQL_NUMERIC, AdoType::kNumeric},
    SqlTypeRule{SQL_TYPE_DATE, AdoType::kDate},
    SqlTypeRule{SQL_TYPE_TIME, AdoType::kDate},
    SqlTypeRule{SQL_TYPE_TIMESTAMP, AdoType::kDate},
    SqlTypeRule{SQL_DATE, AdoType::kDate},
    SqlTypeRule{SQL_TIME, AdoType::kDate},
    SqlTypeRule{SQL_TIMESTAMP, AdoType::kDate},
    SqlTypeRule{kSsTime2, AdoType::kDate},
    SqlTypeRule{kSsTimestampOffset, AdoType::kDate},
    SqlTypeRule{SQL_BINARY, AdoType::kBinary},
    SqlTypeRule{SQL_VARBINARY, AdoType::kBinary},
    SqlTypeRule{SQL_LONGVARBINARY, AdoType::kBinary},
    SqlTypeRule{SQL_GUID, kAdoGuid},
    SqlTypeRule{kSsVariant, kAdoVariant},
};

constexpr std::array kSizedTypes{AdoType::kChar,     AdoType::kVarChar, AdoType::kWChar,
                                 AdoType::kVarWChar, AdoType::kBinary,  AdoType::kNumeric};

enum class ValueKind { Text, Integer, Double, Currency, Decimal, Boolean, Date };

struct KindRule {
    int adoType;
    ValueKind kind;
};

constexpr std::array kKindRules{
    KindRule{AdoType::kTinyInt, ValueKind::Integer},
    KindRule{AdoType::kSmallInt, ValueKind::Integer},
    KindRule{AdoType::kInteger, ValueKind::Integer},
    KindRule{AdoType::kBigInt, ValueKind::Integer},
    KindRule{AdoType::kSingle, ValueKind::Double},
    KindRule{AdoType::kDouble, ValueKind::Double},
    KindRule{AdoType::kCurrency, ValueKind::Currency},
    KindRule{AdoType::kNumeric, ValueKind::Decimal},
    KindRule{AdoType::kBoolean, ValueKind::Boolean},
    KindRule{AdoType::kDate, ValueKind::Date},
};

ValueKind KindOf(int adoType) {
    for (const KindRule& rule : kKindRules) {
        if (rule.adoType == adoType) return rule.kind;
    }
    return ValueKind::Text;
}

// The whole text as a number of type T, or nullopt.
template <class T>
std::optional<T> ParseWhole(std::string_view text) {
    if (text.starts_with('+')) text.remove_prefix(1);
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// A plain decimal ("-1234.5678") as an exact currency amount; nullopt when the text has another
// form, is out of range, or has non-zero digits beyond the fourth decimal.
std::optional<util::Currency> ParseCurrency(std::string_view text) {
    bool negative = false;
    if (text.starts_with('-') || text.starts_with('+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    if (whole.empty() && fraction.empty()) return std::nullopt;
    if (fraction.size() > 4 && fraction.find_first_not_of('0', 4) != std::string_view::npos) {
        return std::nullopt;
    }
    // The amount in ten-thousandths: the whole digits and four decimals, padded with zeros.
    std::string digits(whole);
    digits += fraction.substr(0, 4);
    digits.append(4 - std::min<size_t>(fraction.size(), 4), '0');
    if (digits.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
    const auto scaled = ParseWhole<std::int64_t>(digits);
    if (!scaled) return std::nullopt;
    return util::Currency{negative ? -*scaled : *scaled};
}

// Reads digits at text[pos]: at least minCount, at most maxCount.
bool ReadNumber(std::string_view text, size_t& pos, size_t minCount, size_t maxCount, int& out) {
    size_t count = 0;
    out = 0;
    while (pos < text.size() && count < maxCount && text[pos] >= '0' && text[pos] <= '9') {
        out = out * 10 + (text[pos++] - '0');
        ++count;
    }
    return count >= minCount;
}

bool ReadChar(std::string_view text, size_t& pos, std::string_view choices) {
    if (pos >= text.size() || choices.find(text[pos]) == std::string_view::npos) return false;
    ++pos;
    return true;
}

// "HH:MM[:SS[.fff]]" at pos; seconds' fraction into fraction.
bool ReadTime(std::string_view text, size_t& pos, util::CivilTime& t, double& fraction) {
    if (!ReadNumber(text, pos, 1, 2, t.hour) || !ReadChar(text, pos, ":") ||
        !ReadNumber(text, pos, 2, 2, t.minute)) {
        return false;
    }
    if (ReadChar(text, pos, ":") && !ReadNumber(text, pos, 2, 2, t.second)) return false;
    if (ReadChar(text, pos, ".")) {
        double scale = 0.1;
        const size_t start = pos;
        for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos, scale /= 10) {
            fraction += (text[pos] - '0') * scale;
        }
        if (pos == start) return false;
    }
    return t.hour < 24 && t.minute < 60 && t.second < 60;
}

// "YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS[.fff]" (or with 'T'), or a time alone, which lies on the
// date origin as in VB.
std::optional<util::DateTime> ParseDateTime(std::string_view text) {
    util::CivilTime t;
    double fraction = 0;
    size_t pos = 0;
    const bool timeOnly = text.find(':') != std::string_view::npos &&
                          text.find_first_of("-/") == std::string_view::npos;
    if (timeOnly) {
        if (!ReadTime(text, pos, t, fraction)) return std::nullopt;
    } else {
        if (!ReadNumber(text, pos, 4, 4, t.year) || !ReadChar(text, pos, "-/") ||
            !ReadNumber(text, pos, 1, 2, t.month) || !ReadChar(text, pos, "-/") ||
            !ReadNumber(text, pos, 1, 2, t.day)) {
            return std::nullopt;
        }
        const std::chrono::year_month_day date{std::chrono::year{t.year},
                                               std::chrono::month{static_cast<unsigned>(t.month)},
                                               std::chrono::day{static_cast<unsigned>(t.day)}};
        if (!date.ok()) return std::nullopt;
        if (ReadChar(text, pos, " T") && !ReadTime(text, pos, t, fraction)) return std::nullopt;
    }
    if (pos != text.size()) return std::nullopt;
    const double serial = util::MakeDateTime(t).serial;
    const double extra = fraction / 86400.0;
    return util::DateTime{serial < 0 ? serial - extra : serial + extra};
}

std::optional<bool> ParseBoolean(std::string_view text) {
    if (EqualsNoCase(text, "true")) return true;
    if (EqualsNoCase(text, "false")) return false;
    if (const auto number = ParseWhole<double>(text)) return *number != 0;
    return std::nullopt;
}

std::optional<util::Variant> DecodeNumber(std::string_view text) {
    if (const auto integer = ParseWhole<std::int64_t>(text)) return util::Variant(*integer);
    if (const auto real = ParseWhole<double>(text)) return util::Variant(*real);
    return std::nullopt;
}

std::optional<util::Variant> DecodeCurrency(std::string_view text) {
    if (const auto amount = ParseCurrency(text)) return util::Variant(*amount);
    if (const auto real = ParseWhole<double>(text)) {
        return util::Variant(util::Currency::FromDouble(*real));
    }
    return std::nullopt;
}

std::optional<util::Variant> DecodeDecimal(int scale, std::string_view text) {
    if (scale <= 4) {
        if (const auto amount = ParseCurrency(text)) return util::Variant(*amount);
    }
    if (const auto real = ParseWhole<double>(text)) return util::Variant(*real);
    return std::nullopt;
}

template <class T>
std::optional<util::Variant> AsVariant(const std::optional<T>& value) {
    if (!value) return std::nullopt;
    return util::Variant(*value);
}

std::optional<util::Variant> Decode(ValueKind kind, int scale, std::string_view text) {
    switch (kind) {
        case ValueKind::Integer:
            return DecodeNumber(text);
        case ValueKind::Double:
            return AsVariant(ParseWhole<double>(text));
        case ValueKind::Currency:
            return DecodeCurrency(text);
        case ValueKind::Decimal:
            return DecodeDecimal(scale, text);
        case ValueKind::Boolean:
            return AsVariant(ParseBoolean(text));
        case ValueKind::Date:
            return AsVariant(ParseDateTime(text));
        case ValueKind::Text:
            break;
    }
    return std::nullopt;
}

}  // namespace

TypeName SplitTypeName(std::string_view reported) {
    TypeName out;
    std::string_view name = TrimBlanks(reported);
    constexpr std::string_view kIdentity = " identity";
    if (name.size() > kIdentity.size() &&
        EqualsNoCase(name.substr(name.size() - kIdentity.size()), kIdentity)) {
        out.identity = true;
        name = TrimBlanks(name.substr(0, name.size() - kIdentity.size()));
    }
    const size_t open = name.find('(');
    if (open != std::string_view::npos) {
        size_t pos = open + 1;
        while (pos < name.size() && name[pos] == ' ') ++pos;
        int size = 0;
        if (ReadNumber(name, pos, 1, 9, size)) out.size = size;
        name = TrimBlanks(name.substr(0, open));
    }
    out.name = std::string(name);
    return out;
}

int AdoTypeFor(SQLSMALLINT sqlType, std::string_view typeName) {
    const TypeName split = SplitTypeName(typeName);
    for (const NameRule& rule : kNameRules) {
        if (EqualsNoCase(rule.name, split.name)) return rule.adoType;
    }
    for (const SqlTypeRule& rule : kSqlTypeRules) {
        if (rule.sqlType == sqlType) return rule.adoType;
    }
    return AdoType::kVarWChar;
}

int DeclaredSize(int adoType, long long columnSize) {
    for (const int sized : kSizedTypes) {
        if (sized == adoType) {
            return static_cast<int>(
                std::clamp<long long>(columnSize, 0, std::numeric_limits<int>::max()));
        }
    }
    return 0;
}

bool ReadsAsDouble(SQLSMALLINT sqlType) {
    return sqlType == SQL_REAL || sqlType == SQL_FLOAT || sqlType == SQL_DOUBLE;
}

util::Variant DecodeText(int adoType, int scale, std::string text) {
    if (auto value = Decode(KindOf(adoType), scale, TrimBlanks(text))) return std::move(*value);
    return util::Variant(std::move(text));
}

}  // namespace db::odbc
