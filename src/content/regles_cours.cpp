#include "content/regles_cours.h"

#include "content/lesson_content.h"
#include "content/toml_errors.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <algorithm>
#include <toml++/toml.h>

namespace content {

namespace {

QString Texte(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

struct Lecteur {
    QString fichier;
    const QList<int>& seances;
    Erreurs erreurs;

    void Signaler(const toml::source_region& ou, const QString& message) {
        erreurs.liste.push_back({fichier, std::max(1, static_cast<int>(ou.begin.line)), static_cast<int>(ou.begin.column), message});
    }
    QString Liste() const {
        QStringList n;
        for (const int s : seances) n << QString::number(s);
        return n.isEmpty() ? QStringLiteral("aucune") : n.join(QStringLiteral(", "));
    }
    // A séance of the course, as a whole number.
    std::optional<int> Seance(const toml::node& n, const QString& quoi) {
        const auto* i = n.as_integer();
        if (!i) {
            Signaler(n.source(), QStringLiteral("%1 attend un numéro de séance, par exemple 2").arg(quoi));
            return std::nullopt;
        }
        if (!seances.contains(int(i->get()))) {
            Signaler(n.source(), QStringLiteral("%1 nomme la séance %2, qui n'est pas dans le cours (séances : %3)")
                                     .arg(quoi).arg(i->get()).arg(Liste()));
            return std::nullopt;
        }
        return int(i->get());
    }

    void Lire(const toml::table& racine, ReglesCours& r) {
        static const QStringList kCles{QStringLiteral("titre"), QStringLiteral("seuil"), QStringLiteral("ouvertes"), QStringLiteral("apres")};
        for (const auto& [cle, valeur] : racine)
            if (!kCles.contains(Texte(cle.str())))
                Signaler(cle.source(), QStringLiteral("la clé « %1 » est inconnue ; écrivez l'une de « titre », « seuil », "
                                                      "« ouvertes », « apres »").arg(Texte(cle.str())));
        if (const toml::node* t = racine.get("titre")) {
            const auto* s = t->as_string();
            if (!s || Texte(s->get()).trimmed().isEmpty())
                Signaler(t->source(), QStringLiteral("« titre » attend le titre du cours entre guillemets ; écrivez par exemple "
                                                     "titre = \"L'électricité au quotidien\""));
            else
                r.titre = Texte(s->get()).trimmed();
        }
        if (const toml::node* s = racine.get("seuil")) {
            const std::optional<double> v = s->is_number() ? s->value<double>() : std::nullopt;
            if (!v || *v < 0 || *v > 20)
                Signaler(s->source(), QStringLiteral("« seuil » attend une note de 0 à 20, sans guillemets ; écrivez par exemple "
                                                     "seuil = 15 ou seuil = 15.5"));
            else
                r.seuil = *v;
        }
        if (const toml::node* o = racine.get("ouvertes")) {
            if (const auto* s = o->as_string(); s && Texte(s->get()) == QLatin1String("toutes")) {
                r.toutesOuvertes = true;
            } else if (const auto* a = o->as_array()) {
                for (const toml::node& e : *a)
                    if (const std::optional<int> n = Seance(e, QStringLiteral("« ouvertes »"))) r.ouvertes << *n;
            } else {
                Signaler(o->source(), QStringLiteral("« ouvertes » attend une liste de séances ou « toutes » ; écrivez par exemple "
                                                     "ouvertes = [1, 3] ou ouvertes = \"toutes\""));
            }
        }
        const toml::node* apres = racine.get("apres");
        if (!apres) return;
        const auto* table = apres->as_table();
        if (!table) {
            Signaler(apres->source(), QStringLiteral("« apres » attend une table, une ligne par séance ; écrivez par exemple "
                                                     "[apres] puis 3 = 2 (la séance 3 après la séance 2)"));
            return;
        }
        QMap<int, toml::source_region> lieux;
        for (const auto& [cle, valeur] : *table) {
            bool nombre = false;
            const int seance = Texte(cle.str()).toInt(&nombre);
            if (!nombre || !seances.contains(seance)) {
                Signaler(cle.source(), QStringLiteral("dans [apres], « %1 » n'est pas une séance du cours (séances : %2)")
                                           .arg(Texte(cle.str()), Liste()));
                continue;
            }
            const QString quoi = QStringLiteral("dans [apres], la séance %1").arg(seance);
            const std::optional<int> avant = Seance(valeur, quoi);
            if (!avant) continue;
            if (*avant == seance)
                Signaler(valeur.source(), QStringLiteral("%1 ne peut pas venir après elle-même").arg(quoi));
            else if (r.toutesOuvertes || r.ouvertes.contains(seance))
                Signaler(cle.source(), QStringLiteral("la séance %1 est à la fois ouverte dès le début et après la séance %2 ; "
                                                      "retirez-la de « ouvertes » ou de [apres]").arg(seance).arg(*avant));
            else
                r.apres.insert(seance, *avant), lieux.insert(seance, cle.source());
        }
        // A circle (2 after 3, 3 after 2) leaves every séance of it closed for good.
        for (auto it = r.apres.cbegin(); it != r.apres.cend(); ++it) {
            int s = it.key();
            for (qsizetype pas = 0; pas <= seances.size(); ++pas) {
                const std::optional<int> p = r.Prealable(s);
                if (!p) break;
                s = *p;
                if (s == it.key()) {
                    Signaler(lieux.value(it.key()),
                             QStringLiteral("la séance %1 ne s'ouvrirait jamais : elle vient, de séance en séance, après "
                                            "elle-même").arg(it.key()));
                    break;
                }
            }
        }
    }
};

}  // namespace

std::optional<int> ReglesCours::Prealable(int numero) const {
    const qsizetype i = seances.indexOf(numero);
    if (toutesOuvertes || i <= 0 || ouvertes.contains(numero)) return std::nullopt;
    if (apres.contains(numero)) return apres.value(numero);
    return seances[i - 1];
}

QString ReglesCours::Dit(int numero) const {
    const std::optional<int> p = Prealable(numero);
    return p ? QStringLiteral("après la séance %1").arg(*p) : QStringLiteral("ouverte dès le début");
}

ReglesCours LireReglesCours(const QByteArray& octets, const QList<int>& seances, const QString& fichier) {
    ReglesCours r;
    r.seances = seances;
    r.fichier = true;
    Lecteur lecteur{fichier, seances, {}};
    try {
        const toml::table racine = toml::parse(std::string_view(octets.constData(), static_cast<size_t>(octets.size())));
        lecteur.Lire(racine, r);
    } catch (const toml::parse_error& e) {
        const int ligne = std::max(1, static_cast<int>(e.source().begin.line)), colonne = static_cast<int>(e.source().begin.column);
        lecteur.erreurs.liste.push_back({fichier, ligne, colonne,
                                         QStringLiteral("le texte n'est pas écrit comme le veut le format TOML : %1")
                                             .arg(TomlErrorInFrench(e.description(), octets, ligne, colonne))});
    }
    std::stable_sort(lecteur.erreurs.liste.begin(), lecteur.erreurs.liste.end(), [](const Erreur& a, const Erreur& b) {
        return std::pair(a.ligne, a.colonne) < std::pair(b.ligne, b.colonne);
    });
    if (lecteur.erreurs.Vide()) return r;
    // A file half understood opens nothing it may not have meant to.
    ReglesCours usuelles;
    usuelles.seances = seances;
    usuelles.fichier = true;
    usuelles.titre = r.titre;
    usuelles.erreurs = lecteur.erreurs;
    return usuelles;
}

ReglesCours LireReglesCours(const QString& dossier) {
    const QList<int> seances = Seances(dossier);
    QFile f(QDir(dossier).filePath(QString::fromLatin1(kNomFichierCours)));
    if (!f.exists()) {
        ReglesCours r;
        r.seances = seances;
        return r;
    }
    if (!f.open(QIODevice::ReadOnly)) {
        ReglesCours r;
        r.seances = seances;
        r.fichier = true;
        r.erreurs.liste.push_back({QString::fromLatin1(kNomFichierCours), 1, 0,
                                   QStringLiteral("le fichier ne peut pas être lu (%1)").arg(f.errorString())});
        return r;
    }
    return LireReglesCours(f.read(64 * 1024), seances);
}

}  // namespace content
