#include "class_reports/lecture_rapide.h"

#include "statements/projection.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonValue>

#include <simdjson.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>
#include <string>
#include <string_view>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace resultats {

namespace {

// Journals past this size are read by LireJournal, a few megabytes at a time, so that memory stays
// small whatever a folder holds; a learner's journal is a few tens of kilobytes.
constexpr qint64 kFichierMax = 16 << 20;
// Projeter refuses deeper nesting; lines beyond this are handed to it, so that both agree.
constexpr size_t kProfondeur = 100;
// Files are read and handed over by lots, so that threads wait on one another once a lot rather
// than once a file (the waits were most of the system calls); lots read ahead of the one handed.
constexpr size_t kLot = 16;
constexpr size_t kAvance = 4;

// A statement's id as the reading keeps each statement once: a UUID as written by the lesson
// (lower-case) in 16 bytes, any other id as its UTF-8 bytes. A text no UTF-8 can hold (a lone
// surrogate escaped in the line) as its UTF-16 units after a byte 0xFF, which no UTF-8 holds:
// two ids are the same key exactly when they are the same text.
struct CleId {
    quint64 haut = 0, bas = 0;
    bool uuid = false;
    std::string autre;
};

// A lower-case hexadecimal digit's value, -1 for any other byte.
int Hex(char c) {
    static const std::array<qint8, 256> valeurs = [] {
        std::array<qint8, 256> v;
        v.fill(-1);
        for (int i = 0; i < 10; ++i) v[static_cast<size_t>('0' + i)] = static_cast<qint8>(i);
        for (int i = 0; i < 6; ++i) v[static_cast<size_t>('a' + i)] = static_cast<qint8>(10 + i);
        return v;
    }();
    return valeurs[static_cast<unsigned char>(c)];
}

CleId Cle(std::string_view id) {
    CleId k;
    if (id.size() == 36 && id[8] == '-' && id[13] == '-' && id[18] == '-' && id[23] == '-') {
        int chiffres = 0;
        k.uuid = true;
        for (const char c : id) {
            if (c == '-') continue;
            const int h = Hex(c);
            if (h < 0) {
                k.uuid = false;
                break;
            }
            quint64& moitie = chiffres++ < 16 ? k.haut : k.bas;
            moitie = moitie << 4 | static_cast<quint64>(h);
        }
        if (k.uuid) return k;
        k.haut = k.bas = 0;
    }
    k.autre.assign(id);
    return k;
}

CleId Cle(const QString& id) {
    bool entier = true;
    for (qsizetype i = 0; i < id.size() && entier; ++i) {
        const QChar c = id[i];
        if (c.isHighSurrogate() && i + 1 < id.size() && id[i + 1].isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            entier = false;
    }
    if (entier) {
        const QByteArray utf8 = id.toUtf8();
        return Cle(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
    }
    CleId k;
    k.autre = '\xff';
    k.autre.append(reinterpret_cast<const char*>(id.utf16()), static_cast<size_t>(id.size()) * 2);
    return k;
}

// The ids seen so far: a flat table for UUIDs (one allocation for the lot, not one per statement,
// its pages given zeroed by the system as they are first touched).
class Ids {
public:
    Ids() = default;
    Ids(const Ids&) = delete;
    Ids& operator=(const Ids&) = delete;
    ~Ids() { std::free(table_); }

    // Room for n more, and the places of those ids asked of the memory ahead of Ajouter: the table
    // is too large for the cache, and one miss per statement was most of the handing thread's time.
    template <class Lignes>
    void Preparer(const Lignes& lignes) {
        if ((n_ + lignes.size() + 1) * 2 > taille_) Agrandir(n_ + lignes.size() + 1);
        for (const auto& l : lignes)
            if (l.id.uuid) __builtin_prefetch(&table_[Place(l.id.haut, l.id.bas, taille_)]);
    }

    // Whether the id was new.
    bool Ajouter(CleId&& k) {
        if (!k.uuid) return autres_.insert(std::move(k.autre)).second;
        if (k.haut == 0 && k.bas == 0) return !std::exchange(zero_, true);  // the empty case's mark
        if ((n_ + 1) * 2 > taille_) Agrandir(n_ + 1);
        if (!Placer(table_, taille_, k.haut, k.bas)) return false;
        ++n_;
        return true;
    }

private:
    struct Case {
        quint64 haut, bas;
    };
    static size_t Place(quint64 haut, quint64 bas, size_t taille) { return (haut ^ bas * 0x9E3779B97F4A7C15ull) & (taille - 1); }
    static bool Placer(Case* table, size_t taille, quint64 haut, quint64 bas) {
        const size_t masque = taille - 1;
        for (size_t i = Place(haut, bas, taille);; i = (i + 1) & masque) {
            Case& c = table[i];
            if (c.haut == 0 && c.bas == 0) {
                c = {haut, bas};
                return true;
            }
            if (c.haut == haut && c.bas == bas) return false;
        }
    }
    void Agrandir(size_t voulu) {
        size_t taille = std::max<size_t>(1 << 16, taille_ * 2);
        while (taille < voulu * 2) taille *= 2;
        Case* plus = static_cast<Case*>(std::calloc(taille, sizeof(Case)));
        if (!plus) throw std::bad_alloc();
        for (size_t i = 0; i < taille_; ++i)
            if (table_[i].haut || table_[i].bas) Placer(plus, taille, table_[i].haut, table_[i].bas);
        std::free(table_);
        table_ = plus;
        taille_ = taille;
    }
    Case* table_ = nullptr;
    size_t taille_ = 0, n_ = 0;
    bool zero_ = false;
    std::unordered_set<std::string> autres_;
};

template <class T>
struct LigneLue {
    int ligne;
    T declaration;
    QString raison;
    CleId id;
};

template <class T>
struct Fichier {
    QString nom, chemin;
    bool gros = false;
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

QString Utf8(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// Each answer of definition.choices that gives a string id or a French text, as Projeter keeps them.
template <class F>
void ParChoix(simdjson::dom::element valeur, F&& f) {
    simdjson::dom::array choix;
    if (valeur.get_array().get(choix) != simdjson::SUCCESS) return;
    for (const simdjson::dom::element v : choix) {
        simdjson::dom::object o;
        if (v.get_object().get(o) != simdjson::SUCCESS) continue;
        std::string_view id, texte;
        simdjson::dom::object description;
        const bool aId = o.at_key("id").get_string().get(id) == simdjson::SUCCESS;
        const bool aTexte = o.at_key("description").get_object().get(description) == simdjson::SUCCESS &&
                            description.at_key("fr-FR").get_string().get(texte) == simdjson::SUCCESS;
        if (aId || aTexte) f(aId ? &id : nullptr, aTexte ? &texte : nullptr);
    }
}

// The answer's number, 0 to 3, from its id "reponse1" to "reponse4"; -1 for any other.
int NumeroChoix(std::string_view id) {
    return id.size() == 8 && id.substr(0, 7) == "reponse" && id[7] >= '1' && id[7] <= '4' ? id[7] - '1' : -1;
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
            QJsonObject def;
            if (const auto description = Dedans(definition, "description", ok); ok) {
                QJsonObject langues;
                if (Garder(langues, QLatin1String("fr-FR"), description, "fr-FR")) def.insert(QLatin1String("description"), langues);
            }
            QJsonArray choix;
            simdjson::dom::element valeur;
            if (definition.at_key("choices").get(valeur) == simdjson::SUCCESS)
            ParChoix(valeur, [&](const std::string_view* id, const std::string_view* texte) {
                QJsonObject c;
                if (id) c.insert(QLatin1String("id"), Utf8(*id));
                if (texte) c.insert(QLatin1String("description"), QJsonObject{{QLatin1String("fr-FR"), Utf8(*texte)}});
                choix.append(c);
            });
            if (!choix.isEmpty()) def.insert(QLatin1String("choices"), choix);
            if (!def.isEmpty()) o.insert(QLatin1String("definition"), def);
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

// The fields Projeter keeps, as it names them: keys joined with dots.
constexpr std::string_view kVoulus[] = {"id", "timestamp", "verb.id", "object.id", "actor.name", "actor.account.name",
                                        "actor.account.homePage", "context.registration", "result.success",
                                        "result.duration", "result.response", "result.score.raw",
                                        "object.definition.description.fr-FR", "object.definition.choices",
                                        "object.definition.choices[].id",
                                        "object.definition.choices[].description.fr-FR",
                                        "context.extensions.https://www.korvane.fr/xapi/seance1/banque"};
constexpr std::string_view kChoix = "object.definition.choices";
constexpr std::string_view kIri = "https://www.korvane.fr/xapi/seance1/banque";

// Keys compared where they first differ, their length or first letter, most often.
inline bool Egales(std::string_view a, std::string_view b) {
    return a.size() == b.size() && (a.empty() || (a[0] == b[0] && std::memcmp(a.data(), b.data(), a.size()) == 0));
}

// The wanted fields as a tree of keys, split at every dot as Projeter's joined path is (the bank's
// IRI too): a path leads to a wanted field, or is one, exactly when it walks this tree. Walked key by
// key, for every field of every statement, rather than comparing joined paths.
class Arbre {
public:
    static const Arbre& Lui() {
        static const Arbre arbre;
        return arbre;
    }
    static constexpr int kRacine = 0;
    // The node under noeud by one key without a dot, -1 if none.
    int Enfant(int noeud, std::string_view cle) const {
        for (const auto& [nom, enfant] : noeuds_[static_cast<size_t>(noeud)])
            if (Egales(nom, cle)) return enfant;
        return -1;
    }
    // By a key split at its dots.
    int Chemin(int noeud, std::string_view cle) const {
        for (size_t point; noeud >= 0; cle.remove_prefix(point + 1)) {
            point = cle.find('.');
            noeud = Enfant(noeud, cle.substr(0, point));
            if (point == std::string_view::npos) break;
        }
        return noeud;
    }
    int choix = -1, elementChoix = -1, extensions = -1, iri = -1;
    // The fields the counting reads.
    int id = -1, horodatage = -1, verbe = -1, verbeId = -1, objetId = -1, description = -1, acteur = -1, compte = -1,
        pageCompte = -1, registration = -1, succes = -1, duree = -1, reponse = -1, note = -1;
    bool Feuille(int noeud) const { return noeuds_[static_cast<size_t>(noeud)].empty(); }

private:
    Arbre() {
        noeuds_.emplace_back();
        for (const std::string_view v : kVoulus) {
            int noeud = kRacine;
            for (size_t debut = 0;;) {
                const size_t point = v.find('.', debut);
                const std::string_view cle = v.substr(debut, point == std::string_view::npos ? point : point - debut);
                int enfant = Enfant(noeud, cle);
                if (enfant < 0) {
                    enfant = static_cast<int>(noeuds_.size());
                    noeuds_[static_cast<size_t>(noeud)].emplace_back(cle, enfant);
                    noeuds_.emplace_back();
                }
                noeud = enfant;
                if (point == std::string_view::npos) break;
                debut = point + 1;
            }
        }
        // A bit each in a line's mask (Trouves, CleAmbigue).
        Q_ASSERT(noeuds_.size() <= 64);
        choix = Chemin(kRacine, kChoix);
        elementChoix = Chemin(kRacine, "object.definition.choices[]");
        extensions = Chemin(kRacine, "context.extensions");
        iri = Enfant(Chemin(kRacine, "context.extensions.https://www.korvane"), "fr/xapi/seance1/banque");
        id = Chemin(kRacine, "id");
        horodatage = Chemin(kRacine, "timestamp");
        verbe = Chemin(kRacine, "verb");
        verbeId = Chemin(kRacine, "verb.id");
        objetId = Chemin(kRacine, "object.id");
        description = Chemin(kRacine, "object.definition.description.fr-FR");
        acteur = Chemin(kRacine, "actor.name");
        compte = Chemin(kRacine, "actor.account.name");
        pageCompte = Chemin(kRacine, "actor.account.homePage");
        registration = Chemin(kRacine, "context.registration");
        succes = Chemin(kRacine, "result.success");
        duree = Chemin(kRacine, "result.duration");
        reponse = Chemin(kRacine, "result.response");
        note = Chemin(kRacine, "result.score.raw");
    }
    std::vector<std::vector<std::pair<std::string_view, int>>> noeuds_;
};

// What a statement holds at each node of the tree, noted on the way.
struct Trouves {
    quint64 masque = 0;
    std::array<simdjson::dom::element, 64> elements;
    void Noter(int noeud, simdjson::dom::element e) {
        masque |= quint64(1) << noeud;
        elements[static_cast<size_t>(noeud)] = e;
    }
    bool Element(int noeud, simdjson::dom::element& e) const {
        if (!(masque >> noeud & 1)) return false;
        e = elements[static_cast<size_t>(noeud)];
        return true;
    }
    bool Chaine(int noeud, std::string_view& s) const {
        simdjson::dom::element e;
        return Element(noeud, e) && e.get_string().get(s) == simdjson::SUCCESS;
    }
};

// The texts of a class's statements made once per thread and shared: those the whole class repeats
// (verbs, questions, answers, the bank) in a table, those of one learner or session (names,
// registration) when they change from one statement to the next. Allocating a string per field and
// statement was most of the reading's time.
class Textes {
public:
    // The first three are shared by the class and looked up when they change; the others are the
    // learner's or the session's own, made when they change and kept out of the shared texts.
    enum { kVerbe, kPageCompte, kBanque, kActeur, kCompte, kRegistration, kChamps };

    // The text at a node of the tree, if a string. With champ, a field whose text is most often the
    // one of the statement before (the session, the learner, the bank): compared with that one
    // before being looked up.
    QString operator()(const Trouves& t, int noeud, int champ = -1) {
        std::string_view s;
        if (!t.Chaine(noeud, s)) return {};
        if (champ < 0) return (*this)(s);
        Dernier& d = derniers_[static_cast<size_t>(champ)];
        if (s != d.octets) {
            d.octets.assign(s);
            d.texte = champ < kActeur ? (*this)(s) : QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
        }
        return d.texte;
    }

    QString operator()(std::string_view s) {
        const auto it = connus_.find(s);
        if (it != connus_.end()) return it->second;
        // Bounded whatever a folder holds.
        if (connus_.size() > 200000) connus_.clear();
        const QString texte = QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
        connus_.emplace(std::string(s), texte);
        return texte;
    }

private:
    // Made from the length and three words (start, middle, end) whatever the text's length: the
    // texts are long (questions, answers, IRIs) and one comparison confirms a match anyway.
    struct Hachage {
        using is_transparent = void;
        static quint64 Mot(const char* p, size_t n) {
            quint64 m = 0;
            std::memcpy(&m, p, std::min<size_t>(n, 8));
            return m;
        }
        size_t operator()(std::string_view s) const {
            constexpr quint64 k = 0x9E3779B97F4A7C15ull;
            const size_t n = s.size();
            quint64 h = (n + 1) * k ^ Mot(s.data(), n);
            if (n > 8) {
                h = (h ^ (h >> 29)) * k ^ Mot(s.data() + n - 8, 8);
                h = (h ^ (h >> 29)) * k ^ Mot(s.data() + n / 2 - 4, 8);
            }
            h = (h ^ (h >> 32)) * k;
            return static_cast<size_t>(h ^ (h >> 29));
        }
    };
    std::unordered_map<std::string, QString, Hachage, std::equal_to<>> connus_;
    struct Dernier {
        std::string octets;
        QString texte;
    };
    std::array<Dernier, kChamps> derniers_;
};

// Whether Projeter keeps the field: a string, a number or a boolean.
bool Garde(const Trouves& t, int noeud) {
    simdjson::dom::element e;
    return t.Element(noeud, e) && (e.is_string() || e.is_number() || e.is_bool());
}

// The statement as EssentielDe takes it from Projeter's object, from what the key check noted.
Essentiel Essentielle(const Trouves& t, Textes& texte) {
    const Arbre& a = Arbre::Lui();
    Essentiel e;
    std::string_view chaine;
    simdjson::dom::element element;
    if (t.Chaine(a.horodatage, chaine)) e.quand = Horodatage(chaine);
    e.verbe = texte(t, a.verbeId, Textes::kVerbe);
    e.objet = texte(t, a.objetId);
    e.description = texte(t, a.description);
    if (t.Element(a.choix, element))
        ParChoix(element, [&](const std::string_view* id, const std::string_view* description) {
            const int k = id ? NumeroChoix(*id) : -1;
            if (k >= 0) e.choix[static_cast<size_t>(k)] = description ? texte(*description) : QString();
        });
    e.acteur = texte(t, a.acteur, Textes::kActeur);
    e.compte = texte(t, a.compte, Textes::kCompte);
    e.pageCompte = texte(t, a.pageCompte, Textes::kPageCompte);
    e.compteDonne = Garde(t, a.compte) || Garde(t, a.pageCompte);
    e.registration = texte(t, a.registration, Textes::kRegistration);
    e.banque = texte(t, a.iri, Textes::kBanque);
    bool succes = false;
    if (t.Element(a.succes, element) && element.get_bool().get(succes) == simdjson::SUCCESS) e.succes = succes;
    e.reponse = texte(t, a.reponse);
    e.duree = texte(t, a.duree);
    e.dureeDonnee = Garde(t, a.duree);
    if (t.Element(a.note, element) && element.is_number()) e.note = Valeur(element).toDouble();
    return e;
}

QJsonObject Rendu(simdjson::dom::element racine, const Trouves&, Textes&, const QJsonObject*) { return Projete(racine); }
Essentiel Rendu(simdjson::dom::element, const Trouves& t, Textes& textes, const Essentiel*) { return Essentielle(t, textes); }
QJsonObject Rendu(QJsonObject&& projete, const QJsonObject*) { return std::move(projete); }
Essentiel Rendu(QJsonObject&& projete, const Essentiel*) { return EssentielDe(projete); }


// Keys Projeter would read otherwise than by their names: a dot in a key on the way to a wanted
// field (it joins keys with dots), a key on that way given twice (Projeter reads both: what it
// keeps of each is not always what the last gives), or the bank's IRI made of several keys. Such a
// line goes to Projeter. noeud: where o lies in the tree of wanted fields; what lies on the way is
// noted in trouves, the last of a key given twice as Projeter keeps it.
bool CleAmbigue(simdjson::dom::object o, int noeud, Trouves& trouves) {
    const Arbre& arbre = Arbre::Lui();
    quint64 vus = 0;  // the nodes under noeud met so far: each is one key
    for (const auto champ : o) {
        int dessous = arbre.Enfant(noeud, champ.key);
        if (dessous < 0) {
            // No key of the tree holds a dot: only a key with dots can lead there otherwise.
            if (champ.key.find('.') == std::string_view::npos) continue;
            dessous = arbre.Chemin(noeud, champ.key);
            if (dessous < 0) continue;
            // The bank's IRI is one key with dots.
            if (!(noeud == arbre.extensions && champ.key == kIri)) return true;
        } else if (noeud == arbre.extensions) {
            return true;  // the first part of the IRI alone: the IRI made of several keys
        }
        const quint64 bit = quint64(1) << dessous;
        if (vus & bit) return true;
        vus |= bit;
        trouves.Noter(dessous, champ.value);
        simdjson::dom::object dedans;
        simdjson::dom::array elements;
        if (!arbre.Feuille(dessous)) {  // under a leaf, nothing is read
            if (champ.value.get_object().get(dedans) == simdjson::SUCCESS && CleAmbigue(dedans, dessous, trouves)) return true;
        } else if (dessous == arbre.choix && champ.value.get_array().get(elements) == simdjson::SUCCESS) {
            // The answers' keys are read as Projeter reads them in each element of the array.
            for (const simdjson::dom::element v : elements)
                if (v.get_object().get(dedans) == simdjson::SUCCESS && CleAmbigue(dedans, arbre.elementChoix, trouves)) return true;
        }
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
    Trouves trouves;
    if (lu && racine.get_object().get(objet) == simdjson::SUCCESS && !CleAmbigue(objet, Arbre::kRacine, trouves)) {
        const Arbre& a = Arbre::Lui();
        std::string_view id;
        simdjson::dom::element verbe;
        if (!trouves.Chaine(a.id, id) || !trouves.Element(a.verbe, verbe) || !verbe.is_object())
            return {numero, {}, QStringLiteral("pas une déclaration xAPI"), {}};
        return {numero, Rendu(racine, trouves, textes, type), {}, Cle(id)};
    }
    // Whatever simdjson refuses or could read otherwise, Projeter decides, as it always has.
    Projection pr = Projeter(p, fin);
    if (!pr.json)
        return {numero, {}, coupee ? QStringLiteral("ligne coupée (écriture interrompue)") : QStringLiteral("pas du JSON"), {}};
    if (!pr.objet || !pr.declaration.value(QLatin1String("id")).isString() || !pr.verbeObjet)
        return {numero, {}, QStringLiteral("pas une déclaration xAPI"), {}};
    CleId cle = Cle(pr.declaration.value(QLatin1String("id")).toString());
    return {numero, Rendu(std::move(pr.declaration), type), {}, std::move(cle)};
}

// The whole journal into tout (grown as needed, padding zeroed after it); its size, or -1 when it
// is too large to hold, -2 when it cannot be read (erreur says why). One open, one size, one read:
// the system calls were a good part of reading ten thousand small files.
// dossier: the folder's descriptor, nom the journal's name in it (a name is found faster from its
// folder than a whole path from the root), or -1 to open chemin.
qint64 LireTout(int dossier, const QString& nom, const QString& chemin, std::vector<char>& tout, QString& erreur) {
    const auto preparer = [&](qint64 taille) {
        // One buffer per thread, grown as needed: a buffer per file cost more than parsing it.
        const size_t voulu = static_cast<size_t>(taille) + simdjson::SIMDJSON_PADDING;
        if (tout.size() < voulu) tout.resize(std::max(voulu, tout.size() * 2));
    };
#ifdef Q_OS_UNIX
    const int fd = dossier >= 0 ? ::openat(dossier, QFile::encodeName(nom).constData(), O_RDONLY | O_CLOEXEC)
                                : ::open(QFile::encodeName(chemin).constData(), O_RDONLY | O_CLOEXEC);
    struct stat etat {};
    if (fd >= 0 && ::fstat(fd, &etat) == 0 && S_ISREG(etat.st_mode)) {
        if (etat.st_size > kFichierMax) {
            ::close(fd);
            return -1;
        }
        preparer(etat.st_size);
        qint64 taille = 0;
        // The size fstat gave, as QFile reads it: what is appended meanwhile waits for the next reading.
        while (taille < etat.st_size) {
            const ssize_t n = ::read(fd, tout.data() + taille, static_cast<size_t>(etat.st_size - taille));
            if (n == 0) break;
            if (n < 0) {
                if (errno == EINTR) continue;
                taille = -2;
                break;
            }
            taille += n;
        }
        ::close(fd);
        if (taille >= 0) {
            std::fill_n(tout.data() + taille, simdjson::SIMDJSON_PADDING, '\0');
            return taille;
        }
    } else if (fd >= 0) {
        ::close(fd);
    }
    // Whatever went wrong, QFile says it as LireJournal does.
#endif
    QFile q(chemin);
    if (!q.open(QIODevice::ReadOnly)) {
        // LireJournal says why, as it always has, when it is a journal's size that stops it.
        if (QFileInfo(chemin).size() > kFichierMax) return -1;
        erreur = QStringLiteral("illisible : ") + q.errorString();
        return -2;
    }
    // The size is taken once: a journal a session is writing grows while it is read, and what came
    // after this instant is left for the next reading (a line cut there is skipped as cut).
    const qint64 octets = q.size();
    if (octets > kFichierMax) return -1;
    preparer(octets);
    qint64 taille = 0;
    for (qint64 n; taille < octets && (n = q.read(tout.data() + taille, octets - taille)) > 0;) taille += n;
    std::fill_n(tout.data() + taille, simdjson::SIMDJSON_PADDING, '\0');
    return taille;
}

// False, reading nothing, when the journal is too large to hold.
template <class T>
bool LireFichier(simdjson::dom::parser& parser, Textes& textes, std::vector<char>& tout, int dossier, Fichier<T>& f) {
    const qint64 taille = LireTout(dossier, f.nom, f.chemin, tout, f.erreur);
    if (taille == -1) return false;
    if (taille == -2) {
        f.illisible = true;
        return true;
    }
    const char* debut = tout.data();
    const char* const fin = debut + taille;
    // About a kilobyte a statement: room made once for most journals, without counting the lines.
    f.lignes.reserve(static_cast<size_t>(taille / 1024) + 4);
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

// The folder's journals parsed on two threads, handed to rendre in name order, each id once; a
// journal too large to hold is read by LireJournal instead, in its turn.
template <class T, class Rendre>
bool Parcourir(const QString& dossier, std::vector<LigneIgnoree>& ignorees, Ids& ids, Rendre rendre) {
    const QDir d(dossier);
    if (!d.exists() || !d.isReadable()) {
        ignorees.push_back({dossier, 0, QStringLiteral("dossier introuvable ou illisible")});
        return false;
    }
    const QStringList noms = d.entryList({QStringLiteral("*.jsonl")}, QDir::Files | QDir::Hidden, QDir::Name);
    std::vector<Fichier<T>> fichiers(static_cast<size_t>(noms.size()));
    // Each journal's size is looked at by the thread that reads it, not here one after the other.
    for (size_t i = 0; i < fichiers.size(); ++i) {
        fichiers[i].nom = noms[static_cast<qsizetype>(i)];
        fichiers[i].chemin = d.filePath(fichiers[i].nom);
    }
#ifdef Q_OS_UNIX
    const int dossierFd = ::open(QFile::encodeName(d.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
#else
    const int dossierFd = -1;
#endif

    std::mutex verrou;
    std::condition_variable signal;
    const size_t lots = (fichiers.size() + kLot - 1) / kLot;
    std::vector<char> lus(lots, 0);  // under verrou
    std::atomic<size_t> prochain{0};
    size_t rendus = 0;  // lots handed over, under verrou
    auto travailler = [&] {
        simdjson::dom::parser parser;
        Textes textes;
        std::vector<char> tampon;
        const bool pret = parser.allocate(1 << 16, kProfondeur) == simdjson::SUCCESS;
        // The statements of this thread's files, freed here once handed over: they share this
        // thread's texts, whose counts the handing thread would otherwise fight it for.
        std::vector<size_t> miens;
        std::vector<std::vector<LigneLue<T>>> libres;
        for (;;) {
            const size_t lot = prochain++;
            if (lot >= lots) return;
            size_t handes = 0;
            {
                std::unique_lock<std::mutex> v(verrou);
                signal.wait(v, [&] { return lot < rendus + kAvance; });
                handes = rendus * kLot;
            }
            const auto reste = std::partition(miens.begin(), miens.end(), [&](size_t j) { return j >= handes; });
            // Their room is kept for the files to come: taken from the system and given back a file
            // at a time, it was a good part of the time, in page faults.
            for (auto j = reste; j != miens.end(); ++j) {
                fichiers[*j].lignes.clear();
                if (libres.size() < 2 * kLot * kAvance) libres.push_back(std::move(fichiers[*j].lignes));
                std::vector<LigneLue<T>>().swap(fichiers[*j].lignes);
            }
            miens.erase(reste, miens.end());
            // The lot's files are the handing thread's only once lus is set, under verrou.
            for (size_t i = lot * kLot; i < std::min(fichiers.size(), (lot + 1) * kLot); ++i) {
                miens.push_back(i);
                if (!libres.empty()) {
                    fichiers[i].lignes = std::move(libres.back());
                    libres.pop_back();
                }
                fichiers[i].gros = !pret || !LireFichier(parser, textes, tampon, dossierFd, fichiers[i]);
            }
            {
                std::lock_guard<std::mutex> v(verrou);
                lus[lot] = 1;
            }
            signal.notify_all();
        }
    };
    std::thread second(travailler);
    std::thread premier(travailler);

    bool tout = true;
    for (size_t i = 0; i < fichiers.size(); ++i) {
        if (i % kLot == 0) {
            std::unique_lock<std::mutex> v(verrou);
            signal.wait(v, [&] { return lus[i / kLot] != 0; });
        }
        Fichier<T>& f = fichiers[i];
        if (f.gros) {
            constexpr const T* type = nullptr;
            Lecture journal;
            journal.essentiel = true;
            journal.recevoir = [&](const QJsonObject& d) {
                if (ids.Ajouter(Cle(d.value(QLatin1String("id")).toString()))) rendre(Rendu(QJsonObject(d), type));
            };
            tout = LireJournal(f.chemin, journal) && tout;
            ignorees.insert(ignorees.end(), journal.ignorees.begin(), journal.ignorees.end());
        } else if (f.illisible) {
            ignorees.push_back({f.chemin, 0, f.erreur});
            tout = false;
        }
        ids.Preparer(f.lignes);
        for (LigneLue<T>& l : f.lignes) {
            if (!l.raison.isEmpty()) {
                ignorees.push_back({f.chemin, l.ligne, l.raison});
                continue;
            }
            if (ids.Ajouter(std::move(l.id))) rendre(std::move(l.declaration));
        }
        if ((i + 1) % kLot == 0 || i + 1 == fichiers.size()) {
            {
                std::lock_guard<std::mutex> v(verrou);
                rendus = i / kLot + 1;
            }
            signal.notify_all();
        }
    }
    premier.join();
    second.join();
#ifdef Q_OS_UNIX
    if (dossierFd >= 0) ::close(dossierFd);
#endif
    return tout;
}

}  // namespace

qint64 Horodatage(std::string_view t) {
    // The lesson writes "2026-09-01T08:00:20.000Z"; any other form is left to Qt.
    const auto nombre = [&](size_t debut, size_t n, int& valeur) {
        valeur = 0;
        for (size_t i = debut; i < debut + n; ++i) {
            if (t[i] < '0' || t[i] > '9') return false;
            valeur = valeur * 10 + (t[i] - '0');
        }
        return true;
    };
    int annee = 0, mois = 0, jour = 0, heure = 0, minute = 0, seconde = 0, ms = 0;
    const bool avecMs = t.size() == 24 && t[19] == '.' && nombre(20, 3, ms);
    if ((t.size() == 20 || avecMs) && t.back() == 'Z' && t[4] == '-' && t[7] == '-' && t[10] == 'T' && t[13] == ':' &&
        t[16] == ':' && nombre(0, 4, annee) && nombre(5, 2, mois) && nombre(8, 2, jour) && nombre(11, 2, heure) &&
        nombre(14, 2, minute) && nombre(17, 2, seconde) && annee >= 1 && mois >= 1 && mois <= 12 && jour >= 1 &&
        heure <= 23 && minute <= 59 && seconde <= 59) {
        const bool bissextile = (annee % 4 == 0 && annee % 100 != 0) || annee % 400 == 0;
        constexpr int kJours[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        if (jour <= kJours[mois - 1] + (mois == 2 && bissextile)) {
            // Days since 1970-01-01 in the proleptic Gregorian calendar, as QDate counts them.
            const int a = annee - (mois <= 2);
            const int ere = a / 400;
            const int anneeEre = a - ere * 400;
            const int jourAnnee = (153 * (mois + (mois > 2 ? -3 : 9)) + 2) / 5 + jour - 1;
            const int jourEre = anneeEre * 365 + anneeEre / 4 - anneeEre / 100 + jourAnnee;
            const qint64 jours = static_cast<qint64>(ere) * 146097 + jourEre - 719468;
            return ((jours * 24 + heure) * 60 + minute) * 60000 + seconde * 1000 + ms;
        }
    }
    const QDateTime q = QDateTime::fromString(QString::fromUtf8(t.data(), static_cast<qsizetype>(t.size())), Qt::ISODateWithMs);
    return q.isValid() ? q.toMSecsSinceEpoch() : Essentiel::kSansDate;
}

Essentiel EssentielDe(const QJsonObject& d) {
    const auto chaine = [](const QJsonObject& o, const char* cle) { return o.value(QLatin1String(cle)).toString(); };
    const auto objet = [](const QJsonObject& o, const char* cle) { return o.value(QLatin1String(cle)).toObject(); };
    Essentiel e;
    const QJsonValue horodatage = d.value(QLatin1String("timestamp"));
    if (horodatage.isString()) {
        const QDateTime t = QDateTime::fromString(horodatage.toString(), Qt::ISODateWithMs);
        if (t.isValid()) e.quand = t.toMSecsSinceEpoch();
    }
    e.verbe = chaine(objet(d, "verb"), "id");
    const QJsonObject o = objet(d, "object");
    e.objet = chaine(o, "id");
    const QJsonObject definition = objet(o, "definition");
    e.description = chaine(objet(definition, "description"), "fr-FR");
    for (const QJsonValue v : definition.value(QLatin1String("choices")).toArray()) {
        const QByteArray id = chaine(v.toObject(), "id").toUtf8();
        const int k = NumeroChoix(std::string_view(id.constData(), static_cast<size_t>(id.size())));
        if (k >= 0) e.choix[static_cast<size_t>(k)] = chaine(objet(v.toObject(), "description"), "fr-FR");
    }
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
    Ids ids;
    for (const QString& id : std::as_const(lecture.ids)) ids.Ajouter(Cle(id));
    return Parcourir<QJsonObject>(dossier, lecture.ignorees, ids, [&](QJsonObject&& d) {
        lecture.ids.insert(d.value(QLatin1String("id")).toString());
        if (lecture.recevoir)
            lecture.recevoir(d);
        else
            lecture.declarations.push_back(std::move(d));
    });
}

bool LireDossierEssentiel(const QString& dossier, LectureEssentielle& lecture) {
    Ids ids;
    return Parcourir<Essentiel>(dossier, lecture.ignorees, ids, [&](Essentiel&& e) { lecture.recevoir(e); });
}

}  // namespace resultats
