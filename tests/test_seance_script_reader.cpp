// The séance script reader: what a teacher writes is read as meant, and every mistake of a script
// is said at once, with the file, its line and column and what to write instead, in French; a broken
// script stops the lesson before any window, as a missing slide does.

#include "content/script_seance.h"
#include "content/toml_errors.h"
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

    void theSlidesSizeIsTheScriptsToSay_data() {
        QTest::addColumn<QByteArray>("affichage");
        QTest::addColumn<bool>("ecran");
        QTest::newRow("nothing said") << QByteArray() << false;
        QTest::newRow("écran") << QByteArray("[affichage]\ndiapositives = \"écran\"\n") << true;
        QTest::newRow("without its accent") << QByteArray("[affichage]\ndiapositives = \"Ecran\"\n") << true;
        QTest::newRow("naturelle") << QByteArray("[affichage]\ndiapositives = \"naturelle\"\n") << false;
    }
    void theSlidesSizeIsTheScriptsToSay() {
        QFETCH(QByteArray, affichage);
        QFETCH(bool, ecran);
        const LectureScript l = Lire(affichage + ScriptOf(kPagePhotos));
        QVERIFY2(l.Reussie(), qPrintable(l.Texte()));
        QCOMPARE(l.script->diapositives == ScriptSeance::Diapositives::Ecran, ecran);
    }

    void aPageSaysItsSoundsAndEndsAfterThem() {
        const LectureScript l = Lire(ScriptOf(R"([[page]]
diapositive = "Diapo1.emf"
fin = "Après le son"
  [[page.son]]
  instant = "1 s"
  fichier = "voix.ogg"
  texte = "  Le courant   circule. "
  [[page.son]]
  instant = 30
  fichier = "suite.mp3"
  texte = "Puis il revient."
)"));
        QVERIFY2(l.Reussie(), qPrintable(l.Texte()));
        const PageScript& p = l.script->pages[1];
        QVERIFY(p.finApresSon && p.fin < 0);
        QCOMPARE(int(p.sons.size()), 2);
        QCOMPARE(p.sons[0].instant, 10);
        QCOMPARE(p.sons[0].texte, QString("Le courant circule."));
        QCOMPARE(p.sons[1].fichier, QString("suite.mp3"));
        QCOMPARE(int(l.script->Sons().size()), 2);
        QVERIFY(l.script->AvecSons());
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
        QVERIFY(l.Texte().contains("« a droite de la diapo » n'est pas une position connue"));
    }

    // Each row: a page, and every mistake said of it, each one's beginning, in the order of the lines.
    void mistakesAreSaidWithTheirPlaceAndWhatToWrite_data() {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QStringList>("mistakes");
        // Lines count from the script's first: the page under test starts on line 6.
        const QByteArray photo = "[[page]]\ndiapositive = \"Diapo1.emf\"\nfin = 40\n  [[page.photo]]\n  instant = 10\n  cadre = 1\n";
        const QByteArray place = "  place = \"en haut, à droite de la diapositive\"\n";
        // A mistyped key is one mistake, not also the key it stands for, missing.
        QTest::newRow("keyword typo") << QByteArray(photo + "  fichir = \"a.jpg\"\n" + place)
                                      << QStringList{"ligne 12, colonne 3 : la clé « fichir » est inconnue dans une photo ; écrivez « fichier »."};
        QTest::newRow("tick out of order")
            << QByteArray(photo + "  fichier = \"a.jpg\"\n" + place + "  [[page.photo]]\n  instant = 5\n  cadre = 2\n  fichier = \"b.jpg\"\n" + place)
            << QStringList{"ligne 15, colonne 13 : l'instant 5 vient avant celui de l'étape précédente (10) ;"};
        // Its place, said against its frame, is not read.
        QTest::newRow("a frame that does not exist")
            << QByteArray(photo + "  fichier = \"a.jpg\"\n" + place).replace("cadre = 1", "cadre = 4")
            << QStringList{"ligne 11, colonne 11 : la leçon a trois cadres de photographie ; écrivez cadre = 1, 2 ou 3."};
        QTest::newRow("a tick after the end") << QByteArray(photo + "  fichier = \"a.jpg\"\n" + place).replace("fin = 40", "fin = 10")
                                              << QStringList{"ligne 10, colonne 13 : l'instant 10 n'arrive pas : la page finit au top 10 ;"};
        QTest::newRow("a tick between two") << QByteArray("[[page]]\ndiapositive = \"Diapo1.emf\"\nfin = \"1,25 s\"\n")
                                            << QStringList{"ligne 8, colonne 7 : « 1,25 s » ne tombe pas sur un top de 100 ms ; "
                                                           "arrondissez au dixième de seconde, par exemple « 1,2 s »."};
        QTest::newRow("unknown anchor") << QByteArray(photo + "  fichier = \"a.jpg\"\n  place = \"en haut, tout à droite\"\n")
                                        << QStringList{"ligne 13, colonne 11 : dans « place = \"en haut, tout à droite\" », « tout à droite » "
                                                       "n'est pas une position connue ;"};
        QTest::newRow("no photo before") << QByteArray(photo + "  fichier = \"a.jpg\"\n  place = \"sous la photo précédente, à droite de la diapositive\"\n")
                                         << QStringList{"ligne 13, colonne 11 : aucune photo ne précède celle-ci"};
        QTest::newRow("a frame not filled yet")
            << QByteArray(photo + "  fichier = \"a.jpg\"\n  gauche = \"cadre2.gauche\"\n  haut = \"diapositive.haut + 5 px\"\n")
            << QStringList{"ligne 13, colonne 12 : « cadre2 » n'a encore rien reçu sur cette page"};
        QTest::newRow("a bare number") << QByteArray(photo + "  fichier = \"a.jpg\"\n  gauche = \"diapositive.gauche + 20\"\n  haut = \"diapositive.haut\"\n")
                                       << QStringList{"ligne 13, colonne 12 : dans « gauche = \"diapositive.gauche + 20\" », on n'ajoute ou ne "
                                                      "retranche que des longueurs (un nombre seul a besoin de px ou twips)"};
        QTest::newRow("a path, not a file of the folder")
            << QByteArray(photo + "  fichier = \"../secret.jpg\"\n" + place)
            << QStringList{"ligne 12, colonne 13 : « ../secret.jpg » n'est pas un nom de fichier du dossier de la séance ; écrivez le "
                           "seul nom du fichier, sans chemin"};
        QTest::newRow("a PDF without its page") << QByteArray("[[page]]\ndiapositive = \"Cours.pdf\"\nfin = 10\n")
                                                << QStringList{"ligne 7, colonne 15 : une diapositive est une page du PDF ; écrivez « Cours.pdf, page 1 »."};
        QTest::newRow("no end") << QByteArray("[[page]]\ndiapositive = \"Diapo1.emf\"\n")
                                << QStringList{"ligne 6 : il manque « fin » ; écrivez par exemple fin = 40."};
        QTest::newRow("a type typo") << QByteArray("[[page]]\ntype = \"diapo\"\ndiapositive = \"Diapo1.emf\"\nfin = 10\n")
                                     << QStringList{"ligne 7, colonne 8 : le type « diapo » est inconnu ; écrivez « diapositive »"};
        // Times are said back in the unit they were written in.
        const QByteArray enSecondes = "[[page]]\ndiapositive = \"Diapo1.emf\"\nfin = \"4 s\"\n  [[page.photo]]\n  instant = \"4,5 s\"\n"
                                      "  cadre = 1\n  fichier = \"a.jpg\"\n" + place;
        QTest::newRow("seconds after an end in seconds")
            << enSecondes << QStringList{"ligne 10, colonne 13 : l'instant 4,5 s n'arrive pas : la page finit à 4 s ;"};
        QTest::newRow("ticks after an end in seconds")
            << QByteArray(enSecondes).replace("\"4,5 s\"", "45") << QStringList{"ligne 10, colonne 13 : l'instant 45 n'arrive pas : la page finit à 4 s ;"};
        QTest::newRow("ticks before a step in seconds")
            << QByteArray(enSecondes).replace("\"4,5 s\"", "\"2 s\"") + "  [[page.etape]]\n  instant = 15\n  diapositive = \"Diapo2.emf\"\n"
            << QStringList{"ligne 15, colonne 13 : l'instant 15 vient avant celui de l'étape précédente (2 s) ; rangez les photos et les "
                           "étapes de la page dans l'ordre du temps, ou écrivez un instant d'au moins 2 s."};
        QTest::newRow("an animation in seconds after an end in ticks")
            << QByteArray("[[page]]\ndiapositive = \"Diapo1.emf\"\nfin = 20\n  [page.animation]\n  instant = \"3 s\"\n  images = \"courants\"\n")
            << QStringList{"ligne 10, colonne 13 : l'animation commence à 3 s, mais la page finit au top 20 ;"};
        QTest::newRow("a slide size unknown") << QByteArray("[affichage]\ndiapositives = \"grande\"\n")
                                              << QStringList{"ligne 7, colonne 16 : « grande » n'est pas une taille de diapositive ; écrivez "
                                                             "diapositives = \"écran\""};
        QTest::newRow("a display key unknown") << QByteArray("[affichage]\ndiapositive = \"écran\"\n")
                                               << QStringList{"ligne 7, colonne 1 : la clé « diapositive » est inconnue dans « [affichage] » ; "
                                                              "écrivez « diapositives »."};
        QTest::newRow("a hold neither yes nor no") << QByteArray("[[page]]\ndiapositive = \"Diapo1.emf\"\nfin = 10\nattendre = \"plutôt\"\n")
                                                   << QStringList{"ligne 9, colonne 12 : « attendre » se règle par oui ou non ;"};
        const QByteArray son = "[[page]]\ndiapositive = \"Diapo1.emf\"\nfin = \"après le son\"\n  [[page.son]]\n  instant = 5\n";
        QTest::newRow("after a sound, with none") << QByteArray("[[page]]\ndiapositive = \"Diapo1.emf\"\nfin = \"après le son\"\n")
                                                  << QStringList{"ligne 8, colonne 7 : « fin = \"après le son\" » attend un son sur la page ;"};
        QTest::newRow("a sound of no format read") << QByteArray(son + "  fichier = \"voix.aac\"\n  texte = \"Bonjour.\"\n")
                                                   << QStringList{"ligne 11, colonne 13 : « voix.aac » n'est pas un fichier"};
        QTest::newRow("a sound without its words") << QByteArray(son + "  fichier = \"voix.mp3\"\n")
                                                   << QStringList{"ligne 9 : il manque « texte » ; écrivez par exemple texte = \"Ce que dit le son.\"."};
        QTest::newRow("sounds out of order") << QByteArray(son + "  fichier = \"a.mp3\"\n  texte = \"Un.\"\n  [[page.son]]\n  instant = 2\n"
                                                           "  fichier = \"b.mp3\"\n  texte = \"Deux.\"\n")
                                             << QStringList{"ligne 14, colonne 13 : l'instant 2 vient avant celui du son précédent (5) ;"};
        // Every mistake of the file, pages on, each for itself.
        QTest::newRow("several mistakes")
            << QByteArray("[[page]]\ndiapositive = \"Diapo1.emf\"\nfin = \"4 s\"\n  [[page.photo]]\n  instant = 50\n  cadre = 4\n"
                          "  fichier = \"a.gif\"\n[[page]]\ndiapositive = \"Diapo2.emf\"\nfin = 30\ntitre = \"Le courant\"\n"
                          "  [page.animation]\n  instant = 10\n  images = [\"a.png\"]\n  intervalle = \"0,5 s\"\n  cadre = 1\n" + place +
                          "[[page]]\ntype = \"evaluation\"\n")
            << QStringList{"ligne 10, colonne 13 : l'instant 50 n'arrive pas : la page finit à 4 s ;",
                           "ligne 11, colonne 11 : la leçon a trois cadres de photographie",
                           "ligne 12, colonne 13 : « a.gif » n'est pas un fichier que la leçon sait montrer ici",
                           "ligne 16, colonne 1 : la clé « titre » est inconnue dans une page ; écrivez l'une de « type », « diapositive »",
                           "ligne 19, colonne 12 : une animation a de 2 à 200 images",
                           "ligne 20, colonne 16 : l'intervalle entre deux images s'écrit en millisecondes",
                           "ligne 24, colonne 8 : la page 3 est de type « evaluation », mais l'évaluation et la clôture sont les deux "
                           "dernières pages ; écrivez type = \"diapositive\"."};
    }
    void mistakesAreSaidWithTheirPlaceAndWhatToWrite() {
        QFETCH(QByteArray, page);
        QFETCH(QStringList, mistakes);
        const LectureScript l = Lire(ScriptOf(page));
        QVERIFY2(!l.Reussie(), page.constData());
        QStringList said;
        for (const Erreur& e : l.erreurs.liste) said << e.Texte().remove(QStringLiteral("Seance2/seance.toml, "));
        QVERIFY2(said.size() == mistakes.size(), qPrintable(said.join('\n')));
        for (qsizetype i = 0; i < said.size(); ++i) QVERIFY2(said[i].startsWith(mistakes[i]), qPrintable(said[i]));
    }

    // toml++ stops at the first: that one is said in French, where it stopped.
    void textThatIsNotTomlIsSaidInFrench_data() {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QString>("said");
        QTest::newRow("a string left open") << QByteArray("[[page]]\ndiapositive = \"Diapo1.emf\nfin = 10\n")
                                            << "ligne 7, colonne 26 : le texte n'est pas écrit comme le veut le format TOML : le texte "
                                               "entre guillemets n'est pas fermé ; fermez les guillemets avant la fin de la ligne.";
        QTest::newRow("a control character") << QByteArray("[[page]]\ndiapositive = \"Dia\x01po1.emf\"\n")
                                             << "ligne 7, colonne 19 : le texte n'est pas écrit comme le veut le format TOML : le texte "
                                                "contient un caractère invisible";
        QTest::newRow("a bare word") << QByteArray("[[page]]\ndiapositive = Diapo1.emf\nfin = 10\n")
                                     << "ligne 7, colonne 15 : le texte n'est pas écrit comme le veut le format TOML : la valeur n'est ni un "
                                        "nombre ni un texte entre guillemets";
        QTest::newRow("a decimal comma") << QByteArray("[[page]]\nfin = 1,5\n") << "ligne 7, colonne 8 : le texte n'est pas écrit comme le "
                                                                                    "veut le format TOML : « , » est de trop après la valeur";
        QTest::newRow("an accent in a key") << QByteArray("[[page]]\ndurée = 10\n")
                                            << "ligne 7, colonne 4 : le texte n'est pas écrit comme le veut le format TOML : il manque le "
                                               "signe = après la clé (à sa place : « é »)";
        QTest::newRow("a Windows path") << QByteArray("[[page]]\ndiapositive = \"C:\\dossier.emf\"\n")
                                        << "ligne 7, colonne 19 : le texte n'est pas écrit comme le veut le format TOML : « \\d » n'a pas de sens";
        QTest::newRow("one bracket") << QByteArray("[page]\n") << "ligne 6, colonne 1 : le texte n'est pas écrit comme le veut le format "
                                                                   "TOML : « page » est déjà donné plus haut";
        QTest::newRow("no value") << QByteArray("[[page]]\nfin =\n")
                                  << "ligne 7, colonne 6 : le texte n'est pas écrit comme le veut le format TOML : il manque la valeur";
        QTest::newRow("minutes") << QByteArray("[[page]]\nfin = 1:30\n") << "ligne 7, colonne 8 : le texte n'est pas écrit comme le veut "
                                                                             "le format TOML : la valeur ressemble à une date ou à une heure";
        QTest::newRow("not UTF-8") << QByteArray("[[page]]\ndiapositive = \"Diapo\xe9.emf\"\n")
                                   << "ligne 7, colonne 20 : le texte n'est pas écrit comme le veut le format TOML : le fichier n'est pas "
                                      "enregistré en UTF-8";
    }
    void textThatIsNotTomlIsSaidInFrench() {
        QFETCH(QByteArray, page);
        QFETCH(QString, said);
        const LectureScript l = Lire(ScriptOf(page));
        QCOMPARE(l.erreurs.Nombre(), 1);
        const QString texte = l.erreurs.liste[0].Texte();
        QVERIFY2(texte.startsWith("Seance2/seance.toml, " + said), qPrintable(texte));
        for (const char* anglais : {"Error", "parsing", "expected", "saw"}) QVERIFY2(!texte.contains(anglais), qPrintable(texte));
    }

    // A message of toml++ that no kind knows is still said in French, by what it was reading or at all.
    void anUnknownTomlMessageIsStillFrench() {
        QCOMPARE(TomlErrorInFrench("Error while parsing string: something new", "", 1, 1), QString("vérifiez les guillemets du texte"));
        QCOMPARE(TomlErrorInFrench("Error while parsing quaternion: something new", "", 1, 1),
                 QString("cette ligne ne suit pas le format TOML ; vérifiez ses guillemets, ses crochets et son signe ="));
    }

    void theSeanceHasItsFramingPages() {
        // The evaluation and the closing page come last, the title page first.
        QVERIFY(Lire(ScriptOf("", "[[page]]\ntype = \"cloture\"\n\n[[page]]\ntype = \"evaluation\"\n")).Texte().contains("l'avant-dernière page est l'évaluation"));
        QVERIFY(Lire("[[page]]\ndiapositive = \"D.emf\"\nfin = 10\n[[page]]\ntype = \"evaluation\"\n[[page]]\ntype = \"cloture\"\n")
                    .Texte().contains("écrivez type = \"titre\""));
        QVERIFY(Lire("").Texte().contains("aucune page"));
        QVERIFY(Lire(ScriptOf("[[page]]\ntype = \"evaluation\"\n")).Texte().contains("les deux dernières pages"));
        QVERIFY(Lire(ScriptOf("[[page]]\ntype = \"titre\"\ndiapositive = \"D.emf\"\n")).Texte().contains("seule la première page est une page de titre"));
    }

    void everyMissingFileIsNamedWhereItIsFirstNamed() {
        QTemporaryDir dir;
        const QString seance = dir.filePath("Seance2");
        WriteSeance(dir.path(), 2, ScriptOf(kPagePhotos));
        for (const char* name : {"Diapo0.emf", "Cours.pdf", "pile.jpg", "Lampe.jpg"}) QFile(seance + "/" + name).open(QIODevice::WriteOnly);
        const std::optional<LectureScript> l = LireScript(seance);
        QVERIFY(l.has_value());
        QVERIFY(!l->Reussie());
        QCOMPARE(l->erreurs.Nombre(), 2);
        const Erreur& lampe = l->erreurs.liste[0];
        QCOMPARE(std::pair(lampe.ligne, lampe.colonne), std::pair(18, 13));
        QVERIFY2(lampe.message.contains(QDir::toNativeSeparators(seance + "/lampe.jpg")), qPrintable(lampe.message));
        QVERIFY2(lampe.message.contains("écrivez « Lampe.jpg », avec ses majuscules"), qPrintable(lampe.message));
        QVERIFY2(l->erreurs.liste[1].Texte().startsWith("Seance2/seance.toml, ligne 26, colonne 13 : le fichier « " +
                                                        QDir::toNativeSeparators(seance + "/fil.jpg") + " » est introuvable"),
                 qPrintable(l->erreurs.liste[1].Texte()));
        QVERIFY(!LireScript(dir.filePath("Seance3")).has_value());
    }

    void aBrokenScriptStopsTheLessonBeforeAnyWindowWithEveryMistake() {
        QTemporaryDir dir;
        WriteCourse(dir.path());
        WriteSeance(dir.path(), 1, ScriptOf("[[page]]\ndiapositive = \"Diapo1.png\"\nfni = 10\n"));
        QString message;
        try {
            Lesson l(false, {}, dir.path());
            QFAIL("the lesson started");
        } catch (const ProgramEnded& e) {
            message = e.message;
        }
        QVERIFY2(message.contains(QDir::toNativeSeparators(dir.filePath("Seance1/seance.toml")) + " » ne peut pas être utilisé : 2 erreurs :\n"
                                  "– ligne 7, colonne 15 : « Diapo1.png » n'est pas une diapositive"),
                 qPrintable(message));
        QVERIFY2(message.endsWith("\n– ligne 8, colonne 1 : la clé « fni » est inconnue dans une page ; écrivez « fin »."), qPrintable(message));
    }
};

QTEST_MAIN(SeanceScriptReaderTest)
#include "test_seance_script_reader.moc"
