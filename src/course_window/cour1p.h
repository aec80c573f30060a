#pragma once
// The course window: the one window the learner works in, its controls and the state that every
// page shares. The page routine AfficherPage, which plays each page of the séance's script, lives
// in page_script/, the quiz in evaluation/, the electron strips in animation/.

#include "platform/controls.h"
#include "platform/timer.h"

class ObservateurLecon;
namespace content {
class BanqueQuestions;
struct Seance;
struct ScriptSeance;
struct PageScript;
struct AnimationScript;
struct EtapeScript;
struct SonScript;
struct Place;
}

#include <QRectF>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// The lesson's logo, top left, the hand over it: on the lesson's window and the course's menu alike.
void PreparerLogo(platform::Image& logo);

class Cour1p {
public:
    // observateur, when given, is told of each validated answer and of the end; seance, when given,
    // is the séance shown, with its script and its questions (séance 1 as the program holds it
    // otherwise). Both must outlive the window.
    explicit Cour1p(ObservateurLecon* observateur = nullptr, const content::Seance* seance = nullptr);
    ~Cour1p();

    // The window and its controls, in construction order (which is also their stacking order, back
    // to front, within each container).
    platform::Form Form;
    platform::PictureBox Picture1;
    platform::Label Label2;
    platform::Label Label3;
    platform::Label Label4;
    platform::Label Label6;
    platform::OptionButtonArray Option1;
    platform::CommandButton B_Valider;
    platform::CommandButton B_Fermer;
    platform::PictureBox Picture2;
    platform::PictureBox Picture3;
    platform::PictureBox Picture4;
    // The caption band under the slide: the words of the narration playing.
    platform::Label Legende;
    platform::PictureBox Picture5;
    platform::Image Image1;
    platform::Label Label9;
    platform::PictureBox Picture6;
    platform::CommandButton B_Pag_P;
    platform::Label Label1;
    platform::CommandButton B_Pag_S;
    platform::Timer Timer1;

    // Shared state of the course.
    int16_t NumPage = 0;
    QString NumPageTexte;
    QString Repertoire;
    QString NomDiapo;
    float EchelleX = 15;
    float EchelleY = 15;
    int16_t Compteur = 0;
    int16_t NumQuestion = 0;
    double Note = 0;
    QString Question;
    QString Reponse1, Reponse2, Reponse3, Reponse4;
    int16_t ReponseJuste = 0;

    // Events.
    void Form_Load();
    void Form_Activate();
    void B_Pag_P_Click();
    void B_Pag_S_Click();
    void B_Fermer_Click();
    void Timer1_Timer();
    void Option1_Click(int16_t Index);
    void B_Valider_Click();
    void Image1_Click();
    // Keys of the whole window, looked at before any control: the page buttons, the answers and
    // Valider from the keyboard, through the same handlers as clicks.
    bool Form_KeyPreview(int key);
    void Label1_Change();
    void Label2_Change();
    void Label3_Change();
    void Label6_Change();
    void Label9_Change();

    // Public operations.
    void MisEnPage();
    // Lays out and shows the current question with its answers in a random order; does not wait.
    void Evaluation1();
    void FaireUnePause(int32_t& secondes);
    // Wait of d milliseconds on the millisecond counter, ended early by Interrompre.
    void PauseCourte(int32_t d);
    // The direct and alternating current strips of page (séance 1's page 14); runs as long as
    // that page is shown.
    void AnimCourantAlternatif(int16_t page);

    // The questions the evaluation asks.
    const content::BanqueQuestions& BanqueEnCours() const { return *banque_; }
    // The séance shown, and its evaluation's page (the closing page follows it).
    int Seance() const { return seance_; }
    int16_t PageEvaluation() const;
    // The script the pages follow.
    const content::ScriptSeance& Script() const { return *script_; }

    // When the séance is one of a course of several: Fermer before the closing page goes back to the
    // course's menu, and the closing page offers the menu, and the next séance once it is open.
    struct SuiteCours {
        // Asked on the closing page with the score just made: may the learner go on to the next séance?
        std::function<bool(double note)> suivanteOuverte;
        // The séance is left, to the next one (true) or to the menu. The window is hidden and the
        // observer told already; every page run on the stack ends at its next test.
        std::function<void(bool suivante)> quitter;
    };
    void DansUnCours(SuiteCours suite);
    bool DansUnCours() const { return cours_ != nullptr; }
    // The closing page's buttons of a course, made by DansUnCours (null otherwise).
    std::unique_ptr<platform::CommandButton> B_Menu;
    std::unique_ptr<platform::CommandButton> B_Suivante;
    // The séance was left (to the menu or the next séance).
    bool Quittee() const { return quittee_; }

    // The whole screen, in twips.
    double LargeurEcran() const;
    double HauteurEcran() const;
    // Where a slide of natural size naturelle (twips) goes at the screen's size: the largest it can
    // be, its shape kept, below the corner controls or between them, centred there.
    QRectF ZoneDiapo(QSizeF naturelle) const;

    // Page runs nested deeper than this are not started: see ChangerPage.
    static constexpr int kProfondeurMax = 64;
    // AfficherPage runs on the stack now.
    int Profondeur() const { return profondeur_; }

private:
    void AfficherPage();
    // AfficherPage's own work: the entry work, then the current page of the script.
    void ExecuterPage();
    // Moves to a page from a page button: nested as always, or, in a click storm, left to the top.
    void ChangerPage(int16_t page);
    // True while page is the current page and no click storm is waiting to unwind the stack: what
    // a loop that runs until its page is left tests.
    bool PageCourante(int16_t page) const;
    // Every page loop starts so: Compteur back to 0, Interrompre cleared.
    void DebutBoucle();
    // Yields to the message queue; every wait of the course yields through here.
    void Ceder(std::optional<int32_t> wakeAt = std::nullopt);
    // The slide NomDiapo names: centred at its natural size, or at the screen's size (ZoneDiapo).
    void EtapeDiapo();
    // The séance's slides are drawn at the screen's size.
    bool DiapositivesEcran() const;
    // The slide the learner will see next (this page's next step, or the next page's first), drawn
    // ahead at the size it will have, while this one is read: its showing then costs no drawing.
    void PreparerDiapoSuivante();
    void Centrer(platform::Control& box);
    // Loads one of the program's own bitmaps into a box.
    void EtapeImage(platform::PictureBox& box, int id);
    // The strips' boxes and captions, before AnimCourantAlternatif runs.
    void MiseEnPlaceBandes();
    // The kinds of page: the title (no loop), a slide's page (its loop of ticks, its steps and its
    // animation), the evaluation (once per question), the closing page (no slide, no loop).
    void PageTitre();
    void PageScriptee(int16_t& NbCycles);
    void PageQuestion();
    void PageCloture(const QString& texte);
    // The first slide of the current page in the script, as NomDiapo holds it; empty for a page without one.
    QString NomDiapoScript() const;
    void EtapeScriptee(const content::EtapeScript& etape);
    // The next-page button held until the page's run ends (a script's « attendre »), or let go;
    // FinDeCourse lets it go when page, still the current one, has come to its end, and says so.
    void TenirPageSuivante(bool tenir);
    void FinDeCourse(int16_t page);
    // A page's narration: played, its caption shown under the slide and told to screen readers, until
    // it ends or the page is left (ArreterNarration, which stops it at once).
    void JouerNarration(const content::SonScript& son);
    void ArreterNarration();
    bool NarrationEnCours() const;
    void PlacerLegende();
    double HauteurLegende() const;
    void PlacerSelon(platform::PictureBox& box, const content::Place& place);
    platform::PictureBox& Cadre(int cadre);
    // A script's frame animation (its own images, or the program's five frames of the circuit),
    // until the page is left.
    void AnimationScriptee(int16_t page, const content::AnimationScript& animation, int16_t& NbCycles);
    // In a course: the closing page's buttons, and leaving.
    void MontrerSuiteCours();
    void QuitterSeance(bool suivante);
    void PreparerClavier();
    void PreparerLecteurEcran();
    // What screen readers are told as it happens (lecteur_ecran.cpp): the page with its slide, a
    // photograph or an animation as it shows, the question with its answers, the verdict and score.
    void Annoncer(const QString& texte);
    void AnnoncerDiapositive();
    void AnnoncerImage(const platform::PictureBox& box);
    void AnnoncerQuestion();
    void AnnoncerReponse(bool juste);
    // Tells again what the page says: its slide, the question and its answers, or the closing text.
    void RepeterAnnonce();
    // The answers a learner can choose now, top to bottom as on the screen.
    std::vector<platform::OptionButton*> ReponsesAffichees();

    ObservateurLecon* const observateur_;
    const content::BanqueQuestions* const banque_;
    const content::ScriptSeance* const script_;  // never null
    const int seance_;
    const QString titre_;  // as the séance was read, for the About window
    int pageCourants_ = -1;  // the script's page of the electron strips, if any
    bool premierFocusFait_ = false;
    int profondeur_ = 0;  // AfficherPage runs on the stack
    // Pages asked for in a click storm, oldest first, to be shown once the stack has unwound.
    std::vector<int16_t> pagesEnAttente_;
    // While the pages of a storm are replayed: every page loop ends before its first yield.
    bool rattrapage_ = false;
    bool pageSuivanteTenue_ = false;  // B_Pag_S waits for the page's run to end
    // The narration playing: since when (TickCount) and for how long.
    bool narration_ = false;
    int32_t narrationDebut_ = 0;
    qint64 narrationMs_ = 0;
    uint64_t cessions_ = 0;                // yields so far
    uint64_t attenteSecheA_ = UINT64_MAX;  // yields counted when a wait last ended without one
    // From the click on B_Valider until the next question is shown.
    bool validationEnCours_ = false;
    int16_t choixValide_ = 0;  // the answer chosen last before that click
    QString annonceDePage_;    // what the current page told screen readers, for RepeterAnnonce
    std::unique_ptr<SuiteCours> cours_;
    bool quittee_ = false;
};
