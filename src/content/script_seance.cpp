#include "content/script_seance.h"
#include "content/toml_errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <functional>
#include <iterator>
#include <set>

#include <toml++/toml.h>

namespace content {

const QString kTexteClotureSeance1 = QStringLiteral(
    "Et voilà, vous venez de terminer cette séance. Si votre performance est supérieure à 15/20 vous pouvez "
    "passer à la suivante. Si ce n'est pas le cas, il vous serait profitable de reprendre cette séance depuis "
    "son début.");

QString NomPagePdf(const QString& pdf, int page) { return pdf + QLatin1Char('#') + QString::number(page); }

// --- expressions -----------------------------------------------------------------------------------

double Expression::Evaluer(const Lecteur& lire, float echelle, double zoom) const {
    const std::function<double(const Noeud&)> valeur = [&](const Noeud& n) -> double {
        switch (n.genre) {
            case Noeud::Genre::Twips: return n.valeur * zoom;
            case Noeud::Genre::Nombre: return n.valeur;
            case Noeud::Genre::Pixels: return static_cast<double>(static_cast<float>(n.valeur) * echelle) * zoom;
            case Noeud::Genre::Mesure:
                switch (n.mesure) {
                    case Mesure::Droite: return lire(n.cadre, Mesure::Gauche) + lire(n.cadre, Mesure::Largeur);
                    case Mesure::Bas: return lire(n.cadre, Mesure::Haut) + lire(n.cadre, Mesure::Hauteur);
                    default: return lire(n.cadre, n.mesure);
                }
            case Noeud::Genre::Plus: return valeur(*n.gauche) + valeur(*n.droite);
            case Noeud::Genre::Moins: return valeur(*n.gauche) - valeur(*n.droite);
            case Noeud::Genre::Fois: return valeur(*n.gauche) * valeur(*n.droite);
            case Noeud::Genre::Divise: {
                const double d = valeur(*n.droite);
                return d == 0 ? 0 : valeur(*n.gauche) / d;
            }
            case Noeud::Genre::Oppose: return -valeur(*n.gauche);
        }
        return 0;
    };
    return racine_ ? valeur(*racine_) : 0;
}

std::vector<int> Expression::Cadres() const {
    std::vector<int> out;
    const std::function<void(const Noeud*)> parcourir = [&](const Noeud* n) {
        if (!n) return;
        if (n->genre == Noeud::Genre::Mesure && n->cadre > 0 &&
            std::find(out.begin(), out.end(), n->cadre) == out.end())
            out.push_back(n->cadre);
        parcourir(n->gauche.get());
        parcourir(n->droite.get());
    };
    parcourir(racine_.get());
    return out;
}

namespace {

// Where a mistake is: the line, and the column when it is about one key or value (0 otherwise).
struct Lieu {
    int ligne = 1;
    int colonne = 0;
};

struct Refus {
    Lieu lieu;
    QString message;
};

// Messages end without a full stop: whoever shows one ends the sentence, as for the questions file.
[[noreturn]] void Refuser(Lieu lieu, const QString& message) {
    throw Refus{lieu, message.endsWith(QLatin1Char('.')) ? message.chopped(1) : message};
}

using Noeud = Expression::Noeud;
using NoeudP = std::shared_ptr<const Noeud>;

NoeudP Feuille(Noeud::Genre genre, double valeur) {
    auto n = std::make_shared<Noeud>();
    n->genre = genre;
    n->valeur = valeur;
    return n;
}

NoeudP Mesure(int cadre, Expression::Mesure mesure) {
    auto n = std::make_shared<Noeud>();
    n->genre = Noeud::Genre::Mesure;
    n->cadre = cadre;
    n->mesure = mesure;
    return n;
}

NoeudP Operation(Noeud::Genre genre, NoeudP a, NoeudP b = nullptr) {
    auto n = std::make_shared<Noeud>();
    n->genre = genre;
    n->gauche = std::move(a);
    n->droite = std::move(b);
    return n;
}

const QString kAideExpression = QStringLiteral(
    "écrivez par exemple « diapositive.droite - cadre1.largeur - 20 px » (noms : diapositive, cadre1, cadre2, "
    "cadre3 ; mesures : .gauche, .haut, .largeur, .hauteur, .droite, .bas ; longueurs en px ou en twips)");

// A formula of « gauche » or « haut »: + - * / and brackets over the frames' measures and lengths.
class LecteurExpression {
public:
    LecteurExpression(const QString& texte, Lieu lieu, const QString& cle) : t_(texte), lieu_(lieu), cle_(cle) {}

    Expression Lire() {
        if (t_.size() > 1000) Echec(QStringLiteral("la formule est trop longue (1000 caractères au plus)"));
        auto [racine, longueur] = Somme();
        Blancs();
        if (i_ < t_.size()) Echec(QStringLiteral("« %1 » est en trop").arg(t_.mid(i_, 20)));
        if (!longueur)
            Echec(QStringLiteral("la formule donne un nombre sans unité, pas une position"));
        return Expression(racine);
    }

private:
    using Terme = std::pair<NoeudP, bool>;  // the node, and whether it is a length (else a bare number)

    [[noreturn]] void Echec(const QString& quoi) {
        Refuser(lieu_, QStringLiteral("dans « %1 = \"%2\" », %3 ; %4.").arg(cle_, t_, quoi, kAideExpression));
    }
    void Blancs() {
        while (i_ < t_.size() && t_[i_].isSpace()) ++i_;
    }
    bool Prendre(QChar c) {
        Blancs();
        if (i_ < t_.size() && t_[i_] == c) {
            ++i_;
            return true;
        }
        return false;
    }

    Terme Somme() {
        Terme a = Produit();
        for (;;) {
            const bool plus = Prendre(QLatin1Char('+'));
            if (!plus && !Prendre(QLatin1Char('-'))) return a;
            Terme b = Produit();
            if (!a.second || !b.second)
                Echec(QStringLiteral("on n'ajoute ou ne retranche que des longueurs (un nombre seul a besoin de px ou twips)"));
            a = {Operation(plus ? Noeud::Genre::Plus : Noeud::Genre::Moins, a.first, b.first), true};
        }
    }

    Terme Produit() {
        Terme a = Unaire();
        for (;;) {
            const bool fois = Prendre(QLatin1Char('*'));
            if (!fois && !Prendre(QLatin1Char('/'))) return a;
            Terme b = Unaire();
            if (b.second && (!fois || a.second))
                Echec(fois ? QStringLiteral("on ne multiplie pas deux longueurs entre elles")
                           : QStringLiteral("on ne divise que par un nombre sans unité"));
            a = {Operation(fois ? Noeud::Genre::Fois : Noeud::Genre::Divise, a.first, b.first), a.second || b.second};
        }
    }

    Terme Unaire() {
        if (++profondeur_ > 40) Echec(QStringLiteral("trop de parenthèses imbriquées"));
        Terme r = UnaireSansLimite();
        --profondeur_;
        return r;
    }

    Terme UnaireSansLimite() {
        if (Prendre(QLatin1Char('-'))) {
            Terme a = Unaire();
            return {Operation(Noeud::Genre::Oppose, a.first), a.second};
        }
        if (Prendre(QLatin1Char('('))) {
            Terme a = Somme();
            if (!Prendre(QLatin1Char(')'))) Echec(QStringLiteral("une parenthèse n'est pas fermée"));
            return a;
        }
        Blancs();
        if (i_ >= t_.size()) Echec(QStringLiteral("la formule s'arrête avant la fin"));
        if (t_[i_].isDigit()) return Nombre();
        if (t_[i_].isLetter()) return Nom();
        Echec(QStringLiteral("« %1 » est inattendu").arg(t_[i_]));
    }

    Terme Nombre() {
        const qsizetype debut = i_;
        while (i_ < t_.size() && (t_[i_].isDigit() || t_[i_] == QLatin1Char('.') || t_[i_] == QLatin1Char(','))) ++i_;
        QString chiffres = t_.mid(debut, i_ - debut);
        chiffres.replace(QLatin1Char(','), QLatin1Char('.'));
        bool ok = false;
        const double v = chiffres.toDouble(&ok);
        if (!ok || chiffres.size() > 12) Echec(QStringLiteral("« %1 » n'est pas un nombre").arg(t_.mid(debut, i_ - debut)));
        Blancs();
        const qsizetype avantUnite = i_;
        while (i_ < t_.size() && t_[i_].isLetter()) ++i_;
        const QString unite = t_.mid(avantUnite, i_ - avantUnite);
        if (unite.isEmpty()) return {Feuille(Noeud::Genre::Nombre, v), false};
        if (unite == QLatin1String("px")) return {Feuille(Noeud::Genre::Pixels, v), true};
        if (unite == QLatin1String("twips")) return {Feuille(Noeud::Genre::Twips, v), true};
        Echec(QStringLiteral("l'unité « %1 » est inconnue (px ou twips)").arg(unite));
    }

    Terme Nom() {
        const qsizetype debut = i_;
        while (i_ < t_.size() && (t_[i_].isLetterOrNumber() || t_[i_] == QLatin1Char('_'))) ++i_;
        const QString nom = t_.mid(debut, i_ - debut);
        int cadre = -1;
        if (nom == QLatin1String("diapositive")) cadre = 0;
        else if (nom == QLatin1String("cadre1")) cadre = 1;
        else if (nom == QLatin1String("cadre2")) cadre = 2;
        else if (nom == QLatin1String("cadre3")) cadre = 3;
        else Echec(QStringLiteral("« %1 » n'est ni la diapositive ni un cadre").arg(nom));
        if (!Prendre(QLatin1Char('.'))) Echec(QStringLiteral("« %1 » doit être suivi d'une mesure, par exemple « %1.gauche »").arg(nom));
        Blancs();
        const qsizetype avant = i_;
        while (i_ < t_.size() && t_[i_].isLetter()) ++i_;
        const QString mesure = t_.mid(avant, i_ - avant);
        static const std::pair<const char*, Expression::Mesure> kMesures[] = {
            {"gauche", Expression::Mesure::Gauche}, {"haut", Expression::Mesure::Haut},
            {"largeur", Expression::Mesure::Largeur}, {"hauteur", Expression::Mesure::Hauteur},
            {"droite", Expression::Mesure::Droite}, {"bas", Expression::Mesure::Bas}};
        for (const auto& [texte, m] : kMesures)
            if (mesure == QLatin1String(texte)) return {Mesure(cadre, m), true};
        Echec(QStringLiteral("« %1.%2 » n'est pas une mesure").arg(nom, mesure));
    }

    QString t_;
    Lieu lieu_;
    QString cle_;
    qsizetype i_ = 0;
    int profondeur_ = 0;
};

// --- anchors ---------------------------------------------------------------------------------------

const QString kAidePlace = QStringLiteral(
    "écrivez par exemple « à droite de la diapositive, en haut, marge 20 px » : une position en largeur (à droite "
    "de la diapositive, à gauche de la diapositive, au centre de la diapositive, à gauche de la photo précédente, "
    "à droite de la photo précédente, alignée à droite sur la photo précédente, alignée à gauche sur la photo "
    "précédente), une en hauteur (en haut, en bas, au milieu, sous la photo précédente, au-dessus de la photo "
    "précédente) et, si besoin, « marge 20 px » ou « marges 9 px et 10 px » (en largeur puis en hauteur)");

// A clause as it is compared: case, accents and spacing folded, since a teacher types « a droite
// de la diapositive » or « alignee a droite » as often as the accented words, and means the same.
QString Normaliser(QString s) {
    s = s.toLower();
    s.replace(QChar(0x2019), QLatin1Char('\''));
    s.replace(QChar(0x00A0), QLatin1Char(' '));
    s.replace(QLatin1String("au dessus"), QLatin1String("au-dessus"));
    QString plie;
    for (const QChar c : s.normalized(QString::NormalizationForm_D))
        if (c.category() != QChar::Mark_NonSpacing) plie += c;
    return plie.simplified();
}

// « 20 px » or « 300 twips ».
NoeudP Marge(const QString& texte, Lieu lieu, const QString& clause) {
    static const QRegularExpression kLongueur(QStringLiteral("^(\\d{1,6})\\s*(px|twips)$"));
    const QRegularExpressionMatch m = kLongueur.match(texte.trimmed());
    if (!m.hasMatch())
        Refuser(lieu, QStringLiteral("dans « %1 », « %2 » n'est pas une marge ; écrivez un nombre entier suivi de px ou "
                                      "de twips, par exemple « marge 20 px ».")
                           .arg(clause, texte.trimmed()));
    return Feuille(m.captured(2) == QLatin1String("px") ? Noeud::Genre::Pixels : Noeud::Genre::Twips,
                   m.captured(1).toDouble());
}

// Anchors in words, turned into the formulas they stand for. cadre: the frame being placed;
// precedent: the frame the page filled before it (0 if none).
Place LirePlace(const QString& texte, Lieu lieu, int cadre, int precedent) {
    enum class H { Aucune, DroiteDiapo, GaucheDiapo, CentreDiapo, GauchePrec, DroitePrec, AligneDroitePrec, AligneGauchePrec };
    enum class V { Aucune, Haut, Bas, Milieu, SousPrec, DessusPrec };
    H h = H::Aucune;
    V v = V::Aucune;
    NoeudP mh = Feuille(Noeud::Genre::Twips, 0), mv = Feuille(Noeud::Genre::Twips, 0);
    bool marge = false;
    const auto refuser = [&](const QString& quoi) {
        Refuser(lieu, QStringLiteral("dans « place = \"%1\" », %2 ; %3.").arg(texte, quoi, kAidePlace));
    };
    bool precedente = false;
    for (const QString& brute : texte.split(QLatin1Char(','))) {
        const QString c = Normaliser(brute);
        if (c.isEmpty()) refuser(QStringLiteral("une partie est vide"));
        static const std::pair<const char*, H> kH[] = {
            {"à droite de la diapositive", H::DroiteDiapo}, {"à gauche de la diapositive", H::GaucheDiapo},
            {"au centre de la diapositive", H::CentreDiapo}, {"à gauche de la photo précédente", H::GauchePrec},
            {"à droite de la photo précédente", H::DroitePrec},
            {"alignée à droite sur la photo précédente", H::AligneDroitePrec},
            {"alignée à gauche sur la photo précédente", H::AligneGauchePrec}};
        static const std::pair<const char*, V> kV[] = {
            {"en haut", V::Haut}, {"en bas", V::Bas}, {"au milieu", V::Milieu},
            {"sous la photo précédente", V::SousPrec}, {"au-dessus de la photo précédente", V::DessusPrec}};
        bool reconnue = false;
        for (const auto& [mots, quoi] : kH) {
            if (c != Normaliser(QString::fromUtf8(mots))) continue;
            if (h != H::Aucune) refuser(QStringLiteral("la position en largeur est donnée deux fois"));
            h = quoi;
            reconnue = true;
            precedente = precedente || c.endsWith(QLatin1String("precedente"));
        }
        for (const auto& [mots, quoi] : kV) {
            if (c != Normaliser(QString::fromUtf8(mots))) continue;
            if (v != V::Aucune) refuser(QStringLiteral("la position en hauteur est donnée deux fois"));
            v = quoi;
            reconnue = true;
            precedente = precedente || c.endsWith(QLatin1String("precedente"));
        }
        if (reconnue) continue;
        if (c.startsWith(QLatin1String("marges "))) {
            if (marge) refuser(QStringLiteral("la marge est donnée deux fois"));
            const QStringList deux = c.mid(7).split(QLatin1String(" et "));
            if (deux.size() != 2) refuser(QStringLiteral("« %1 » doit donner deux marges séparées par « et »").arg(c));
            mh = Marge(deux[0], lieu, c);
            mv = Marge(deux[1], lieu, c);
            marge = true;
        } else if (c.startsWith(QLatin1String("marge "))) {
            if (marge) refuser(QStringLiteral("la marge est donnée deux fois"));
            mh = mv = Marge(c.mid(6), lieu, c);
            marge = true;
        } else {
            refuser(QStringLiteral("« %1 » n'est pas une position connue").arg(brute.trimmed()));
        }
    }
    if (h == H::Aucune) refuser(QStringLiteral("la position en largeur manque"));
    if (v == V::Aucune) refuser(QStringLiteral("la position en hauteur manque"));
    if (precedente && precedent == 0)
        Refuser(lieu, QStringLiteral("aucune photo ne précède celle-ci sur la page ; placez-la par rapport à la "
                                      "diapositive, par exemple « à droite de la diapositive, en haut »."));

    using G = Noeud::Genre;
    using M = Expression::Mesure;
    const auto plus = [](NoeudP a, NoeudP b) { return Operation(G::Plus, std::move(a), std::move(b)); };
    const auto moins = [](NoeudP a, NoeudP b) { return Operation(G::Moins, std::move(a), std::move(b)); };
    const auto moitie = [](NoeudP a) { return Operation(G::Divise, std::move(a), Feuille(G::Nombre, 2)); };
    NoeudP gauche, haut;
    switch (h) {
        case H::DroiteDiapo:
            gauche = moins(moins(plus(Mesure(0, M::Gauche), Mesure(0, M::Largeur)), Mesure(cadre, M::Largeur)), mh);
            break;
        case H::GaucheDiapo: gauche = plus(Mesure(0, M::Gauche), mh); break;
        case H::CentreDiapo:
            gauche = plus(Mesure(0, M::Gauche), moitie(moins(Mesure(0, M::Largeur), Mesure(cadre, M::Largeur))));
            break;
        case H::GauchePrec: gauche = moins(moins(Mesure(precedent, M::Gauche), Mesure(cadre, M::Largeur)), mh); break;
        case H::DroitePrec: gauche = plus(plus(Mesure(precedent, M::Gauche), Mesure(precedent, M::Largeur)), mh); break;
        case H::AligneDroitePrec:
            gauche = moins(moins(plus(Mesure(precedent, M::Gauche), Mesure(precedent, M::Largeur)), Mesure(cadre, M::Largeur)), mh);
            break;
        case H::AligneGauchePrec: gauche = plus(Mesure(precedent, M::Gauche), mh); break;
        case H::Aucune: break;
    }
    switch (v) {
        case V::Haut: haut = plus(Mesure(0, M::Haut), mv); break;
        case V::Bas:
            haut = moins(moins(plus(Mesure(0, M::Haut), Mesure(0, M::Hauteur)), Mesure(cadre, M::Hauteur)), mv);
            break;
        case V::Milieu:
            haut = plus(Mesure(0, M::Haut), moitie(moins(Mesure(0, M::Hauteur), Mesure(cadre, M::Hauteur))));
            break;
        case V::SousPrec: haut = plus(plus(Mesure(precedent, M::Haut), Mesure(precedent, M::Hauteur)), mv); break;
        case V::DessusPrec: haut = moins(moins(Mesure(precedent, M::Haut), Mesure(cadre, M::Hauteur)), mv); break;
        case V::Aucune: break;
    }
    return Place{Expression(gauche), Expression(haut)};
}

// --- the TOML document -----------------------------------------------------------------------------

int Ligne(const toml::node& n) { return static_cast<int>(n.source().begin.line); }

Lieu LieuDe(const toml::node& n) {
    const toml::source_position debut = n.source().begin;
    return debut.line ? Lieu{static_cast<int>(debut.line), static_cast<int>(debut.column)} : Lieu{};
}

// A table's mistakes (a key missing) are said at its header's line.
Lieu LieuDeTable(int ligne) { return Lieu{std::max(1, ligne), 0}; }

QString Texte(const std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

int Distance(const QString& a, const QString& b) {
    std::vector<int> d(static_cast<size_t>(b.size()) + 1);
    for (size_t j = 0; j < d.size(); ++j) d[j] = static_cast<int>(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonale = d[0];
        d[0] = static_cast<int>(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int avant = d[static_cast<size_t>(j)];
            d[static_cast<size_t>(j)] = std::min({avant + 1, d[static_cast<size_t>(j - 1)] + 1,
                                                  diagonale + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonale = avant;
        }
    }
    return d.back();
}

QString Guillemets(const QStringList& mots) {
    QStringList out;
    for (const QString& m : mots) out << QStringLiteral("« %1 »").arg(m);
    return out.join(QStringLiteral(", "));
}

QString Chaine(const toml::node& n, const QString& cle, const QString& exemple) {
    if (const auto* s = n.as_string()) return Texte(s->get());
    Refuser(LieuDe(n), QStringLiteral("« %1 » attend un texte entre guillemets ; écrivez par exemple %1 = \"%2\".").arg(cle, exemple));
}

// An instant as its teacher wrote it, ticks of 100 ms or seconds, and said back to them so.
struct Instant {
    int tops = 1;
    bool secondes = false;
    Lieu lieu;
    // « 15 » or « 1,5 s ».
    QString Dit() const {
        if (!secondes) return QString::number(tops);
        return QString::number(tops / 10) + (tops % 10 ? QStringLiteral(",%1").arg(tops % 10) : QString()) + QStringLiteral(" s");
    }
    // « au top 15 » or « à 1,5 s ».
    QString Quand() const { return (secondes ? QStringLiteral("à ") : QStringLiteral("au top ")) + Dit(); }
};

// An instant: ticks of 100 ms as a whole number, or seconds as "1,5 s".
Instant LireInstant(const toml::node& n, const QString& cle) {
    const QString aide = QStringLiteral("écrivez un nombre de tops de 100 ms (%1 = 15) ou de secondes (%1 = \"1,5 s\")").arg(cle);
    Instant instant;
    instant.lieu = LieuDe(n);
    if (const auto* i = n.as_integer()) {
        if (i->get() < 1 || i->get() > 30000)
            Refuser(instant.lieu, QStringLiteral("« %1 » doit être compris entre 1 et 30000 tops ; %2.").arg(cle, aide));
        instant.tops = static_cast<int>(i->get());
    } else if (const auto* s = n.as_string()) {
        static const QRegularExpression kSecondes(QStringLiteral("^(\\d{1,4})(?:[.,](\\d{1,3}))?\\s*s$"));
        const QString texte = Texte(s->get()).trimmed();
        const QRegularExpressionMatch m = kSecondes.match(texte);
        if (!m.hasMatch()) Refuser(instant.lieu, QStringLiteral("« %1 » n'est pas une durée ; %2.").arg(texte, aide));
        QString decimales = m.captured(2);
        while (decimales.endsWith(QLatin1Char('0'))) decimales.chop(1);
        if (decimales.size() > 1)
            Refuser(instant.lieu, QStringLiteral("« %1 » ne tombe pas sur un top de 100 ms ; arrondissez au dixième de seconde, "
                                                 "par exemple « %2 ».").arg(texte, m.captured(1) + QLatin1Char(',') + decimales.left(1) + QStringLiteral(" s")));
        instant.tops = m.captured(1).toInt() * 10 + (decimales.isEmpty() ? 0 : decimales.toInt());
        instant.secondes = true;
        if (instant.tops < 1 || instant.tops > 30000)
            Refuser(instant.lieu, QStringLiteral("« %1 » doit être compris entre 0,1 s et 3000 s ; %2.").arg(cle, aide));
    } else {
        Refuser(instant.lieu, QStringLiteral("« %1 » n'est pas un instant ; %2.").arg(cle, aide));
    }
    return instant;
}

// The name of a file of the séance's folder: a plain name, no path.
QString NomFichier(const QString& nom, Lieu lieu, const QStringList& extensions, const QString& quoi) {
    if (nom.isEmpty() || nom.contains(QLatin1Char('/')) || nom.contains(QLatin1Char('\\')) || nom.startsWith(QLatin1Char('.')) ||
        nom.size() > 200 || std::any_of(nom.begin(), nom.end(), [](QChar c) { return c.category() == QChar::Other_Control; }))
        Refuser(lieu, QStringLiteral("« %1 » n'est pas un nom de fichier du dossier de la séance ; écrivez le seul nom du "
                                     "fichier, sans chemin, par exemple « %2 ».").arg(nom, quoi));
    const QString extension = QFileInfo(nom).suffix().toLower();
    if (!extensions.contains(extension))
        Refuser(lieu, QStringLiteral("« %1 » n'est pas un fichier que la leçon sait montrer ici ; écrivez un fichier %2, "
                                     "par exemple « %3 ».").arg(nom, Guillemets(extensions).replace(QLatin1String("« "), QLatin1String("« .")), quoi));
    return nom;
}

const QStringList kExtensionsSons{QStringLiteral("wav"), QStringLiteral("flac"), QStringLiteral("ogg"), QStringLiteral("oga"),
                                   QStringLiteral("mp3")};

const QStringList kExtensionsImages{QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("png"), QStringLiteral("bmp")};

// A slide: an EMF file, or a page of a PDF: "Cours.pdf, page 3".
QString LireDiapositive(const toml::node& n, const QString& cle) {
    const QString exemple = QStringLiteral("« Diapo3.emf » ou « Cours.pdf, page 3 »");
    const QString texte = Chaine(n, cle, QStringLiteral("Diapo3.emf")).trimmed();
    static const QRegularExpression kPagePdf(QStringLiteral("^(.+\\.pdf)\\s*,\\s*page\\s+(\\d{1,4})$"),
                                             QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = kPagePdf.match(texte);
    if (m.hasMatch()) {
        const int page = m.captured(2).toInt();
        if (page < 1) Refuser(LieuDe(n), QStringLiteral("les pages d'un PDF se comptent à partir de 1 ; écrivez « %1, page 1 ».").arg(m.captured(1)));
        return NomPagePdf(NomFichier(m.captured(1).trimmed(), LieuDe(n), {QStringLiteral("pdf")}, exemple), page);
    }
    if (texte.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        Refuser(LieuDe(n), QStringLiteral("une diapositive est une page du PDF ; écrivez « %1, page 1 ».").arg(texte));
    if (!texte.endsWith(QLatin1String(".emf"), Qt::CaseInsensitive))
        Refuser(LieuDe(n), QStringLiteral("« %1 » n'est pas une diapositive ; écrivez un fichier EMF ou une page d'un PDF du "
                                          "dossier, par exemple %2.").arg(texte, exemple));
    return NomFichier(texte, LieuDe(n), {QStringLiteral("emf")}, exemple);
}

// « oui » or « non » (or true and false).
bool LireOuiNon(const toml::node& n, const QString& cle) {
    if (const auto* b = n.as_boolean()) return b->get();
    const QString valeur = n.as_string() ? Normaliser(Texte(n.as_string()->get())) : QString();
    if (valeur == QLatin1String("oui")) return true;
    if (valeur == QLatin1String("non")) return false;
    Refuser(LieuDe(n), QStringLiteral("« %1 » se règle par oui ou non ; écrivez %1 = \"oui\" ou %1 = \"non\".").arg(cle));
}

int LireCadre(const toml::node& n) {
    const auto* i = n.as_integer();
    if (!i || i->get() < 1 || i->get() > 3)
        Refuser(LieuDe(n), QStringLiteral("la leçon a trois cadres de photographie ; écrivez cadre = 1, 2 ou 3."));
    return static_cast<int>(i->get());
}

// The place of a picture in frame cadre: « place » in words, or « gauche » and « haut » as formulas.
// dejaPlaces: the frames filled on the page before this one, which a formula may read.
Place LirePlaceDe(const toml::table& t, Lieu table, int cadre, int precedent, const std::vector<int>& dejaPlaces) {
    const toml::node* place = t.get("place");
    const toml::node* gauche = t.get("gauche");
    const toml::node* haut = t.get("haut");
    Place p;
    if (place) {
        if (gauche || haut)
            Refuser(LieuDe(gauche ? *gauche : *haut), QStringLiteral("la place est déjà donnée par « place » ; écrivez soit "
                                                                     "« place », soit « gauche » et « haut »."));
        return LirePlace(Chaine(*place, QStringLiteral("place"), QStringLiteral("à droite de la diapositive, en haut, marge 20 px")),
                         LieuDe(*place), cadre, precedent);
    }
    if (!gauche || !haut)
        Refuser(gauche || haut ? LieuDe(gauche ? *gauche : *haut) : table,
                QStringLiteral("il manque la place de la photo ; écrivez place = \"à droite de la diapositive, en haut, "
                               "marge 20 px\", ou bien gauche = \"…\" et haut = \"…\"."));
    for (const auto& [noeud, cle] : {std::pair{gauche, QStringLiteral("gauche")}, std::pair{haut, QStringLiteral("haut")}}) {
        Expression e = LecteurExpression(Chaine(*noeud, cle, QStringLiteral("diapositive.gauche + 20 px")), LieuDe(*noeud), cle).Lire();
        for (int c : e.Cadres()) {
            if (c != cadre && std::find(dejaPlaces.begin(), dejaPlaces.end(), c) == dejaPlaces.end())
                Refuser(LieuDe(*noeud), QStringLiteral("« cadre%1 » n'a encore rien reçu sur cette page quand cette photo "
                                                       "arrive ; écrivez une formule sur la diapositive, le cadre%2 ou un "
                                                       "cadre déjà rempli.").arg(c).arg(cadre));
        }
        (cle == QLatin1String("gauche") ? p.gauche : p.haut) = std::move(e);
    }
    return p;
}

const toml::table& Table(const toml::node& n, const QString& quoi) {
    const auto* t = n.as_table();
    if (!t) Refuser(LieuDe(n), QStringLiteral("« %1 » doit être une table ; écrivez [%1] sur une ligne, puis ses clés.").arg(quoi));
    return *t;
}

std::vector<const toml::table*> Tables(const toml::node& n, const QString& quoi) {
    const auto* a = n.as_array();
    if (!a || !a->is_array_of_tables())
        Refuser(LieuDe(n), QStringLiteral("« %1 » s'écrit [[%1]] sur une ligne, puis ses clés.").arg(quoi));
    std::vector<const toml::table*> out;
    for (const toml::node& e : *a) out.push_back(e.as_table());
    return out;
}

// The séance's folder, when the script is read from it: every file the script names is looked for there.
struct DossierSeance {
    QString chemin;
    QStringList presents;
};

struct LecteurScript;

// A kind of page: its name in the script, where it goes, the keys it allows and how it is read.
struct GenrePage {
    PageScript::Type type;
    QString nom;
    std::optional<int> place;  // its page number, counted from the end when negative; none: any page between
    QString ici;               // why its place wants this kind
    QString ailleurs;          // why this kind is at no other place
    QStringList cles;
    QString ou;  // where, in the message about a key it does not allow
    void (LecteurScript::*lire)(const toml::table&, PageScript&);
};

// A step or photograph of a page, its instant read, before the page's steps are put in time order.
struct Lue {
    std::optional<Instant> instant;
    int ligne;
    const toml::table* table;
    bool diapositive;
};

// Reads the whole script and keeps every mistake: a value that cannot be read is left out, and
// what depends on it (a photograph's place on its frame, an instant against the page's end) is not
// checked, so that each mistake is said once and for itself.
struct LecteurScript {
    const DossierSeance* dossier = nullptr;
    std::vector<Refus> refus;
    std::set<QString> introuvables;
    // The keys already offered for a mistyped one, each with its table: missing there, it is that mistake.
    std::set<std::pair<const toml::table*, QString>> proposees;

    void Signaler(Lieu lieu, const QString& message) {
        refus.push_back({lieu, message.endsWith(QLatin1Char('.')) ? message.chopped(1) : message});
    }
    // Runs lire; its refusal becomes one mistake among the others. Whether it read.
    bool Essayer(const std::function<void()>& lire) {
        try {
            lire();
            return true;
        } catch (const Refus& r) {
            if (!r.message.isEmpty()) refus.push_back(r);
            return false;
        }
    }

    const toml::node& Exigee(const toml::table& t, const char* cle, Lieu table, const QString& exemple) {
        const toml::node* n = t.get(cle);
        if (n) return *n;
        if (proposees.count({&t, QLatin1String(cle)})) throw Refus{table, {}};
        Refuser(table, QStringLiteral("il manque « %1 » ; écrivez par exemple %1 = %2.").arg(QLatin1String(cle), exemple));
    }

    // Each key that is not among the permitted ones, naming the nearest one when it looks like a typo.
    void SeulementCles(const toml::table& table, const QStringList& permises, const QString& ou) {
        for (const auto& [cle, valeur] : table) {
            const QString k = Texte(cle.str());
            if (permises.contains(k)) continue;
            QString proche;
            int meilleure = 3;
            for (const QString& p : permises) {
                const int d = Distance(k.toLower(), p);
                if (d < meilleure) meilleure = d, proche = p;
            }
            if (!proche.isEmpty()) proposees.insert({&table, proche});
            const toml::source_position debut = cle.source().begin;
            Signaler(debut.line ? Lieu{static_cast<int>(debut.line), static_cast<int>(debut.column)} : LieuDe(valeur),
                     proche.isEmpty()
                         ? QStringLiteral("la clé « %1 » est inconnue %2 ; écrivez l'une de %3.").arg(k, ou, Guillemets(permises))
                         : QStringLiteral("la clé « %1 » est inconnue %2 ; écrivez « %3 ».").arg(k, ou, proche));
        }
    }

    // A file the script names, looked for in the séance's folder: the lesson would otherwise stop on it
    // in the middle. Said once, where it is first named.
    void Chercher(const QString& nom, Lieu lieu) {
        const QString seul = nom.section(QLatin1Char('#'), 0, 0);
        if (!dossier || dossier->presents.contains(seul) || !introuvables.insert(seul).second) return;
        QString proche;
        for (const QString& p : dossier->presents)
            if (p.compare(seul, Qt::CaseInsensitive) == 0) proche = p;
        Signaler(lieu, QStringLiteral("le fichier « %1 » est introuvable dans %2 ; %3.")
                           .arg(QDir::toNativeSeparators(QDir(dossier->chemin).filePath(seul)),
                                QDir::toNativeSeparators(QFileInfo(dossier->chemin).fileName()),
                                proche.isEmpty() ? QStringLiteral("ajoutez-le au dossier ou écrivez le nom d'un fichier qui s'y trouve")
                                                 : QStringLiteral("écrivez « %1 », avec ses majuscules").arg(proche)));
    }
    QString Diapositive(const toml::node& n) {
        QString nom = LireDiapositive(n, QStringLiteral("diapositive"));
        Chercher(nom, LieuDe(n));
        return nom;
    }
    QString Son(const toml::node& n) {
        QString nom = NomFichier(Chaine(n, QStringLiteral("fichier"), QStringLiteral("explication.mp3")), LieuDe(n), kExtensionsSons,
                                 QStringLiteral("« explication.mp3 »"));
        Chercher(nom, LieuDe(n));
        return nom;
    }
    QString Image(const toml::node& n, const QString& cle, const QString& exemple, const QString& quoi) {
        QString nom = NomFichier(Chaine(n, cle, exemple), LieuDe(n), kExtensionsImages, quoi);
        Chercher(nom, LieuDe(n));
        return nom;
    }

    ScriptSeance Lire(const toml::table& racine);
    double LirePenalite(const toml::table& t);
    void LireAffichage(const toml::node& n, ScriptSeance& script);
    PageScript LirePage(const toml::table& t, int numero, int nombre);
    void LireTitre(const toml::table& t, PageScript& page);
    void LireDiapositives(const toml::table& t, PageScript& page);
    void LireEvaluation(const toml::table&, PageScript&) {}
    void LireCloture(const toml::table& t, PageScript& page);
    EtapeScript LireEtape(const Lue& l);
    EtapeScript LirePhoto(const Lue& l, int& precedent, std::vector<int>& remplis);
    void LireSons(const toml::node& n, const std::optional<Instant>& fin, PageScript& page);
    void LireAnimationDePage(const toml::node& n, const Instant& dernier, const std::optional<Instant>& fin, int precedent,
                             PageScript& page);
    AnimationScript LireAnimation(const toml::table& t, int ligneTable, int precedent, std::optional<Instant>& instant);
    std::optional<AnimationScript::Photo> LirePhotoAnimation(const toml::node& n, std::optional<int> cadreAnimation);
};

const QString kCloses = QStringLiteral("l'évaluation et la clôture sont les deux dernières pages");

const GenrePage kGenresPage[] = {
    {PageScript::Type::Titre, QStringLiteral("titre"), 0, QStringLiteral("la première page est la page de titre"),
     QStringLiteral("seule la première page est une page de titre"), {QStringLiteral("type"), QStringLiteral("diapositive")},
     QStringLiteral("dans la page de titre, qui montre sa diapositive et rien d'autre,"), &LecteurScript::LireTitre},
    {PageScript::Type::Diapositive, QStringLiteral("diapositive"), std::nullopt, {}, {},
     {QStringLiteral("type"), QStringLiteral("diapositive"), QStringLiteral("fin"), QStringLiteral("photo"), QStringLiteral("etape"),
      QStringLiteral("animation"), QStringLiteral("attendre"), QStringLiteral("son")},
     QStringLiteral("dans une page"), &LecteurScript::LireDiapositives},
    {PageScript::Type::Evaluation, QStringLiteral("evaluation"), -2, QStringLiteral("l'avant-dernière page est l'évaluation"),
     kCloses, {QStringLiteral("type")}, QStringLiteral("dans l'évaluation, dont les questions sont celles de questions.gift,"),
     &LecteurScript::LireEvaluation},
    {PageScript::Type::Cloture, QStringLiteral("cloture"), -1, QStringLiteral("la dernière page est la clôture"), kCloses,
     {QStringLiteral("type"), QStringLiteral("texte")}, QStringLiteral("dans la page de clôture"), &LecteurScript::LireCloture},
};

const GenrePage& GenreDe(PageScript::Type type) {
    return *std::find_if(std::begin(kGenresPage), std::end(kGenresPage), [&](const GenrePage& g) { return g.type == type; });
}

// The kind the page numero of nombre must be.
const GenrePage& GenreALaPlace(int numero, int nombre) {
    for (const GenrePage& g : kGenresPage)
        if (g.place && (*g.place < 0 ? nombre + *g.place : *g.place) == numero) return g;
    return GenreDe(PageScript::Type::Diapositive);
}

const GenrePage& LireGenre(const toml::node& n) {
    const QString type = Chaine(n, QStringLiteral("type"), QStringLiteral("diapositive"));
    QStringList noms;
    for (const GenrePage& g : kGenresPage) {
        if (g.nom == type) return g;
        noms << g.nom;
    }
    // A kind cut short (« diapo ») is the one it begins; otherwise the nearest in spelling.
    QString proche = QStringLiteral("diapositive");
    for (const QString& k : noms)
        if (Distance(type.toLower(), k) < Distance(type.toLower(), proche)) proche = k;
    for (const QString& k : noms)
        if (!type.isEmpty() && k.startsWith(type, Qt::CaseInsensitive)) proche = k;
    Refuser(LieuDe(n), QStringLiteral("le type « %1 » est inconnu ; écrivez « %2 » (types : %3).").arg(type, proche, Guillemets(noms)));
}

double LecteurScript::LirePenalite(const toml::table& t) {
    SeulementCles(t, {QStringLiteral("penalite")}, QStringLiteral("dans [evaluation]"));
    const toml::node* n = t.get("penalite");
    if (!n) return 0.5;
    const std::optional<double> p = n->value<double>();
    if (!p || !(*p >= 0 && *p <= 1))
        Refuser(LieuDe(*n), QStringLiteral("« penalite » est la part de la valeur d'une question qu'une mauvaise réponse "
                                           "retire, de 0 à 1 ; écrivez par exemple penalite = 0.5 (la moitié), ou "
                                           "penalite = 0 pour aucune."));
    return *p;
}

ScriptSeance LecteurScript::Lire(const toml::table& racine) {
    ScriptSeance script;
    SeulementCles(racine, {QStringLiteral("affichage"), QStringLiteral("page"), QStringLiteral("evaluation")},
                  QStringLiteral("en tête du script (il contient « [affichage] », ses pages et « [evaluation] »)"));
    if (const toml::node* affichage = racine.get("affichage")) LireAffichage(*affichage, script);
    if (const toml::node* evaluation = racine.get("evaluation"))
        Essayer([&] { script.penalite = LirePenalite(Table(*evaluation, QStringLiteral("evaluation"))); });
    const toml::node* pages = racine.get("page");
    if (!pages) {
        Signaler({}, QStringLiteral("le script n'a aucune page ; écrivez [[page]] puis type = \"titre\" et diapositive = \"Diapo0.emf\"."));
        return script;
    }
    std::vector<const toml::table*> tables;
    if (!Essayer([&] { tables = Tables(*pages, QStringLiteral("page")); })) return script;
    const int nombre = static_cast<int>(tables.size());
    // Out of that, no page's place says its kind: each page is still read as it is written.
    const bool compte = nombre >= 3 && nombre <= 100;
    if (!compte)
        Signaler(LieuDeTable(tables.empty() ? 1 : static_cast<int>(tables.back()->source().begin.line)),
                 QStringLiteral("une séance a de 3 à 100 pages : une page de titre, ses diapositives, l'évaluation et la clôture ; "
                                "elle en a %1.").arg(nombre));
    for (int i = 0; i < nombre; ++i) script.pages.push_back(LirePage(*tables[static_cast<size_t>(i)], i, compte ? nombre : 0));
    return script;
}

// How the séance is shown, for all its pages.
void LecteurScript::LireAffichage(const toml::node& n, ScriptSeance& script) {
    const toml::table* t = nullptr;
    if (!Essayer([&] { t = &Table(n, QStringLiteral("affichage")); })) return;
    SeulementCles(*t, {QStringLiteral("diapositives"), QStringLiteral("attendre")}, QStringLiteral("dans « [affichage] »"));
    if (const toml::node* a = t->get("attendre")) Essayer([&] { script.attendre = LireOuiNon(*a, QStringLiteral("attendre")); });
    if (const toml::node* d = t->get("diapositives"))
        Essayer([&] {
            const QString aide = QStringLiteral("écrivez diapositives = \"écran\" (à la taille de l'écran) ou "
                                                "diapositives = \"naturelle\" (à leur taille propre)");
            const QString ecrite = Chaine(*d, QStringLiteral("diapositives"), QStringLiteral("écran"));
            const QString valeur = Normaliser(ecrite);
            if (valeur == QLatin1String("ecran")) script.diapositives = ScriptSeance::Diapositives::Ecran;
            else if (valeur == QLatin1String("naturelle")) script.diapositives = ScriptSeance::Diapositives::Naturelle;
            else Refuser(LieuDe(*d), QStringLiteral("« %1 » n'est pas une taille de diapositive ; %2.").arg(ecrite, aide));
        });
}

// nombre: the séance's number of pages, 0 when it cannot say which kind each place wants.
PageScript LecteurScript::LirePage(const toml::table& t, int numero, int nombre) {
    PageScript page;
    page.ligne = t.source().begin.line ? static_cast<int>(t.source().begin.line) : 1;
    const GenrePage* genre = &GenreDe(PageScript::Type::Diapositive);
    Lieu lieuType = LieuDeTable(page.ligne);
    if (const toml::node* n = t.get("type")) {
        lieuType = LieuDe(*n);
        genre = nullptr;
        Essayer([&] { genre = &LireGenre(*n); });
        if (!genre) return page;  // no kind, so no keys to hold the page's own against
    }
    page.type = genre->type;
    if (nombre > 0) {
        const GenrePage& attendu = GenreALaPlace(numero, nombre);
        if (&attendu != genre)
            Signaler(lieuType, QStringLiteral("la page %1 est de type « %2 », mais %3 ; écrivez type = \"%4\".")
                                   .arg(numero)
                                   .arg(genre->nom, attendu.ici.isEmpty() ? genre->ailleurs : attendu.ici, attendu.nom));
    }
    SeulementCles(t, genre->cles, genre->ou);
    (this->*genre->lire)(t, page);
    return page;
}

void LecteurScript::LireTitre(const toml::table& t, PageScript& page) {
    Essayer([&] { page.diapositive = Diapositive(Exigee(t, "diapositive", LieuDeTable(page.ligne), QStringLiteral("\"Diapo1.emf\""))); });
}

void LecteurScript::LireCloture(const toml::table& t, PageScript& page) {
    page.texte = kTexteClotureSeance1;
    if (const toml::node* n = t.get("texte"))
        Essayer([&] {
            page.texte = Chaine(*n, QStringLiteral("texte"), QStringLiteral("Bravo, la séance est terminée.")).trimmed();
            if (page.texte.isEmpty() || page.texte.size() > 600)
                Refuser(LieuDe(*n), QStringLiteral("le texte de clôture a de 1 à 600 caractères ; écrivez-le entre guillemets."));
        });
}

void LecteurScript::LireDiapositives(const toml::table& t, PageScript& page) {
    const Lieu lieu = LieuDeTable(page.ligne);
    Essayer([&] { page.diapositive = Diapositive(Exigee(t, "diapositive", lieu, QStringLiteral("\"Diapo1.emf\""))); });
    std::optional<Instant> fin;
    const toml::node* noeudFin = t.get("fin");
    if (noeudFin && noeudFin->as_string() && Normaliser(Texte(noeudFin->as_string()->get())) == QLatin1String("apres le son")) {
        page.finApresSon = true;
        page.fin = -1;  // Compteur never reads it: the run ends when the last sound has
    } else {
        Essayer([&] { fin = LireInstant(Exigee(t, "fin", lieu, QStringLiteral("40")), QStringLiteral("fin")); });
    }
    if (fin) page.fin = fin->tops;
    if (const toml::node* a = t.get("attendre")) Essayer([&] { page.attendre = LireOuiNon(*a, QStringLiteral("attendre")); });

    // The slide at tick 1, then the steps of the build and the photographs, merged in time order.
    page.etapes.push_back(EtapeScript{1, true, page.diapositive, 0, {}, page.ligne});
    std::vector<Lue> lues;
    for (const char* cle : {"etape", "photo"}) {
        const toml::node* n = t.get(cle);
        std::vector<const toml::table*> tables;
        if (!n || !Essayer([&] { tables = Tables(*n, QStringLiteral("page.%1").arg(QLatin1String(cle))); })) continue;
        for (const toml::table* e : tables) {
            Lue l{std::nullopt, e->source().begin.line ? static_cast<int>(e->source().begin.line) : Ligne(*n), e,
                  std::string_view(cle) == "etape"};
            if (l.diapositive)
                SeulementCles(*e, {QStringLiteral("instant"), QStringLiteral("diapositive")}, QStringLiteral("dans une étape"));
            else
                SeulementCles(*e, {QStringLiteral("instant"), QStringLiteral("cadre"), QStringLiteral("fichier"), QStringLiteral("place"),
                                   QStringLiteral("gauche"), QStringLiteral("haut")},
                              QStringLiteral("dans une photo"));
            Essayer([&] { l.instant = LireInstant(Exigee(*e, "instant", LieuDeTable(l.ligne), QStringLiteral("10")), QStringLiteral("instant")); });
            lues.push_back(l);
        }
    }
    std::stable_sort(lues.begin(), lues.end(), [](const Lue& a, const Lue& b) { return a.ligne < b.ligne; });
    Instant dernier;
    int precedent = 0;
    std::vector<int> remplis;
    for (const Lue& l : lues) {
        if (l.instant) {
            if (l.instant->tops < dernier.tops)
                Signaler(l.instant->lieu, QStringLiteral("l'instant %1 vient avant celui de l'étape précédente (%2) ; rangez les photos et "
                                                         "les étapes de la page dans l'ordre du temps, ou écrivez un instant d'au moins %2.")
                                              .arg(l.instant->Dit(), dernier.Dit()));
            if (fin && l.instant->tops >= fin->tops)
                Signaler(l.instant->lieu, QStringLiteral("l'instant %1 n'arrive pas : la page finit %2 ; écrivez un instant plus petit "
                                                         "ou une fin plus grande.").arg(l.instant->Dit(), fin->Quand()));
            if (l.instant->tops >= dernier.tops) dernier = *l.instant;
        }
        page.etapes.push_back(l.diapositive ? LireEtape(l) : LirePhoto(l, precedent, remplis));
    }
    if (const toml::node* n = t.get("animation")) LireAnimationDePage(*n, dernier, fin, precedent, page);
    if (const toml::node* n = t.get("son")) LireSons(*n, fin, page);
    if (page.finApresSon && page.sons.empty())
        Signaler(LieuDe(*noeudFin), QStringLiteral("« fin = \"après le son\" » attend un son sur la page ; ajoutez-en un avec [[page.son]], "
                                                   "ou écrivez une fin, par exemple fin = 40."));
}

void LecteurScript::LireSons(const toml::node& n, const std::optional<Instant>& fin, PageScript& page) {
    std::vector<const toml::table*> tables;
    if (!Essayer([&] { tables = Tables(n, QStringLiteral("page.son")); })) return;
    Instant dernier;
    for (const toml::table* e : tables) {
        SonScript son;
        son.ligne = e->source().begin.line ? static_cast<int>(e->source().begin.line) : Ligne(n);
        const Lieu lieu = LieuDeTable(son.ligne);
        SeulementCles(*e, {QStringLiteral("instant"), QStringLiteral("fichier"), QStringLiteral("texte")}, QStringLiteral("dans un son"));
        std::optional<Instant> instant;
        Essayer([&] { instant = LireInstant(Exigee(*e, "instant", lieu, QStringLiteral("10")), QStringLiteral("instant")); });
        if (instant) {
            son.instant = instant->tops;
            if (instant->tops < dernier.tops)
                Signaler(instant->lieu, QStringLiteral("l'instant %1 vient avant celui du son précédent (%2) ; rangez les sons de la page "
                                                       "dans l'ordre du temps.").arg(instant->Dit(), dernier.Dit()));
            else
                dernier = *instant;
            if (fin && instant->tops >= fin->tops)
                Signaler(instant->lieu, QStringLiteral("l'instant %1 n'arrive pas : la page finit %2 ; écrivez un instant plus petit, "
                                                       "une fin plus grande ou fin = \"après le son\".").arg(instant->Dit(), fin->Quand()));
        }
        Essayer([&] { son.fichier = Son(Exigee(*e, "fichier", lieu, QStringLiteral("\"explication.mp3\""))); });
        Essayer([&] {
            const toml::node& texte = Exigee(*e, "texte", lieu, QStringLiteral("\"Ce que dit le son.\""));
            son.texte = Chaine(texte, QStringLiteral("texte"), QStringLiteral("Ce que dit le son.")).simplified();
            if (son.texte.isEmpty() || son.texte.size() > 400)
                Refuser(LieuDe(texte), QStringLiteral("le texte d'un son, ce qu'il dit, a de 1 à 400 caractères : il s'affiche sous la "
                                                      "diapositive et le lecteur d'écran le lit."));
        });
        page.sons.push_back(son);
    }
}

EtapeScript LecteurScript::LireEtape(const Lue& l) {
    EtapeScript e;
    e.instant = l.instant ? l.instant->tops : 0;
    e.ligne = l.ligne;
    e.diapositive = true;
    Essayer([&] {
        e.fichier = Diapositive(Exigee(*l.table, "diapositive", LieuDeTable(l.ligne), QStringLiteral("\"Cours.pdf, page 4\"")));
    });
    return e;
}

// precedent, remplis: the frame the page filled last, and every one it filled, before this photograph.
EtapeScript LecteurScript::LirePhoto(const Lue& l, int& precedent, std::vector<int>& remplis) {
    EtapeScript e;
    e.instant = l.instant ? l.instant->tops : 0;
    e.ligne = l.ligne;
    const Lieu lieu = LieuDeTable(l.ligne);
    std::optional<int> cadre;
    Essayer([&] { cadre = LireCadre(Exigee(*l.table, "cadre", lieu, QStringLiteral("1"))); });
    Essayer([&] {
        e.fichier = Image(Exigee(*l.table, "fichier", lieu, QStringLiteral("\"photo.jpg\"")), QStringLiteral("fichier"),
                          QStringLiteral("photo.jpg"), QStringLiteral("« photo.jpg »"));
    });
    // Its place is said against its frame and the frames before it.
    if (cadre) {
        e.cadre = *cadre;
        Essayer([&] { e.place = LirePlaceDe(*l.table, lieu, e.cadre, precedent, remplis); });
        precedent = e.cadre;
        remplis.push_back(e.cadre);
    }
    return e;
}

// dernier: the page's last step; precedent: the frame its last photograph filled.
void LecteurScript::LireAnimationDePage(const toml::node& n, const Instant& dernier, const std::optional<Instant>& fin,
                                        int precedent, PageScript& page) {
    const toml::table* t = nullptr;
    if (!Essayer([&] { t = &Table(n, QStringLiteral("page.animation")); })) return;
    std::optional<Instant> instant;
    page.animation = LireAnimation(*t, Ligne(n), precedent, instant);
    if (!instant) return;
    if (instant->tops < dernier.tops)
        Signaler(instant->lieu, QStringLiteral("l'animation commence %1, avant la dernière étape de la page (%2) qui n'arriverait "
                                               "jamais ; écrivez un instant d'au moins %2.").arg(instant->Quand(), dernier.Dit()));
    if (fin && instant->tops >= fin->tops)
        Signaler(instant->lieu, QStringLiteral("l'animation commence %1, mais la page finit %2 ; écrivez une fin plus grande.")
                                    .arg(instant->Quand(), fin->Quand()));
}

AnimationScript LecteurScript::LireAnimation(const toml::table& t, int ligneTable, int precedent, std::optional<Instant>& instant) {
    AnimationScript a;
    a.ligne = ligneTable;
    const Lieu lieu = LieuDeTable(ligneTable);
    const toml::node* images = t.get("images");
    const bool courants = images && images->as_string() && images->as_string()->get() == "courants";
    if (courants)
        SeulementCles(t, {QStringLiteral("instant"), QStringLiteral("images")},
                      QStringLiteral("dans l'animation « courants », qui se règle seule,"));
    else
        SeulementCles(t, {QStringLiteral("instant"), QStringLiteral("images"), QStringLiteral("intervalle"), QStringLiteral("cadre"),
                          QStringLiteral("place"), QStringLiteral("gauche"), QStringLiteral("haut"), QStringLiteral("photo")},
                      QStringLiteral("dans une animation"));
    Essayer([&] { instant = LireInstant(Exigee(t, "instant", lieu, QStringLiteral("10")), QStringLiteral("instant")); });
    if (instant) a.instant = instant->tops;
    if (courants) {
        a.genre = AnimationScript::Genre::Courants;
        a.cadre = 1;
        return a;
    }
    if (!images) {
        Essayer([&] { Exigee(t, "images", lieu, QStringLiteral("[\"image1.png\", \"image2.png\"]")); });
    } else if (const auto* nom = images->as_string()) {
        if (nom->get() == "circuit")
            a.genre = AnimationScript::Genre::Circuit;
        else
            Signaler(LieuDe(*images), QStringLiteral("« %1 » n'est pas une animation de la leçon ; écrivez images = \"circuit\", "
                                                     "images = \"courants\" ou la liste de vos images, images = [\"a.png\", \"b.png\"].")
                                          .arg(Texte(nom->get())));
    } else if (const auto* liste = images->as_array()) {
        if (liste->size() < 2 || liste->size() > 200)
            Signaler(LieuDe(*images), QStringLiteral("une animation a de 2 à 200 images ; écrivez images = [\"a.png\", \"b.png\"]."));
        for (const toml::node& e : *liste)
            Essayer([&] { a.images << Image(e, QStringLiteral("images"), QStringLiteral("a.png"), QStringLiteral("« image1.png »")); });
    } else {
        Signaler(LieuDe(*images), QStringLiteral("« images » attend la liste des images ; écrivez images = [\"a.png\", \"b.png\"]."));
    }
    Essayer([&] {
        const toml::node& intervalle = Exigee(t, "intervalle", lieu, QStringLiteral("\"250 ms\""));
        static const QRegularExpression kMs(QStringLiteral("^(\\d{1,5})\\s*ms$"));
        const QRegularExpressionMatch m = kMs.match(Chaine(intervalle, QStringLiteral("intervalle"), QStringLiteral("250 ms")).trimmed());
        if (!m.hasMatch() || m.captured(1).toInt() < 20 || m.captured(1).toInt() > 10000)
            Refuser(LieuDe(intervalle), QStringLiteral("l'intervalle entre deux images s'écrit en millisecondes, de 20 à 10000 ; "
                                                       "écrivez par exemple intervalle = \"250 ms\"."));
        a.intervalleMs = m.captured(1).toInt();
    });
    std::optional<int> cadre;
    Essayer([&] { cadre = LireCadre(Exigee(t, "cadre", lieu, QStringLiteral("1"))); });
    if (cadre) {
        a.cadre = *cadre;
        Essayer([&] { a.place = LirePlaceDe(t, lieu, a.cadre, precedent, {}); });
    }
    if (const toml::node* photo = t.get("photo")) a.photo = LirePhotoAnimation(*photo, cadre);
    return a;
}

// A photograph added to an animation in frame cadreAnimation (none when that could not be read).
std::optional<AnimationScript::Photo> LecteurScript::LirePhotoAnimation(const toml::node& n, std::optional<int> cadreAnimation) {
    const toml::table* p = nullptr;
    if (!Essayer([&] { p = &Table(n, QStringLiteral("page.animation.photo")); })) return std::nullopt;
    AnimationScript::Photo ph;
    ph.ligne = Ligne(n);
    const Lieu lieu = LieuDeTable(ph.ligne);
    SeulementCles(*p, {QStringLiteral("apres"), QStringLiteral("cadre"), QStringLiteral("fichier"), QStringLiteral("place"),
                       QStringLiteral("gauche"), QStringLiteral("haut")},
                  QStringLiteral("dans la photo d'une animation"));
    Essayer([&] {
        const toml::node& apres = Exigee(*p, "apres", lieu, QStringLiteral("10"));
        if (!apres.as_integer() || apres.as_integer()->get() < 1 || apres.as_integer()->get() > 1000)
            Refuser(LieuDe(apres), QStringLiteral("« apres » compte les tours de l'animation, de 1 à 1000 ; écrivez par exemple apres = 10."));
        ph.apres = static_cast<int>(apres.as_integer()->get());
    });
    std::optional<int> cadre;
    Essayer([&] { cadre = LireCadre(Exigee(*p, "cadre", lieu, QStringLiteral("2"))); });
    if (cadre && cadre == cadreAnimation) {
        Signaler(LieuDe(*p->get("cadre")), QStringLiteral("le cadre %1 montre déjà l'animation ; écrivez un autre cadre.").arg(*cadre));
        cadre.reset();
    }
    Essayer([&] {
        ph.fichier = Image(Exigee(*p, "fichier", lieu, QStringLiteral("\"photo.jpg\"")), QStringLiteral("fichier"),
                           QStringLiteral("photo.jpg"), QStringLiteral("« photo.jpg »"));
    });
    if (cadre && cadreAnimation) {
        ph.cadre = *cadre;
        Essayer([&] { ph.place = LirePlaceDe(*p, lieu, ph.cadre, *cadreAnimation, {*cadreAnimation}); });
    }
    return ph;
}

// The script in octets, its files looked for in dossier when there is one.
LectureScript Lire(const QByteArray& octets, const QString& fichier, const DossierSeance* dossier) {
    LecteurScript lecteur;
    lecteur.dossier = dossier;
    std::optional<ScriptSeance> script;
    if (octets.size() > 1024 * 1024) {
        lecteur.Signaler({}, QStringLiteral("le script dépasse 1 Mo ; une séance en demande bien moins."));
    } else {
        try {
            const toml::table racine = toml::parse(std::string_view(octets.constData(), static_cast<size_t>(octets.size())));
            script = lecteur.Lire(racine);
        } catch (const toml::parse_error& e) {
            // toml++ stops at the first: a text that is not TOML has no table to read on from.
            const Lieu lieu{std::max(1, static_cast<int>(e.source().begin.line)), static_cast<int>(e.source().begin.column)};
            lecteur.Signaler(lieu, QStringLiteral("le texte n'est pas écrit comme le veut le format TOML : %1.")
                                       .arg(TomlErrorInFrench(e.description(), octets, lieu.ligne, lieu.colonne)));
        }
    }
    std::stable_sort(lecteur.refus.begin(), lecteur.refus.end(), [](const Refus& a, const Refus& b) {
        return std::pair(a.lieu.ligne, a.lieu.colonne) < std::pair(b.lieu.ligne, b.lieu.colonne);
    });
    LectureScript lecture;
    lecture.fichier = fichier;
    for (const Refus& r : lecteur.refus) lecture.erreurs.liste.push_back({fichier, r.lieu.ligne, r.lieu.colonne, r.message});
    if (lecture.erreurs.Vide()) lecture.script = std::move(script);
    return lecture;
}

}  // namespace

std::vector<ScriptSeance::Fichier> ScriptSeance::Fichiers() const {
    std::vector<Fichier> diapositives, autres;
    std::set<QString> vus;
    const auto ajouter = [&](const QString& nom, bool diapositive, int ligne) {
        if (!vus.insert(nom).second) return;
        (diapositive ? diapositives : autres).push_back({nom, diapositive, ligne});
    };
    for (const PageScript& p : pages) {
        if (p.type == PageScript::Type::Titre) ajouter(p.diapositive, true, p.ligne);
        for (const EtapeScript& e : p.etapes) ajouter(e.fichier, e.diapositive, e.ligne);
        if (p.animation) {
            for (const QString& image : p.animation->images) ajouter(image, false, p.animation->ligne);
            if (p.animation->photo) ajouter(p.animation->photo->fichier, false, p.animation->photo->ligne);
        }
    }
    diapositives.insert(diapositives.end(), autres.begin(), autres.end());
    return diapositives;
}

bool ScriptSeance::AvecSons() const {
    return std::any_of(pages.begin(), pages.end(), [](const PageScript& p) { return !p.sons.empty(); });
}

bool ScriptSeance::AttendQuelquePart() const {
    return std::any_of(pages.begin(), pages.end(), [this](const PageScript& p) { return Attend(p); });
}

std::vector<ScriptSeance::Fichier> ScriptSeance::Sons() const {
    std::vector<Fichier> sons;
    std::set<QString> vus;
    for (const PageScript& p : pages)
        for (const SonScript& s : p.sons)
            if (vus.insert(s.fichier).second) sons.push_back({s.fichier, false, s.ligne});
    return sons;
}

LectureScript LireScriptDonnees(const QByteArray& octets, const QString& fichier) { return Lire(octets, fichier, nullptr); }

std::optional<LectureScript> LireScript(const QString& dossierSeance) {
    const QDir dossier(dossierSeance);
    const QString chemin = dossier.filePath(kNomScript);
    if (!QFileInfo(chemin).isFile()) return std::nullopt;
    const QString nom = QDir::toNativeSeparators(QDir(dossierSeance + QStringLiteral("/..")).relativeFilePath(chemin));
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly)) {
        LectureScript lecture;
        lecture.fichier = nom;
        lecture.erreurs.liste.push_back({nom, 1, 0, QStringLiteral("le fichier ne peut pas être lu (%1)").arg(f.errorString())});
        return lecture;
    }
    const DossierSeance seance{dossierSeance, dossier.entryList(QDir::Files)};
    return Lire(f.read(1024 * 1024 + 1), nom, &seance);
}

}  // namespace content
