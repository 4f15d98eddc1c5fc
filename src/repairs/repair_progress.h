#pragma once
// How the row repairs show their progress in the main window: a run-list line that the window
// draws at once, and the repair progress bar PB2 driven by a row counter.
#include <algorithm>
#include <cstdint>
#include <string>

#include "config/runtime.h"
#include "host/desktop.h"
#include "util/main_window_model.h"

namespace repairs {

// Adds the line to the run list, selects it and lets the window system draw it.
inline void AnnounceRepair(config::Runtime& runtime, const std::string& text) {
    runtime.MainWindow().AddRunLine(text);
    runtime.Desktop().DoEvents();
}

// A row counter shown in PB2. The counter starts at 0; each Step adds one and shows it, raising
// the bar's maximum when the counter passes it (the row count read at the start can be lower
// than the rows that follow). Every few hundred rows it yields, so that the window repaints
// during a long repair.
class PB2Counter {
  public:
    explicit PB2Counter(config::Runtime& runtime)
        : window_(runtime.MainWindow()), desktop_(runtime.Desktop()) {}

    // Sets the maximum; the value is kept within it, as a progress bar keeps it.
    void SetMax(std::int64_t max) {
        const int top = static_cast<int>(std::clamp<std::int64_t>(max, 0, kLargest));
        window_.SetPB2(top, std::min(window_.PB2.value, top));
    }

    void Step() {
        if (counter_ < kLargest) ++counter_;
        window_.SetPB2(std::max(window_.PB2.max, counter_), counter_);
        if (counter_ % kRowsPerYield == 0) desktop_.DoEvents();
    }

    int Count() const { return counter_; }

  private:
    static constexpr int kLargest = 0x7fffffff;
    static constexpr int kRowsPerYield = 256;

    util::frmDBPatchMainModel& window_;
    host::Desktop& desktop_;
    int counter_ = 0;
};

}  // namespace repairs
