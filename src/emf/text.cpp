#include "emf/text.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace emf::detail {

namespace {

struct Line {
    double y = 0, size = 0;
    std::vector<TextRun> runs;
};

// Where a run ends along its baseline; a run drawn glyph by glyph may not say, so its length
// in average characters stands in.
double EndX(const TextRun& r) {
    return r.end.x() > r.start.x() ? r.end.x() : r.start.x() + 0.5 * r.size * r.text.size();
}

QString JoinLine(Line& line) {
    std::sort(line.runs.begin(), line.runs.end(),
              [](const TextRun& a, const TextRun& b) { return a.start.x() < b.start.x(); });
    QString out;
    double prevEnd = 0;
    for (const TextRun& r : line.runs) {
        if (!out.isEmpty()) {
            const double gap = r.start.x() - prevEnd;
            // Far apart on one baseline: two columns or a table, each cell its own line.
            if (gap > 4 * line.size) out += QLatin1Char('\n');
            else if (gap > 0.2 * line.size && !out.back().isSpace() && !r.text.front().isSpace()) out += QLatin1Char(' ');
        }
        out += r.text;
        prevEnd = std::max(prevEnd, EndX(r));
    }
    static const QRegularExpression spaces(QStringLiteral("[ \\t]{2,}"));
    out.replace(spaces, QStringLiteral(" "));
    return out.trimmed();
}

}  // namespace

QString ReadingOrder(std::vector<TextRun> runs) {
    // Control characters say nothing aloud; runs of nothing but spaces neither. A run drawn twice
    // at the same place (a shadow, an outline) is read once.
    std::vector<TextRun> kept;
    for (TextRun& r : runs) {
        for (QChar& c : r.text)
            if (c.unicode() < 0x20 || c.unicode() == 0xFFFF) c = QLatin1Char(' ');
        if (r.text.trimmed().isEmpty() || !std::isfinite(r.start.x()) || !std::isfinite(r.start.y())) continue;
        if (!(r.size > 0) || !std::isfinite(r.size)) r.size = 1;
        const bool twice = std::any_of(kept.begin(), kept.end(), [&](const TextRun& k) {
            return k.text == r.text && std::abs(k.start.x() - r.start.x()) < 0.3 * r.size &&
                   std::abs(k.start.y() - r.start.y()) < 0.3 * r.size;
        });
        if (!twice) kept.push_back(std::move(r));
    }
    std::stable_sort(kept.begin(), kept.end(), [](const TextRun& a, const TextRun& b) { return a.start.y() < b.start.y(); });

    std::vector<Line> lines;
    for (TextRun& r : kept) {
        if (!lines.empty() && std::abs(r.start.y() - lines.back().y) <= 0.4 * std::max(r.size, lines.back().size)) {
            lines.back().size = std::max(lines.back().size, r.size);
            lines.back().runs.push_back(std::move(r));
        } else {
            lines.push_back(Line{r.start.y(), r.size, {}});
            lines.back().runs.push_back(std::move(r));
        }
    }
    QString text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const QString line = JoinLine(lines[i]);
        if (line.isEmpty()) continue;
        if (!text.isEmpty()) {
            const double gap = lines[i].y - lines[i - 1].y;
            text += gap > 1.9 * std::max(lines[i].size, lines[i - 1].size) ? QStringLiteral("\n\n") : QStringLiteral("\n");
        }
        text += line;
    }
    return text;
}

}  // namespace emf::detail
