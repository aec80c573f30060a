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
    if (textSink_) {
        const double baseline = layout.y() + em;
        textSink_->push_back({text, full.map(QPointF(layout.x(), baseline)),
                              full.map(QPointF(layout.x() + std::max(0.0, layout.width()), baseline)), em * devScale});
    }
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
    if (textSink_ && !pos.isEmpty()) {
        const QTransform toDevice = QTransform::fromScale(k, k) * full;
        std::vector<quint32> writerGlyphs;
        for (std::uint32_t i = 0; i < count; ++i) writerGlyphs.push_back(d.U16(16 + 2ull * i));
        const QString said = options & 1 ? SymbolText(font.symbols, text) : GlyphText(raw, font.face, writerGlyphs);
        const QPointF last = pos.back() + QPointF(raw.advancesForGlyphIndexes({ids.back()}).value(0).x(), 0);
        textSink_->push_back({said, toDevice.map(pos.front()), toDevice.map(last), em * std::sqrt(std::abs(full.determinant()))});
    }
    QGlyphRun run;
    run.setRawFont(raw);
    run.setGlyphIndexes(ids);
    run.setPositions(pos);
    p_.setTransform(QTransform::fromScale(k, k) * full);
    p_.setPen(QPen(brush, 0));
    DrawGlyphs(p_, run);
}

}  // namespace emf::detail
