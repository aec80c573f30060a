#pragma once
// Pictures as the course sees them: something with a natural size in twips that a picture box
// can show. Raster pictures (JPEG, BMP, resource bitmaps) hold a decoded image; EMF slides hold
// the parsed records, PDF slides the page, and both are drawn at the device's resolution.

#include <QImage>
#include <QPainter>
#include <QSizeF>
#include <QString>
#include <memory>

#include "emf/emf.h"
#include "platform/pdf_page.h"

namespace platform {


class Picture {
public:
    Picture() = default;
    static Picture FromImage(QImage image, double twipsPerPixelX, double twipsPerPixelY);
    static Picture FromEmf(emf::Picture emf);
    static Picture FromPdfPage(std::shared_ptr<const PdfPage> page);

    bool IsNull() const { return !image_ && !emf_ && !pdf_; }
    bool IsVector() const { return emf_ != nullptr || pdf_ != nullptr; }
    QSizeF SizeTwips() const { return sizeTwips_; }
    // Draws the picture into target (logical coordinates of the painter).
    void Draw(QPainter& painter, const QRectF& target) const;
    const QImage* Image() const { return image_.get(); }
    // The words the picture shows, in reading order (a slide's text), or a photograph's own
    // description (EXIF) where it has one.
    QString Text() const;
    const emf::Picture* Emf() const { return emf_.get(); }
    const PdfPage* Pdf() const { return pdf_.get(); }
    const std::shared_ptr<const PdfPage>& PdfShared() const { return pdf_; }
    // What the decoded picture is, for caches of its drawings: the same for copies of one picture.
    const void* Identity() const;
    // The same decoded picture (not merely equal pixels).
    bool SameAs(const Picture& other) const { return image_ == other.image_ && emf_ == other.emf_ && pdf_ == other.pdf_; }

private:
    friend Picture DecodePicture(const QByteArray&, double, double, const QString&, int);
    std::shared_ptr<const QImage> image_;
    std::shared_ptr<const emf::Picture> emf_;
    std::shared_ptr<const PdfPage> pdf_;
    QString description_;
    QSizeF sizeTwips_;
};

// Loads a picture file (EMF and PDF by content, JPEG, BMP, PNG); raises FileError naming the path
// and the reason (not found, unreadable, not a picture, too large, no such page). page counts the
// pages of a PDF from 1; any other picture has only page 1. A path "Seance2.pdf#3" that is no file
// itself names page 3 of Seance2.pdf.
Picture LoadPicture(const QString& path, int page = 1);
// The decoding behind LoadPicture, on bytes already read; errors name path. Fed any bytes by the fuzzer.
Picture DecodePicture(const QByteArray& data, double twipsPerPixelX, double twipsPerPixelY,
                      const QString& path = QStringLiteral("(données)"), int page = 1);
// One of the program's own bitmap resources by number (111 to 122).
Picture LoadResourcePicture(int id);

}  // namespace platform
