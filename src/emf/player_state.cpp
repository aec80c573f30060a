#include "emf/player.h"

#include <QDebug>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QRawFont>
#include <QtMath>
#include <cmath>

namespace emf::detail {

void Player::ApplyClip() {
    p_.setTransform(devBase_);
    if (dc_.hasClip) p_.setClipPath(dc_.clip.intersected(targetClip_));
    else p_.setClipPath(targetClip_);
}

void Player::CombineClip(const QPainterPath& shape, int mode) {
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

QPainterPath Player::Everything() const {
    QPainterPath e;
    e.addRect(frameDev_.adjusted(-1e5, -1e5, 1e5, 1e5));
    return e;
}

std::shared_ptr<Font> Player::DefaultFont() {
    auto f = std::make_shared<Font>();
    f->height = -12;
    f->face = "Liberation Sans";
    FinishFont(*f);
    return f;
}

void Player::FinishFont(Font& f) {
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

Object* Player::Slot(std::uint32_t index) {
    if (index == 0 || index >= kMaxHandles) return nullptr;
    if (index >= objects_.size()) objects_.resize(index + 1);
    return &objects_[index];
}

void Player::SelectStock(std::uint32_t n) {
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
QPen Player::QtPen() {
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

QBrush Player::QtBrush() {
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

// Mixes that read the destination. Qt applies them to every pixel a shape touches whatever its
// coverage, so they are drawn without antialiasing, as GDI draws every line anyway.
// The binary mixes of pen or brush (P) with the destination (D); black, white, the inverted pen
// and the pen itself need no destination and are drawn as plain colours.
std::optional<QPainter::CompositionMode> Player::RopMode() const {
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

void Player::SetRop2() {
    p_.setCompositionMode(RopMode().value_or(QPainter::CompositionMode_SourceOver));
    p_.setRenderHint(QPainter::Antialiasing, !RopReadsDest());
}

void Player::ResetRop2() {
    p_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p_.setRenderHint(QPainter::Antialiasing, true);
}

QColor Player::RopColor(QColor c) const {
    if (dc_.rop2 == U_R2_BLACK) return Qt::black;
    if (dc_.rop2 == U_R2_WHITE) return Qt::white;
    if (dc_.rop2 == U_R2_NOTCOPYPEN) return QColor(255 - c.red(), 255 - c.green(), 255 - c.blue());
    return c;
}

// ---- the state records, one step each ----------------------------------------------------

// A window or viewport extent; a zero side leaves it as it was.
void Player::SetExtent(QSizeF& extent, const RecordView& v) {
    const QSizeF s(v.I32(8), v.I32(12));
    if (s.width() != 0 && s.height() != 0) extent = s;
    tDirty_ = true;
}

void Player::ScaleExtent(QSizeF& extent, const RecordView& v) {
    const double xn = v.I32(8), xd = v.I32(12), yn = v.I32(16), yd = v.I32(20);
    if (xd == 0 || yd == 0 || xn == 0 || yn == 0) return;
    extent = QSizeF(extent.width() * xn / xd, extent.height() * yn / yd);
    tDirty_ = true;
}

void Player::WorldTransform(std::uint32_t type, const RecordView& v) {
    const QTransform x(v.F32(8), v.F32(12), v.F32(16), v.F32(20), v.F32(24), v.F32(28));
    const std::uint32_t mode = type == U_EMR_SETWORLDTRANSFORM ? kMwtSet : v.U32(32);
    const bool ok = Finite(x.m11()) && Finite(x.m12()) && Finite(x.m21()) && Finite(x.m22()) && Finite(x.dx()) &&
                    Finite(x.dy()) && x.determinant() != 0;
    if (mode == U_MWT_IDENTITY) dc_.world = QTransform();
    else if (!ok) return;
    else if (mode == U_MWT_LEFTMULTIPLY) dc_.world = x * dc_.world;
    else if (mode == U_MWT_RIGHTMULTIPLY) dc_.world = dc_.world * x;
    else if (mode == kMwtSet) dc_.world = x;
    tDirty_ = true;
}

// n < 0: that many states back; n > 0: the n-th saved state. Out of range: nothing happens.
void Player::RestoreDc(std::int32_t n) {
    std::size_t target;
    if (n < 0) {
        if (std::size_t(-std::int64_t(n)) > saved_.size()) return;
        target = saved_.size() - std::size_t(-std::int64_t(n));
    } else {
        if (n == 0 || std::size_t(n) > saved_.size()) return;
        target = std::size_t(n) - 1;
    }
    dc_ = saved_[target];
    saved_.resize(target);
    tDirty_ = true;
    ApplyClip();
}

// The path being built becomes the clip, combined by mode.
void Player::SelectClipPath(int mode) {
    inPath_ = false;
    QPainterPath path = path_;
    path.setFillRule(FillRule());
    path.closeSubpath();
    CombineClip(T().map(path), mode);
    path_ = QPainterPath();
}

void Player::SelectClipRegion(const RecordView& v) {
    const std::uint32_t cb = v.U32(8), mode = v.U32(12);
    if (cb == 0 || cb < 32) {
        // No region: only a copy means anything, and it removes the clip.
        if (mode == U_RGN_COPY) {
            dc_.hasClip = false;
            dc_.clip = QPainterPath();
            ApplyClip();
        }
        return;
    }
    CombineClip(RegionPath(v, 16, cb), int(mode));
}

void Player::OffsetClip(const RecordView& v) {
    if (!dc_.hasClip) return;
    dc_.clip.translate(T().map(Point(v, 8)) - T().map(QPointF(0, 0)));
    ApplyClip();
}

Object* Player::NewObject(std::uint32_t index, Object::Kind kind) {
    Object* o = Slot(index);
    if (!o) return nullptr;
    *o = Object{};
    o->kind = kind;
    return o;
}

void Player::CreatePen(const RecordView& v) {
    Object* o = NewObject(v.U32(8), Object::kPen);
    if (!o) return;
    o->pen.style = int(v.U32(12));
    o->pen.width = std::abs(v.I32(16));
    o->pen.cosmetic = o->pen.width <= 1 && (o->pen.style & U_PS_TYPE_MASK) == 0 ? o->pen.width == 0 : false;
    // Only pens up to one unit wide can be styled here; wider ones draw solid.
    if (o->pen.width > 1 && (o->pen.style & U_PS_STYLE_MASK) >= U_PS_DASH &&
        (o->pen.style & U_PS_STYLE_MASK) <= U_PS_DASHDOTDOT)
        o->pen.style = (o->pen.style & ~U_PS_STYLE_MASK) | U_PS_SOLID;
    o->pen.color = ColorRef(v.U32(24));
}

void Player::ExtCreatePen(const RecordView& v) {
    Object* o = NewObject(v.U32(8), Object::kPen);
    if (!o) return;
    o->pen.style = int(v.U32(28));
    o->pen.width = v.U32(32);
    o->pen.cosmetic = (o->pen.style & U_PS_TYPE_MASK) == U_PS_COSMETIC || o->pen.width == 0;
    const std::uint32_t brushStyle = v.U32(36);
    o->pen.color = ColorRef(v.U32(40));
    if (brushStyle == U_BS_NULL) o->pen.null = true;
    const std::uint32_t n = v.U32(48);
    if (n > 0 && n <= 64 && v.Has(52, n * 4ull))
        for (std::uint32_t i = 0; i < n; ++i) o->pen.dashes.push_back(v.U32(52 + 4ull * i));
}

void Player::CreateBrush(const RecordView& v) {
    Object* o = NewObject(v.U32(8), Object::kBrush);
    if (!o) return;
    o->brush.style = int(v.U32(12));
    o->brush.color = ColorRef(v.U32(16));
    o->brush.hatch = int(v.U32(20));
}

// A brush of the record's bitmap, monochrome or not; grey where the bitmap cannot be read.
void Player::CreatePatternBrush(const RecordRef& r, const RecordView& v) {
    Object* o = NewObject(v.U32(8), Object::kBrush);
    if (!o) return;
    o->brush.style = U_BS_DIBPATTERNPT;
    o->brush.color = Qt::gray;
    if (const QImage* img = Image(r.offset)) o->brush.pattern = *img;
    o->brush.mono = r.type == U_EMR_CREATEMONOBRUSH;
}

void Player::CreateFont(const RecordView& v) {
    Object* o = NewObject(v.U32(8), Object::kFont);
    if (!o) return;
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
}

void Player::SelectObject(std::uint32_t index) {
    if (index & U_STOCK_OBJECT) {
        SelectStock(index);
        return;
    }
    const Object* o = Slot(index);
    if (!o) return;
    if (o->kind == Object::kPen) dc_.pen = o->pen;
    else if (o->kind == Object::kBrush) dc_.brush = o->brush;
    else if (o->kind == Object::kFont && o->font) dc_.font = o->font;
}

bool Player::StateRecord(const RecordRef& r, const RecordView& v) {
    switch (r.type) {
        // Mapping: page space onto the device.
        case U_EMR_SETMAPMODE: dc_.mapMode = int(v.U32(8)); tDirty_ = true; break;
        case U_EMR_SETWINDOWEXTEX: SetExtent(dc_.winExt, v); break;
        case U_EMR_SETVIEWPORTEXTEX: SetExtent(dc_.vpExt, v); break;
        case U_EMR_SETWINDOWORGEX: dc_.winOrg = Point(v, 8); tDirty_ = true; break;
        case U_EMR_SETVIEWPORTORGEX: dc_.vpOrg = Point(v, 8); tDirty_ = true; break;
        case U_EMR_SCALEVIEWPORTEXTEX: ScaleExtent(dc_.vpExt, v); break;
        case U_EMR_SCALEWINDOWEXTEX: ScaleExtent(dc_.winExt, v); break;
        case U_EMR_SETWORLDTRANSFORM:
        case U_EMR_MODIFYWORLDTRANSFORM: WorldTransform(r.type, v); break;

        // The saved states.
        case U_EMR_SAVEDC:
            if (saved_.size() < std::size_t(kMaxSaveDepth)) saved_.push_back(dc_);
            break;
        case U_EMR_RESTOREDC: RestoreDc(v.I32(8)); break;

        // Drawing attributes.
        case U_EMR_SETBKMODE: dc_.bkMode = int(v.U32(8)); break;
        case U_EMR_SETPOLYFILLMODE: dc_.fillMode = int(v.U32(8)); break;
        case U_EMR_SETROP2: dc_.rop2 = int(v.U32(8)); break;
        case U_EMR_SETTEXTALIGN: dc_.textAlign = int(v.U32(8)); break;
        case U_EMR_SETTEXTCOLOR: dc_.textColor = ColorRef(v.U32(8)); break;
        case U_EMR_SETBKCOLOR: dc_.bkColor = ColorRef(v.U32(8)); break;
        case U_EMR_SETARCDIRECTION: dc_.arcDir = int(v.U32(8)); break;
        case U_EMR_SETMITERLIMIT:
            if (const double ml = v.U32(8); ml >= 1 && ml < 1000) dc_.miter = ml;
            break;

        // The clip.
        case U_EMR_SELECTCLIPPATH: SelectClipPath(int(v.U32(8))); break;
        case U_EMR_INTERSECTCLIPRECT:
        case U_EMR_EXCLUDECLIPRECT: {
            QPainterPath path;
            path.addRect(Rect(v, 8));
            CombineClip(T().map(path), r.type == U_EMR_INTERSECTCLIPRECT ? U_RGN_AND : U_RGN_DIFF);
            break;
        }
        case U_EMR_EXTSELECTCLIPRGN: SelectClipRegion(v); break;
        case U_EMR_OFFSETCLIPRGN: OffsetClip(v); break;

        // The object table.
        case U_EMR_CREATEPEN: CreatePen(v); break;
        case U_EMR_EXTCREATEPEN: ExtCreatePen(v); break;
        case U_EMR_CREATEBRUSHINDIRECT: CreateBrush(v); break;
        case U_EMR_CREATEMONOBRUSH:
        case U_EMR_CREATEDIBPATTERNBRUSHPT: CreatePatternBrush(r, v); break;
        case U_EMR_EXTCREATEFONTINDIRECTW: CreateFont(v); break;
        case U_EMR_CREATEPALETTE: NewObject(v.U32(8), Object::kPalette); break;
        case U_EMR_SELECTOBJECT: SelectObject(v.U32(8)); break;
        case U_EMR_DELETEOBJECT:
            if (Object* o = Slot(v.U32(8))) *o = Object{};
            break;

        default: return false;
    }
    return true;
}
}  // namespace emf::detail
