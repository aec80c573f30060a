#include "platform/emf/emf_player.h"

#include "platform/emf/emf_fonts.h"
#include "platform/emf/emf_plus.h"

#include <uemf.h>

#include <QDebug>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainterPath>
#include <QRawFont>
#include <QtMath>
#include <cmath>
#include <memory>
#include <optional>
#include <vector>

namespace platform::emf {
namespace {

// Per-record work is bounded, but a hostile file can still hold millions of tiny records or
// points; these caps keep one picture from stalling the lesson.
constexpr std::uint32_t kMaxPoints = 4 * 1024 * 1024;
constexpr std::uint32_t kMaxHandles = 65536;
constexpr int kMaxSaveDepth = 1024;
// Files with both EMF+ and plain records are drawn from their EMF+ records: measured closer to
// the reference renderings.
constexpr bool kDualFromPlus = true;
constexpr std::uint32_t kMwtSet = 4;  // ModifyWorldTransform's "set" mode, missing from the header

QColor ColorRef(std::uint32_t c) { return QColor(int(c & 0xff), int((c >> 8) & 0xff), int((c >> 16) & 0xff)); }

bool Finite(double v) { return std::isfinite(v) && std::abs(v) < 1e12; }

struct Pen {
    int style = 0;  // PS_* with end cap, join and type bits
    double width = 0;
    QColor color = Qt::black;
    bool null = false;
    bool cosmetic = true;
    QVector<qreal> dashes;
};

struct Brush {
    Brush() = default;
    Brush(int s, QColor c) : style(s), color(c) {}
    int style = 0;  // BS_*
    QColor color = Qt::white;
    int hatch = 0;
    QImage pattern;
    bool mono = false;
};

struct Font {
    std::int32_t height = 0, width = 0, escapement = 0, weight = 400;
    bool italic = false, underline = false, strike = false;
    int charset = 0;
    QString face;
    QFont qfont;
    double cellToEm = 1;     // em size per unit of cell height
    double avgCharEm = 0.5;  // average character width per em
    SymbolSet symbols = SymbolSet::None;
};

struct Object {
    enum Kind { kNone, kPen, kBrush, kFont, kPalette } kind = kNone;
    Pen pen;
    Brush brush;
    std::shared_ptr<Font> font;
};

struct DcState {
    int mapMode = U_MM_TEXT;
    QPointF winOrg, vpOrg;
    QSizeF winExt{1, 1}, vpExt{1, 1};
    QTransform world;
    Pen pen;
    Brush brush;
    std::shared_ptr<Font> font;
    QColor textColor = Qt::black, bkColor = Qt::white;
    int bkMode = U_OPAQUE;
    int fillMode = U_ALTERNATE;
    int textAlign = 0;
    int rop2 = U_R2_COPYPEN;
    int arcDir = U_AD_COUNTERCLOCKWISE;
    double miter = 10;
    QPointF cur;
    bool hasClip = false;
    QPainterPath clip;  // reference device pixels
};

class Player {
public:
    Player(const ParsedMetafile& m, QPainter& p, const QRectF& target)
        : m_(m), p_(p), plus_(p, Base(m, p, target), FramePath(m), m.pxPerMmX * 25.4, m.pxPerMmY * 25.4) {
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
    }

    void Play() {
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

private:
    static QRectF FrameDev(const ParsedMetafile& m) {
        return QRectF(m.frame.left() * m.pxPerMmX / 100, m.frame.top() * m.pxPerMmY / 100,
                      m.frame.width() * m.pxPerMmX / 100, m.frame.height() * m.pxPerMmY / 100);
    }
    static QTransform Base(const ParsedMetafile& m, QPainter& p, const QRectF& target) {
        const QRectF f = FrameDev(m);
        return QTransform::fromTranslate(-f.left(), -f.top()) *
               QTransform::fromScale(target.width() / f.width(), target.height() / f.height()) *
               QTransform::fromTranslate(target.left(), target.top()) * p.transform();
    }
    static QPainterPath FramePath(const ParsedMetafile& m) {
        QPainterPath path;
        path.addRect(FrameDev(m));
        return path;
    }
    static bool IsDrawing(std::uint32_t t) {
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

    // ---- coordinate spaces -------------------------------------------------------------
    QTransform PageTransform() const {
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
    const QTransform& T() {
        if (tDirty_) {
            t_ = dc_.world * PageTransform();
            tDirty_ = false;
            scale_ = std::sqrt(std::abs(t_.determinant()));
            if (!(scale_ > 1e-9) || !Finite(scale_)) scale_ = 1;
        }
        return t_;
    }
    void UseLogical() { p_.setTransform(T() * devBase_); }
    void UseDevice() { p_.setTransform(devBase_); }

    void ApplyClip() {
        p_.setTransform(devBase_);
        if (dc_.hasClip) p_.setClipPath(dc_.clip.intersected(targetClip_));
        else p_.setClipPath(targetClip_);
    }
    void CombineClip(const QPainterPath& shape, int mode) {
        QPainterPath cur = dc_.hasClip ? dc_.clip : Everything();
        switch (mode) {
            case U_RGN_AND: cur = dc_.hasClip ? cur.intersected(shape) : shape; break;
            case U_RGN_OR: cur = dc_.hasClip ? cur.united(shape) : cur; break;
            case U_RGN_XOR: cur = cur.subtracted(shape).united(shape.subtracted(cur)); break;
            case U_RGN_DIFF: cur = cur.subtracted(shape); break;
            default: cur = shape; break;
        }
        dc_.clip = cur;
        dc_.hasClip = true;
        ApplyClip();
    }
    QPainterPath Everything() const {
        QPainterPath e;
        e.addRect(frameDev_.adjusted(-1e5, -1e5, 1e5, 1e5));
        return e;
    }

    // ---- objects ------------------------------------------------------------------------
    std::shared_ptr<Font> DefaultFont() {
        auto f = std::make_shared<Font>();
        f->height = -12;
        f->face = "Liberation Sans";
        FinishFont(*f);
        return f;
    }
    void FinishFont(Font& f) {
        f.face = f.face.trimmed();
        const FaceMapping mapped = MapFace(f.face);
        f.symbols = mapped.symbols;
        f.qfont = QFont(mapped.family);
        f.qfont.setPixelSize(100);
        f.qfont.setWeight(QFont::Weight(std::clamp(f.weight == 0 ? 400 : f.weight, 100, 900)));
        f.qfont.setItalic(f.italic);
        f.qfont.setUnderline(f.underline);
        f.qfont.setStrikeOut(f.strike);
        f.qfont.setKerning(false);
        f.qfont.setHintingPreference(QFont::PreferNoHinting);
        const QFontMetricsF fm(f.qfont);
        const double cell = fm.ascent() + fm.descent();
        f.cellToEm = cell > 0 ? 100.0 / cell : 1;
        f.avgCharEm = fm.averageCharWidth() > 0 ? fm.averageCharWidth() / 100.0 : 0.5;
        if (f.width > 0 && f.height != 0) {
            const double em = f.height < 0 ? -f.height : f.height * f.cellToEm;
            const int stretch = int(std::lround(100.0 * f.width / (em * f.avgCharEm)));
            if (stretch >= 20 && stretch <= 400 && std::abs(stretch - 100) > 2) f.qfont.setStretch(stretch);
        }
    }
    Object* Slot(std::uint32_t index) {
        if (index == 0 || index >= kMaxHandles) return nullptr;
        if (index >= objects_.size()) objects_.resize(index + 1);
        return &objects_[index];
    }
    void SelectStock(std::uint32_t n) {
        switch (n) {
            case U_WHITE_BRUSH: dc_.brush = Brush{0, Qt::white}; break;
            case U_LTGRAY_BRUSH: dc_.brush = Brush{0, QColor(192, 192, 192)}; break;
            case U_GRAY_BRUSH: dc_.brush = Brush{0, QColor(128, 128, 128)}; break;
            case U_DKGRAY_BRUSH: dc_.brush = Brush{0, QColor(64, 64, 64)}; break;
            case U_BLACK_BRUSH: dc_.brush = Brush{0, Qt::black}; break;
            case U_NULL_BRUSH: dc_.brush = Brush{U_BS_NULL, Qt::white}; break;
            case U_WHITE_PEN: dc_.pen = Pen{}, dc_.pen.color = Qt::white; break;
            case U_BLACK_PEN: dc_.pen = Pen{}; break;
            case U_NULL_PEN: dc_.pen = Pen{}, dc_.pen.null = true; break;
            case 0x80000012:  // DC_BRUSH
            dc_.brush = Brush{0, Qt::white}; break;
            case 0x80000013:  // DC_PEN
            dc_.pen = Pen{}; break;
            case U_OEM_FIXED_FONT:
            case U_ANSI_FIXED_FONT:
            case U_SYSTEM_FIXED_FONT:
            case U_ANSI_VAR_FONT:
            case U_SYSTEM_FONT:
            case U_DEVICE_DEFAULT_FONT:
            case U_DEFAULT_GUI_FONT: dc_.font = DefaultFont(); break;
            default: break;
        }
    }

    // The pen as Qt draws it in logical coordinates; width never below one device pixel.
    QPen QtPen() {
        const Pen& pn = dc_.pen;
        const int style = pn.style & U_PS_STYLE_MASK;
        if (pn.null || style == U_PS_NULL) return Qt::NoPen;
        T();
        const double minWidth = 1.0 / scale_;
        // Zero-width and cosmetic pens are one device pixel; geometric pens keep their width even
        // below a pixel, drawn faint by antialiasing as the reference renderer does.
        double w = pn.cosmetic || pn.width <= 0 ? minWidth : pn.width;
        if (!Finite(w) || w > 1e7) return Qt::NoPen;
        // Wider than the picture covers it all anyway; wider still only costs time.
        w = std::min(w, 2 * std::hypot(frameDev_.width(), frameDev_.height()) / scale_ + 1);
        QPen q(pn.color, w);
        // A pen that comes out about one pixel wide is the one-pixel line it rounds to on the
        // device's grid, not a slightly thinner band smeared over two rows.
        const double outWidth = pn.width * scale_ * std::sqrt(std::abs(devBase_.determinant()));
        const bool hairline = pn.cosmetic || pn.width <= 0 || (outWidth > 0.7 && outWidth <= 1.1);
        if (hairline) {
            // One pixel of the output whatever the scale, as the reference renderer draws
            // hairlines; a high-density display gets as many pixels as its ratio.
            q.setCosmetic(true);
            q.setWidthF(DevicePixelRatio(p_));
        }
        switch (pn.style & U_PS_ENDCAP_MASK) {
            case U_PS_ENDCAP_SQUARE: q.setCapStyle(Qt::SquareCap); break;
            case U_PS_ENDCAP_FLAT: q.setCapStyle(Qt::FlatCap); break;
            default: q.setCapStyle(Qt::RoundCap);
        }
        switch (pn.style & U_PS_JOIN_MASK) {
            case U_PS_JOIN_BEVEL: q.setJoinStyle(Qt::BevelJoin); break;
            case U_PS_JOIN_MITER: q.setJoinStyle(Qt::MiterJoin), q.setMiterLimit(dc_.miter); break;
            default: q.setJoinStyle(Qt::RoundJoin);
        }
        // Thin pens dash in fixed device pixels; a pen wider than a pixel dashes in multiples of
        // its width.
        const bool wide = !hairline && w * scale_ > 1;
        auto dashes = [&](std::initializer_list<double> thin, std::initializer_list<double> inWidths) {
            QVector<qreal> v;
            if (wide) {
                for (double x : inWidths) v.push_back(x);
            } else {
                for (double x : thin) v.push_back(x / (hairline ? 1.0 : std::max(1e-9, w * scale_)));
            }
            q.setDashPattern(v);
            q.setCapStyle(Qt::FlatCap);
        };
        switch (style) {
            case U_PS_DASH: dashes({18, 6}, {3, 1}); break;
            case U_PS_DOT: dashes({3, 3}, {1, 1}); break;
            case U_PS_DASHDOT: dashes({9, 6, 3, 6}, {3, 1, 1, 1}); break;
            case U_PS_DASHDOTDOT: dashes({9, 3, 3, 3, 3, 3}, {3, 1, 1, 1, 1, 1}); break;
            case U_PS_ALTERNATE: dashes({1, 1}, {1, 1}); break;
            case U_PS_USERSTYLE:
                if (!pn.dashes.isEmpty()) {
                    QVector<qreal> v;
                    for (qreal d : pn.dashes) v.push_back(std::max<qreal>(d, 0.1) / std::max(pn.width, minWidth));
                    if (v.size() % 2) v += v;
                    q.setDashPattern(v);
                }
                break;
            default: break;
        }
        return q;
    }
    QBrush QtBrush() {
        const Brush& b = dc_.brush;
        switch (b.style) {
            case U_BS_NULL: return Qt::NoBrush;
            case U_BS_HATCHED: {
                static const Qt::BrushStyle styles[] = {Qt::HorPattern, Qt::VerPattern, Qt::FDiagPattern,
                                                        Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
                QBrush q(b.color, b.hatch >= 0 && b.hatch < 6 ? styles[b.hatch] : Qt::SolidPattern);
                q.setTransform(QTransform::fromScale(1 / scale_, 1 / scale_));
                return q;
            }
            case U_BS_PATTERN:
            case U_BS_DIBPATTERN:
            case U_BS_DIBPATTERNPT:
                if (!b.pattern.isNull()) {
                    QImage img = b.pattern;
                    if (b.mono) {
                        // Set bits take the background colour, clear ones the text colour.
                        img = img.convertToFormat(QImage::Format_RGB32);
                        for (int y = 0; y < img.height(); ++y) {
                            auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
                            for (int x = 0; x < img.width(); ++x)
                                line[x] = qGray(line[x]) > 127 ? dc_.bkColor.rgb() : dc_.textColor.rgb();
                        }
                    }
                    QBrush q(img);
                    T();
                    q.setTransform(QTransform::fromScale(1 / scale_, 1 / scale_));
                    return q;
                }
                return QBrush(b.color);
            default: return QBrush(b.color);
        }
    }
    bool Nop() const { return dc_.rop2 == U_R2_NOP; }
    // Mixes that read the destination. Qt applies them to every pixel a shape touches whatever its
    // coverage, so they are drawn without antialiasing, as GDI draws every line anyway.
    // The binary mixes of pen or brush (P) with the destination (D); black, white, the inverted pen
    // and the pen itself need no destination and are drawn as plain colours.
    std::optional<QPainter::CompositionMode> RopMode() const {
        switch (dc_.rop2) {
            case U_R2_NOTMERGEPEN: return QPainter::RasterOp_NotSourceAndNotDestination;  // ~(D | P)
            case U_R2_MASKNOTPEN: return QPainter::RasterOp_NotSourceAndDestination;      // D & ~P
            case U_R2_MASKPENNOT: return QPainter::RasterOp_SourceAndNotDestination;      // P & ~D
            case U_R2_NOT: return QPainter::RasterOp_NotDestination;
            case U_R2_XORPEN: return QPainter::RasterOp_SourceXorDestination;
            case U_R2_NOTMASKPEN: return QPainter::RasterOp_NotSourceOrNotDestination;    // ~(D & P)
            case U_R2_MASKPEN: return QPainter::RasterOp_SourceAndDestination;
            case U_R2_NOTXORPEN: return QPainter::RasterOp_NotSourceXorDestination;       // ~(D ^ P)
            case U_R2_MERGENOTPEN: return QPainter::RasterOp_NotSourceOrDestination;      // D | ~P
            case U_R2_MERGEPENNOT: return QPainter::RasterOp_SourceOrNotDestination;      // P | ~D
            case U_R2_MERGEPEN: return QPainter::RasterOp_SourceOrDestination;
            default: return std::nullopt;
        }
    }
    bool RopReadsDest() const { return RopMode().has_value(); }
    void SetRop2() {
        p_.setCompositionMode(RopMode().value_or(QPainter::CompositionMode_SourceOver));
        p_.setRenderHint(QPainter::Antialiasing, !RopReadsDest());
    }
    void ResetRop2() {
        p_.setCompositionMode(QPainter::CompositionMode_SourceOver);
        p_.setRenderHint(QPainter::Antialiasing, true);
    }
    QColor RopColor(QColor c) const {
        if (dc_.rop2 == U_R2_BLACK) return Qt::black;
        if (dc_.rop2 == U_R2_WHITE) return Qt::white;
        if (dc_.rop2 == U_R2_NOTCOPYPEN) return QColor(255 - c.red(), 255 - c.green(), 255 - c.blue());
        return c;
    }

    // Fills and strokes a shape in logical coordinates (or adds it to the open path).
    void Draw(const QPainterPath& shape, bool fill, bool stroke) {
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
    static QPainterPath PixelRuns(const QPainterPath& path) {
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
    Qt::FillRule FillRule() const { return dc_.fillMode == U_WINDING ? Qt::WindingFill : Qt::OddEvenFill; }

    // ---- points -------------------------------------------------------------------------
    // Reads count points of 16 or 32 bits at offset; empty when they do not fit.
    QPolygonF Points(const RecordView& v, std::uint64_t offset, std::uint32_t count, bool small) {
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
    static QRectF Rect(const RecordView& v, std::uint64_t o) {
        return QRectF(QPointF(v.I32(o), v.I32(o + 4)), QPointF(v.I32(o + 8), v.I32(o + 12))).normalized();
    }
    static QPointF Point(const RecordView& v, std::uint64_t o) { return QPointF(v.I32(o), v.I32(o + 4)); }

    void Poly(const RecordView& v, bool small, int kind) {
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
    void PolyPoly(const RecordView& v, bool small, bool polygon) {
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
    void PolyDraw(const RecordView& v, bool small) {
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
    void EnsurePathStart() {
        if (path_.elementCount() == 0) path_.moveTo(dc_.cur);
    }

    // Angle of a point on an ellipse, in Qt's convention (degrees, counter-clockwise on screen).
    static double Angle(const QRectF& r, const QPointF& p) {
        const QPointF c = r.center();
        const double rx = std::max(r.width() / 2, 1e-9), ry = std::max(r.height() / 2, 1e-9);
        return qRadiansToDegrees(std::atan2(-(p.y() - c.y()) / ry, (p.x() - c.x()) / rx));
    }
    void ArcShape(const RecordView& v, int kind) {
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

    // ---- text ---------------------------------------------------------------------------
    void Text(const RecordView& v, std::uint64_t emrtext, bool wide, std::int64_t forceChars = -1) {
        const QPointF ref = Point(v, emrtext);
        const std::uint32_t nChars = forceChars >= 0 ? std::uint32_t(forceChars) : v.U32(emrtext + 8);
        const std::uint32_t offString = v.U32(emrtext + 12), options = v.U32(emrtext + 16);
        const QRectF rcl = Rect(v, emrtext + 20);
        const std::uint32_t offDx = v.U32(emrtext + 36);
        if (nChars > 100000) return;
        QString text;
        std::vector<quint32> glyphs;
        const bool glyphIndex = options & U_ETO_GLYPH_INDEX;
        if (wide) {
            if (!v.Has(offString, std::uint64_t(nChars) * 2)) return;
            for (std::uint32_t i = 0; i < nChars; ++i) {
                const std::uint16_t c = v.U16(offString + 2ull * i);
                if (glyphIndex) glyphs.push_back(c);
                text.append(QChar(c));
            }
        } else {
            const std::uint8_t* s = v.Span(offString, nChars);
            if (!s) return;
            text = QString::fromLatin1(reinterpret_cast<const char*>(s), int(nChars));
        }
        std::vector<double> dx, dy;
        const bool pdy = options & U_ETO_PDY;
        if (offDx && v.Has(offDx, std::uint64_t(nChars) * (pdy ? 8 : 4))) {
            for (std::uint32_t i = 0; i < nChars; ++i) {
                dx.push_back(v.I32(offDx + std::uint64_t(i) * (pdy ? 8 : 4)));
                dy.push_back(pdy ? v.I32(offDx + std::uint64_t(i) * 8 + 4) : 0);
            }
        }
        DrawText(ref, text, glyphs, dx, dy, options, rcl);
    }

    void DrawText(QPointF ref, QString text, const std::vector<quint32>& glyphs, std::vector<double> dx,
                  std::vector<double> dy, std::uint32_t options, const QRectF& rcl) {
        if (inPath_ || Nop()) return;
        const Font& f = *dc_.font;
        const QTransform& t = T();
        if (options & U_ETO_OPAQUE && !rcl.isEmpty()) {
            UseLogical();
            const QTransform m = p_.transform();
            if (m.type() <= QTransform::TxScale) {
                // The box covers whole pixels, so the boxes of neighbouring cells meet without a seam.
                const double r = DevicePixelRatio(p_);
                const QRectF box = m.mapRect(rcl);
                auto snap = [r](double v) { return std::round(v * r) / r; };
                p_.save();
                p_.resetTransform();
                p_.setRenderHint(QPainter::Antialiasing, false);
                p_.fillRect(QRectF(QPointF(snap(box.left()), snap(box.top())), QPointF(snap(box.right()), snap(box.bottom()))),
                            dc_.bkColor);
                p_.restore();
            } else {
                p_.fillRect(rcl, dc_.bkColor);
            }
        }
        if (text.isEmpty()) return;
        if (f.symbols != SymbolSet::None && glyphs.empty()) {
            // A slot whose picture lies outside the basic plane takes two code units; the second
            // one advances nothing, so the spacing of the following slots stays theirs.
            QString mapped;
            std::vector<double> mdx, mdy;
            for (int i = 0; i < text.size(); ++i) {
                const QString one = SymbolText(f.symbols, QString(text[i]));
                mapped += one;
                for (int k = 0; k < one.size(); ++k) {
                    if (std::size_t(i) < dx.size()) mdx.push_back(k == 0 ? dx[i] : 0);
                    if (std::size_t(i) < dy.size()) mdy.push_back(k == 0 ? dy[i] : 0);
                }
            }
            text = mapped;
            if (!dx.empty()) dx = std::move(mdx);
            if (!dy.empty()) dy = std::move(mdy);
        }
        const bool updateCp = dc_.textAlign & U_TA_UPDATECP;
        if (updateCp) ref = dc_.cur;

        // The text's own frame: x along the baseline, y down the glyphs, in logical units.
        const QPointF o = t.map(ref);
        QPointF ux = t.map(ref + QPointF(1, 0)) - o;
        const QPointF uy = t.map(ref + QPointF(0, 1)) - o;
        const double sx = std::hypot(ux.x(), ux.y()), sy = std::hypot(uy.x(), uy.y());
        if (sx <= 0 || sy <= 0 || !Finite(sx) || !Finite(sy)) return;
        const QPointF dirx = ux / sx;
        const QPointF diry(-dirx.y(), dirx.x());  // a quarter turn clockwise on screen
        QTransform frame(dirx.x() * sx, dirx.y() * sx, diry.x() * sy, diry.y() * sy, o.x(), o.y());
        const double esc = f.escapement / 10.0;
        // Escapement turns counter-clockwise on the device, except that a window extent pointing up
        // turns it the other way (as the reference renderer reads these files).
        const bool windowUp = (dc_.mapMode == U_MM_ISOTROPIC || dc_.mapMode == U_MM_ANISOTROPIC) && dc_.winExt.height() < 0;
        if (esc != 0) frame = QTransform().rotate(windowUp ? esc : -esc) * frame;

        double em = f.height < 0 ? -f.height : f.height > 0 ? f.height * f.cellToEm : 12 / sy * 1.0;
        if (em <= 0 || !Finite(em)) return;
        const QTransform full = frame * devBase_;
        const double devScale = std::sqrt(std::abs(full.determinant())) / std::max(1e-9, std::sqrt(sx * sy)) * std::sqrt(sx * sy);
        const int px = std::clamp(int(std::lround(em * devScale)), 1, 2000);
        const double k = em / px;  // logical units per font pixel
        QFont font = f.qfont;
        font.setPixelSize(px);
        const QFontMetricsF fm(font);

        // Advances in logical units: the dx array when given, the font's own otherwise.
        QVector<QPointF> pos;
        double width = 0, rise = 0;
        const bool haveDx = !dx.empty();
        std::vector<int> starts;  // first code unit of each drawn character
        if (haveDx) {
            double x = 0, y = 0;
            for (int i = 0; i < text.size(); ++i) {
                pos.push_back(QPointF(x, y));
                if (std::size_t(i) < dx.size()) x += dx[i], y -= dy[i];
            }
            width = x;
            rise = y;
        } else {
            width = (glyphs.empty() ? fm.horizontalAdvance(text) : 0) * k;
        }
        double x0 = 0;
        switch (dc_.textAlign & (U_TA_CENTER | U_TA_RIGHT)) {
            case U_TA_CENTER: x0 = -width / 2; break;
            case U_TA_RIGHT: x0 = -width; break;
            default: break;
        }
        double y0 = 0;  // baseline
        if ((dc_.textAlign & U_TA_BASELINE) == U_TA_BASELINE) y0 = 0;
        else if (dc_.textAlign & U_TA_BOTTOM) y0 = -fm.descent() * k;
        else y0 = fm.ascent() * k;

        p_.setTransform(full);
        if (options & U_ETO_CLIPPED && !rcl.isEmpty()) {
            p_.save();
            p_.setTransform(t * devBase_);
            p_.setClipRect(rcl, Qt::IntersectClip);
            p_.setTransform(full);
        }
        if (dc_.bkMode == U_OPAQUE && !(options & U_ETO_OPAQUE) && dc_.bkColor != Qt::white) {
            p_.fillRect(QRectF(x0, y0 - fm.ascent() * k, width, (fm.ascent() + fm.descent()) * k), dc_.bkColor);
        }
        p_.scale(k, k);
        p_.setFont(font);
        p_.setPen(dc_.textColor);
        const double bx = x0 / k, by = y0 / k;
        if (!glyphs.empty()) {
            // Glyph indices of the writer's font; the metric-compatible face has the same order
            // for the common glyphs.
            QRawFont raw = QRawFont::fromFont(font);
            QVector<quint32> ids(glyphs.begin(), glyphs.end());
            for (quint32& id : ids) id = StandInGlyph(raw, f.face, id);
            QVector<QPointF> gp;
            if (haveDx) {
                for (const QPointF& q : pos) gp.push_back(QPointF(bx + q.x() / k, by + q.y() / k));
            } else {
                QVector<QPointF> adv = raw.advancesForGlyphIndexes(ids);
                double x = 0;
                for (const QPointF& a : adv) gp.push_back(QPointF(bx + x, by)), x += a.x();
                if (dc_.textAlign & (U_TA_CENTER | U_TA_RIGHT)) {
                    const double shift = (dc_.textAlign & U_TA_CENTER) == U_TA_CENTER ? x / 2 : x;
                    for (QPointF& q : gp) q.rx() -= shift;
                }
            }
            QGlyphRun run;
            run.setRawFont(raw);
            run.setGlyphIndexes(ids);
            run.setPositions(gp);
            run.setUnderline(f.underline);
            run.setStrikeOut(f.strike);
            DrawGlyphs(p_, run);
        } else if (haveDx) {
            // One character (or surrogate pair) at a time at its given place; the raw font path is
            // faster when the face has every glyph.
            QRawFont raw = QRawFont::fromFont(font);
            QVector<quint32> ids = raw.glyphIndexesForString(text);
            bool complete = ids.size() == text.size();
            for (quint32 id : ids) complete = complete && id != 0;
            if (complete && !f.underline && !f.strike) {
                QVector<QPointF> gp;
                for (const QPointF& q : pos) gp.push_back(QPointF(bx + q.x() / k, by + q.y() / k));
                QGlyphRun run;
                run.setRawFont(raw);
                run.setGlyphIndexes(ids);
                run.setPositions(gp);
                DrawGlyphs(p_, run);
            } else {
                for (int i = 0; i < text.size(); ++i) {
                    int n = 1;
                    if (text[i].isHighSurrogate() && i + 1 < text.size()) n = 2;
                    const QString s = text.mid(i, n);
                    if (s != " ") DrawTextAt(p_, QPointF(bx + pos[i].x() / k, by + pos[i].y() / k), s);
                    i += n - 1;
                }
            }
        } else {
            DrawTextAt(p_, QPointF(bx, by), text);
        }
        if (options & U_ETO_CLIPPED && !rcl.isEmpty()) p_.restore();
        if (updateCp) {
            // The current position moves to the end of the run, along the text's own axes.
            bool ok = false;
            const QTransform back = t.inverted(&ok);
            if (ok) dc_.cur = back.map(frame.map(QPointF(width, rise)));
        }
    }

    // ---- bitmaps ------------------------------------------------------------------------
    // Draws src of img onto the logical dest rectangle with a ternary raster operation.
    void Blit(const QImage* img, QRectF src, const QRectF& dest, std::uint32_t rop, bool alphaBlend = false,
              double constAlpha = 1.0) {
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
    const QImage* Image(std::uint32_t key) const {
        auto it = m_.images.find(key);
        return it == m_.images.end() ? nullptr : &it->second;
    }
    // A source rectangle given from the bottom of a bottom-up bitmap counts from its top in Qt.
    static QRectF SourceRect(const QImage* img, double x, double y, double w, double h) {
        (void)img;
        return QRectF(x, y, w, h);
    }

    void GradientFill(const RecordView& v) {
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

    QPainterPath RegionPath(const RecordView& v, std::uint64_t at, std::uint32_t cb) {
        QPainterPath path;
        if (cb < 32 || !v.Has(at, cb)) return path;
        const std::uint32_t count = v.U32(at + 8);
        if (count > kMaxPoints || 32 + std::uint64_t(count) * 16 > cb) return path;
        for (std::uint32_t i = 0; i < count; ++i) path.addRect(Rect(v, at + 32 + std::uint64_t(i) * 16));
        path.setFillRule(Qt::WindingFill);
        if (count > 1) path = path.simplified();
        return path;
    }

    // ---- the record switch --------------------------------------------------------------
    void Record(const RecordRef& r) {
        const RecordView v = m_.View(r);
        switch (r.type) {
            case U_EMR_SETMAPMODE: dc_.mapMode = int(v.U32(8)); tDirty_ = true; break;
            case U_EMR_SETWINDOWEXTEX: {
                const QSizeF s(v.I32(8), v.I32(12));
                if (s.width() != 0 && s.height() != 0) dc_.winExt = s;
                tDirty_ = true;
                break;
            }
            case U_EMR_SETVIEWPORTEXTEX: {
                const QSizeF s(v.I32(8), v.I32(12));
                if (s.width() != 0 && s.height() != 0) dc_.vpExt = s;
                tDirty_ = true;
                break;
            }
            case U_EMR_SETWINDOWORGEX: dc_.winOrg = Point(v, 8); tDirty_ = true; break;
            case U_EMR_SETVIEWPORTORGEX: dc_.vpOrg = Point(v, 8); tDirty_ = true; break;
            case U_EMR_SCALEVIEWPORTEXTEX:
            case U_EMR_SCALEWINDOWEXTEX: {
                const double xn = v.I32(8), xd = v.I32(12), yn = v.I32(16), yd = v.I32(20);
                if (xd == 0 || yd == 0 || xn == 0 || yn == 0) break;
                QSizeF& s = r.type == U_EMR_SCALEVIEWPORTEXTEX ? dc_.vpExt : dc_.winExt;
                s = QSizeF(s.width() * xn / xd, s.height() * yn / yd);
                tDirty_ = true;
                break;
            }
            case U_EMR_SETWORLDTRANSFORM:
            case U_EMR_MODIFYWORLDTRANSFORM: {
                const QTransform x(v.F32(8), v.F32(12), v.F32(16), v.F32(20), v.F32(24), v.F32(28));
                const std::uint32_t mode = r.type == U_EMR_SETWORLDTRANSFORM ? kMwtSet : v.U32(32);
                const bool ok = Finite(x.m11()) && Finite(x.m12()) && Finite(x.m21()) && Finite(x.m22()) &&
                                Finite(x.dx()) && Finite(x.dy()) && x.determinant() != 0;
                if (mode == U_MWT_IDENTITY) dc_.world = QTransform();
                else if (!ok) break;
                else if (mode == U_MWT_LEFTMULTIPLY) dc_.world = x * dc_.world;
                else if (mode == U_MWT_RIGHTMULTIPLY) dc_.world = dc_.world * x;
                else if (mode == kMwtSet) dc_.world = x;
                tDirty_ = true;
                break;
            }
            case U_EMR_SAVEDC:
                if (saved_.size() < std::size_t(kMaxSaveDepth)) saved_.push_back(dc_);
                break;
            case U_EMR_RESTOREDC: {
                const std::int32_t n = v.I32(8);
                std::size_t target;
                if (n < 0) {
                    if (std::size_t(-std::int64_t(n)) > saved_.size()) break;
                    target = saved_.size() - std::size_t(-std::int64_t(n));
                } else {
                    if (n == 0 || std::size_t(n) > saved_.size()) break;
                    target = std::size_t(n) - 1;
                }
                dc_ = saved_[target];
                saved_.resize(target);
                tDirty_ = true;
                ApplyClip();
                break;
            }
            case U_EMR_SETBKMODE: dc_.bkMode = int(v.U32(8)); break;
            case U_EMR_SETPOLYFILLMODE: dc_.fillMode = int(v.U32(8)); break;
            case U_EMR_SETROP2: dc_.rop2 = int(v.U32(8)); break;
            case U_EMR_SETTEXTALIGN: dc_.textAlign = int(v.U32(8)); break;
            case U_EMR_SETTEXTCOLOR: dc_.textColor = ColorRef(v.U32(8)); break;
            case U_EMR_SETBKCOLOR: dc_.bkColor = ColorRef(v.U32(8)); break;
            case U_EMR_SETARCDIRECTION: dc_.arcDir = int(v.U32(8)); break;
            case U_EMR_SETMITERLIMIT: {
                const double ml = v.U32(8);
                if (ml >= 1 && ml < 1000) dc_.miter = ml;
                break;
            }
            case U_EMR_MOVETOEX:
                dc_.cur = Point(v, 8);
                if (inPath_) path_.moveTo(dc_.cur);
                break;
            case U_EMR_LINETO: {
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
                break;
            }
            case U_EMR_SETPIXELV: {
                if (inPath_) break;
                UseLogical();
                const QPointF pt = Point(v, 8);
                T();
                p_.fillRect(QRectF(pt, QSizeF(1 / scale_, 1 / scale_)), ColorRef(v.U32(16)));
                break;
            }
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
            case U_EMR_RECTANGLE: {
                QPainterPath path;
                path.addRect(Rect(v, 8));
                Draw(path, true, true);
                break;
            }
            case U_EMR_ROUNDRECT: {
                QPainterPath path;
                path.addRoundedRect(Rect(v, 8), std::abs(v.I32(24)) / 2.0, std::abs(v.I32(28)) / 2.0);
                Draw(path, true, true);
                break;
            }
            case U_EMR_ELLIPSE: {
                QPainterPath path;
                path.addEllipse(Rect(v, 8));
                Draw(path, true, true);
                break;
            }
            case U_EMR_ARC:
            case U_EMR_ARCTO:
            case U_EMR_CHORD:
            case U_EMR_PIE: ArcShape(v, int(r.type)); break;
            case U_EMR_ANGLEARC: {
                const QPointF c = Point(v, 8);
                const double rad = v.U32(16), start = v.F32(20), sweep = v.F32(24);
                if (!Finite(start) || !Finite(sweep) || rad > 1e9) break;
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
                break;
            }

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
            case U_EMR_STROKEANDFILLPATH: {
                inPath_ = false;
                QPainterPath path = path_;
                path.setFillRule(FillRule());
                if (r.type == U_EMR_FILLPATH || r.type == U_EMR_STROKEANDFILLPATH) path.closeSubpath();
                Draw(path, r.type != U_EMR_STROKEPATH, r.type != U_EMR_FILLPATH);
                path_ = QPainterPath();
                break;
            }
            case U_EMR_SELECTCLIPPATH: {
                inPath_ = false;
                QPainterPath path = path_;
                path.setFillRule(FillRule());
                path.closeSubpath();
                CombineClip(T().map(path), int(v.U32(8)));
                path_ = QPainterPath();
                break;
            }

            case U_EMR_INTERSECTCLIPRECT:
            case U_EMR_EXCLUDECLIPRECT: {
                QPainterPath path;
                path.addRect(Rect(v, 8));
                CombineClip(T().map(path), r.type == U_EMR_INTERSECTCLIPRECT ? U_RGN_AND : U_RGN_DIFF);
                break;
            }
            case U_EMR_EXTSELECTCLIPRGN: {
                const std::uint32_t cb = v.U32(8), mode = v.U32(12);
                if (cb == 0 || cb < 32) {
                    if (mode == U_RGN_COPY) {
                        dc_.hasClip = false;
                        dc_.clip = QPainterPath();
                        ApplyClip();
                    }
                    break;
                }
                CombineClip(RegionPath(v, 16, cb), int(mode));
                break;
            }
            case U_EMR_OFFSETCLIPRGN:
                if (dc_.hasClip) {
                    dc_.clip.translate(T().map(Point(v, 8)) - T().map(QPointF(0, 0)));
                    ApplyClip();
                }
                break;
            case U_EMR_FILLRGN:
            case U_EMR_PAINTRGN: {
                const std::uint32_t cb = v.U32(24);
                const bool paint = r.type == U_EMR_PAINTRGN;
                const QPainterPath region = RegionPath(v, paint ? 28 : 32, cb);
                Brush saved = dc_.brush;
                if (!paint) {
                    const std::uint32_t ih = v.U32(28);
                    if (ih & U_STOCK_OBJECT) SelectStock(ih);
                    else if (Object* o = Slot(ih); o && o->kind == Object::kBrush) dc_.brush = o->brush;
                }
                // Unlike a clip region, a painted region is given in logical units.
                UseLogical();
                p_.fillPath(region, QtBrush());
                dc_.brush = saved;
                break;
            }
            case U_EMR_FRAMERGN: {
                const QPainterPath region = RegionPath(v, 40, v.U32(24));
                Brush saved = dc_.brush;
                const std::uint32_t ih = v.U32(28);
                if (ih & U_STOCK_OBJECT) SelectStock(ih);
                else if (Object* o = Slot(ih); o && o->kind == Object::kBrush) dc_.brush = o->brush;
                UseLogical();
                const double w = std::max(1, v.I32(32));
                QPainterPathStroker st;
                st.setWidth(2 * w);
                p_.fillPath(st.createStroke(region).intersected(region), QtBrush());
                dc_.brush = saved;
                break;
            }
            case U_EMR_INVERTRGN: {
                const QPainterPath region = RegionPath(v, 28, v.U32(24));
                UseLogical();
                p_.setCompositionMode(QPainter::RasterOp_NotDestination);
                p_.fillPath(region, Qt::white);
                p_.setCompositionMode(QPainter::CompositionMode_SourceOver);
                break;
            }

            case U_EMR_CREATEPEN: {
                Object* o = Slot(v.U32(8));
                if (!o) break;
                *o = Object{};
                o->kind = Object::kPen;
                o->pen.style = int(v.U32(12));
                o->pen.width = std::abs(v.I32(16));
                o->pen.cosmetic = o->pen.width <= 1 && (o->pen.style & U_PS_TYPE_MASK) == 0 ? o->pen.width == 0 : false;
                // Only pens up to one unit wide can be styled here; wider ones draw solid.
                if (o->pen.width > 1 && (o->pen.style & U_PS_STYLE_MASK) >= U_PS_DASH &&
                    (o->pen.style & U_PS_STYLE_MASK) <= U_PS_DASHDOTDOT)
                    o->pen.style = (o->pen.style & ~U_PS_STYLE_MASK) | U_PS_SOLID;
                o->pen.color = ColorRef(v.U32(24));
                break;
            }
            case U_EMR_EXTCREATEPEN: {
                Object* o = Slot(v.U32(8));
                if (!o) break;
                *o = Object{};
                o->kind = Object::kPen;
                o->pen.style = int(v.U32(28));
                o->pen.width = v.U32(32);
                o->pen.cosmetic = (o->pen.style & U_PS_TYPE_MASK) == U_PS_COSMETIC || o->pen.width == 0;
                const std::uint32_t brushStyle = v.U32(36);
                o->pen.color = ColorRef(v.U32(40));
                if (brushStyle == U_BS_NULL) o->pen.null = true;
                const std::uint32_t n = v.U32(48);
                if (n > 0 && n <= 64 && v.Has(52, n * 4ull))
                    for (std::uint32_t i = 0; i < n; ++i) o->pen.dashes.push_back(v.U32(52 + 4ull * i));
                break;
            }
            case U_EMR_CREATEBRUSHINDIRECT: {
                Object* o = Slot(v.U32(8));
                if (!o) break;
                *o = Object{};
                o->kind = Object::kBrush;
                o->brush.style = int(v.U32(12));
                o->brush.color = ColorRef(v.U32(16));
                o->brush.hatch = int(v.U32(20));
                break;
            }
            case U_EMR_CREATEMONOBRUSH:
            case U_EMR_CREATEDIBPATTERNBRUSHPT: {
                Object* o = Slot(v.U32(8));
                if (!o) break;
                *o = Object{};
                o->kind = Object::kBrush;
                o->brush.style = U_BS_DIBPATTERNPT;
                o->brush.color = Qt::gray;
                if (const QImage* img = Image(r.offset)) o->brush.pattern = *img;
                o->brush.mono = r.type == U_EMR_CREATEMONOBRUSH;
                break;
            }
            case U_EMR_EXTCREATEFONTINDIRECTW: {
                Object* o = Slot(v.U32(8));
                if (!o) break;
                *o = Object{};
                o->kind = Object::kFont;
                auto f = std::make_shared<Font>();
                f->height = v.I32(12);
                f->width = v.I32(16);
                f->escapement = v.I32(20);
                f->weight = v.I32(28);
                f->italic = v.U8(32);
                f->underline = v.U8(33);
                f->strike = v.U8(34);
                f->charset = v.U8(35);
                for (int i = 0; i < 32; ++i) {
                    const std::uint16_t c = v.U16(40 + 2 * i);
                    if (!c) break;
                    f->face.append(QChar(c));
                }
                FinishFont(*f);
                o->font = f;
                break;
            }
            case U_EMR_CREATEPALETTE: {
                Object* o = Slot(v.U32(8));
                if (o) *o = Object{}, o->kind = Object::kPalette;
                break;
            }
            case U_EMR_SELECTOBJECT: {
                const std::uint32_t ih = v.U32(8);
                if (ih & U_STOCK_OBJECT) {
                    SelectStock(ih);
                    break;
                }
                Object* o = Slot(ih);
                if (!o) break;
                if (o->kind == Object::kPen) dc_.pen = o->pen;
                else if (o->kind == Object::kBrush) dc_.brush = o->brush;
                else if (o->kind == Object::kFont && o->font) dc_.font = o->font;
                break;
            }
            case U_EMR_DELETEOBJECT:
                if (Object* o = Slot(v.U32(8))) *o = Object{};
                break;

            case U_EMR_EXTTEXTOUTW: Text(v, 36, true); break;
            case U_EMR_EXTTEXTOUTA: Text(v, 36, false); break;
            case U_EMR_POLYTEXTOUTW:
            case U_EMR_POLYTEXTOUTA: {
                const std::uint32_t n = v.U32(36);
                for (std::uint32_t i = 0; i < n && i < 10000 && v.Has(40 + 40ull * i, 40); ++i)
                    Text(v, 40 + 40ull * i, r.type == U_EMR_POLYTEXTOUTW);
                break;
            }
            case U_EMR_SMALLTEXTOUT: {
                const QPointF ref(v.I32(8), v.I32(12));
                const std::uint32_t n = v.U32(16), opts = v.U32(20);
                std::uint64_t at = 36;
                QRectF clip;
                if (!(opts & U_ETO_NO_RECT)) clip = Rect(v, 36), at += 16;
                QString text;
                if (n > 100000) break;
                if (opts & U_ETO_SMALL_CHARS) {
                    if (const std::uint8_t* s = v.Span(at, n)) text = QString::fromLatin1(reinterpret_cast<const char*>(s), int(n));
                } else if (v.Has(at, 2ull * n)) {
                    for (std::uint32_t i = 0; i < n; ++i) text.append(QChar(v.U16(at + 2ull * i)));
                }
                DrawText(ref, text, {}, {}, {}, opts & ~U_ETO_GLYPH_INDEX, clip);
                break;
            }

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
            default: break;
        }
    }

    const ParsedMetafile& m_;
    QPainter& p_;
    PlusPlayer plus_;
    bool usePlus_ = false;
    bool plusTouchedClip_ = false;
    QRectF frameDev_;
    QTransform devToTarget_, base_, devBase_;
    QPainterPath targetClip_;
    DcState dc_;
    std::vector<DcState> saved_;
    std::vector<Object> objects_;
    QTransform t_;
    double scale_ = 1;
    bool tDirty_ = true;
    bool inPath_ = false;
    QPainterPath path_;
};

}  // namespace

void PlayMetafile(const ParsedMetafile& m, QPainter& painter, const QRectF& target) {
    if (target.isEmpty() || m.frame.isEmpty()) return;
    Player player(m, painter, target);
    player.Play();
}

}  // namespace platform::emf
