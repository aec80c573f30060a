#include "statements/projection.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstring>
#include <iterator>
#include <optional>
#include <string_view>
#include <vector>

namespace resultats {

namespace {

const char* const kVoulus[] = {"id",
                               "timestamp",
                               "verb.id",
                               "object.id",
                               "actor.name",
                               "actor.account.name",
                               "actor.account.homePage",
                               "context.registration",
                               "result.success",
                               "result.duration",
                               "result.response",
                               "result.score.raw",
                               // the question asked, so that a class report keeps another bank apart
                               "object.definition.description.fr-FR",
                               // the bank asked (the key after "extensions" is an IRI, taken whole)
                               "context.extensions.https://www.korvane.fr/xapi/seance1/banque"};

// The answers' ids and French texts (kept as strings only), so that a report shows another bank's
// answers from a class folder as it does from an LRS.
constexpr std::string_view kChoix = "object.definition.choices";
constexpr std::string_view kChoixId = "object.definition.choices[].id";
constexpr std::string_view kChoixTexte = "object.definition.choices[].description.fr-FR";

// Deeper than any statement; a hostile line cannot run the stack out.
constexpr int kProfondeurMax = 128;

class Lecteur {
    struct Choix {
        std::optional<QString> id, description;
    };

public:
    Lecteur(const char* debut, const char* fin) : p_(debut), fin_(fin) { chemin_.reserve(256); }

    Projection Lire() {
        Projection r;
        Blancs();
        r.objet = p_ < fin_ && *p_ == '{';
        r.json = Valeur(0);
        Blancs();
        r.json = r.json && p_ == fin_;
        r.verbeObjet = verbeObjet_;
        if (r.json) {
            for (const auto& [chemin, valeur] : trouves_) Placer(r.declaration, Parties(chemin), 0, valeur);
            PlacerChoix(r.declaration);
        }
        return r;
    }

private:
    // The keys of a wanted path, split once.
    static const QStringList& Parties(const char* chemin) {
        static const std::vector<QStringList> parties = [] {
            std::vector<QStringList> p;
            for (const char* v : kVoulus) {
                QStringList cles = QString::fromLatin1(v).split(QLatin1Char('.'));
                const qsizetype extensions = cles.indexOf(QStringLiteral("extensions"));
                if (extensions >= 0 && extensions + 1 < cles.size())
                    cles = cles.mid(0, extensions + 1) << cles.mid(extensions + 1).join(QLatin1Char('.'));
                p.push_back(cles);
            }
            return p;
        }();
        return parties[static_cast<size_t>(std::find(std::begin(kVoulus), std::end(kVoulus), chemin) - std::begin(kVoulus))];
    }

    // object.definition.choices: the answers that give an id or a French text, in their order.
    void PlacerChoix(QJsonObject& d) const {
        QJsonArray choix;
        for (const Choix& c : choix_) {
            QJsonObject o;
            if (c.id) o.insert(QLatin1String("id"), *c.id);
            if (c.description) o.insert(QLatin1String("description"), QJsonObject{{QLatin1String("fr-FR"), *c.description}});
            if (!o.isEmpty()) choix.append(o);
        }
        if (choix.isEmpty()) return;
        QJsonObject objet = d.value(QLatin1String("object")).toObject();
        QJsonObject definition = objet.value(QLatin1String("definition")).toObject();
        definition.insert(QLatin1String("choices"), choix);
        objet.insert(QLatin1String("definition"), definition);
        d.insert(QLatin1String("object"), objet);
    }

    static void Placer(QJsonObject& o, const QStringList& chemin, int i, const QJsonValue& valeur) {
        if (i + 1 == chemin.size()) {
            o.insert(chemin[i], valeur);
            return;
        }
        QJsonObject dedans = o.value(chemin[i]).toObject();
        Placer(dedans, chemin, i + 1, valeur);
        o.insert(chemin[i], dedans);
    }

    const char* Voulu() const {
        static const std::vector<std::string_view> voulus(std::begin(kVoulus), std::end(kVoulus));
        if (chemin_.size() > 80) return nullptr;
        const std::string_view ici(chemin_.constData(), static_cast<size_t>(chemin_.size()));
        for (size_t i = 0; i < voulus.size(); ++i)
            if (ici == voulus[i]) return kVoulus[i];
        return nullptr;
    }

    void Blancs() {
        while (p_ < fin_ && (*p_ == ' ' || *p_ == '\t' || *p_ == '\n' || *p_ == '\r')) ++p_;
    }

    bool Mot(const char* mot) {
        for (; *mot; ++mot, ++p_)
            if (p_ >= fin_ || *p_ != *mot) return false;
        return true;
    }

    bool Valeur(int profondeur) {
        if (p_ >= fin_ || profondeur > kProfondeurMax) return false;
        const char* voulu = Voulu();
        Choix* choix = ChoixVoulu();
        switch (*p_) {
        case '{':
            if (chemin_ == "verb") verbeObjet_ = true;
            return Objet(profondeur + 1);
        case '[':
            return Tableau(profondeur + 1);
        case '"': {
            QString s;
            if (!Chaine(voulu || choix ? &s : nullptr)) return false;
            if (voulu) trouves_.push_back({voulu, s});
            if (choix) (chemin_.endsWith(".id") ? choix->id : choix->description) = s;
            return true;
        }
        case 't':
            if (voulu) trouves_.push_back({voulu, true});
            return Mot("true");
        case 'f':
            if (voulu) trouves_.push_back({voulu, false});
            return Mot("false");
        case 'n':
            return Mot("null");
        default:
            return Nombre(voulu);
        }
    }

    bool Objet(int profondeur) {
        ++p_;
        Blancs();
        if (p_ < fin_ && *p_ == '}') {
            ++p_;
            return true;
        }
        for (;;) {
            if (p_ >= fin_ || *p_ != '"') return false;
            const char* cle = p_ + 1;
            if (!Chaine(nullptr)) return false;
            const qsizetype avant = chemin_.size();
            if (!chemin_.isEmpty()) chemin_ += '.';
            if (std::memchr(cle, '\\', static_cast<size_t>(p_ - 1 - cle))) {
                // A key written with escapes is the key they spell, as for any JSON reader.
                const char* apres = p_;
                p_ = cle - 1;
                QString texte;
                Chaine(&texte);
                p_ = apres;
                chemin_.append(texte.toUtf8());
            } else {
                chemin_.append(cle, p_ - 1 - cle);
            }
            Blancs();
            if (p_ >= fin_ || *p_ != ':') return false;
            ++p_;
            Blancs();
            if (!Valeur(profondeur)) return false;
            chemin_.truncate(avant);
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

    bool Tableau(int profondeur) {
        ++p_;
        const qsizetype avant = chemin_.size();
        // The answers' texts are the one wanted thing in an array; given twice, the last array counts.
        const bool choix = Ici(kChoix);
        if (choix) choix_.clear();
        chemin_ += "[]";
        Blancs();
        bool ok = true;
        if (p_ < fin_ && *p_ == ']') {
            ++p_;
        } else {
            for (;;) {
                Blancs();
                if (choix) {
                    choix_.emplace_back();
                    element_ = true;
                }
                const bool lu = Valeur(profondeur);
                if (choix) element_ = false;
                if (!lu) {
                    ok = false;
                    break;
                }
                Blancs();
                if (p_ < fin_ && *p_ == ']') {
                    ++p_;
                    break;
                }
                if (p_ >= fin_ || *p_ != ',') {
                    ok = false;
                    break;
                }
                ++p_;
            }
        }
        chemin_.truncate(avant);
        return ok;
    }

    bool Ici(std::string_view chemin) const {
        return std::string_view(chemin_.constData(), static_cast<size_t>(chemin_.size())) == chemin;
    }

    // The answer being read when at one of its wanted fields, inside the answers' array itself (a
    // key "choices[]" elsewhere names the same path).
    Choix* ChoixVoulu() {
        if (!element_ || (!Ici(kChoixId) && !Ici(kChoixTexte))) return nullptr;
        return &choix_.back();
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

    bool Nombre(const char* voulu) {
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
        if (voulu) trouves_.push_back({voulu, QByteArray::fromRawData(d, p_ - d).toDouble()});
        return true;
    }

    const char* p_;
    const char* fin_;
    QByteArray chemin_;
    bool verbeObjet_ = false;
    std::vector<std::pair<const char*, QJsonValue>> trouves_;
    std::vector<Choix> choix_;
    bool element_ = false;  // directly in an element of the answers' array
};

}  // namespace

Projection Projeter(const char* debut, const char* fin) { return Lecteur(debut, fin).Lire(); }

}  // namespace resultats
