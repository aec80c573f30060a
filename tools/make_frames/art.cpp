#include "art.h"

#include <QFontDatabase>
#include <QPainter>
#include <QTransform>

QFont ArtFont(double pixelSize) {
    static const QString family = [] {
        const int id = QFontDatabase::addApplicationFont(
            QStringLiteral("/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf"));
        const QStringList families = id >= 0 ? QFontDatabase::applicationFontFamilies(id) : QStringList();
        return families.isEmpty() ? QStringLiteral("Liberation Sans") : families.first();
    }();
    QFont font(family);
    font.setBold(true);
    font.setPixelSize(qMax(1, qRound(pixelSize)));
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QPainterPath CenteredText(const QString& text, const QFont& font, double x, double baselineY) {
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF box = path.boundingRect();
    return path.translated(x - box.center().x(), baselineY);
}

QPainterPath FitInto(const QPainterPath& path, const QRectF& box) {
    const QRectF from = path.boundingRect();
    const double scale = qMin(box.width() / from.width(), box.height() / from.height());
    QTransform t;
    t.translate(box.center().x(), box.center().y());
    t.scale(scale, scale);
    t.translate(-from.center().x(), -from.center().y());
    return t.map(path);
}

QImage NewCanvas(int width, int height, QColor fill) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    return image;
}
