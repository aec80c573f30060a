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

QRectF PlusPlayer::RectAt(const RecordView& d, std::uint64_t at, bool compressed) {
    if (compressed) return QRectF(d.I16(at), d.I16(at + 2), d.I16(at + 4), d.I16(at + 6));
    const double x = d.F32(at), y = d.F32(at + 4), w = d.F32(at + 8), h = d.F32(at + 12);
    if (!Ok(x) || !Ok(y) || !Ok(w) || !Ok(h)) return {};
    return QRectF(x, y, w, h);
}

void PlusPlayer::Record(int type, int flags, const RecordView& d) {
    if (type != 0x4004 && type != 0x4003 && type != 0x4001) getDc_ = false;
    const int id = flags & 0xff;
    if (DrawRecord(type, flags, d)) return;
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

}  // namespace emf::detail
