#include "emf_image_plugin.h"

#include <QImageReader>
#include <QPainter>
#include <QVariant>
#include <cmath>

namespace {

// Natural size at the resolution image viewers assume for a picture without one of its own.
constexpr double kDpi = 96;

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
    if (device()) data = device()->read(emf::Picture::kMaxFileBytes + 1);
    if (data.size() > emf::Picture::kMaxFileBytes) {
        picture_ = emf::Picture();
        reason_ = QStringLiteral("le fichier est trop gros");
    } else {
        picture_ = emf::Picture::FromData(data);
        reason_ = picture_->Error();
    }
    return !picture_->IsNull();
}

bool EmfImageHandler::read(QImage* image) {
    if (!Load()) {
        qWarning("emf: %s", qPrintable(reason_));
        return false;
    }
    const QSize natural = picture_->PixelSize(kDpi);
    const QRect clip = clipRect_.isValid() ? clipRect_ : QRect(QPoint(0, 0), natural);
    const QSize scaled = scaledSize_.isValid() && !scaledSize_.isEmpty() ? scaledSize_ : clip.size();
    const QRect out = scaledClipRect_.isValid() ? scaledClipRect_ : QRect(QPoint(0, 0), scaled);
    if (clip.isEmpty() || out.isEmpty()) {
        reason_ = QStringLiteral("la zone demandée est vide");
        qWarning("emf: %s", qPrintable(reason_));
        return false;
    }
    // The same refusal as Qt's own readers, with the figures that explain it.
    const int limitMb = QImageReader::allocationLimit();
    const double megabytes = double(out.width()) * out.height() * 4 / (1024.0 * 1024.0);
    if (limitMb > 0 && megabytes > limitMb) {
        reason_ = QStringLiteral("l'image demandée (%1 × %2 points) prendrait %3 Mo, plus que la limite de %4 Mo")
                      .arg(out.width())
                      .arg(out.height())
                      .arg(std::ceil(megabytes))
                      .arg(limitMb);
        qWarning("emf: %s", qPrintable(reason_));
        return false;
    }
    QImage img;
    if (!allocateImage(out.size(), QImage::Format_ARGB32_Premultiplied, &img)) {
        reason_ = QStringLiteral("la mémoire manque pour une image de %1 × %2 points").arg(out.width()).arg(out.height());
        qWarning("emf: %s", qPrintable(reason_));
        return false;
    }
    // Where the file draws nothing stays transparent.
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        // Output pixel -> scaled image -> natural image: each option is a rectangle of the one before.
        p.translate(-out.x(), -out.y());
        p.scale(double(scaled.width()) / clip.width(), double(scaled.height()) / clip.height());
        p.translate(-clip.x(), -clip.y());
        picture_->Draw(p, QRectF(QPointF(0, 0), QSizeF(natural)));
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
