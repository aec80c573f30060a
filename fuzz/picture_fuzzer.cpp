// Any bytes as a course picture: decoded as the lesson decodes a file, then drawn small, which
// is where an EMF's records are played; a PDF's second page is asked for too, as a script may.

#include "platform/picture.h"
#include "platform/platform.h"

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
    try {
        const platform::Picture picture = platform::DecodePicture(bytes, 15, 15);
        QImage canvas(96, 72, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        picture.Draw(painter, QRectF(0, 0, 96, 72));
        if (picture.Pdf()) platform::DecodePicture(bytes, 15, 15, QStringLiteral("(données)"), 2).Draw(painter, QRectF(-20, 10, 96, 72));
    } catch (const platform::FileError&) {
        // Refused with a reason: the expected end for most inputs.
    }
    return 0;
}
