// Positions and sizes of the input controls' constituents in twips. A setter
// puts the widget on whole pixels of its screen; a getter reads the pixels back
// as twips, so that a value read after it was set carries the rounding.
#pragma once

#include "base/internal_export.h"

class QWidget;

namespace vendral::detail::controls {

VENDRAL_TEST_INTERNAL double LeftTwips(const QWidget* widget);
VENDRAL_TEST_INTERNAL double TopTwips(const QWidget* widget);
VENDRAL_TEST_INTERNAL double WidthTwips(const QWidget* widget);
VENDRAL_TEST_INTERNAL double HeightTwips(const QWidget* widget);

// A negative width or height becomes 0.
VENDRAL_TEST_INTERNAL void SetLeftTwips(QWidget* widget, double twips);
VENDRAL_TEST_INTERNAL void SetTopTwips(QWidget* widget, double twips);
VENDRAL_TEST_INTERNAL void SetWidthTwips(QWidget* widget, double twips);
VENDRAL_TEST_INTERNAL void SetHeightTwips(QWidget* widget, double twips);
VENDRAL_TEST_INTERNAL void SetGeometryTwips(QWidget* widget, double left, double top, double width,
                                            double height);

}  // namespace vendral::detail::controls

// The library's own code names these without the detail qualifier.
namespace vendral {
namespace controls = detail::controls;
}  // namespace vendral
