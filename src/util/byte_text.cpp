#include "util/byte_text.h"

#include "host/codepage.h"

namespace util {

int ByteLength(std::string_view text) {
    return host::AnsiByteLength(text);
}

std::string SliceBytes(std::string_view text, int from, int count) {
    if (count <= 0) return "";
    long first = from < 0 ? 0 : from;
    long last = first + count;  // one past the last byte wanted
    std::string out;
    long pos = 0;
    for (std::size_t i = 0; i < text.size() && pos < last;) {
        // A byte that starts no valid sequence is taken alone (it converts to one '?').
        std::size_t n = host::Utf8CharLength(text, i);
        if (n == 0) n = 1;
        std::string_view ch = text.substr(i, n);
        int width = n == 1 ? 1 : host::AnsiByteLength(ch);
        if (pos >= first && pos + width <= last) out += ch;
        pos += width;
        i += n;
    }
    return out;
}

}  // namespace util
