#include "content/toml_errors.h"

#include <QRegularExpression>

#include <iterator>
#include <vector>

namespace content {

namespace {

const QString kNombre = QStringLiteral(
    "le nombre est mal écrit ; écrivez des chiffres seuls, par exemple fin = 40, ou une durée entre guillemets, "
    "fin = \"4 s\"");
const QString kDate = QStringLiteral(
    "la valeur ressemble à une date ou à une heure mal écrite ; une durée s'écrit entre guillemets, par exemple "
    "fin = \"1,5 s\"");

// What toml++ was reading when it stopped (« Error while parsing string: … »), and the sentence
// for a stop there that no kind below knows.
struct Lecture {
    const char* toml;
    QString francais;
};

const Lecture kLectures[] = {
    {"binary integer", kNombre},
    {"octal integer", kNombre},
    {"decimal integer", kNombre},
    {"hexadecimal integer", kNombre},
    {"floating-point", kNombre},
    {"hexadecimal floating-point", kNombre},
    {"date", kDate},
    {"time", kDate},
    {"date-time", kDate},
    {"date-time offset", kDate},
    {"boolean", QStringLiteral("une valeur vraie ou fausse s'écrit true ou false ; un texte s'écrit entre guillemets")},
    {"unicode scalar sequence",
     QStringLiteral("après \\u viennent quatre chiffres hexadécimaux (huit après \\U) ; pour une barre oblique inverse, "
                    "écrivez \\\\ ou le texte entre apostrophes")},
    {"string", QStringLiteral("vérifiez les guillemets du texte")},
    {"literal string", QStringLiteral("vérifiez les apostrophes du texte")},
    {"table header", QStringLiteral("un titre de table s'écrit entre crochets, par exemple [[page]]")},
    {"array", QStringLiteral("une liste s'écrit entre crochets, ses éléments séparés par des virgules, par exemple "
                             "images = [\"a.png\", \"b.png\"]")},
    {"inline table", QStringLiteral("une table entre accolades s'écrit sur une ligne, { clé = valeur, clé = valeur }")},
};

// A message's kind: its pattern over toml++'s reason, and the French, where %1 is the first part
// captured, said as the teacher sees it. No French: a string left open and a stray control
// character, which toml++ says alike; the text tells which.
struct Genre {
    const char* motif;
    const char* francais;
};

const Genre kGenres[] = {
    {"^could not determine value type$|^'.*' could not be interpreted as a value$",
     "la valeur n'est ni un nombre ni un texte entre guillemets ; écrivez par exemple fin = 40 ou "
     "diapositive = \"Diapo1.emf\""},
    {"^expected value, saw '(.*)'$", "il manque la valeur après le signe = ; écrivez par exemple fin = 40"},
    {"^(?:unescaped )?control characters other than TAB|^unexpected control character", nullptr},
    {"^encountered end-of-file$",
     "le fichier s'arrête avant la fin de ce qui est ouvert ; fermez les guillemets, les crochets ou les accolades"},
    {"^expected '=', saw '(.*)'$",
     "il manque le signe = après la clé (à sa place : %1) ; une clé s'écrit sans accent ni espace, suivie de =, "
     "par exemple fin = 40"},
    {"^expected a comment or whitespace, saw '(.*)'$",
     "%1 est de trop après la valeur ; un texte s'écrit tout entier entre guillemets, par exemple fin = \"1,5 s\", "
     "et une ligne ne donne qu'une clé"},
    {"^expected keys, tables, whitespace or comments, saw '(.*)'$",
     "une ligne commence par une clé, par [[page]] ou par # ; %1 ne peut pas commencer une ligne"},
    {"^expected bare key starting character or string delimiter, saw '(.*)'$",
     "une clé s'écrit en lettres sans accent, en chiffres, - ou _ ; %1 ne peut pas la commencer"},
    {"^expected '\\]', saw '(.*)'$", "il manque le crochet fermant ] (à sa place : %1)"},
    {"^\\[\\[array-of-table\\]\\] brackets must be contiguous", "écrivez [[page]] sans espace entre les crochets"},
    {"^expected comma or closing '\\]', saw '(.*)'$",
     "dans une liste, séparez les éléments par des virgules et fermez-la par ] (à la place : %1), par exemple "
     "images = [\"a.png\", \"b.png\"]"},
    {"^expected value or closing '\\]', saw comma$", "une virgule est de trop dans la liste"},
    {"closing '\\}'|^expected comma or closing '\\}'",
     "une table entre accolades s'écrit sur une ligne, { clé = valeur, clé = valeur }, sans virgule à la fin"},
    {"^cannot (?:redefine existing|insert) [^']*'([^']*)'",
     "%1 est déjà donné plus haut ; une clé ne s'écrit qu'une fois dans sa table, et une page ou une photo de plus "
     "s'écrit entre doubles crochets, [[page]] ou [[page.photo]]"},
    {"^cannot redefine existing", "une clé est donnée deux fois ; une clé ne s'écrit qu'une fois dans sa table"},
    {"^unknown escape sequence '(.*)'$|^escape sequence '(.*)' is not supported",
     "%1 n'a pas de sens dans un texte entre guillemets ; écrivez \\\\ pour une barre oblique inverse, ou le texte "
     "entre apostrophes, 'C:\\cours'"},
    {"^leading zeroes are prohibited$", "un nombre ne commence pas par 0 ; écrivez par exemple 5 plutôt que 05"},
    {"is not representable in 64 bits|too long to identify type", "le nombre est trop grand"},
    {"^exceeds length limit|^fragment exceeeds maximum length", "la valeur est trop longue"},
    {"^exceeded maximum nested value depth", "trop de listes ou de tables les unes dans les autres"},
    {"^tables with blank bare keys", "le nom de la table manque entre ses crochets ; écrivez par exemple [[page]]"},
    {"^expected '\\\\n' after '\\\\r'",
     "un retour chariot est seul ; enregistrez le fichier avec des fins de ligne ordinaires"},
    {"surrogates|values greater than U\\+10FFFF", "ce caractère n'existe pas ; écrivez-le lui-même plutôt que son code"},
    {"utf-8", "le fichier n'est pas enregistré en UTF-8 ; enregistrez-le en UTF-8 dans l'éditeur de texte (les "
              "lettres accentuées le demandent)"},
    {"^multi-line strings are prohibited in keys", "une clé tient sur une ligne"},
};

// toml++'s rendering of a character, as the teacher sees it.
QString Vu(const QString& brut) {
    if (brut == QLatin1String("\\n") || brut == QLatin1String("\\r") || brut.startsWith(QLatin1Char('\n')))
        return QStringLiteral("la fin de la ligne");
    if (brut == QLatin1String("\\t")) return QStringLiteral("une tabulation");
    if (brut.startsWith(QLatin1String("\\u")) && brut.size() == 6) return QStringLiteral("un caractère invisible");
    return QStringLiteral("« %1 »").arg(brut.trimmed());
}

// Whether column of line is past that line's last character: a string left open at the line's end.
bool EnFinDeLigne(const QByteArray& document, int line, int column) {
    const QList<QByteArray> lignes = document.split('\n');
    if (line < 1 || line > lignes.size()) return false;
    QByteArray texte = lignes[line - 1];
    if (texte.endsWith('\r')) texte.chop(1);
    return column > QString::fromUtf8(texte).toUcs4().size();
}

}  // namespace

QString TomlErrorInFrench(std::string_view description, const QByteArray& document, int line, int column) {
    QString texte = QString::fromUtf8(description.data(), static_cast<qsizetype>(description.size()));
    QString lecture;
    static const QRegularExpression kEnLisant(QStringLiteral("^Error while parsing ([^:]+): (.*)$"),
                                              QRegularExpression::DotMatchesEverythingOption);
    if (const QRegularExpressionMatch m = kEnLisant.match(texte); m.hasMatch()) {
        lecture = m.captured(1);
        texte = m.captured(2);
    }
    static const std::vector<QRegularExpression> kMotifs = [] {
        std::vector<QRegularExpression> out;
        for (const Genre& g : kGenres)
            out.emplace_back(QString::fromUtf8(g.motif),
                             QRegularExpression::DotMatchesEverythingOption | QRegularExpression::CaseInsensitiveOption);
        return out;
    }();
    for (size_t i = 0; i < std::size(kGenres); ++i) {
        const Genre& g = kGenres[i];
        const QRegularExpressionMatch m = kMotifs[i].match(texte);
        if (!m.hasMatch()) continue;
        if (!g.francais)
            return EnFinDeLigne(document, line, column)
                       ? QStringLiteral("le texte entre guillemets n'est pas fermé ; fermez les guillemets avant la fin de "
                                        "la ligne")
                       : QStringLiteral("le texte contient un caractère invisible (un caractère de contrôle) ; effacez-le");
        QString francais = QString::fromUtf8(g.francais);
        if (francais.contains(QLatin1String("%1"))) {
            QString vu;
            for (int i = 1; i <= m.lastCapturedIndex() && vu.isEmpty(); ++i) vu = m.captured(i);
            francais = francais.arg(Vu(vu));
        }
        return francais;
    }
    for (const Lecture& l : kLectures)
        if (lecture == QLatin1String(l.toml)) return l.francais;
    return QStringLiteral("cette ligne ne suit pas le format TOML ; vérifiez ses guillemets, ses crochets et son signe =");
}

}  // namespace content
