#include "db/embedded/functions.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "db/embedded/error_map.h"
#include "db/embedded/function_support.h"
#include "host/codepage.h"

namespace db::embedded {
namespace {

bool IsLeadByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
}

// Byte offset of the character that stands count characters into text (UTF-8).
std::size_t CharacterOffset(std::string_view text, std::int64_t count) {
    std::int64_t seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsLeadByte(text[i]) && seen++ == count) return i;
    }
    return text.size();
}

std::int64_t CharacterCount(std::string_view text) {
    std::int64_t n = 0;
    for (char c : text) n += IsLeadByte(c) ? 1 : 0;
    return n;
}

// Calls take(text, n) for non-Null arguments; Null in gives Null out, a negative n an error.
template <typename Take>
void TextAndCount(sqlite3_context* ctx, sqlite3_value** argv, const char* name, Take take) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto* raw = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const std::string_view text(raw == nullptr ? "" : raw,
                                static_cast<std::size_t>(sqlite3_value_bytes(argv[0])));
    const std::int64_t n = sqlite3_value_int64(argv[1]);
    if (n < 0) {
        const std::string message =
            std::string("Invalid length parameter passed to the ") + name + " function.";
        sqlite3_result_error(ctx, message.c_str(), -1);
        return;
    }
    const std::string_view part = take(text, n);
    sqlite3_result_text(ctx, part.data(), static_cast<int>(part.size()), SQLITE_TRANSIENT);
}

void Left(sqlite3_context* ctx, int, sqlite3_value** argv) {
    TextAndCount(ctx, argv, "left", [](std::string_view text, std::int64_t n) {
        return text.substr(0, CharacterOffset(text, n));
    });
}

void Right(sqlite3_context* ctx, int, sqlite3_value** argv) {
    TextAndCount(ctx, argv, "right", [](std::string_view text, std::int64_t n) {
        const std::int64_t skip = CharacterCount(text) - n;
        return skip <= 0 ? text : text.substr(CharacterOffset(text, skip));
    });
}

// a + b of both dialects: two texts are joined; otherwise both are numbers (a text that reads as
// a number counts as one) and are added. Null on either side gives Null.
void Add(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const int a = sqlite3_value_type(argv[0]);
    const int b = sqlite3_value_type(argv[1]);
    if (a == SQLITE_NULL || b == SQLITE_NULL) return sqlite3_result_null(ctx);
    if (a == SQLITE_TEXT && b == SQLITE_TEXT) {
        std::string joined(reinterpret_cast<const char*>(sqlite3_value_text(argv[0])),
                           static_cast<std::size_t>(sqlite3_value_bytes(argv[0])));
        joined.append(reinterpret_cast<const char*>(sqlite3_value_text(argv[1])),
                      static_cast<std::size_t>(sqlite3_value_bytes(argv[1])));
        return sqlite3_result_text(ctx, joined.data(), static_cast<int>(joined.size()),
                                   SQLITE_TRANSIENT);
    }
    for (int i = 0; i < 2; ++i) {
        const int kind = sqlite3_value_numeric_type(argv[i]);
        if (kind == SQLITE_INTEGER || kind == SQLITE_FLOAT) continue;
        const auto* raw = reinterpret_cast<const char*>(sqlite3_value_text(argv[i]));
        const std::string message = "Conversion failed when converting the value '" +
                                    std::string(raw == nullptr ? "" : raw) + "' to a number.";
        return sqlite3_result_error(ctx, message.c_str(), -1);
    }
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER &&
        sqlite3_value_type(argv[1]) == SQLITE_INTEGER) {
        long long sum = 0;
        if (!__builtin_add_overflow(sqlite3_value_int64(argv[0]), sqlite3_value_int64(argv[1]),
                                    &sum)) {
            return sqlite3_result_int64(ctx, sum);
        }
    }
    sqlite3_result_double(ctx, sqlite3_value_double(argv[0]) + sqlite3_value_double(argv[1]));
}

// CONVERT(INT, x) and CAST(x AS INT) of the server kind for a value of no known numeric type:
// numbers are cut toward zero, and a text converts only when it holds an integer (blanks and a
// sign allowed); any other text fails the statement, as the server's conversion does.
void ToInteger(sqlite3_context* ctx, int, sqlite3_value** argv) {
    switch (sqlite3_value_type(argv[0])) {
        case SQLITE_NULL:
            return sqlite3_result_null(ctx);
        case SQLITE_INTEGER:
            return sqlite3_result_int64(ctx, sqlite3_value_int64(argv[0]));
        case SQLITE_FLOAT:
            return sqlite3_result_int64(
                ctx, static_cast<sqlite3_int64>(std::trunc(sqlite3_value_double(argv[0]))));
        default:
            break;
    }
    const auto* raw = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const std::string text(raw == nullptr ? "" : raw,
                           static_cast<std::size_t>(sqlite3_value_bytes(argv[0])));
    std::size_t i = text.find_first_not_of(" \t");
    std::size_t last = text.find_last_not_of(" \t");
    bool valid = i != std::string::npos;
    if (valid && (text[i] == '+' || text[i] == '-')) ++i;
    valid = valid && i <= last;
    for (std::size_t j = i; valid && j <= last; ++j) valid = text[j] >= '0' && text[j] <= '9';
    if (!valid) {
        const std::string message =
            "Conversion failed when converting the varchar value '" + text + "' to data type int.";
        return sqlite3_result_error(ctx, message.c_str(), -1);
    }
    try {
        sqlite3_result_int64(ctx, std::stoll(text.substr(text.find_first_not_of(" \t"))));
    } catch (const std::out_of_range&) {
        sqlite3_result_error(
            ctx, "Arithmetic overflow error converting expression to data type int.", -1);
    }
}

// a & b of Jet: both operands as texts; a Null one counts as an empty text, and only two Nulls
// give Null.
void Join(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const bool nullA = sqlite3_value_type(argv[0]) == SQLITE_NULL;
    const bool nullB = sqlite3_value_type(argv[1]) == SQLITE_NULL;
    if (nullA && nullB) return sqlite3_result_null(ctx);
    std::string joined;
    for (int i = 0; i < 2; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) continue;
        const auto* raw = reinterpret_cast<const char*>(sqlite3_value_text(argv[i]));
        if (raw != nullptr)
            joined.append(raw, static_cast<std::size_t>(sqlite3_value_bytes(argv[i])));
    }
    sqlite3_result_text(ctx, joined.data(), static_cast<int>(joined.size()), SQLITE_TRANSIENT);
}

// The divisor of a / b and a % b as it is, Null as Null; zero (or a text that reads as zero) is
// the dialect's error. error_map.cpp gives both texts their error number.
void Divisor(sqlite3_context* ctx, sqlite3_value* value, const char* zeroText) {
    if (sqlite3_value_type(value) != SQLITE_NULL && sqlite3_value_double(value) == 0.0) {
        return sqlite3_result_error(ctx, zeroText, -1);
    }
    sqlite3_result_value(ctx, value);
}

void SqlServerDivisor(sqlite3_context* ctx, int, sqlite3_value** argv) {
    Divisor(ctx, argv[0], kSqlServerDivideByZero);
}

// Jet's / divides in floating point (7 / 2 is 3.5) where SQLite divides integers to an integer,
// so the divisor goes back as a floating-point number.
void JetDivisor(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_double(argv[0]) == 0.0) {
        return Divisor(ctx, argv[0], kJetDivisionByZero);
    }
    sqlite3_result_double(ctx, sqlite3_value_double(argv[0]));
}

// Jet's Chr(code) as on the store PCs, whose code page (949) is a double-byte one: 0 to 127 the
// ASCII character, -32768 to 65535 otherwise the character of that two-byte code (high byte
// first); ChrW(code) the UTF-16 unit. Jet answers Null with "Invalid use of Null" and a code that
// names no character with "Invalid procedure call or argument".
void CharacterOfCode(sqlite3_context* ctx, sqlite3_value** argv, bool wide) {
    if (IsNullArgument(argv[0])) {
        sqlite3_result_error(ctx, "Invalid use of Null", -1);
        return;
    }
    const std::int64_t code = sqlite3_value_int64(argv[0]);
    std::optional<std::string> text;
    if (code >= -32768 && code <= 65535) {
        const auto unit = static_cast<std::uint32_t>(code & 0xFFFF);
        if (unit < 0x80) {
            text = std::string(1, static_cast<char>(unit));
        } else if (wide && (unit < 0xD800 || unit > 0xDFFF)) {
            host::AppendUtf8(text.emplace(), unit);
        } else if (!wide && (unit >> 8) >= 0x81) {  // a lead byte of CP949
            const char bytes[] = {static_cast<char>(unit >> 8), static_cast<char>(unit & 0xFF)};
            text = host::Cp949ToUtf8(std::string_view(bytes, 2));
        }
    }
    if (!text) {
        sqlite3_result_error(ctx, "Invalid procedure call or argument", -1);
        return;
    }
    sqlite3_result_text(ctx, text->data(), static_cast<int>(text->size()), SQLITE_TRANSIENT);
}

void Chr(sqlite3_context* ctx, int, sqlite3_value** argv) {
    CharacterOfCode(ctx, argv, false);
}

void ChrW(sqlite3_context* ctx, int, sqlite3_value** argv) {
    CharacterOfCode(ctx, argv, true);
}

struct Function {
    const char* name;
    int arguments;
    void (*call)(sqlite3_context*, int, sqlite3_value**);
};

constexpr std::array kFunctions{
    Function{"dp_left", 2, Guarded<Left>},
    Function{"dp_right", 2, Guarded<Right>},
    Function{"dp_add", 2, Guarded<Add>},
    Function{"dp_int", 1, Guarded<ToInteger>},
    Function{"dp_join", 2, Guarded<Join>},
    Function{"dp_divisor", 1, Guarded<SqlServerDivisor>},
    Function{"dp_jet_divisor", 1, Guarded<JetDivisor>},
    Function{"dp_chr", 1, Guarded<Chr>},
    Function{"dp_chrw", 1, Guarded<ChrW>},
};

}  // namespace

void RegisterFunctions(sqlite3* db) {
    for (const Function& f : kFunctions) {
        const int rc = sqlite3_create_function_v2(
            db, f.name, f.arguments, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
            f.call, nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) throw LastError(db, rc);
    }
}

}  // namespace db::embedded
