// The lesson fitted to a screen smaller than its slides: everything drawn at one smaller scale, each
// control where the layout puts it, the slide whole on the screen and drawn from its vectors, and
// clicks landing on the control drawn under the pointer. Where the slides fit, fitting changes nothing.

#include "content/lesson_content.h"
#include "course_window/m_orvalis2.h"
#include "support/lesson.h"
#include "support/media.h"

#include <QPainter>
#include <QtTest>
#include <cmath>

using namespace testsupport;

namespace {

const QString kDemo = QStringLiteral(SEANCE_DEMO_DIR);

// A lesson on a screen of this size, fitted as the program fits it when asked to.
std::function<void(VirtualPlatform&)> FittedOn(QSize screen) {
    return [screen](VirtualPlatform& vp) {
        vp.screen = screen;
        vp.FitOnScreen(content::LargestSlide(vp.currentDirectory));
    };
}

// Where the layout puts a control, in twips of the screen the lesson is laid out on.
QRectF LaidOut(const platform::Control& c) {
    QPointF at(c.Left(), c.Top());
    for (const platform::Container* box = c.Parent(); box; ) {
        at -= QPointF(box->ScaleLeft(), box->ScaleTop());
        const auto* inner = dynamic_cast<const platform::Control*>(box);
        if (!inner) break;
        at += QPointF(inner->Left(), inner->Top());
        box = inner->Parent();
    }
    return {at, QSizeF(c.Width(), c.Height())};
}

// Every control shown is drawn where its twips put it, at the display scale, to the pixel.
QString DrawnWhereLaidOut(const platform::Container& container) {
    const double toPixels = platform::P().DisplayScale() / platform::P().TwipsPerPixelX();
    for (const platform::Control* c : container.Children()) {
        if (!c->Visible()) continue;
        const QRectF expected(LaidOut(*c).topLeft() * toPixels, LaidOut(*c).size() * toPixels);
        const QRect drawn = OnScreen(*c);
        if (std::abs(drawn.left() - expected.left()) > 1 || std::abs(drawn.top() - expected.top()) > 1 ||
            std::abs(drawn.width() - expected.width()) > 1 || std::abs(drawn.height() - expected.height()) > 1)
            return QStringLiteral("%1 drawn at %2,%3 %4x%5, laid out for %6,%7 %8x%9")
                .arg(c->Name()).arg(drawn.x()).arg(drawn.y()).arg(drawn.width()).arg(drawn.height())
                .arg(expected.x()).arg(expected.y()).arg(expected.width()).arg(expected.height());
        if (const auto* inner = dynamic_cast<const platform::Container*>(c)) {
            const QString wrong = DrawnWhereLaidOut(*inner);
            if (!wrong.isEmpty()) return wrong;
        }
    }
    return {};
}

// A learner's click at a point of the window: the toolkit finds the control drawn there and gets
// the press and release. Returns the widget hit.
QWidget* ClickAt(Cour1p& w, QPoint at) {
    QWidget* hit = w.Form.Widget()->childAt(at);
    if (hit) QTest::mouseClick(hit, Qt::LeftButton, {}, hit->mapFrom(w.Form.Widget(), at));
    return hit;
}

// The largest difference of one colour channel between two pictures of the same size.
int MostDifference(const QImage& a, const QImage& b) {
    int most = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            most = std::max({most, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
        }
    return most;
}

}  // namespace

class FitTest : public QObject {
    Q_OBJECT

private slots:
    void theScaleMakesTheLargestSlideJustFit_data() {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QSizeF>("slidePixels");
        QTest::addColumn<double>("scale");
        QTest::newRow("1024 x 768 on 1280 x 720: the height decides") << QSize(1280, 720) << QSizeF(1024, 768) << 0.9375;
        QTest::newRow("1280 x 720 on 1024 x 768: the width decides") << QSize(1024, 768) << QSizeF(1280, 720) << 0.8;
        QTest::newRow("a slide that fits is not enlarged") << QSize(1920, 1080) << QSizeF(1024, 768) << 1.0;
        QTest::newRow("as large as the screen") << QSize(1024, 768) << QSizeF(1024, 768) << 1.0;
        QTest::newRow("a frame in the wrong units stops at a quarter") << QSize(1280, 720) << QSizeF(40000, 30000) << 0.25;
        QTest::newRow("no slide could be read") << QSize(1280, 720) << QSizeF() << 1.0;
    }
    void theScaleMakesTheLargestSlideJustFit() {
        QFETCH(QSize, screen);
        QFETCH(QSizeF, slidePixels);
        QFETCH(double, scale);
        QCOMPARE(platform::FitScale(screen, slidePixels * 15, 15, 15), scale);
    }

    // The course's 1022 x 768-pixel slides on a 1280 x 720 screen: drawn at 720 / 768, laid out on
    // a screen of 1366 x 768, the window still covering the real screen.
    void onASmallScreenTheWholeSlideIsSeenAndEveryControlKeepsItsPlace() {
        Lesson l(true, FittedOn({1280, 720}));
        Cour1p& w = *l.w;
        QCOMPARE(l.vp.DisplayScale(), 0.9375);
        QCOMPARE(l.vp.ScreenSizePixels(), QSize(1366, 768));
        const QSize window = w.Form.Widget()->size();
        QVERIFY2(window.width() - 1280 <= 1 && window.width() >= 1280 && window.height() == 720, qPrintable(QDebug::toString(window)));

        const QRect screen(0, 0, 1280, 720), slide = OnScreen(w.Picture1);
        QVERIFY2(screen.contains(slide), qPrintable(QDebug::toString(slide)));
        QCOMPARE(slide.height(), 720);
        QVERIFY((slide.center() - screen.center()).manhattanLength() <= 2);
        QCOMPARE(DrawnWhereLaidOut(w.Form), QString());
        // The notice line inside the slide, read whole in its smaller font; the corners in the screen's.
        QVERIFY(slide.contains(OnScreen(w.Label4)) && ReadsWhole(w.Label4));
        QCOMPARE(OnScreen(w.B_Fermer).topLeft(), QPoint(3, 3));
        QVERIFY(std::abs(OnScreen(w.Picture6).right() - (1280 - 1 - 3)) <= 1);
        for (const platform::Control* corner : std::initializer_list<const platform::Control*>{&w.B_Fermer, &w.Picture5, &w.Picture6})
            QVERIFY2(screen.contains(OnScreen(*corner)), qPrintable(corner->Name()));

        // Page 1 by a click on the next arrow where it is drawn: its photographs, made smaller, on the slide.
        QCOMPARE(ClickAt(w, OnScreen(w.B_Pag_S).center()), w.B_Pag_S.Widget());
        QCOMPARE(w.NumPage, int16_t(1));
        QVERIFY(w.Picture4.Visible());
        QCOMPARE(PhotographsApart(w), QString());
        QCOMPARE(OnScreen(w.Picture2).size(), (QSizeF(PhotoWidth(1), PhotoHeight(1)) * 0.9375).toSize());
        // The photograph fills its smaller frame, smoothed to its edges.
        const QImage photo = w.Picture2.Widget()->grab().toImage();
        for (const QPoint at : {QPoint(0, 0), photo.rect().center(), photo.rect().bottomRight()}) {
            const QColor seen = photo.pixelColor(at), made = QColor(Qt::darkGreen);
            QVERIFY2(std::abs(seen.red() - made.red()) + std::abs(seen.green() - made.green()) + std::abs(seen.blue() - made.blue()) < 24,
                     qPrintable(seen.name()));
        }
        QCOMPARE(DrawnWhereLaidOut(w.Form), QString());
    }

    // Every answer of a question, clicked at the centre of where it is drawn, is the one chosen,
    // and Valider, clicked the same way, scores it.
    void aClickWhereAnAnswerIsDrawnChoosesThatAnswer() {
        Lesson l(true, FittedOn({1280, 720}));
        Cour1p& w = *l.w;
        StartEvaluation(l);
        QCOMPARE(DrawnWhereLaidOut(w.Form), QString());
        const QRect slide = OnScreen(w.Picture1);
        QVERIFY(slide.contains(OnScreen(w.Label3)) && ReadsWhole(w.Label3));
        QCOMPARE(w.Label3.Widget()->font().pointSizeF(), 13.5 * 0.9375);
        for (int i : {3, 1, 2, 0}) {
            const QRect answer = OnScreen(w.Option1(i));
            QVERIFY(slide.contains(answer));
            QCOMPARE(ClickAt(w, answer.center()), w.Option1(i).Widget());
            QVERIFY2(w.Option1(i).Value(), qPrintable(w.Option1(i).Caption()));
            QCOMPARE(w.ReponseJuste, i == 0 ? M_Orvalis2::Vrai : M_Orvalis2::Faux);
        }
        QCOMPARE(ClickAt(w, OnScreen(w.B_Valider).center()), w.B_Valider.Widget());
        QCOMPARE(w.Note, 1.0);
        QCOMPARE(w.NumQuestion, int16_t(2));
    }

    // The demo course's slide, fitted, is drawn again from its vectors at its smaller size: the very
    // pixels the renderer gives at that size, not a picture of its natural size made smaller.
    void aFittedSlideIsDrawnFromItsVectorsAtItsSize() {
        Lesson l(true, FittedOn({1280, 720}), kDemo);
        Cour1p& w = *l.w;
        QCOMPARE(OnScreen(w.Picture1).size(), QSize(960, 720));
        w.Label4.SetVisible(false);  // the slide alone
        const QImage drawn = w.Picture1.Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QImage vectors(960, 720, QImage::Format_RGB32);
        vectors.fill(QColor(227, 228, 234));
        {
            QPainter p(&vectors);
            w.Picture1.GetPicture().Draw(p, QRectF(0, 0, 960, 720));
        }
        // Within rounding of the pixmap's format; a slide drawn at its natural size and made smaller
        // is off by up to 145 levels along every edge.
        QVERIFY2(MostDifference(drawn, vectors) <= 8, qPrintable(QString::number(MostDifference(drawn, vectors))));
    }

    // The scale is the played séance's: séance 2's PDF pages, larger than séance 1's slides, the
    // largest of its pages (a slide in steps included) just fitting the screen.
    void theSlidesOfThePlayedSeanceSetTheScale() {
        QTemporaryDir dir;
        WriteCourse(dir.path());
        const QString s2 = WriteSeance(dir.path(), 2, R"([[page]]
type = "titre"
diapositive = "Cours.pdf, page 1"
[[page]]
diapositive = "Cours.pdf, page 1"
fin = 20
  [[page.etape]]
  instant = 10
  diapositive = "Cours.pdf, page 2"
[[page]]
type = "evaluation"
[[page]]
type = "cloture"
)");
        const auto page = [](QPainter& p) { p.drawText(QPointF(40, 60), QStringLiteral("La tension")); };
        WritePdf(s2 + "Cours.pdf", {{QSizeF(768, 576), page}, {QSizeF(960, 720), page}, {QSizeF(1920, 1440), page}});
        Lesson l(true, [&](VirtualPlatform& vp) {
            vp.screen = QSize(1280, 720);
            vp.FitOnScreen(content::LargestSlide(dir.path(), 2));
        }, dir.path(), {}, 2);
        QCOMPARE(l.vp.DisplayScale(), 0.75);
        // Page 3, twice as large, is in the file but not in the séance.
        QCOMPARE(content::LargestSlide(dir.path(), 2), QSizeF(960 * 20, 720 * 20));
        QCOMPARE(content::LargestSlide(dir.path(), 1), QSizeF(FrameTwips(kSlideFrameW), FrameTwips(kSlideFrameH)));
        l.vp.StopAt(1500);
        QVERIFY(StoppedInside(l, l.w->B_Pag_S));
        // The step's larger page, whole on the screen.
        QCOMPARE(l.w->Picture1.GetPicture().SizeTwips(), QSizeF(960 * 20, 720 * 20));
        QCOMPARE(OnScreen(l.w->Picture1).size(), QSize(960, 720));
        QCOMPARE(DrawnWhereLaidOut(l.w->Form), QString());
    }

    // Where the slides fit, asking for fitting changes nothing: the same screen, pixel for pixel.
    void whereTheSlidesFitNothingChanges() {
        QStringList seen;
        {
            Lesson fitted(true, FittedOn({1920, 1080}));
            QCOMPARE(fitted.vp.DisplayScale(), 1.0);
            seen = Screen(*fitted.w);
        }
        Lesson plain(true);
        QCOMPARE(seen, Screen(*plain.w));
    }
};

QTEST_MAIN(FitTest)
#include "test_fit.moc"
