// The underline of the input controls: a line between two points given in
// twips of the control's surface. The coordinates are kept as given (a drawn
// line is not a window and has no whole-pixel geometry of its own); it is drawn
// at the nearest pixels, one pixel thick, dotted (one pixel on, one off).
#pragma once

#include <QWidget>
#include <cstdint>

#include "base/internal_export.h"

namespace vendral::detail::controls {

class VENDRAL_TEST_INTERNAL BrixLine : public QWidget {
    Q_OBJECT

  public:
    explicit BrixLine(QWidget* parent);

    double X1() const { return x1_; }
    double Y1() const { return y1_; }
    double X2() const { return x2_; }
    double Y2() const { return y2_; }
    void X1(double twips);
    void Y1(double twips);
    void X2(double twips);
    void Y2(double twips);

    // 0x00BBGGRR.
    std::uint32_t BorderColor() const { return color_; }
    void BorderColor(std::uint32_t color);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void Place();

    double x1_ = 0;
    double y1_ = 0;
    double x2_ = 0;
    double y2_ = 0;
    std::uint32_t color_ = 0;
};

}  // namespace vendral::detail::controls

// The library's own code names these without the detail qualifier.
namespace vendral {
namespace controls = detail::controls;
}  // namespace vendral
