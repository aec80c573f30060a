#include "storyboard/sheets.h"

#include "platform/controls.h"
#include "platform/platform.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QUuid>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace storyboard {

namespace {

// The resolution the windows lay themselves out at: fonts measured on the screen keep their size
// on the sheet, and the scale that fits a window to the sheet is the only transformation.
constexpr int kResolution = 96;
constexpr double kGap = 12;

const QColor kInk(30, 30, 30);
const QColor kGrey(110, 110, 110);

}  // namespace

QString Seconds(qint64 ms) {
    return QLocale(QLocale::French).toString(std::round(ms / 10.0) / 100, 'g', 15) + QStringLiteral(" s");
}

Sheets::Sheets(QIODevice* device, const QString& documentTitle, const QString& creator, const QByteArray& xmp)
    : writer_(device), footer_(documentTitle) {
    writer_.setDocumentXmpMetadata(xmp);
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    // From Qt 6.8 the file's identifier is drawn at random unless given: the same course must give
    // the same file, so it is named after what the file describes.
    writer_.setDocumentId(QUuid::createUuidV5(QUuid(), xmp));
#endif
    writer_.setResolution(kResolution);
    writer_.setTitle(documentTitle);
    writer_.setCreator(creator);
    writer_.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(12, 10, 12, 10),
                                      QPageLayout::Millimeter));
}

Sheets::~Sheets() {
    if (painter_.isActive()) painter_.end();
}

QRectF Sheets::Begin(const QString& caption, const QString& note) {
    if (count_ == 0) {
        painter_.begin(&writer_);
    } else {
        writer_.newPage();
    }
    ++count_;
    const QRectF page(QPointF(0, 0), writer_.pageLayout().paintRectPixels(kResolution).size());

    painter_.setPen(kGrey);
    painter_.setFont(platform::UiFont(8));
    const double footerHeight = QFontMetricsF(painter_.font()).height();
    const QRectF footer(page.left(), page.bottom() - footerHeight, page.width(), footerHeight);
    painter_.drawText(footer, Qt::AlignLeft | Qt::AlignVCenter, footer_);
    painter_.drawText(footer, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("feuille %1").arg(count_));

    double top = page.top();
    painter_.setPen(kInk);
    if (!caption.isEmpty()) {
        painter_.setFont(platform::UiFont(14, true));
        const QRectF used = painter_.boundingRect(QRectF(page.left(), top, page.width(), page.height()),
                                                  Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, caption);
        painter_.drawText(used, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, caption);
        top = used.bottom() + kGap / 2;
    }
    if (!note.isEmpty()) {
        painter_.setFont(platform::UiFont(10));
        const QRectF used = painter_.boundingRect(QRectF(page.left(), top, page.width(), page.height()),
                                                  Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, note);
        painter_.drawText(used, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, note);
        top = used.bottom() + kGap / 2;
    }
    return QRectF(page.left(), top, page.width(), footer.top() - kGap / 2 - top);
}

void Sheets::TitlePage(const QString& title, const QStringList& lines) {
    const QRectF area = Begin({}, {});
    painter_.setPen(kInk);
    painter_.setFont(platform::UiFont(28, true));
    double top = area.top() + area.height() / 4;
    const QRectF titleRect = painter_.boundingRect(QRectF(area.left(), top, area.width(), area.height()),
                                                   Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, title);
    painter_.drawText(titleRect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, title);
    top = titleRect.bottom() + 3 * kGap;
    painter_.setFont(platform::UiFont(12));
    const QRectF column(area.left() + area.width() / 8, top, area.width() * 3 / 4, area.bottom() - top);
    for (const QString& line : lines) {
        const QRectF used = painter_.boundingRect(QRectF(column.left(), top, column.width(), column.bottom() - top),
                                                  Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, line);
        painter_.drawText(used, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, line);
        top = used.bottom() + kGap;
    }
}

void Sheets::Shot(const QString& caption, const QString& note, QWidget* window) {
    const QRectF area = Begin(caption, note);
    const QSizeF size = window->size();
    if (size.isEmpty()) return;
    // A small window such as a dialog is enlarged a little, not to the whole sheet.
    const double scale = std::min({area.width() / size.width(), area.height() / size.height(), 1.5});
    const QPointF at(area.left() + (area.width() - size.width() * scale) / 2, area.top());
    painter_.save();
    painter_.translate(at);
    painter_.scale(scale, scale);
    // The window paints itself through this painter: its slides as vectors, its labels as text.
    window->render(&painter_, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    painter_.setPen(QPen(kGrey, 0));
    painter_.setBrush(Qt::NoBrush);
    painter_.drawRect(QRectF(QPointF(0, 0), size));
    painter_.restore();
}

void Sheets::Strip(const QString& caption, const QString& note, const std::vector<Frame>& frames) {
    const QRectF area = Begin(caption, note);
    if (frames.empty()) return;
    painter_.setFont(platform::UiFont(9));
    const double label = QFontMetricsF(painter_.font()).height() + 4;
    QSizeF cell;
    for (const Frame& f : frames) {
        double h = 0;
        for (const QImage& image : f.images) {
            cell.setWidth(std::max(cell.width(), double(image.width())));
            h += image.height() + 4;
        }
        cell.setHeight(std::max(cell.height(), h));
    }
    if (cell.isEmpty()) return;
    // The largest scale, up to twice the frames' own size, at which every frame fits on the sheet.
    const auto n = static_cast<int>(frames.size());
    double scale = 2;
    int columns = 1;
    for (; scale > 0.05; scale *= 0.9) {
        columns = std::max(1, static_cast<int>((area.width() + kGap) / (cell.width() * scale + kGap)));
        const int rows = (n + columns - 1) / columns;
        if (rows * (cell.height() * scale + label + kGap) <= area.height()) break;
    }
    for (int i = 0; i < n; ++i) {
        const double x = area.left() + (i % columns) * (cell.width() * scale + kGap);
        double y = area.top() + (i / columns) * (cell.height() * scale + label + kGap);
        painter_.setPen(kInk);
        painter_.drawText(QRectF(x, y, cell.width() * scale, label), Qt::AlignLeft | Qt::AlignTop,
                          Seconds(frames[i].ms));
        y += label;
        for (const QImage& image : frames[i].images) {
            const QRectF target(x, y, image.width() * scale, image.height() * scale);
            painter_.drawImage(target, image);
            painter_.setPen(QPen(kGrey, 0));
            painter_.drawRect(target);
            y += (image.height() + 4) * scale;
        }
    }
}

bool Sheets::Finish() { return painter_.isActive() ? painter_.end() : false; }

}  // namespace storyboard
