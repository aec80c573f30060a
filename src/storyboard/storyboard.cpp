#include "storyboard/storyboard.h"

#include "content/banque.h"
#include "content/course_identity.h"
#include "content/lesson_content.h"
#include "content/script_seance.h"
#include "content/seance.h"
#include "course_window/cour1p.h"
#include "platform/platform.h"
#include "storyboard/dated_output.h"
#include "storyboard/director.h"
#include "storyboard/offline_platform.h"
#include "storyboard/sheets.h"

#include <QDir>
#include <QFileInfo>
#include <QHashFunctions>
#include <QLocale>
#include <QSaveFile>
#include <ctime>

namespace storyboard {

namespace {

const QString kProgramme = QStringLiteral("Séance 1 %1.%2.%3")
                               .arg(SEANCE_VERSION_MAJOR)
                               .arg(SEANCE_VERSION_MINOR)
                               .arg(SEANCE_VERSION_PATCH);

// The date of the course: its newest file. The storyboard says when its content dates from,
// never when it was printed, so that the same course gives the same document.
QDateTime CourseDate(const QString& folder, int seance) {
    QDateTime newest;
    // The questions file is part of the content: its answer key is in the document; so is the script.
    QStringList files = content::FilesOfSeance(folder, seance);
    files << content::NomDossierSeance(seance) + QLatin1Char('/') + content::kNomScript;
    for (const QString& name : files) {
        const QDateTime t = QFileInfo(QDir(folder).filePath(name)).lastModified().toUTC();
        if (t.isValid() && (!newest.isValid() || t > newest)) newest = t;
    }
    if (!newest.isValid()) newest = QDateTime(QDate(2000, 1, 1), QTime(0, 0), Qt::UTC);
    return QDateTime(newest.date(), QTime(newest.time().hour(), newest.time().minute(), newest.time().second()),
                     Qt::UTC);
}

QByteArray Metadata(const QString& title, const QDateTime& date) {
    const QByteArray when = date.toString(Qt::ISODate).toUtf8();
    return QByteArrayLiteral("<?xpacket begin='' id='W5M0MpCehiHzreSzNTczkc9d'?>\n"
                             "<x:xmpmeta xmlns:x='adobe:ns:meta/'>\n"
                             "<rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>\n"
                             "<rdf:Description rdf:about='' xmlns:dc='http://purl.org/dc/elements/1.1/' "
                             "xmlns:xmp='http://ns.adobe.com/xap/1.0/'>\n"
                             "<dc:title><rdf:Alt><rdf:li xml:lang='x-default'>") +
           title.toHtmlEscaped().toUtf8() +
           QByteArrayLiteral("</rdf:li></rdf:Alt></dc:title>\n<xmp:CreateDate>") + when +
           QByteArrayLiteral("</xmp:CreateDate>\n</rdf:Description>\n</rdf:RDF>\n</x:xmpmeta>\n"
                             "<?xpacket end='w'?>");
}

QStringList TitleLines(const QString& folder, const QDateTime& date, const content::Seance& lue, int seance) {
    const content::BanqueQuestions& banque = lue.banque;
    const QLocale fr(QLocale::French, QLocale::France);
    QStringList lines{
        QStringLiteral("Version %1.%2.%3").arg(SEANCE_VERSION_MAJOR).arg(SEANCE_VERSION_MINOR).arg(SEANCE_VERSION_PATCH),
        QStringLiteral("Déroulé de la leçon et corrigé de l'évaluation"),
        QStringLiteral("Contenu du dossier « %1 », daté du %2")
            .arg(QFileInfo(folder).fileName(), fr.toString(date.date(), QStringLiteral("d MMMM yyyy"))),
    };
    // Séance 1's own pages keep the document's words as they always were.
    if (lue.scriptIntegre) {
        lines << QStringLiteral("Pages 0 à 18 : chaque page telle qu'elle se construit, avec l'instant où chaque image "
                                "arrive depuis l'entrée dans la page. Pages 13 et 14 : leurs animations image par image. "
                                "Page 19 : les vingt questions de l'évaluation avec leur bonne réponse. Puis la page 20 et "
                                "la fenêtre « À propos ».");
    } else {
        const int evaluation = lue.script.PageEvaluation();
        lines << QStringLiteral("Pages 0 à %1 : chaque page telle qu'elle se construit, avec l'instant où chaque image "
                                "arrive depuis l'entrée dans la page, et ses animations image par image. Page %2 : %3 "
                                "de l'évaluation avec leur bonne réponse. Puis la page %4 et la fenêtre "
                                "« À propos ». Les pages suivent le script « %5/%6 ».")
                     .arg(evaluation - 1)
                     .arg(evaluation)
                     .arg(content::LesQuestions(banque.Nombre()))
                     .arg(evaluation + 1)
                     .arg(content::NomDossierSeance(seance), content::kNomScript);
    }
    // Said only for a course's own questions: the built-in bank's document stays as it always was.
    if (banque != content::BanqueQuestions::Integree())
        lines << QStringLiteral("Questions de l'évaluation : celles du fichier « %1 » du cours (banque %2).")
                     .arg(content::CheminQuestions(seance), banque.Identite());
    return lines;
}

QString Failure(const QString& pdfPath, const QString& reason) {
    return QStringLiteral("Le déroulé n'a pas été écrit dans « %1 » : %2.").arg(QDir::toNativeSeparators(pdfPath), reason);
}

}  // namespace

Outcome Write(const QString& folder, const QString& pdfPath, int seance) {
    Outcome outcome;
    OfflinePlatform platform;
    platform.currentDirectory = folder;

    // Every file first, with the lesson's own loader: a missing or broken one is named before anything
    // is written, and the run below cannot stop half-way on one.
    const content::Report report = content::CheckFolder(folder);
    if (!report.CourseWillRun()) {
        outcome.message = report.problems.join(QLatin1Char('\n')) + QLatin1Char('\n') +
                          Failure(pdfPath, QStringLiteral("la leçon s'arrêterait sur ces fichiers"));
        return outcome;
    }

    const QDateTime date = CourseDate(folder, seance);
    platform.timeAtStart = date;
    // Written beside the target under another name, renamed once whole: never a half-written PDF,
    // and an earlier file of that name stays as it was until then.
    QSaveFile file(pdfPath);
    if (!file.open(QIODevice::WriteOnly)) {
        const QDir where = QFileInfo(pdfPath).absoluteDir();
        outcome.message = Failure(pdfPath, where.exists() ? QStringLiteral("le fichier ne peut pas y être créé")
                                                          : QStringLiteral("le dossier « %1 » n'existe pas")
                                                                .arg(QDir::toNativeSeparators(where.path())));
        return outcome;
    }
    // The PDF writer stamps the time of writing; the course's date goes in its place.
    DatedOutput output(&file, date.toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1());
    output.open(QIODevice::WriteOnly);
    try {
        content::Seance lue = content::SeanceAJouer(folder, seance);
        content::LireTitre(lue);
        const QString titre = content::TitreSeance(seance, lue.titre);
        const QString title = titre + QStringLiteral(" — déroulé de la leçon");
        Sheets sheets(&output, title, kProgramme, Metadata(title, date));
        sheets.TitlePage(titre, TitleLines(folder, date, lue, seance));
        Cour1p course(nullptr, &lue);
        Director(course, platform, sheets, lue.script).Run();
        if (!sheets.Finish()) {
            outcome.message = Failure(pdfPath, QStringLiteral("le document n'a pas pu être composé"));
            return outcome;
        }
        outcome.sheets = sheets.Count();
    } catch (const LessonEnded& e) {
        outcome.message = e.message + QLatin1Char('\n') + Failure(pdfPath, QStringLiteral("la leçon s'est arrêtée"));
        return outcome;
    } catch (const platform::FileError& e) {
        outcome.message = e.message() + QLatin1Char('\n') + Failure(pdfPath, QStringLiteral("la leçon s'est arrêtée"));
        return outcome;
    }
    output.close();
    if (!file.commit()) {
        outcome.message = Failure(pdfPath, QStringLiteral("l'écriture a échoué (disque plein ?)"));
        return outcome;
    }
    outcome.ok = true;
    outcome.message = QStringLiteral("Déroulé écrit dans « %1 » : %2 feuilles.")
                          .arg(QDir::toNativeSeparators(pdfPath))
                          .arg(outcome.sheets);
    return outcome;
}

void PrepareForPaper() {
    // Nothing is shown: the windows paint straight onto the sheets.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The PDF writer lists its fonts in hash order, and stamps its date with the local time
    // zone: a fixed seed and universal time give the same bytes on every run and every machine.
    QHashSeed::setDeterministicGlobalSeed();
    qputenv("TZ", "UTC");
    tzset();
}

}  // namespace storyboard
