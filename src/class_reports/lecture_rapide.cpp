#include "class_reports/lecture_rapide.h"

#include "statements/projection.h"

#include <QDir>
#include <QFile>
#include <QJsonValue>

#include <simdjson.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>
#include <vector>

namespace resultats {

namespace {

// Journals past this size are read by LireJournal, a few megabytes at a time, so that memory stays
// small whatever a folder holds; a learner's journal is a few tens of kilobytes.
constexpr qint64 kFichierMax = 16 << 20;
// Projeter refuses deeper nesting; lines beyond this are handed to it, so that both agree.
constexpr size_t kProfondeur = 100;
// Files read ahead of the one being handed over.
constexpr size_t kAvance = 64;

template <class T>
struct LigneLue {
    int ligne;
    T declaration;
    QString raison;
};

template <class T>
struct Fichier {
    QString chemin;
    bool gros = false;
    bool lu = false;
    bool illisible = false;
    QString erreur;
    std::vector<LigneLue<T>> lignes;
};

QJsonValue Valeur(simdjson::dom::element e) {
    switch (e.type()) {
    case simdjson::dom::element_type::STRING: {
        const std::string_view s = e.get_string().value_unsafe();
        return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
    }
    case simdjson::dom::element_type::BOOL:
        return e.get_bool().value_unsafe();
    case simdjson::dom::element_type::INT64:
        return static_cast<double>(e.get_int64().value_unsafe());
    case simdjson::dom::element_type::UINT64:
        return static_cast<double>(e.get_uint64().value_unsafe());
    case simdjson::dom::element_type::DOUBLE:
        return e.get_double().value_unsafe();
    default:
        // Projeter keeps nothing of null, and descends into objects and arrays.
        return QJsonValue(QJsonValue::Undefined);
    }
}

// o[cle] = v when v is a value Projeter keeps.
bool Garder(QJsonObject& o, QLatin1String cle, simdjson::dom::element parent, const char* nom) {
    simdjson::dom::element e;
    if (parent.at_key(nom).get(e) != simdjson::SUCCESS) return false;
    const QJsonValue v = Valeur(e);
    if (v.isUndefined()) return false;
    o.insert(cle, v);
    return true;
}

simdjson::dom::element Dedans(simdjson::dom::element parent, const char* nom, bool& ok) {
    simdjson::dom::element e;
    ok = parent.at_key(nom).get(e) == simdjson::SUCCESS && e.is_object();
    return e;
}

// The statement as Projeter shapes it: the wanted fields that are there, and nothing else.
QJsonObject Projete(simdjson::dom::element racine) {
    QJsonObject d;
    Garder(d, QLatin1String("id"), racine, "id");
    Garder(d, QLatin1String("timestamp"), racine, "timestamp");
    bool ok = false;
    if (const auto verbe = Dedans(racine, "verb", ok); ok) {
        QJsonObject v;
        if (Garder(v, QLatin1String("id"), verbe, "id")) d.insert(QLatin1String("verb"), v);
    }
    if (const auto objet = Dedans(racine, "object", ok); ok) {
        QJsonObject o;
        Garder(o, QLatin1String("id"), objet, "id");
        if (const auto definition = Dedans(objet, "definition", ok); ok) {
            if (const auto description = Dedans(definition, "description", ok); ok) {
                QJsonObject langues;
                if (Garder(langues, QLatin1String("fr-FR"), description, "fr-FR"))
                    o.insert(QLatin1String("definition"), QJsonObject{{QLatin1String("description"), langues}});
            }
        }
        if (!o.isEmpty()) d.insert(QLatin1String("object"), o);
    }
    if (const auto acteur = Dedans(racine, "actor", ok); ok) {
        QJsonObject a;
        Garder(a, QLatin1String("name"), acteur, "name");
        if (const auto compte = Dedans(acteur, "account", ok); ok) {
            QJsonObject c;
            Garder(c, QLatin1String("name"), compte, "name");
            Garder(c, QLatin1String("homePage"), compte, "homePage");
            if (!c.isEmpty()) a.insert(QLatin1String("account"), c);
        }
        if (!a.isEmpty()) d.insert(QLatin1String("actor"), a);
    }
    if (const auto contexte = Dedans(racine, "context", ok); ok) {
        QJsonObject c;
        Garder(c, QLatin1String("registration"), contexte, "registration");
        if (const auto extensions = Dedans(contexte, "extensions", ok); ok) {
            QJsonObject x;
            if (Garder(x, QLatin1String("https://www.korvane.fr/xapi/seance1/banque"), extensions,
                       "https://www.korvane.fr/xapi/seance1/banque"))
                c.insert(QLatin1String("extensions"), x);
        }
        if (!c.isEmpty()) d.insert(QLatin1String("context"), c);
    }
    if (const auto resultat = Dedans(racine, "result", ok); ok) {
        QJsonObject r;
        Garder(r, QLatin1String("success"), resultat, "success");
        Garder(r, QLatin1String("duration"), resultat, "duration");
        Garder(r, QLatin1String("response"), resultat, "response");
        if (const auto score = Dedans(resultat, "score", ok); ok) {
            QJsonObject s;
            if (Garder(s, QLatin1String("raw"), score, "raw")) r.insert(QLatin1String("score"), s);
        }
        if (!r.isEmpty()) d.insert(QLatin1String("result"), r);
    }
    return d;
}

QString Chaine(simdjson::dom::element parent, const char* nom) {
    std::string_view s;
    if (parent.at_key(nom).get_string().get(s) != simdjson::SUCCESS) return {};
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// The texts a class repeats (verbs, questions, learners, sessions) made once per thread and shared:
// allocating a string per field and statement was most of the reading's time.
class Textes {
public:
    QString operator()(simdjson::dom::element parent, const char* nom) {
        std::string_view s;
        if (parent.at_key(nom).get_string().get(s) != simdjson::SUCCESS) return {};
        const auto it = connus_.find(s);
        if (it != connus_.end()) return it->second;
        // Bounded whatever a folder holds.
        if (connus_.size() > 200000) connus_.clear();
        const QString texte = QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
        connus_.emplace(std::string(s), texte);
        return texte;
    }

private:
    struct Hachage {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    std::unordered_map<std::string, QString, Hachage, std::equal_to<>> connus_;
};

// Whether Projeter keeps the field: a string, a number or a boolean.
bool Garde(simdjson::dom::element parent, const char* nom) {
    simdjson::dom::element e;
    return parent.at_key(nom).get(e) == simdjson::SUCCESS && !Valeur(e).isUndefined();
}

// The statement as EssentielDe takes it from Projeter's object, read from simdjson's.
Essentiel Essentielle(simdjson::dom::element racine, Textes& texte) {
    Essentiel e;
    bool ok = false;
    e.id = Chaine(racine, "id");
    e.horodatage = Chaine(racine, "timestamp");
    if (const auto verbe = Dedans(racine, "verb", ok); ok) e.verbe = texte(verbe, "id");
    if (const auto objet = Dedans(racine, "object", ok); ok) {
        e.objet = texte(objet, "id");
        if (const auto definition = Dedans(objet, "definition", ok); ok)
            if (const auto description = Dedans(definition, "description", ok); ok) e.description = texte(description, "fr-FR");
    }
    if (const auto acteur = Dedans(racine, "actor", ok); ok) {
        e.acteur = texte(acteur, "name");
        if (const auto compte = Dedans(acteur, "account", ok); ok) {
            e.compte = texte(compte, "name");
            e.pageCompte = texte(compte, "homePage");
            e.compteDonne = Garde(compte, "name") || Garde(compte, "homePage");
        }
    }
    if (const auto contexte = Dedans(racine, "context", ok); ok) {
        e.registration = texte(contexte, "registration");
        if (const auto extensions = Dedans(contexte, "extensions", ok); ok)
            e.banque = texte(extensions, "https://www.korvane.fr/xapi/seance1/banque");
    }
    if (const auto resultat = Dedans(racine, "result", ok); ok) {
        bool succes = false;
        if (resultat.at_key("success").get_bool().get(succes) == simdjson::SUCCESS) e.succes = succes;
        e.reponse = texte(resultat, "response");
        e.duree = texte(resultat, "duration");
        e.dureeDonnee = Garde(resultat, "duration");
        if (const auto score = Dedans(resultat, "score", ok); ok) {
            simdjson::dom::element raw;
            if (score.at_key("raw").get(raw) == simdjson::SUCCESS && raw.is_number()) e.note = Valeur(raw).toDouble();
        }
    }
    return e;
}

QJsonObject Rendu(simdjson::dom::element racine, Textes&, const QJsonObject*) { return Projete(racine); }
Essentiel Rendu(simdjson::dom::element racine, Textes& textes, const Essentiel*) { return Essentielle(racine, textes); }
QJsonObject Rendu(QJsonObject&& projete, const QJsonObject*) { return std::move(projete); }
Essentiel Rendu(QJsonObject&& projete, const Essentiel*) { return EssentielDe(projete); }

QString Id(const QJsonObject& d) { return d.value(QLatin1String("id")).toString(); }
const QString& Id(const Essentiel& e) { return e.id; }

// The fields Projeter keeps, as it names them: keys joined with dots.
constexpr std::string_view kVoulus[] = {"id", "timestamp", "verb.id", "object.id", "actor.name", "actor.account.name",
                                        "actor.account.homePage", "context.registration", "result.success",
                                        "result.duration", "result.response", "result.score.raw",
                                        "object.definition.description.fr-FR",
                                        "context.extensions.https://www.korvane.fr/xapi/seance1/banque"};
constexpr std::string_view kExtension = "context.extensions.https://www.korvane.fr/xapi/seance1/banque";

// Whether a wanted field lies at chemin or under it.
bool Mene(std::string_view chemin) {
    return std::any_of(std::begin(kVoulus), std::end(kVoulus), [&](std::string_view v) {
        return v.substr(0, chemin.size()) == chemin && (v.size() == chemin.size() || v[chemin.size()] == '.');
    });
}

// Keys Projeter would read otherwise than by their names: a dot in a key on the way to a wanted
// field (it joins keys with dots), or a key given twice there (it keeps the last, simdjson finds
// the first). Such a line goes to Projeter. chemin is the path so far, given back as it came; it
// and the keys are compared in place, as this runs for every field of every statement.
bool CleAmbigue(simdjson::dom::object o, std::string& chemin) {
    constexpr size_t kCles = 32;
    std::string_view cles[kCles];
    size_t n = 0;
    const size_t avant = chemin.size();
    for (const auto champ : o) {
        // Statements have a dozen keys a level: past that, the line is left to Projeter.
        if (n == kCles) return true;
        for (size_t i = 0; i < n; ++i)
            if (cles[i] == champ.key) return true;
        cles[n++] = champ.key;
        if (avant) chemin += '.';
        chemin += champ.key;
        const bool mene = Mene(chemin);
        bool ambigue = mene && champ.key.find('.') != std::string_view::npos && chemin != kExtension;
        simdjson::dom::object dedans;
        if (!ambigue && mene && champ.value.get_object().get(dedans) == simdjson::SUCCESS) ambigue = CleAmbigue(dedans, chemin);
        chemin.resize(avant);
        if (ambigue) return true;
    }
    return false;
}

// One line, as AnalyserLignes reads it with essentiel; p to fin is followed by readable bytes.
template <class T>
LigneLue<T> Lire(simdjson::dom::parser& parser, Textes& textes, int numero, const char* p, const char* fin, bool coupee) {
    constexpr const T* type = nullptr;
    simdjson::dom::element racine;
    const size_t taille = static_cast<size_t>(fin - p);
    const bool lu = parser.parse(reinterpret_cast<const uint8_t*>(p), taille, false).get(racine) == simdjson::SUCCESS;
    simdjson::dom::object objet;
    static thread_local std::string chemin;  // kept between lines: no allocation per line
    chemin.clear();
    if (lu && racine.get_object().get(objet) == simdjson::SUCCESS && !CleAmbigue(objet, chemin)) {
        simdjson::dom::element id, verbe;
        if (racine.at_key("id").get(id) != simdjson::SUCCESS || !id.is_string() ||
            racine.at_key("verb").get(verbe) != simdjson::SUCCESS || !verbe.is_object())
            return {numero, {}, QStringLiteral("pas une déclaration xAPI")};
        return {numero, Rendu(racine, textes, type), {}};
    }
    // Whatever simdjson refuses or could read otherwise, Projeter decides, as it always has.
    Projection pr = Projeter(p, fin);
    if (!pr.json)
        return {numero, {}, coupee ? QStringLiteral("ligne coupée (écriture interrompue)") : QStringLiteral("pas du JSON")};
    if (!pr.objet || !pr.declaration.value(QLatin1String("id")).isString() || !pr.verbeObjet)
        return {numero, {}, QStringLiteral("pas une déclaration xAPI")};
    return {numero, Rendu(std::move(pr.declaration), type), {}};
}

// False, reading nothing, when the journal is too large to hold.
template <class T>
bool LireFichier(simdjson::dom::parser& parser, Textes& textes, std::vector<char>& tout, Fichier<T>& f) {
    QFile q(f.chemin);
    if (!q.open(QIODevice::ReadOnly)) {
        // LireJournal says why, as it always has, when it is a journal's size that stops it.
        if (QFileInfo(f.chemin).size() > kFichierMax) return false;
        f.illisible = true;
        f.erreur = QStringLiteral("illisible : ") + q.errorString();
        return true;
    }
    // The size is taken once: a journal a session is writing grows while it is read, and what came
    // after this instant is left for the next reading (a line cut there is skipped as cut).
    const qint64 octets = q.size();
    if (octets > kFichierMax) return false;
    // simdjson reads a little past a line's end: the padding keeps the last line's within the buffer.
    // One buffer per thread, grown as needed: a buffer per file cost more than parsing it.
    const size_t voulu = static_cast<size_t>(octets) + simdjson::SIMDJSON_PADDING;
    if (tout.size() < voulu) tout.resize(voulu);
    std::fill_n(tout.data() + octets, simdjson::SIMDJSON_PADDING, '\0');
    qint64 taille = 0;
    for (qint64 n; taille < octets && (n = q.read(tout.data() + taille, octets - taille)) > 0;) taille += n;
    const char* debut = tout.data();
    const char* const fin = debut + taille;
    f.lignes.reserve(static_cast<size_t>(std::count(debut, fin, '\n')) + 1);
    int numero = 0;
    while (debut < fin) {
        ++numero;
        const char* finLigne = static_cast<const char*>(std::memchr(debut, '\n', static_cast<size_t>(fin - debut)));
        const bool coupee = finLigne == nullptr;
        if (coupee) finLigne = fin;
        const char* finTexte = finLigne;
        if (finTexte > debut && finTexte[-1] == '\r') --finTexte;
        const char* suivant = finLigne + 1;
        if (std::all_of(debut, finTexte, [](char c) { return c == ' ' || c == '\t' || c == '\r'; })) {
            debut = suivant;
            continue;
        }
        f.lignes.push_back(Lire<T>(parser, textes, numero, debut, finTexte, coupee));
        debut = suivant;
    }
    return true;
}

// The folder's journals parsed on two threads, handed to rendre in name order; a journal too large
// to hold goes to gros instead, in its turn.
template <class T, class Rendre, class Gros>
bool Parcourir(const QString& dossier, std::vector<LigneIgnoree>& ignorees, QSet<QString>& ids, Rendre rendre, Gros gros) {
    const QDir d(dossier);
    if (!d.exists() || !d.isReadable()) {
        ignorees.push_back({dossier, 0, QStringLiteral("dossier introuvable ou illisible")});
        return false;
    }
    const QStringList noms = d.entryList({QStringLiteral("*.jsonl")}, QDir::Files | QDir::Hidden, QDir::Name);
    std::vector<Fichier<T>> fichiers(static_cast<size_t>(noms.size()));
    // Each journal's size is looked at by the thread that reads it, not here one after the other.
    for (size_t i = 0; i < fichiers.size(); ++i) fichiers[i].chemin = d.filePath(noms[static_cast<qsizetype>(i)]);

    std::mutex verrou;
    std::condition_variable signal;
    std::atomic<size_t> prochain{0};
    size_t rendus = 0;  // files handed over, under verrou
    auto travailler = [&] {
        simdjson::dom::parser parser;
        Textes textes;
        std::vector<char> tampon;
        const bool pret = parser.allocate(1 << 16, kProfondeur) == simdjson::SUCCESS;
        for (;;) {
            const size_t i = prochain++;
            if (i >= fichiers.size()) return;
            {
                std::unique_lock<std::mutex> v(verrou);
                signal.wait(v, [&] { return i < rendus + kAvance; });
            }
            // gros is read by the handing thread only once lu is set, under verrou.
            const bool grosFichier = !pret || !LireFichier(parser, textes, tampon, fichiers[i]);
            std::lock_guard<std::mutex> v(verrou);
            fichiers[i].gros = grosFichier;
            fichiers[i].lu = true;
            signal.notify_all();
        }
    };
    std::thread second(travailler);
    std::thread premier(travailler);

    bool tout = true;
    for (size_t i = 0; i < fichiers.size(); ++i) {
        {
            std::unique_lock<std::mutex> v(verrou);
            signal.wait(v, [&] { return fichiers[i].lu; });
        }
        Fichier<T>& f = fichiers[i];
        if (f.gros) {
            tout = gros(f.chemin) && tout;
        } else if (f.illisible) {
            ignorees.push_back({f.chemin, 0, f.erreur});
            tout = false;
        }
        for (LigneLue<T>& l : f.lignes) {
            if (!l.raison.isEmpty()) {
                ignorees.push_back({f.chemin, l.ligne, l.raison});
                continue;
            }
            const QString& id = Id(l.declaration);
            if (ids.contains(id)) continue;
            ids.insert(id);
            rendre(std::move(l.declaration));
        }
        std::vector<LigneLue<T>>().swap(f.lignes);
        std::lock_guard<std::mutex> v(verrou);
        rendus = i + 1;
        signal.notify_all();
    }
    premier.join();
    second.join();
    return tout;
}

}  // namespace

Essentiel EssentielDe(const QJsonObject& d) {
    const auto chaine = [](const QJsonObject& o, const char* cle) { return o.value(QLatin1String(cle)).toString(); };
    const auto objet = [](const QJsonObject& o, const char* cle) { return o.value(QLatin1String(cle)).toObject(); };
    Essentiel e;
    e.id = chaine(d, "id");
    e.horodatage = chaine(d, "timestamp");
    e.verbe = chaine(objet(d, "verb"), "id");
    const QJsonObject o = objet(d, "object");
    e.objet = chaine(o, "id");
    e.description = chaine(objet(objet(o, "definition"), "description"), "fr-FR");
    const QJsonObject acteur = objet(d, "actor");
    e.acteur = chaine(acteur, "name");
    const QJsonObject compte = objet(acteur, "account");
    e.compte = chaine(compte, "name");
    e.pageCompte = chaine(compte, "homePage");
    e.compteDonne = !compte.isEmpty();
    const QJsonObject contexte = objet(d, "context");
    e.registration = chaine(contexte, "registration");
    e.banque = chaine(objet(contexte, "extensions"), "https://www.korvane.fr/xapi/seance1/banque");
    const QJsonObject resultat = objet(d, "result");
    const QJsonValue succes = resultat.value(QLatin1String("success"));
    if (succes.isBool()) e.succes = succes.toBool();
    e.reponse = chaine(resultat, "response");
    e.duree = chaine(resultat, "duration");
    e.dureeDonnee = resultat.contains(QLatin1String("duration"));
    e.note = objet(resultat, "score").value(QLatin1String("raw")).toDouble();
    return e;
}

bool LireDossierRapide(const QString& dossier, Lecture& lecture) {
    return Parcourir<QJsonObject>(
        dossier, lecture.ignorees, lecture.ids,
        [&](QJsonObject&& d) {
            if (lecture.recevoir)
                lecture.recevoir(d);
            else
                lecture.declarations.push_back(std::move(d));
        },
        [&](const QString& chemin) { return LireJournal(chemin, lecture); });
}

bool LireDossierEssentiel(const QString& dossier, LectureEssentielle& lecture) {
    QSet<QString> ids;
    return Parcourir<Essentiel>(
        dossier, lecture.ignorees, ids, [&](Essentiel&& e) { lecture.recevoir(e); },
        [&](const QString& chemin) {
            Lecture journal;
            journal.essentiel = true;
            journal.ids = std::move(ids);
            journal.recevoir = [&](const QJsonObject& d) { lecture.recevoir(EssentielDe(d)); };
            const bool lu = LireJournal(chemin, journal);
            ids = std::move(journal.ids);
            lecture.ignorees.insert(lecture.ignorees.end(), journal.ignorees.begin(), journal.ignorees.end());
            return lu;
        });
}

}  // namespace resultats
