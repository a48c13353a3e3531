#include "controls/qt/brix_shape.h"

#include <QPainter>

#include "base/qt/ole_color.h"

namespace vendral::detail::controls {

BrixShape::BrixShape(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void BrixShape::BorderColor(std::uint32_t color) {
    color_ = color;
    update();
}

void BrixShape::paintEvent(QPaintEvent* /*event*/) {
    if (width() <= 0 || height() <= 0) return;
    QPainter painter(this);
    painter.setPen(qt::FromOleColor(color_));
    painter.drawRect(0, 0, width() - 1, height() - 1);
}

}  // namespace vendral::detail::controls
