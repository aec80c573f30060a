#include "emf/document.h"

#include <uemf.h>
#include <uemf_safe.h>

#include <cmath>

#include "emf/dib.h"
#include "emf/player.h"
#include "emf/records.h"
#include "emf/text.h"

#include <mutex>

namespace emf::detail {
namespace {

constexpr std::uint32_t kSignature = 0x464D4520;  // " EMF"
constexpr std::uint32_t kEmfPlusTag = 0x2B464D45;  // "EMF+"

class Document final : public EmfDocument {
public:
    explicit Document(ParsedMetafile m) : m_(std::move(m)) {}
    QSizeF FrameSize() const override { return m_.frame.size(); }
    void Render(QPainter& painter, const QRectF& target) const override { PlayMetafile(m_, painter, target); }
    const ParsedMetafile& Parsed() const { return m_; }
    QString Text() const override {
        std::call_once(textOnce_, [this] {
            // Played at the natural size onto a single pixel: positions are what matter, not pixels.
            QImage canvas(1, 1, QImage::Format_ARGB32_Premultiplied);
            QPainter painter(&canvas);
            std::vector<TextRun> runs;
            const QSizeF f = m_.frame.size();
            PlayMetafile(m_, painter, QRectF(0, 0, f.width() / 2540 * 96, f.height() / 2540 * 96), &runs);
            text_ = ReadingOrder(std::move(runs));
        });
        return text_;
    }

private:
    ParsedMetafile m_;
    mutable std::once_flag textOnce_;
    mutable QString text_;
};

// Decodes the bitmap a record carries at the given offset fields, if it has one.
void DecodeRecordBitmap(ParsedMetafile& m, const RecordRef& r, std::uint32_t offBmiAt, bool alphaToo) {
    const RecordView v = m.View(r);
    const std::uint32_t offBmi = v.U32(offBmiAt), cbBmi = v.U32(offBmiAt + 4);
    const std::uint32_t offBits = v.U32(offBmiAt + 8), cbBits = v.U32(offBmiAt + 12);
    if (cbBmi == 0) return;
    const std::uint8_t* bmi = v.Span(offBmi, cbBmi);
    const std::uint8_t* bits = v.Span(offBits, cbBits);
    if (!bmi || !bits) return;
    QImage img = DecodeDib(bmi, cbBmi, bits, cbBits, false);
    if (!img.isNull()) m.images.emplace(r.offset, std::move(img));
    if (alphaToo) {
        QImage a = DecodeDib(bmi, cbBmi, bits, cbBits, true);
        if (!a.isNull()) m.images.emplace(r.offset + 1, std::move(a));
    }
}

// The record types the player draws or keeps state from; others are skipped unread (and so
// are never handed to libuemf's checks, which only know some of them).
bool Played(std::uint32_t type) {
    static const std::uint32_t kPlayed[] = {
    U_EMR_ABORTPATH, U_EMR_ALPHABLEND, U_EMR_ANGLEARC, U_EMR_ARC, U_EMR_ARCTO, U_EMR_BEGINPATH, U_EMR_BITBLT,
    U_EMR_CHORD, U_EMR_CLOSEFIGURE, U_EMR_CREATEBRUSHINDIRECT, U_EMR_CREATEDIBPATTERNBRUSHPT,
    U_EMR_CREATEMONOBRUSH, U_EMR_CREATEPALETTE, U_EMR_CREATEPEN, U_EMR_DELETEOBJECT, U_EMR_ELLIPSE,
    U_EMR_ENDPATH, U_EMR_EXCLUDECLIPRECT, U_EMR_EXTCREATEFONTINDIRECTW, U_EMR_EXTCREATEPEN,
    U_EMR_EXTSELECTCLIPRGN, U_EMR_EXTTEXTOUTA, U_EMR_EXTTEXTOUTW, U_EMR_FILLPATH, U_EMR_FILLRGN,
    U_EMR_FLATTENPATH, U_EMR_FRAMERGN, U_EMR_GRADIENTFILL, U_EMR_INTERSECTCLIPRECT, U_EMR_INVERTRGN,
    U_EMR_LINETO, U_EMR_MASKBLT, U_EMR_MODIFYWORLDTRANSFORM, U_EMR_MOVETOEX, U_EMR_OFFSETCLIPRGN,
    U_EMR_PAINTRGN, U_EMR_PIE, U_EMR_POLYBEZIER, U_EMR_POLYBEZIER16, U_EMR_POLYBEZIERTO, U_EMR_POLYBEZIERTO16,
    U_EMR_POLYDRAW, U_EMR_POLYDRAW16, U_EMR_POLYGON, U_EMR_POLYGON16, U_EMR_POLYLINE, U_EMR_POLYLINE16,
    U_EMR_POLYLINETO, U_EMR_POLYLINETO16, U_EMR_POLYPOLYGON, U_EMR_POLYPOLYGON16, U_EMR_POLYPOLYLINE,
    U_EMR_POLYPOLYLINE16, U_EMR_POLYTEXTOUTA, U_EMR_POLYTEXTOUTW, U_EMR_RECTANGLE, U_EMR_RESTOREDC,
    U_EMR_ROUNDRECT, U_EMR_SAVEDC, U_EMR_SCALEVIEWPORTEXTEX, U_EMR_SCALEWINDOWEXTEX, U_EMR_SELECTCLIPPATH,
    U_EMR_SELECTOBJECT, U_EMR_SETARCDIRECTION, U_EMR_SETBKCOLOR, U_EMR_SETBKMODE, U_EMR_SETDIBITSTODEVICE,
    U_EMR_SETMAPMODE, U_EMR_SETMITERLIMIT, U_EMR_SETPIXELV, U_EMR_SETPOLYFILLMODE, U_EMR_SETROP2,
    U_EMR_SETTEXTALIGN, U_EMR_SETTEXTCOLOR, U_EMR_SETVIEWPORTEXTEX, U_EMR_SETVIEWPORTORGEX,
    U_EMR_SETWINDOWEXTEX, U_EMR_SETWINDOWORGEX, U_EMR_SETWORLDTRANSFORM, U_EMR_SMALLTEXTOUT, U_EMR_STRETCHBLT,
    U_EMR_STRETCHDIBITS, U_EMR_STROKEANDFILLPATH, U_EMR_STROKEPATH, U_EMR_TRANSPARENTBLT, U_EMR_WIDENPATH,
    U_EMR_COMMENT, U_EMR_HEADER, U_EMR_EOF};
    for (std::uint32_t t : kPlayed)
        if (t == type) return true;
    return false;
}

// Whether an EMF+ comment holds a picture object that is an old-style (WMF) metafile, which only
// the plain records draw.
bool EmbedsWmf(const RecordView& v) {
    const std::uint32_t cb = v.U32(8);
    std::uint64_t at = 16;
    const std::uint64_t end = std::min<std::uint64_t>(v.Size(), 12ull + cb);
    while (at + 12 <= end) {
        const std::uint16_t type = v.U16(at), flags = v.U16(at + 2);
        const std::uint32_t size = v.U32(at + 4);
        if (size < 12) break;
        if (type == 0x4008 && ((flags >> 8) & 0x7f) == 5) {
            const std::uint64_t obj = at + 12 + ((flags & 0x8000) ? 4 : 0);
            if (v.U32(obj + 4) == 2 && (v.U32(obj + 8) == 1 || v.U32(obj + 8) == 2)) return true;
        }
        at += size;
    }
    return false;
}

[[noreturn]] void Refuse(ErrorCode code, std::int64_t offset = -1, std::uint32_t type = 0, std::uint32_t size = 0,
                        QSizeF frame = {}) {
    throw EmfError(LoadError{code, offset, type, size, frame});
}

}  // namespace

std::shared_ptr<const EmfDocument> EmfDocument::Parse(const QByteArray& data, const Limits& limits) {
    const std::int64_t length = data.size();
    if (length < 88) Refuse(ErrorCode::NotEmf);
    ParsedMetafile m;
    m.data = data;
    const char* base = m.data.constData();
    const RecordView header(base, std::uint32_t(std::min<std::int64_t>(length, 0xffffffff)));
    if (header.U32(0) != U_EMR_HEADER || header.U32(40) != kSignature) Refuse(ErrorCode::NotEmf);
    const std::uint32_t headerSize = header.U32(4);
    if (headerSize < 88 || headerSize % 4 || headerSize > length) Refuse(ErrorCode::Truncated, 0, U_EMR_HEADER, headerSize);

    const double fl = header.I32(24), ft = header.I32(28), fr = header.I32(32), fb = header.I32(36);
    m.frame = QRectF(std::min(fl, fr), std::min(ft, fb), std::abs(fr - fl), std::abs(fb - ft));
    // Before anything is sized from the frame.
    const double maxSide = limits.maxFrameSide;
    if (maxSide > 0 && (m.frame.width() > maxSide || m.frame.height() > maxSide))
        Refuse(ErrorCode::FrameTooLarge, 0, U_EMR_HEADER, headerSize, m.frame.size());
    if (m.frame.width() < 1 || m.frame.height() < 1) Refuse(ErrorCode::FrameEmpty, 0, U_EMR_HEADER, headerSize, m.frame.size());
    // Inclusive bounds: the far edge is one past the last pixel (in real numbers, as it may be INT_MAX).
    m.bounds = QRectF(QPointF(header.I32(8), header.I32(12)), QPointF(header.I32(16) + 1.0, header.I32(20) + 1.0));
    m.handles = std::max<std::uint32_t>(1, header.U16(56));  // nHandles; 52 holds nRecords

    // Reference device resolution. Playback relates the frame to device units through the whole
    // millimetres of the header, not the finer micrometre extension: writers that fill both
    // disagree by a few per cent, and the pictures line up with the former. The micrometres
    // serve only when the millimetres are missing.
    const double devW = header.I32(72), devH = header.I32(76);
    double mmW = header.I32(80), mmH = header.I32(84);
    // The extension fields exist only when the description does not start where they would be.
    const std::uint32_t nDesc = header.U32(60), offDesc = header.U32(64);
    const std::uint32_t extEnd = nDesc && offDesc >= 88 ? std::min(headerSize, offDesc) : headerSize;
    if ((mmW <= 0 || mmH <= 0) && extEnd >= 108 && header.I32(100) > 0 && header.I32(104) > 0) {
        mmW = header.I32(100) / 1000.0;
        mmH = header.I32(104) / 1000.0;
    }
    if (devW > 0 && devH > 0 && mmW > 0 && mmH > 0) {
        const double px = devW / mmW, py = devH / mmH;
        if (px > 0.01 && px < 1000 && py > 0.01 && py < 1000) m.pxPerMmX = px, m.pxPerMmY = py;
    }

    bool sawPlus = false, sawDrawing = false, sawEof = false;
    std::int64_t offset = 0;
    while (offset + 8 <= length) {
        std::uint32_t type, size;
        std::memcpy(&type, base + offset, 4);
        std::memcpy(&size, base + offset + 4, 4);
        if (size < 8 || size % 4) Refuse(ErrorCode::Damaged, offset, type, size);
        if (offset + size > length) Refuse(ErrorCode::Truncated, offset, type, size);
        if (offset == 0 && type != U_EMR_HEADER) Refuse(ErrorCode::NotEmf);
        // libuemf's checks for the record's own size and its internal offsets; a record that
        // fails them is dropped rather than trusted.
        if (Played(type) && U_emf_record_safe(base + offset)) {
            const RecordRef r{type, std::uint32_t(offset), size};
            m.records.push_back(r);
            if (type == U_EMR_COMMENT) {
                const RecordView v = m.View(r);
                if (v.U32(12) == kEmfPlusTag) {
                    sawPlus = true;
                    if (EmbedsWmf(v)) m.plusUnsupported = true;
                }
            } else if (type != U_EMR_HEADER && type != U_EMR_EOF) {
                sawDrawing = true;
            }
            switch (type) {
                case U_EMR_BITBLT:
                case U_EMR_STRETCHBLT:
                case U_EMR_MASKBLT:
                case U_EMR_TRANSPARENTBLT: DecodeRecordBitmap(m, r, 84, false); break;
                case U_EMR_ALPHABLEND: DecodeRecordBitmap(m, r, 84, true); break;
                case U_EMR_SETDIBITSTODEVICE:
                case U_EMR_STRETCHDIBITS: DecodeRecordBitmap(m, r, 48, false); break;
                case U_EMR_CREATEMONOBRUSH:
                case U_EMR_CREATEDIBPATTERNBRUSHPT: DecodeRecordBitmap(m, r, 16, false); break;
                case U_EMR_EXTCREATEPEN: DecodeRecordBitmap(m, r, 12, false); break;
                default: break;
            }
        }
        offset += size;
        if (type == U_EMR_EOF) {
            sawEof = true;
            break;
        }
    }
    (void)sawEof;  // a missing end record is harmless: everything before it is whole
    m.plusOnly = sawPlus && !sawDrawing;
    m.dual = sawPlus && sawDrawing;
    return std::make_shared<Document>(std::move(m));
}

}  // namespace emf::detail
