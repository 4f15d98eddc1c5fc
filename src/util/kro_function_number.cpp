// Kro_Function: percentages, rounding, number formats and amounts in Korean words.
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "util/kro_function.h"

namespace util {
namespace {

// Adds one to a decimal digit text; "99" becomes "100".
std::string Increment(std::string digits) {
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return digits;
        }
        *it = '0';
    }
    return "1" + digits;
}

// "1234567.50" becomes "1,234,567.50"; a leading '-' stays in front.
std::string GroupThousands(std::string_view number) {
    bool negative = !number.empty() && number[0] == '-';
    if (negative) number.remove_prefix(1);
    std::size_t point = number.find('.');
    std::string_view whole = number.substr(0, point);
    std::string out;
    for (std::size_t i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0) out += ',';
        out += whole[i];
    }
    if (point != std::string_view::npos) out.append(number.substr(point));
    return negative ? "-" + out : out;
}

// One group of four digits (0 to 9999) in Korean words, every digit named ("일천이백").
std::string FourDigitsInWords(int group) {
    static constexpr std::array<const char*, 10> kDigits = {"",   "일", "이", "삼", "사",
                                                            "오", "육", "칠", "팔", "구"};
    static constexpr std::array<const char*, 4> kPlaces = {"천", "백", "십", ""};
    std::string out;
    for (int place = 0, divisor = 1000; place < 4; ++place, divisor /= 10) {
        int digit = group / divisor % 10;
        if (digit != 0) out.append(kDigits[digit]).append(kPlaces[place]);
    }
    return out;
}

}  // namespace

double Kro_Function::NMPercent(std::int32_t a, std::int32_t b) {
    if (a == 0 || b == 0) return 100;
    // Whole numbers, so that 29 of 100 is 29 and not 28.999….
    std::int64_t scaled = static_cast<std::int64_t>(b) * 100;
    std::int64_t q = scaled / a;
    if (scaled % a != 0 && ((scaled < 0) != (a < 0))) --q;  // the integer part rounds down
    return static_cast<double>(q);
}

Currency Kro_Function::NMPercentValue(Currency nValue, std::int32_t nPercent) {
    return Currency::FromDouble(nValue.ToDouble() * nPercent / 100.0);
}

double Kro_Function::NMRound(double value, int digits) {
    if (!std::isfinite(value) || value == 0) return value;
    // The shortest text that reads back as the value: "2.675" rather than 2.67499999….
    char buf[64];
    auto res =
        std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific);
    std::string_view sci(buf, static_cast<std::size_t>(res.ptr - buf));
    std::size_t e = sci.find('e');
    std::string_view expText = sci.substr(e + 1);
    if (!expText.empty() && expText[0] == '+') expText.remove_prefix(1);
    int exponent = 0;
    std::from_chars(expText.data(), expText.data() + expText.size(), exponent);
    std::string mantissa;
    for (char c : sci.substr(0, e))
        if (c != '.') mantissa += c;

    // value = 0.<mantissa> × 10^(exponent + 1); keep the digits down to 10^-digits.
    long keep = static_cast<long>(exponent) + 1 + digits;
    if (keep >= static_cast<long>(mantissa.size())) return value;
    if (keep < 0) return 0;
    std::string kept = mantissa.substr(0, static_cast<std::size_t>(keep));
    if (mantissa[static_cast<std::size_t>(keep)] >= '5') kept = Increment(kept);
    if (kept.empty()) return 0;
    std::string text = kept + "e" + std::to_string(-digits);
    double rounded = 0;
    std::from_chars(text.data(), text.data() + text.size(), rounded);
    return value < 0 ? -rounded : rounded;
}

std::string Kro_Function::NM한글금액(const Variant& amount) {
    static constexpr std::array<const char*, 5> kGroups = {"", "만", "억", "조", "경"};
    std::int64_t value = Nz(amount).AsInt();
    if (value == 0) return "영";
    // Work on the magnitude without overflowing at the most negative value.
    std::uint64_t rest =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::string words;
    for (std::size_t g = 0; rest > 0 && g < kGroups.size(); ++g, rest /= 10000) {
        int group = static_cast<int>(rest % 10000);
        if (group != 0) words = FourDigitsInWords(group) + kGroups[g] + words;
    }
    return value < 0 ? "마이너스" + words : words;
}

Variant Kro_Function::SRFormat(const Variant& xValue, int EQKind) {
    Variant value = Nz(xValue, 1);
    double number = 0;
    if (!ParseNumber(value.AsText(), number)) return value;
    int decimals = EQKind < 0 ? 0 : EQKind > 4 ? 4 : EQKind;
    const double rounded = NMRound(number, decimals);
    std::string text(static_cast<std::size_t>(std::snprintf(nullptr, 0, "%.*f", decimals, rounded)),
                     '\0');
    std::snprintf(text.data(), text.size() + 1, "%.*f", decimals, rounded);
    if (text.starts_with("-") && text.find_first_not_of("-0.") == std::string::npos)
        text.erase(0, 1);  // no "-0"
    return Variant(GroupThousands(text));
}

Variant Kro_Function::SRFormat_Money(const Variant& xValue) {
    return SRFormat(xValue, 0);
}

}  // namespace util
