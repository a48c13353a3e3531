#include "controls/qt/brix_line.h"

#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cstdlib>

#include "base/qt/ole_color.h"
#include "base/qt/twips.h"

namespace vendral::detail::controls {

BrixLine::BrixLine(QWidget* parent) : QWidget(parent) {
    // The line only shows; clicks reach what lies beneath it.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    Place();
}

void BrixLine::X1(double twips) {
    x1_ = twips;
    Place();
}

void BrixLine::Y1(double twips) {
    y1_ = twips;
    Place();
}

void BrixLine::X2(double twips) {
    x2_ = twips;
    Place();
}

void BrixLine::Y2(double twips) {
    y2_ = twips;
    Place();
}

void BrixLine::BorderColor(std::uint32_t color) {
    color_ = color;
    update();
}

// The widget covers the pixels from one end point to the other, both included.
void BrixLine::Place() {
    const int px1 = qt::TwipsToPixelsX(x1_, this);
    const int px2 = qt::TwipsToPixelsX(x2_, this);
    const int py1 = qt::TwipsToPixelsY(y1_, this);
    const int py2 = qt::TwipsToPixelsY(y2_, this);
    setGeometry(std::min(px1, px2), std::min(py1, py2), std::abs(px2 - px1) + 1,
                std::abs(py2 - py1) + 1);
    update();
}

void BrixLine::paintEvent(QPaintEvent* /*event*/) {
    const int px1 = qt::TwipsToPixelsX(x1_, this) - x();
    const int px2 = qt::TwipsToPixelsX(x2_, this) - x();
    const int py1 = qt::TwipsToPixelsY(y1_, this) - y();
    const int py2 = qt::TwipsToPixelsY(y2_, this) - y();
    QPainter painter(this);
    if (px1 == px2 || py1 == py2) {
        // Straight lines dot pixel by pixel, so the dots sit on whole pixels.
        const int steps = std::max(std::abs(px2 - px1), std::abs(py2 - py1));
        const int dx = px2 > px1 ? 1 : (px2 < px1 ? -1 : 0);
        const int dy = py2 > py1 ? 1 : (py2 < py1 ? -1 : 0);
        for (int step = 0; step <= steps; step += 2) {
            painter.fillRect(px1 + step * dx, py1 + step * dy, 1, 1, qt::FromOleColor(color_));
        }
        return;
    }
    QPen pen(qt::FromOleColor(color_));
    pen.setWidth(1);
    pen.setDashPattern({1.0, 1.0});
    painter.setPen(pen);
    painter.drawLine(px1, py1, px2, py2);
}

}  // namespace vendral::detail::controls
