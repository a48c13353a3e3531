// Positions and sizes of the input controls' constituents in twips. A setter
// puts the widget on whole pixels of its screen; a getter reads the pixels back
// as twips, so that a value read after it was set carries the rounding.
#pragma once

class QWidget;

namespace vendral::controls {

double LeftTwips(const QWidget* widget);
double TopTwips(const QWidget* widget);
double WidthTwips(const QWidget* widget);
double HeightTwips(const QWidget* widget);

// A negative width or height becomes 0.
void SetLeftTwips(QWidget* widget, double twips);
void SetTopTwips(QWidget* widget, double twips);
void SetWidthTwips(QWidget* widget, double twips);
void SetHeightTwips(QWidget* widget, double twips);
void SetGeometryTwips(QWidget* widget, double left, double top, double width, double height);

}  // namespace vendral::controls
