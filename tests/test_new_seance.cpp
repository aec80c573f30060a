// "seance1 --new-seance N --from diapos.pdf": a new séance from a presentation, refused where it
// would overwrite or could not play, said not ready until its questions are written, and playing
// once they are.

#include "content/banque.h"
#include "content/lesson_content.h"
#include "content/readiness.h"
#include "content/seance.h"
#include "content/script_seance.h"
#include "content/seance_skeleton.h"
#include "platform/picture.h"
#include "platform/platform.h"
#include "platform/real_platform.h"
#include "support/program.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QtTest>

using testsupport::ProgramRun;
using testsupport::ReadAll;
using testsupport::RunProgram;

namespace {

// A presentation as a presentation program exports it: one 16:9 page per slide, with its text.
void EcrirePresentation(const QString& chemin, int pages) {
    QPdfWriter pdf(chemin);
    pdf.setResolution(72);
    pdf.setPageSize(QPageSize(QSizeF(280, 157.5), QPageSize::Millimeter));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter p(&pdf);
    for (int n = 1; n <= pages; ++n) {
        if (n > 1) pdf.newPage();
        p.setFont(QFont(QStringLiteral("DejaVu Sans"), 28));
        p.drawText(QRectF(40, 40, 700, 300), Qt::AlignLeft | Qt::TextWordWrap,
                   n == 1 ? QStringLiteral("La loi d'Ohm") : QStringLiteral("Diapositive %1 : la tension se mesure en volts.").arg(n));
    }
}

// A course folder holding the demo's séance 1 and its sounds, as a teacher's would.
void Cours(const QString& dossier) {
    const QDir demo(QStringLiteral(SEANCE_DEMO_DIR));
    QDir().mkpath(QDir(dossier).filePath("Seance1"));
    for (const QString& f : demo.entryList({"*.wav"}, QDir::Files)) QFile::copy(demo.filePath(f), QDir(dossier).filePath(f));
    const QDir un(demo.filePath("Seance1"));
    for (const QString& f : un.entryList(QDir::Files)) QFile::copy(un.filePath(f), QDir(dossier).filePath("Seance1/" + f));
}

// The questions written: each « À compléter » but those of the questions laissees.
void Remplir(const QString& chemin, QList<int> laissees = {}) {
    QString gift = QString::fromUtf8(ReadAll(chemin));
    QStringList blocs = gift.split("::Q");
    for (int i = 1; i < blocs.size(); ++i)
        if (!laissees.contains(i)) blocs[i].replace(content::kACompleter, QStringLiteral("Réponse %1").arg(i));
    QFile f(chemin);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(blocs.join("::Q").toUtf8());
}

QStringList Brouillons(const QString& dossier) {
    return QDir(dossier).entryList({".Seance*"}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
}

}  // namespace

class NewSeanceTest : public QObject {
    Q_OBJECT

private slots:
    void theSkeletonIsNotReadyUntilItsQuestionsAreWrittenThenPlays() {
        QTemporaryDir cours;
        Cours(cours.path());
        const QString pdf = cours.filePath("diapos.pdf");
        EcrirePresentation(pdf, 4);

        const content::SkeletonOutcome fait = content::WriteSeanceSkeleton(cours.path(), 3, pdf);
        QVERIFY2(fait.ok, qPrintable(fait.message));
        QCOMPARE(fait.pages, 4);
        QCOMPARE(ReadAll(cours.filePath("Seance3/Seance3.pdf")), ReadAll(pdf));
        const std::optional<content::LectureScript> script = content::LireScript(cours.filePath("Seance3"));
        QVERIFY(script && script->Reussie());
        // A teacher's slides were not drawn for the lesson's screen: they fill it.
        QVERIFY(script->script->diapositives == content::ScriptSeance::Diapositives::Ecran);
        const std::vector<content::PageScript>& pages = script->script->pages;
        // The title page, a page for each other page of the PDF, the evaluation, the closing page.
        QCOMPARE(int(pages.size()), 6);
        QVERIFY(pages[0].type == content::PageScript::Type::Titre);
        QCOMPARE(pages[0].diapositive, QString("Seance3.pdf#1"));
        QCOMPARE(pages[3].diapositive, QString("Seance3.pdf#4"));
        QCOMPARE(pages[3].fin, content::kFinParDefaut);
        QVERIFY(pages[4].type == content::PageScript::Type::Evaluation);
        QVERIFY(pages[5].type == content::PageScript::Type::Cloture);
        QVERIFY(Brouillons(cours.path()).isEmpty());

        // Not ready: the readiness, the content check and the lesson all say what is left.
        const QStringList avant = content::ChargerSeance(cours.path(), 3).Constats();
        QCOMPARE(avant.size(), 1);
        QVERIFY2(avant[0].contains("questions.gift : 20 questions encore à écrire (questions 1 à 20)"), qPrintable(avant[0]));
        QVERIFY(content::ChargerSeance(cours.path(), 1).Prete());
        {
            platform::RealPlatform reel;
            platform::SetPlatform(&reel);
            const content::Report r = content::CheckFolder(cours.path());
            platform::SetPlatform(nullptr);
            QCOMPARE(r.problems, avant);
        }
        QVERIFY_THROWS_EXCEPTION(platform::FileError, content::SeanceAJouer(cours.path(), 3));

        Remplir(cours.filePath("Seance3/questions.gift"), {3, 7, 8, 9, 12});
        QVERIFY2(content::ChargerSeance(cours.path(), 3).Constats().value(0).contains("5 questions encore à écrire (questions 3, 7 à 9 et 12)"),
                 qPrintable(content::ChargerSeance(cours.path(), 3).Constats().value(0)));
        Remplir(cours.filePath("Seance3/questions.gift"), {12});
        QVERIFY(content::ChargerSeance(cours.path(), 3).Constats().value(0).contains("une question encore à écrire (question 12)"));
        Remplir(cours.filePath("Seance3/questions.gift"));
        QVERIFY(content::ChargerSeance(cours.path(), 3).Prete());
        // A teacher's own question may well be a sentence « à compléter »: it is theirs, not the template's.
        {
            QByteArray gift = ReadAll(cours.filePath("Seance3/questions.gift"));
            gift.replace("Réponse 5 : la question 5 ?", "À compléter : la tension se mesure en ___ ?");
            gift.replace("Réponse 6 : la question 6 ?", "L'&eacute;lectron ?");
            QFile f(cours.filePath("Seance3/questions.gift"));
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(gift);
        }
        QVERIFY(content::ChargerSeance(cours.path(), 3).Prete());
        QCOMPARE(content::SeanceAJouer(cours.path(), 3).banque.Entree(12).reponses[0], QString("Réponse 12 : sa bonne réponse"));
        QCOMPARE(content::SeanceAJouer(cours.path(), 3).banque.Entree(6).question, QString("L'électron ?"));

        // Filled in, it plays: the storyboard runs it through, evaluation and closing page included.
        const ProgramRun s = RunProgram({"--storyboard", cours.filePath("s3.pdf"), "--seance", "3"}, {}, cours.path());
        QVERIFY2(s.status == 0, qPrintable(s.Out() + s.err));
        QVERIFY(ReadAll(cours.filePath("s3.pdf")).startsWith("%PDF-"));
    }

    void aPresentationExportedByImpressMakesASeanceThatPlays() {
        // tests/data/puissance.fodp, exported by LibreOffice Impress 7.4 (soffice --convert-to pdf), and
        // the twenty questions its teacher then wrote, each answered on a slide.
        const QString donnees = QStringLiteral(SEANCE_SOURCE_DIR "/tests/data/");
        QTemporaryDir cours;
        Cours(cours.path());
        const ProgramRun s = RunProgram({"--new-seance", "3", "--from", donnees + "puissance.pdf"}, {}, cours.path());
        QVERIFY2(s.status == 0, qPrintable(s.err));
        QVERIFY(s.Out().contains("la page de titre et 4 pages de diapositives"));
        // Each slide's text is the presentation's, for screen readers and the class report's page links.
        platform::RealPlatform reel;
        platform::SetPlatform(&reel);
        const QString texte = platform::LoadPicture(cours.filePath("Seance3/Seance3.pdf#3")).Text();
        platform::SetPlatform(nullptr);
        QVERIFY2(texte.contains("P = U × I"), qPrintable(texte));

        QVERIFY(QFile::remove(cours.filePath("Seance3/questions.gift")));
        QVERIFY(QFile::copy(donnees + "puissance.gift", cours.filePath("Seance3/questions.gift")));
        QVERIFY(content::ChargerSeance(cours.path(), 3).Prete());
        const ProgramRun sb = RunProgram({"--storyboard", cours.filePath("s3.pdf"), "--seance", "3"}, {}, cours.path());
        QVERIFY2(sb.status == 0, qPrintable(sb.err));
        QVERIFY2(sb.Out().contains("28 feuilles"), qPrintable(sb.Out()));
    }

    void whatCannotMakeASeanceIsRefusedAndNothingIsWritten() {
        QTemporaryDir cours;
        const QString pdf = cours.filePath("diapos.pdf");
        EcrirePresentation(pdf, 2);
        QVERIFY(content::WriteSeanceSkeleton(cours.path(), 2, pdf).ok);
        const QByteArray script = ReadAll(cours.filePath("Seance2/seance.toml"));
        QFile::remove(cours.filePath("Seance2/questions.gift"));

        // An existing séance, even a broken one, or a file of its name, is never written over.
        content::SkeletonOutcome refus = content::WriteSeanceSkeleton(cours.path(), 2, pdf);
        QVERIFY(!refus.ok);
        QVERIFY2(refus.message.contains("existe déjà"), qPrintable(refus.message));
        QCOMPARE(ReadAll(cours.filePath("Seance2/seance.toml")), script);
        QVERIFY(!QFile::exists(cours.filePath("Seance2/questions.gift")));
        QFile fichier(cours.filePath("Seance4"));
        QVERIFY(fichier.open(QIODevice::WriteOnly));
        fichier.close();
        QVERIFY(content::WriteSeanceSkeleton(cours.path(), 4, pdf).message.contains("existe déjà"));

        // Not a presentation: nothing of the séance appears.
        QFile texte(cours.filePath("notes.pdf"));
        QVERIFY(texte.open(QIODevice::WriteOnly));
        texte.write("Ceci n'est pas un PDF.\n");
        texte.close();
        QFile tronque(cours.filePath("coupe.pdf"));
        QVERIFY(tronque.open(QIODevice::WriteOnly));
        tronque.write(ReadAll(pdf).left(200));
        tronque.close();
        for (const auto& [source, raison] : {std::pair{QString("notes.pdf"), QString("ce n'est pas un fichier PDF")},
                                             std::pair{QString("coupe.pdf"), QString("PDF")},
                                             std::pair{QString("absent.pdf"), QString("introuvable")},
                                             std::pair{QString("Seance2"), QString("ce n'est pas un fichier")}}) {
            refus = content::WriteSeanceSkeleton(cours.path(), 5, cours.filePath(source));
            QVERIFY2(!refus.ok && refus.message.contains(raison), qPrintable(source + " : " + refus.message));
            QVERIFY(!QFileInfo::exists(cours.filePath("Seance5")));
        }
        QVERIFY(Brouillons(cours.path()).isEmpty());
    }

    void theCommandWritesInTheCourseFolderItRunsIn() {
        QTemporaryDir cours;
        EcrirePresentation(cours.filePath("diapos.pdf"), 3);
        const ProgramRun s = RunProgram({"--new-seance", "7", "--from", "diapos.pdf"}, {}, cours.path());
        QCOMPARE(s.status, 0);
        QVERIFY2(s.Out().startsWith("Séance 7 écrite dans") && s.Out().contains("la page de titre et 2 pages de diapositives"),
                 qPrintable(s.Out()));
        QVERIFY(QFile::exists(cours.filePath("Seance7/questions.gift")));
        const ProgramRun encore = RunProgram({"--new-seance", "7", "--from", "diapos.pdf"}, {}, cours.path());
        QCOMPARE(encore.status, 1);
        QVERIFY2(encore.err.startsWith("La séance 7 n'a pas été écrite. "), qPrintable(encore.err));

        QCOMPARE(RunProgram({"--new-seance", "3"}, {}, cours.path()).err.trimmed(),
                 QString("seance1 : il manque --from FICHIER.pdf après --new-seance 3 (seance1 --help pour l'aide)."));
        QCOMPARE(RunProgram({"--new-seance", "100", "--from", "diapos.pdf"}, {}, cours.path()).status, 2);
        QCOMPARE(RunProgram({"--results", "--from", "diapos.pdf"}, {}, cours.path()).status, 2);
        QCOMPARE(RunProgram({"--new-seance", "3", "--from", "diapos.pdf", "en-trop"}, {}, cours.path()).status, 2);
    }
};

QTEST_MAIN(NewSeanceTest)
#include "test_new_seance.moc"
