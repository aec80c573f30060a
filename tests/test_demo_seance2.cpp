// Séance 2 of the demo course, as a teacher made it: its slides are the pages of one PDF at séance
// 1's size with French text, every file its script names is there and can be shown, and each of
// its twenty questions is answered in so many words by one of its slides.

#include "content/banque.h"
#include "platform/picture.h"
#include "class_reports/rapport.h"
#include "class_reports/rapport_pages.h"
#include "support/virtual_platform.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace testsupport;

namespace {

const QString kSeance2 = QStringLiteral(SEANCE_DEMO_DIR "/Seance2");
const QString kSlides = kSeance2 + QStringLiteral("/Seance2.pdf");
constexpr int kSlideCount = 14;


QString ListOf(const QList<int>& pages) {
    QStringList out;
    for (int p : pages) out << QString::number(p);
    return out.join(QLatin1Char(','));
}

}  // namespace

class DemoSeance2Test : public QObject {
    Q_OBJECT
    VirtualPlatform vp;

private slots:
    void slidesArePagesOfOnePdfAtTheSizeOfSeance1s() {
        for (int page = 1; page <= kSlideCount; ++page) {
            const platform::Picture slide = platform::LoadPicture(kSlides, page);
            // 1024 × 768 pixels at 96 dpi, shown as séance 1's slides are.
            QCOMPARE(slide.SizeTwips(), QSizeF(1024 * 15, 768 * 15));
            QVERIFY2(slide.Text().contains(QChar(0x00E9)) || slide.Text().contains(QChar(0x00E8)), qPrintable(slide.Text()));
        }
        QVERIFY_THROWS_EXCEPTION(platform::FileError, platform::LoadPicture(kSlides, kSlideCount + 1));
    }

    // The class report finds each right answer on the page of the séance that teaches it, from the
    // text of that page's slides (a slide in steps all of them), and shows that slide beside it.
    void everyRightAnswerIsOnThePageThatTeachesIt() {
        const content::LectureGift lecture = content::LireGift(kSeance2 + QStringLiteral("/questions.gift"));
        QVERIFY2(lecture.Reussie(), qPrintable(lecture.Texte()));
        const resultats::Diapos diapos = resultats::LireDiapos(QStringLiteral(SEANCE_DEMO_DIR), *lecture.banque, 2);
        // Fourteen pages: a slide each, the evaluation and the closing page none; page 8 in three steps,
        // shown whole.
        QCOMPARE(diapos.textes.size(), 14);
        QCOMPARE(diapos.vignettes.size(), 14);
        QVERIFY(diapos.vignettes[12].isEmpty() && diapos.vignettes[13].isEmpty() && diapos.textes[12].isEmpty());
        QVERIFY(diapos.vignettes[8].endsWith(QStringLiteral("/Seance2/Seance2.pdf#11")));
        QVERIFY(diapos.textes[8].contains(QStringLiteral("R = U / I")));
        // Where the slides say it (each slide's footer names its page); page 11, the summary, says most
        // of it again; the title page, which names the subjects, teaches none.
        const std::map<int, QList<int>> taught{
            {1, {2, 11}}, {2, {2, 11}}, {3, {2}},     {4, {3, 11}},    {5, {3}},  {6, {2}},  {7, {4, 11}},
            {8, {4, 11}}, {9, {5, 11}}, {10, {5}},    {11, {4, 11}},   {12, {4}}, {13, {11}}, {14, {6}},
            {15, {7}},    {16, {8, 9, 11}}, {17, {9}}, {18, {8}},      {19, {6}}, {20, {11}}};
        QStringList wrong;
        for (int n = 1; n <= 20; ++n) {
            const content::EntreeQuestion& e = lecture.banque->Entree(n);
            if (diapos.pages[size_t(n - 1)] != taught.at(n))
                wrong << QStringLiteral("question %1 (« %2 ») : « %3 » trouvé pages %4")
                             .arg(n)
                             .arg(e.question, e.reponses[0])
                             .arg(ListOf(diapos.pages[size_t(n - 1)]));
        }
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1Char('\n'))));

        // On paper, each question's sheet shows that page's slide, read from the PDF.
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("rapport.pdf"));
        const resultats::RapportClasse rapport = resultats::Calculer({}, false, *lecture.banque);
        QCOMPARE(resultats::EcrirePdfRapport(rapport, diapos, pdf, dir.path()), QString());
        QString text;
        for (int sheet = 1; sheet <= resultats::FeuillesRapport(rapport); ++sheet) text += platform::LoadPicture(pdf, sheet).Text();
        QCOMPARE(text.count(QStringLiteral("Enseignée page")), 20);
        QVERIFY2(!text.contains(QStringLiteral("illisible")) && !text.contains(QStringLiteral("aucune diapositive")), qPrintable(text));
    }

    // What the script names is in the folder and shows: each slide page, photograph and frame.
    void everyFileTheScriptNamesCanBeShown() {
        QFile script(kSeance2 + QStringLiteral("/seance.toml"));
        QVERIFY(script.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(script.readAll());
        static const QRegularExpression slide(QStringLiteral("\"Seance2\\.pdf, page (\\d+)\""));
        QSet<int> pages;
        for (const auto& m : slide.globalMatch(text)) pages << m.captured(1).toInt();
        QCOMPARE(pages.size(), kSlideCount);  // every slide of the PDF is shown
        for (int page : pages) QVERIFY(!platform::LoadPicture(kSlides, page).IsNull());
        static const QRegularExpression file(QStringLiteral("\"([a-z0-9_]+\\.(?:jpg|png))\""));
        int files = 0;
        for (const auto& m : file.globalMatch(text)) {
            const platform::Picture picture = platform::LoadPicture(kSeance2 + QLatin1Char('/') + m.captured(1));
            QVERIFY2(!picture.IsNull(), qPrintable(m.captured(1)));
            ++files;
        }
        QCOMPARE(files, 5 + 6);  // five photographs, six frames of the animation
    }
};

QTEST_MAIN(DemoSeance2Test)
#include "test_demo_seance2.moc"
