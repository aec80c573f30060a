// Séance 2 of the demo course, as a teacher made it: its slides are the pages of one PDF at séance
// 1's size with French text, every file its script names is there and can be shown, and each of
// its twenty questions is answered in so many words by one of its slides.

#include "content/banque.h"
#include "platform/picture.h"
#include "class_reports/rapport_pages.h"
#include "support/virtual_platform.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

using namespace testsupport;

namespace {

const QString kSeance2 = QStringLiteral(SEANCE_DEMO_DIR "/Seance2");
const QString kSlides = kSeance2 + QStringLiteral("/Seance2.pdf");
constexpr int kSlideCount = 14;

QStringList SlideTexts() {
    QStringList texts;
    for (int page = 1; page <= kSlideCount; ++page) texts << platform::LoadPicture(kSlides, page).Text();
    return texts;
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

    void everyRightAnswerIsInTheTextOfASlide() {
        const content::LectureGift lecture = content::LireGift(kSeance2 + QStringLiteral("/questions.gift"));
        QVERIFY2(lecture.Reussie(), qPrintable(lecture.Texte()));
        const QStringList texts = SlideTexts();
        const auto pages = resultats::PagesDesReponses(texts, *lecture.banque);
        for (int n = 1; n <= 20; ++n) {
            const content::EntreeQuestion& e = lecture.banque->Entree(n);
            QVERIFY2(!pages[size_t(n - 1)].isEmpty(),
                     qPrintable(QStringLiteral("question %1 (« %2 ») : « %3 » n'est sur aucune diapositive")
                                    .arg(n)
                                    .arg(e.question, e.reponses[0])));
        }
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
