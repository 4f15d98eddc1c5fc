#pragma once
// Texts measured in bytes of the store PCs' ANSI code page (949): an ASCII character is one byte,
// a Hangul syllable two. Texts are UTF-8; slicing never splits a character.
#include <string>
#include <string_view>

namespace util {

// The length of the text in bytes once converted to the ANSI code page.
int ByteLength(std::string_view text);

// The characters lying wholly inside the code-page bytes [from, from + count) of the text
// (from counted from 0). A character that either end would cut is left out, so the result may be
// a byte shorter than asked for on each side.
std::string SliceBytes(std::string_view text, int from, int count);

}  // namespace util
