#include "emf/player.h"

#include <QDebug>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QRawFont>
#include <QtMath>
#include <cmath>

namespace emf::detail {

// Fills and strokes a shape in logical coordinates (or adds it to the open path).
void Player::Draw(const QPainterPath& shape, bool fill, bool stroke) {
    if (inPath_) {
        path_.addPath(shape);
        return;
    }
    if (Nop()) return;
    // Geometry reaching far beyond the picture (absurd extents, damaged files) is cut to a
    // margin around it first: the rasteriser's time grows with the shape, not with what shows.
    const QRectF reach = T().mapRect(shape.controlPointRect());
    const QRectF margin = frameDev_.adjusted(-frameDev_.width(), -frameDev_.height(), frameDev_.width(), frameDev_.height());
    if (!margin.contains(reach) && (reach.width() > 8 * margin.width() || reach.height() > 8 * margin.height())) {
        bool ok = false;
        const QTransform back = T().inverted(&ok);
        if (!ok) return;
        QPainterPath window;
        window.addRect(margin);
        if (stroke) {
            QPen pen = QtPen();
            if (pen.style() != Qt::NoPen) {
                QPainterPathStroker stroker(pen);
                if (pen.isCosmetic()) stroker.setWidth(1.0 / scale_);
                const QPainterPath outline = back.map(T().map(stroker.createStroke(shape)).intersected(window));
                Brush saved = dc_.brush;
                dc_.brush = Brush(U_BS_SOLID, pen.color());
                const bool wasFill = fill;
                if (wasFill) Draw(back.map(T().map(shape).intersected(window)), true, false);
                Draw(outline, true, false);
                dc_.brush = saved;
                return;
            }
        }
        QPainterPath cut = back.map(T().map(shape).intersected(window));
        cut.setFillRule(shape.fillRule());
        Draw(cut, fill, false);
        return;
    }
    UseLogical();
    SetRop2();
    if (fill) {
        QBrush b = QtBrush();
        if (b.style() != Qt::NoBrush) {
            if (dc_.brush.style == U_BS_HATCHED && dc_.bkMode == U_OPAQUE) p_.fillPath(shape, RopColor(dc_.bkColor));
            if (b.style() == Qt::SolidPattern) b.setColor(RopColor(b.color()));
            p_.fillPath(shape, b);
        }
    }
    if (stroke) {
        QPen pen = QtPen();
        if (pen.style() != Qt::NoPen) {
            pen.setColor(RopColor(pen.color()));
            // Without antialiasing a line thinner than a pixel would lose pixels; GDI
            // draws it one pixel wide.
            if (RopReadsDest() && !pen.isCosmetic() && pen.widthF() * scale_ < 1) {
                pen.setCosmetic(true);
                pen.setWidthF(DevicePixelRatio(p_));
            }
            if (pen.isCosmetic()) {
                // Hairlines through pixel centres, each point rounded to a whole pixel of the
                // output as GDI rounds them: one crisp pixel rather than two grey ones.
                QPainterPath snapped = (T() * devBase_).map(shape);
                bool square = pen.style() == Qt::SolidLine;  // only level and upright lines
                for (int i = 0; i < snapped.elementCount(); ++i) {
                    const QPainterPath::Element e = snapped.elementAt(i);
                    snapped.setElementPositionAt(i, std::round(e.x), std::round(e.y));
                    if (!e.isMoveTo() && !e.isLineTo()) square = false;
                    if (i > 0 && e.isLineTo()) {
                        const QPainterPath::Element a = snapped.elementAt(i - 1), b = snapped.elementAt(i);
                        if (a.x != b.x && a.y != b.y) square = false;
                    }
                }
                // A one-pixel line has no caps and leaves out its last pixel, as a line to a
                // point does, so the dots of a line drawn as short segments stay apart.
                pen.setCapStyle(Qt::FlatCap);
                if (square) {
                    // Level and upright lines as the exact run of pixels GDI sets: every
                    // pixel whole, ends sharp, still drawn through the smoothing painter.
                    p_.setTransform(QTransform());
                    p_.strokePath(PixelRuns(snapped), pen);
                } else {
                    p_.setTransform(QTransform::fromTranslate(0.5, 0.5));
                    p_.strokePath(snapped, pen);
                }
            } else {
                p_.strokePath(shape, pen);
            }
        }
    }
    ResetRop2();
}

// Each level or upright segment of a path on whole pixels as the pixels a line to its end
// sets: from its start up to, not including, its end, whichever way it runs.
QPainterPath Player::PixelRuns(const QPainterPath& path) {
    QPainterPath runs;
    for (int i = 1; i < path.elementCount(); ++i) {
        const QPainterPath::Element a = path.elementAt(i - 1), b = path.elementAt(i);
        if (!b.isLineTo() || (a.x == b.x && a.y == b.y)) continue;
        if (a.y == b.y) {
            const double from = b.x > a.x ? a.x : b.x + 1, to = b.x > a.x ? b.x : a.x + 1;
            runs.moveTo(from, a.y + 0.5), runs.lineTo(to, a.y + 0.5);
        } else {
            const double from = b.y > a.y ? a.y : b.y + 1, to = b.y > a.y ? b.y : a.y + 1;
            runs.moveTo(a.x + 0.5, from), runs.lineTo(a.x + 0.5, to);
        }
    }
    return runs;
}

// Reads count points of 16 or 32 bits at offset; empty when they do not fit.
QPolygonF Player::Points(const RecordView& v, std::uint64_t offset, std::uint32_t count, bool small) {
    QPolygonF poly;
    const int sz = small ? 4 : 8;
    if (count > kMaxPoints || !v.Has(offset, std::uint64_t(count) * sz)) return poly;
    poly.reserve(int(count));
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint64_t o = offset + std::uint64_t(i) * sz;
        if (small) poly.append(QPointF(v.I16(o), v.I16(o + 2)));
        else poly.append(QPointF(v.I32(o), v.I32(o + 4)));
    }
    return poly;
}

QRectF Player::Rect(const RecordView& v, std::uint64_t o) {
    return QRectF(QPointF(v.I32(o), v.I32(o + 4)), QPointF(v.I32(o + 8), v.I32(o + 12))).normalized();
}

void Player::Poly(const RecordView& v, bool small, int kind) {
    const std::uint32_t count = v.U32(24);
    QPolygonF pts = Points(v, 28, count, small);
    if (pts.isEmpty()) return;
    QPainterPath path;
    path.setFillRule(FillRule());
    switch (kind) {
        case U_EMR_POLYGON:
            path.addPolygon(pts);
            path.closeSubpath();
            Draw(path, true, true);
            break;
        case U_EMR_POLYLINE:
            if (inPath_) {
                path_.moveTo(pts[0]);
                for (int i = 1; i < pts.size(); ++i) path_.lineTo(pts[i]);
            } else {
                path.addPolygon(pts);
                Draw(path, false, true);
            }
            break;
        case U_EMR_POLYLINETO:
            if (inPath_) {
                EnsurePathStart();
                for (const QPointF& q : pts) path_.lineTo(q);
            } else {
                path.moveTo(dc_.cur);
                for (const QPointF& q : pts) path.lineTo(q);
                Draw(path, false, true);
            }
            dc_.cur = pts.back();
            break;
        case U_EMR_POLYBEZIER:
            path.moveTo(pts[0]);
            for (int i = 1; i + 2 < pts.size(); i += 3) path.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
            if (inPath_) {
                path_.moveTo(pts[0]);
                for (int i = 1; i + 2 < pts.size(); i += 3) path_.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
            } else {
                Draw(path, false, true);
            }
            break;
        case U_EMR_POLYBEZIERTO:
            if (inPath_) {
                EnsurePathStart();
                for (int i = 0; i + 2 < pts.size(); i += 3) path_.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
            } else {
                path.moveTo(dc_.cur);
                for (int i = 0; i + 2 < pts.size(); i += 3) path.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
                Draw(path, false, true);
            }
            dc_.cur = pts.back();
            break;
    }
}

void Player::PolyPoly(const RecordView& v, bool small, bool polygon) {
    const std::uint32_t nPolys = v.U32(24), total = v.U32(28);
    if (nPolys > kMaxPoints || total > kMaxPoints || !v.Has(32, std::uint64_t(nPolys) * 4)) return;
    QPolygonF pts = Points(v, 32 + std::uint64_t(nPolys) * 4, total, small);
    if (pts.isEmpty()) return;
    QPainterPath path;
    path.setFillRule(FillRule());
    std::uint64_t at = 0;
    for (std::uint32_t i = 0; i < nPolys; ++i) {
        const std::uint32_t n = v.U32(32 + std::uint64_t(i) * 4);
        if (at + n > std::uint64_t(pts.size())) break;
        if (n == 0) continue;
        path.moveTo(pts[int(at)]);
        for (std::uint32_t k = 1; k < n; ++k) path.lineTo(pts[int(at + k)]);
        if (polygon) path.closeSubpath();
        at += n;
    }
    Draw(path, polygon, true);
}

void Player::PolyDraw(const RecordView& v, bool small) {
    const std::uint32_t count = v.U32(24);
    QPolygonF pts = Points(v, 28, count, small);
    const std::uint8_t* types = v.Span(28 + std::uint64_t(count) * (small ? 4 : 8), count);
    if (pts.isEmpty() || !types) return;
    QPainterPath path;
    path.moveTo(dc_.cur);
    for (int i = 0; i < pts.size(); ++i) {
        const int t = types[i] & ~U_PT_CLOSEFIGURE;
        if (t == U_PT_MOVETO) path.moveTo(pts[i]);
        else if (t == U_PT_BEZIERTO && i + 2 < pts.size()) {
            path.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
            i += 2;
        } else path.lineTo(pts[i]);
        if (types[i] & U_PT_CLOSEFIGURE) path.closeSubpath();
    }
    dc_.cur = pts.back();
    if (inPath_) path_.addPath(path);
    else Draw(path, false, true);
}

void Player::EnsurePathStart() {
    if (path_.elementCount() == 0) path_.moveTo(dc_.cur);
}

// Angle of a point on an ellipse, in Qt's convention (degrees, counter-clockwise on screen).
double Player::Angle(const QRectF& r, const QPointF& p) {
    const QPointF c = r.center();
    const double rx = std::max(r.width() / 2, 1e-9), ry = std::max(r.height() / 2, 1e-9);
    return qRadiansToDegrees(std::atan2(-(p.y() - c.y()) / ry, (p.x() - c.x()) / rx));
}

void Player::ArcShape(const RecordView& v, int kind) {
    const QRectF r = Rect(v, 8);
    const QPointF s = Point(v, 24), e = Point(v, 32);
    double a0 = Angle(r, s), a1 = Angle(r, e);
    double sweep = a1 - a0;
    // Directions are as seen on the device; a flipped mapping reverses them in logical space.
    bool ccw = dc_.arcDir == U_AD_COUNTERCLOCKWISE;
    if (T().determinant() < 0) ccw = !ccw;
    if (ccw) {
        while (sweep <= 0) sweep += 360;
    } else {
        while (sweep >= 0) sweep -= 360;
    }
    QPainterPath path;
    path.setFillRule(FillRule());
    if (kind == U_EMR_PIE) {
        path.moveTo(r.center());
        path.arcTo(r, a0, sweep);
        path.closeSubpath();
        Draw(path, true, true);
    } else {
        path.arcMoveTo(r, a0);
        path.arcTo(r, a0, sweep);
        if (kind == U_EMR_CHORD) {
            path.closeSubpath();
            Draw(path, true, true);
        } else if (kind == U_EMR_ARCTO) {
            QPainterPath p2;
            p2.moveTo(dc_.cur);
            p2.connectPath(path);
            dc_.cur = p2.currentPosition();
            if (inPath_) {
                EnsurePathStart();
                path_.connectPath(path);
            } else {
                Draw(p2, false, true);
            }
        } else {
            if (inPath_) path_.addPath(path);
            else Draw(path, false, true);
        }
    }
}

QPainterPath Player::RegionPath(const RecordView& v, std::uint64_t at, std::uint32_t cb) {
    QPainterPath path;
    if (cb < 32 || !v.Has(at, cb)) return path;
    const std::uint32_t count = v.U32(at + 8);
    if (count > kMaxPoints || 32 + std::uint64_t(count) * 16 > cb) return path;
    for (std::uint32_t i = 0; i < count; ++i) path.addRect(Rect(v, at + 32 + std::uint64_t(i) * 16));
    path.setFillRule(Qt::WindingFill);
    if (count > 1) path = path.simplified();
    return path;
}

// ---- the shape records, one step each ----------------------------------------------------

void Player::LineTo(const RecordView& v) {
    const QPointF to = Point(v, 8);
    if (inPath_) {
        EnsurePathStart();
        path_.lineTo(to);
    } else {
        QPainterPath path;
        path.moveTo(dc_.cur);
        path.lineTo(to);
        Draw(path, false, true);
    }
    dc_.cur = to;
}

// One logical unit square of the colour; nothing inside a path.
void Player::SetPixel(const RecordView& v) {
    if (inPath_) return;
    UseLogical();
    const QPointF pt = Point(v, 8);
    T();
    p_.fillRect(QRectF(pt, QSizeF(1 / scale_, 1 / scale_)), ColorRef(v.U32(16)));
}

// A rectangle, rounded rectangle or ellipse in its bounding box, filled and outlined.
void Player::BoxShape(const RecordView& v, std::uint32_t type) {
    QPainterPath path;
    if (type == U_EMR_ROUNDRECT) path.addRoundedRect(Rect(v, 8), std::abs(v.I32(24)) / 2.0, std::abs(v.I32(28)) / 2.0);
    else if (type == U_EMR_ELLIPSE) path.addEllipse(Rect(v, 8));
    else path.addRect(Rect(v, 8));
    Draw(path, true, true);
}

// A line from the current position to the arc's start, then the arc; the current position ends
// where the arc ends.
void Player::AngleArc(const RecordView& v) {
    const QPointF c = Point(v, 8);
    const double rad = v.U32(16), start = v.F32(20), sweep = v.F32(24);
    if (!Finite(start) || !Finite(sweep) || rad > 1e9) return;
    QRectF box(c.x() - rad, c.y() - rad, 2 * rad, 2 * rad);
    QPainterPath arc;
    arc.arcMoveTo(box, start);
    arc.arcTo(box, start, sweep);
    QPainterPath path;
    path.moveTo(dc_.cur);
    path.connectPath(arc);
    dc_.cur = path.currentPosition();
    if (inPath_) {
        EnsurePathStart();
        path_.connectPath(arc);
    } else {
        Draw(path, false, true);
    }
}

// Fills, strokes or both the path built since BEGINPATH, which ends it.
void Player::DrawPath(std::uint32_t type) {
    inPath_ = false;
    QPainterPath path = path_;
    path.setFillRule(FillRule());
    if (type == U_EMR_FILLPATH || type == U_EMR_STROKEANDFILLPATH) path.closeSubpath();
    Draw(path, type != U_EMR_STROKEPATH, type != U_EMR_FILLPATH);
    path_ = QPainterPath();
}

// The brush a region record names, as the current one (the caller restores it).
void Player::UseRegionBrush(std::uint32_t index) {
    if (index & U_STOCK_OBJECT) SelectStock(index);
    else if (Object* o = Slot(index); o && o->kind == Object::kBrush) dc_.brush = o->brush;
}

// FILLRGN with the brush it names, PAINTRGN with the current one.
void Player::FillRegion(const RecordView& v, std::uint32_t type) {
    const std::uint32_t cb = v.U32(24);
    const bool paint = type == U_EMR_PAINTRGN;
    const QPainterPath region = RegionPath(v, paint ? 28 : 32, cb);
    Brush saved = dc_.brush;
    if (!paint) UseRegionBrush(v.U32(28));
    // Unlike a clip region, a painted region is given in logical units.
    UseLogical();
    p_.fillPath(region, QtBrush());
    dc_.brush = saved;
}

void Player::FrameRegion(const RecordView& v) {
    const QPainterPath region = RegionPath(v, 40, v.U32(24));
    Brush saved = dc_.brush;
    UseRegionBrush(v.U32(28));
    UseLogical();
    const double w = std::max(1, v.I32(32));
    QPainterPathStroker st;
    st.setWidth(2 * w);
    p_.fillPath(st.createStroke(region).intersected(region), QtBrush());
    dc_.brush = saved;
}

void Player::InvertRegion(const RecordView& v) {
    const QPainterPath region = RegionPath(v, 28, v.U32(24));
    UseLogical();
    p_.setCompositionMode(QPainter::RasterOp_NotDestination);
    p_.fillPath(region, Qt::white);
    p_.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

bool Player::ShapeRecord(const RecordRef& r, const RecordView& v) {
    switch (r.type) {
        // Lines and curves.
        case U_EMR_MOVETOEX:
            dc_.cur = Point(v, 8);
            if (inPath_) path_.moveTo(dc_.cur);
            break;
        case U_EMR_LINETO: LineTo(v); break;
        case U_EMR_SETPIXELV: SetPixel(v); break;
        case U_EMR_POLYGON: Poly(v, false, U_EMR_POLYGON); break;
        case U_EMR_POLYGON16: Poly(v, true, U_EMR_POLYGON); break;
        case U_EMR_POLYLINE: Poly(v, false, U_EMR_POLYLINE); break;
        case U_EMR_POLYLINE16: Poly(v, true, U_EMR_POLYLINE); break;
        case U_EMR_POLYLINETO: Poly(v, false, U_EMR_POLYLINETO); break;
        case U_EMR_POLYLINETO16: Poly(v, true, U_EMR_POLYLINETO); break;
        case U_EMR_POLYBEZIER: Poly(v, false, U_EMR_POLYBEZIER); break;
        case U_EMR_POLYBEZIER16: Poly(v, true, U_EMR_POLYBEZIER); break;
        case U_EMR_POLYBEZIERTO: Poly(v, false, U_EMR_POLYBEZIERTO); break;
        case U_EMR_POLYBEZIERTO16: Poly(v, true, U_EMR_POLYBEZIERTO); break;
        case U_EMR_POLYPOLYGON: PolyPoly(v, false, true); break;
        case U_EMR_POLYPOLYGON16: PolyPoly(v, true, true); break;
        case U_EMR_POLYPOLYLINE: PolyPoly(v, false, false); break;
        case U_EMR_POLYPOLYLINE16: PolyPoly(v, true, false); break;
        case U_EMR_POLYDRAW: PolyDraw(v, false); break;
        case U_EMR_POLYDRAW16: PolyDraw(v, true); break;

        // Closed shapes.
        case U_EMR_RECTANGLE:
        case U_EMR_ROUNDRECT:
        case U_EMR_ELLIPSE: BoxShape(v, r.type); break;
        case U_EMR_ARC:
        case U_EMR_ARCTO:
        case U_EMR_CHORD:
        case U_EMR_PIE: ArcShape(v, int(r.type)); break;
        case U_EMR_ANGLEARC: AngleArc(v); break;

        // Paths.
        case U_EMR_BEGINPATH:
            inPath_ = true;
            path_ = QPainterPath();
            break;
        case U_EMR_ENDPATH: inPath_ = false; break;
        case U_EMR_ABORTPATH:
            inPath_ = false;
            path_ = QPainterPath();
            break;
        case U_EMR_CLOSEFIGURE:
            if (inPath_) path_.closeSubpath();
            break;
        case U_EMR_FLATTENPATH:
        case U_EMR_WIDENPATH: break;
        case U_EMR_FILLPATH:
        case U_EMR_STROKEPATH:
        case U_EMR_STROKEANDFILLPATH: DrawPath(r.type); break;

        // Regions.
        case U_EMR_FILLRGN:
        case U_EMR_PAINTRGN: FillRegion(v, r.type); break;
        case U_EMR_FRAMERGN: FrameRegion(v); break;
        case U_EMR_INVERTRGN: InvertRegion(v); break;

        default: return false;
    }
    return true;
}
}  // namespace emf::detail
