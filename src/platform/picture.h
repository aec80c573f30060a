#pragma once
// Pictures as the course sees them: something with a natural size in twips that a picture box
// can show. Raster pictures (JPEG, BMP, resource bitmaps) hold a decoded image; EMF slides hold
// the parsed records and are drawn as vectors at the device's resolution.

#include <QImage>
#include <QPainter>
#include <QSizeF>
#include <QString>
#include <memory>

#include "emf/emf.h"

namespace platform {


class Picture {
public:
    Picture() = default;
    static Picture FromImage(QImage image, double twipsPerPixelX, double twipsPerPixelY);
    static Picture FromEmf(emf::Picture emf);

    bool IsNull() const { return !image_ && !emf_; }
    bool IsVector() const { return emf_ != nullptr; }
    QSizeF SizeTwips() const { return sizeTwips_; }
    // Draws the picture into target (logical coordinates of the painter).
    void Draw(QPainter& painter, const QRectF& target) const;
    const QImage* Image() const { return image_.get(); }
    // The words the picture shows, in reading order (a slide's text), or a photograph's own
    // description (EXIF) where it has one.
    QString Text() const;
    const emf::Picture* Emf() const { return emf_.get(); }
    // The same decoded picture (not merely equal pixels).
    bool SameAs(const Picture& other) const { return image_ == other.image_ && emf_ == other.emf_; }

private:
    friend Picture DecodePicture(const QByteArray&, double, double, const QString&);
    std::shared_ptr<const QImage> image_;
    std::shared_ptr<const emf::Picture> emf_;
    QString description_;
    QSizeF sizeTwips_;
};

// Loads a picture file (EMF by content, JPEG, BMP, PNG); raises FileError naming the path and
// the reason (not found, unreadable, not a picture, too large).
Picture LoadPicture(const QString& path);
// The decoding behind LoadPicture, on bytes already read; errors name path. Fed any bytes by the fuzzer.
Picture DecodePicture(const QByteArray& data, double twipsPerPixelX, double twipsPerPixelY,
                      const QString& path = QStringLiteral("(données)"));
// One of the program's own bitmap resources by number (111 to 122).
Picture LoadResourcePicture(int id);

}  // namespace platform
