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

// One run of text as it will be drawn: where it sits on the page, its font at the device's size,
// and where each character and the run itself start. Lengths are in logical units unless named.
struct Player::TextLayout {
    QTransform frame;      // x along the baseline, y down the glyphs, at the reference point
    QTransform full;       // the frame onto the device
    double sx = 1, sy = 1;  // the length of a logical unit along x and y, on the page
    double em = 0;          // the font's size
    double devScale = 1;    // device pixels per logical unit, along the text
    double k = 1;           // logical units per font pixel
    QFont font;             // at a whole number of pixels
    bool haveDx = false;    // the record places each character itself
    QVector<QPointF> pos;   // where each code unit starts, when it does
    double width = 0, rise = 0;  // the run's advance
    double x0 = 0, y0 = 0;       // where the run starts, after alignment
};

namespace {

// A symbol font's slots as the characters they picture. A slot whose picture lies outside the
// basic plane takes two code units; the second one advances nothing, so the spacing of the
// following slots stays theirs.
void MapSymbolSlots(SymbolSet set, QString& text, std::vector<double>& dx, std::vector<double>& dy) {
    QString mapped;
    std::vector<double> mdx, mdy;
    for (int i = 0; i < text.size(); ++i) {
        const QString one = SymbolText(set, QString(text[i]));
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

}  // namespace

void Player::DrawText(QPointF ref, QString text, const std::vector<quint32>& glyphs, std::vector<double> dx,
                      std::vector<double> dy, std::uint32_t options, const QRectF& rcl) {
    if (inPath_ || Nop()) return;
    T();  // the transform and its scale up to date, as for every drawing record, text or none
    if (options & U_ETO_OPAQUE && !rcl.isEmpty()) FillTextBox(rcl);
    if (text.isEmpty()) return;
    const Font& f = *dc_.font;
    if (f.symbols != SymbolSet::None && glyphs.empty()) MapSymbolSlots(f.symbols, text, dx, dy);
    const bool updateCp = dc_.textAlign & U_TA_UPDATECP;
    if (updateCp) ref = dc_.cur;

    TextLayout l;
    if (!PlaceTextFrame(ref, l) || !SizeTextFont(l)) return;
    AdvanceText(text, glyphs, dx, dy, l);
    AlignText(l);
    if (textSink_) {
        const QString said = glyphs.empty() ? text : GlyphText(QRawFont::fromFont(l.font), f.face, glyphs);
        textSink_->push_back({said, l.full.map(QPointF(l.x0, l.y0)), l.full.map(QPointF(l.x0 + l.width, l.y0)),
                              l.em * l.devScale});
    }
    PaintText(l, text, glyphs, options, rcl);
    if (updateCp) {
        // The current position moves to the end of the run, along the text's own axes.
        bool ok = false;
        const QTransform back = T().inverted(&ok);
        if (ok) dc_.cur = back.map(l.frame.map(QPointF(l.width, l.rise)));
    }
}

void Player::FillTextBox(const QRectF& rcl) {
    UseLogical();
    const QTransform m = p_.transform();
    if (m.type() > QTransform::TxScale) {
        p_.fillRect(rcl, dc_.bkColor);
        return;
    }
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
}

bool Player::PlaceTextFrame(QPointF ref, TextLayout& l) {
    const QTransform& t = T();
    const QPointF o = t.map(ref);
    const QPointF ux = t.map(ref + QPointF(1, 0)) - o;
    const QPointF uy = t.map(ref + QPointF(0, 1)) - o;
    l.sx = std::hypot(ux.x(), ux.y());
    l.sy = std::hypot(uy.x(), uy.y());
    if (l.sx <= 0 || l.sy <= 0 || !Finite(l.sx) || !Finite(l.sy)) return false;
    const QPointF dirx = ux / l.sx;
    const QPointF diry(-dirx.y(), dirx.x());  // a quarter turn clockwise on screen
    l.frame = QTransform(dirx.x() * l.sx, dirx.y() * l.sx, diry.x() * l.sy, diry.y() * l.sy, o.x(), o.y());
    const double esc = dc_.font->escapement / 10.0;
    // Escapement turns counter-clockwise on the device, except that a window extent pointing up
    // turns it the other way (as the reference renderer reads these files).
    const bool windowUp = (dc_.mapMode == U_MM_ISOTROPIC || dc_.mapMode == U_MM_ANISOTROPIC) && dc_.winExt.height() < 0;
    if (esc != 0) l.frame = QTransform().rotate(windowUp ? esc : -esc) * l.frame;
    return true;
}

bool Player::SizeTextFont(TextLayout& l) {
    const Font& f = *dc_.font;
    l.em = f.height < 0 ? -f.height : f.height > 0 ? f.height * f.cellToEm : 12 / l.sy * 1.0;
    if (l.em <= 0 || !Finite(l.em)) return false;
    l.full = l.frame * devBase_;
    const double unit = std::sqrt(l.sx * l.sy);
    l.devScale = std::sqrt(std::abs(l.full.determinant())) / std::max(1e-9, unit) * unit;
    // Drawn at a whole number of pixels, then scaled to the exact size.
    const int px = std::clamp(int(std::lround(l.em * l.devScale)), 1, 2000);
    l.k = l.em / px;
    l.font = f.qfont;
    l.font.setPixelSize(px);
    return true;
}

void Player::AdvanceText(const QString& text, const std::vector<quint32>& glyphs, const std::vector<double>& dx,
                         const std::vector<double>& dy, TextLayout& l) {
    // The dx array when given, the font's own advances otherwise.
    l.haveDx = !dx.empty();
    if (!l.haveDx) {
        l.width = (glyphs.empty() ? QFontMetricsF(l.font).horizontalAdvance(text) : 0) * l.k;
        return;
    }
    double x = 0, y = 0;
    for (int i = 0; i < text.size(); ++i) {
        l.pos.push_back(QPointF(x, y));
        if (std::size_t(i) < dx.size()) x += dx[i], y -= dy[i];
    }
    l.width = x;
    l.rise = y;
}

void Player::AlignText(TextLayout& l) const {
    switch (dc_.textAlign & (U_TA_CENTER | U_TA_RIGHT)) {
        case U_TA_CENTER: l.x0 = -l.width / 2; break;
        case U_TA_RIGHT: l.x0 = -l.width; break;
        default: l.x0 = 0; break;
    }
    const QFontMetricsF fm(l.font);
    if ((dc_.textAlign & U_TA_BASELINE) == U_TA_BASELINE) l.y0 = 0;
    else if (dc_.textAlign & U_TA_BOTTOM) l.y0 = -fm.descent() * l.k;
    else l.y0 = fm.ascent() * l.k;
}

void Player::PaintText(const TextLayout& l, const QString& text, const std::vector<quint32>& glyphs,
                       std::uint32_t options, const QRectF& rcl) {
    p_.setTransform(l.full);
    const bool clipped = options & U_ETO_CLIPPED && !rcl.isEmpty();
    if (clipped) {
        p_.save();
        p_.setTransform(T() * devBase_);
        p_.setClipRect(rcl, Qt::IntersectClip);
        p_.setTransform(l.full);
    }
    if (dc_.bkMode == U_OPAQUE && !(options & U_ETO_OPAQUE) && dc_.bkColor != Qt::white) {
        const QFontMetricsF fm(l.font);
        p_.fillRect(QRectF(l.x0, l.y0 - fm.ascent() * l.k, l.width, (fm.ascent() + fm.descent()) * l.k), dc_.bkColor);
    }
    // From here on, in font pixels.
    p_.scale(l.k, l.k);
    p_.setFont(l.font);
    p_.setPen(dc_.textColor);
    const QPointF origin(l.x0 / l.k, l.y0 / l.k);
    if (!glyphs.empty()) PaintGlyphIndexes(l, glyphs, origin);
    else if (l.haveDx) PaintPlacedCharacters(l, text, origin);
    else DrawTextAt(p_, origin, text);
    if (clipped) p_.restore();
}

void Player::PaintGlyphIndexes(const TextLayout& l, const std::vector<quint32>& glyphs, QPointF origin) {
    // Glyph indices of the writer's font; the metric-compatible face has the same order for the
    // common glyphs.
    const Font& f = *dc_.font;
    QRawFont raw = QRawFont::fromFont(l.font);
    QVector<quint32> ids(glyphs.begin(), glyphs.end());
    for (quint32& id : ids) id = StandInGlyph(raw, f.face, id);
    QVector<QPointF> gp;
    if (l.haveDx) {
        for (const QPointF& q : l.pos) gp.push_back(QPointF(origin.x() + q.x() / l.k, origin.y() + q.y() / l.k));
    } else {
        QVector<QPointF> adv = raw.advancesForGlyphIndexes(ids);
        double x = 0;
        for (const QPointF& a : adv) gp.push_back(QPointF(origin.x() + x, origin.y())), x += a.x();
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
}

void Player::PaintPlacedCharacters(const TextLayout& l, const QString& text, QPointF origin) {
    // The raw font path is faster when the face has every glyph; otherwise one character (or
    // surrogate pair) at a time at its given place.
    const Font& f = *dc_.font;
    QRawFont raw = QRawFont::fromFont(l.font);
    QVector<quint32> ids = raw.glyphIndexesForString(text);
    bool complete = ids.size() == text.size();
    for (quint32 id : ids) complete = complete && id != 0;
    if (complete && !f.underline && !f.strike) {
        QVector<QPointF> gp;
        for (const QPointF& q : l.pos) gp.push_back(QPointF(origin.x() + q.x() / l.k, origin.y() + q.y() / l.k));
        QGlyphRun run;
        run.setRawFont(raw);
        run.setGlyphIndexes(ids);
        run.setPositions(gp);
        DrawGlyphs(p_, run);
        return;
    }
    for (int i = 0; i < text.size(); ++i) {
        int n = 1;
        if (text[i].isHighSurrogate() && i + 1 < text.size()) n = 2;
        const QString s = text.mid(i, n);
        if (s != " ") DrawTextAt(p_, QPointF(origin.x() + l.pos[i].x() / l.k, origin.y() + l.pos[i].y() / l.k), s);
        i += n - 1;
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
