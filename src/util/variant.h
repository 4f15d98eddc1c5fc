#pragma once
// A value as the store database and the configuration hand it over: Null, boolean, integer,
// double, currency, text or date-time. Every value read from a record set is one of these.
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace util {

// Currency: a fixed-point amount with four decimals, held as an integer count of 1/10000.
struct Currency {
    std::int64_t scaled = 0;
    static Currency FromDouble(double v);
    double ToDouble() const { return static_cast<double>(scaled) / 10000.0; }
    bool operator==(const Currency&) const = default;
};

// Date-time: days since 1899-12-30 with the time of day as the fraction.
struct DateTime {
    double serial = 0;
    bool operator==(const DateTime&) const = default;
};

struct Null {
    bool operator==(const Null&) const = default;
};

class Variant {
  public:
    enum class Kind { Empty, Null, Bool, Int, Double, Currency, Text, Date };

    Variant() = default;  // Empty: "not passed"
    Variant(Null) : v_(Null{}) {}
    Variant(bool b) : v_(b) {}
    Variant(int i) : v_(static_cast<std::int64_t>(i)) {}
    Variant(std::int64_t i) : v_(i) {}
    Variant(double d) : v_(d) {}
    Variant(Currency c) : v_(c) {}
    Variant(DateTime d) : v_(d) {}
    Variant(std::string s) : v_(std::move(s)) {}
    Variant(const char* s) : v_(std::string(s)) {}

    static Variant MakeNull() { return Variant(Null{}); }

    Kind kind() const { return static_cast<Kind>(v_.index()); }
    bool IsEmpty() const { return kind() == Kind::Empty; }
    bool IsNull() const { return kind() == Kind::Null; }
    bool IsText() const { return kind() == Kind::Text; }
    // True for integer, double, currency and boolean values, and for text that reads as a number
    // (VB's IsNumeric: leading and trailing blanks allowed).
    bool IsNumeric() const;

    // True is -1 wherever a boolean becomes a number, as in VB. Text that is not a number gives
    // 0 (false), where VB would raise a type mismatch.
    bool AsBool() const;         // text "True"/"False" in any case, or a number other than 0
    std::int64_t AsInt() const;  // rounds half to even, as VB's CLng
    double AsDouble() const;     // text that is not a number gives 0
    Currency AsCurrency() const;
    // The value as text the way VB's CStr writes it: integers in decimal, doubles with up to 15
    // significant digits (1E+15 and 1E-05 in exponent form), currency with up to four decimals,
    // booleans as "True"/"False", dates as "yyyy-MM-dd HH:mm:ss", Null and Empty as "".
    std::string AsText() const;

    bool operator==(const Variant& o) const = default;

  private:
    std::variant<std::monostate, Null, bool, std::int64_t, double, Currency, std::string, DateTime>
        v_;
};

// Parses a number as VB's IsNumeric/CDbl see it: blanks around it, a sign, digits with thousands
// commas, a decimal point, an exponent, or "&H" hexadecimal. Returns false when the text is not a
// number (out is then left alone).
bool ParseNumber(std::string_view text, double& out);

// VB's Val: the number at the start of the text, blanks anywhere ignored, 0 when there is none
// ("12abc" gives 12, " 1 2" gives 12, "1,000" gives 1).
double Val(std::string_view text);

}  // namespace util
