#include "platform/emf/emf_plus.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QLinearGradient>
#include <QRawFont>
#include <QtMath>
#include <array>
#include <cmath>

#include "platform/emf/emf_document.h"
#include "platform/emf/emf_fonts.h"

namespace platform::emf {
namespace {

constexpr std::uint32_t kMaxCount = 1024 * 1024;
constexpr std::uint32_t kMaxObjectBytes = 64u * 1024 * 1024;

QColor Argb(std::uint32_t v) { return QColor::fromRgba(v); }
bool Ok(double v) { return std::isfinite(v) && std::abs(v) < 1e9; }

// A matrix stored in a record; one holding a value out of range reads as the identity.
QTransform MatrixAt(const RecordView& d, std::uint64_t at) {
    double v[6];
    for (int i = 0; i < 6; ++i)
        if (!Ok(v[i] = d.F32(at + 4ull * i))) return {};
    return QTransform(v[0], v[1], v[2], v[3], v[4], v[5]);
}

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

PlusPlayer::PlusPlayer(QPainter& painter, const QTransform& devBase, const QPainterPath& frameClip, double dpiX,
                       double dpiY)
    : p_(painter), devBase_(devBase), frameClip_(frameClip), dpiX_(dpiX), dpiY_(dpiY) {}

PlusPlayer::~PlusPlayer() = default;

void PlusPlayer::Comment(const std::uint8_t* data, std::size_t size) {
    std::size_t at = 0;
    while (at + 12 <= size) {
        const RecordView h(reinterpret_cast<const char*>(data + at), 12);
        const int type = h.U16(0), flags = h.U16(2);
        const std::uint32_t recSize = h.U32(4), dataSize = h.U32(8);
        if (recSize < 12 || recSize > size - at) break;
        const std::uint32_t payload = std::min<std::uint32_t>(dataSize, recSize - 12);
        Record(type, flags, RecordView(reinterpret_cast<const char*>(data + at + 12), payload));
        at += recSize;
    }
}

double PlusPlayer::UnitToPixels(int unit, bool vertical) const {
    const double dpi = vertical ? dpiY_ : dpiX_;
    switch (unit) {
        case 3: return dpi / 72;        // point
        case 4: return dpi;             // inch
        case 5: return dpi / 300;       // document
        case 6: return dpi / 25.4;      // millimetre
        default: return 1;              // world, display, pixel
    }
}

QTransform PlusPlayer::WorldToDevice() const {
    const double sx = UnitToPixels(pageUnit_, false) * pageScale_, sy = UnitToPixels(pageUnit_, true) * pageScale_;
    return s_.world * QTransform::fromScale(sx, sy);
}

void PlusPlayer::UseWorld() { p_.setTransform(WorldToDevice() * devBase_); }

void PlusPlayer::ApplyClip() {
    p_.setTransform(devBase_);
    p_.setClipPath(s_.hasClip ? s_.clip.intersected(frameClip_) : frameClip_);
    clipDirty_ = true;
}

void PlusPlayer::SetClip(const QPainterPath& shape, int mode) {
    QPainterPath everything;
    everything.addRect(frameClip_.boundingRect().adjusted(-1e5, -1e5, 1e5, 1e5));
    const QPainterPath cur = s_.hasClip ? s_.clip : everything;
    switch (mode) {
        case 1: s_.clip = s_.hasClip ? cur.intersected(shape) : shape; break;
        case 2: s_.clip = cur.united(shape); break;
        case 3: s_.clip = cur.subtracted(shape).united(shape.subtracted(cur)); break;
        case 4: s_.clip = cur.subtracted(shape); break;
        case 5: s_.clip = shape.subtracted(cur); break;
        default: s_.clip = shape; break;
    }
    s_.hasClip = true;
    ApplyClip();
}

std::vector<QPointF> PlusPlayer::Points(const RecordView& d, std::uint64_t at, std::uint32_t count, int flags) {
    std::vector<QPointF> pts;
    if (count > kMaxCount || (flags & 0x0800)) return pts;  // relative (run-length) points are not used in practice
    const bool small = flags & 0x4000;
    if (!d.Has(at, std::uint64_t(count) * (small ? 4 : 8))) return pts;
    pts.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        if (small) pts.emplace_back(d.I16(at + 4ull * i), d.I16(at + 4ull * i + 2));
        else {
            const double x = d.F32(at + 8ull * i), y = d.F32(at + 8ull * i + 4);
            pts.emplace_back(Ok(x) ? x : 0, Ok(y) ? y : 0);
        }
    }
    return pts;
}

namespace {

// The 8 × 8 cell of each hatch style, one byte per row, leftmost pixel in the high bit: lines,
// grids and checks as their names say; the percentage styles spread their share of pixels evenly.
std::array<std::uint8_t, 8> HatchRows(int style) {
    std::array<std::uint8_t, 8> r{};
    auto set = [&](auto on) {
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                if (on(x, y)) r[y] |= std::uint8_t(0x80 >> x);
    };
    auto mod = [](int v, int m) { return ((v % m) + m) % m; };
    static const int percent[] = {5, 10, 20, 25, 30, 40, 50, 60, 70, 75, 80, 90};
    if (style >= 6 && style < 18) {
        // An ordered dither: the pixels whose rank is under the share are on.
        static const int bayer[8][8] = {{0, 32, 8, 40, 2, 34, 10, 42},   {48, 16, 56, 24, 50, 18, 58, 26},
                                        {12, 44, 4, 36, 14, 46, 6, 38},  {60, 28, 52, 20, 62, 30, 54, 22},
                                        {3, 35, 11, 43, 1, 33, 9, 41},   {51, 19, 59, 27, 49, 17, 57, 25},
                                        {15, 47, 7, 39, 13, 45, 5, 37},  {63, 31, 55, 23, 61, 29, 53, 21}};
        const int share = percent[style - 6] * 64 / 100;
        set([&](int x, int y) { return bayer[y][x] < std::max(1, share); });
        return r;
    }
    static const std::uint8_t fixed[][8] = {
        {0x80, 0x10, 0x02, 0x20, 0x01, 0x08, 0x40, 0x04},  // 34 small confetti
        {0xB1, 0x30, 0x03, 0x1B, 0xD8, 0xC0, 0x0C, 0x8D},  // 35 large confetti
        {0x81, 0x42, 0x24, 0x18, 0x81, 0x42, 0x24, 0x18},  // 36 zigzag
        {0x00, 0x18, 0xA4, 0x03, 0x00, 0x18, 0xA4, 0x03},  // 37 wave
        {0x01, 0x02, 0x04, 0x08, 0x18, 0x24, 0x42, 0x81},  // 38 diagonal brick
        {0xFF, 0x80, 0x80, 0x80, 0xFF, 0x08, 0x08, 0x08},  // 39 horizontal brick
        {0x88, 0x54, 0x22, 0x45, 0x88, 0x14, 0x22, 0x51},  // 40 weave
        {0xAA, 0x55, 0xAA, 0x55, 0xF0, 0xF0, 0xF0, 0xF0},  // 41 plaid
        {0x00, 0x10, 0x08, 0x10, 0x00, 0x01, 0x80, 0x01},  // 42 divot
        {0xAA, 0x00, 0x80, 0x00, 0x80, 0x00, 0x80, 0x00},  // 43 dotted grid
        {0x80, 0x00, 0x22, 0x00, 0x08, 0x00, 0x22, 0x00},  // 44 dotted diamond
        {0x03, 0x84, 0x48, 0x30, 0x0C, 0x02, 0x01, 0x01},  // 45 shingle
        {0xFF, 0x66, 0xFF, 0x99, 0xFF, 0x66, 0xFF, 0x99},  // 46 trellis
        {0x77, 0x89, 0x8F, 0x8F, 0x77, 0x98, 0xF8, 0xF8},  // 47 sphere
        {0xFF, 0x88, 0x88, 0x88, 0xFF, 0x88, 0x88, 0x88},  // 48 small grid
        {0x99, 0x66, 0x66, 0x99, 0x99, 0x66, 0x66, 0x99},  // 49 small checker board
        {0xF0, 0xF0, 0xF0, 0xF0, 0x0F, 0x0F, 0x0F, 0x0F},  // 50 large checker board
        {0x82, 0x44, 0x28, 0x10, 0x28, 0x44, 0x82, 0x01},  // 51 outlined diamond
        {0x10, 0x38, 0x7C, 0xFE, 0x7C, 0x38, 0x10, 0x00},  // 52 solid diamond
    };
    if (style >= 34 && style <= 52) {
        std::copy(std::begin(fixed[style - 34]), std::end(fixed[style - 34]), r.begin());
        return r;
    }
    switch (style) {
        case 0: set([](int, int y) { return y == 0; }); break;                                 // horizontal
        case 1: set([](int x, int) { return x == 0; }); break;                                 // vertical
        case 2: set([](int x, int y) { return x == y; }); break;                               // forward diagonal
        case 3: set([](int x, int y) { return x + y == 7; }); break;                           // backward diagonal
        case 4: set([](int x, int y) { return x == 0 || y == 0; }); break;                     // cross
        case 5: set([](int x, int y) { return x == y || x + y == 7; }); break;                 // diagonal cross
        case 18: set([&](int x, int y) { return mod(x - y, 4) == 0; }); break;                 // light downward diagonal
        case 19: set([&](int x, int y) { return mod(x + y, 4) == 3; }); break;                 // light upward diagonal
        case 20: set([&](int x, int y) { return mod(x - y, 4) < 2; }); break;                  // dark downward diagonal
        case 21: set([&](int x, int y) { return mod(x + y, 4) >= 2; }); break;                 // dark upward diagonal
        case 22: set([&](int x, int y) { return mod(x - y, 8) < 3; }); break;                  // wide downward diagonal
        case 23: set([&](int x, int y) { return mod(x + y, 8) >= 5; }); break;                 // wide upward diagonal
        case 24: set([](int x, int) { return x % 4 == 0; }); break;                            // light vertical
        case 25: set([](int, int y) { return y % 4 == 0; }); break;                            // light horizontal
        case 26: set([](int x, int) { return x % 2 == 0; }); break;                            // narrow vertical
        case 27: set([](int, int y) { return y % 2 == 0; }); break;                            // narrow horizontal
        case 28: set([](int x, int) { return x % 4 < 2; }); break;                             // dark vertical
        case 29: set([](int, int y) { return y % 4 < 2; }); break;                             // dark horizontal
        case 30: set([&](int x, int y) { return mod(x - y, 4) == 0 && y < 4; }); break;       // dashed downward diagonal
        case 31: set([&](int x, int y) { return mod(x + y, 4) == 3 && y < 4; }); break;       // dashed upward diagonal
        case 32: set([](int x, int y) { return (y == 0 && x < 4) || (y == 4 && x >= 4); }); break;  // dashed horizontal
        case 33: set([](int x, int y) { return (x == 0 && y < 4) || (x == 4 && y >= 4); }); break;  // dashed vertical
        default: set([](int x, int y) { return (x + y) % 2 == 0; }); break;                   // unknown: half and half
    }
    return r;
}

}  // namespace

QRectF PlusPlayer::RectAt(const RecordView& d, std::uint64_t at, bool compressed) {
    if (compressed) return QRectF(d.I16(at), d.I16(at + 2), d.I16(at + 4), d.I16(at + 6));
    const double x = d.F32(at), y = d.F32(at + 4), w = d.F32(at + 8), h = d.F32(at + 12);
    if (!Ok(x) || !Ok(y) || !Ok(w) || !Ok(h)) return {};
    return QRectF(x, y, w, h);
}

QBrush PlusPlayer::ReadBrush(const RecordView& d, std::uint64_t at) {
    const std::uint32_t type = d.U32(at + 4);
    switch (type) {
        case 0: return QBrush(Argb(d.U32(at + 8)));
        case 1: {
            const int style = int(d.U32(at + 8));
            const QColor fore = Argb(d.U32(at + 12)), back = Argb(d.U32(at + 16));
            QImage tile(8, 8, QImage::Format_ARGB32_Premultiplied);
            tile.fill(back);
            const std::array<std::uint8_t, 8> rows = HatchRows(style);
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x)
                    if (rows[y] & (0x80 >> x)) tile.setPixelColor(x, y, fore);
            QBrush b(tile);
            hatchTiles_.insert(b.textureImage().cacheKey());
            return b;
        }
        case 2: {
            const std::uint32_t bflags = d.U32(at + 8);
            std::uint64_t o = at + 16;
            QTransform xf;
            if (bflags & 0x02) {
                xf = MatrixAt(d, o);
                o += 24;
            }
            QImage img = ReadImage(d, o, nullptr);
            if (img.isNull()) return QBrush(Qt::gray);
            QBrush b(img);
            if (xf.isInvertible()) b.setTransform(xf);
            return b;
        }
        case 3: {
            const QColor center = Argb(d.U32(at + 16));
            const std::uint32_t n = d.U32(at + 28);
            QColor surround = n ? Argb(d.U32(at + 32)) : center;
            if (QBrush b = PathGradient(d, at); b.style() != Qt::NoBrush) return b;
            return QBrush(QColor((center.red() + surround.red()) / 2, (center.green() + surround.green()) / 2,
                                 (center.blue() + surround.blue()) / 2, (center.alpha() + surround.alpha()) / 2));
        }
        case 4: {
            const std::uint32_t bflags = d.U32(at + 8);
            const QRectF r = RectAt(d, at + 16, false);
            const QColor c0 = Argb(d.U32(at + 32)), c1 = Argb(d.U32(at + 36));
            std::uint64_t o = at + 48;
            QTransform xf;
            if (bflags & 0x02) {
                xf = MatrixAt(d, o);
                o += 24;
            }
            QLinearGradient g(r.left(), r.top(), r.right(), r.top());
            // Tiles flipped along the gradient's own axis mirror it; other wrap modes repeat it.
            const std::uint32_t wrap = d.U32(at + 12);
            g.setSpread(wrap == 1 || wrap == 3 ? QGradient::ReflectSpread : QGradient::RepeatSpread);
            // Colours blend channel by channel, alpha included, before any compositing: a
            // half-transparent end stays its own hue instead of fading through black.
            g.setInterpolationMode(QGradient::ComponentInterpolation);
            bool stops = false;
            if (bflags & 0x04) {
                const std::uint32_t n = d.U32(o);
                if (n >= 2 && n < 1024 && d.Has(o + 4, 8ull * n)) {
                    for (std::uint32_t i = 0; i < n; ++i)
                        g.setColorAt(std::clamp<double>(d.F32(o + 4 + 4ull * i), 0, 1), Argb(d.U32(o + 4 + 4ull * n + 4ull * i)));
                    stops = true;
                }
            } else if (bflags & 0x08) {
                const std::uint32_t n = d.U32(o);
                if (n >= 2 && n < 1024 && d.Has(o + 4, 8ull * n)) {
                    for (std::uint32_t i = 0; i < n; ++i) {
                        const double pos = std::clamp<double>(d.F32(o + 4 + 4ull * i), 0, 1);
                        const double f = std::clamp<double>(d.F32(o + 4 + 4ull * n + 4ull * i), 0, 1);
                        g.setColorAt(pos, QColor(int(c0.red() + (c1.red() - c0.red()) * f), int(c0.green() + (c1.green() - c0.green()) * f),
                                                 int(c0.blue() + (c1.blue() - c0.blue()) * f), int(c0.alpha() + (c1.alpha() - c0.alpha()) * f)));
                    }
                    stops = true;
                }
            }
            if (!stops) g.setColorAt(0, c0), g.setColorAt(1, c1);
            QBrush b(g);
            if (xf.isInvertible()) b.setTransform(xf);
            return b;
        }
        default: return QBrush(Qt::gray);
    }
}

// A path gradient runs from the centre colour to the boundary's colours along every ray from
// the centre. Seen from the centre, each boundary edge bounds a triangle in which the colour
// depends only on the distance to that edge's line: a linear gradient across the triangle.
// The triangles are painted once into a texture in world units.
QBrush PlusPlayer::PathGradient(const RecordView& d, std::uint64_t at) {
    const std::uint32_t bflags = d.U32(at + 8), n = d.U32(at + 28);
    if (n == 0 || n > 4096 || !d.Has(at + 32, 4ull * n)) return QBrush(Qt::NoBrush);
    const QColor centerColor = Argb(d.U32(at + 16));
    const QPointF c(d.F32(at + 20), d.F32(at + 24));
    std::vector<QColor> colors;
    for (std::uint32_t i = 0; i < n; ++i) colors.push_back(Argb(d.U32(at + 32 + 4ull * i)));
    std::uint64_t o = at + 32 + 4ull * n;
    QPolygonF boundary;
    if (bflags & 0x01) {
        const QPainterPath path = ReadPath(d, o + 4);
        for (const QPolygonF& poly : path.toSubpathPolygons())
            if (poly.size() > boundary.size()) boundary = poly;
        o += 4ull + d.U32(o);
    } else {
        const std::uint32_t count = d.U32(o);
        if (count > kMaxCount || !d.Has(o + 4, 8ull * count)) return QBrush(Qt::NoBrush);
        for (std::uint32_t i = 0; i < count; ++i) boundary << QPointF(d.F32(o + 4 + 8ull * i), d.F32(o + 8 + 8ull * i));
        o += 4ull + 8ull * count;
    }
    if (boundary.size() > 1 && boundary.first() == boundary.last()) boundary.removeLast();
    if (boundary.size() < 3 || !Ok(c.x()) || !Ok(c.y())) return QBrush(Qt::NoBrush);
    for (const QPointF& pt : boundary)
        if (!Ok(pt.x()) || !Ok(pt.y())) return QBrush(Qt::NoBrush);
    if (boundary.size() > 4096) {
        // Painting one triangle per edge of so long a boundary would cost seconds; from afar the
        // brush reads as the blend of its centre and edge colours.
        double sum[4] = {0, 0, 0, 0};
        for (const QColor& col : colors) sum[0] += col.red(), sum[1] += col.green(), sum[2] += col.blue(), sum[3] += col.alpha();
        auto half = [&](int centre, double edges) { return int(std::lround((centre + edges / colors.size()) / 2)); };
        return QBrush(QColor(half(centerColor.red(), sum[0]), half(centerColor.green(), sum[1]),
                             half(centerColor.blue(), sum[2]), half(centerColor.alpha(), sum[3])));
    }
    QTransform xf;
    if ((bflags & 0x02) && d.Has(o, 24)) xf = MatrixAt(d, o);

    QRectF box = boundary.boundingRect().united(QRectF(c, QSizeF(0, 0)));
    if (box.width() <= 0 || box.height() <= 0) return QBrush(Qt::NoBrush);
    // The colours change smoothly, so a modest texture stretched over the shape is enough.
    const double k = 256 / std::max(box.width(), box.height());
    QImage tex(std::max(1, int(std::ceil(box.width() * k))), std::max(1, int(std::ceil(box.height() * k))),
               QImage::Format_ARGB32_Premultiplied);
    tex.fill(Qt::transparent);
    QPainter tp(&tex);
    tp.setPen(Qt::NoPen);
    tp.setTransform(QTransform::fromTranslate(-box.left(), -box.top()) * QTransform::fromScale(k, k));
    // With fewer colours than points, the last colour goes on to the end.
    auto colorAt = [&](int i) { return colors[std::min<std::size_t>(std::size_t(i), colors.size() - 1)]; };
    const int m = int(boundary.size());
    for (int i = 0; i < m; ++i) {
        const QPointF a = boundary[i], b = boundary[(i + 1) % m], e = b - a;
        const double len2 = QPointF::dotProduct(e, e);
        if (len2 <= 0) continue;
        const QPointF foot = a + e * (QPointF::dotProduct(c - a, e) / len2);
        if (QLineF(c, foot).length() * k < 1e-3) continue;
        // Along the edge the colour moves from one point's colour to the next: a few slices
        // of the triangle, each with its own edge colour, follow it closely enough.
        const QColor ca = colorAt(i), cb = colorAt((i + 1) % m);
        const int slices = ca == cb ? 1 : 8;
        for (int j = 0; j < slices; ++j) {
            const double t = (j + 0.5) / slices;
            auto lerp = [t](int x, int y) { return int(std::lround(x + (y - x) * t)); };
            QLinearGradient g(c, foot);
            g.setInterpolationMode(QGradient::ComponentInterpolation);
            g.setColorAt(0, centerColor);
            g.setColorAt(1, QColor(lerp(ca.red(), cb.red()), lerp(ca.green(), cb.green()), lerp(ca.blue(), cb.blue()),
                                   lerp(ca.alpha(), cb.alpha())));
            tp.setBrush(g);
            tp.drawPolygon(QPolygonF({c, a + e * (double(j) / slices), a + e * (double(j + 1) / slices)}));
        }
    }
    tp.end();
    QBrush brush(tex);
    QTransform toWorld = QTransform::fromScale(1 / k, 1 / k) * QTransform::fromTranslate(box.left(), box.top());
    if (xf.isInvertible()) toWorld *= xf;
    brush.setTransform(toWorld);
    return brush;
}

QPainterPath PlusPlayer::ReadPath(const RecordView& d, std::uint64_t at, std::uint64_t* end) {
    QPainterPath path;
    const std::uint32_t count = d.U32(at + 4), pflags = d.U32(at + 8);
    const std::vector<QPointF> pts = Points(d, at + 12, count, int(pflags));
    const std::uint64_t typesAt = at + 12 + std::uint64_t(count) * ((pflags & 0x4000) ? 4 : 8);
    const std::uint8_t* types = d.Span(typesAt, count);
    if (end) *end = typesAt + ((std::uint64_t(count) + 3) & ~3ull);
    if (pts.size() != count || !types) return path;
    path.setFillRule(Qt::OddEvenFill);
    for (std::uint32_t i = 0; i < count; ++i) {
        const int t = types[i] & 0x07;
        if (t == 0 || path.elementCount() == 0) path.moveTo(pts[i]);
        else if (t == 3 && i + 2 < count) {
            path.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
            i += 2;
        } else path.lineTo(pts[i]);
        if (types[i] & 0x80) path.closeSubpath();
    }
    return path;
}

QPainterPath PlusPlayer::ReadRegion(const RecordView& d, std::uint64_t* at, int depth) {
    QPainterPath r;
    if (depth > 64 || !d.Has(*at, 4)) return r;
    const std::uint32_t type = d.U32(*at);
    *at += 4;
    QPainterPath everything;
    everything.addRect(QRectF(-1e7, -1e7, 2e7, 2e7));
    switch (type) {
        case 0x10000000:
            r.addRect(RectAt(d, *at, false));
            *at += 16;
            return r;
        case 0x10000001: {
            const std::uint32_t size = d.U32(*at);
            std::uint64_t e = 0;
            r = ReadPath(d, *at + 4, &e);
            *at += 4 + std::uint64_t(size);
            return r;
        }
        case 0x10000002: return r;
        case 0x10000003: return everything;
        default: {
            QPainterPath left = ReadRegion(d, at, depth + 1);
            QPainterPath right = ReadRegion(d, at, depth + 1);
            switch (type) {
                case 1: return left.intersected(right);
                case 2: return left.united(right);
                case 3: return left.subtracted(right).united(right.subtracted(left));
                case 4: return left.subtracted(right);
                case 5: return right.subtracted(left);
                default: return left;
            }
        }
    }
}

QImage PlusPlayer::ReadImage(const RecordView& d, std::uint64_t at, std::shared_ptr<const EmfDocument>* metafile) {
    const std::uint32_t type = d.U32(at + 4);
    if (type == 2) {
        const std::uint32_t mtype = d.U32(at + 8), size = d.U32(at + 12);
        const std::uint8_t* data = d.Span(at + 16, size);
        if (!data || !metafile || mtype < 3) return {};
        try {
            *metafile = EmfDocument::Parse(QByteArray(reinterpret_cast<const char*>(data), int(size)));
        } catch (const EmfError&) {
        }
        return {};
    }
    if (type != 1) return {};
    const std::int32_t w = d.I32(at + 8), h = d.I32(at + 12), stride = d.I32(at + 16);
    const std::uint32_t format = d.U32(at + 20), btype = d.U32(at + 24);
    std::uint64_t o = at + 28;
    if (btype == 1) {
        const std::uint64_t n = d.Size() > o ? d.Size() - o : 0;
        const std::uint8_t* data = d.Span(o, n);
        if (!data) return {};
        return QImage::fromData(data, int(n)).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    if (w <= 0 || h <= 0 || std::int64_t(w) * h > 64ll * 1024 * 1024 || stride <= 0) return {};
    const int bpp = int((format >> 8) & 0xff);
    QVector<QRgb> palette;
    if (format & 0x00010000) {  // indexed: a palette comes first
        const std::uint32_t n = d.U32(o + 4);
        if (n > 256) return {};
        for (std::uint32_t i = 0; i < n; ++i) palette.push_back(d.U32(o + 8 + 4ull * i));
        o += 8 + 4ull * n;
    }
    if (!d.Has(o, std::uint64_t(stride) * h) || std::int64_t(stride) * 8 < std::int64_t(w) * bpp) return {};
    QImage img(w, h, QImage::Format_ARGB32);
    if (img.isNull()) return {};
    const bool hasAlpha = format == 0x0026200A || format == 0x000E200B || format == 0x00061007;
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* row = d.Span(o + std::uint64_t(stride) * y, std::uint64_t(stride));
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            QRgb c = 0xff000000;
            switch (bpp) {
                case 1: case 4: case 8: {
                    const int idx = bpp == 8 ? row[x] : bpp == 4 ? (row[x / 2] >> ((x & 1) ? 0 : 4)) & 15 : (row[x / 8] >> (7 - x % 8)) & 1;
                    c = idx < palette.size() ? palette[idx] : 0xff000000;
                    break;
                }
                case 16: {
                    const int v = row[2 * x] | row[2 * x + 1] << 8;
                    if (format == 0x00021006) c = qRgb((v >> 11 & 31) * 255 / 31, (v >> 5 & 63) * 255 / 63, (v & 31) * 255 / 31);
                    else c = qRgba((v >> 10 & 31) * 255 / 31, (v >> 5 & 31) * 255 / 31, (v & 31) * 255 / 31,
                                   format == 0x00061007 ? (v & 0x8000 ? 255 : 0) : 255);
                    break;
                }
                case 24: c = qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]); break;
                case 32: c = qRgba(row[4 * x + 2], row[4 * x + 1], row[4 * x], hasAlpha ? row[4 * x + 3] : 255); break;
                default: break;
            }
            line[x] = c;
        }
    }
    if (format == 0x000E200B) img.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
    return img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void PlusPlayer::ParseObject(int id, int type, const RecordView& d) {
    Object o;
    o.type = type;
    switch (type) {
        case 1: o.brush = ReadBrush(d, 0); break;
        case 2: {
            const std::uint32_t pflags = d.U32(8);
            o.pen.unit = int(d.U32(12));
            o.pen.width = d.F32(16);
            if (!Ok(o.pen.width)) o.pen.width = 0;
            std::uint64_t at = 20;
            QTransform xf;
            int startCap = 0, endCap = 0, join = 0, style = 0;
            double miter = 10;
            QVector<qreal> dashes;
            if (pflags & 0x01) at += 24;
            if (pflags & 0x02) startCap = d.I32(at), at += 4;
            if (pflags & 0x04) endCap = d.I32(at), at += 4;
            if (pflags & 0x08) join = d.I32(at), at += 4;
            if (pflags & 0x10) miter = d.F32(at), at += 4;
            if (pflags & 0x20) style = d.I32(at), at += 4;
            double dashOffset = 0;
            if (pflags & 0x40) at += 4;
            if (pflags & 0x80) dashOffset = d.F32(at), at += 4;
            if (pflags & 0x100) {
                const std::uint32_t n = d.U32(at);
                if (n < 256)
                    for (std::uint32_t i = 0; i < n; ++i) {
                        const double v = d.F32(at + 4 + 4ull * i);
                        dashes.push_back(Ok(v) && v > 0 ? v : 0.1);
                    }
                at += 4 + 4ull * std::min<std::uint32_t>(n, 1u << 20);
            }
            if (pflags & 0x200) at += 4;
            if (pflags & 0x400) at += 4 + 4ull * std::min<std::uint32_t>(d.U32(at), 1u << 20);
            if (pflags & 0x800) at += 4 + std::uint64_t(d.U32(at));
            if (pflags & 0x1000) at += 4 + std::uint64_t(d.U32(at));
            QPen pen(ReadBrush(d, at), 1);
            (void)startCap;
            pen.setCapStyle(endCap == 1 ? Qt::SquareCap : endCap == 2 ? Qt::RoundCap : Qt::FlatCap);
            pen.setJoinStyle(join == 1 ? Qt::BevelJoin : join == 2 ? Qt::RoundJoin : Qt::MiterJoin);
            if (Ok(miter) && miter >= 1) pen.setMiterLimit(miter);
            // A dash array written without a line style is the pen's pattern: setting one makes
            // the style custom.
            if (!(pflags & 0x20) && dashes.size() >= 2) style = 5;
            switch (style) {
                case 1: pen.setStyle(Qt::DashLine); break;
                case 2: pen.setStyle(Qt::DotLine); break;
                case 3: pen.setStyle(Qt::DashDotLine); break;
                case 4: pen.setStyle(Qt::DashDotDotLine); break;
                case 5:
                    if (dashes.size() >= 2) {
                        if (dashes.size() % 2) dashes += dashes;
                        pen.setDashPattern(dashes);
                    }
                    break;
                default: break;
            }
            if (style != 0 && Ok(dashOffset) && std::abs(dashOffset) < 1e6) pen.setDashOffset(dashOffset);
            o.pen.pen = pen;
            break;
        }
        case 3: o.path = ReadPath(d, 0); break;
        case 4: {
            std::uint64_t at = 8;
            o.path = ReadRegion(d, &at, 0);
            break;
        }
        case 5: o.image = ReadImage(d, 0, &o.metafile); break;
        case 6: {
            o.emSize = d.F32(4);
            if (!Ok(o.emSize) || o.emSize <= 0) o.emSize = 12;
            o.fontUnit = int(d.U32(8));
            const std::uint32_t style = d.U32(12), len = std::min<std::uint32_t>(d.U32(20), 64);
            QString family;
            for (std::uint32_t i = 0; i < len; ++i) family.append(QChar(d.U16(24 + 2ull * i)));
            const FaceMapping mapped = MapFace(family);
            o.font = QFont(mapped.family);
            o.face = family;
            o.symbols = mapped.symbols;
            o.font.setBold(style & 1);
            o.font.setItalic(style & 2);
            o.font.setUnderline(style & 4);
            o.font.setStrikeOut(style & 8);
            o.font.setHintingPreference(QFont::PreferNoHinting);
            break;
        }
        case 7:
            o.formatFlags = d.U32(4);
            o.alignH = int(d.U32(12));
            o.alignV = int(d.U32(16));
            // Typographic formats carry no lead; a value beyond reason is read as the default.
            if (const double lead = d.F32(36); d.Has(36, 4) && Ok(lead) && lead >= 0 && lead <= 10) o.leading = lead;
            break;
        default: break;
    }
    objects_[id] = std::move(o);
}

QBrush PlusPlayer::BrushFor(int flags, std::uint32_t brushId) {
    if (flags & 0x8000) return QBrush(Argb(brushId));
    auto it = objects_.find(int(brushId & 0xff));
    if (it == objects_.end() || it->second.type != 1) return QBrush(Qt::black);
    return it->second.brush;
}

QPen PlusPlayer::PenFor(std::uint32_t penId) {
    penInDevice_ = false;
    auto it = objects_.find(int(penId & 0xff));
    if (it == objects_.end() || it->second.type != 2) return QPen(Qt::black, 0);
    const PenObj& po = it->second.pen;
    QPen pen = po.pen;
    if (po.width <= 0) {
        // A zero width is a hairline: one output pixel whatever the scale.
        pen.setCosmetic(true);
        pen.setWidthF(DevicePixelRatio(p_));
        return pen;
    }
    // Width in world units; never thinner than one device pixel.
    const QTransform w2d = WorldToDevice();
    double scale = std::sqrt(std::abs(w2d.determinant()));
    if (!Ok(scale) || scale <= 0) scale = 1;
    double width = std::abs(po.width);
    if (po.unit != 0 && po.unit != pageUnit_) width = po.width * UnitToPixels(po.unit, false) / std::max(scale, 1e-9);
    else if (po.unit == 0 && pageUnit_ != 0) width = po.width;
    const double minWidth = 1 / std::max(scale, 1e-9);
    width = std::max(width, minWidth);
    // Wider than the picture covers it all anyway; wider still only costs time.
    const QRectF frame = frameClip_.boundingRect();
    width = std::min(width, 2 * std::hypot(frame.width(), frame.height()) / scale + 1);
    if (!Ok(width) || width > 1e7) return QPen(Qt::NoPen);
    // Qt caps pen widths below 32768; such pens stroke in device pixels instead.
    penInDevice_ = width >= 30000;
    pen.setWidthF(penInDevice_ ? std::min(width * scale, 30000.0) : width);
    return pen;
}

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

void PlusPlayer::DrawString(const RecordView& d, int flags) {
    auto fit = objects_.find(flags & 0xff);
    if (fit == objects_.end() || fit->second.type != 6) return;
    const Object& font = fit->second;
    const QBrush brush = BrushFor(flags, d.U32(0));
    const std::uint32_t formatId = d.U32(4), len = d.U32(8);
    const QRectF layout = RectAt(d, 12, false);
    if (len > 100000 || !d.Has(28, 2ull * len)) return;
    QString text;
    for (std::uint32_t i = 0; i < len; ++i) text.append(QChar(d.U16(28 + 2ull * i)));
    text = SymbolText(font.symbols, text);
    int alignH = 0, alignV = 0;
    std::uint32_t fflags = 0;
    double leading = Object().leading;
    if (auto sf = objects_.find(int(formatId & 0xff)); sf != objects_.end() && sf->second.type == 7)
        alignH = sf->second.alignH, alignV = sf->second.alignV, fflags = sf->second.formatFlags,
        leading = sf->second.leading;

    const QTransform w2d = WorldToDevice();
    const double scale = std::sqrt(std::abs(w2d.determinant()));
    double em = font.emSize;
    if (font.fontUnit != 0 && font.fontUnit != pageUnit_) em = font.emSize * UnitToPixels(font.fontUnit, true) / std::max(scale, 1e-9);
    const QTransform full = w2d * devBase_;
    const double devScale = std::sqrt(std::abs(full.determinant()));
    const int px = std::clamp(int(std::lround(em * devScale)), 1, 2000);
    const double k = em / px;
    QFont f = font.font;
    f.setPixelSize(px);
    p_.setTransform(QTransform::fromScale(k, k) * full);
    p_.setFont(f);
    p_.setPen(QPen(brush, 0));
    int qflags = 0;
    qflags |= alignH == 1 ? Qt::AlignHCenter : alignH == 2 ? Qt::AlignRight : Qt::AlignLeft;
    qflags |= alignV == 1 ? Qt::AlignVCenter : alignV == 2 ? Qt::AlignBottom : Qt::AlignTop;
    const bool noWrap = fflags & 0x00001000;
    QRectF r(layout.x() / k, layout.y() / k, layout.width() / k, layout.height() / k);
    if (layout.width() <= 0 || layout.height() <= 0) {
        r.setSize(QSizeF(0, 0));
        qflags |= Qt::TextDontClip;
    } else if (!noWrap) {
        qflags |= Qt::TextWordWrap;
    }
    // The format's lead before a left-aligned string.
    if (alignH == 0 && r.width() > 0) r.adjust(px * leading, 0, 0, 0);
    else if (alignH == 0) r.translate(px * leading, 0);
    if (GlyphsTooLargeForCache(p_)) {
        // Immense or stretched text: one line of outlines from the layout's corner.
        DrawTextAt(p_, r.topLeft() + QPointF(0, QFontMetricsF(f).ascent()), text);
        return;
    }
    p_.drawText(r, qflags, text);
}

void PlusPlayer::DrawDriverString(const RecordView& d, int flags) {
    auto fit = objects_.find(flags & 0xff);
    if (fit == objects_.end() || fit->second.type != 6) return;
    const Object& font = fit->second;
    const QBrush brush = BrushFor(flags, d.U32(0));
    const std::uint32_t options = d.U32(4), hasMatrix = d.U32(8), count = d.U32(12);
    if (count > 100000 || !d.Has(16, 10ull * count)) return;
    const std::uint64_t posAt = 16 + 2ull * count;
    QTransform local;
    if (hasMatrix && d.Has(posAt + 8ull * count, 24)) {
        const std::uint64_t m = posAt + 8ull * count;
        local = MatrixAt(d, m);
        if (!local.isInvertible()) local = QTransform();
    }
    const QTransform w2d = WorldToDevice();
    const double scale = std::sqrt(std::abs(w2d.determinant()));
    double em = font.emSize;
    if (font.fontUnit != 0 && font.fontUnit != pageUnit_) em = font.emSize * UnitToPixels(font.fontUnit, true) / std::max(scale, 1e-9);
    const QTransform full = local * w2d * devBase_;
    const int px = std::clamp(int(std::lround(em * std::sqrt(std::abs(full.determinant())))), 1, 2000);
    const double k = em / px;
    QFont f = font.font;
    f.setPixelSize(px);
    QRawFont raw = QRawFont::fromFont(f);
    QVector<quint32> ids;
    QString text;
    for (std::uint32_t i = 0; i < count; ++i) text.append(QChar(d.U16(16 + 2ull * i)));
    if (options & 1 && font.symbols != SymbolSet::None) {
        // One glyph per slot, even where the slot's picture lies outside the basic plane.
        for (QChar c : text) ids.push_back(FirstGlyph(raw, SymbolText(font.symbols, QString(c))));
    } else if (options & 1) ids = raw.glyphIndexesForString(text);
    else
        for (std::uint32_t i = 0; i < count; ++i) ids.push_back(StandInGlyph(raw, font.face, d.U16(16 + 2ull * i)));
    QVector<QPointF> pos;
    if (options & 4) {
        QPointF at(d.F32(posAt) / k, d.F32(posAt + 4) / k);
        const QVector<QPointF> adv = raw.advancesForGlyphIndexes(ids);
        for (const QPointF& a : adv) pos.push_back(at), at += QPointF(a.x(), 0);
    } else {
        for (std::uint32_t i = 0; i < count; ++i) pos.push_back(QPointF(d.F32(posAt + 8ull * i) / k, d.F32(posAt + 8ull * i + 4) / k));
    }
    if (ids.size() != pos.size()) return;
    QGlyphRun run;
    run.setRawFont(raw);
    run.setGlyphIndexes(ids);
    run.setPositions(pos);
    p_.setTransform(QTransform::fromScale(k, k) * full);
    p_.setPen(QPen(brush, 0));
    DrawGlyphs(p_, run);
}

void PlusPlayer::Record(int type, int flags, const RecordView& d) {
    if (type != 0x4004 && type != 0x4003 && type != 0x4001) getDc_ = false;
    const int id = flags & 0xff;
    const bool compressed = flags & 0x4000;
    switch (type) {
        case 0x4001: break;
        case 0x4004: getDc_ = true; break;
        case 0x4008: {
            const int otype = (flags >> 8) & 0x7f;
            if (flags & 0x8000) {
                // Continued object: the first four bytes give the whole size.
                const std::uint32_t total = d.U32(0);
                if (pendingId_ != id || pendingType_ != otype || pending_.empty()) {
                    pending_.clear();
                    pendingTotal_ = std::min(total, kMaxObjectBytes);
                    pendingId_ = id, pendingType_ = otype;
                }
                if (const std::uint8_t* part = d.Span(4, d.Size() > 4 ? d.Size() - 4 : 0))
                    pending_.insert(pending_.end(), part, part + (d.Size() - 4));
                if (pending_.size() >= pendingTotal_ || pending_.size() > kMaxObjectBytes) {
                    ParseObject(id, otype, RecordView(reinterpret_cast<const char*>(pending_.data()), std::uint32_t(pending_.size())));
                    pending_.clear();
                    pendingId_ = -1;
                }
                break;
            }
            pending_.clear();
            pendingId_ = -1;
            ParseObject(id, otype, d);
            break;
        }
        case 0x4009: {
            p_.setTransform(devBase_);
            p_.fillRect(frameClip_.boundingRect(), Argb(d.U32(0)));
            break;
        }
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
        case 0x4025:
            if (saved_.size() < 4096) saved_[d.U32(0)] = s_;
            break;
        case 0x4026:
        case 0x4029: {
            auto it = saved_.find(d.U32(0));
            if (it == saved_.end()) break;
            s_ = it->second;
            saved_.erase(it, saved_.end());
            ApplyClip();
            break;
        }
        case 0x4027: {
            const QRectF dst = RectAt(d, 0, false), src = RectAt(d, 16, false);
            if (saved_.size() < 4096) saved_[d.U32(32)] = s_;
            if (src.width() != 0 && src.height() != 0) {
                const QTransform m = QTransform::fromTranslate(-src.x(), -src.y()) *
                                     QTransform::fromScale(dst.width() / src.width(), dst.height() / src.height()) *
                                     QTransform::fromTranslate(dst.x(), dst.y());
                s_.world = m * s_.world;
            }
            break;
        }
        case 0x4028:
            if (saved_.size() < 4096) saved_[d.U32(0)] = s_;
            break;
        case 0x402A:
        case 0x402C: {
            const QTransform m(d.F32(0), d.F32(4), d.F32(8), d.F32(12), d.F32(16), d.F32(20));
            if (!Ok(m.m11()) || !Ok(m.m12()) || !Ok(m.m21()) || !Ok(m.m22()) || !Ok(m.dx()) || !Ok(m.dy()) ||
                !Ok(m.determinant()))
                break;
            if (type == 0x402A) s_.world = m;
            else s_.world = (flags & 0x2000) ? s_.world * m : m * s_.world;
            break;
        }
        case 0x402B: s_.world = QTransform(); break;
        case 0x402D:
        case 0x402E:
        case 0x402F: {
            QTransform m;
            const double a = d.F32(0), b = d.F32(4);
            if (!Ok(a) || (type != 0x402F && !Ok(b))) break;
            if (type == 0x402D) m.translate(a, b);
            else if (type == 0x402E) m.scale(a, b);
            else m.rotate(a);
            s_.world = (flags & 0x2000) ? s_.world * m : m * s_.world;
            break;
        }
        case 0x4030: {
            pageUnit_ = id;
            const double sc = d.F32(0);
            pageScale_ = Ok(sc) && sc > 0 ? sc : 1;
            break;
        }
        case 0x4031:
            s_.hasClip = false;
            s_.clip = QPainterPath();
            ApplyClip();
            break;
        case 0x4032: {
            // A rectangle with absurd coordinates is ignored rather than clipping everything away.
            const QRectF r = RectAt(d, 0, false);
            if (r.isNull()) break;
            QPainterPath path;
            path.addRect(r);
            SetClip(WorldToDevice().map(path), (flags >> 8) & 0xf);
            break;
        }
        case 0x4033:
        case 0x4034: {
            auto it = objects_.find(id);
            if (it == objects_.end()) break;
            SetClip(WorldToDevice().map(it->second.path), (flags >> 8) & 0xf);
            break;
        }
        case 0x4035:
            if (s_.hasClip) {
                const QTransform w2d = WorldToDevice();
                s_.clip.translate(w2d.map(QPointF(d.F32(0), d.F32(4))) - w2d.map(QPointF(0, 0)));
                ApplyClip();
            }
            break;
        default: break;
    }
}

}  // namespace platform::emf
