#include "emf_image_plugin.h"

#include <QImageReader>
#include <QVariant>
#include <cmath>

namespace {

// Natural size at the resolution image viewers assume for a picture without one of its own.
constexpr double kDpi = 96;
// A viewer is handed files from anywhere: one beyond 64 MB, or with a frame beyond 100 m a side,
// is no picture anyone drew, and is refused before it is read whole or sized from.
constexpr emf::Limits kLimits{.maxFileBytes = 64LL * 1024 * 1024, .maxFrameSide = 10000000};

}  // namespace

bool EmfImageHandler::CanRead(QIODevice* device) {
    return device && emf::Picture::LooksLikeEmf(device->peek(44));
}

bool EmfImageHandler::canRead() const {
    // Once read, the device is at its end: the picture itself answers.
    if (picture_ ? picture_->IsNull() : !CanRead(device())) return false;
    setFormat("emf");
    return true;
}

bool EmfImageHandler::Load() const {
    if (picture_) return !picture_->IsNull();
    QByteArray data;
    if (device()) data = device()->read(kLimits.maxFileBytes + 1);
    picture_ = emf::Picture::FromData(data, kLimits);
    reason_ = picture_->Error().ToString();
    return !picture_->IsNull();
}

bool EmfImageHandler::Refuse(const QString& reason) {
    reason_ = reason;
    qWarning("emf: %s", qPrintable(reason_));
    return false;
}

bool EmfImageHandler::read(QImage* image) {
    if (!Load()) return Refuse(reason_);
    const QSize natural = picture_->PixelSize(kDpi);
    const QRect clip = clipRect_.isValid() ? clipRect_ : QRect(QPoint(0, 0), natural);
    const QSize scaled = scaledSize_.isValid() && !scaledSize_.isEmpty() ? scaledSize_ : clip.size();
    const QRect out = scaledClipRect_.isValid() ? scaledClipRect_ : QRect(QPoint(0, 0), scaled);
    if (clip.isEmpty() || out.isEmpty()) return Refuse(QStringLiteral("the requested region is empty"));
    // The same refusal as Qt's own readers, with the figures that explain it.
    const int limitMb = QImageReader::allocationLimit();
    const double megabytes = double(out.width()) * out.height() * 4 / (1024.0 * 1024.0);
    if (limitMb > 0 && megabytes > limitMb) {
        return Refuse(QStringLiteral("an image of %1 x %2 pixels would take %3 MB, over the allocation limit of %4 MB")
                          .arg(out.width())
                          .arg(out.height())
                          .arg(std::ceil(megabytes))
                          .arg(limitMb));
    }
    // Each option is a rectangle of the one before (natural picture -> clip -> scaled -> output):
    // the whole picture lands where the clip, scaled, puts it in the output.
    const double sx = double(scaled.width()) / clip.width(), sy = double(scaled.height()) / clip.height();
    const QRectF target(-out.x() - clip.x() * sx, -out.y() - clip.y() * sy, natural.width() * sx, natural.height() * sy);
    // Where the file draws nothing stays transparent.
    QImage img = emf::RenderToImage(*picture_, out.size(), Qt::transparent, target);
    if (img.isNull()) {
        return Refuse(QStringLiteral("out of memory for an image of %1 x %2 pixels").arg(out.width()).arg(out.height()));
    }
    *image = img;
    return true;
}

bool EmfImageHandler::supportsOption(ImageOption option) const {
    return option == Size || option == ScaledSize || option == ClipRect || option == ScaledClipRect ||
           option == ImageFormat || option == Description;
}

QVariant EmfImageHandler::option(ImageOption option) const {
    switch (option) {
        case Size: return Load() ? QVariant(picture_->PixelSize(kDpi)) : QVariant();
        case ImageFormat: return QVariant(int(QImage::Format_ARGB32_Premultiplied));
        case ScaledSize: return scaledSize_;
        case ClipRect: return clipRect_;
        case ScaledClipRect: return scaledClipRect_;
        // QImageReader::errorString() is Qt's fixed sentence once read() fails; the reason is
        // offered as the text "Error" (QImageReader::text) for programs that want it.
        case Description: return reason_.isEmpty() ? QVariant() : QVariant(QStringLiteral("Error: ") + reason_);
        default: return {};
    }
}

void EmfImageHandler::setOption(ImageOption option, const QVariant& value) {
    switch (option) {
        case ScaledSize: scaledSize_ = value.toSize(); break;
        case ClipRect: clipRect_ = value.toRect(); break;
        case ScaledClipRect: scaledClipRect_ = value.toRect(); break;
        default: break;
    }
}

QImageIOPlugin::Capabilities EmfImagePlugin::capabilities(QIODevice* device, const QByteArray& format) const {
    if (format == "emf") return CanRead;
    if (!format.isEmpty()) return {};
    return device && device->isOpen() && EmfImageHandler::CanRead(device) ? CanRead : Capabilities();
}

QImageIOHandler* EmfImagePlugin::create(QIODevice* device, const QByteArray& format) const {
    auto* handler = new EmfImageHandler;
    handler->setDevice(device);
    handler->setFormat(format.isEmpty() ? QByteArray("emf") : format);
    return handler;
}
