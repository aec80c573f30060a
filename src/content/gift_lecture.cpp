// Reading a course's questions in GIFT, the plain-text format Moodle imports and exports. A file is
// either read exactly as Moodle's import reads it, or refused with the line and what to write
// instead: so is anything the lesson cannot ask as it is (another kind of question, a count other
// than twenty, a text too long for the screen, a tag its controls cannot show).

#include "content/banque.h"
#include "content/texte_html.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>
#include <vector>

namespace content {

namespace {

enum class Format { Moodle, Plain, Html, Markdown };

struct Refus {
    int ligne;
    QString message;
};

// One question's lines, comment lines left out, joined with '\n'; lignes[i] is the file line of texte[i].
struct Bloc {
    QString texte;
    std::vector<int> lignes;
    int Ligne(qsizetype i) const {
        if (lignes.empty()) return 1;
        return lignes[static_cast<size_t>(std::clamp<qsizetype>(i, 0, static_cast<qsizetype>(lignes.size()) - 1))];
    }
};

// The first occurrence of motif in t[de, jusqua) that no backslash escapes, or -1.
qsizetype Chercher(const QString& t, QStringView motif, qsizetype de, qsizetype jusqua = -1) {
    const qsizetype fin = jusqua < 0 ? t.size() : jusqua;
    for (qsizetype i = de; i < fin; ++i) {
        if (t[i] == u'\\') {
            ++i;
            continue;
        }
        if (QStringView(t).mid(i).startsWith(motif)) return i;
    }
    return -1;
}

qsizetype Longueur(const QString& s) { return static_cast<qsizetype>(s.toUcs4().size()); }

// A leading [moodle], [plain], [html] or [markdown] sets how the text is written; it is removed.
Format LireFormat(QString& brut, Format parDefaut) {
    static const QRegularExpression re(QStringLiteral(R"(^\s*\[(moodle|plain|html|markdown)\])"));
    const QRegularExpressionMatch m = re.match(brut);
    if (!m.hasMatch()) return parDefaut;
    brut.remove(0, m.capturedLength());
    const QString nom = m.captured(1);
    if (nom == u"plain") return Format::Plain;
    if (nom == u"html") return Format::Html;
    if (nom == u"markdown") return Format::Markdown;
    return Format::Moodle;
}

QString Deseschapper(const QString& s) {
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == u'\\' && i + 1 < s.size()) {
            const QChar c = s[i + 1];
            if (QStringView(u"~=#{}:\\").contains(c)) {
                out += c;
                ++i;
                continue;
            }
            if (c == u'n') {
                out += u'\n';
                ++i;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

// The text shown on screen. A line break of the file is a space there: the screen wraps the words itself.
// Moodle's own format is HTML with line breaks kept; the lesson reads its tags and references as
// for [html], and refuses what its plain-text controls cannot show.
// Deviation: Markdown is shown as written, marks included: the lesson's labels show plain text,
// and a teacher who wants emphasis gets nothing from it there.
// A feedback is read leniently: it is not shown yet, and a file that played before still plays.
QString Lisible(QString brut, Format format, const Bloc& b, qsizetype ou, const QString& quoi, bool strict = true) {
    static const QRegularExpression saut(QStringLiteral(R"([ \t]*\n[ \t]*)"));
    brut.replace(saut, QStringLiteral(" "));
    QString texte = Deseschapper(brut);
    if (format == Format::Html || format == Format::Moodle) {
        // Moodle's format shows a line break written "\n" as a line break, where HTML folds it.
        if (format == Format::Moodle) texte.replace(u'\n', QStringLiteral("<br>"));
        const TexteHtml html = LireHtml(texte);
        if (strict && !html.refus.isEmpty()) throw Refus{b.Ligne(ou), quoi + QStringLiteral(" : ") + html.refus};
        texte = html.texte;
    }
    return texte.trimmed();
}

QString Refuse(const char* gabarit, int n) { return QString::fromUtf8(gabarit).arg(n); }

// Where the answers of a question lie in its block: t[ouvre] is '{', t[ferme] its '}', and the
// answers run from ouvre + 1 to fin (the general feedback "####…" left out).
struct Accolades {
    qsizetype ouvre;
    qsizetype ferme;
    qsizetype fin;
};

// A title "::…::" is Moodle's name for the question, kept to tell the question apart; p moves past it.
QString LireTitre(const Bloc& b, qsizetype& p, int n) {
    if (!QStringView(b.texte).mid(p).startsWith(u"::")) return {};
    const qsizetype fin = Chercher(b.texte, u"::", p + 2);
    if (fin < 0) throw Refus{b.Ligne(p), Refuse("le titre de la question %1 n'est pas fermé par « :: »", n)};
    const QString titre = Deseschapper(b.texte.mid(p + 2, fin - p - 2)).simplified();
    p = fin + 2;
    return titre;
}

Accolades TrouverAccolades(const Bloc& b, qsizetype p, int n) {
    const QString& t = b.texte;
    const qsizetype ouvre = Chercher(t, u"{", p);
    const qsizetype fermeAvant = Chercher(t, u"}", p, ouvre);
    if (fermeAvant >= 0)
        throw Refus{b.Ligne(fermeAvant),
                    Refuse("la question %1 a une accolade « } » sans « { » : écrivez \\} pour l'afficher", n)};
    if (ouvre < 0) throw Refus{b.Ligne(p), Refuse("la question %1 n'a pas de réponses entre accolades « { } »", n)};
    const qsizetype ferme = Chercher(t, u"}", ouvre + 1);
    const qsizetype autre = Chercher(t, u"{", ouvre + 1);
    if (ferme < 0)
        throw Refus{b.Ligne(ouvre), Refuse("il manque l'accolade fermante « } » de la question %1 "
                                           "(une ligne vide termine une question)", n)};
    if (autre >= 0) {
        // A second brace on a later line is most often the next question, written without the blank line.
        if (b.Ligne(autre) != b.Ligne(ouvre))
            throw Refus{b.Ligne(autre), Refuse("la question %1 n'est pas séparée de la suivante : une ligne vide "
                                               "sépare deux questions", n)};
        throw Refus{b.Ligne(autre), Refuse("la question %1 a une accolade « { » de trop : écrivez \\{ pour l'afficher", n)};
    }
    const qsizetype fermeApres = Chercher(t, u"}", ferme + 1);
    if (fermeApres >= 0)
        throw Refus{b.Ligne(fermeApres),
                    Refuse("la question %1 a une accolade « } » de trop : écrivez \\} pour l'afficher", n)};
    qsizetype fin = Chercher(t, u"####", ouvre + 1, ferme);
    if (fin < 0) fin = ferme;
    return {ouvre, ferme, fin};
}

// The question's text; text after the answers makes a sentence with a blank, as Moodle shows it.
QString LireEnonce(const Bloc& b, qsizetype p, const Accolades& a, int n, Format& format, bool& trou) {
    const QString& t = b.texte;
    QString enonce = t.mid(p, a.ouvre - p);
    const QString apres = t.mid(a.ferme + 1);
    trou = !apres.trimmed().isEmpty();
    if (trou) enonce += QStringLiteral("_____") + apres;
    format = LireFormat(enonce, Format::Moodle);
    const QString question = Lisible(enonce, format, b, p, Refuse("la question %1", n));
    if (question.isEmpty()) throw Refus{b.Ligne(p), Refuse("la question %1 n'a pas de texte", n)};
    if (Longueur(question) > BanqueQuestions::kLongueurQuestionMax)
        throw Refus{b.Ligne(p), QStringLiteral("la question %1 fait %2 caractères, l'écran en montre %3 au plus")
                                    .arg(n)
                                    .arg(Longueur(question))
                                    .arg(BanqueQuestions::kLongueurQuestionMax)};
    return question;
}

// Moodle tells the kind of a question from its answers: none is an essay, "#" first a numerical
// question, one "~" a multiple choice, "=" with "->" a matching question, T or F a true-false
// question, and "=" alone short answers.
GenreQuestion LireGenre(const Bloc& b, const Accolades& a, int n) {
    const QString& t = b.texte;
    const QString interieur = t.mid(a.ouvre + 1, a.fin - a.ouvre - 1).trimmed();
    if (interieur.isEmpty())
        throw Refus{b.Ligne(a.ouvre), Refuse("la question %1 est une question ouverte (une rédaction), que la leçon ne "
                                             "peut pas noter : écrivez ses réponses entre les accolades, la bonne "
                                             "précédée de « = », les autres de « ~ », ou « {T} » ou « {F} » pour "
                                             "vrai ou faux", n)};
    if (interieur.startsWith(u'#')) return GenreQuestion::Numerique;
    if (Chercher(t, u"~", a.ouvre + 1, a.fin) >= 0) return GenreQuestion::ChoixUnique;
    if (Chercher(t, u"->", a.ouvre + 1, a.fin) >= 0 && Chercher(t, u"=", a.ouvre + 1, a.fin) >= 0)
        return GenreQuestion::Appariement;
    static const QRegularExpression vraiFaux(QStringLiteral(R"(^(T|F|TRUE|FALSE)\s*(#.*)?$)"),
                                             QRegularExpression::DotMatchesEverythingOption);
    if (vraiFaux.match(interieur).hasMatch()) return GenreQuestion::VraiFaux;
    return GenreQuestion::ReponseCourte;
}

// Where each answer starts (its "=", or "~" where marques holds it), and fin last.
std::vector<qsizetype> Marques(const Bloc& b, qsizetype de, qsizetype fin, QStringView signes, int n) {
    const QString& t = b.texte;
    std::vector<qsizetype> marques;
    for (qsizetype i = de; i < fin; ++i) {
        if (t[i] == u'\\') {
            ++i;
        } else if (signes.contains(t[i])) {
            marques.push_back(i);
        }
    }
    const int ligne = b.Ligne(de);
    if (marques.empty())
        throw Refus{ligne, Refuse("la question %1 n'a pas de réponses : précédez la bonne de « = », les autres de « ~ »", n)};
    if (!QStringView(t).mid(de, marques.front() - de).trimmed().isEmpty())
        throw Refus{ligne, Refuse("la question %1 a du texte avant sa première réponse : précédez chaque réponse de « = » "
                                  "ou de « ~ »", n)};
    marques.push_back(fin);
    return marques;
}

// The weights Moodle's import takes, in percent; any other is refused there.
constexpr double kPoidsMoodle[] = {100, 90, 83.33333, 80, 75, 70, 66.66667, 60, 50, 40, 33.33333,
                                   30,  25, 20,       16.66667, 14.28571, 12.5, 11.11111, 10, 5, 0};

QString Pourcent(double v) { return QString::number(v, 'g', 7); }

// A weight "%…%" at the start of an answer, removed from brut; its fraction, or parDefaut. In a
// multiple choice Moodle reads a weight only after "~", and "~%100%" not as the right answer.
double LirePoids(QString& brut, QChar signe, bool choix, double parDefaut, int ligne, int n) {
    static const QRegularExpression poids(QStringLiteral(R"(^%(-?[0-9]+(?:[.,][0-9]+)?)%)"));
    if (!brut.startsWith(u'%')) return parDefaut;
    const QRegularExpressionMatch m = poids.match(brut);
    if (!m.hasMatch()) {
        // "%5 des cas" is text to Moodle as to the lesson; a second "%" would make it a weight.
        if (brut.indexOf(u'%', 1) < 0) return parDefaut;
        throw Refus{ligne, Refuse("une réponse de la question %1 a un poids mal écrit (« ~%50% », par exemple) ; "
                                  "pour un texte qui commence par « % », écrivez « [plain] » devant", n)};
    }
    const QString ecrit = m.captured(1);
    const QString sans = brut.mid(m.capturedLength()).trimmed();
    if (choix && signe == u'=')
        throw Refus{ligne, QStringLiteral("une réponse « = » de la question %1 porte le poids « %%2% », que Moodle lit "
                                          "comme du texte : écrivez « =%3 » si elle est la bonne, « ~%3 » sinon")
                               .arg(n)
                               .arg(ecrit, sans)};
    const double valeur = QString(ecrit).replace(u',', u'.').toDouble();
    if (choix && valeur == 100)
        throw Refus{ligne, QStringLiteral("une réponse de la question %1 vaut « %%2% », que Moodle ne lit pas comme "
                                          "la bonne réponse : écrivez-la « =%3 », sans poids")
                               .arg(n)
                               .arg(ecrit, sans)};
    if (ecrit.contains(u','))
        throw Refus{ligne, QStringLiteral("une réponse de la question %1 a le poids « %%2% » : Moodle l'écrit avec un "
                                          "point, « %%3% »")
                               .arg(n)
                               .arg(ecrit, QString(ecrit).replace(u',', u'.'))};
    const double* proche = std::min_element(std::begin(kPoidsMoodle), std::end(kPoidsMoodle), [&](double x, double y) {
        return std::abs(std::abs(valeur) - x) < std::abs(std::abs(valeur) - y);
    });
    if (std::abs(std::abs(valeur) - *proche) > 1e-3 || (valeur < 0 && !choix))
        throw Refus{ligne, QStringLiteral("une réponse de la question %1 a le poids « %%2% », que Moodle n'accepte pas : "
                                          "écrivez « %%3% », ou un autre de ses poids (100, 90, 80, 75, 70, 66.66667, "
                                          "60, 50, 40, 33.33333, 30, 25, 20, 10, 5, 0%4)")
                               .arg(n)
                               .arg(ecrit, Pourcent(valeur < 0 && !choix ? 0 : std::copysign(*proche, valeur)),
                                    choix ? QStringLiteral(", ou leur négatif") : QString())};
    brut.remove(0, m.capturedLength());
    return std::copysign(*proche, valeur) / 100;
}

// brut cut at its feedback "#…", which is returned readable.
QString CouperRetour(QString& brut, Format format, const Bloc& b, qsizetype ou, int n) {
    const qsizetype diese = Chercher(brut, u"#", 0);
    if (diese < 0) return {};
    QString retour = brut.mid(diese + 1);
    brut.truncate(diese);
    const Format formatRetour = LireFormat(retour, format);
    return Lisible(retour, formatRetour, b, ou, Refuse("le commentaire d'une réponse de la question %1", n), false);
}

QString TexteCourt(const QString& brut, Format format, const Bloc& b, qsizetype ou, int n) {
    QString s = brut;
    const Format f = LireFormat(s, format);
    const QString texte = Lisible(s, f, b, ou, Refuse("une réponse de la question %1", n));
    if (texte.isEmpty()) throw Refus{b.Ligne(ou), Refuse("la question %1 a une réponse vide", n)};
    if (Longueur(texte) > BanqueQuestions::kLongueurReponseMax)
        throw Refus{b.Ligne(ou), QStringLiteral("une réponse de la question %1 fait %2 caractères, son bouton en "
                                                "montre %3 au plus")
                                     .arg(n)
                                     .arg(Longueur(texte))
                                     .arg(BanqueQuestions::kLongueurReponseMax)};
    return texte;
}

QString SansBlancsDevant(QString s) {
    qsizetype blancs = 0;
    while (blancs < s.size() && s[blancs].isSpace()) ++blancs;
    return s.mid(blancs);
}

// The choices of a multiple choice, or the accepted answers of a short-answer question.
void LireChoix(const Bloc& b, const Accolades& a, Format format, int n, QuestionGift& q) {
    const bool choix = q.genre == GenreQuestion::ChoixUnique;
    const std::vector<qsizetype> marques = Marques(b, a.ouvre + 1, a.fin, choix ? u"=~" : u"=", n);
    for (size_t k = 0; k + 1 < marques.size(); ++k) {
        const qsizetype m = marques[k];
        const int ligne = b.Ligne(m);
        QString brut = SansBlancsDevant(b.texte.mid(m + 1, marques[k + 1] - m - 1));
        ReponseGift r;
        r.ligne = ligne;
        r.fraction = LirePoids(brut, b.texte[m], choix, b.texte[m] == u'=' ? 1.0 : 0.0, ligne, n);
        r.retour = CouperRetour(brut, format, b, m, n);
        r.texte = TexteCourt(brut, format, b, m, n);
        q.reponses.push_back(r);
    }
    const int nombre = static_cast<int>(q.reponses.size());
    const int ligne = b.Ligne(a.ouvre);
    double meilleure = 0;
    double positives = 0;
    for (const ReponseGift& r : q.reponses) {
        meilleure = std::max(meilleure, r.fraction);
        if (r.fraction > 0) positives += r.fraction;
    }
    if (!choix) {
        if (meilleure < 1)
            throw Refus{ligne, Refuse("la question %1 n'a pas de réponse juste à 100 % : écrivez-en une sans poids, « =… »", n)};
        return;
    }
    // A choice worth full credit makes one answer to choose; otherwise Moodle lets the learner tick
    // several, whose weights must then make 100 %.
    if (meilleure < 1) {
        if (positives == 0)
            throw Refus{ligne, Refuse("la question %1 n'a pas de bonne réponse : précédez-la de « = »", n)};
        if (std::abs(positives - 1) > 1e-4)
            throw Refus{ligne, QStringLiteral("les poids positifs de la question %1 font %2 %, il faut 100 % quand "
                                              "plusieurs réponses sont à cocher")
                                   .arg(n)
                                   .arg(QLocale(QLocale::French).toString(positives * 100, 'g', 6))};
        q.genre = GenreQuestion::ChoixMultiple;
    }
    if (nombre < 2) throw Refus{ligne, Refuse("la question %1 n'a qu'une réponse : il en faut au moins deux à choisir", n)};
    if (nombre > 8)
        throw Refus{ligne, QStringLiteral("la question %1 a %2 réponses, l'écran en montre huit au plus").arg(n).arg(nombre)};
}

// "{T}", "{FALSE#pourquoi#bravo}": the first feedback follows a wrong answer, the second a right one.
void LireVraiFaux(const Bloc& b, const Accolades& a, Format format, int n, QuestionGift& q) {
    const QString& t = b.texte;
    const qsizetype premier = Chercher(t, u"#", a.ouvre + 1, a.fin);
    const qsizetype second = premier < 0 ? -1 : Chercher(t, u"#", premier + 1, a.fin);
    auto retour = [&](qsizetype de, qsizetype jusqua) {
        if (de < 0) return QString();
        QString brut = t.mid(de + 1, (jusqua < 0 ? a.fin : jusqua) - de - 1);
        const Format f = LireFormat(brut, format);
        return Lisible(brut, f, b, de, Refuse("le commentaire de la question %1", n), false);
    };
    const QString siFaux = retour(premier, second);
    const QString siJuste = retour(second, -1);
    const bool vrai = t.mid(a.ouvre + 1, a.fin - a.ouvre - 1).trimmed().startsWith(u'T');
    const int ligne = b.Ligne(a.ouvre);
    q.reponses = {{QStringLiteral("Vrai"), vrai ? 1.0 : 0.0, vrai ? siJuste : siFaux, 0, 0, ligne},
                  {QStringLiteral("Faux"), vrai ? 0.0 : 1.0, vrai ? siFaux : siJuste, 0, 0, ligne}};
}

// A number as Moodle's import reads it: digits with a point, perhaps a sign and an exponent.
double NombreMoodle(const QString& ecrit, int ligne, int n) {
    static const QRegularExpression nombre(QStringLiteral(R"(^[+-]?(\d+(\.\d*)?|\.\d+)([eE][+-]?\d+)?$)"));
    const QString s = ecrit.trimmed();
    if (nombre.match(s).hasMatch()) return s.toDouble();
    if (nombre.match(QString(s).replace(u',', u'.')).hasMatch())
        throw Refus{ligne, QStringLiteral("la question %1 donne le nombre « %2 », que Moodle lit avec un point : "
                                          "écrivez « %3 » (l'élève, lui, peut taper une virgule)")
                               .arg(n)
                               .arg(s, QString(s).replace(u',', u'.'))};
    throw Refus{ligne, QStringLiteral("la question %1 attend un nombre là où elle dit « %2 » : écrivez par exemple "
                                      "« {#230:5} » (230 à 5 près) ou « {#220..240} »")
                           .arg(n)
                           .arg(s)};
}

// "{#230:5}", "{#220..240}", "{#=230:0#exact =%50%230:10#presque}".
void LireNumerique(const Bloc& b, const Accolades& a, Format format, int n, QuestionGift& q) {
    const QString& t = b.texte;
    const qsizetype diese = Chercher(t, u"#", a.ouvre + 1, a.fin);
    const bool plusieurs = Chercher(t, u"=", diese + 1, a.fin) >= 0;
    if (Chercher(t, u"~", diese + 1, a.fin) >= 0)
        throw Refus{b.Ligne(diese), Refuse("la question %1 est numérique : ses réponses sont précédées de « = », "
                                           "avec leur poids pour un crédit partiel (« =%50%230:10 »)", n)};
    std::vector<qsizetype> marques = plusieurs ? Marques(b, diese + 1, a.fin, u"=", n) : std::vector<qsizetype>{diese, a.fin};
    for (size_t k = 0; k + 1 < marques.size(); ++k) {
        const qsizetype m = marques[k];
        const int ligne = b.Ligne(m);
        QString brut = SansBlancsDevant(t.mid(m + 1, marques[k + 1] - m - 1));
        ReponseGift r;
        r.ligne = ligne;
        r.fraction = LirePoids(brut, u'=', false, 1.0, ligne, n);
        r.retour = CouperRetour(brut, format, b, m, n);
        const QString valeur = Deseschapper(brut).trimmed();
        if (const qsizetype points = valeur.indexOf(QStringLiteral("..")); points >= 0) {
            r.minimum = NombreMoodle(valeur.left(points), ligne, n);
            r.maximum = NombreMoodle(valeur.mid(points + 2), ligne, n);
            if (r.minimum > r.maximum)
                throw Refus{ligne, Refuse("la question %1 donne un intervalle à l'envers : écrivez le plus petit nombre d'abord", n)};
        } else {
            const qsizetype deuxPoints = valeur.indexOf(u':');
            const double centre = NombreMoodle(deuxPoints < 0 ? valeur : valeur.left(deuxPoints), ligne, n);
            const double marge = deuxPoints < 0 ? 0 : std::abs(NombreMoodle(valeur.mid(deuxPoints + 1), ligne, n));
            r.minimum = centre - marge;
            r.maximum = centre + marge;
        }
        r.texte = valeur;
        q.reponses.push_back(r);
    }
    double meilleure = 0;
    for (const ReponseGift& r : q.reponses) meilleure = std::max(meilleure, r.fraction);
    if (meilleure < 1)
        throw Refus{b.Ligne(a.ouvre), Refuse("la question %1 n'a pas de réponse juste à 100 % : écrivez-en une sans poids, "
                                             "« =230:5 »", n)};
}

// "{=R -> l'ohm =U -> le volt = -> le watt}": a right-hand item without its left-hand one is only offered.
void LireAppariement(const Bloc& b, const Accolades& a, Format format, int n, QuestionGift& q) {
    const QString& t = b.texte;
    const std::vector<qsizetype> marques = Marques(b, a.ouvre + 1, a.fin, u"=", n);
    for (size_t k = 0; k + 1 < marques.size(); ++k) {
        const qsizetype m = marques[k];
        const int ligne = b.Ligne(m);
        const QString brut = t.mid(m + 1, marques[k + 1] - m - 1);
        const qsizetype fleche = Chercher(brut, u"->", 0);
        if (fleche < 0)
            throw Refus{ligne, Refuse("une paire de la question %1 n'a pas de « -> » : écrivez « =à gauche -> à droite »", n)};
        if (Chercher(brut, u"#", 0) >= 0)
            throw Refus{ligne, Refuse("une paire de la question %1 a un « # », mais Moodle n'en donne pas de commentaire : "
                                      "mettez-le dans le commentaire général « #### », ou écrivez \\# pour l'afficher", n)};
        PaireGift p;
        QString gauche = brut.left(fleche);
        const Format fg = LireFormat(gauche, format);
        p.gauche = Lisible(gauche, fg, b, m, Refuse("une paire de la question %1", n));
        p.droite = TexteCourt(brut.mid(fleche + 2), format, b, m, n);
        q.paires.push_back(p);
    }
    const int ligne = b.Ligne(a.ouvre);
    const qsizetype enonces = q.Enonces().size();
    const qsizetype choix = q.ChoixDroite().size();
    if (enonces < 2 || choix < 3)
        throw Refus{ligne, Refuse("la question %1 d'appariement a trop peu de paires : Moodle en veut au moins deux, "
                                  "avec trois réponses à droite (« = -> … » en ajoute une sans paire)", n)};
    if (enonces > 6 || choix > 8)
        throw Refus{ligne, Refuse("la question %1 d'appariement est trop longue pour l'écran : six paires au plus, "
                                  "et huit réponses à droite", n)};
}

QuestionGift LireQuestion(const Bloc& b, qsizetype p, int n) {
    QuestionGift q;
    q.numero = n;
    q.ligne = b.Ligne(p);
    q.titre = LireTitre(b, p, n);
    const Accolades a = TrouverAccolades(b, p, n);
    q.ligneReponses = b.Ligne(a.ouvre);
    Format format = Format::Moodle;
    q.texte = LireEnonce(b, p, a, n, format, q.motManquant);
    if (a.fin < a.ferme) {
        QString general = b.texte.mid(a.fin + 4, a.ferme - a.fin - 4);
        const Format f = LireFormat(general, format);
        q.retourGeneral = Lisible(general, f, b, a.fin, Refuse("le commentaire général de la question %1", n), false);
    }
    q.genre = LireGenre(b, a, n);
    switch (q.genre) {
    case GenreQuestion::Numerique: LireNumerique(b, a, format, n, q); break;
    case GenreQuestion::VraiFaux: LireVraiFaux(b, a, format, n, q); break;
    case GenreQuestion::Appariement: LireAppariement(b, a, format, n, q); break;
    default: LireChoix(b, a, format, n, q); break;
    }
    return q;
}

// Moodle trims lines of these only: a non-breaking space keeps a line from being blank, and a
// comment from being one.
bool BlancMoodle(QChar c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\0' || c == u'\v'; }

QStringView SansBlancsMoodle(QStringView s) {
    qsizetype debut = 0;
    qsizetype fin = s.size();
    while (debut < fin && BlancMoodle(s[debut])) ++debut;
    while (fin > debut && BlancMoodle(s[fin - 1])) --fin;
    return s.mid(debut, fin - debut);
}

// The file's lines, ended by "\r\n", "\n" or, from old Macs, "\r" alone.
QList<QByteArray> Lignes(const QByteArray& octets) {
    QList<QByteArray> lignes;
    qsizetype debut = 0;
    for (qsizetype i = 0; i < octets.size(); ++i) {
        if (octets[i] != '\n' && octets[i] != '\r') continue;
        lignes.push_back(octets.mid(debut, i - debut));
        if (octets[i] == '\r' && i + 1 < octets.size() && octets[i + 1] == '\n') ++i;
        debut = i + 1;
    }
    lignes.push_back(octets.mid(debut));
    return lignes;
}

// The file cut into questions at blank lines, comment lines left out.
std::vector<Bloc> Blocs(const QByteArray& octets, int& derniereLigne) {
    const QList<QByteArray> brutes = Lignes(octets);
    std::vector<Bloc> blocs;
    Bloc courant;
    auto clore = [&] {
        if (!courant.texte.isEmpty()) blocs.push_back(std::move(courant));
        courant = Bloc{};
    };
    for (qsizetype k = 0; k < brutes.size(); ++k) {
        const int numero = static_cast<int>(k + 1);
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString ligne = utf8.decode(brutes[k]);
        if (utf8.hasError())
            throw Refus{numero, QStringLiteral("le texte n'est pas en UTF-8 : enregistrez le fichier en UTF-8")};
        const QStringView nette = SansBlancsMoodle(ligne);
        if (nette.isEmpty()) {
            clore();
            continue;
        }
        const QStringView vue = QStringView(ligne).trimmed();
        if (vue.isEmpty())
            throw Refus{numero, QStringLiteral("cette ligne semble vide mais contient une espace insécable (ou un autre "
                                               "blanc invisible) : Moodle n'y voit pas une ligne vide ; effacez-la")};
        if (vue.startsWith(u"//") && !nette.startsWith(u"//"))
            throw Refus{numero, QStringLiteral("une espace insécable (ou un autre blanc invisible) précède « // » : "
                                               "Moodle n'y voit pas un commentaire ; effacez-la")};
        derniereLigne = numero;
        if (nette.startsWith(u"//")) continue;
        if (!courant.texte.isEmpty()) {
            courant.texte += u'\n';
            courant.lignes.push_back(numero - 1);
        }
        courant.texte += ligne;
        courant.lignes.insert(courant.lignes.end(), static_cast<size_t>(ligne.size()), numero);
    }
    clore();
    return blocs;
}

LectureQuestions Lire(QByteArray octets, const QString& fichier) {
    LectureQuestions lecture;
    auto erreur = [&](int ligne, const QString& message) { lecture.erreurs.liste.push_back({fichier, ligne, 0, message}); };
    if (octets.startsWith("\xEF\xBB\xBF")) octets.remove(0, 3);
    std::vector<Bloc> blocs;
    try {
        blocs = Blocs(octets, lecture.derniereLigne);
    } catch (const Refus& refus) {
        erreur(refus.ligne, refus.message);
        return lecture;
    }
    int n = 0;
    for (const Bloc& b : blocs) {
        qsizetype p = 0;
        while (p < b.texte.size() && b.texte[p].isSpace()) ++p;
        // A category names where Moodle files the questions; the lesson has no use for it. Moodle
        // reads the lines after it, up to a blank line, as part of its name.
        if (QStringView(b.texte).mid(p).startsWith(u"$CATEGORY:")) {
            const qsizetype fin = b.texte.indexOf(u'\n', p);
            if (fin >= 0)
                erreur(b.Ligne(fin + 1), QStringLiteral("une ligne vide doit suivre la ligne « $CATEGORY: » : "
                                                        "sans elle, Moodle lit ce qui suit dans le nom de la catégorie"));
            continue;
        }
        // Each question is read on its own, so that one run tells every mistake of the file.
        lecture.debuts.push_back(b.Ligne(p));
        try {
            lecture.questions.push_back(LireQuestion(b, p, ++n));
        } catch (const Refus& refus) {
            erreur(refus.ligne, refus.message);
        }
    }
    return lecture;
}

const char* const kAttendu = " : la leçon attend quatre réponses, la bonne précédée de « = », les autres de « ~ »";

QString NomDuGenre(GenreQuestion g) {
    switch (g) {
    case GenreQuestion::ChoixMultiple: return QStringLiteral("à plusieurs réponses");
    case GenreQuestion::VraiFaux: return QStringLiteral("vrai-faux");
    case GenreQuestion::ReponseCourte: return QStringLiteral("à réponse courte");
    case GenreQuestion::Numerique: return QStringLiteral("numérique");
    case GenreQuestion::Appariement: return QStringLiteral("d'appariement (« -> »)");
    case GenreQuestion::ChoixUnique: break;
    }
    return QStringLiteral("à choix unique");
}

// What the evaluation asks today: questions of four answers, one right ("="), three wrong; as many as the file holds.
void VersBanque(const LectureQuestions& lu, LectureGift& lecture) {
    auto erreur = [&](int ligne, const QString& message) { lecture.erreurs.liste.push_back({lecture.fichier, ligne, 0, message}); };
    const int nombre = static_cast<int>(lu.debuts.size());
    BanqueQuestions banque;
    banque.entrees.resize(static_cast<size_t>(nombre));
    for (const QuestionGift& q : lu.questions) {
        const int n = q.numero;
        if (q.genre != GenreQuestion::ChoixUnique) {
            erreur(q.ligneReponses, QStringLiteral("la question %1 est une question %2").arg(n).arg(NomDuGenre(q.genre)) +
                                        QString::fromUtf8(kAttendu));
            continue;
        }
        EntreeQuestion& e = banque.entrees[static_cast<size_t>(n - 1)];
        e.question = q.texte;
        int justes = 0;
        std::vector<QString> fausses;
        bool refusee = false;
        for (const ReponseGift& r : q.reponses) {
            if (r.fraction == 1) {
                if (++justes == 2) {
                    erreur(r.ligne, QStringLiteral("la question %1 a deux bonnes réponses").arg(n));
                    refusee = true;
                }
                e.reponses[0] = r.texte;
            } else if (r.fraction != 0) {
                // Deviation: partial credit has no place in a score of right or wrong answers; only right
                // ("=") and wrong ("~", or "~%0%") are taken.
                erreur(r.ligne, QStringLiteral("une réponse de la question %1 vaut %2 %, mais la leçon ne compte une "
                                               "réponse que juste (« = ») ou fausse (« ~ »)")
                                    .arg(n)
                                    .arg(Pourcent(r.fraction * 100)));
                refusee = true;
            } else {
                fausses.push_back(r.texte);
            }
        }
        const size_t total = q.reponses.size();
        if (!refusee && total != 4)
            erreur(q.ligneReponses, QStringLiteral("la question %1 a %2 réponse%3, il en faut quatre dont une bonne")
                                        .arg(n)
                                        .arg(total)
                                        .arg(total > 1 ? QStringLiteral("s") : QString()));
        else if (!refusee)
            for (size_t k = 0; k < 3; ++k) e.reponses[k + 1] = fausses[k];
    }
    // A file that cannot be cut into questions (not UTF-8...) has no count to tell.
    if (nombre == 0 && !lu.erreurs.Vide()) return;
    if (nombre == 0) erreur(lu.derniereLigne, QStringLiteral("le fichier n'a aucune question, il en faut au moins une"));
    if (lecture.erreurs.Vide()) lecture.banque = banque;
}

}  // namespace

LectureQuestions LireQuestionsGift(const QByteArray& octets, const QString& fichier) { return Lire(octets, fichier); }

LectureGift LireGiftDonnees(const QByteArray& octets, const QString& fichier) {
    LectureGift lecture;
    lecture.fichier = fichier;
    const LectureQuestions lu = Lire(octets, fichier);
    lecture.erreurs = lu.erreurs;
    VersBanque(lu, lecture);
    std::stable_sort(lecture.erreurs.liste.begin(), lecture.erreurs.liste.end(),
                     [](const Erreur& a, const Erreur& b) { return a.ligne < b.ligne; });
    if (!lecture.erreurs.Vide()) {
        lecture.ligne = lecture.erreurs.liste.front().ligne;
        lecture.message = lecture.erreurs.liste.front().message;
    }
    return lecture;
}

}  // namespace content
