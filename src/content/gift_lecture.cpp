// Reading a course's questions in GIFT, the plain-text format Moodle imports and exports, as its
// documentation describes it for multiple-choice questions. Anything the lesson cannot ask as it
// is (another kind of question, a count other than twenty, a text too long for the screen) is
// refused with the line where it is, so that the teacher can fix the file.

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
// Deviation: Markdown is shown as written, marks included: the lesson's labels show plain text,
// and a teacher who wants emphasis gets nothing from it there.
QString Lisible(QString brut, Format format) {
    static const QRegularExpression saut(QStringLiteral(R"([ \t]*\n[ \t]*)"));
    brut.replace(saut, QStringLiteral(" "));
    QString texte = Deseschapper(brut);
    if (format == Format::Html) texte = SansHtml(texte);
    // A carriage return alone ended a line on old Macs.
    texte.replace(u'\r', u' ');
    return texte.trimmed();
}

QString Refuse(const char* gabarit, int n) { return QString::fromUtf8(gabarit).arg(n); }

EntreeQuestion LireQuestion(const Bloc& b, qsizetype p, int n) {
    const QString& t = b.texte;
    if (QStringView(t).mid(p).startsWith(u"::")) {
        const qsizetype fin = Chercher(t, u"::", p + 2);
        if (fin < 0) throw Refus{b.Ligne(p), Refuse("le titre de la question %1 n'est pas fermé par « :: »", n)};
        p = fin + 2;
    }
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
    if (autre >= 0)
        throw Refus{b.Ligne(autre), Refuse("la question %1 a une accolade « { » de trop : écrivez \\{ pour l'afficher", n)};
    const qsizetype fermeApres = Chercher(t, u"}", ferme + 1);
    if (fermeApres >= 0)
        throw Refus{b.Ligne(fermeApres),
                    Refuse("la question %1 a une accolade « } » de trop : écrivez \\} pour l'afficher", n)};

    // Text after the answers makes a sentence with a blank, as Moodle shows it.
    QString enonce = t.mid(p, ouvre - p);
    const QString apres = t.mid(ferme + 1);
    if (!apres.trimmed().isEmpty()) enonce += QStringLiteral("_____") + apres;
    const Format format = LireFormat(enonce, Format::Moodle);
    EntreeQuestion entree;
    entree.question = Lisible(enonce, format);
    if (entree.question.isEmpty()) throw Refus{b.Ligne(p), Refuse("la question %1 n'a pas de texte", n)};
    if (Longueur(entree.question) > BanqueQuestions::kLongueurQuestionMax)
        throw Refus{b.Ligne(p), QStringLiteral("la question %1 fait %2 caractères, l'écran en montre %3 au plus")
                                    .arg(n)
                                    .arg(Longueur(entree.question))
                                    .arg(BanqueQuestions::kLongueurQuestionMax)};

    // Answers; a general feedback after #### is not shown by the lesson.
    const qsizetype debut = ouvre + 1;
    qsizetype fin = Chercher(t, u"####", debut, ferme);
    if (fin < 0) fin = ferme;
    const QString interieur = t.mid(debut, fin - debut).trimmed();
    const int ligneOuvre = b.Ligne(ouvre);
    const char* attendu = " : la leçon attend quatre réponses, la bonne précédée de « = », les autres de « ~ »";
    if (interieur.isEmpty())
        throw Refus{ligneOuvre, Refuse("la question %1 est une question ouverte", n) + QString::fromUtf8(attendu)};
    if (interieur.startsWith(u'#'))
        throw Refus{ligneOuvre, Refuse("la question %1 est une question numérique", n) + QString::fromUtf8(attendu)};
    static const QRegularExpression vraiFaux(QStringLiteral(R"(^(T|F|TRUE|FALSE)\s*(#.*)?$)"),
                                             QRegularExpression::DotMatchesEverythingOption);
    if (vraiFaux.match(interieur).hasMatch())
        throw Refus{ligneOuvre, Refuse("la question %1 est une question vrai-faux", n) + QString::fromUtf8(attendu)};
    const qsizetype fleche = Chercher(t, u"->", debut, fin);
    if (fleche >= 0)
        throw Refus{b.Ligne(fleche), Refuse("la question %1 est une question d'appariement (« -> »)", n) +
                                         QString::fromUtf8(attendu)};

    std::vector<qsizetype> marques;
    for (qsizetype i = debut; i < fin; ++i) {
        if (t[i] == u'\\') {
            ++i;
        } else if (t[i] == u'=' || t[i] == u'~') {
            marques.push_back(i);
        }
    }
    if (marques.empty())
        throw Refus{ligneOuvre, Refuse("la question %1 n'a pas de réponses à choisir", n) + QString::fromUtf8(attendu)};
    if (!QStringView(t).mid(debut, marques.front() - debut).trimmed().isEmpty())
        throw Refus{ligneOuvre, Refuse("la question %1 a du texte avant sa première réponse", n) + QString::fromUtf8(attendu)};
    marques.push_back(fin);

    static const QRegularExpression poids(QStringLiteral(R"(^%(-?[0-9]+(?:[.,][0-9]+)?)%)"));
    int justes = 0;
    std::vector<QString> fausses;
    for (size_t k = 0; k + 1 < marques.size(); ++k) {
        const int ligne = b.Ligne(marques[k]);
        bool juste = t[marques[k]] == u'=';
        QString brut = t.mid(marques[k] + 1, marques[k + 1] - marques[k] - 1);
        qsizetype blancs = 0;
        while (blancs < brut.size() && brut[blancs].isSpace()) ++blancs;
        brut.remove(0, blancs);
        if (brut.startsWith(u'%')) {
            const QRegularExpressionMatch m = poids.match(brut);
            if (!m.hasMatch())
                throw Refus{ligne, Refuse("une réponse de la question %1 a un poids mal écrit (« %50% », par exemple)", n)};
            const double valeur = m.captured(1).replace(u',', u'.').toDouble();
            // Deviation: partial credit has no place in a score of right or wrong answers; only
            // 100 % (right) and 0 % (wrong) are taken.
            if (valeur == 100) {
                juste = true;
            } else if (valeur == 0) {
                juste = false;
            } else {
                throw Refus{ligne, QStringLiteral("une réponse de la question %1 vaut %2 %, mais la leçon ne compte "
                                                  "une réponse que juste (« = ») ou fausse (« ~ »)")
                                       .arg(n)
                                       .arg(m.captured(1))};
            }
            brut.remove(0, m.capturedLength());
        }
        // Answer feedback is not shown by the lesson: the sound says right or wrong.
        const qsizetype diese = Chercher(brut, u"#", 0);
        if (diese >= 0) brut.truncate(diese);
        const Format formatReponse = LireFormat(brut, format);
        const QString texte = Lisible(brut, formatReponse);
        if (texte.isEmpty()) throw Refus{ligne, Refuse("la question %1 a une réponse vide", n)};
        // An arrow decoded from HTML would make the answers a matching question once written back.
        if (texte.contains(QStringLiteral("->")))
            throw Refus{ligne, Refuse("la question %1 est une question d'appariement (« -> »)", n) +
                                   QString::fromUtf8(attendu)};
        if (Longueur(texte) > BanqueQuestions::kLongueurReponseMax)
            throw Refus{ligne, QStringLiteral("une réponse de la question %1 fait %2 caractères, son bouton en "
                                              "montre %3 au plus")
                                   .arg(n)
                                   .arg(Longueur(texte))
                                   .arg(BanqueQuestions::kLongueurReponseMax)};
        if (juste) {
            if (++justes > 1) throw Refus{ligne, Refuse("la question %1 a deux bonnes réponses", n)};
            entree.reponses[0] = texte;
        } else {
            fausses.push_back(texte);
        }
    }
    const size_t nombre = marques.size() - 1;
    if (nombre != 4)
        throw Refus{ligneOuvre, QStringLiteral("la question %1 a %2 réponse%3, il en faut quatre dont une bonne")
                                    .arg(n)
                                    .arg(nombre)
                                    .arg(nombre > 1 ? QStringLiteral("s") : QString())};
    if (justes == 0)
        throw Refus{ligneOuvre, Refuse("la question %1 n'a pas de bonne réponse : précédez-la de « = »", n)};
    for (size_t k = 0; k < 3; ++k) entree.reponses[k + 1] = fausses[k];
    return entree;
}

BanqueQuestions Lire(QByteArray octets) {
    if (octets.startsWith("\xEF\xBB\xBF")) octets.remove(0, 3);
    const QList<QByteArray> brutes = octets.split('\n');

    std::vector<Bloc> blocs;
    Bloc courant;
    int derniereLigne = 1;
    auto clore = [&] {
        if (!courant.texte.isEmpty()) blocs.push_back(std::move(courant));
        courant = Bloc{};
    };
    for (qsizetype k = 0; k < brutes.size(); ++k) {
        const int numero = static_cast<int>(k + 1);
        QByteArray brute = brutes[k];
        if (brute.endsWith('\r')) brute.chop(1);
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString ligne = utf8.decode(brute);
        if (utf8.hasError())
            throw Refus{numero, QStringLiteral("le texte n'est pas en UTF-8 : enregistrez le fichier en UTF-8")};
        const QStringView nette = QStringView(ligne).trimmed();
        if (nette.isEmpty()) {
            clore();
            continue;
        }
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

    BanqueQuestions banque;
    int n = 0;
    for (const Bloc& b : blocs) {
        qsizetype p = 0;
        while (p < b.texte.size() && b.texte[p].isSpace()) ++p;
        // A category names where Moodle files the questions; the lesson has no use for it.
        if (QStringView(b.texte).mid(p).startsWith(u"$CATEGORY:")) {
            const qsizetype fin = b.texte.indexOf(u'\n', p);
            if (fin < 0) continue;
            p = fin + 1;
            while (p < b.texte.size() && b.texte[p].isSpace()) ++p;
            if (p >= b.texte.size()) continue;
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
