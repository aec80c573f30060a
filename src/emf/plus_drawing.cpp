#include "emf/plus_player.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QLinearGradient>
#include <QRawFont>
#include <QtMath>
#include <array>
#include <cmath>

#include "emf/document.h"
#include "emf/fonts.h"

namespace emf::detail {
namespace {

// Catmull-Rom style cardinal spline through the points, as Bézier segments. An open curve may
// draw only `segments` segments from point `first`; the points around them still bend its ends.
QPainterPath Cardinal(const std::vector<QPointF>& pts, double tension, bool closed, int first = 0,
                      int segments = -1) {
    QPainterPath path;
    const int n = int(pts.size());
    if (n < 2) return path;
    auto at = [&](int i) {
        if (closed) return pts[((i % n) + n) % n];
        return pts[std::clamp(i, 0, n - 1)];
    };
    const double t = tension / 3;
    if (closed || segments < 0) first = 0, segments = closed ? n : n - 1;
    if (first < 0 || segments < 1 || first + segments > n - 1 + (closed ? 1 : 0)) return path;
    path.moveTo(pts[first]);
    for (int i = first; i < first + segments; ++i) {
        const QPointF p0 = at(i - 1), p1 = at(i), p2 = at(i + 1), p3 = at(i + 2);
        path.cubicTo(p1 + (p2 - p0) * t, p2 - (p3 - p1) * t, p2);
    }
    if (closed) path.closeSubpath();
    return path;
}


}  // namespace

void PlusPlayer::FillPath(const QPainterPath& path, const QBrush& brush) {
    UseWorld();
    if (brush.style() == Qt::TexturePattern && hatchTiles_.count(brush.textureImage().cacheKey())) {
        // A hatch is laid out in pixels of the output, whatever the transform of the shape.
        bool invertible = false;
        const QTransform back = p_.transform().inverted(&invertible);
        QBrush inPixels = brush;
        if (invertible) inPixels.setTransform(back);
        p_.fillPath(path, inPixels);
        return;
    }
    p_.fillPath(path, brush);
}

void PlusPlayer::StrokePath(const QPainterPath& path, const QPen& pen) {
    if (penInDevice_) {
        p_.setTransform(devBase_);
        p_.strokePath(WorldToDevice().map(path), pen);
        return;
    }
    UseWorld();
    // Hairlines through pixel centres, as on the plain-record side.
    if (pen.isCosmetic()) p_.setTransform(WorldToDevice() * devBase_ * QTransform::fromTranslate(0.5, 0.5));
    p_.strokePath(path, pen);
}

void PlusPlayer::DrawImage(const Object& img, const QRectF& src, int srcUnit, const QPolygonF& dest) {
    if (dest.size() < 3) return;
    // The three corners define an affine map from the source rectangle.
    const QPointF a = dest[0], b = dest[1], c = dest[2];
    if (img.metafile) {
        const QTransform m(b.x() - a.x(), b.y() - a.y(), c.x() - a.x(), c.y() - a.y(), a.x(), a.y());
        p_.save();
        p_.setTransform(m * WorldToDevice() * devBase_);
        img.metafile->Render(p_, QRectF(0, 0, 1, 1));
        p_.restore();
        return;
    }
    if (img.image.isNull()) return;
    QRectF s = src;
    const double u = UnitToPixels(srcUnit, false);
    if (srcUnit != 2 && u != 1) s = QRectF(s.x() * u, s.y() * u, s.width() * u, s.height() * u);
    if (s.width() <= 0 || s.height() <= 0) s = QRectF(img.image.rect());
    const QTransform unitMap(1 / s.width(), 0, 0, 1 / s.height(), -s.x() / s.width(), -s.y() / s.height());
    const QTransform m(b.x() - a.x(), b.y() - a.y(), c.x() - a.x(), c.y() - a.y(), a.x(), a.y());
    p_.setTransform(unitMap * m * WorldToDevice() * devBase_);
    const QRectF inImage = s.intersected(QRectF(img.image.rect()));
    if (!inImage.isEmpty()) p_.drawImage(inImage.topLeft(), img.image, inImage);
}


// Records that fill, stroke or draw with the objects; false for any other.
bool PlusPlayer::DrawRecord(int type, int flags, const RecordView& d) {
    const int id = flags & 0xff;
    const bool compressed = flags & 0x4000;
    switch (type) {
        case 0x400A: {
            const QBrush b = BrushFor(flags, d.U32(0));
            const std::uint32_t n = std::min<std::uint32_t>(d.U32(4), kMaxCount);
            QPainterPath path;
            for (std::uint32_t i = 0; i < n && d.Has(8 + (compressed ? 8ull : 16ull) * i, compressed ? 8 : 16); ++i)
                path.addRect(RectAt(d, 8 + (compressed ? 8ull : 16ull) * i, compressed));
            FillPath(path, b);
            break;
        }
        case 0x400B: {
            const std::uint32_t n = std::min<std::uint32_t>(d.U32(0), kMaxCount);
            QPainterPath path;
            for (std::uint32_t i = 0; i < n && d.Has(4 + (compressed ? 8ull : 16ull) * i, compressed ? 8 : 16); ++i)
                path.addRect(RectAt(d, 4 + (compressed ? 8ull : 16ull) * i, compressed));
            StrokePath(path, PenFor(id));
            break;
        }
        case 0x400C: {
            const std::vector<QPointF> pts = Points(d, 8, d.U32(4), flags);
            if (pts.empty()) break;
            QPainterPath path;
            path.addPolygon(QPolygonF(QVector<QPointF>(pts.begin(), pts.end())));
            path.closeSubpath();
            FillPath(path, BrushFor(flags, d.U32(0)));
            break;
        }
        case 0x400D: {
            const std::vector<QPointF> pts = Points(d, 4, d.U32(0), flags);
            if (pts.empty()) break;
            QPainterPath path;
            path.addPolygon(QPolygonF(QVector<QPointF>(pts.begin(), pts.end())));
            if (flags & 0x2000) path.closeSubpath();
            StrokePath(path, PenFor(id));
            break;
        }
        case 0x400E: {
            QPainterPath path;
            path.addEllipse(RectAt(d, 4, compressed));
            FillPath(path, BrushFor(flags, d.U32(0)));
            break;
        }
        case 0x400F: {
            QPainterPath path;
            path.addEllipse(RectAt(d, 0, compressed));
            StrokePath(path, PenFor(id));
            break;
        }
        case 0x4010:
        case 0x4011:
        case 0x4012: {
            const std::uint64_t o = type == 0x4010 ? 4 : 0;
            const double start = d.F32(o), sweep = d.F32(o + 4);
            const QRectF r = RectAt(d, o + 8, compressed);
            if (!Ok(start) || !Ok(sweep)) break;
            // Angles run clockwise on screen here; Qt's run the other way.
            QPainterPath path;
            if (type == 0x4012) {
                path.arcMoveTo(r, -start);
                path.arcTo(r, -start, -sweep);
                StrokePath(path, PenFor(id));
            } else {
                path.moveTo(r.center());
                path.arcTo(r, -start, -sweep);
                path.closeSubpath();
                if (type == 0x4010) FillPath(path, BrushFor(flags, d.U32(0)));
                else StrokePath(path, PenFor(id));
            }
            break;
        }
        case 0x4013:
        case 0x4014: {
            auto it = objects_.find(id);
            if (it == objects_.end()) break;
            FillPath(it->second.path, BrushFor(flags, d.U32(0)));
            break;
        }
        case 0x4015: {
            auto it = objects_.find(id);
            if (it == objects_.end()) break;
            StrokePath(it->second.path, PenFor(d.U32(0)));
            break;
        }
        case 0x4016:
        case 0x4017: {
            const std::uint64_t o = type == 0x4016 ? 4 : 0;
            const double tension = d.F32(o);
            const std::vector<QPointF> pts = Points(d, o + 8, d.U32(o + 4), flags);
            const QPainterPath path = Cardinal(pts, Ok(tension) ? tension : 0.5, true);
            if (type == 0x4016) FillPath(path, BrushFor(flags, d.U32(0)));
            else StrokePath(path, PenFor(id));
            break;
        }
        case 0x4018: {
            const double tension = d.F32(0);
            // Offset and segment count pick the part drawn, as GDI+ does; out of range draws nothing.
            const std::vector<QPointF> pts = Points(d, 16, d.U32(12), flags);
            const std::uint32_t first = d.U32(4), segments = d.U32(8);
            if (first >= pts.size() || segments >= pts.size()) break;
            StrokePath(Cardinal(pts, Ok(tension) ? tension : 0.5, false, int(first), int(segments)), PenFor(id));
            break;
        }
        case 0x4019: {
            const std::vector<QPointF> pts = Points(d, 4, d.U32(0), flags);
            if (pts.empty()) break;
            QPainterPath path;
            path.moveTo(pts[0]);
            for (std::size_t i = 1; i + 2 < pts.size(); i += 3) path.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
            StrokePath(path, PenFor(id));
            break;
        }
        case 0x401A: {
            auto it = objects_.find(id);
            if (it == objects_.end() || it->second.type != 5) break;
            const QRectF src = RectAt(d, 8, false), dst = RectAt(d, 24, compressed);
            DrawImage(it->second, src, d.I32(4), QPolygonF({dst.topLeft(), dst.topRight(), dst.bottomLeft()}));
            break;
        }
        case 0x401B: {
            auto it = objects_.find(id);
            if (it == objects_.end() || it->second.type != 5 || d.U32(24) != 3) break;
            const std::vector<QPointF> pts = Points(d, 28, 3, flags);
            if (pts.size() != 3) break;
            DrawImage(it->second, RectAt(d, 8, false), d.I32(4), QPolygonF({pts[0], pts[1], pts[2]}));
            break;
        }
        case 0x401C: DrawString(d, flags); break;
        case 0x4036: DrawDriverString(d, flags); break;
        default: return false;
    }
    return true;
}

}  // namespace emf::detail
