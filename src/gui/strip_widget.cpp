#include "gui/strip_widget.h"

#include <QPainter>
#include <QPainterPath>

#include "gui/qt_text.h"

namespace gui {

StripWidget::StripWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumHeight(18);
}

void StripWidget::SetStrip(const util::ProgressStrip& strip) {
    if (strip == strip_) return;
    strip_ = strip;
    update();
}

void StripWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor paper = palette().color(QPalette::Base);
    const QColor ink = palette().color(QPalette::Text);
    const QRect all = rect();
    const QRect covered(0, 0, all.width() * strip_.percent / 100, all.height());
    const QString caption = Q(strip_.caption);

    painter.fillRect(all, paper);
    painter.setPen(ink);
    painter.drawText(all, Qt::AlignCenter, caption);
    // The box over the covered part: the paper becomes the ink and the ink the paper.
    painter.save();
    painter.setClipRect(covered);
    painter.fillRect(covered, ink);
    painter.setPen(paper);
    painter.drawText(all, Qt::AlignCenter, caption);
    painter.restore();
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(all.adjusted(0, 0, -1, -1));
}

void WD투명하게(QWidget& window) {
    window.setWindowOpacity(0.94);
}

void WD모서리둥글게(QWidget& window) {
    QPainterPath path;
    path.addRoundedRect(QRectF(window.rect()), 12, 12);
    window.setMask(QRegion(path.toFillPolygon().toPolygon()));
}

}  // namespace gui
