// The outline the labelled combo box keeps on its list's rectangle: a one-pixel
// rectangle drawn over the list's edge, letting clicks through to the list.
#pragma once

#include <QWidget>
#include <cstdint>

#include "base/internal_export.h"

namespace vendral::detail::controls {

class VENDRAL_TEST_INTERNAL BrixShape : public QWidget {
    Q_OBJECT

  public:
    explicit BrixShape(QWidget* parent);

    // 0x00BBGGRR.
    std::uint32_t BorderColor() const { return color_; }
    void BorderColor(std::uint32_t color);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::uint32_t color_ = 0;
};

}  // namespace vendral::detail::controls

// The library's own code names these without the detail qualifier.
namespace vendral {
namespace controls = detail::controls;
}  // namespace vendral
