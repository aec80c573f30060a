#pragma once
// One page of a PDF as a picture: slides exported by a presentation program. Drawn by Poppler
// (its Splash renderer, the one pdftoppm uses) at the resolution of the device it is drawn on
// (on paper, at print resolution).

#include <QByteArray>
#include <QPainter>
#include <QSizeF>
#include <QString>
#include <QImage>
#include <memory>

namespace Poppler {
class Document;
class Page;
}  // namespace Poppler

namespace platform {

class PdfPage {
public:
    // The page (counted from 1) of the document data holds; raises FileError naming path and the
    // reason: not a PDF, protected by a password, no such page, a page without size or too large.
    static std::shared_ptr<const PdfPage> FromData(const QByteArray& data, int page, const QString& path);
    ~PdfPage();

    static bool LooksLikePdf(const QByteArray& data);
    // How many pages the document data holds; raises FileError as FromData does for a document
    // that cannot be read.
    static int Pages(const QByteArray& data, const QString& path);

    // Size of the page in points (1/72 inch), its rotation applied.
    QSizeF SizePoints() const { return points_; }
    // The words the page shows, in reading order.
    QString Text() const { return text_; }
    // Draws the page so that it fills target, in the painter's current coordinates.
    void Draw(QPainter& painter, const QRectF& target) const;
    // Bytes the page keeps in memory (the file it is drawn from, shared with the other pages of it).
    qint64 BytesHeld() const { return bytes_; }

    // The whole page drawn at pixels (device pixels), ahead of its showing, on a thread of its own
    // that reads its own copy of the document (a document is not shared between threads). The two
    // latest such drawings are kept.
    static void DrawAhead(const std::shared_ptr<const PdfPage>& page, QSize pixels);
    // The drawing DrawAhead made of page at pixels, waiting for it if it is still being made; a
    // null image when none was asked for.
    static QImage DrawnAhead(const PdfPage* page, QSize pixels);

private:
    PdfPage() = default;
    std::shared_ptr<Poppler::Document> document_;  // shared by the pages of one document
    std::unique_ptr<Poppler::Page> page_;
    QSizeF points_;
    QByteArray data_;  // the document's bytes, for a drawing on another thread
    int index_ = 0;    // the page's, from 0
    QString text_;
    qint64 bytes_ = 0;
};

}  // namespace platform
