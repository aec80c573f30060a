#pragma once
// Between the lesson's twips and the widgets' pixels, after the display scale of a fitted lesson.
// Used by the controls only.

#include <QFont>

namespace platform {

// Twips are stored as given; only the widget's geometry is rounded, after the display scale of a
// fitted lesson. Values far outside any screen are clamped so that a runaway layout can never
// overflow the toolkit's integers.
int ToPixels(double twips, double twipsPerPixel);

// Pixels the toolkit measured (a label's text), back to twips of the lesson's layout.
double ToTwips(int pixels, double twipsPerPixel);

// A font as a fitted lesson draws it: its size times the display scale.
QFont Scaled(QFont font);

}  // namespace platform
