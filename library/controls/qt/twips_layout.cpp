#include "controls/qt/twips_layout.h"

#include <QWidget>
#include <algorithm>

#include "base/qt/twips.h"

namespace vendral::detail::controls {
namespace {

int Extent(int pixels) {
    return std::max(pixels, 0);
}

}  // namespace

double LeftTwips(const QWidget* widget) {
    return qt::PixelsToTwipsX(widget->x(), widget);
}
double TopTwips(const QWidget* widget) {
    return qt::PixelsToTwipsY(widget->y(), widget);
}
double WidthTwips(const QWidget* widget) {
    return qt::PixelsToTwipsX(widget->width(), widget);
}
double HeightTwips(const QWidget* widget) {
    return qt::PixelsToTwipsY(widget->height(), widget);
}

void SetLeftTwips(QWidget* widget, double twips) {
    widget->move(qt::TwipsToPixelsX(twips, widget), widget->y());
}

void SetTopTwips(QWidget* widget, double twips) {
    widget->move(widget->x(), qt::TwipsToPixelsY(twips, widget));
}

void SetWidthTwips(QWidget* widget, double twips) {
    widget->resize(Extent(qt::TwipsToPixelsX(twips, widget)), widget->height());
}

void SetHeightTwips(QWidget* widget, double twips) {
    widget->resize(widget->width(), Extent(qt::TwipsToPixelsY(twips, widget)));
}

void SetGeometryTwips(QWidget* widget, double left, double top, double width, double height) {
    widget->setGeometry(qt::TwipsToPixelsX(left, widget), qt::TwipsToPixelsY(top, widget),
                        Extent(qt::TwipsToPixelsX(width, widget)),
                        Extent(qt::TwipsToPixelsY(height, widget)));
}

}  // namespace vendral::detail::controls
