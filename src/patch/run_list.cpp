#include "patch/run_list.h"

#include "config/runtime.h"
#include "host/desktop.h"

namespace patch {

void AddRunListLine(config::Runtime& runtime, const std::string& text) {
    runtime.MainWindow().AddRunLine(text);
    runtime.Desktop().DoEvents();
}

}  // namespace patch
