// What screen readers say: a French name for every control, and what a seeing learner notices
// without moving the focus (the page and its slide, a photograph, an animation, the question, the
// verdict and the score) told to them as it happens, in words, without punctuation read aloud.

#include "content/banque.h"
#include "content/bareme.h"
#include "course_window/cour1p.h"
#include "course_window/texte_parle.h"
#include "platform/announcer.h"
#include "platform/platform.h"

namespace {

// The resources that make up the animations: page 13's circuit, then page 14's strips.
constexpr int kPremiereImageCircuit = 111;
constexpr int kPremiereImageBande = 116;

// A sentence that ends as one, so that pieces put together read as sentences.
QString Phrase(const QString& texte) {
    const QString t = texte.trimmed();
    return t.isEmpty() || t.endsWith(u'.') || t.endsWith(u'?') || t.endsWith(u'!') ? t : t + u'.';
}

const QString kConsigneReponse = QStringLiteral("Touches 1 à 4 pour choisir, Entrée pour valider");

}  // namespace

void Cour1p::PreparerLecteurEcran() {
    Form.SetAccessibleName(QStringLiteral("Séance 1"));
    Picture1.SetAccessibleName(QStringLiteral("Diapositive 0"));
    for (int i = 0; i < Option1.Count(); ++i) Option1(i).SetAccessibleDescription(kConsigneReponse);
    B_Valider.SetAccessibleName(QStringLiteral("Valider"));
    B_Valider.SetAccessibleDescription(QStringLiteral("Valide la réponse choisie"));
    B_Fermer.SetAccessibleName(QStringLiteral("Fermer"));
    B_Fermer.SetAccessibleDescription(QStringLiteral("Termine la leçon"));
    for (platform::PictureBox* photo : {&Picture2, &Picture3, &Picture4}) {
        photo->SetAccessibleName(QStringLiteral("Photographie"));
        photo->OnShow = [this, photo] { AnnoncerImage(*photo); };
    }
    Picture5.SetAccessibleName(QStringLiteral("Logo"));
    Image1.SetAccessibleName(QStringLiteral("À propos"));
    Image1.SetAccessibleDescription(QStringLiteral("Ouvre la fenêtre À propos"));
    Picture6.SetAccessibleName(QStringLiteral("Navigation"));
    B_Pag_P.SetAccessibleName(QStringLiteral("Page précédente"));
    B_Pag_S.SetAccessibleName(QStringLiteral("Page suivante"));

    Picture1.OnChange = [this] { AnnoncerDiapositive(); };
    Label1.OnChange = [this] { Label1_Change(); };
    Label2.OnChange = [this] { Label2_Change(); };
    Label3.OnChange = [this] { Label3_Change(); };
    Label6.OnChange = [this] { Label6_Change(); };
    Label9.OnChange = [this] { Label9_Change(); };
}

void Cour1p::Annoncer(const QString& texte) {
    if (!texte.isEmpty()) Form.Announce(TexteParle(texte));
}

void Cour1p::Label1_Change() {
    Label1.SetAccessibleName(QStringLiteral("Page ") + Label1.Caption());
    const int page = Label1.Caption().toInt();
    if (page < PageEvaluation()) {
        Picture1.SetAccessibleName(QStringLiteral("Diapositive ") + Label1.Caption());
    } else if (page == PageEvaluation()) {
        Picture1.SetAccessibleName(QStringLiteral("Évaluation"));
        const int n = banque_->Nombre();
        annonceDePage_ = n == 1 ? QStringLiteral("Page 19 sur 20. Évaluation d'une question.")
                                : QStringLiteral("Page 19 sur 20. Évaluation de %1 questions.").arg(n);
        Annoncer(annonceDePage_);
    } else {
        Picture1.SetAccessibleName(QStringLiteral("Fin de la séance"));
    }
}

// The slide comes in after the page number: both are said together, once the slide is there.
void Cour1p::AnnoncerDiapositive() {
    if (Picture1.GetPicture().IsNull() || NumPage > 18) return;
    annonceDePage_ = QStringLiteral("Page %1 sur 20. ").arg(NumPage) + Picture1.GetPicture().Text();
    if (pageSuivanteTenue_) annonceDePage_ += QStringLiteral("\nLa page suivante attend la fin de celle-ci.");
    Annoncer(annonceDePage_);
}

void Cour1p::AnnoncerImage(const platform::PictureBox& box) {
    const int image = box.Resource();
    if (image == 0) {
        const QString description = box.GetPicture().Text().trimmed();
        Annoncer(description.isEmpty() ? QStringLiteral("Photographie.") : QStringLiteral("Photographie. ") + description);
    } else if (image >= kPremiereImageCircuit && image < kPremiereImageBande) {
        Annoncer(QStringLiteral("Animation. Les charges négatives quittent la borne négative de la pile, traversent "
                                "la lampe allumée et rejoignent la borne positive."));
    } else if (&box == &Picture2) {
        Annoncer(QStringLiteral("Animation. Courant continu, les électrons avancent toujours dans le même sens."));
    } else {
        Annoncer(QStringLiteral("Courant alternatif, les électrons avancent dans un sens, puis reviennent dans l'autre."));
    }
}

void Cour1p::AnnoncerQuestion() {
    const std::vector<platform::OptionButton*> reponses = ReponsesAffichees();
    const int n = static_cast<int>(reponses.size());
    QString texte = QStringLiteral("Question %1 sur %2. ").arg(NumQuestion).arg(banque_->Nombre()) +
                    Phrase(Question);
    for (int place = 1; place <= n; ++place) {
        platform::OptionButton& reponse = *reponses[static_cast<size_t>(place - 1)];
        // The place is part of the name, so that moving between the answers says it too.
        QString texteReponse = reponse.Caption().trimmed();
        while (texteReponse.endsWith(u'.')) texteReponse.chop(1);
        const QString nom = texteReponse + QStringLiteral(", %1 sur %2").arg(place).arg(n);
        reponse.SetAccessibleName(TexteParle(nom));
        texte += u' ' + Phrase(nom);
    }
    annonceDePage_ = texte;
    Annoncer(texte);
}

void Cour1p::AnnoncerReponse(bool juste) {
    Annoncer((juste ? QStringLiteral("Bonne réponse. ") : QStringLiteral("Mauvaise réponse. ")) + Label9.Caption());
}

void Cour1p::Label2_Change() {
    if (NumPage != 20) return;
    annonceDePage_ = QStringLiteral("Page 20 sur 20. Fin de la séance. ") + Label2.Caption() +
                     QStringLiteral("\nPerformance finale : ") + content::TexteSur20(Note) + QStringLiteral("/20");
    Annoncer(annonceDePage_);
}

void Cour1p::RepeterAnnonce() { Annoncer(annonceDePage_); }

void Cour1p::Label3_Change() { Label3.SetAccessibleName(TexteParle(Label3.Caption())); }

void Cour1p::Label6_Change() {
    // During the evaluation the label holds the question number; on the closing page, a web address.
    bool nombre = false;
    Label6.Caption().toInt(&nombre);
    Label6.SetAccessibleName(nombre ? QStringLiteral("Question ") + Label6.Caption() : TexteParle(Label6.Caption()));
}

void Cour1p::Label9_Change() { Label9.SetAccessibleName(TexteParle(Label9.Caption())); }
