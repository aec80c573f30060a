#include "emf/player.h"

#include <QDebug>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QRawFont>
#include <QtMath>
#include <cmath>

namespace emf::detail {

void Player::Text(const RecordView& v, std::uint64_t emrtext, bool wide, std::int64_t forceChars) {
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

void Player::DrawText(QPointF ref, QString text, const std::vector<quint32>& glyphs, std::vector<double> dx, std::vector<double> dy, std::uint32_t options, const QRectF& rcl) {
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

    if (textSink_) {
        const QString said = glyphs.empty() ? text : GlyphText(QRawFont::fromFont(font), f.face, glyphs);
        textSink_->push_back({said, full.map(QPointF(x0, y0)), full.map(QPointF(x0 + width, y0)), em * devScale});
    }
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

bool Player::TextRecord(const RecordRef& r, const RecordView& v) {
    switch (r.type) {
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

        default: return false;
    }
    return true;
}
}  // namespace emf::detail
