#pragma once
// The ANSI code page of the store PCs (949, Korean). Texts inside the system are UTF-8; CP949
// appears only at the edges: INI files the store software shares with us, and byte-length rules
// ("a Hangul syllable counts 2").
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace host {

// Length of the well-formed UTF-8 sequence starting at `pos` (1 to 4), or 0 when the bytes there
// are not one (overlong forms, surrogates and code points above U+10FFFF are not well formed).
std::size_t Utf8CharLength(std::string_view text, std::size_t pos);
bool IsValidUtf8(std::string_view bytes);
// Appends the UTF-8 form of a code point (the caller passes a scalar value, no surrogate).
void AppendUtf8(std::string& out, char32_t cp);

// nullopt when the bytes are not valid CP949.
std::optional<std::string> Cp949ToUtf8(std::string_view bytes);
// As above, but every byte that does not start a valid character becomes U+FFFD; never fails.
std::string Cp949ToUtf8Lossy(std::string_view bytes);
// As above, but a byte that starts no valid character becomes the private-use code point
// U+F700 + byte (U+F780 to U+F7FF, where CP949 has no character), which Utf8ToCp949 turns back
// into the byte: Utf8ToCp949(Cp949ToUtf8Reversible(b)) == b for any bytes b. For texts read
// from files that are written back, such as INI files.
std::string Cp949ToUtf8Reversible(std::string_view bytes);
// Characters that CP949 cannot hold (and malformed UTF-8 bytes) become '?', as the Windows
// conversion does; the code points U+F780 to U+F7FF become the byte they stand for.
std::string Utf8ToCp949(std::string_view utf8);
// Byte length of a UTF-8 text once converted to CP949 (a Hangul syllable counts 2).
int AnsiByteLength(std::string_view utf8);
// The longest prefix of `utf8` whose CP949 form fits in `maxBytes`; never splits a character.
std::string_view TruncateToAnsiBytes(std::string_view utf8, std::size_t maxBytes);

}  // namespace host
