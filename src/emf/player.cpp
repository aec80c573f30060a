#include "emf/player.h"

#include <QDebug>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QRawFont>
#include <QtMath>
#include <cmath>

namespace emf::detail {

Player::Player(const ParsedMetafile& m, QPainter& p, const QRectF& target, std::vector<TextRun>* textSink)
    : m_(m), p_(p), textSink_(textSink), plus_(p, Base(m, p, target), FramePath(m), m.pxPerMmX * 25.4, m.pxPerMmY * 25.4) {
    usePlus_ = m.plusOnly || (m.dual && kDualFromPlus && !m.plusUnsupported);
    objects_.resize(std::min<std::uint32_t>(std::max<std::uint32_t>(m.handles, 1), kMaxHandles));
    const QRectF frameDev(m.frame.left() * m.pxPerMmX / 100, m.frame.top() * m.pxPerMmY / 100,
                          m.frame.width() * m.pxPerMmX / 100, m.frame.height() * m.pxPerMmY / 100);
    frameDev_ = frameDev;
    devToTarget_ = QTransform::fromTranslate(-frameDev.left(), -frameDev.top()) *
                   QTransform::fromScale(target.width() / frameDev.width(), target.height() / frameDev.height()) *
                   QTransform::fromTranslate(target.left(), target.top());
    base_ = p.transform();
    devBase_ = devToTarget_ * base_;
    targetClip_.addRect(frameDev);
    dc_.font = DefaultFont();
    plus_.SetTextSink(textSink);
}

void Player::Play() {
    p_.save();
    p_.setRenderHint(QPainter::Antialiasing, true);
    p_.setRenderHint(QPainter::SmoothPixmapTransform, true);
    p_.setRenderHint(QPainter::TextAntialiasing, true);
    ApplyClip();
    for (const RecordRef& r : m_.records) {
        if (r.type == U_EMR_COMMENT && usePlus_) {
            const RecordView v = m_.View(r);
            const std::uint32_t cb = v.U32(8);
            if (v.U32(12) == 0x2B464D45 && cb >= 4 && v.Has(16, cb - 4)) {
                plus_.Comment(v.Span(16, cb - 4), cb - 4);
                if (plus_.TakeClipDirty()) plusTouchedClip_ = true;
            }
            continue;
        }
        if (usePlus_ && IsDrawing(r.type)) {
            // With EMF+ present the plain records are a fallback copy, except right after GetDC.
            if (!plus_.GdiEnabled()) continue;
            if (plusTouchedClip_) ApplyClip(), plusTouchedClip_ = false;
        }
        Record(r);
    }
    p_.restore();
}

QRectF Player::FrameDev(const ParsedMetafile& m) {
    return QRectF(m.frame.left() * m.pxPerMmX / 100, m.frame.top() * m.pxPerMmY / 100,
                  m.frame.width() * m.pxPerMmX / 100, m.frame.height() * m.pxPerMmY / 100);
}

QTransform Player::Base(const ParsedMetafile& m, QPainter& p, const QRectF& target) {
    const QRectF f = FrameDev(m);
    return QTransform::fromTranslate(-f.left(), -f.top()) *
           QTransform::fromScale(target.width() / f.width(), target.height() / f.height()) *
           QTransform::fromTranslate(target.left(), target.top()) * p.transform();
}

QPainterPath Player::FramePath(const ParsedMetafile& m) {
    QPainterPath path;
    path.addRect(FrameDev(m));
    return path;
}

bool Player::IsDrawing(std::uint32_t t) {
    switch (t) {
        case U_EMR_POLYBEZIER: case U_EMR_POLYGON: case U_EMR_POLYLINE: case U_EMR_POLYBEZIERTO:
        case U_EMR_POLYLINETO: case U_EMR_POLYPOLYLINE: case U_EMR_POLYPOLYGON: case U_EMR_SETPIXELV:
        case U_EMR_ANGLEARC: case U_EMR_ELLIPSE: case U_EMR_RECTANGLE: case U_EMR_ROUNDRECT: case U_EMR_ARC:
        case U_EMR_CHORD: case U_EMR_PIE: case U_EMR_EXTFLOODFILL: case U_EMR_LINETO: case U_EMR_ARCTO:
        case U_EMR_POLYDRAW: case U_EMR_FILLPATH: case U_EMR_STROKEANDFILLPATH: case U_EMR_STROKEPATH:
        case U_EMR_FILLRGN: case U_EMR_FRAMERGN: case U_EMR_INVERTRGN: case U_EMR_PAINTRGN: case U_EMR_BITBLT:
        case U_EMR_STRETCHBLT: case U_EMR_MASKBLT: case U_EMR_PLGBLT: case U_EMR_SETDIBITSTODEVICE:
        case U_EMR_STRETCHDIBITS: case U_EMR_EXTTEXTOUTA: case U_EMR_EXTTEXTOUTW: case U_EMR_POLYBEZIER16:
        case U_EMR_POLYGON16: case U_EMR_POLYLINE16: case U_EMR_POLYBEZIERTO16: case U_EMR_POLYLINETO16:
        case U_EMR_POLYPOLYLINE16: case U_EMR_POLYPOLYGON16: case U_EMR_POLYDRAW16: case U_EMR_POLYTEXTOUTA:
        case U_EMR_POLYTEXTOUTW: case U_EMR_SMALLTEXTOUT: case U_EMR_ALPHABLEND: case U_EMR_TRANSPARENTBLT:
        case U_EMR_GRADIENTFILL: return true;
        default: return false;
    }
}

QTransform Player::PageTransform() const {
    double sx = 1, sy = 1;
    const DcState& d = dc_;
    switch (d.mapMode) {
        case U_MM_LOMETRIC: sx = m_.pxPerMmX * 0.1, sy = -m_.pxPerMmY * 0.1; break;
        case U_MM_HIMETRIC: sx = m_.pxPerMmX * 0.01, sy = -m_.pxPerMmY * 0.01; break;
        case U_MM_LOENGLISH: sx = m_.pxPerMmX * 0.254, sy = -m_.pxPerMmY * 0.254; break;
        case U_MM_HIENGLISH: sx = m_.pxPerMmX * 0.0254, sy = -m_.pxPerMmY * 0.0254; break;
        case U_MM_TWIPS: sx = m_.pxPerMmX * 25.4 / 1440, sy = -m_.pxPerMmY * 25.4 / 1440; break;
        case U_MM_ISOTROPIC:
        case U_MM_ANISOTROPIC:
            if (d.winExt.width() != 0 && d.winExt.height() != 0) {
                sx = d.vpExt.width() / d.winExt.width();
                sy = d.vpExt.height() / d.winExt.height();
                if (d.mapMode == U_MM_ISOTROPIC) {
                    const double s = std::min(std::abs(sx), std::abs(sy));
                    sx = sx < 0 ? -s : s;
                    sy = sy < 0 ? -s : s;
                }
            }
            break;
        default: break;
    }
    if (!Finite(sx) || !Finite(sy) || sx == 0 || sy == 0) sx = sy = 1;
    return QTransform(sx, 0, 0, sy, d.vpOrg.x() - d.winOrg.x() * sx, d.vpOrg.y() - d.winOrg.y() * sy);
}

// Logical to reference device pixels.
const QTransform& Player::T() {
    if (tDirty_) {
        t_ = dc_.world * PageTransform();
        tDirty_ = false;
        scale_ = std::sqrt(std::abs(t_.determinant()));
        if (!(scale_ > 1e-9) || !Finite(scale_)) scale_ = 1;
    }
    return t_;
}

void Player::Record(const RecordRef& r) {
    const RecordView v = m_.View(r);
    if (StateRecord(r, v) || ShapeRecord(r, v) || TextRecord(r, v)) return;
    BitmapRecord(r, v);
}
void PlayMetafile(const ParsedMetafile& m, QPainter& painter, const QRectF& target, std::vector<TextRun>* textSink) {
    if (target.isEmpty() || m.frame.isEmpty()) return;
    Player player(m, painter, target, textSink);
    player.Play();
}

}  // namespace emf::detail
