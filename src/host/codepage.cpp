#include "host/codepage.h"

#include <iconv.h>

#include <cerrno>

namespace host {
namespace {

constexpr std::string_view kReplacementChar = "\xEF\xBF\xBD";  // U+FFFD

// Owns one iconv conversion descriptor. A descriptor that could not be opened (no gconv module)
// reports !Ok() and every conversion through it fails, so callers fall back to '?' or nullopt.
class Iconv {
  public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Iconv() {
        if (Ok()) iconv_close(cd_);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    bool Ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts from the front of `in`, appending to `out` and consuming what was converted.
    // Returns 0 when all of `in` was converted, else the errno that stopped it (EILSEQ, EINVAL).
    int Convert(std::string_view& in, std::string& out) {
        if (!Ok()) return EILSEQ;
        char buffer[4096];
        char* inPtr = const_cast<char*>(in.data());
        std::size_t inLeft = in.size();
        int error = 0;
        while (inLeft > 0) {
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t rc = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
            if (rc != static_cast<std::size_t>(-1)) continue;
            if (errno == E2BIG) continue;
            error = errno;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
            break;
        }
        in.remove_prefix(in.size() - inLeft);
        return error;
    }

  private:
    iconv_t cd_;
};

// The second byte of a two-byte CP949 (Unified Hangul Code) character.
bool IsCp949Trail(unsigned char c) {
    return (c >= 0x41 && c <= 0x5A) || (c >= 0x61 && c <= 0x7A) || (c >= 0x81 && c <= 0xFE);
}

// A byte that starts no character, kept as a private-use code point (see Cp949ToUtf8Reversible).
constexpr char32_t kRawByteBase = 0xF700;

void AppendRawByte(std::string& out, unsigned char byte) {
    AppendUtf8(out, kRawByteBase + byte);
}

// The byte a three-byte UTF-8 sequence stands for when it is a kept byte.
std::optional<char> RawByte(std::string_view utf8char) {
    if (utf8char.size() != 3) return std::nullopt;
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(utf8char[i]); };
    const char32_t cp =
        (char32_t(b(0) & 0x0F) << 12) | (char32_t(b(1) & 0x3F) << 6) | (b(2) & 0x3F);
    if (cp < kRawByteBase + 0x80 || cp > kRawByteBase + 0xFF) return std::nullopt;
    return static_cast<char>(cp - kRawByteBase);
}

enum class BadBytes {
    Replace,  // U+FFFD for each byte, or for a pair that looks like a character and is none
    Keep,     // each byte as its private-use code point
};

std::string DecodeCp949(std::string_view bytes, BadBytes bad) {
    Iconv toUtf8("UTF-8", "CP949");
    std::string out;
    std::string_view all = bytes;
    if (toUtf8.Convert(all, out) == 0) return out;
    // Where iconv stopped does not show where the fault is: glibc takes an unassigned pair (A2 E8)
    // before it reports it, so the byte it stopped at may well be the start of a good character.
    // Go through the text again one character at a time.
    out.clear();
    for (std::size_t pos = 0; pos < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[pos]);
        if (lead < 0x80) {
            out.push_back(bytes[pos++]);
            continue;
        }
        const bool pair = lead != 0x80 && lead != 0xFF && pos + 1 < bytes.size() &&
                          IsCp949Trail(static_cast<unsigned char>(bytes[pos + 1]));
        std::string_view ch = bytes.substr(pos, pair ? 2 : 1);
        std::string piece;
        if (pair && toUtf8.Convert(ch, piece) == 0 && !piece.empty()) {
            out += piece;
            pos += 2;
        } else if (bad == BadBytes::Keep) {
            // An unassigned pair is kept as two bytes; a letter after a lead byte stays a letter.
            AppendRawByte(out, lead);
            const auto trail = static_cast<unsigned char>(pair ? bytes[pos + 1] : 0);
            if (trail >= 0x80) AppendRawByte(out, trail);
            pos += trail >= 0x80 ? 2 : 1;
        } else {
            out += kReplacementChar;
            pos += pair ? 2 : 1;
        }
    }
    return out;
}

struct AnsiPrefix {
    std::string bytes;
    std::size_t consumed = 0;  // UTF-8 bytes taken from the input
};

// Converts character by character so that the output can stop at a character boundary.
AnsiPrefix ToCp949(std::string_view utf8, std::size_t maxBytes) {
    Iconv toAnsi("CP949", "UTF-8");
    AnsiPrefix result;
    std::string piece;
    while (result.consumed < utf8.size()) {
        const std::size_t pos = result.consumed;
        std::size_t length = 1;
        piece.clear();
        if (static_cast<unsigned char>(utf8[pos]) < 0x80) {
            piece.push_back(utf8[pos]);
        } else if ((length = Utf8CharLength(utf8, pos)) == 0) {
            length = 1;
            piece.assign(1, '?');  // a char, not a literal: GCC 12 warns falsely (-Wrestrict)
        } else if (const std::optional<char> raw = RawByte(utf8.substr(pos, length))) {
            piece.assign(1, *raw);
        } else {
            std::string_view ch = utf8.substr(pos, length);
            if (toAnsi.Convert(ch, piece) != 0 || piece.empty()) piece.assign(1, '?');
        }
        if (result.bytes.size() + piece.size() > maxBytes) break;
        result.bytes += piece;
        result.consumed += length;
    }
    return result;
}

}  // namespace

std::size_t Utf8CharLength(std::string_view text, std::size_t pos) {
    if (pos >= text.size()) return 0;
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned char min2 = 0x80, max2 = 0xBF;  // allowed range of the second byte
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) min2 = 0xA0;  // overlong
        if (lead == 0xED) max2 = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) min2 = 0x90;  // overlong
        if (lead == 0xF4) max2 = 0x8F;  // above U+10FFFF
    } else {
        return 0;
    }
    if (pos + length > text.size()) return 0;
    if (byte(1) < min2 || byte(1) > max2) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
    }
    return length;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

bool IsValidUtf8(std::string_view bytes) {
    for (std::size_t pos = 0; pos < bytes.size();) {
        const std::size_t length = Utf8CharLength(bytes, pos);
        if (length == 0) return false;
        pos += length;
    }
    return true;
}

std::optional<std::string> Cp949ToUtf8(std::string_view bytes) {
    Iconv toUtf8("UTF-8", "CP949");
    std::string out;
    if (toUtf8.Convert(bytes, out) != 0) return std::nullopt;
    return out;
}

std::string Cp949ToUtf8Lossy(std::string_view bytes) {
    return DecodeCp949(bytes, BadBytes::Replace);
}

std::string Cp949ToUtf8Reversible(std::string_view bytes) {
    return DecodeCp949(bytes, BadBytes::Keep);
}

std::string Utf8ToCp949(std::string_view utf8) {
    return ToCp949(utf8, std::string::npos).bytes;
}

int AnsiByteLength(std::string_view utf8) {
    return static_cast<int>(ToCp949(utf8, std::string::npos).bytes.size());
}

std::string_view TruncateToAnsiBytes(std::string_view utf8, std::size_t maxBytes) {
    return utf8.substr(0, ToCp949(utf8, maxBytes).consumed);
}

}  // namespace host
