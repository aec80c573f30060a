#pragma once
// Drawing of the program's pictures. Every function is deterministic: same program, same fonts,
// same pixels.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QString>

// Bold sans-serif face used for every text drawn into a picture (Liberation Sans Bold when the
// file is installed, so that the output does not depend on fontconfig's choice).
QFont ArtFont(double pixelSize);
// The outline of text, its baseline centred horizontally on x at y.
QPainterPath CenteredText(const QString& text, const QFont& font, double x, double baselineY);
// A path scaled uniformly and centred to fill box.
QPainterPath FitInto(const QPainterPath& path, const QRectF& box);
// An antialiased image of the given size filled with fill (transparent allowed).
QImage NewCanvas(int width, int height, QColor fill);

// Page 13: frame 0..4 of the circuit (resources 111..115).
QImage DrawCircuitFrame(int frame);
// Page 14: frame 0..6 of the electron strip (resources 116..122).
QImage DrawStripFrame(int frame);
// The lightning bolt on blue: square logo of the course window, or the window icon (rounded,
// transparent corners).
QImage DrawBoltLogo(int size, bool roundedIcon);
QImage DrawHandCursor();
QImage DrawArrowButton(bool pointsLeft);
QImage DrawKorvaneLogo();
