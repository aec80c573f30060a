#include "platform/pdf_page.h"

#include "platform/platform.h"

#include <poppler-qt6.h>

#include <QMultiHash>
#include <QMutex>
#include <future>
#include <QPaintEngine>
#include <cmath>

namespace platform {

namespace {

// A page beyond 100 m on a side (as for an EMF's frame) is no slide: refused before anything is
// sized from it.
constexpr double kMaxSidePoints = 100.0 / 0.0254 * 72;
// The most a page is drawn at once: the part of it inside a window is far less.
constexpr qint64 kMaxDrawnPixels = 40LL * 1000 * 1000;

// The pages of one document share it, so that its fonts and objects are read once for all its
// slides. Found again by its bytes; kept while a page of it lives.
std::shared_ptr<Poppler::Document> SharedDocument(const QByteArray& data) {
    // A damaged document is reported once, in French, by the error its caller raises; Poppler's own
    // messages would only fill the learner's terminal.
    static const bool quiet = (Poppler::setDebugErrorFunction([](const QString&, const QVariant&) {}, QVariant()), true);
    Q_UNUSED(quiet);
    struct Entry {
        QByteArray data;
        std::weak_ptr<Poppler::Document> document;
    };
    static QMultiHash<size_t, Entry> documents;
    const size_t key = qHash(data);
    for (auto it = documents.find(key); it != documents.end() && it.key() == key; ++it)
        if (it->data == data)
            if (auto document = it->document.lock()) return document;
    std::shared_ptr<Poppler::Document> document(Poppler::Document::loadFromData(data).release());
    if (!document || document->isLocked()) return document;
    // Drawn as pdftoppm draws it, so that what the teacher previewed is what the learner sees.
    document->setRenderHint(Poppler::Document::Antialiasing);
    document->setRenderHint(Poppler::Document::TextAntialiasing);
    documents.removeIf([](const auto& entry) { return entry.value().document.expired(); });
    documents.insert(key, Entry{data, document});
    return document;
}

}  // namespace

PdfPage::~PdfPage() = default;

bool PdfPage::LooksLikePdf(const QByteArray& data) {
    // Readers accept the header anywhere in the first kilobyte; writers put it first.
    return data.left(1024).contains("%PDF-");
}

int PdfPage::Pages(const QByteArray& data, const QString& path) {
    const std::shared_ptr<Poppler::Document> document = SharedDocument(data);
    if (!document) throw FileError(path, QStringLiteral("ce n'est pas un fichier PDF valide"));
    if (document->isLocked()) throw FileError(path, QStringLiteral("le document est protégé par un mot de passe"));
    return document->numPages();
}

std::shared_ptr<const PdfPage> PdfPage::FromData(const QByteArray& data, int page, const QString& path) {
    std::shared_ptr<PdfPage> p(new PdfPage);
    p->document_ = SharedDocument(data);
    if (!p->document_) throw FileError(path, QStringLiteral("ce n'est pas un fichier PDF valide"));
    if (p->document_->isLocked()) throw FileError(path, QStringLiteral("le document est protégé par un mot de passe"));
    const int pages = p->document_->numPages();
    if (page < 1 || page > pages) {
        throw FileError(path, pages == 1 ? QStringLiteral("le document n'a pas de page %1 (il n'en a qu'une)").arg(page)
                                         : QStringLiteral("le document n'a pas de page %1 (il en a %2)").arg(page).arg(pages));
    }
    p->page_ = p->document_->page(page - 1);
    p->data_ = data;
    p->index_ = page - 1;
    if (!p->page_) throw FileError(path, QStringLiteral("la page %1 du document est endommagée").arg(page));
    p->points_ = p->page_->pageSizeF();
    if (!(p->points_.width() >= 1 && p->points_.height() >= 1))
        throw FileError(path, QStringLiteral("la page %1 n'a pas de taille").arg(page));
    if (p->points_.width() > kMaxSidePoints || p->points_.height() > kMaxSidePoints)
        throw FileError(path, QStringLiteral("la page %1 est trop grande").arg(page));
    // The text as pdftotext reads it: words in reading order, a line break at the end of each line.
    p->text_ = p->page_->text(QRectF()).trimmed();
    p->bytes_ = data.size();
    return p;
}

namespace {

struct Ahead {
    std::weak_ptr<const PdfPage> page;
    const PdfPage* key;
    QSize pixels;
    std::shared_future<QImage> image;
};

QMutex g_aheadMutex;
std::vector<Ahead> g_ahead;  // newest last
constexpr size_t kAheadKept = 2;

}  // namespace

void PdfPage::DrawAhead(const std::shared_ptr<const PdfPage>& page, QSize pixels) {
    if (!page || pixels.isEmpty() || static_cast<qint64>(pixels.width()) * pixels.height() > kMaxDrawnPixels) return;
    QMutexLocker lock(&g_aheadMutex);
    for (const Ahead& a : g_ahead)
        if (a.key == page.get() && a.pixels == pixels && !a.page.expired()) return;
    const QByteArray data = page->data_;
    const int index = page->index_;
    const QSizeF points = page->points_;
    std::shared_future<QImage> image = std::async(std::launch::async, [data, index, points, pixels] {
        const std::unique_ptr<Poppler::Document> document = Poppler::Document::loadFromData(data);
        if (!document || document->isLocked()) return QImage();
        document->setRenderHint(Poppler::Document::Antialiasing);
        document->setRenderHint(Poppler::Document::TextAntialiasing);
        const std::unique_ptr<Poppler::Page> p = document->page(index);
        if (!p) return QImage();
        return p->renderToImage(72.0 * pixels.width() / points.width(), 72.0 * pixels.height() / points.height(), 0, 0,
                                pixels.width(), pixels.height());
    }).share();
    g_ahead.push_back({page, page.get(), pixels, std::move(image)});
    if (g_ahead.size() > kAheadKept) g_ahead.erase(g_ahead.begin());
}

QImage PdfPage::DrawnAhead(const PdfPage* page, QSize pixels) {
    std::shared_future<QImage> image;
    {
        QMutexLocker lock(&g_aheadMutex);
        for (const Ahead& a : g_ahead)
            if (a.key == page && a.pixels == pixels && !a.page.expired()) image = a.image;
    }
    return image.valid() ? image.get() : QImage();
}

void PdfPage::Draw(QPainter& painter, const QRectF& target) const {
    if (target.isEmpty()) return;
    QPaintDevice* device = painter.device();
    const bool onPixels = painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Raster;
    const QTransform world = painter.worldTransform();
    if (!onPixels || !device || world.isRotating()) {
        // On a printer or a PDF (a storyboard), or turned: the page as a picture at print
        // resolution, 200 dpi at most. (Poppler's vector output ignores the painter's transform.)
        const QRectF placed = world.mapRect(target);
        const double dpi = std::min(200.0, 72.0 * std::max(placed.width() / points_.width(), placed.height() / points_.height()));
        const double scale = std::max(dpi, 36.0) / 72.0;
        if (points_.width() * scale * points_.height() * scale > kMaxDrawnPixels) return;
        const QImage image = page_->renderToImage(72.0 * scale, 72.0 * scale);
        if (image.isNull()) return;
        painter.save();
        painter.setClipRect(target, Qt::IntersectClip);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, image);
        painter.restore();
        return;
    }
    // On pixels, the page is drawn at the device's own resolution, only the part that will be seen.
    const qreal dpr = device->devicePixelRatioF();
    const auto toPixels = [&](const QRectF& logical) {
        const QRectF r = world.mapRect(logical);
        return QRectF(r.topLeft() * dpr, r.size() * dpr);
    };
    const QRectF page = toPixels(target);
    const QPoint origin(qRound(page.left()), qRound(page.top()));
    const QSize size(qRound(page.width()), qRound(page.height()));
    QRect wanted(origin, size);
    if (painter.hasClipping()) wanted &= toPixels(painter.clipBoundingRect()).toAlignedRect();
    const QSizeF deviceSize = device->devType() == QInternal::Widget
                                  ? QSizeF(device->width(), device->height()) * dpr
                                  : QSizeF(device->width(), device->height());
    wanted &= QRect(QPoint(0, 0), deviceSize.toSize());
    if (wanted.isEmpty() || static_cast<qint64>(wanted.width()) * wanted.height() > kMaxDrawnPixels) return;

    QImage image = page_->renderToImage(72.0 * size.width() / points_.width(), 72.0 * size.height() / points_.height(),
                                        wanted.left() - origin.x(), wanted.top() - origin.y(), wanted.width(),
                                        wanted.height());
    if (image.isNull()) return;
    image.setDevicePixelRatio(dpr);
    painter.save();
    painter.resetTransform();  // what remains maps logical pixels onto the device's: one image pixel on one
    painter.drawImage(QPointF(wanted.topLeft()) / dpr, image);
    painter.restore();
}

}  // namespace platform
