#include "course_window/texte_parle.h"

#include <QHash>
#include <QRegularExpression>

#include <utility>
#include <vector>

namespace {

struct Remplacement {
    const char* motif;
    QString par;
};

// In this order. Unicode-aware, so that the no-break spaces of French typography count as spaces.
const Remplacement kRemplacements[] = {
    // A score or a fraction reads as it is said: "15/20" is "15 sur 20".
    {R"((\d)\s*/\s*(\d))", QStringLiteral("\\1 sur \\2")},
    {"…", QStringLiteral(".")},
    {R"(\bTél\.\s*:?\s*)", QStringLiteral("Téléphone ")},
    // A slide's lines: a line that goes on in lower case continues its sentence; any other ends one.
    {R"([ \t]*\n[ \t]*(?=\p{Ll}))", QStringLiteral(" ")},
    {R"(([^.!?:;,\s])[ \t]*\n)", QStringLiteral("\\1.\n")},
    // A minus sign on its own ("la borne - ;", "la borne - à") is said as one, before dashes between
    // words ("Strasbourg - France") become pauses.
    {R"((?<=\s)-(?=\s*[,.;:!?)]|\s*$|\s+\p{Ll}))", QStringLiteral("moins")},
    // Signs a screen reader would name: a pause instead, or nothing.
    {R"(\s*[;:]\s*)", QStringLiteral(", ")},
    {R"(\s+[-–—]\s+|[–—])", QStringLiteral(", ")},
    {R"([()\[\]{}•·])", QStringLiteral(", ")},
    {R"([«»"“”/\\*_#|~])", QStringLiteral(" ")},
    {"%", QStringLiteral(" pour cent")},
    // Addresses, as one reads them out.
    {"@", QStringLiteral(" arobase ")},
    {"©", QStringLiteral("copyright ")},
    {R"((?<=\p{L})\.(?=\p{L}))", QStringLiteral(" point ")},
    {R"(\s+)", QStringLiteral(" ")},
    {R"(\s+([,.!?]))", QStringLiteral("\\1")},
    {R"(,+([,.!?]))", QStringLiteral("\\1")},
    {R"(\.{2,})", QStringLiteral(".")},
    {R"(([.!?])\s*,)", QStringLiteral("\\1")},
    {R"(^[,.\s]+|[,\s]+$)", QString()},
};

// Compiled once: every question and answer goes through them.
const std::vector<std::pair<QRegularExpression, QString>>& Remplacements() {
    static const std::vector<std::pair<QRegularExpression, QString>> compiles = [] {
        std::vector<std::pair<QRegularExpression, QString>> v;
        for (const Remplacement& r : kRemplacements)
            v.emplace_back(QRegularExpression(QString::fromUtf8(r.motif), QRegularExpression::UseUnicodePropertiesOption), r.par);
        return v;
    }();
    return compiles;
}

}  // namespace

QString TexteParle(const QString& texte) {
    // The same texts come back again and again (a slide at each visit of its page, the score, the
    // answers of a question asked again): each is worked out once, the twenty passes kept for new ones.
    constexpr qsizetype kRetenus = 512;
    thread_local QHash<QString, QString> dits;
    if (const auto it = dits.constFind(texte); it != dits.cend()) return *it;
    QString t = texte;
    for (const auto& [motif, par] : Remplacements()) t.replace(motif, par);
    if (dits.size() >= kRetenus) dits.clear();
    dits.insert(texte, t);
    return t;
}
