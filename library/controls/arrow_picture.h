// The drop-down arrow of the labelled combo box: a picture of 9 x 15 pixels
// with a solid downward triangle in dark grey on a transparent ground.
#pragma once

#include <QPixmap>

namespace vendral::controls {

inline constexpr int kArrowPictureWidth = 9;
inline constexpr int kArrowPictureHeight = 15;

QPixmap DropDownArrowPicture();

}  // namespace vendral::controls
