#pragma once
// A séance written by its teacher: SeanceN/seance.toml says what each page shows and when. The
// engine (navigation, the tick, page loops, the evaluation, sounds, results) is the lesson's own;
// the script only gives each page its slide, its photographs and their places, its animation, its
// last tick, the closing text, and how the slides are drawn. Read strictly: a script with a
// mistake is refused, and every mistake of it is said with the file, the line and what to write
// instead, in French.

#include "content/erreurs.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace content {

// Where a picture goes, as a formula over the slide's and the frames' geometry, in twips.
class Expression {
public:
    // What a name of the formula reads: 0 for the slide, 1 to 3 for the photograph frames.
    enum class Mesure { Gauche, Haut, Largeur, Hauteur, Droite, Bas };
    using Lecteur = std::function<double(int cadre, Mesure mesure)>;

    struct Noeud;
    Expression() = default;
    explicit Expression(std::shared_ptr<const Noeud> racine) : racine_(std::move(racine)) {}

    bool Vide() const { return !racine_; }
    // echelle: the screen's twips per pixel along the formula's axis; n px is n × echelle, formed
    // in single precision as the built-in routine forms it, so that both place a picture alike.
    // zoom: the slide's scale on the screen; the formula's own lengths grow with it, as the frames do.
    double Evaluer(const Lecteur& lire, float echelle, double zoom = 1) const;
    // The frames (1 to 3) the formula reads.
    std::vector<int> Cadres() const;
    const Noeud* Racine() const { return racine_.get(); }

private:
    std::shared_ptr<const Noeud> racine_;
};

struct Expression::Noeud {
    enum class Genre { Twips, Pixels, Nombre, Mesure, Plus, Moins, Fois, Divise, Oppose };
    Genre genre = Genre::Twips;
    double valeur = 0;  // Twips, Pixels, Nombre
    int cadre = 0;      // Mesure
    Mesure mesure = Mesure::Gauche;
    std::shared_ptr<const Noeud> gauche, droite;
};

struct Place {
    Expression gauche, haut;
};

// A step of a page's loop: a slide put in (the first one, or the next of a build) or a photograph
// brought into one of the lesson's photograph frames.
struct EtapeScript {
    int instant = 1;       // the tick of Compteur at which it runs
    bool diapositive = false;
    QString fichier;       // as the picture loader takes it: "Diapo3.emf", "Cours.pdf#3"
    int cadre = 0;         // photograph: 1 to 3
    Place place;           // photograph
    int ligne = 0;
};

// A sound a page plays at an instant, a narration: its words are the caption shown under the slide
// while it plays, and what a screen reader is told.
struct SonScript {
    int instant = 1;
    QString fichier;  // WAV, FLAC, Ogg Vorbis or MP3
    QString texte;
    int ligne = 0;
};

struct AnimationScript {
    enum class Genre {
        Images,    // the teacher's frames, files of the folder, one every intervalle
        Circuit,   // the program's five frames of charges moving through a circuit
        Courants,  // the program's two electron strips, direct and alternating current
    };
    Genre genre = Genre::Images;
    int instant = 0;
    QStringList images;  // Images
    int intervalleMs = 250;
    int cadre = 1;
    Place place;
    // A photograph added after so many passes through the frames (Images, Circuit).
    struct Photo {
        int apres = 0;
        int cadre = 0;
        QString fichier;
        Place place;
        int ligne = 0;
    };
    std::optional<Photo> photo;
    int ligne = 0;
};

struct PageScript {
    enum class Type { Titre, Diapositive, Evaluation, Cloture };
    Type type = Type::Diapositive;
    QString diapositive;  // the first slide, as the loader takes it (Titre, Diapositive)
    int fin = 0;          // last tick (Diapositive); -1 when the run ends after its last sound
    bool finApresSon = false;
    std::vector<SonScript> sons;  // in time order
    std::vector<EtapeScript> etapes;  // in time order; the first is the slide at tick 1
    std::optional<AnimationScript> animation;
    QString texte;  // Cloture
    // Whether the next-page button waits for the page's run to end (Diapositive); none: as the séance says.
    std::optional<bool> attendre;
    int ligne = 0;
};

struct ScriptSeance {
    // How the slides are drawn: at their natural size (séance 1's metafiles were drawn for their
    // screen), or at the largest size that fits the screen beside the corner controls.
    enum class Diapositives { Naturelle, Ecran };
    Diapositives diapositives = Diapositives::Naturelle;
    // Every slide page holds the next-page button until its run has ended, unless it says otherwise.
    bool attendre = false;
    bool Attend(const PageScript& page) const {
        return page.type == PageScript::Type::Diapositive && page.attendre.value_or(attendre);
    }
    // Some page holds it: the others must then let it go.
    bool AttendQuelquePart() const;
    // Some page plays a sound.
    bool AvecSons() const;
    std::vector<PageScript> pages;
    // [evaluation] penalite: the share of a question's worth a wrong answer costs while the score is
    // above 0; séance 1's half unless the script says otherwise.
    double penalite = 0.5;
    // The evaluation's page number; the closing page follows it.
    int PageEvaluation() const { return static_cast<int>(pages.size()) - 2; }
    // Every file of the folder the script names, slides first, each once, in order of appearance,
    // with the line that names it first.
    struct Fichier {
        QString nom;  // as the loader takes it ("Cours.pdf#3")
        bool diapositive = false;
        int ligne = 0;
    };
    std::vector<Fichier> Fichiers() const;
    // The sounds the pages play, each once, in order of appearance.
    std::vector<Fichier> Sons() const;
};

struct LectureScript {
    std::optional<ScriptSeance> script;  // only when it has no mistake
    QString fichier;
    Erreurs erreurs;  // every mistake found, in the order of the lines
    bool Reussie() const { return script.has_value(); }
    // One line per mistake: « Seance2/seance.toml, ligne 12, colonne 3 : la clé « fichir » est inconnue ; écrivez « fichier ». »
    QString Texte() const { return erreurs.Texte(); }
};

// The script's file name in a séance's folder.
inline const QString kNomScript = QStringLiteral("seance.toml");
// The closing text of séance 1, every séance's unless its script gives its own.
extern const QString kTexteClotureSeance1;

// fichier only names the source in messages; nothing is read from the disk.
LectureScript LireScriptDonnees(const QByteArray& octets, const QString& fichier);

// The script of the séance whose folder is dossierSeance (…/SeanceN), read, and every file it names
// looked for in that folder: a missing one is a mistake at the line that first names it. Nothing
// when the folder holds no script.
std::optional<LectureScript> LireScript(const QString& dossierSeance);

// A loader name's form for a script's slide: "Cours.pdf#3" for "Cours.pdf, page 3".
QString NomPagePdf(const QString& pdf, int page);

}  // namespace content
