#include "db/error.h"

#include <cstdio>

namespace db {

std::string HexNumber(std::int32_t number) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<std::uint32_t>(number));
    return buffer;
}

}  // namespace db
