#pragma once
// Small text rules of VB that the store software's logic relies on.
#include <string>
#include <string_view>

namespace util {

// VB's Trim: removes the blanks (spaces only, not tabs) at both ends.
std::string Trim(std::string_view text);

}  // namespace util
