#include "util/variant.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "host/ascii_text.h"
#include "util/date_serial.h"

namespace util {
namespace {

constexpr std::int64_t kCurrencyScale = 10000;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads a number at the start of s: a sign, then "&H" hexadecimal or decimal digits (with
// thousands commas after the first digit when allowed), a fraction and an exponent (taken only
// when digits follow it). Returns how many characters make up the number, 0 when there is none.
std::size_t ScanNumber(std::string_view s, bool allowCommas, double& out) {
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    if (s.size() - i > 2 && s[i] == '&' && (s[i + 1] == 'H' || s[i + 1] == 'h')) {
        std::uint64_t v = 0;
        const char* first = s.data() + i + 2;
        auto [end, ec] = std::from_chars(first, s.data() + s.size(), v, 16);
        if (ec != std::errc()) return 0;
        out = negative ? -static_cast<double>(v) : static_cast<double>(v);
        return static_cast<std::size_t>(end - s.data());
    }
    std::string clean = negative ? "-" : "";
    bool anyDigit = false;
    for (; i < s.size() && (IsDigit(s[i]) || (allowCommas && s[i] == ',' && anyDigit)); ++i) {
        if (s[i] == ',') continue;
        clean += s[i];
        anyDigit = true;
    }
    if (i < s.size() && s[i] == '.') {
        clean += s[i++];
        for (; i < s.size() && IsDigit(s[i]); ++i, anyDigit = true) clean += s[i];
    }
    if (!anyDigit) return 0;
    if (i < s.size() && std::string_view("eEdD").find(s[i]) != std::string_view::npos) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) exponent += s[j++];
        std::size_t digitsFrom = j;
        for (; j < s.size() && IsDigit(s[j]); ++j) exponent += s[j];
        if (j > digitsFrom) {
            clean += exponent;
            i = j;
        }
    }
    double v = 0;
    auto [end, ec] = std::from_chars(clean.data(), clean.data() + clean.size(), v);
    if (ec != std::errc() || end != clean.data() + clean.size()) return 0;
    out = v;
    return i;
}

// Rounds half to even and keeps the result inside the 64-bit range.
std::int64_t RoundToInt64(double v) {
    if (!std::isfinite(v)) return 0;
    double r = std::nearbyint(v);
    constexpr double kMax = 9.2233720368547748e18;
    if (r >= kMax) return std::numeric_limits<std::int64_t>::max();
    if (r <= -kMax) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(r);
}

// Writes a double the way VB's CStr does: 15 significant digits, trailing zeros dropped, exponent
// form below 1E-04 and from 1E+15 on.
std::string DoubleToText(double v) {
    if (v == 0) return "0";
    if (!std::isfinite(v)) return std::isnan(v) ? "NaN" : (v > 0 ? "Inf" : "-Inf");
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", v);
    std::string s(buf);
    std::size_t e = s.find('e');
    int exponent = std::stoi(s.substr(e + 1));
    bool negative = s[0] == '-';
    std::string digits;
    for (std::size_t i = negative ? 1 : 0; i < e; ++i)
        if (IsDigit(s[i])) digits += s[i];
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    std::string out = negative ? "-" : "";
    if (exponent < -4 || exponent >= 15) {
        out += digits[0];
        if (digits.size() > 1) out += "." + digits.substr(1);
        char ebuf[16];
        std::snprintf(ebuf, sizeof ebuf, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
        return out + ebuf;
    }
    if (exponent < 0) return out + "0." + std::string(-exponent - 1, '0') + digits;
    std::size_t intLen = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= intLen) return out + digits + std::string(intLen - digits.size(), '0');
    return out + digits.substr(0, intLen) + "." + digits.substr(intLen);
}

std::string CurrencyToText(Currency c) {
    std::int64_t whole = c.scaled / kCurrencyScale;
    std::int64_t frac = std::abs(c.scaled % kCurrencyScale);
    std::string out = (c.scaled < 0 && whole == 0) ? "-0" : std::to_string(whole);
    if (frac == 0) return out;
    char buf[24];
    std::snprintf(buf, sizeof buf, "%04lld", static_cast<long long>(frac));
    std::string decimals(buf);
    while (decimals.back() == '0') decimals.pop_back();
    return out + "." + decimals;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
        char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] + 32) : b[i];
        if (x != y) return false;
    }
    return true;
}

std::string_view TrimBlanks(std::string_view s) {
    return host::Trim(s, " \t");
}

}  // namespace

Currency Currency::FromDouble(double v) {
    return Currency{RoundToInt64(v * kCurrencyScale)};
}

bool ParseNumber(std::string_view text, double& out) {
    std::string_view s = TrimBlanks(text);
    double v = 0;
    std::size_t used = ScanNumber(s, true, v);
    if (used == 0 || used != s.size()) return false;
    out = v;
    return true;
}

double Val(std::string_view text) {
    std::string compact;
    for (char c : text)
        if (!IsBlank(c) && c != '\n' && c != '\r') compact += c;
    double v = 0;
    return ScanNumber(compact, false, v) > 0 ? v : 0.0;
}

bool Variant::IsNumeric() const {
    switch (kind()) {
        case Kind::Bool:
        case Kind::Int:
        case Kind::Double:
        case Kind::Currency:
            return true;
        case Kind::Text: {
            double ignored = 0;
            return ParseNumber(std::get<std::string>(v_), ignored);
        }
        default:
            return false;
    }
}

bool Variant::AsBool() const {
    if (kind() == Kind::Bool) return std::get<bool>(v_);
    if (kind() == Kind::Text) {
        std::string_view t = TrimBlanks(std::get<std::string>(v_));
        if (EqualsNoCase(t, "True")) return true;
        if (EqualsNoCase(t, "False")) return false;
    }
    return AsDouble() != 0;
}

std::int64_t Variant::AsInt() const {
    switch (kind()) {
        case Kind::Int:
            return std::get<std::int64_t>(v_);
        case Kind::Currency: {
            std::int64_t scaled = std::get<Currency>(v_).scaled;
            std::int64_t q = scaled / kCurrencyScale;
            std::int64_t r = std::abs(scaled % kCurrencyScale);
            std::int64_t step = scaled < 0 ? -1 : 1;
            if (r > kCurrencyScale / 2 || (r == kCurrencyScale / 2 && q % 2 != 0)) q += step;
            return q;
        }
        default:
            return RoundToInt64(AsDouble());
    }
}

double Variant::AsDouble() const {
    switch (kind()) {
        case Kind::Bool:
            return std::get<bool>(v_) ? -1.0 : 0.0;
        case Kind::Int:
            return static_cast<double>(std::get<std::int64_t>(v_));
        case Kind::Double:
            return std::get<double>(v_);
        case Kind::Currency:
            return std::get<Currency>(v_).ToDouble();
        case Kind::Date:
            return std::get<DateTime>(v_).serial;
        case Kind::Text: {
            double v = 0;
            return ParseNumber(std::get<std::string>(v_), v) ? v : 0.0;
        }
        default:
            return 0.0;
    }
}

Currency Variant::AsCurrency() const {
    switch (kind()) {
        case Kind::Currency:
            return std::get<Currency>(v_);
        case Kind::Int: {
            std::int64_t i = std::get<std::int64_t>(v_);
            constexpr std::int64_t kLimit =
                std::numeric_limits<std::int64_t>::max() / kCurrencyScale;
            if (i > kLimit) return Currency{std::numeric_limits<std::int64_t>::max()};
            if (i < -kLimit) return Currency{std::numeric_limits<std::int64_t>::min()};
            return Currency{i * kCurrencyScale};
        }
        default:
            return Currency::FromDouble(AsDouble());
    }
}

std::string Variant::AsText() const {
    switch (kind()) {
        case Kind::Bool:
            return std::get<bool>(v_) ? "True" : "False";
        case Kind::Int:
            return std::to_string(std::get<std::int64_t>(v_));
        case Kind::Double:
            return DoubleToText(std::get<double>(v_));
        case Kind::Currency:
            return CurrencyToText(std::get<Currency>(v_));
        case Kind::Text:
            return std::get<std::string>(v_);
        case Kind::Date:
            return FormatDateTime(std::get<DateTime>(v_));
        default:
            return "";
    }
}

}  // namespace util
