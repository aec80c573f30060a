// The class report as a PDF: A4 landscape, drawn in points. Charts are Qt Charts drawn as vectors
// through a graphics scene straight onto the PDF; the slides are drawn by the EMF renderer, as the
// lesson shows them.

#include "class_reports/rapport.h"

#include "class_reports/rapport_pages.h"
#include "class_reports/rapport_texte.h"
#include "content/course_identity.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QGuiApplication>
#include <QScreen>
#include <QHorizontalStackedBarSeries>
#include <QLegend>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QStackedBarSeries>
#include <QValueAxis>

namespace resultats {

namespace {

constexpr double kLargeur = 842, kHauteur = 595, kMarge = 32;  // A4 landscape, in points
constexpr int kParFeuille = 3;                                    // questions per sheet

const QColor kEncre(30, 30, 30), kGris(110, 110, 110), kJuste(46, 139, 87), kAutre(170, 178, 189),
    kAlerte(200, 60, 40), kAttention(230, 150, 30), kBleu(60, 110, 170);

QFont Police(double points, bool gras = false) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSizeF(points);
    f.setBold(gras);
    // Advances as designed: hinting would round them to whole points at these small sizes.
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

// Draws text wrapped into the rectangle; returns the height it took.
double Texte(QPainter& p, const QRectF& r, const QString& texte, const QFont& police, const QColor& couleur = kEncre,
             int drapeaux = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap) {
    p.setFont(police);
    p.setPen(couleur);
    QRectF pris;
    p.drawText(r, drapeaux, texte, &pris);
    return pris.height();
}

// Draws a chart as vectors into the target rectangle, fonts at their point sizes.
void Dessiner(QPainter& p, QChart* chart, const QRectF& cible) {
    QGraphicsScene scene;
    scene.addItem(chart);  // the scene owns the chart from here on
    // The scene lays its fonts out in screen pixels: as many of them make an inch as 72 points do.
    QScreen* ecran = QGuiApplication::primaryScreen();
    const double k = (ecran ? ecran->logicalDotsPerInchY() : 96.0) / 72.0;
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setDropShadowEnabled(false);
    chart->setBackgroundRoundness(0);
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->resize(cible.width() * k, cible.height() * k);
    // A point of room around the chart, so that its frame is not cut by the edge.
    scene.setSceneRect(QRectF(QPointF(0, 0), chart->size()).adjusted(-1, -1, 1, 1));
    QCoreApplication::sendPostedEvents();
    chart->layout()->activate();
    QCoreApplication::sendPostedEvents();
    scene.render(&p, cible, scene.sceneRect());
}

QChart* Graphique(const QString& titre) {
    auto* chart = new QChart;
    chart->setTitle(titre);
    chart->setTitleFont(Police(9, true));
    chart->legend()->setVisible(false);
    chart->setBackgroundBrush(Qt::white);
    chart->setBackgroundPen(QPen(QColor(220, 220, 220)));
    return chart;
}

// A percentage, or a dash where the class gives too little to tell.
QString Pour100(double v, int decimales = 0) {
    return std::isfinite(v) ? Decimal(v, decimales) + QStringLiteral(" %") : QStringLiteral("—");
}

QString Valeur(double v, int decimales) { return std::isfinite(v) ? Decimal(v, decimales) : QStringLiteral("—"); }

QFont PoliceAxe(double points = 7) { return Police(points); }

QValueAxis* AxeValeurs(double max, const QString& titre) {
    auto* axe = new QValueAxis;
    axe->setRange(0, max);
    axe->setLabelFormat(QStringLiteral("%d"));
    axe->setLabelsFont(PoliceAxe());
    axe->setTitleText(titre);
    axe->setTitleFont(PoliceAxe(7.5));
    axe->setTickCount(6);
    return axe;
}

// A nice upper bound for counts: the next multiple of 5 (the axis shows 5 steps).
double Plafond(int max) { return std::max(5, (max + 4) / 5 * 5); }

QBarSet* Serie(const QString& nom, const QColor& couleur) {
    auto* s = new QBarSet(nom);
    s->setColor(couleur);
    s->setBorderColor(couleur);
    return s;
}

QChart* Repartition(const QString& titre, const QStringList& categories, const QList<qreal>& valeurs,
                    const QString& titreX) {
    QChart* chart = Graphique(titre);
    auto* serie = new QStackedBarSeries;
    QBarSet* set = Serie(QStringLiteral("passages"), kBleu);
    set->append(valeurs);
    serie->append(set);
    serie->setBarWidth(0.8);
    chart->addSeries(serie);
    auto* x = new QBarCategoryAxis;
    x->append(categories);
    x->setLabelsFont(PoliceAxe(6.5));
    x->setTitleText(titreX);
    x->setTitleFont(PoliceAxe(7.5));
    int max = 0;
    for (qreal v : valeurs) max = std::max(max, static_cast<int>(v));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(AxeValeurs(Plafond(max), QStringLiteral("passages")), Qt::AlignLeft);
    serie->attachAxis(x);
    serie->attachAxis(chart->axes(Qt::Vertical).first());
    return chart;
}

QColor Couleur(const StatsQuestion& q) {
    if (q.manquee || q.aRebours) return kAlerte;
    if (q.Signalee()) return kAttention;
    return kBleu;
}

QChart* Facilites(const GroupeBanque& g) {
    QChart* chart = Graphique(QStringLiteral("Facilité de chaque question (% de bonnes réponses)"));
    chart->legend()->setVisible(true);
    chart->legend()->setFont(PoliceAxe(7));
    chart->legend()->setAlignment(Qt::AlignBottom);
    auto* serie = new QStackedBarSeries;
    // One set per colour: a bar belongs to one of them, zero in the others.
    QBarSet* bien = Serie(QStringLiteral("sans signalement"), kBleu);
    QBarSet* voir = Serie(QStringLiteral("à regarder"), kAttention);
    QBarSet* manquee = Serie(QStringLiteral("manquée par la plupart ou à rebours"), kAlerte);
    QStringList numeros;
    for (const StatsQuestion& q : g.questions) {
        const double f = std::isfinite(q.facilite) ? q.facilite : 0;
        const QColor c = Couleur(q);
        bien->append(c == kBleu ? f : 0);
        voir->append(c == kAttention ? f : 0);
        manquee->append(c == kAlerte ? f : 0);
        numeros << QString::number(q.numero);
    }
    serie->append({bien, voir, manquee});
    serie->setBarWidth(0.7);
    chart->addSeries(serie);
    auto* x = new QBarCategoryAxis;
    x->append(numeros);
    x->setLabelsFont(PoliceAxe(7));
    x->setTitleText(QStringLiteral("question"));
    x->setTitleFont(PoliceAxe(7.5));
    QValueAxis* y = AxeValeurs(100, QStringLiteral("%"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    serie->attachAxis(x);
    serie->attachAxis(y);
    return chart;
}

// The four answers of a question as horizontal bars, A (the right one) on top.
QChart* Choix(const StatsQuestion& q) {
    QChart* chart = Graphique(QString());
    auto* serie = new QHorizontalStackedBarSeries;
    QBarSet* juste = Serie(QStringLiteral("bonne réponse"), kJuste);
    QBarSet* autre = Serie(QStringLiteral("autre"), kAutre);
    QBarSet* prefere = Serie(QStringLiteral("préférée à la bonne"), kAlerte);
    // The axis lists categories bottom up.
    for (int k = 3; k >= 0; --k) {
        const int n = q.choix[static_cast<size_t>(k)];
        juste->append(k == 0 ? n : 0);
        autre->append(k > 0 && n <= q.choix[0] ? n : 0);
        prefere->append(k > 0 && n > q.choix[0] ? n : 0);
    }
    serie->append({juste, autre, prefere});
    serie->setBarWidth(0.65);
    chart->addSeries(serie);
    auto* y = new QBarCategoryAxis;
    y->append({QStringLiteral("D"), QStringLiteral("C"), QStringLiteral("B"), QStringLiteral("A")});
    y->setLabelsFont(PoliceAxe(8));
    int max = 0;
    for (int n : q.choix) max = std::max(max, n);
    QValueAxis* x = AxeValeurs(Plafond(max), QStringLiteral("apprenants"));
    chart->addAxis(y, Qt::AlignLeft);
    chart->addAxis(x, Qt::AlignBottom);
    serie->attachAxis(y);
    serie->attachAxis(x);
    return chart;
}

class Feuilles {
public:
    Feuilles(QPdfWriter& pdf, QString pied) : pdf_(pdf), p_(&pdf), pied_(std::move(pied)) {
        p_.setRenderHint(QPainter::Antialiasing);
    }
    QPainter& P() { return p_; }
    bool Ok() const { return p_.isActive(); }
    void Suivante() {
        pdf_.newPage();
        ++numero_;
    }
    // The sheet's title and its number at the foot.
    double Entete(const QString& titre, const QString& sousTitre = QString()) {
        double y = kMarge;
        y += Texte(p_, QRectF(kMarge, y, kLargeur - 2 * kMarge, 30), titre, Police(15, true));
        if (!sousTitre.isEmpty())
            y += 2 + Texte(p_, QRectF(kMarge, y + 2, kLargeur - 2 * kMarge, 40), sousTitre, Police(8.5), kGris);
        Texte(p_, QRectF(kMarge, kHauteur - kMarge + 8, kLargeur - 2 * kMarge, 12),
              QStringLiteral("%1 · feuille %2").arg(pied_).arg(numero_), Police(7), kGris,
              Qt::AlignRight | Qt::AlignTop);
        return y + 10;
    }
    void Fin() { p_.end(); }

private:
    QPdfWriter& pdf_;
    QPainter p_;
    QString pied_;  // the séance's name and the report's, at each sheet's foot
    int numero_ = 1;
};

// The test's figures as a two-column table; returns the bottom.
double Chiffres(QPainter& p, double x, double y, double largeur, const RapportClasse* r, const GroupeBanque& g) {
    const StatsTest& t = g.test;
    QList<QStringList> lignes{
        {QStringLiteral("Passages comptés"), QString::number(t.seances), QString()},
        {QStringLiteral("Apprenants"), QString::number(t.apprenants), QString()},
        {QString(), QStringLiteral("bonnes réponses"), QStringLiteral("note affichée")},
        // Both out of 20 for twenty questions; otherwise the right answers are out of their own count.
        {static_cast<int>(g.questions.size()) == kNoteSur ? QStringLiteral("Moyenne (sur 20)")
                                        : QStringLiteral("Moyenne (sur %1 et sur 20)").arg(g.questions.size()),
         Valeur(t.moyenne, 2), Valeur(t.moyenneNote, 2)},
        {QStringLiteral("Médiane"), Valeur(t.mediane, 1), Valeur(t.medianeNote, 1)},
        {QStringLiteral("Écart type"), Valeur(t.ecartType, 2), Valeur(t.ecartTypeNote, 2)},
        {QStringLiteral("Cohérence interne (alpha)"), Pour100(t.coherence, 1), QString()},
        {QStringLiteral("Rapport d'erreur"), Pour100(t.rapportErreur, 1), QString()},
        {QStringLiteral("Erreur type (bonnes réponses)"), Valeur(t.erreurType, 2), QString()},
    };
    if (r) {
        lignes << QStringList{QStringLiteral("Non terminées (non comptées)"),
                              QString::number(r->seancesNonTerminees), QString()};
        int autres = 0;
        for (const GroupeBanque& a : r->autres) autres += a.test.seances;
        lignes << QStringList{QStringLiteral("D'une autre banque (à part)"), QString::number(autres), QString()};
    }
    const double h = 15, c1 = largeur * 0.5, c2 = largeur * 0.25;
    for (int i = 0; i < lignes.size(); ++i) {
        const QStringList& l = lignes[i];
        if (i % 2 == 0) p.fillRect(QRectF(x, y, largeur, h), QColor(244, 246, 249));
        const bool entete = l[0].isEmpty();
        Texte(p, QRectF(x + 4, y, c1 - 4, h), l[0], Police(8.5), kEncre, Qt::AlignLeft | Qt::AlignVCenter);
        const QFont police = entete ? Police(7.5) : Police(8.5, true);
        Texte(p, QRectF(x + c1, y, c2 - 4, h), l[1], police, entete ? kGris : kEncre, Qt::AlignRight | Qt::AlignVCenter);
        Texte(p, QRectF(x + c1 + c2, y, c2 - 4, h), l[2], police, entete ? kGris : kEncre,
              Qt::AlignRight | Qt::AlignVCenter);
        y += h;
    }
    return y;
}

// One line per question: its figures, the counts of its answers, why to look at it, where it is taught.
void Tableau(QPainter& p, double y, const GroupeBanque& g, const PagesQuestions* pages) {
    struct Colonne {
        QString titre;
        double largeur;
    };
    const QList<Colonne> colonnes{{QStringLiteral("N°"), 22},          {QStringLiteral("Question"), 250},
                                  {QStringLiteral("Facilité"), 42},    {QStringLiteral("Écart type"), 46},
                                  {QStringLiteral("Discrim."), 42},    {QStringLiteral("Efficacité"), 46},
                                  {QStringLiteral("A ✓"), 26},         {QStringLiteral("B"), 26},
                                  {QStringLiteral("C"), 26},           {QStringLiteral("D"), 26},
                                  {QStringLiteral("À regarder"), 150}, {QStringLiteral("Pages"), 76}};
    const double h = 11.5;
    double x = kMarge;
    p.fillRect(QRectF(kMarge, y, kLargeur - 2 * kMarge, h + 2), QColor(225, 230, 238));
    for (const Colonne& c : colonnes) {
        Texte(p, QRectF(x + 2, y, c.largeur - 4, h + 2), c.titre, Police(7, true), kEncre,
              Qt::AlignLeft | Qt::AlignVCenter);
        x += c.largeur;
    }
    y += h + 2;
    for (const StatsQuestion& q : g.questions) {
        if (q.numero % 2 == 0) p.fillRect(QRectF(kMarge, y, kLargeur - 2 * kMarge, h), QColor(246, 247, 250));
        QStringList cases{QString::number(q.numero),
                          QFontMetricsF(Police(7), p.device()).elidedText(q.texte, Qt::ElideRight, 246),
                          Pour100(q.facilite), Pour100(q.ecartType), Pour100(q.discrimination),
                          Pour100(q.efficacite)};
        for (int c : q.choix) cases << QString::number(c);
        cases << Signalements(q, true).join(QStringLiteral(", "));
        cases << (pages ? ListePages(PagesDe(*pages, q.numero)) : QString());
        x = kMarge;
        for (int i = 0; i < colonnes.size(); ++i) {
            const bool chiffre = i >= 2 && i <= 9;
            QColor couleur = kEncre;
            if (i == 10) couleur = Couleur(q) == kAlerte ? kAlerte : QColor(170, 100, 0);
            if (i == 2 && q.manquee) couleur = kAlerte;
            if (i > 6 && i <= 9 && q.choix[static_cast<size_t>(i - 6)] > q.choix[0]) couleur = kAlerte;
            const QString texte = i == 10 ? QFontMetricsF(Police(6.5), p.device()).elidedText(cases[i], Qt::ElideRight,
                                                                                   colonnes[i].largeur - 4)
                                          : cases[i];
            Texte(p, QRectF(x + 2, y, colonnes[i].largeur - 6, h), texte, Police(i == 10 ? 6.5 : 7), couleur,
                  (chiffre ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
            x += colonnes[i].largeur;
        }
        y += h;
    }
}

// A slide drawn small, with its frame; false when it cannot be read.
bool Vignette(QPainter& p, const QStringList& vignettes, int page, const QRectF& cadre) {
    if (page < 0 || page >= vignettes.size() || vignettes[page].isEmpty()) return false;
    const platform::Picture diapo = LireDiapo(vignettes[page]);
    if (diapo.IsNull()) return false;
    const QSizeF taille = diapo.SizeTwips().scaled(cadre.size(), Qt::KeepAspectRatio);
    const QRectF ici(cadre.center() - QPointF(taille.width() / 2, taille.height() / 2), taille);
    p.save();
    p.fillRect(ici, Qt::white);
    p.setClipRect(ici);
    diapo.Draw(p, ici);
    p.restore();
    p.setPen(QPen(QColor(150, 150, 150), 0.5));
    p.setBrush(Qt::NoBrush);
    p.drawRect(ici);
    return true;
}

void Question(QPainter& p, const StatsQuestion& q, const Diapos& diapos, double y, double hauteur) {
    const double largeurTexte = 330, xGraphique = kMarge + largeurTexte + 10, largeurGraphique = 200;
    const double xVignette = xGraphique + largeurGraphique + 14, largeurVignette = kLargeur - kMarge - xVignette;

    p.setPen(QPen(QColor(200, 205, 212), 0.6));
    p.drawLine(QPointF(kMarge, y - 6), QPointF(kLargeur - kMarge, y - 6));
    double yt = y;
    yt += Texte(p, QRectF(kMarge, yt, largeurTexte + largeurGraphique, 30),
                QStringLiteral("Question %1 : %2").arg(q.numero).arg(q.texte), Police(9.5, true)) + 4;
    const int total = q.choix[0] + q.choix[1] + q.choix[2] + q.choix[3];
    for (int k = 0; k < 4; ++k) {
        const int n = q.choix[static_cast<size_t>(k)];
        const QString part = total > 0 ? QStringLiteral(" (%1 %)").arg(Decimal(100.0 * n / total, 0)) : QString();
        const QColor couleur = k == 0 ? kJuste : (n > q.choix[0] ? kAlerte : kEncre);
        Texte(p, QRectF(kMarge, yt, 20, 24), Lettre(k) + (k == 0 ? QStringLiteral(" ✓") : QString()),
              Police(8, true), couleur);
        yt += Texte(p, QRectF(kMarge + 22, yt, largeurTexte - 22, 24),
                    q.textesReponses[static_cast<size_t>(k)] + QStringLiteral(" — %1").arg(n) + part, Police(8), couleur) + 2;
    }
    yt += 3;
    const QString chiffres =
        QStringLiteral("Facilité %1 · écart type %2 · discrimination %3 · efficacité %4")
            .arg(Pour100(q.facilite), Pour100(q.ecartType), Pour100(q.discrimination), Pour100(q.efficacite));
    yt += Texte(p, QRectF(kMarge, yt, largeurTexte, 24), chiffres, Police(7.5), kGris) + 2;
    const QStringList signes = Signalements(q);
    if (!signes.isEmpty())
        Texte(p, QRectF(kMarge, yt, largeurTexte, 24), QStringLiteral("À regarder : ") + signes.join(QStringLiteral(", ")),
              Police(7.5, true), Couleur(q) == kAlerte ? kAlerte : QColor(170, 100, 0));

    const double yGraphique = y + 30;
    Dessiner(p, Choix(q), QRectF(xGraphique, yGraphique, largeurGraphique, std::min(110.0, hauteur - 36)));

    const QList<int> pages = PagesDe(diapos.pages, q.numero);
    const double hVignette = std::min(largeurVignette * 0.75, hauteur - 26);
    const QRectF cadre(xVignette, y, largeurVignette, hVignette);
    QString legende;
    if (pages.isEmpty()) {
        legende = QStringLiteral("La bonne réponse ne se trouve dans le texte d'aucune diapositive.");
        p.fillRect(cadre, QColor(246, 246, 246));
    } else {
        legende = (pages.size() > 1 ? QStringLiteral("Enseignée pages %1") : QStringLiteral("Enseignée page %1"))
                      .arg(ListePages(pages));
        if (!Vignette(p, diapos.vignettes, pages.first(), cadre)) legende += QStringLiteral(" (diapositive illisible)");
    }
    Texte(p, QRectF(xVignette, y + hVignette + 3, largeurVignette, 22), legende, Police(7.5), kEncre,
          Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap);
}

// The progress sheets: how many rows fit under their heading.
constexpr double kLigneProgression = 15, kHautProgression = 110;  // the heading's bottom, at most
int LignesParFeuille() { return static_cast<int>((kHauteur - kMarge - kHautProgression - 16) / kLigneProgression); }
int FeuillesProgression(const ProgressionClasse& p) {
    return std::max<int>(1, static_cast<int>((p.lignes.size() + LignesParFeuille() - 1) / LignesParFeuille()));
}

// One row per learner, one column per séance: the best score, ✓ or ✗, and the attempts.
void Progression(Feuilles& f, const ProgressionClasse& pr) {
    const int parFeuille = LignesParFeuille();
    const int feuilles = FeuillesProgression(pr);
    for (int k = 0; k < feuilles; ++k) {
        f.Suivante();
        QPainter& p = f.P();
        const double y0 = f.Entete(
            feuilles > 1 ? QStringLiteral("La progression de la classe (%1/%2)").arg(k + 1).arg(feuilles)
                         : QStringLiteral("La progression de la classe"),
            QStringLiteral("Une ligne par apprenant, une colonne par séance : sa meilleure note, ✓ réussie (strictement "
                           "au-dessus de %1/20, la séance suivante lui est ouverte) ou ✗ pas encore, et entre parenthèses "
                           "ses passages terminés. En tête, ceux qui sont arrêtés le plus tôt ; à la même séance, ceux qui "
                           "l'ont le plus tentée.")
                .arg(Decimal(pr.seuil, pr.seuil == std::floor(pr.seuil) ? 0 : 1)));
        const double y = y0;
        const double largeur = kLargeur - 2 * kMarge, wNom = 170, wCompte = 150, wArret = 56;
        const double wSeance = (largeur - wNom - wCompte - wArret) / std::max<qsizetype>(1, pr.seances.size());
        const double h = kLigneProgression;
        p.fillRect(QRectF(kMarge, y, largeur, h + 2), QColor(225, 230, 238));
        const auto entete = [&](double x, double w, const QString& t, int align) {
            Texte(p, QRectF(x + 3, y, w - 6, h + 2), t, Police(7.5, true), kEncre, align | Qt::AlignVCenter);
        };
        entete(kMarge, wNom, QStringLiteral("Apprenant"), Qt::AlignLeft);
        entete(kMarge + wNom, wCompte, QStringLiteral("Compte"), Qt::AlignLeft);
        entete(kMarge + wNom + wCompte, wArret, QStringLiteral("Arrêté à"), Qt::AlignHCenter);
        for (qsizetype i = 0; i < pr.seances.size(); ++i)
            entete(kMarge + wNom + wCompte + wArret + i * wSeance, wSeance, QStringLiteral("Séance %1").arg(pr.seances[i]),
                   Qt::AlignHCenter);
        double yl = y + h + 2;
        const size_t debut = static_cast<size_t>(k) * static_cast<size_t>(parFeuille);
        for (size_t r = debut; r < std::min(pr.lignes.size(), debut + static_cast<size_t>(parFeuille)); ++r) {
            const LigneProgression& l = pr.lignes[r];
            if ((r - debut) % 2 == 1) p.fillRect(QRectF(kMarge, yl, largeur, h), QColor(246, 247, 250));
            const QFontMetricsF m(Police(8), p.device());
            Texte(p, QRectF(kMarge + 3, yl, wNom - 6, h), m.elidedText(l.apprenant, Qt::ElideRight, wNom - 6), Police(8),
                  kEncre, Qt::AlignLeft | Qt::AlignVCenter);
            Texte(p, QRectF(kMarge + wNom + 3, yl, wCompte - 6, h), m.elidedText(l.compte, Qt::ElideRight, wCompte - 6),
                  Police(7.5), kGris, Qt::AlignLeft | Qt::AlignVCenter);
            Texte(p, QRectF(kMarge + wNom + wCompte, yl, wArret, h),
                  l.arret ? QStringLiteral("séance %1").arg(l.arret) : QStringLiteral("—"), Police(8, l.arret != 0),
                  l.arret ? kAlerte : kGris, Qt::AlignHCenter | Qt::AlignVCenter);
            for (size_t i = 0; i < l.seances.size(); ++i) {
                const EtatProgression& e = l.seances[i];
                const QRectF cellule(kMarge + wNom + wCompte + wArret + static_cast<double>(i) * wSeance, yl, wSeance, h);
                if (e.reussie)
                    p.fillRect(cellule.adjusted(1, 1, -1, -1), QColor(223, 240, 228));
                else if (e.tentatives > 0)
                    p.fillRect(cellule.adjusted(1, 1, -1, -1), QColor(250, 226, 220));
                const QString texte = e.meilleure ? QStringLiteral("%1 %2 (%3)")
                                                        .arg(Decimal(*e.meilleure, *e.meilleure == std::floor(*e.meilleure) ? 0 : 1),
                                                             e.reussie ? QStringLiteral("✓") : QStringLiteral("✗"))
                                                        .arg(e.tentatives)
                                                  : QStringLiteral("—");
                Texte(p, cellule, texte, Police(8, e.reussie), e.reussie ? kJuste : e.tentatives ? kAlerte : kGris,
                      Qt::AlignHCenter | Qt::AlignVCenter);
            }
            yl += h;
        }
        if (pr.lignes.empty())
            Texte(p, QRectF(kMarge, yl + 6, largeur, 20), QStringLiteral("Aucun passage terminé pour l'instant."), Police(9),
                  kGris);
    }
}

}  // namespace

Diapos LireDiapos(const QString& dossierCours, const content::BanqueQuestions& banque, int seance) {
    Diapos d;
    for (const QStringList& diapos : DiaposParPage(dossierCours, seance))
        d.vignettes << (diapos.isEmpty() ? QString() : diapos.last());
    d.textes = TextesDiapos(dossierCours, seance);
    d.pages = PagesDesReponses(d.textes, banque);
    return d;
}

int FeuillesRapport(const RapportClasse& r, const ProgressionClasse* progression) {
    const int questions = static_cast<int>(r.cours.questions.size());
    return 2 + (questions + kParFeuille - 1) / kParFeuille + static_cast<int>(r.autres.size()) +
           (progression ? FeuillesProgression(*progression) : 0);
}

QString EcrirePdfRapport(const RapportClasse& r, const Diapos& diapos, const QString& chemin, const QString& source,
                         const ProgressionClasse* progression) {
    QSaveFile fichier(chemin);
    if (!fichier.open(QIODevice::WriteOnly))
        return QStringLiteral("le fichier « %1 » ne peut pas être créé").arg(QDir::toNativeSeparators(chemin));
    {
        QPdfWriter pdf(&fichier);
        const QString titre = content::NomSeance(r.seance, r.titre) + QStringLiteral(" — rapport de classe");
        pdf.setTitle(titre);
        pdf.setCreator(QStringLiteral("Séance 1"));
        // Points: the painter's unit and the fonts' agree, and vectors and text stay exact in the file.
        pdf.setResolution(72);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(0, 0, 0, 0)));
        Feuilles f(pdf, titre);
        if (!f.Ok()) return QStringLiteral("le PDF n'a pas pu être commencé");
        QPainter& p = f.P();

        // 1. The class as a whole.
        const GroupeBanque& g = r.cours;
        double y = f.Entete(QStringLiteral("Séance %1 — ce que la classe a manqué").arg(r.seance),
                            QStringLiteral("Résultats lus dans « %1 » ; passages retenus : %2 ; %3 passage(s) terminé(s) "
                                           "trouvé(s).")
                                .arg(QDir::toNativeSeparators(source), Retenues(r))
                                .arg(r.seancesTerminees));
        const double largeurGauche = 310;
        double yg = Chiffres(p, kMarge, y, largeurGauche, &r, g) + 14;
        const QString aide = QStringLiteral(
            "Chaque question compte 1 si elle est juste, 0 sinon ; le total est le nombre de bonnes réponses. "
            "La note affichée à l'élève (+1, −0,5, jamais sous 0) dépend aussi de l'ordre des réponses.\n\n"
            "Facilité : part de bonnes réponses. Discrimination : corrélation de la question avec le reste du test "
            "(sur 100) ; sous 20 %, la question ne distingue pas les élèves qui ont compris ; négative, elle les "
            "distingue à rebours. Efficacité : la discrimination rapportée à la plus haute possible pour cette "
            "facilité. Cohérence interne : au-dessus de 75 %, le test mesure une même chose ; le rapport d'erreur "
            "dit la part de l'écart type due au hasard, l'erreur type l'incertitude sur un total.");
        Texte(p, QRectF(kMarge, yg, largeurGauche, kHauteur - kMarge - yg), aide, Police(7.5), kGris);
        const double xd = kMarge + largeurGauche + 20, ld = kLargeur - kMarge - xd, hd = (kHauteur - kMarge - y - 12) / 2;
        const int questions = static_cast<int>(g.questions.size());
        QStringList points, pointsJustes;
        QList<qreal> nJustes, nNote;
        for (int i = 0; i <= questions; ++i) {
            pointsJustes << QString::number(i);
            nJustes << g.test.repartition[static_cast<size_t>(i)];
        }
        for (int i = 0; i <= kNoteSur; ++i) {
            points << QString::number(i);
            // By whole point, the half above with it: 41 bars of half points would be too thin to read.
            nNote << g.test.repartitionNote[static_cast<size_t>(2 * i)] +
                         (i < kNoteSur ? g.test.repartitionNote[static_cast<size_t>(2 * i + 1)] : 0);
        }
        Dessiner(p, Repartition(QStringLiteral("Nombre de bonnes réponses"), pointsJustes, nJustes,
                                QStringLiteral("bonnes réponses sur %1").arg(questions)),
                 QRectF(xd, y, ld, hd));
        Dessiner(p, Repartition(QStringLiteral("Note affichée à l'élève"), points, nNote,
                                QStringLiteral("note sur 20 (7 : de 7 à 7,5)")),
                 QRectF(xd, y + hd + 12, ld, hd));

        // 2. Every question at a glance.
        f.Suivante();
        QString lesQuestions = content::LesQuestions(questions);
        lesQuestions[0] = lesQuestions[0].toUpper();
        y = f.Entete(lesQuestions,
                     QStringLiteral("A est la bonne réponse (la réponse 1 de la banque) ; A à D : nombre d'élèves qui "
                                    "ont choisi chacune. Pages : celles de la leçon dont la diapositive contient la bonne "
                                    "réponse."));
        Dessiner(p, Facilites(g), QRectF(kMarge, y, kLargeur - 2 * kMarge, 200));
        Tableau(p, y + 208, g, &diapos.pages);

        // 3. Each question: its answers, and where the lesson teaches it.
        for (int debut = 0; debut < questions; debut += kParFeuille) {
            f.Suivante();
            const int fin = std::min(questions, debut + kParFeuille);
            y = f.Entete(fin == debut + 1 ? QStringLiteral("Question %1 : les réponses choisies, et où la leçon l'enseigne").arg(fin)
                                          : QStringLiteral("Questions %1 à %2 : les réponses choisies, et où la leçon l'enseigne")
                                                .arg(debut + 1)
                                                .arg(fin));
            const double hauteur = (kHauteur - kMarge - y) / kParFeuille;
            for (int i = debut; i < fin; ++i)
                Question(p, g.questions[static_cast<size_t>(i)], diapos, y + 6 + (i - debut) * hauteur, hauteur - 10);
        }

        // 4. Sessions asked other questions: on their own, never mixed with the lesson's.
        for (size_t k = 0; k < r.autres.size(); ++k) {
            f.Suivante();
            const GroupeBanque& a = r.autres[k];
            y = f.Entete(QStringLiteral("Autre banque de questions %1").arg(k + 1),
                         QStringLiteral("Ces passages ont posé d'autres questions que celles de ce cours (une autre "
                                        "banque de questions, ou une autre version du programme) : ils sont comptés "
                                        "à part.%1")
                             .arg(a.identite.isEmpty() ? QString() : QStringLiteral(" Banque %1.").arg(a.identite)));
            Chiffres(p, kMarge, y, largeurGauche, nullptr, a);
            Tableau(p, y + 9 * 15 + 14, a, nullptr);
        }

        // 5. The course: who has passed which séance.
        if (progression) Progression(f, *progression);
        f.Fin();
    }
    if (!fichier.commit()) return QStringLiteral("l'écriture a échoué (disque plein ?)");
    return {};
}

}  // namespace resultats
