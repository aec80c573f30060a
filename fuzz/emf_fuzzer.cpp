// Any bytes as a metafile through the renderer's public interface alone: parsed, then drawn
// small, rotated and clipped, which is where the records are played.

#include "emf/emf.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(*argc, *argv);  // fonts for EMF text
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const emf::Picture picture = emf::Picture::FromData(bytes);
    if (picture.IsNull()) return 0;  // refused with a reason: the expected end for most inputs
    QImage canvas(64, 48, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    painter.setClipRect(4, 4, 56, 40);
    painter.rotate(7);
    picture.Draw(painter, QRectF(0, 0, 64, 48));
    return 0;
}
