// Reading a course's questions in GIFT, the plain-text format Moodle imports and exports. A file is
// either read exactly as Moodle's import reads it, or refused with the line and what to write
// instead: so is anything the lesson cannot ask as it is (another kind of question, a count other
// than twenty, a text too long for the screen, a tag its controls cannot show).

#include "content/banque.h"
#include "content/texte_html.h"

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
QString Lisible(QString brut, Format format, const Bloc& b, qsizetype ou, const QString& quoi) {
    static const QRegularExpression saut(QStringLiteral(R"([ \t]*\n[ \t]*)"));
    brut.replace(saut, QStringLiteral(" "));
    QString texte = Deseschapper(brut);
    if (format == Format::Html || format == Format::Moodle) {
        // Moodle's format shows a line break written "\n" as a line break, where HTML folds it.
        if (format == Format::Moodle) texte.replace(u'\n', QStringLiteral("<br>"));
        const TexteHtml html = LireHtml(texte);
        if (!html.refus.isEmpty()) throw Refus{b.Ligne(ou), quoi + QStringLiteral(" : ") + html.refus};
        texte = html.texte;
    }
    return texte.trimmed();
}

QString Refuse(const char* gabarit, int n) { return QString::fromUtf8(gabarit).arg(n); }

const char* const kAttendu = " : la leçon attend quatre réponses, la bonne précédée de « = », les autres de « ~ »";

// Where the answers of a question lie in its block: t[ouvre] is '{', t[ferme] its '}', and the
// answers run from ouvre + 1 to fin (the general feedback "####…" left out).
struct Accolades {
    qsizetype ouvre;
    qsizetype ferme;
    qsizetype fin;
};

// A title "::…::" is Moodle's name for the question; the lesson does not show it.
qsizetype SauterTitre(const Bloc& b, qsizetype p, int n) {
    if (!QStringView(b.texte).mid(p).startsWith(u"::")) return p;
    const qsizetype fin = Chercher(b.texte, u"::", p + 2);
    if (fin < 0) throw Refus{b.Ligne(p), Refuse("le titre de la question %1 n'est pas fermé par « :: »", n)};
    return fin + 2;
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
QString LireEnonce(const Bloc& b, qsizetype p, const Accolades& a, int n, Format& format) {
    const QString& t = b.texte;
    QString enonce = t.mid(p, a.ouvre - p);
    const QString apres = t.mid(a.ferme + 1);
    if (!apres.trimmed().isEmpty()) enonce += QStringLiteral("_____") + apres;
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

// Moodle tells the kind of a question from its answers: empty, numerical, multiple choice as soon as
// one "~" is there, matching when "=" and "->" are there without "~", true-false. Only multiple
// choice is asked by the lesson.
void VerifierChoixMultiple(const Bloc& b, const Accolades& a, int n) {
    const QString& t = b.texte;
    const QString interieur = t.mid(a.ouvre + 1, a.fin - a.ouvre - 1).trimmed();
    const int ligne = b.Ligne(a.ouvre);
    if (interieur.isEmpty())
        throw Refus{ligne, Refuse("la question %1 est une question ouverte", n) + QString::fromUtf8(kAttendu)};
    if (interieur.startsWith(u'#'))
        throw Refus{ligne, Refuse("la question %1 est une question numérique", n) + QString::fromUtf8(kAttendu)};
    if (Chercher(t, u"~", a.ouvre + 1, a.fin) >= 0) return;
    const qsizetype fleche = Chercher(t, u"->", a.ouvre + 1, a.fin);
    if (fleche >= 0 && Chercher(t, u"=", a.ouvre + 1, a.fin) >= 0)
        throw Refus{b.Ligne(fleche), Refuse("la question %1 est une question d'appariement (« -> »)", n) +
                                         QString::fromUtf8(kAttendu)};
    static const QRegularExpression vraiFaux(QStringLiteral(R"(^(T|F|TRUE|FALSE)\s*(#.*)?$)"),
                                             QRegularExpression::DotMatchesEverythingOption);
    if (vraiFaux.match(interieur).hasMatch())
        throw Refus{ligne, Refuse("la question %1 est une question vrai-faux", n) + QString::fromUtf8(kAttendu)};
}

// Where each answer starts (its "=" or "~"), and fin last.
std::vector<qsizetype> Marques(const Bloc& b, const Accolades& a, int n) {
    const QString& t = b.texte;
    std::vector<qsizetype> marques;
    for (qsizetype i = a.ouvre + 1; i < a.fin; ++i) {
        if (t[i] == u'\\') {
            ++i;
        } else if (t[i] == u'=' || t[i] == u'~') {
            marques.push_back(i);
        }
    }
    const int ligne = b.Ligne(a.ouvre);
    if (marques.empty())
        throw Refus{ligne, Refuse("la question %1 n'a pas de réponses à choisir", n) + QString::fromUtf8(kAttendu)};
    if (!QStringView(t).mid(a.ouvre + 1, marques.front() - a.ouvre - 1).trimmed().isEmpty())
        throw Refus{ligne, Refuse("la question %1 a du texte avant sa première réponse", n) + QString::fromUtf8(kAttendu)};
    marques.push_back(a.fin);
    return marques;
}

// A weight "%…%" at the start of a wrong answer ("~%0%"), removed from brut. Moodle reads a weight
// only after "~", and "~%100%" as a second right answer or, with no "=", as a question of several
// right answers: the lesson's right answer is written with "=" and nothing else.
void LirePoids(QString& brut, bool juste, int ligne, int n) {
    static const QRegularExpression poids(QStringLiteral(R"(^%(-?[0-9]+(?:[.,][0-9]+)?)%)"));
    if (!brut.startsWith(u'%')) return;
    const QRegularExpressionMatch m = poids.match(brut);
    if (!m.hasMatch()) {
        // "%5 des cas" is text to Moodle as to the lesson; a second "%" would make it a weight.
        if (brut.indexOf(u'%', 1) < 0) return;
        throw Refus{ligne, Refuse("une réponse de la question %1 a un poids mal écrit (« ~%0% », par exemple) ; "
                                  "pour un texte qui commence par « % », écrivez « [plain] » devant", n)};
    }
    const QString ecrit = m.captured(1);
    const QString sans = brut.mid(m.capturedLength()).trimmed();
    if (juste)
        throw Refus{ligne, QStringLiteral("une réponse « = » de la question %1 porte le poids « %%2% », que Moodle lit "
                                          "comme du texte : écrivez « =%3 » si elle est la bonne, « ~%3 » sinon")
                               .arg(n)
                               .arg(ecrit, sans)};
    const double valeur = QString(ecrit).replace(u',', u'.').toDouble();
    if (valeur == 100)
        throw Refus{ligne, QStringLiteral("une réponse de la question %1 vaut « %%2% », que Moodle ne lit pas comme "
                                          "la bonne réponse : écrivez-la « =%3 », sans poids")
                               .arg(n)
                               .arg(ecrit, sans)};
    // Deviation: partial credit has no place in a score of right or wrong answers; only right
    // ("=") and wrong ("~", or "~%0%") are taken.
    if (valeur != 0)
        throw Refus{ligne, QStringLiteral("une réponse de la question %1 vaut %2 %, mais la leçon ne compte "
                                          "une réponse que juste (« = ») ou fausse (« ~ »)")
                               .arg(n)
                               .arg(ecrit)};
    if (ecrit != u"0")
        throw Refus{ligne, QStringLiteral("une réponse de la question %1 a le poids « %%2% » : écrivez ").arg(n).arg(ecrit) +
                               QStringLiteral("« ~%0% », ou « ~ » seul")};
    brut.remove(0, m.capturedLength());
}

// One answer's text: its weight checked, its feedback left out (the sound says right or wrong).
QString LireReponse(const Bloc& b, qsizetype marque, qsizetype suivante, Format format, int n) {
    const QString& t = b.texte;
    const int ligne = b.Ligne(marque);
    QString brut = t.mid(marque + 1, suivante - marque - 1);
    qsizetype blancs = 0;
    while (blancs < brut.size() && brut[blancs].isSpace()) ++blancs;
    brut.remove(0, blancs);
    LirePoids(brut, t[marque] == u'=', ligne, n);
    const qsizetype diese = Chercher(brut, u"#", 0);
    if (diese >= 0) brut.truncate(diese);
    const Format formatReponse = LireFormat(brut, format);
    const QString texte = Lisible(brut, formatReponse, b, marque, Refuse("une réponse de la question %1", n));
    if (texte.isEmpty()) throw Refus{ligne, Refuse("la question %1 a une réponse vide", n)};
    if (Longueur(texte) > BanqueQuestions::kLongueurReponseMax)
        throw Refus{ligne, QStringLiteral("une réponse de la question %1 fait %2 caractères, son bouton en "
                                          "montre %3 au plus")
                               .arg(n)
                               .arg(Longueur(texte))
                               .arg(BanqueQuestions::kLongueurReponseMax)};
    return texte;
}

EntreeQuestion LireQuestion(const Bloc& b, qsizetype p, int n) {
    p = SauterTitre(b, p, n);
    const Accolades a = TrouverAccolades(b, p, n);
    EntreeQuestion entree;
    Format format = Format::Moodle;
    entree.question = LireEnonce(b, p, a, n, format);
    VerifierChoixMultiple(b, a, n);
    const std::vector<qsizetype> marques = Marques(b, a, n);

    int justes = 0;
    std::vector<QString> fausses;
    for (size_t k = 0; k + 1 < marques.size(); ++k) {
        const QString texte = LireReponse(b, marques[k], marques[k + 1], format, n);
        if (b.texte[marques[k]] == u'=') {
            if (++justes > 1) throw Refus{b.Ligne(marques[k]), Refuse("la question %1 a deux bonnes réponses", n)};
            entree.reponses[0] = texte;
        } else {
            fausses.push_back(texte);
        }
    }
    const size_t nombre = marques.size() - 1;
    const int ligne = b.Ligne(a.ouvre);
    if (nombre != 4)
        throw Refus{ligne, QStringLiteral("la question %1 a %2 réponse%3, il en faut quatre dont une bonne")
                               .arg(n)
                               .arg(nombre)
                               .arg(nombre > 1 ? QStringLiteral("s") : QString())};
    if (justes == 0) throw Refus{ligne, Refuse("la question %1 n'a pas de bonne réponse : précédez-la de « = »", n)};
    for (size_t k = 0; k < 3; ++k) entree.reponses[k + 1] = fausses[k];
    return entree;
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

BanqueQuestions Lire(QByteArray octets) {
    if (octets.startsWith("\xEF\xBB\xBF")) octets.remove(0, 3);
    int derniereLigne = 1;
    const std::vector<Bloc> blocs = Blocs(octets, derniereLigne);

    BanqueQuestions banque;
    int n = 0;
    for (const Bloc& b : blocs) {
        qsizetype p = 0;
        while (p < b.texte.size() && b.texte[p].isSpace()) ++p;
        // A category names where Moodle files the questions; the lesson has no use for it. Moodle
        // reads the lines after it, up to a blank line, as part of its name.
        if (QStringView(b.texte).mid(p).startsWith(u"$CATEGORY:")) {
            const qsizetype fin = b.texte.indexOf(u'\n', p);
            if (fin < 0) continue;
            throw Refus{b.Ligne(fin + 1), QStringLiteral("une ligne vide doit suivre la ligne « $CATEGORY: » : "
                                                         "sans elle, Moodle lit ce qui suit dans le nom de la catégorie")};
        }
        if (++n > BanqueQuestions::kNombre)
            throw Refus{b.Ligne(p), QStringLiteral("le fichier a plus de vingt questions : la vingt et unième commence ici")};
        banque.entrees[static_cast<size_t>(n - 1)] = LireQuestion(b, p, n);
    }
    if (n == 0) throw Refus{derniereLigne, QStringLiteral("le fichier n'a aucune question, il en faut vingt")};
    if (n < BanqueQuestions::kNombre)
        throw Refus{derniereLigne, QStringLiteral("le fichier n'a que %1 question%2, il en faut vingt")
                                       .arg(n)
                                       .arg(n > 1 ? QStringLiteral("s") : QString())};
    return banque;
}

}  // namespace

LectureGift LireGiftDonnees(const QByteArray& octets, const QString& fichier) {
    LectureGift lecture;
    lecture.fichier = fichier;
    try {
        lecture.banque = Lire(octets);
    } catch (const Refus& refus) {
        lecture.ligne = refus.ligne;
        lecture.message = refus.message;
    }
    return lecture;
}

}  // namespace content
