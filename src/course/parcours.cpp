#include "course/parcours.h"

#include "class_reports/progression.h"
#include "content/seance.h"
#include "course/progression_apprenant.h"
#include "course/seance_jouee.h"
#include "platform/platform.h"

using platform::P;

namespace cours {

Parcours::Parcours(QString dossier, resultats::Reglages reglages)
    : dossier_(std::move(dossier)), reglages_(std::move(reglages)), menu_(std::make_unique<MenuCours>()) {
    menu_->OnChoix = [this](int numero) { choix_ = numero; };
    menu_->OnFermer = [this] {
        menu_->Form.Hide();
        P().EndProgram(0);
    };
}

Parcours::~Parcours() = default;

std::vector<EntreeMenu> Parcours::Entrees() {
    seances_ = SeancesDuCours(dossier_);
    regles_ = content::LireReglesCours(dossier_);
    std::vector<int> numeros;
    for (const SeanceDuCours& s : seances_) numeros.push_back(s.numero);
    const ProgressionLue lue = LireProgression(reglages_, numeros, regles_.seuil);
    std::vector<EntreeMenu> entrees;
    for (size_t i = 0; i < seances_.size(); ++i) {
        EntreeMenu e;
        e.seance = seances_[i];
        e.etat = lue.etats[i];
        e.ouverte = resultats::Ouverte(regles_, e.seance.numero, lue.etats);
        if (const std::optional<int> avant = regles_.Prealable(e.seance.numero))
            e.condition = QStringLiteral("plus de %1/20 à la séance %2").arg(Nombre(regles_.seuil)).arg(*avant);
        entrees.push_back(e);
    }
    return entrees;
}

int Parcours::Choisir() {
    choix_.reset();
    const std::vector<EntreeMenu> entrees = Entrees();
    menu_->Montrer(entrees, regles_.titre);
    while (!choix_) P().Yield();
    menu_->Form.Hide();
    return *choix_;
}

std::optional<int> Parcours::Suivante(int numero, std::optional<double> note) {
    const std::vector<EntreeMenu> entrees = Entrees();
    for (size_t i = 0; i + 1 < entrees.size(); ++i) {
        if (entrees[i].seance.numero != numero) continue;
        const EntreeMenu& apres = entrees[i + 1];
        // The score just made may open it before the results are read again.
        const bool ouverte = apres.ouverte || (note && regles_.Prealable(apres.seance.numero) == numero &&
                                               resultats::Reussie(*note, regles_.seuil));
        if (ouverte && apres.seance.Disponible()) return apres.seance.numero;
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<int> Parcours::Jouer(int numero) {
    content::Seance seance = content::ChargerSeance(dossier_, numero);
    if (seance.Empechement()) return std::nullopt;  // changed since the menu read it: the menu says why now
    content::LireTitre(seance);
    std::optional<bool> sortie;
    std::optional<int> ensuite;
    SeanceJouee jouee(seance, reglages_, regles_);
    Cour1p& cour = jouee.Cour();
    cour.DansUnCours({[&](double note) {
                          ensuite = Suivante(numero, note);
                          return ensuite.has_value();
                      },
                      [&](bool suivante) { sortie = suivante; }});
    cour_ = &cour;
    struct Fin {
        Cour1p*& cour;
        ~Fin() { cour = nullptr; }
    } fin{cour_};
    jouee.Demarrer();
    while (!sortie) P().Yield();
    return *sortie ? ensuite : std::nullopt;
}

void Parcours::Executer() {
    std::optional<int> suivante;
    for (;;) {
        const int numero = suivante ? *suivante : Choisir();
        suivante = Jouer(numero);
    }
}

}  // namespace cours
