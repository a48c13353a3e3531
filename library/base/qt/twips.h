// Window geometry of the design is in twips (1/1440 inch); Qt works in
// device-independent pixels. A 96-dpi screen has 15 twips per pixel.
#pragma once

#include "base/internal_export.h"

class QWidget;

namespace vendral::detail::qt {

// Twips per pixel of the screen a widget is on (the primary screen when the
// widget is null or not shown yet), across and down. Whole numbers, as the
// platform reports them.
VENDRAL_TEST_INTERNAL int TwipsPerPixelX(const QWidget* widget = nullptr);
VENDRAL_TEST_INTERNAL int TwipsPerPixelY(const QWidget* widget = nullptr);

// Twips to whole pixels, rounded to the nearest pixel, and back.
VENDRAL_TEST_INTERNAL int TwipsToPixelsX(double twips, const QWidget* widget = nullptr);
VENDRAL_TEST_INTERNAL int TwipsToPixelsY(double twips, const QWidget* widget = nullptr);
VENDRAL_TEST_INTERNAL int PixelsToTwipsX(int pixels, const QWidget* widget = nullptr);
VENDRAL_TEST_INTERNAL int PixelsToTwipsY(int pixels, const QWidget* widget = nullptr);

}  // namespace vendral::detail::qt

// The library's own code names these without the detail qualifier.
namespace vendral {
namespace qt = detail::qt;
}  // namespace vendral
