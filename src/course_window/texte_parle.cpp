#include "course_window/texte_parle.h"

#include <QRegularExpression>

namespace {

// Unicode-aware, so that the no-break spaces of French typography count as spaces.
void Remplacer(QString& t, const char* motif, const QString& par) {
    t.replace(QRegularExpression(QString::fromUtf8(motif), QRegularExpression::UseUnicodePropertiesOption), par);
}

}  // namespace

QString TexteParle(const QString& texte) {
    QString t = texte;
    // A score or a fraction reads as it is said: "15/20" is "15 sur 20".
    Remplacer(t, R"((\d)\s*/\s*(\d))", QStringLiteral("\\1 sur \\2"));
    Remplacer(t, "…", QStringLiteral("."));
    Remplacer(t, R"(\bTél\.\s*:?\s*)", QStringLiteral("Téléphone "));
    // A slide's lines: a line that goes on in lower case continues its sentence; any other ends one.
    Remplacer(t, R"([ \t]*\n[ \t]*(?=\p{Ll}))", QStringLiteral(" "));
    Remplacer(t, R"(([^.!?:;,\s])[ \t]*\n)", QStringLiteral("\\1.\n"));
    // A minus sign on its own ("la borne - ;", "la borne - à") is said as one, before dashes between
    // words ("Strasbourg - France") become pauses.
    Remplacer(t, R"((?<=\s)-(?=\s*[,.;:!?)]|\s*$|\s+\p{Ll}))", QStringLiteral("moins"));
    // Signs a screen reader would name: a pause instead, or nothing.
    Remplacer(t, R"(\s*[;:]\s*)", QStringLiteral(", "));
    Remplacer(t, R"(\s+[-–—]\s+|[–—])", QStringLiteral(", "));
    Remplacer(t, R"([()\[\]{}•·])", QStringLiteral(", "));
    Remplacer(t, R"([«»"“”/\\*_#|~])", QStringLiteral(" "));
    Remplacer(t, "%", QStringLiteral(" pour cent"));
    // Addresses, as one reads them out.
    Remplacer(t, "@", QStringLiteral(" arobase "));
    Remplacer(t, "©", QStringLiteral("copyright "));
    Remplacer(t, R"((?<=\p{L})\.(?=\p{L}))", QStringLiteral(" point "));
    Remplacer(t, R"(\s+)", QStringLiteral(" "));
    Remplacer(t, R"(\s+([,.!?]))", QStringLiteral("\\1"));
    Remplacer(t, R"(,+([,.!?]))", QStringLiteral("\\1"));
    Remplacer(t, R"(\.{2,})", QStringLiteral("."));
    Remplacer(t, R"(([.!?])\s*,)", QStringLiteral("\\1"));
    Remplacer(t, R"(^[,.\s]+|[,\s]+$)", QString());
    return t;
}
