// Screenshots of real windows for `make screenshots` (and for looking at a
// test's window): on an X server the window is grabbed from the screen with
// its frame, elsewhere the widget paints itself.
#pragma once

#include <QString>

class QWidget;

namespace vendral::test::qt {

// Waits until the window is shown and painted, then writes a PNG of its frame
// (and what lies above it, such as a message box) to path. False on failure.
bool SaveWindowScreenshot(QWidget* window, const QString& path);
// The same for a region of the screen in global coordinates.
bool SaveScreenRegion(int x, int y, int width, int height, const QString& path);

// True when tests of real windows can run (an X server is reachable); fails
// the calling test when the test run requires one (VENDRAL_REQUIRE_X11).
bool RealDisplayAvailable();

}  // namespace vendral::test::qt
