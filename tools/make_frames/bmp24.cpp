#include "bmp24.h"

#include <QByteArray>
#include <QFile>
#include <QtEndian>

namespace {

void Put16(QByteArray& out, quint16 v) {
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void Put32(QByteArray& out, quint32 v) {
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

}  // namespace

bool WriteBmp24(const QImage& image, const QString& path) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    const int w = rgb.width();
    const int h = rgb.height();
    const int stride = (w * 3 + 3) & ~3;
    const quint32 pixelBytes = quint32(stride) * quint32(h);
    const quint32 headerBytes = 14 + 40;
    constexpr quint32 kPixelsPerMetre96Dpi = 3780;

    QByteArray out;
    out.reserve(int(headerBytes + pixelBytes));
    out.append("BM", 2);
    Put32(out, headerBytes + pixelBytes);
    Put16(out, 0);
    Put16(out, 0);
    Put32(out, headerBytes);
    Put32(out, 40);
    Put32(out, quint32(w));
    Put32(out, quint32(h));  // positive: rows stored bottom-up
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);  // BI_RGB
    Put32(out, pixelBytes);
    Put32(out, kPixelsPerMetre96Dpi);
    Put32(out, kPixelsPerMetre96Dpi);
    Put32(out, 0);
    Put32(out, 0);

    QByteArray row(stride, '\0');
    for (int y = h - 1; y >= 0; --y) {
        const uchar* src = rgb.constScanLine(y);
        for (int x = 0; x < w; ++x) {
            row[3 * x + 0] = char(src[3 * x + 2]);
            row[3 * x + 1] = char(src[3 * x + 1]);
            row[3 * x + 2] = char(src[3 * x + 0]);
        }
        out.append(row);
    }

    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return file.write(out) == out.size() && file.flush();
}
