// What screen readers say: a French name for every control, and the changes a seeing learner
// notices (the page, the question, the score) announced as name changes.

#include "course_window/cour1p.h"

void Cour1p::PreparerLecteurEcran() {
    Form.SetAccessibleName(QStringLiteral("Séance 1"));
    Picture1.SetAccessibleName(QStringLiteral("Diapositive 0"));
    for (int i = 0; i < Option1.Count(); ++i) {
        Option1(i).SetAccessibleDescription(QStringLiteral("Réponse ; touches 1 à 4 pour choisir, Entrée pour valider"));
    }
    B_Valider.SetAccessibleName(QStringLiteral("Valider"));
    B_Valider.SetAccessibleDescription(QStringLiteral("Valide la réponse choisie"));
    B_Fermer.SetAccessibleName(QStringLiteral("Fermer"));
    B_Fermer.SetAccessibleDescription(QStringLiteral("Termine la leçon"));
    for (platform::PictureBox* photo : {&Picture2, &Picture3, &Picture4}) {
        photo->SetAccessibleName(QStringLiteral("Photographie"));
    }
    Picture5.SetAccessibleName(QStringLiteral("Logo"));
    Image1.SetAccessibleName(QStringLiteral("À propos"));
    Image1.SetAccessibleDescription(QStringLiteral("Ouvre la fenêtre À propos"));
    Picture6.SetAccessibleName(QStringLiteral("Navigation"));
    B_Pag_P.SetAccessibleName(QStringLiteral("Page précédente"));
    B_Pag_S.SetAccessibleName(QStringLiteral("Page suivante"));

    Label1.OnChange = [this] { Label1_Change(); };
    Label3.OnChange = [this] { Label3_Change(); };
    Label6.OnChange = [this] { Label6_Change(); };
    Label9.OnChange = [this] { Label9_Change(); };
}

void Cour1p::Label1_Change() {
    Label1.SetAccessibleName(QStringLiteral("Page ") + Label1.Caption());
    const int page = Label1.Caption().toInt();
    if (page < PageEvaluation()) {
        Picture1.SetAccessibleName(QStringLiteral("Diapositive ") + Label1.Caption());
    } else if (page == PageEvaluation()) {
        Picture1.SetAccessibleName(QStringLiteral("Évaluation"));
    } else {
        Picture1.SetAccessibleName(QStringLiteral("Fin de la séance"));
    }
}

void Cour1p::Label3_Change() { Label3.SetAccessibleName(Label3.Caption()); }

void Cour1p::Label6_Change() {
    // During the evaluation the label holds the question number; on the closing page, a web address.
    bool nombre = false;
    Label6.Caption().toInt(&nombre);
    Label6.SetAccessibleName(nombre ? QStringLiteral("Question ") + Label6.Caption() : Label6.Caption());
}

void Cour1p::Label9_Change() { Label9.SetAccessibleName(Label9.Caption()); }
