// The text an HTML fragment shows, for texts written in HTML in a questions file, read the way a
// browser reads a page's text so that the lesson shows what Moodle's page shows.

#include "content/texte_html.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iterator>

namespace content {

namespace {

struct Entite {
    const char* nom;
    const char* valeur;  // UTF-8
};

constexpr Entite kEntites[] = {
#include "html_entities.inc"
};

// Kept apart from the text's own line breaks, which fold into spaces: a <br>, and the edge of a
// paragraph, which shows as a line break only between two texts.
constexpr char16_t kSaut = u'\u2028';
constexpr char16_t kBloc = u'\u2029';

const Entite* Trouver(const QByteArray& nom) {
    const Entite* fin = std::end(kEntites);
    const Entite* it = std::lower_bound(std::begin(kEntites), fin, nom,
                                        [](const Entite& e, const QByteArray& n) { return std::strcmp(e.nom, n.constData()) < 0; });
    return it != fin && nom == it->nom ? it : nullptr;
}

// A numeric reference as a browser takes it: the Windows-1252 meaning for 128 to 159, since pages
// pasted from Windows carry them; U+FFFD for what names no character.
QString Caractere(uint code) {
    static const char16_t kWindows1252[32] = {
        u'€', 0x81, u'‚', u'ƒ', u'„', u'…', u'†', u'‡', u'ˆ', u'‰', u'Š', u'‹', u'Œ', 0x8D, u'Ž', 0x8F,
        0x90, u'‘', u'’', u'“', u'”', u'•', u'–', u'—', u'˜', u'™', u'š', u'›', u'œ', 0x9D, u'ž', u'Ÿ'};
    if (code >= 0x80 && code <= 0x9F) return QString(QChar(kWindows1252[code - 0x80]));
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return QString(QChar(u'\uFFFD'));
    const char32_t c = code;
    return QString::fromUcs4(&c, 1);
}

// The reference that starts at s[i] (an '&'), decoded, and its length in s; 0 when it is a plain '&'.
qsizetype Reference(QStringView s, qsizetype i, QString& texte) {
    qsizetype j = i + 1;
    if (j < s.size() && s[j] == u'#') {
        const bool hexa = j + 1 < s.size() && (s[j + 1] == u'x' || s[j + 1] == u'X');
        qsizetype k = j + (hexa ? 2 : 1);
        const qsizetype debut = k;
        while (k < s.size() && s[k].unicode() < 128 && (hexa ? std::isxdigit(s[k].unicode()) : std::isdigit(s[k].unicode()))) ++k;
        if (k == debut) return 0;
        bool ok = false;
        // Too many digits is out of range, as a browser reads it.
        const uint code = k - debut > 8 ? 0x110000 : s.mid(debut, k - debut).toUInt(&ok, hexa ? 16 : 10);
        texte = Caractere(ok ? code : 0x110000);
        if (k < s.size() && s[k] == u';') ++k;
        return k - i;
    }
    while (j < s.size() && s[j].unicode() < 128 && std::isalnum(s[j].unicode())) ++j;
    const QByteArray nom = s.mid(i + 1, j - i - 1).toLatin1();
    if (nom.isEmpty()) return 0;
    if (j < s.size() && s[j] == u';') {
        if (const Entite* e = Trouver(nom + ';')) {
            texte = QString::fromUtf8(e->valeur);
            return j + 1 - i;
        }
    }
    // The older names are read without their ";" too, the longest that fits.
    for (qsizetype n = nom.size(); n >= 2; --n) {
        if (const Entite* e = Trouver(nom.left(n))) {
            texte = QString::fromUtf8(e->valeur);
            return n + 1;
        }
    }
    return 0;
}

// Sub- and superscript forms that Unicode has and the lesson's font draws.
QChar Indice(QChar c, bool haut) {
    static const QHash<QChar, QChar> bas{
        {u'0', u'₀'}, {u'1', u'₁'}, {u'2', u'₂'}, {u'3', u'₃'}, {u'4', u'₄'}, {u'5', u'₅'}, {u'6', u'₆'},
        {u'7', u'₇'}, {u'8', u'₈'}, {u'9', u'₉'}, {u'+', u'₊'}, {u'-', u'₋'}, {u'−', u'₋'}, {u'=', u'₌'},
        {u'(', u'₍'}, {u')', u'₎'}, {u'a', u'ₐ'}, {u'e', u'ₑ'}, {u'o', u'ₒ'}, {u'x', u'ₓ'}, {u'h', u'ₕ'},
        {u'k', u'ₖ'}, {u'l', u'ₗ'}, {u'm', u'ₘ'}, {u'n', u'ₙ'}, {u'p', u'ₚ'}, {u's', u'ₛ'}, {u't', u'ₜ'},
        {u'i', u'ᵢ'}, {u'j', u'ⱼ'}, {u'r', u'ᵣ'}, {u'u', u'ᵤ'}, {u'v', u'ᵥ'}, {u' ', u' '}};
    static const QHash<QChar, QChar> hauts{
        {u'0', u'⁰'}, {u'1', u'¹'}, {u'2', u'²'}, {u'3', u'³'}, {u'4', u'⁴'}, {u'5', u'⁵'}, {u'6', u'⁶'},
        {u'7', u'⁷'}, {u'8', u'⁸'}, {u'9', u'⁹'}, {u'+', u'⁺'}, {u'-', u'⁻'}, {u'−', u'⁻'}, {u'=', u'⁼'},
        {u'(', u'⁽'}, {u')', u'⁾'}, {u'n', u'ⁿ'}, {u'i', u'ⁱ'}, {u' ', u' '}};
    return (haut ? hauts : bas).value(c, QChar());
}

bool Lettre(QChar c) { return c.unicode() < 128 && std::isalpha(c.unicode()); }

struct Balise {
    QString nom;  // lower case
    bool fermante = false;
    QString attributs;
    qsizetype longueur = 0;  // in the source, '<' to '>' included; 0 when no '>' ends it
};

// s[i] is a '<' followed by a letter, or by '/' and a letter.
Balise LireBalise(QStringView s, qsizetype i) {
    Balise b;
    qsizetype j = i + 1;
    if (s[j] == u'/') {
        b.fermante = true;
        ++j;
    }
    const qsizetype debut = j;
    while (j < s.size() && s[j].unicode() < 128 && std::isalnum(s[j].unicode())) ++j;
    b.nom = s.mid(debut, j - debut).toString().toLower();
    QChar guillemet;
    const qsizetype attributs = j;
    for (; j < s.size(); ++j) {
        if (!guillemet.isNull()) {
            if (s[j] == guillemet) guillemet = QChar();
        } else if (s[j] == u'"' || s[j] == u'\'') {
            guillemet = s[j];
        } else if (s[j] == u'>') {
            b.attributs = s.mid(attributs, j - attributs).toString().trimmed();
            if (b.attributs.endsWith(u'/')) b.attributs.chop(1);
            b.longueur = j + 1 - i;
            break;
        }
    }
    return b;
}

// Attributes that change nothing in plain text: language, direction, names for style sheets, and the
// left alignment Moodle's editor writes on every paragraph.
bool SansEffet(const QString& attributs) {
    static const QRegularExpression attribut(
        QStringLiteral(R"(^\s*(?:(?:dir|lang|xml:lang|class|id)\s*=\s*(?:"[^"]*"|'[^']*'|[^\s"'>]+)|)"
                       R"(style\s*=\s*(["'])\s*(?:text-align\s*:\s*(?:left|start)\s*;?\s*)*\1)\s*)"),
        QRegularExpression::CaseInsensitiveOption);
    QString reste = attributs;
    while (!reste.trimmed().isEmpty()) {
        const QRegularExpressionMatch m = attribut.match(reste);
        if (!m.hasMatch() || m.capturedLength() == 0) return false;
        reste.remove(0, m.capturedLength());
    }
    return true;
}

// White space folded as a browser folds it; the line breaks of <br> and of paragraphs made real.
QString Plier(const QString& brut) {
    QString plie;
    bool blanc = false;
    for (QChar c : brut) {
        if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f') {
            blanc = true;
            continue;
        }
        const bool saut = c == kSaut || c == kBloc;
        if (saut) {
            // A paragraph's edge after another, or at either end, shows nothing more.
            if (c == kBloc && (plie.isEmpty() || plie.endsWith(kBloc) || plie.endsWith(kSaut))) {
                blanc = false;
                continue;
            }
        } else if (blanc && !plie.isEmpty() && !plie.endsWith(kSaut) && !plie.endsWith(kBloc)) {
            plie += u' ';
        }
        blanc = false;
        plie += c;
    }
    while (plie.endsWith(kBloc)) plie.chop(1);
    plie.replace(kSaut, u'\n');
    plie.replace(kBloc, u'\n');
    return plie;
}

}  // namespace

TexteHtml LireHtml(const QString& html) {
    const QStringView s(html);
    TexteHtml lu;
    QString brut;
    QString indice;  // "sub" or "sup" while inside one
    qsizetype debutIndice = 0;
    auto ajouter = [&](const QString& texte) {
        if (indice.isEmpty()) {
            brut += texte;
            return true;
        }
        for (QChar c : texte) {
            const QChar forme = Indice(c, indice == u"sup");
            if (forme.isNull()) return false;
            brut += forme;
        }
        return true;
    };
    auto refuserIndice = [&](const QString& texte, qsizetype i) {
        qsizetype fin = s.indexOf(QString(QStringLiteral("</") + indice), i, Qt::CaseInsensitive);
        if (fin < 0) fin = s.size();
        lu.refus = QStringLiteral("« %1 » de <%2>%3</%2> n'a pas de forme %4 que la leçon puisse afficher "
                                  "(seuls les chiffres, + - = ( ) et quelques lettres en ont) : retirez la balise")
                       .arg(texte, indice, s.mid(debutIndice, fin - debutIndice).toString(),
                            indice == u"sup" ? QStringLiteral("en exposant") : QStringLiteral("en indice"));
        return lu;
    };
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == u'&') {
            QString texte;
            const qsizetype n = Reference(s, i, texte);
            if (n > 0) {
                if (!ajouter(texte)) return refuserIndice(texte, i);
                i += n - 1;
                continue;
            }
        } else if (c == u'<' && s.mid(i).startsWith(u"<!--")) {
            const qsizetype fin = s.indexOf(u"-->", i + 4);
            if (fin < 0) return {{}, QStringLiteral("un commentaire « <!-- » n'est pas fermé par « --> »")};
            i = fin + 2;
            continue;
        } else if (c == u'<' && i + 1 < s.size() &&
                   (Lettre(s[i + 1]) || (s[i + 1] == u'/' && i + 2 < s.size() && Lettre(s[i + 2])))) {
            // Only '<' before a letter opens a tag: "R1 < R2" is text, as on a web page.
            const Balise b = LireBalise(s, i);
            const QString lt = QStringLiteral("écrivez « &lt; » pour afficher le signe « < »");
            if (b.longueur == 0)
                return {{}, QStringLiteral("la balise « <%1 » n'est pas fermée par « > » ; %2").arg(b.nom, lt)};
            const QString nom = QStringLiteral("<%1%2>").arg(b.fermante ? QStringLiteral("/") : QString(), b.nom);
            static const QStringList montrees{QStringLiteral("br"), QStringLiteral("p"), QStringLiteral("div"),
                                              QStringLiteral("span"), QStringLiteral("sub"), QStringLiteral("sup")};
            if (!montrees.contains(b.nom))
                return {{}, QStringLiteral("la balise %1 ne peut pas s'afficher dans la leçon, dont les textes sont "
                                           "sans mise en forme : retirez-la (%2)")
                                .arg(nom, lt)};
            if (!b.fermante && !SansEffet(b.attributs))
                return {{}, QStringLiteral("la balise <%1 %2> met en forme le texte, ce que la leçon ne peut pas "
                                           "afficher : retirez « %2 »")
                                .arg(b.nom, b.attributs)};
            if (b.nom == u"br") {
                brut += kSaut;
            } else if (b.nom == u"p" || b.nom == u"div") {
                brut += kBloc;
            } else if (b.nom == u"sub" || b.nom == u"sup") {
                if (!b.fermante && !indice.isEmpty())
                    return {{}, QStringLiteral("<%1> dans <%2> ne peut pas s'afficher dans la leçon").arg(b.nom, indice)};
                indice = b.fermante ? QString() : b.nom;
                debutIndice = i + b.longueur;
            }
            i += b.longueur - 1;
            continue;
        }
        if (!ajouter(QString(c))) return refuserIndice(QString(c), i);
    }
    lu.texte = Plier(brut);
    return lu;
}

}  // namespace content
