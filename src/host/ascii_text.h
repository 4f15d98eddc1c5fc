#pragma once
// Texts compared and trimmed by their ASCII characters only, as every layer compares names, keys
// and keywords: letter case is folded for A to Z alone, and trimming takes ASCII blanks; other
// characters (Hangul included) are kept as they are.
#include <algorithm>
#include <string>
#include <string_view>

namespace host {

constexpr char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

inline std::string AsciiLower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), [](char c) { return AsciiLower(c); });
    return out;
}

constexpr bool EqualsNoCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

constexpr bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

// Blanks and line breaks, what a trim takes unless told otherwise.
inline constexpr std::string_view kBlanksAndBreaks = " \t\r\n";

// The text without the characters `blanks` at its end, or at both ends.
constexpr std::string_view TrimEnd(std::string_view text,
                                   std::string_view blanks = kBlanksAndBreaks) {
    const std::size_t last = text.find_last_not_of(blanks);
    return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}
constexpr std::string_view Trim(std::string_view text, std::string_view blanks = kBlanksAndBreaks) {
    const std::size_t first = text.find_first_not_of(blanks);
    return first == std::string_view::npos ? std::string_view()
                                           : TrimEnd(text.substr(first), blanks);
}

}  // namespace host
