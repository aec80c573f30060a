#pragma once
#include <QImage>
#include <QString>

// Writes image as an uncompressed 24-bit bottom-up BMP with a BITMAPINFOHEADER, whatever its
// format; Qt's own writer is not relied on for the depth. Returns false on an I/O error.
bool WriteBmp24(const QImage& image, const QString& path);
