#include "util/vb_text.h"

#include "host/ascii_text.h"

namespace util {

std::string Trim(std::string_view text) {
    return std::string(host::Trim(text, " "));
}

}  // namespace util
