// The drop-down arrow of the labelled combo box: a picture of 9 x 15 pixels
// with a solid downward triangle in dark grey on a transparent ground.
#pragma once

#include <QPixmap>

#include "base/internal_export.h"

namespace vendral::detail::controls {

inline constexpr int kArrowPictureWidth = 9;
inline constexpr int kArrowPictureHeight = 15;

VENDRAL_TEST_INTERNAL QPixmap DropDownArrowPicture();

}  // namespace vendral::detail::controls

// The library's own code names these without the detail qualifier.
namespace vendral {
namespace controls = detail::controls;
}  // namespace vendral
