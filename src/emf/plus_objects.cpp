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


}  // namespace emf::detail
