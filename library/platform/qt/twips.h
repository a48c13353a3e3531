// Window geometry of the design is in twips (1/1440 inch); Qt works in
// device-independent pixels. A 96-dpi screen has 15 twips per pixel.
#pragma once

class QWidget;

namespace vendral::qt {

// Twips per pixel of the screen a widget is on (the primary screen when the
// widget is null or not shown yet), across and down. Whole numbers, as the
// platform reports them.
int TwipsPerPixelX(const QWidget* widget = nullptr);
int TwipsPerPixelY(const QWidget* widget = nullptr);

// Twips to whole pixels, rounded to the nearest pixel, and back.
int TwipsToPixelsX(double twips, const QWidget* widget = nullptr);
int TwipsToPixelsY(double twips, const QWidget* widget = nullptr);
int PixelsToTwipsX(int pixels, const QWidget* widget = nullptr);
int PixelsToTwipsY(int pixels, const QWidget* widget = nullptr);

}  // namespace vendral::qt
