#include "statements/lecture_declarations.h"

#include "statements/vocabulaire.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonDocument>

#include <simdjson.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace resultats {

namespace {

// Journals past this size are read on their own, in their turn, so that memory stays small
// whatever a folder holds; a learner's journal is a few tens of kilobytes.
constexpr qint64 kFichierMax = 16 << 20;
// simdjson's nesting; a deeper line goes to our own parser, whose limit is higher.
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

// The texts of a class's statements made once per thread and shared: those the whole class repeats
// (verbs, questions, answers, the bank) in a table, those of one learner or session (names,
// registration) when they change from one statement to the next. Allocating a string per field and
// statement was most of the reading's time.
class Textes {
public:
    // The first three are shared by the class and looked up when they change; the others are the
    // learner's or the session's own, made when they change and kept out of the shared texts.
    enum { kVerbe, kPageCompte, kBanque, kActeur, kCompte, kRegistration, kChamps };

    // With champ, a field whose text is most often the one of the statement before (the session,
    // the learner, the bank): compared with that one before being looked up.
    QString operator()(std::string_view s, int champ) {
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

// The wanted fields, and the nodes looked at on the way to them.
enum Marque : qint8 {
    kAucune = -1,
    // Kept as the statement gives them (a string, a number or a boolean; the last given).
    kId,
    kHorodatage,
    kVerbeId,
    kObjetId,
    kDescriptionFr,
    kActeur,
    kMbox,
    kCompte,
    kPageCompte,
    kRegistration,
    kBanque,
    kSucces,
    kDuree,
    kReponse,
    kNote,
    kChamps,
    kVerbe = kChamps,  // which must be an object
    kDescription,      // the question's language map
    kChoix,            // the answers' array
    // In an element of that array.
    kChoixId,
    kChoixFr,
    kChoixDescription,
};

// The paths of the wanted fields as trees of letters, keys joined with dots: a key is followed a
// letter at a time from where its object lies, so that a key with dots, or one that ends within
// another (the bank's IRI is one key with dots), leads where its joined path does. A node whose
// path leads to no wanted field is -1, and what lies under it is not looked at.
class Arbre {
public:
    static const Arbre& Lui() {
        static const Arbre arbre;
        return arbre;
    }
    static constexpr int kRacine = 0;   // the statement
    static constexpr int kElement = 1;  // an element of the answers' array ("…choices[]")

    int Suivre(int noeud, std::string_view cle) const {
        // No wanted path holds an empty key: at the top, one would otherwise lead back to the top.
        if (cle.empty()) return -1;
        if (noeud != kRacine) noeud = suite_[static_cast<size_t>(noeud)]['.'];
        for (const char c : cle) {
            if (noeud < 0 || static_cast<unsigned char>(c) >= 128) return -1;
            noeud = suite_[static_cast<size_t>(noeud)][static_cast<size_t>(c)];
        }
        return noeud;
    }
    Marque De(int noeud) const { return noeud < 0 ? kAucune : marques_[static_cast<size_t>(noeud)]; }

private:
    Arbre() {
        Noeud();
        Noeud();
        const std::pair<std::string, Marque> chemins[] = {
            {"id", kId},
            {"timestamp", kHorodatage},
            {"verb", kVerbe},
            {"verb.id", kVerbeId},
            {"object.id", kObjetId},
            {"object.definition.description", kDescription},
            {"object.definition.description.fr-FR", kDescriptionFr},
            {"object.definition.choices", kChoix},
            {"actor.name", kActeur},
            {"actor.mbox", kMbox},
            {"actor.account.name", kCompte},
            {"actor.account.homePage", kPageCompte},
            {"context.registration", kRegistration},
            {std::string("context.extensions.") + kIriBanque, kBanque},
            {"result.success", kSucces},
            {"result.duration", kDuree},
            {"result.response", kReponse},
            {"result.score.raw", kNote},
        };
        for (const auto& [chemin, marque] : chemins) Ajouter(kRacine, chemin, marque);
        Ajouter(kElement, ".id", kChoixId);
        Ajouter(kElement, ".description", kChoixDescription);
        Ajouter(kElement, ".description.fr-FR", kChoixFr);
    }
    int Noeud() {
        suite_.emplace_back();
        suite_.back().fill(-1);
        marques_.push_back(kAucune);
        return static_cast<int>(suite_.size()) - 1;
    }
    void Ajouter(int noeud, std::string_view chemin, Marque marque) {
        for (const char c : chemin) {
            if (suite_[static_cast<size_t>(noeud)][static_cast<size_t>(c)] < 0) {
                const int nouveau = Noeud();  // before the reference: Noeud() moves the nodes
                suite_[static_cast<size_t>(noeud)][static_cast<size_t>(c)] = static_cast<qint16>(nouveau);
            }
            noeud = suite_[static_cast<size_t>(noeud)][static_cast<size_t>(c)];
        }
        marques_[static_cast<size_t>(noeud)] = marque;
    }
    std::vector<std::array<qint16, 128>> suite_;
    std::vector<Marque> marques_;
};

// A wanted field's value: a text as simdjson holds it (valid until the next line) or, read by our
// own parser, as a string of its own.
struct Valeur {
    enum Type : quint8 { kRien, kTexte, kNombre, kBooleen } type = kRien;
    bool possede = false;
    bool booleen = false;
    double nombre = 0;
    std::string_view octets;
    QString texte;
    void Texte(std::string_view s) {
        type = kTexte;
        possede = false;
        octets = s;
    }
    void Texte(QString s) {
        type = kTexte;
        possede = true;
        texte = std::move(s);
    }
};

// A language map's first language in key order: simdjson's map, looked at only when there is no
// French text, or our parser's text.
struct Carte {
    std::optional<simdjson::dom::object> objet;
    Valeur premiere;
};

struct ChoixLu {
    Valeur id, fr;
    Carte carte;
};

// What a line holds at the wanted fields.
struct Recueil {
    std::array<Valeur, kChamps> champs;
    bool verbeObjet = false;
    Carte description;
    std::vector<ChoixLu> choix;  // the last array given
    void Effacer() {
        for (Valeur& v : champs) v.type = Valeur::kRien;
        verbeObjet = false;
        description = {};
        choix.clear();
    }
};

// simdjson's tree, walked from noeud.
void Noter(const Arbre& a, int noeud, simdjson::dom::element v, Recueil& r, ChoixLu* choix);

void Parcourir(const Arbre& a, simdjson::dom::object o, int noeud, Recueil& r, ChoixLu* choix) {
    for (const auto champ : o)
        if (const int dessous = a.Suivre(noeud, champ.key); dessous >= 0) Noter(a, dessous, champ.value, r, choix);
}

void Noter(const Arbre& a, int noeud, simdjson::dom::element v, Recueil& r, ChoixLu* choix) {
    const Marque m = a.De(noeud);
    Valeur* champ = m >= 0 && m < kChamps ? &r.champs[static_cast<size_t>(m)] : nullptr;
    switch (v.type()) {
    case simdjson::dom::element_type::OBJECT: {
        const simdjson::dom::object o = v.get_object().value_unsafe();
        if (m == kVerbe) r.verbeObjet = true;
        if (m == kDescription) r.description.objet = o;
        if (m == kChoixDescription) choix->carte.objet = o;
        Parcourir(a, o, noeud, r, choix);
        return;
    }
    case simdjson::dom::element_type::ARRAY:
        // The one wanted array; given twice, the last counts.
        if (m != kChoix) return;
        r.choix.clear();
        for (const simdjson::dom::element e : simdjson::dom::array(v.get_array().value_unsafe())) {
            r.choix.emplace_back();
            simdjson::dom::object o;
            if (e.get_object().get(o) == simdjson::SUCCESS) Parcourir(a, o, Arbre::kElement, r, &r.choix.back());
        }
        return;
    case simdjson::dom::element_type::STRING:
        // An answer's fields are kept when strings only.
        if (m == kChoixId) choix->id.Texte(v.get_string().value_unsafe());
        if (m == kChoixFr) choix->fr.Texte(v.get_string().value_unsafe());
        if (champ) champ->Texte(v.get_string().value_unsafe());
        return;
    case simdjson::dom::element_type::BOOL:
        if (champ) {
            champ->type = Valeur::kBooleen;
            champ->booleen = v.get_bool().value_unsafe();
        }
        return;
    case simdjson::dom::element_type::INT64:
    case simdjson::dom::element_type::UINT64:
    case simdjson::dom::element_type::DOUBLE:
        if (champ) {
            champ->type = Valeur::kNombre;
            champ->nombre = v.type() == simdjson::dom::element_type::DOUBLE ? v.get_double().value_unsafe()
                            : v.type() == simdjson::dom::element_type::INT64 ? static_cast<double>(v.get_int64().value_unsafe())
                                                                              : static_cast<double>(v.get_uint64().value_unsafe());
        }
        return;
    default:  // null: nothing kept
        return;
    }
}

// Our own parser, for the lines simdjson refuses: the JSON grammar to the letter, UTF-8 taken as
// Qt takes it (an invalid sequence replaced), escapes as they are (a lone surrogate kept). It keeps
// what the walk above keeps.
class Grammaire {
public:
    Grammaire(const char* debut, const char* fin, Recueil& r) : p_(debut), fin_(fin), r_(r) {}

    // Whether the line is one JSON value; objet: whether that value is an object.
    bool Lire(bool& objet) {
        Blancs();
        objet = p_ < fin_ && *p_ == '{';
        const bool ok = Valeur(0, Arbre::kRacine, nullptr);
        Blancs();
        return ok && p_ == fin_;
    }

private:
    // Deeper than any statement; a hostile line cannot run the stack out.
    static constexpr int kProfondeurMax = 128;

    void Blancs() {
        while (p_ < fin_ && (*p_ == ' ' || *p_ == '\t' || *p_ == '\n' || *p_ == '\r')) ++p_;
    }

    bool Mot(const char* mot) {
        for (; *mot; ++mot, ++p_)
            if (p_ >= fin_ || *p_ != *mot) return false;
        return true;
    }

    bool Valeur(int profondeur, int noeud, ChoixLu* choix) {
        if (p_ >= fin_ || profondeur > kProfondeurMax) return false;
        const Marque m = a_.De(noeud);
        resultats::Valeur* champ = m >= 0 && m < kChamps ? &r_.champs[static_cast<size_t>(m)] : nullptr;
        switch (*p_) {
        case '{': {
            if (m == kVerbe) r_.verbeObjet = true;
            Carte* carte = m == kDescription ? &r_.description : m == kChoixDescription ? &choix->carte : nullptr;
            return Objet(profondeur + 1, noeud, choix, carte);
        }
        case '[':
            return Tableau(profondeur + 1, m == kChoix);
        case '"': {
            const bool voulu = champ || m == kChoixId || m == kChoixFr;
            QString s;
            if (!Chaine(voulu ? &s : nullptr)) return false;
            if (m == kChoixId) choix->id.Texte(s);
            if (m == kChoixFr) choix->fr.Texte(s);
            if (champ) champ->Texte(std::move(s));
            return true;
        }
        case 't':
        case 'f':
            if (champ) {
                champ->type = resultats::Valeur::kBooleen;
                champ->booleen = *p_ == 't';
            }
            return Mot(*p_ == 't' ? "true" : "false");
        case 'n':
            return Mot("null");
        default:
            return Nombre(champ);
        }
    }

    // carte: when the object is a language map, where its first language goes.
    bool Objet(int profondeur, int noeud, ChoixLu* choix, Carte* carte) {
        ++p_;
        if (carte) carte->premiere = {};
        Blancs();
        if (p_ < fin_ && *p_ == '}') {
            ++p_;
            return true;
        }
        QByteArray premiere;  // the first key in order so far
        bool unePremiere = false;
        for (;;) {
            if (p_ >= fin_ || *p_ != '"') return false;
            const char* debutCle = p_;
            if (!Chaine(nullptr)) return false;
            QByteArray cle = QByteArray::fromRawData(debutCle + 1, p_ - 1 - debutCle - 1);
            if (cle.contains('\\')) cle = Relire(debutCle).toUtf8();  // the key its escapes spell
            const int dessous = noeud < 0 ? -1 : a_.Suivre(noeud, std::string_view(cle.constData(), static_cast<size_t>(cle.size())));
            Blancs();
            if (p_ >= fin_ || *p_ != ':') return false;
            ++p_;
            Blancs();
            const char* debutValeur = p_;
            if (!Valeur(profondeur, dessous, choix)) return false;
            if (carte && (!unePremiere || cle <= premiere)) {
                premiere = QByteArray(cle.constData(), cle.size());
                unePremiere = true;
                carte->premiere = {};
                if (*debutValeur == '"') carte->premiere.Texte(Relire(debutValeur));
            }
            Blancs();
            if (p_ >= fin_) return false;
            if (*p_ == '}') {
                ++p_;
                return true;
            }
            if (*p_ != ',') return false;
            ++p_;
            Blancs();
        }
    }

    // The string already checked at debut, read again as text.
    QString Relire(const char* debut) {
        const char* apres = p_;
        p_ = debut;
        QString texte;
        Chaine(&texte);
        p_ = apres;
        return texte;
    }

    // choix: the answers' array, whose elements are read as answers (the last array given counts).
    bool Tableau(int profondeur, bool choix) {
        ++p_;
        if (choix) r_.choix.clear();
        Blancs();
        if (p_ < fin_ && *p_ == ']') {
            ++p_;
            return true;
        }
        for (;;) {
            Blancs();
            ChoixLu* element = nullptr;
            if (choix) element = &r_.choix.emplace_back();
            if (!Valeur(profondeur, choix ? Arbre::kElement : -1, element)) return false;
            Blancs();
            if (p_ < fin_ && *p_ == ']') {
                ++p_;
                return true;
            }
            if (p_ >= fin_ || *p_ != ',') return false;
            ++p_;
        }
    }

    static int Hex(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }

    // p_ on the opening quote; leaves it after the closing one.
    bool Chaine(QString* sortie) {
        ++p_;
        const char* morceau = p_;
        const auto vider = [&] {
            if (sortie && p_ > morceau) sortie->append(QString::fromUtf8(morceau, p_ - morceau));
        };
        while (p_ < fin_) {
            const unsigned char c = static_cast<unsigned char>(*p_);
            if (c == '"') {
                vider();
                ++p_;
                return true;
            }
            if (c < 0x20) return false;
            if (c != '\\') {
                ++p_;
                continue;
            }
            vider();
            if (++p_ >= fin_) return false;
            char16_t code = 0;
            switch (*p_) {
            case '"': code = '"'; break;
            case '\\': code = '\\'; break;
            case '/': code = '/'; break;
            case 'b': code = '\b'; break;
            case 'f': code = '\f'; break;
            case 'n': code = '\n'; break;
            case 'r': code = '\r'; break;
            case 't': code = '\t'; break;
            case 'u':
                if (fin_ - p_ < 5) return false;
                for (int i = 1; i <= 4; ++i) {
                    const int h = Hex(p_[i]);
                    if (h < 0) return false;
                    code = static_cast<char16_t>(code * 16 + h);
                }
                p_ += 4;
                break;
            default:
                return false;
            }
            if (sortie) sortie->append(QChar(code));
            morceau = ++p_;
        }
        return false;
    }

    bool Chiffres() {
        const char* d = p_;
        while (p_ < fin_ && *p_ >= '0' && *p_ <= '9') ++p_;
        return p_ > d;
    }

    bool Nombre(resultats::Valeur* champ) {
        const char* d = p_;
        if (p_ < fin_ && *p_ == '-') ++p_;
        if (p_ < fin_ && *p_ == '0')
            ++p_;
        else if (!Chiffres())
            return false;
        if (p_ < fin_ && *p_ == '.') {
            ++p_;
            if (!Chiffres()) return false;
        }
        if (p_ < fin_ && (*p_ == 'e' || *p_ == 'E')) {
            ++p_;
            if (p_ < fin_ && (*p_ == '+' || *p_ == '-')) ++p_;
            if (!Chiffres()) return false;
        }
        if (champ) {
            champ->type = resultats::Valeur::kNombre;
            champ->nombre = QByteArray::fromRawData(d, p_ - d).toDouble();
        }
        return true;
    }

    const Arbre& a_ = Arbre::Lui();
    const char* p_;
    const char* fin_;
    Recueil& r_;
};

// The answer's number, 0 to 3, from its id "reponse1" to "reponse4"; -1 for any other.
int NumeroChoix(std::string_view id) {
    constexpr std::string_view prefixe = kIdChoix;
    return id.size() == prefixe.size() + 1 && id.starts_with(prefixe) && id.back() >= '1' && id.back() <= '4' ? id.back() - '1' : -1;
}

// What one thread reads lines with: the parser, its shared texts, the line's fields.
struct Lecteur {
    simdjson::dom::parser parser;
    Textes textes;
    Recueil recueil;
    bool pret = parser.allocate(1 << 16, kProfondeur) == simdjson::SUCCESS;

    QString Texte(const Valeur& v, int champ = -1) {
        if (v.type != Valeur::kTexte) return {};
        return v.possede ? v.texte : textes(v.octets, champ);
    }
    // A language map's French text, else its first language's.
    QString Langue(const Valeur& fr, const Carte& carte) {
        if (fr.type == Valeur::kTexte) return Texte(fr);
        if (!carte.objet) return Texte(carte.premiere);
        std::optional<std::string_view> premiere;
        simdjson::dom::element valeur;
        for (const auto champ : *carte.objet)
            if (!premiere || champ.key <= *premiere) {
                premiere = champ.key;
                valeur = champ.value;
            }
        std::string_view s;
        return premiere && valeur.get_string().get(s) == simdjson::SUCCESS ? textes(s) : QString();
    }

    // The line's fields into recueil; whether it is JSON, and objet whether an object.
    // p to fin is followed by readable bytes (simdjson's padding).
    bool Recueillir(const char* p, const char* fin, bool& objet) {
        recueil.Effacer();
        simdjson::dom::element racine;
        if (pret && parser.parse(reinterpret_cast<const uint8_t*>(p), static_cast<size_t>(fin - p), false).get(racine) ==
                        simdjson::SUCCESS) {
            simdjson::dom::object o;
            objet = racine.get_object().get(o) == simdjson::SUCCESS;
            if (objet) Parcourir(Arbre::Lui(), o, Arbre::kRacine, recueil, nullptr);
            return true;
        }
        recueil.Effacer();
        return Grammaire(p, fin, recueil).Lire(objet);
    }

    Essentiel Essentielle() {
        const Recueil& r = recueil;
        const auto champ = [&](Marque m) -> const Valeur& { return r.champs[static_cast<size_t>(m)]; };
        Essentiel e;
        if (const Valeur& h = champ(kHorodatage); h.type == Valeur::kTexte) {
            if (!h.possede) {
                e.quand = Horodatage(h.octets);
            } else if (const QDateTime t = QDateTime::fromString(h.texte, Qt::ISODateWithMs); t.isValid()) {
                e.quand = t.toMSecsSinceEpoch();
            }
        }
        e.verbe = Texte(champ(kVerbeId), Textes::kVerbe);
        e.objet = Texte(champ(kObjetId));
        e.description = Langue(champ(kDescriptionFr), r.description);
        for (const ChoixLu& c : r.choix) {
            if (c.id.type != Valeur::kTexte) continue;
            const QByteArray possede = c.id.possede ? c.id.texte.toUtf8() : QByteArray();
            const int k = NumeroChoix(c.id.possede ? std::string_view(possede.constData(), static_cast<size_t>(possede.size())) : c.id.octets);
            if (k >= 0) e.choix[static_cast<size_t>(k)] = Langue(c.fr, c.carte);
        }
        e.acteur = Texte(champ(kActeur), Textes::kActeur);
        e.mbox = Texte(champ(kMbox));
        e.compte = Texte(champ(kCompte), Textes::kCompte);
        e.pageCompte = Texte(champ(kPageCompte), Textes::kPageCompte);
        e.compteDonne = champ(kCompte).type != Valeur::kRien || champ(kPageCompte).type != Valeur::kRien;
        e.registration = Texte(champ(kRegistration), Textes::kRegistration);
        e.banque = Texte(champ(kBanque), Textes::kBanque);
        if (champ(kSucces).type == Valeur::kBooleen) e.succes = champ(kSucces).booleen;
        e.reponse = Texte(champ(kReponse));
        e.duree = Texte(champ(kDuree));
        e.dureeDonnee = champ(kDuree).type != Valeur::kRien;
        if (champ(kNote).type == Valeur::kNombre) e.note = champ(kNote).nombre;
        return e;
    }
};

struct LigneLue {
    int ligne;
    Essentiel declaration;
    QString raison;  // empty for a statement
    CleId id;
};

LigneLue Lire(Lecteur& lecteur, int numero, const char* p, const char* fin, bool coupee) {
    bool objet = false;
    if (!lecteur.Recueillir(p, fin, objet))
        return {numero, {}, coupee ? QStringLiteral("ligne coupée (écriture interrompue)") : QStringLiteral("pas du JSON"), {}};
    const Valeur& id = lecteur.recueil.champs[kId];
    if (!objet || id.type != Valeur::kTexte || !lecteur.recueil.verbeObjet) return {numero, {}, QStringLiteral("pas une déclaration xAPI"), {}};
    return {numero, lecteur.Essentielle(), {}, id.possede ? Cle(id.texte) : Cle(id.octets)};
}

// The id's text again, for a reading that keeps the ids.
QString TexteDe(const CleId& k) {
    if (k.uuid) {
        const QString hex = QStringLiteral("%1%2").arg(k.haut, 16, 16, QLatin1Char('0')).arg(k.bas, 16, 16, QLatin1Char('0'));
        return hex.mid(0, 8) + u'-' + hex.mid(8, 4) + u'-' + hex.mid(12, 4) + u'-' + hex.mid(16, 4) + u'-' + hex.mid(20);
    }
    if (!k.autre.empty() && k.autre[0] == '\xff') {
        QString texte(static_cast<qsizetype>(k.autre.size() - 1) / 2, Qt::Uninitialized);
        std::memcpy(texte.data(), k.autre.data() + 1, k.autre.size() - 1);
        return texte;
    }
    return QString::fromUtf8(k.autre.data(), static_cast<qsizetype>(k.autre.size()));
}

// The whole journal into tout (grown as needed, padding zeroed after it); its size, or -1 when it
// is larger than limite, -2 when it cannot be read (erreur says why). One open, one size, one read:
// the system calls were a good part of reading ten thousand small files.
// dossier: the folder's descriptor, nom the journal's name in it (a name is found faster from its
// folder than a whole path from the root), or -1 to open chemin.
qint64 LireTout(int dossier, const QString& nom, const QString& chemin, qint64 limite, std::vector<char>& tout, QString& erreur) {
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
        if (etat.st_size > limite) {
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
        // A journal too large to hold with the others says why when it is read on its own.
        if (QFileInfo(chemin).size() > limite) return -1;
        erreur = QStringLiteral("illisible : ") + q.errorString();
        return -2;
    }
    // The size is taken once: a journal a session is writing grows while it is read, and what came
    // after this instant is left for the next reading (a line cut there is skipped as cut).
    const qint64 octets = q.size();
    if (octets > limite) return -1;
    preparer(octets);
    qint64 taille = 0;
    for (qint64 n; taille < octets && (n = q.read(tout.data() + taille, octets - taille)) > 0;) taille += n;
    std::fill_n(tout.data() + taille, simdjson::SIMDJSON_PADDING, '\0');
    return taille;
}

struct Fichier {
    QString nom, chemin;
    bool gros = false;
    bool illisible = false;
    QString erreur;
    qint64 taille = 0;
    std::vector<LigneLue> lignes;
};

// The journal's lines, each handed to garder; false, reading nothing, when it is larger than limite.
template <class Garder>
bool LireFichier(Lecteur& lecteur, std::vector<char>& tout, int dossier, qint64 limite, Fichier& f, Garder&& garder) {
    const qint64 taille = LireTout(dossier, f.nom, f.chemin, limite, tout, f.erreur);
    if (taille == -1) return false;
    f.taille = taille;
    if (taille == -2) {
        f.illisible = true;
        return true;
    }
    const char* debut = tout.data();
    const char* const fin = debut + taille;
    int numero = 0;
    while (debut < fin) {
        ++numero;
        const char* finLigne = static_cast<const char*>(std::memchr(debut, '\n', static_cast<size_t>(fin - debut)));
        const bool coupee = finLigne == nullptr;
        if (coupee) finLigne = fin;
        const char* finTexte = finLigne;
        if (finTexte > debut && finTexte[-1] == '\r') --finTexte;
        const char* suivant = finLigne + 1;
        if (!std::all_of(debut, finTexte, [](char c) { return c == ' ' || c == '\t' || c == '\r'; }))
            garder(Lire(lecteur, numero, debut, finTexte, coupee));
        debut = suivant;
    }
    return true;
}

// Hands the statements of a journal's lines over, each id once, and notes the lines skipped.
class Remise {
public:
    explicit Remise(LectureEssentielle& lecture) : lecture_(lecture) {}
    void Preparer(const std::vector<LigneLue>& lignes) { ids_.Preparer(lignes); }
    void operator()(const QString& chemin, LigneLue&& l) {
        if (!l.raison.isEmpty()) {
            lecture_.ignorees.push_back({chemin, l.ligne, l.raison});
            return;
        }
        const QString id = lecture_.ids ? TexteDe(l.id) : QString();
        if (!ids_.Ajouter(std::move(l.id))) return;
        if (lecture_.ids) lecture_.ids->insert(id);
        lecture_.recevoir(l.declaration);
    }
    // A journal read on its own, by the thread that hands over: one too large to hold with the
    // others is read whole and handed over line by line, so that its statements are never all held.
    bool Seul(Lecteur& lecteur, std::vector<char>& tampon, Fichier& f) {
        LireFichier(lecteur, tampon, -1, std::numeric_limits<qint64>::max(), f, [&](LigneLue&& l) { (*this)(f.chemin, std::move(l)); });
        if (!f.illisible) return true;
        lecture_.ignorees.push_back({f.chemin, 0, f.erreur});
        return false;
    }

private:
    LectureEssentielle& lecture_;
    Ids ids_;
};

// The folder's journals parsed on two threads and handed over in name order; a journal too large
// to hold is read in its turn by the handing thread.
bool LireDossier(const QString& dossier, LectureEssentielle& lecture) {
    std::vector<LigneIgnoree>& ignorees = lecture.ignorees;
    const QDir d(dossier);
    if (!d.exists() || !d.isReadable()) {
        ignorees.push_back({dossier, 0, QStringLiteral("dossier introuvable ou illisible")});
        return false;
    }
    const QStringList noms = d.entryList({QStringLiteral("*.jsonl")}, QDir::Files | QDir::Hidden, QDir::Name);
    std::vector<Fichier> fichiers(static_cast<size_t>(noms.size()));
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
        Lecteur lecteur;
        std::vector<char> tampon;
        // The statements of this thread's files, freed here once handed over: they share this
        // thread's texts, whose counts the handing thread would otherwise fight it for.
        std::vector<size_t> miens;
        std::vector<std::vector<LigneLue>> libres;
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
                std::vector<LigneLue>().swap(fichiers[*j].lignes);
            }
            miens.erase(reste, miens.end());
            // The lot's files are the handing thread's only once lus is set, under verrou.
            for (size_t i = lot * kLot; i < std::min(fichiers.size(), (lot + 1) * kLot); ++i) {
                miens.push_back(i);
                if (!libres.empty()) {
                    fichiers[i].lignes = std::move(libres.back());
                    libres.pop_back();
                }
                Fichier& f = fichiers[i];
                f.gros = !LireFichier(lecteur, tampon, dossierFd, kFichierMax, f, [&](LigneLue&& l) {
                    // About a kilobyte a statement: room made once for most journals, without counting the lines.
                    if (f.lignes.empty()) f.lignes.reserve(static_cast<size_t>(f.taille / 1024) + 4);
                    f.lignes.push_back(std::move(l));
                });
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

    Remise remise(lecture);
    std::optional<Lecteur> seul;  // for the journals too large to hold with the others
    bool tout = true;
    for (size_t i = 0; i < fichiers.size(); ++i) {
        if (i % kLot == 0) {
            std::unique_lock<std::mutex> v(verrou);
            signal.wait(v, [&] { return lus[i / kLot] != 0; });
        }
        Fichier& f = fichiers[i];
        if (f.gros) {
            if (!seul) seul.emplace();
            std::vector<char> tampon;
            tout = remise.Seul(*seul, tampon, f) && tout;
        } else if (f.illisible) {
            ignorees.push_back({f.chemin, 0, f.erreur});
            tout = false;
        }
        remise.Preparer(f.lignes);
        for (LigneLue& l : f.lignes) remise(f.chemin, std::move(l));
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

Essentiel Projeter(const QJsonObject& declaration) {
    // The statement's own text, read as a journal's line is.
    thread_local Lecteur lecteur;
    QByteArray octets = QJsonDocument(declaration).toJson(QJsonDocument::Compact);
    const qsizetype taille = octets.size();
    octets.append(QByteArray(simdjson::SIMDJSON_PADDING, '\0'));
    bool objet = false;
    lecteur.Recueillir(octets.constData(), octets.constData() + taille, objet);
    return lecteur.Essentielle();
}

bool LireDossierEssentiel(const QString& dossier, LectureEssentielle& lecture) { return LireDossier(dossier, lecture); }

bool LireJournalEssentiel(const QString& chemin, LectureEssentielle& lecture) {
    Lecteur lecteur;
    std::vector<char> tampon;
    Fichier f;
    f.nom = f.chemin = chemin;
    return Remise(lecture).Seul(lecteur, tampon, f);
}

}  // namespace resultats
