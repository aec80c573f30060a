#pragma once
// The parsed form of a metafile shared by the document and its player: validated records kept
// in place, bitmaps decoded once.

#include <QByteArray>
#include <QImage>
#include <QPointF>
#include <QString>
#include <QRectF>
#include <QSizeF>
#include <cstdint>
#include <cstring>
#include <unordered_map>
#include <vector>

namespace emf::detail {

struct RecordRef {
    std::uint32_t type;
    std::uint32_t offset;
    std::uint32_t size;
};

// Bounds-checked little-endian reads inside one record: out-of-range reads give 0, so a short
// record can never make the player read past it.
class RecordView {
public:
    RecordView(const char* data, std::uint32_t size) : data_(data), size_(size) {}
    std::uint32_t Size() const { return size_; }
    bool Has(std::uint64_t offset, std::uint64_t bytes) const { return offset + bytes <= size_; }
    std::uint32_t U32(std::uint64_t o) const {
        if (!Has(o, 4)) return 0;
        std::uint32_t v;
        std::memcpy(&v, data_ + o, 4);
        return v;
    }
    std::int32_t I32(std::uint64_t o) const { return std::int32_t(U32(o)); }
    std::uint16_t U16(std::uint64_t o) const {
        if (!Has(o, 2)) return 0;
        std::uint16_t v;
        std::memcpy(&v, data_ + o, 2);
        return v;
    }
    std::int16_t I16(std::uint64_t o) const { return std::int16_t(U16(o)); }
    std::uint8_t U8(std::uint64_t o) const { return Has(o, 1) ? std::uint8_t(data_[o]) : 0; }
    float F32(std::uint64_t o) const {
        const std::uint32_t u = U32(o);
        float f;
        std::memcpy(&f, &u, 4);
        return f;
    }
    // A byte range inside the record, or nullptr when it does not fit.
    const std::uint8_t* Span(std::uint64_t offset, std::uint64_t bytes) const {
        return Has(offset, bytes) ? reinterpret_cast<const std::uint8_t*>(data_ + offset) : nullptr;
    }

private:
    const char* data_;
    std::uint32_t size_;
};

// A run of text as the players draw it, in the painter's device coordinates: the start and end
// of its baseline and its em size. The picture's text is rebuilt from these in reading order.
struct TextRun {
    QString text;
    QPointF start, end;
    double size = 0;
};

struct ParsedMetafile {
    QByteArray data;
    std::vector<RecordRef> records;
    QRectF frame;          // 0.01 mm
    QRectF bounds;         // reference device pixels
    double pxPerMmX = 96 / 25.4, pxPerMmY = 96 / 25.4;
    std::uint32_t handles = 1;
    bool plusOnly = false;  // drawing lives in EMF+ comments only
    bool dual = false;
    bool plusUnsupported = false;  // EMF+ part relies on something only the plain records draw
    // Bitmaps of blit and brush records, keyed by record offset; a second key (offset + 1)
    // holds the alpha-keeping decode used by alpha blending.
    std::unordered_map<std::uint32_t, QImage> images;

    RecordView View(const RecordRef& r) const { return RecordView(data.constData() + r.offset, r.size); }
};

}  // namespace emf::detail
