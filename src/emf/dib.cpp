#include "emf/dib.h"

#include <QVector>
#include <algorithm>
#include <cstring>
#include <vector>

namespace emf::detail {
namespace {

std::uint32_t U32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}
std::uint16_t U16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }

// Extracts one channel selected by a bit mask and scales it to 0..255.
struct Field {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;
    explicit Field(std::uint32_t m = 0) : mask(m) {
        if (!m) return;
        while (!((m >> shift) & 1)) ++shift;
        max = m >> shift;
    }
    int Get(std::uint32_t v) const {
        if (!max) return 0;
        return int(((v & mask) >> shift) * 255u / max);
    }
};

// Run-length encoded 4- and 8-bit bitmaps expand to one palette index per pixel, bottom-up.
bool DecodeRle(const std::uint8_t* bits, std::size_t size, int width, int height, bool four,
               std::vector<std::uint8_t>& out) {
    out.assign(std::size_t(width) * height, 0);
    std::size_t i = 0;
    int x = 0, y = 0;
    auto put = [&](int v) {
        if (x >= 0 && x < width && y >= 0 && y < height) out[std::size_t(y) * width + x] = std::uint8_t(v);
        ++x;
    };
    while (i + 1 < size && y < height) {
        int n = bits[i], c = bits[i + 1];
        i += 2;
        if (n > 0) {
            for (int k = 0; k < n; ++k) put(four ? ((k & 1) ? (c & 15) : (c >> 4)) : c);
        } else if (c == 0) {
            x = 0;
            ++y;
        } else if (c == 1) {
            break;
        } else if (c == 2) {
            if (i + 1 >= size) break;
            x += bits[i];
            y += bits[i + 1];
            i += 2;
        } else {
            const std::size_t bytes = four ? (std::size_t(c) + 1) / 2 : std::size_t(c);
            if (i + bytes > size) break;
            for (int k = 0; k < c; ++k) put(four ? ((k & 1) ? (bits[i + k / 2] & 15) : (bits[i + k / 2] >> 4)) : bits[i + k]);
            i += (bytes + 1) & ~std::size_t(1);
        }
    }
    return true;
}

}  // namespace

QImage DecodeDib(const std::uint8_t* bmi, std::size_t bmiSize, const std::uint8_t* bits,
                 std::size_t bitsSize, bool withAlpha) {
    if (!bmi || bmiSize < 12) return {};
    const std::uint32_t headerSize = U32(bmi);
    if (headerSize > bmiSize || headerSize < 12) return {};
    std::int64_t width, height;
    int bpp;
    std::uint32_t compression = 0, clrUsed = 0;
    int paletteEntrySize = 4;
    if (headerSize == 12) {
        width = U16(bmi + 4);
        height = std::int16_t(U16(bmi + 6));
        bpp = U16(bmi + 10);
        paletteEntrySize = 3;
    } else {
        if (headerSize < 40) return {};
        width = std::int32_t(U32(bmi + 4));
        height = std::int32_t(U32(bmi + 8));
        bpp = U16(bmi + 14);
        compression = U32(bmi + 16);
        clrUsed = U32(bmi + 32);
    }
    const bool topDown = height < 0;
    if (topDown) height = -height;
    if (width <= 0 || height <= 0 || width * height > kMaxDibPixels) return {};
    const int w = int(width), h = int(height);

    // Embedded compressed pictures carry their own size.
    if (compression == 4 || compression == 5) {
        if (!bits || bitsSize == 0) return {};
        QImage img = QImage::fromData(bits, int(std::min<std::size_t>(bitsSize, 0x7fffffff)),
                                      compression == 4 ? "JPG" : "PNG");
        return img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }

    if (bpp != 1 && bpp != 2 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return {};

    // Colour table and masks follow the header.
    std::size_t tableOffset = headerSize;
    Field red(0x7c00), green(0x3e0), blue(0x1f), alpha;
    if (bpp == 32) red = Field(0xff0000), green = Field(0xff00), blue = Field(0xff);
    if (compression == 3 || compression == 6) {
        const std::uint8_t* masks = nullptr;
        if (headerSize >= 52) masks = bmi + 40;
        else if (bmiSize >= headerSize + 12) masks = bmi + headerSize, tableOffset += 12;
        if (masks) {
            red = Field(U32(masks)), green = Field(U32(masks + 4)), blue = Field(U32(masks + 8));
            if (headerSize >= 56) alpha = Field(U32(masks + 12));
        }
    }
    QVector<QRgb> palette;
    if (bpp <= 8) {
        std::size_t count = clrUsed ? clrUsed : (std::size_t(1) << bpp);
        count = std::min<std::size_t>(count, 256);
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t at = tableOffset + i * paletteEntrySize;
            if (at + 3 > bmiSize) break;
            palette.push_back(qRgb(bmi[at + 2], bmi[at + 1], bmi[at]));
        }
        if (palette.isEmpty()) {
            // No table: a grey ramp is the least surprising stand-in.
            const int n = 1 << bpp;
            for (int i = 0; i < n; ++i) palette.push_back(qRgb(i * 255 / (n - 1), i * 255 / (n - 1), i * 255 / (n - 1)));
        }
    }
    auto paletteColor = [&](int i) { return i < palette.size() ? palette[i] : qRgb(0, 0, 0); };

    if (!bits) return {};
    // The picture is sized from its header, so the header must be backed by data: a few bytes
    // claiming millions of pixels are refused instead of allocated. Uncompressed bits may fall a
    // little short (the missing rows stay white); run-length bits expand at most ~255 times.
    const std::size_t stride = ((std::size_t(w) * bpp + 31) / 32) * 4;
    const bool rle = compression == 1 || compression == 2;
    if (rle ? double(w) * h > 512.0 * std::max<std::size_t>(bitsSize, 64) : bitsSize * 2 < stride * std::size_t(h))
        return {};
    QImage img(w, h, withAlpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (img.isNull()) return {};

    if (compression == 1 || compression == 2) {
        std::vector<std::uint8_t> idx;
        DecodeRle(bits, bitsSize, w, h, compression == 2, idx);
        for (int y = 0; y < h; ++y) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(h - 1 - y));
            for (int x = 0; x < w; ++x) line[x] = paletteColor(idx[std::size_t(y) * w + x]);
        }
        return img;
    }
    if (compression != 0 && compression != 3 && compression != 6) return {};

    img.fill(Qt::white);
    for (int y = 0; y < h; ++y) {
        const std::size_t rowStart = stride * std::size_t(y);
        if (rowStart + stride > bitsSize) break;  // short bits: leave the rest white
        const std::uint8_t* row = bits + rowStart;
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(topDown ? y : h - 1 - y));
        for (int x = 0; x < w; ++x) {
            QRgb c;
            switch (bpp) {
                case 1: c = paletteColor((row[x >> 3] >> (7 - (x & 7))) & 1); break;
                case 2: c = paletteColor((row[x >> 2] >> (6 - 2 * (x & 3))) & 3); break;
                case 4: c = paletteColor((row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15); break;
                case 8: c = paletteColor(row[x]); break;
                case 16: {
                    const std::uint32_t v = U16(row + 2 * x);
                    c = qRgb(red.Get(v), green.Get(v), blue.Get(v));
                    break;
                }
                case 24: c = qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]); break;
                default: {
                    const std::uint32_t v = U32(row + 4 * x);
                    if (withAlpha) {
                        const int a = alpha.mask ? alpha.Get(v) : int(v >> 24);
                        // Premultiplied by the writer; clamp so bad data cannot overflow.
                        c = qRgba(std::min(red.Get(v), a), std::min(green.Get(v), a), std::min(blue.Get(v), a), a);
                    } else {
                        c = qRgb(red.Get(v), green.Get(v), blue.Get(v));
                    }
                }
            }
            line[x] = c;
        }
    }
    return img;
}

}  // namespace emf::detail
