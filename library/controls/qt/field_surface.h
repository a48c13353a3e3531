// The Qt widgets of a labelled field as the shared layout sees them: each
// constituent placed on whole pixels and read back as twips.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QWidget>
#include <functional>
#include <utility>

#include "controls/control_layout.h"
#include "controls/qt/brix_line.h"
#include "controls/qt/twips_layout.h"

namespace vendral::detail::controls {

inline TwipsRect TwipsGeometry(const QWidget* widget) {
    return {LeftTwips(widget), TopTwips(widget), WidthTwips(widget), HeightTwips(widget)};
}

template <class Surface>
class QtFieldSurface : public Surface {
  public:
    QtFieldSurface(QWidget* control, QLineEdit* txt, QLabel* lbl, BrixLine* lin, float textSize,
                   std::function<void()> changed)
        : control_(control),
          txt_(txt),
          lbl_(lbl),
          lin_(lin),
          textSize_(textSize),
          changed_(std::move(changed)) {}

    double ControlWidth() const override { return WidthTwips(control_); }
    float TextSize() const override { return textSize_; }
    TwipsRect PlaceText(const TwipsRect& rect) override {
        SetTopTwips(txt_, rect.top);
        SetLeftTwips(txt_, rect.left);
        SetHeightTwips(txt_, rect.height);
        SetWidthTwips(txt_, rect.width);
        return TwipsGeometry(txt_);
    }
    TwipsRect PlaceHint(const TwipsRect& rect) override {
        SetGeometryTwips(lbl_, rect.left, rect.top, rect.width, rect.height);
        return TwipsGeometry(lbl_);
    }
    void PlaceLine(double x1, double y1, double x2, double y2) override {
        lin_->X1(x1);
        lin_->X2(x2);
        lin_->Y1(y1);
        lin_->Y2(y2);
    }
    // On a shown control this resizes it at once, and the host's resize runs
    // the layout a second time; the second pass settles on the same height.
    void ControlHeight(double twips) override { SetHeightTwips(control_, twips); }
    void TextChanged() override { changed_(); }

  private:
    QWidget* control_;
    QLineEdit* txt_;
    QLabel* lbl_;
    BrixLine* lin_;
    float textSize_;
    std::function<void()> changed_;
};

}  // namespace vendral::detail::controls
