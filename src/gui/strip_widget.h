#pragma once
// A picture box holding a progress strip as CtPicProgress draws it: the caption centred, a box
// from the left edge over `percent` of the width, and the covered part of the caption inverted
// (the box is drawn with the "not XOR pen", so text under it shows in the inverse colours).
#include <QWidget>

#include "util/progress_strip.h"

namespace gui {

class StripWidget : public QWidget {
  public:
    explicit StripWidget(QWidget* parent = nullptr);
    void SetStrip(const util::ProgressStrip& strip);
    const util::ProgressStrip& Strip() const { return strip_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    util::ProgressStrip strip_;
};

// The window effects of the desktop helper, applied where the dialogs load: a slightly
// translucent window, and a window with rounded corners.
void WD투명하게(QWidget& window);
void WD모서리둥글게(QWidget& window);

}  // namespace gui
