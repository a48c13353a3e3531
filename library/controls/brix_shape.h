// The outline the labelled combo box keeps on its list's rectangle: a one-pixel
// rectangle drawn over the list's edge, letting clicks through to the list.
#pragma once

#include <QWidget>
#include <cstdint>

namespace vendral::controls {

class BrixShape : public QWidget {
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

}  // namespace vendral::controls
