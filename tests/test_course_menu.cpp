// A course of several séances as a learner takes it: the menu with their own standing, the keyboard
// and what a screen reader hears there, a broken séance that does not stop the others, leaving a
// séance for the menu, and the closing page's way on, strictly above the threshold. On the virtual
// platform with the demo course and real journals.

#include "class_reports/progression.h"
#include "course/parcours.h"
#include "course/progression_apprenant.h"
#include "course_window/cour1p.h"
#include "course_window/sl_mm.h"
#include "recording/journal.h"
#include "statements/declarations.h"
#include "support/media.h"
#include "support/virtual_platform.h"

#include <QAccessible>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QtTest>
#include <cmath>

using namespace testsupport;
using resultats::Identite;
using resultats::Reglages;

namespace {

const Identite kLea{"lea", "Léa", "poste-01", "https://ecole.example.fr/"};
const Identite kNoe{"noe", "Noé", "poste-02", "https://ecole.example.fr/"};

// A session of séance `seance` written as the recording writes it: twenty answers, then "completed"
// with the given score.
void Played(const QString& classe, const Identite& qui, int seance, double note) {
    resultats::Journal j(classe, qui);
    resultats::Seance s{resultats::NouvelId(), qui};
    s.numero = seance;
    const QDateTime t(QDate(2026, 12, 7), QTime(9, 0), Qt::UTC);
    for (int q = 1; q <= 20; ++q) QVERIFY(j.Ajouter(resultats::Repondu(s, q, 0, true, t.addSecs(q))));
    QVERIFY(j.Ajouter(resultats::Complete(s, note, 600000, t.addSecs(600))));
}

void CopyTree(const QString& from, const QString& to) {
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString f = it.next();
        const QString target = to + f.mid(from.size());
        QDir().mkpath(QFileInfo(target).path());
        QFile::copy(f, target);
    }
}

// The teacher's cours.toml opening every séance of the course.
void OpenAll(const QString& course) {
    QFile f(course + "/cours.toml");
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("ouvertes = \"toutes\"\n");
}

// The course played on the virtual clock for one learner, whose results go to a class folder of
// its own.
struct CourseRun {
    explicit CourseRun(const Identite& qui = kLea, const QString& course = SEANCE_DEMO_DIR) {
        vp.currentDirectory = course;
        reglages.identite = qui;
        reglages.dossier = classe.path();
        reglages.dossierPropre = classe.filePath("propre");
    }
    ~CourseRun() { SL_MM::Forget(); }
    cours::Parcours& Course() {
        if (!parcours) parcours = std::make_unique<cours::Parcours>(vp.currentDirectory, reglages);
        return *parcours;
    }
    // Runs the course from its start until ms of virtual time; the program's status if it ended.
    std::optional<int> Run(qint64 ms) {
        vp.StopAt(ms);
        try {
            platform::RunHandler([this] { Course().Executer(); });
        } catch (const RunStopped&) {
            return std::nullopt;
        } catch (const ProgramEnded& e) {
            return e.status;
        }
        return std::nullopt;
    }
    bool MenuShown() { return parcours && parcours->Menu().Form.Widget()->isVisible(); }
    Cour1p* Seance() { return parcours ? parcours->SeanceEnCours() : nullptr; }
    // Chooses the entry of séance numero as soon as the menu shows.
    void ChooseWhenShown(int numero) {
        vp.When([this] { return MenuShown(); },
                [this, numero] {
                    auto& m = parcours->Menu();
                    for (size_t i = 0; i < m.Montrees().size(); ++i)
                        if (m.Montrees()[i].seance.numero == numero) m.Entrees[i]->Click();
                });
    }
    // Once séance numero shows, goes to its evaluation and answers its twenty questions: `wrongFirst`
    // wrong ones first (the score stays at 0), then right ones, then `wrongLast` wrong ones.
    void TakeEvaluation(int numero, int wrongFirst, int wrongLast) {
        vp.When([this, numero] { return Seance() && Seance()->Seance() == numero && Seance()->NumPage == 0; },
                [this] {
                    Seance()->NumPage = static_cast<int16_t>(Seance()->PageEvaluation() - 1);
                    Seance()->B_Pag_S.Click();
                });
        Answer(numero, 1, wrongFirst, wrongLast);
    }
    void Answer(int numero, int question, int wrongFirst, int wrongLast) {
        if (question > 20) return;
        vp.When([=, this] {
                    Cour1p* c = Seance();
                    return c && c->Seance() == numero && c->NumQuestion == question && c->Option1(0).Reachable() &&
                           c->B_Valider.Visible() && !c->B_Valider.Enabled();
                },
                [=, this] {
                    Cour1p* c = Seance();
                    const bool wrong = question <= wrongFirst || question > 20 - wrongLast;
                    Answer(numero, question + 1, wrongFirst, wrongLast);
                    c->Option1(wrong ? 1 : 0).Click();
                    c->B_Valider.Click();
                });
    }
    // The closing page of the séance being played.
    bool OnClosingPage() { return Seance() && Seance()->NumPage == Seance()->PageEvaluation() + 1; }

    QTemporaryDir classe;
    VirtualPlatform vp;
    Reglages reglages;
    std::unique_ptr<cours::Parcours> parcours;
};

// Every journal of the class folder, one after the other.
QByteArray Journals(const QString& classe) {
    QByteArray all;
    for (QDirIterator it(classe, {"*.jsonl"}, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        QFile f(it.next());
        if (f.open(QIODevice::ReadOnly)) all += f.readAll();
    }
    return all;
}

QStringList Captions(cours::Parcours& p) {
    QStringList out;
    for (const auto& e : p.Menu().Entrees) out << e->Caption();
    return out;
}

}  // namespace

class CourseMenuTest : public QObject {
    Q_OBJECT

private slots:
    void theMenuShowsEachSeanceWithThisLearnersOwnStanding() {
        CourseRun lea;
        Played(lea.classe.path(), kLea, 1, 15);
        Played(lea.classe.path(), kNoe, 1, 17);
        lea.Course().Menu().Montrer(lea.Course().Entrees());
        QStringList c = Captions(lea.Course());
        QCOMPARE(c.size(), 2);
        // The title from the title slide's "Séance 2 : ..." line.
        QCOMPARE(c[1].section('\n', 0, 0), QString("Séance 2 : tension, intensité, résistance"));
        QCOMPARE(c[0].section('\n', 1), QString("Meilleure note : 15/20 — à faire"));
        QCOMPARE(c[1].section('\n', 1), QString("Pas encore de note — pas encore ouverte : plus de 15/20 à la séance 1 l'ouvre"));
        // Heard: the entry's name, then its state in words.
        QAccessibleInterface* entree = QAccessible::queryAccessibleInterface(lea.Course().Menu().Entrees[1]->Widget());
        QVERIFY2(entree->text(QAccessible::Description).contains("plus de 15 sur 20 à la séance 1"),
                 qPrintable(entree->text(QAccessible::Description)));

        // Noé, on the same class folder, sees his own 17 and séance 2 open.
        CourseRun noe(kNoe);
        noe.reglages.dossier = lea.classe.path();
        noe.Course().Menu().Montrer(noe.Course().Entrees());
        c = Captions(noe.Course());
        QCOMPARE(c[0].section('\n', 1), QString("Meilleure note : 17/20 — réussie"));
        QCOMPARE(c[1].section('\n', 1), QString("Pas encore de note — à faire"));

        // Léa's 15,5 opens it for her; her session in her own folder counts as well as the class's.
        Played(lea.reglages.dossierPropre, kLea, 1, 15.5);
        lea.Course().Menu().Montrer(lea.Course().Entrees());
        c = Captions(lea.Course());
        QCOMPARE(c[0].section('\n', 1), QString("Meilleure note : 15,5/20 — réussie"));
        QCOMPARE(c[1].section('\n', 1), QString("Pas encore de note — à faire"));
        // The focus is on the next séance to do.
        QVERIFY(lea.Course().Menu().Entrees[1]->HasFocus());

        // The teacher opens every séance in the course's file, for a learner with no result at all.
        QTemporaryDir course;
        CopyTree(SEANCE_DEMO_DIR, course.path());
        OpenAll(course.path());
        CourseRun nouveau(Identite{"zoe", "Zoé", "poste-03", "https://ecole.example.fr/"}, course.path());
        const auto entrees = nouveau.Course().Entrees();
        QVERIFY(entrees[1].ouverte && !entrees[1].etat.meilleure);

        // Séance 2 passed (played with --seance 2) shows passed, and open, whatever séance 1 says.
        CourseRun ines(Identite{"ines", "Inès", "poste-04", "https://ecole.example.fr/"});
        Played(ines.classe.path(), ines.reglages.identite, 2, 20);
        ines.Course().Menu().Montrer(ines.Course().Entrees());
        QCOMPARE(Captions(ines.Course())[1].section('\n', 1), QString("Meilleure note : 20/20 — réussie"));
        QVERIFY(ines.Course().Menu().Montrees()[1].Jouable());
        QCOMPARE(ines.Course().Menu().Progres.Caption(), QString("Séances réussies : 1 sur 2"));
    }

    // The focused entry wears a frame a seeing learner cannot miss: several pixels thick, of a
    // colour at least 3:1 against the entry's face and against the panel around it.
    void theFocusedEntryHasAThickContrastedFrame() {
        CourseRun r;
        cours::MenuCours& m = r.Course().Menu();
        m.Montrer(r.Course().Entrees());
        QWidget* entree = m.Entrees[0]->Widget();
        // As on a desktop: the window shown is the active one, where a focus is drawn.
        m.Form.Widget()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m.Form.Widget()));
        QVERIFY(m.Entrees[0]->HasFocus());
        const QImage focalisee = entree->grab().toImage();
        m.Entrees[1]->SetFocus();
        const QImage sans = entree->grab().toImage();
        const auto luminance = [](QColor c) {
            const auto canal = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
            return 0.2126 * canal(c.redF()) + 0.7152 * canal(c.greenF()) + 0.0722 * canal(c.blueF());
        };
        const auto contraste = [&](QColor a, QColor b) {
            const double la = luminance(a), lb = luminance(b);
            return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
        };
        const int y = focalisee.height() / 2;
        const QColor cadre = focalisee.pixelColor(1, y), face = focalisee.pixelColor(focalisee.width() / 2, 4 + focalisee.height() / 4);
        const QColor panneau = m.Panneau.Widget()->grab().toImage().pixelColor(2, 2);
        QVERIFY2(contraste(cadre, face) >= 3 && contraste(cadre, panneau) >= 3,
                 qPrintable(QString("%1 on %2 and %3").arg(cadre.name(), face.name(), panneau.name())));
        // Thick: the frame's colour three pixels in, where the entry without the focus shows its face.
        QCOMPARE(focalisee.pixelColor(3, y), cadre);
        QVERIFY(sans.pixelColor(3, y) != cadre);
    }

    void arrowsMoveEnterStartsAndAClosedOrBrokenSeanceSaysWhy() {
        QTemporaryDir course;
        CopyTree(SEANCE_DEMO_DIR, course.path());
        QVERIFY(QFile::remove(course.filePath("Seance2/voltmetre.jpg")));
        QDir().mkpath(course.filePath("Seance3"));
        OpenAll(course.path());
        CourseRun r(kLea, course.path());
        cours::MenuCours& m = r.Course().Menu();
        m.Montrer(r.Course().Entrees());
        QCOMPARE(int(m.Entrees.size()), 3);
        // Séance 2 lacks a photograph, séance 3 its script: both unavailable with the reason.
        QVERIFY2(m.Entrees[1]->Caption().contains("Indisponible : ") && m.Entrees[1]->Caption().contains("voltmetre.jpg"),
                 qPrintable(m.Entrees[1]->Caption()));
        QVERIFY2(m.Entrees[2]->Caption().contains("questions.gift"), qPrintable(m.Entrees[2]->Caption()));
        QVERIFY(m.Entrees[0]->HasFocus());

        QVERIFY(m.Form_KeyPreview(Qt::Key_Down));
        QVERIFY(m.Entrees[1]->HasFocus());
        QVERIFY(m.Form_KeyPreview(Qt::Key_Up));
        QVERIFY(m.Form_KeyPreview(Qt::Key_Up));  // round to the last
        QVERIFY(m.Entrees[2]->HasFocus());
        QVERIFY(m.Form_KeyPreview(Qt::Key_Escape));  // never ends the course

        std::optional<int> choisie;
        m.OnChoix = [&](int n) { choisie = n; };
        const size_t avant = r.vp.Announcements().size();
        QVERIFY(m.Form_KeyPreview(Qt::Key_Return));
        QVERIFY(!choisie);
        QCOMPARE(r.vp.Beeps(), 1);
        QCOMPARE(r.vp.Announcements().size(), avant + 1);
        QVERIFY2(r.vp.Announcements().back().text.startsWith("Séance 3, Indisponible"), qPrintable(r.vp.Announcements().back().text));
        // Shown as well as heard, until the learner moves on.
        QVERIFY(m.Avis.Visible() && m.Avis.Caption().startsWith("Séance 3 : Indisponible : "));
        QVERIFY(m.Form_KeyPreview(Qt::Key_Down));
        QVERIFY(!m.Avis.Visible());
        QVERIFY(m.Form_KeyPreview(Qt::Key_Home));
        QVERIFY(m.Form_KeyPreview(Qt::Key_Enter));
        QCOMPARE(choisie, std::optional<int>(1));
    }

    // The menu says how many mistakes a script has, on one line; the teacher's check lists them.
    void aScriptWithSeveralMistakesIsUnavailableOnOneLine() {
        QTemporaryDir course;
        CopyTree(SEANCE_DEMO_DIR, course.path());
        for (const char* photo : {"Seance2/voltmetre.jpg", "Seance2/multimetre.jpg"}) QVERIFY(QFile::remove(course.filePath(photo)));
        OpenAll(course.path());
        CourseRun r(kLea, course.path());
        cours::MenuCours& m = r.Course().Menu();
        m.Montrer(r.Course().Entrees());
        QVERIFY2(m.Entrees[1]->Caption().endsWith("\nIndisponible : Le fichier « Seance2/seance.toml » ne peut pas être utilisé : 2 erreurs."),
                 qPrintable(m.Entrees[1]->Caption()));
    }

    void leavingASeanceInTheMiddleComesBackToTheMenu() {
        CourseRun r;
        r.ChooseWhenShown(1);
        // In the middle of page 2's loop, Fermer.
        r.vp.When([&] { return r.Seance() && r.Seance()->NumPage == 0; }, [&] { r.Seance()->B_Pag_S.Click(); });
        r.vp.When([&] { return r.Seance() && r.Seance()->NumPage == 1 && r.Seance()->Compteur > 5; },
                  [&] { r.Seance()->B_Pag_S.Click(); });
        bool quittee = false, revenu = false;
        r.vp.When([&] { return r.Seance() && r.Seance()->NumPage == 2 && r.Seance()->Compteur > 5; },
                  [&] {
                      r.Seance()->B_Fermer.Click();
                      quittee = true;
                  });
        // Back on the menu, with the séance gone and the program still running.
        r.vp.When([&] { return quittee && r.MenuShown(); }, [&] { revenu = !r.Seance(); });
        QVERIFY(!r.Run(60000));
        QVERIFY(revenu);
        // The session ended as a closed lesson does: its journal says so.
        QDirIterator it(r.classe.path(), {"*.jsonl"});
        QVERIFY(it.hasNext());
        QFile journal(it.next());
        QVERIFY(journal.open(QIODevice::ReadOnly));
        QVERIFY(journal.readAll().contains("http://adlnet.gov/expapi/verbs/terminated"));

        // Fermer on the menu ends the program, as the lesson's does.
        CourseRun fin;
        fin.vp.When([&] { return fin.MenuShown(); }, [&] { fin.Course().Menu().B_Fermer.Click(); });
        QCOMPARE(fin.Run(10000), std::optional<int>(0));
    }

    void theClosingPageOpensTheNextSeanceOnlyStrictlyAboveTheThreshold() {
        // 15/20 at séance 1: the menu only, and the menu still has séance 2 closed.
        CourseRun quinze;
        quinze.ChooseWhenShown(1);
        quinze.TakeEvaluation(1, 5, 0);
        bool vu = false;
        quinze.vp.When([&] { return quinze.OnClosingPage(); },
                       [&] {
                           Cour1p& c = *quinze.Seance();
                           vu = true;
                           QCOMPARE(c.Note, 15.0);
                           QVERIFY(c.B_Menu->Reachable());
                           QVERIFY(!c.B_Suivante->Visible());
                           QCOMPARE(c.B_Menu->Caption(), QString("Retour au menu"));
                           c.B_Menu->Click();
                       });
        QVERIFY(!quinze.Run(300000));
        QVERIFY(vu);
        QVERIFY(quinze.MenuShown());
        QStringList c = Captions(quinze.Course());
        QCOMPARE(c[0].section('\n', 1), QString("Meilleure note : 15/20 — à faire"));
        QVERIFY(c[1].contains("pas encore ouverte"));
        // A séance played from the menu sends its verdict as one played alone does.
        QVERIFY(Journals(quinze.classe.path()).contains("http://adlnet.gov/expapi/verbs/failed"));

        // 15,5: "Séance suivante" shows beside the menu's button and starts séance 2 at its page 0.
        CourseRun plus;
        plus.ChooseWhenShown(1);
        plus.TakeEvaluation(1, 0, 3);
        vu = false;
        plus.vp.When([&] { return plus.OnClosingPage(); },
                     [&] {
                         Cour1p& c = *plus.Seance();
                         vu = true;
                         QCOMPARE(c.Note, 15.5);
                         QVERIFY(c.B_Suivante->Reachable() && c.B_Menu->Reachable());
                         QCOMPARE(c.B_Suivante->Top(), c.B_Fermer.Top());
                         QVERIFY(c.B_Suivante->HasFocus());
                         c.B_Suivante->Click();
                     });
        // Looked at while it plays: stopping the run unwinds the séance too.
        bool seance2 = false;
        plus.vp.When([&] { return plus.Seance() && plus.Seance()->Seance() == 2; },
                     [&] {
                         seance2 = true;
                         QCOMPARE(int(plus.Seance()->NumPage), 0);
                         QVERIFY(plus.Seance()->Form.Widget()->isVisible());
                         QVERIFY(!plus.MenuShown());
                     });
        QVERIFY(!plus.Run(300000));
        QVERIFY(vu && seance2);
        QVERIFY(Journals(plus.classe.path()).contains("http://adlnet.gov/expapi/verbs/passed"));
    }
};

QTEST_MAIN(CourseMenuTest)
#include "test_course_menu.moc"
