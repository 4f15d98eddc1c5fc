#pragma once
// Lines of the run list List1 as the catalogue adds them: appended, selected (the list scrolls
// to the line) and painted by one yield to the window system before the work it announces.
#include <string>

namespace config {
class Runtime;
}

namespace patch {

void AddRunListLine(config::Runtime& runtime, const std::string& text);

}  // namespace patch
