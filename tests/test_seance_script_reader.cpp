// The séance script reader: what a teacher writes is read as meant, and every mistake is refused
// with the file, its line and what to write instead; a broken script stops the lesson before any
// window, as a missing slide does.

#include "content/script_seance.h"
#include "support/lesson.h"
#include "support/media.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace content;
using namespace testsupport;

namespace {

// A small séance around the page under test: a title page, the page, the evaluation, the closing.
QByteArray ScriptOf(const QByteArray& page, const QByteArray& fin = "[[page]]\ntype = \"evaluation\"\n\n[[page]]\ntype = \"cloture\"\n") {
    return "# essai\n[[page]]\ntype = \"titre\"\ndiapositive = \"Diapo0.emf\"\n\n" + page + "\n" + fin;
}

LectureScript Lire(const QByteArray& octets) { return LireScriptDonnees(octets, QStringLiteral("Seance2/seance.toml")); }

// Position in twips of a formula with the slide at (1000, 500) sized 15000 × 11000 and every frame
// at (frame × 100, frame × 10) sized 3000 × 2000, at 15 twips per pixel.
double At(const Expression& e) {
    return e.Evaluer([](int cadre, Expression::Mesure m) {
        if (cadre == 0) {
            switch (m) {
                case Expression::Mesure::Gauche: return 1000.0;
                case Expression::Mesure::Haut: return 500.0;
                case Expression::Mesure::Largeur: return 15000.0;
                default: return 11000.0;
            }
        }
        switch (m) {
            case Expression::Mesure::Gauche: return cadre * 100.0;
            case Expression::Mesure::Haut: return cadre * 10.0;
            case Expression::Mesure::Largeur: return 3000.0;
            default: return 2000.0;
        }
    }, 15.0f);
}

const QByteArray kPagePhotos = R"(
[[page]]
diapositive = "Cours.pdf, page 2"
fin = "4 s"
  [[page.photo]]
  instant = 10
  cadre = 1
  fichier = "pile.jpg"
  place = "À droite de la diapositive, en haut, marges 20 px et 10 px"
  [[page.photo]]
  instant = "1,5 s"
  cadre = 2
  fichier = "lampe.jpg"
  place = "sous la photo précédente, alignée à droite sur la photo précédente, marge 300 twips"
  [[page.etape]]
  instant = 20
  diapositive = "Cours.pdf, page 3"
  [[page.photo]]
  instant = 30
  cadre = 3
  fichier = "fil.jpg"
  gauche = "(diapositive.droite - cadre3.largeur) / 2 - 4 px"
  haut = "cadre2.bas + -2 * 10 px"
)";

}  // namespace

class SeanceScriptReaderTest : public QObject {
    Q_OBJECT

private slots:
    void aPageReadsAsTheTeacherMeantIt() {
        const LectureScript l = Lire(ScriptOf(kPagePhotos));
        QVERIFY2(l.Reussie(), qPrintable(l.Texte()));
        const ScriptSeance& s = *l.script;
        QCOMPARE(int(s.pages.size()), 4);
        QCOMPARE(s.PageEvaluation(), 2);
        QCOMPARE(s.pages[3].texte, kTexteClotureSeance1);
        const PageScript& p = s.pages[1];
        QCOMPARE(p.fin, 40);
        QCOMPARE(p.diapositive, QString("Cours.pdf#2"));
        // The slide at tick 1, then the steps in the file's order.
        QCOMPARE(int(p.etapes.size()), 5);
        QCOMPARE(p.etapes[0].instant, 1);
        QVERIFY(p.etapes[0].diapositive);
        QCOMPARE(p.etapes[2].instant, 15);
        QCOMPARE(p.etapes[3].fichier, QString("Cours.pdf#3"));
        // Right edge 20 px inside the slide's, top 10 px below its top.
        QCOMPARE(At(p.etapes[1].place.gauche), 1000.0 + 15000 - 3000 - 300);
        QCOMPARE(At(p.etapes[1].place.haut), 500.0 + 150);
        // Under frame 1 (at 100, 10), right-aligned on it, both 300 twips off.
        QCOMPARE(At(p.etapes[2].place.haut), 10.0 + 2000 + 300);
        QCOMPARE(At(p.etapes[2].place.gauche), 100.0 + 3000 - 3000 - 300);
        QCOMPARE(At(p.etapes[4].place.gauche), (16000.0 - 3000) / 2 - 60);
        QCOMPARE(At(p.etapes[4].place.haut), 20.0 + 2000 - 300);
        QCOMPARE(s.Fichiers().front().nom, QString("Diapo0.emf"));
        QCOMPARE(int(s.Fichiers().size()), 6);
    }

    void animationsOfTheTeacherAndOfTheLesson() {
        const LectureScript l = Lire(ScriptOf(R"(
[[page]]
diapositive = "Diapo1.emf"
fin = 20
  [page.animation]
  instant = 10
  images = ["a.png", "b.png", "c.png"]
  intervalle = "300 ms"
  cadre = 1
  place = "au centre de la diapositive, au milieu"
    [page.animation.photo]
    apres = 3
    cadre = 2
    fichier = "d.jpg"
    place = "alignée à gauche sur la photo précédente, au-dessus de la photo précédente"

[[page]]
diapositive = "Diapo2.emf"
fin = 20
  [page.animation]
  instant = 11
  images = "courants"
)"));
        QVERIFY2(l.Reussie(), qPrintable(l.Texte()));
        const AnimationScript& a = *l.script->pages[1].animation;
        QCOMPARE(a.genre, AnimationScript::Genre::Images);
        QCOMPARE(a.images, QStringList({"a.png", "b.png", "c.png"}));
        QCOMPARE(a.intervalleMs, 300);
        QCOMPARE(At(a.place.gauche), 1000.0 + 6000);
        QCOMPARE(a.photo->apres, 3);
        QCOMPARE(At(a.photo->place.haut), 10.0 - 2000);
        QCOMPARE(l.script->pages[2].animation->genre, AnimationScript::Genre::Courants);
    }

    // A teacher types the anchors without accents as often as with them: both mean the same place.
    void anchorsTypedWithoutAccentsMeanTheSame() {
        const auto places = [](const QByteArray& first, const QByteArray& second) {
            const QByteArray page = "[[page]]\ndiapositive = \"Diapo1.emf\"\nfin = 40\n"
                                    "  [[page.photo]]\n  instant = 10\n  cadre = 1\n  fichier = \"a.jpg\"\n  place = \"" + first + "\"\n"
                                    "  [[page.photo]]\n  instant = 20\n  cadre = 2\n  fichier = \"b.jpg\"\n  place = \"" + second + "\"\n";
            const LectureScript l = Lire(ScriptOf(page));
            if (!l.Reussie()) return QList<double>{-1, qQNaN()};
            QList<double> at;
            for (const EtapeScript& e : l.script->pages[1].etapes)
                if (!e.diapositive) at << At(e.place.gauche) << At(e.place.haut);
            return at;
        };
        const QList<QPair<QByteArray, QByteArray>> accented{
            {"à droite de la diapositive, en haut, marge 20 px", "alignée à droite sur la photo précédente, sous la photo précédente"},
            {"à gauche de la diapositive, en bas", "à droite de la photo précédente, au-dessus de la photo précédente"},
            {"au centre de la diapositive, au milieu", "alignée à gauche sur la photo précédente, sous la photo précédente"},
            {"À droite de la diapositive, en haut", "à gauche de la photo précédente, en bas"}};
        for (const auto& [first, second] : accented) {
            const QList<double> meant = places(first, second);
            QCOMPARE(meant.size(), 4);
            const auto plain = [](QByteArray s) {
                return s.replace("à", "a").replace("À", "A").replace("é", "e");
            };
            QCOMPARE(places(plain(first), plain(second)), meant);
            QCOMPARE(places(plain(first).toUpper(), second), meant);
        }
        // Folding accents does not make an unknown clause known: it is refused as before.
        const LectureScript l = Lire(ScriptOf("[[page]]\ndiapositive = \"Diapo1.emf\"\nfin = 40\n  [[page.photo]]\n  instant = 10\n"
                                            "  cadre = 1\n  fichier = \"a.jpg\"\n  place = \"a droite de la diapo, en haut\"\n"));
        QVERIFY(l.message.contains("« a droite de la diapo » n'est pas une position connue"));
    }

    void mistakesAreRefusedWithTheirLineAndWhatToWrite_data() {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("says");
        // Lines count from the script's first: the page under test starts on line 6.
        const QByteArray photo = "[[page]]\ndiapositive = \"Diapo1.emf\"\nfin = 40\n  [[page.photo]]\n  instant = 10\n  cadre = 1\n";
        QTest::newRow("keyword typo") << QByteArray(photo + "  fichir = \"a.jpg\"\n  place = \"en haut, à droite de la diapositive\"\n")
                                      << 12 << "la clé « fichir » est inconnue dans une photo ; écrivez « fichier »";
        QTest::newRow("tick out of order")
            << QByteArray(photo + "  fichier = \"a.jpg\"\n  place = \"en haut, à droite de la diapositive\"\n  [[page.photo]]\n"
                                  "  instant = 5\n  cadre = 2\n  fichier = \"b.jpg\"\n  place = \"en bas, à droite de la diapositive\"\n")
            << 14 << "l'instant 5 vient avant celui de l'étape précédente (10)";
        QTest::newRow("a frame that does not exist")
            << QByteArray("[[page]]\ndiapositive = \"Diapo1.emf\"\nfin = 40\n  [[page.photo]]\n  instant = 10\n  cadre = 4\n"
                          "  fichier = \"a.jpg\"\n  place = \"en haut, à droite de la diapositive\"\n")
            << 11 << "écrivez cadre = 1, 2 ou 3";
        QTest::newRow("a tick after the end") << QByteArray(photo + "  fichier = \"a.jpg\"\n  place = \"en haut, à droite de la diapositive\"\n")
                                                      .replace("fin = 40", "fin = 10")
                                              << 9 << "la page finit au top 10";
        QTest::newRow("a tick between two") << QByteArray("[[page]]\ndiapositive = \"Diapo1.emf\"\nfin = \"1,25 s\"\n") << 8
                                            << "arrondissez au dixième de seconde, par exemple « 1,2 s »";
        QTest::newRow("unknown anchor") << QByteArray(photo + "  fichier = \"a.jpg\"\n  place = \"en haut, tout à droite\"\n") << 13
                                        << "« tout à droite » n'est pas une position connue";
        QTest::newRow("no photo before") << QByteArray(photo + "  fichier = \"a.jpg\"\n  place = \"sous la photo précédente, à droite de la diapositive\"\n")
                                         << 13 << "aucune photo ne précède celle-ci";
        QTest::newRow("a frame not filled yet")
            << QByteArray(photo + "  fichier = \"a.jpg\"\n  gauche = \"cadre2.gauche\"\n  haut = \"diapositive.haut + 5 px\"\n") << 13
            << "« cadre2 » n'a encore rien reçu sur cette page";
        QTest::newRow("a bare number") << QByteArray(photo + "  fichier = \"a.jpg\"\n  gauche = \"diapositive.gauche + 20\"\n  haut = \"diapositive.haut\"\n")
                                       << 13 << "un nombre seul a besoin de px ou twips";
        QTest::newRow("a path, not a file of the folder")
            << QByteArray(photo + "  fichier = \"../secret.jpg\"\n  place = \"en haut, à droite de la diapositive\"\n") << 12
            << "écrivez le seul nom du fichier, sans chemin";
        QTest::newRow("a PDF without its page") << QByteArray("[[page]]\ndiapositive = \"Cours.pdf\"\nfin = 10\n") << 7
                                                << "écrivez « Cours.pdf, page 1 »";
        QTest::newRow("no end") << QByteArray("[[page]]\ndiapositive = \"Diapo1.emf\"\n") << 6 << "il manque « fin »";
        QTest::newRow("not TOML") << QByteArray("[[page]]\ndiapositive = Diapo1.emf\nfin = 10\n") << 7
                                  << "n'est pas écrit comme le veut le format TOML";
        QTest::newRow("a type typo") << QByteArray("[[page]]\ntype = \"diapo\"\ndiapositive = \"Diapo1.emf\"\nfin = 10\n") << 7
                                     << "le type « diapo » est inconnu";
    }
    void mistakesAreRefusedWithTheirLineAndWhatToWrite() {
        QFETCH(QByteArray, page);
        QFETCH(int, line);
        QFETCH(QString, says);
        const LectureScript l = Lire(ScriptOf(page));
        QVERIFY2(!l.Reussie(), page.constData());
        QVERIFY2(l.message.contains(says), qPrintable(l.Texte()));
        QCOMPARE(l.ligne, line);
        QVERIFY(l.Texte().startsWith(QStringLiteral("Seance2/seance.toml, ligne %1 : ").arg(line)));
    }

    void theSeanceHasItsFramingPages() {
        // The evaluation and the closing page come last, the title page first.
        QVERIFY(Lire(ScriptOf("", "[[page]]\ntype = \"cloture\"\n\n[[page]]\ntype = \"evaluation\"\n")).message.contains("l'avant-dernière page est l'évaluation"));
        QVERIFY(Lire("[[page]]\ndiapositive = \"D.emf\"\nfin = 10\n[[page]]\ntype = \"evaluation\"\n[[page]]\ntype = \"cloture\"\n")
                    .message.contains("écrivez type = \"titre\""));
        QVERIFY(Lire("").message.contains("aucune page"));
        QCOMPARE(Lire(ScriptOf("[[page]]\ntype = \"evaluation\"\n")).message.contains("les deux dernières pages"), true);
    }

    void aMissingFileIsNamedWithTheLineThatNamesIt() {
        QTemporaryDir dir;
        const QString seance = dir.filePath("Seance2");
        WriteSeance(dir.path(), 2, ScriptOf(kPagePhotos));
        for (const char* name : {"Diapo0.emf", "Cours.pdf", "pile.jpg", "Lampe.jpg"}) QFile(seance + "/" + name).open(QIODevice::WriteOnly);
        const std::optional<LectureScript> l = LireScript(seance);
        QVERIFY(l.has_value());
        QVERIFY(!l->Reussie());
        QCOMPARE(l->ligne, 15);
        QVERIFY2(l->message.contains(QDir::toNativeSeparators(seance + "/lampe.jpg")), qPrintable(l->message));
        QVERIFY2(l->message.contains("écrivez « Lampe.jpg », avec ses majuscules"), qPrintable(l->message));
        QVERIFY(!LireScript(dir.filePath("Seance3")).has_value());
    }

    void aBrokenScriptStopsTheLessonBeforeAnyWindow() {
        QTemporaryDir dir;
        WriteCourse(dir.path());
        WriteSeance(dir.path(), 1, ScriptOf("[[page]]\ndiapositive = \"Diapo1.emf\"\nfni = 10\n"));
        QString message;
        try {
            Lesson l(false, {}, dir.path());
            QFAIL("the lesson started");
        } catch (const ProgramEnded& e) {
            message = e.message;
        }
        QVERIFY2(message.contains(QDir::toNativeSeparators(dir.filePath("Seance1/seance.toml"))), qPrintable(message));
        QVERIFY2(message.contains("ligne 8 : la clé « fni » est inconnue dans une page ; écrivez « fin »"), qPrintable(message));
    }
};

QTEST_MAIN(SeanceScriptReaderTest)
#include "test_seance_script_reader.moc"
