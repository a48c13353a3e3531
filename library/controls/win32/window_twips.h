// Twips of the screen for child windows: a window is placed on whole pixels
// (nearest pixel, a negative extent becomes 0) and read back as twips, so a
// value read after it was set carries the platform's rounding.
#pragma once

#include <windows.h>

#include "controls/control_layout.h"

namespace vendral::detail::controls {

// Twips per pixel of the screen, across and down (15 at 96 dpi).
int TwipsPerPixelX();
int TwipsPerPixelY();
int TwipsToPixelsX(double twips);
int TwipsToPixelsY(double twips);

// A child window's rectangle in its parent's client area.
TwipsRect WindowTwips(HWND window);
// Sets a child window's rectangle and gives it back as kept.
TwipsRect PlaceWindow(HWND window, const TwipsRect& rect);
// A window's client width in twips.
double ClientWidthTwips(HWND window);
// Sets a window's height, keeping its place and width.
void WindowHeightTwips(HWND window, double twips);

// Points to the pixel height of a font and back (72 points an inch).
int FontPixels(float points);
float FontPoints(int pixels);

// Whether the window's own visible style is set (whatever its parents).
bool Shown(HWND window);

}  // namespace vendral::detail::controls
