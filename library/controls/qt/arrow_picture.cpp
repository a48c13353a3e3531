#include "controls/qt/arrow_picture.h"

#include <QColor>
#include <QImage>

namespace vendral::detail::controls {

QPixmap DropDownArrowPicture() {
    QImage image(kArrowPictureWidth, kArrowPictureHeight, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    // Five rows, 9 pixels wide at the top down to 1 at the tip, centred on the
    // picture's middle row so the arrow lines up with the text beside it.
    const QColor arrow(0x40, 0x40, 0x40);
    constexpr int kTopRow = (kArrowPictureHeight - 5) / 2;
    for (int row = 0; row < 5; ++row) {
        for (int x = row; x < kArrowPictureWidth - row; ++x) {
            image.setPixelColor(x, kTopRow + row, arrow);
        }
    }
    return QPixmap::fromImage(image);
}

}  // namespace vendral::detail::controls
