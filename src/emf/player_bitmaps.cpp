#include "emf/player.h"

#include <QDebug>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QRawFont>
#include <QtMath>
#include <cmath>

namespace emf::detail {

// Draws src of img onto the logical dest rectangle with a ternary raster operation.
void Player::Blit(const QImage* img, QRectF src, const QRectF& dest, std::uint32_t rop, bool alphaBlend, double constAlpha) {
    if (inPath_) return;
    const int op = (rop >> 16) & 0xff;
    UseLogical();
    const QRectF d = dest;
    if (!img || img->isNull() || op == 0xF0 || op == 0x00 || op == 0xFF || op == 0x55 || op == 0x5A) {
        switch (op) {
            case 0x00: p_.fillRect(d, Qt::black); break;
            case 0xFF: p_.fillRect(d, Qt::white); break;
            case 0x55:
                p_.setCompositionMode(QPainter::RasterOp_NotDestination);
                p_.fillRect(d, Qt::white);
                break;
            case 0x5A:
                p_.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
                p_.fillRect(d, QtBrush());
                break;
            case 0xAA: break;
            default:
                if (!img || img->isNull() || op == 0xF0) {
                    const QBrush b = QtBrush();
                    if (b.style() != Qt::NoBrush) p_.fillRect(d, b);
                }
        }
        p_.setCompositionMode(QPainter::CompositionMode_SourceOver);
        return;
    }
    switch (op) {
        case 0x88: p_.setCompositionMode(QPainter::RasterOp_SourceAndDestination); break;
        case 0xEE: p_.setCompositionMode(QPainter::RasterOp_SourceOrDestination); break;
        case 0x66: p_.setCompositionMode(QPainter::RasterOp_SourceXorDestination); break;
        case 0x33: p_.setCompositionMode(QPainter::RasterOp_NotSource); break;
        case 0xAA: return;
        default: break;
    }
    if (src.width() == 0 || src.height() == 0) src = QRectF(img->rect());
    if (src.width() < 0 || src.height() < 0) src = src.normalized();
    const QTransform map = QTransform::fromTranslate(-src.left(), -src.top()) *
                           QTransform::fromScale(d.width() / src.width(), d.height() / src.height()) *
                           QTransform::fromTranslate(d.left(), d.top());
    p_.setTransform(map * T() * devBase_);
    if (alphaBlend) p_.setOpacity(constAlpha);
    const QRectF inImage = src.intersected(QRectF(img->rect()));
    if (!inImage.isEmpty()) p_.drawImage(inImage.topLeft(), *img, inImage);
    p_.setOpacity(1);
    p_.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

const QImage* Player::Image(std::uint32_t key) const {
    auto it = m_.images.find(key);
    return it == m_.images.end() ? nullptr : &it->second;
}

// A source rectangle given from the bottom of a bottom-up bitmap counts from its top in Qt.
QRectF Player::SourceRect(const QImage* img, double x, double y, double w, double h) {
    (void)img;
    return QRectF(x, y, w, h);
}

void Player::GradientFill(const RecordView& v) {
    const std::uint32_t nVer = v.U32(24), nTri = v.U32(28), mode = v.U32(32);
    if (nVer > 100000 || nTri > 100000 || !v.Has(36, std::uint64_t(nVer) * 16)) return;
    struct Vtx {
        QPointF p;
        QColor c;
    };
    std::vector<Vtx> vs;
    for (std::uint32_t i = 0; i < nVer; ++i) {
        const std::uint64_t o = 36 + std::uint64_t(i) * 16;
        vs.push_back({QPointF(v.I32(o), v.I32(o + 4)),
                      QColor(v.U16(o + 8) >> 8, v.U16(o + 10) >> 8, v.U16(o + 12) >> 8)});
    }
    const std::uint64_t meshAt = 36 + std::uint64_t(nVer) * 16;
    UseLogical();
    for (std::uint32_t i = 0; i < nTri; ++i) {
        if (mode == U_GRADIENT_FILL_TRIANGLE) {
            const std::uint64_t o = meshAt + std::uint64_t(i) * 12;
            if (!v.Has(o, 12)) break;
            const std::uint32_t a = v.U32(o), b = v.U32(o + 4), c = v.U32(o + 8);
            if (a >= nVer || b >= nVer || c >= nVer) continue;
            QPolygonF tri({vs[a].p, vs[b].p, vs[c].p});
            QColor avg((vs[a].c.red() + vs[b].c.red() + vs[c].c.red()) / 3,
                       (vs[a].c.green() + vs[b].c.green() + vs[c].c.green()) / 3,
                       (vs[a].c.blue() + vs[b].c.blue() + vs[c].c.blue()) / 3);
            QPainterPath path;
            path.addPolygon(tri);
            p_.fillPath(path, avg);
        } else {
            const std::uint64_t o = meshAt + std::uint64_t(i) * 8;
            if (!v.Has(o, 8)) break;
            const std::uint32_t a = v.U32(o), b = v.U32(o + 4);
            if (a >= nVer || b >= nVer) continue;
            const QRectF r = QRectF(vs[a].p, vs[b].p).normalized();
            QLinearGradient g(vs[a].p, mode == U_GRADIENT_FILL_RECT_H ? QPointF(vs[b].p.x(), vs[a].p.y())
                                                                    : QPointF(vs[a].p.x(), vs[b].p.y()));
            g.setColorAt(0, vs[a].c);
            g.setColorAt(1, vs[b].c);
            p_.fillRect(r, g);
        }
    }
}

bool Player::BitmapRecord(const RecordRef& r, const RecordView& v) {
    switch (r.type) {
        case U_EMR_BITBLT: {
            const QRectF dest(v.I32(24), v.I32(28), v.I32(32), v.I32(36));
            const QImage* img = v.U32(88) ? Image(r.offset) : nullptr;
            Blit(img, SourceRect(img, v.I32(44), v.I32(48), dest.width(), dest.height()), dest, v.U32(40));
            break;
        }
        case U_EMR_STRETCHBLT: {
            const QRectF dest(v.I32(24), v.I32(28), v.I32(32), v.I32(36));
            const QImage* img = v.U32(88) ? Image(r.offset) : nullptr;
            Blit(img, SourceRect(img, v.I32(44), v.I32(48), v.I32(100), v.I32(104)), dest, v.U32(40));
            break;
        }
        case U_EMR_MASKBLT: {
            const QRectF dest(v.I32(24), v.I32(28), v.I32(32), v.I32(36));
            const QImage* img = Image(r.offset);
            Blit(img, SourceRect(img, v.I32(44), v.I32(48), dest.width(), dest.height()), dest, 0xCC0020);
            break;
        }
        case U_EMR_TRANSPARENTBLT: {
            const QRectF dest(v.I32(24), v.I32(28), v.I32(32), v.I32(36));
            const QImage* img = Image(r.offset);
            if (!img) break;
            QImage keyed = img->convertToFormat(QImage::Format_ARGB32);
            const QRgb key = ColorRef(v.U32(40)).rgb() & 0xffffff;
            for (int y = 0; y < keyed.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
                for (int x = 0; x < keyed.width(); ++x)
                    if ((line[x] & 0xffffff) == key) line[x] = 0;
            }
            Blit(&keyed, SourceRect(img, v.I32(44), v.I32(48), v.I32(100), v.I32(104)), dest, 0xCC0020);
            break;
        }
        case U_EMR_ALPHABLEND: {
            const QRectF dest(v.I32(24), v.I32(28), v.I32(32), v.I32(36));
            const std::uint32_t blend = v.U32(40);
            const bool srcAlpha = (blend >> 24) & U_AC_SRC_ALPHA;
            const QImage* img = Image(srcAlpha ? r.offset + 1 : r.offset);
            Blit(img, SourceRect(img, v.I32(44), v.I32(48), v.I32(100), v.I32(104)), dest, 0xCC0020, true,
                 ((blend >> 16) & 0xff) / 255.0);
            break;
        }
        case U_EMR_STRETCHDIBITS: {
            const QRectF dest(v.I32(24), v.I32(28), v.I32(72), v.I32(76));
            const QImage* img = Image(r.offset);
            QRectF src(v.I32(32), v.I32(36), v.I32(40), v.I32(44));
            if (img && src.height() > 0 && src.top() >= 0) {
                // Bottom-up bitmaps count the source rectangle from their last row.
                const RecordView hv = v;
                const std::uint32_t offBmi = hv.U32(48);
                const std::int32_t h = hv.U32(offBmi) == 12 ? hv.I16(offBmi + 6) : hv.I32(offBmi + 8);
                if (h > 0) src.moveTop(img->height() - src.top() - src.height());
            }
            Blit(img, src, dest, v.U32(68));
            break;
        }
        case U_EMR_SETDIBITSTODEVICE: {
            const QImage* img = Image(r.offset);
            if (!img) break;
            const QRectF dest(v.I32(24), v.I32(28), v.I32(40), v.I32(44));
            QRectF src(v.I32(32), v.I32(36), v.I32(40), v.I32(44));
            src.moveTop(img->height() - src.top() - src.height());
            Blit(img, src, dest, 0xCC0020);
            break;
        }
        case U_EMR_GRADIENTFILL: GradientFill(v); break;
        default: return false;
    }
    return true;
}
}  // namespace emf::detail
