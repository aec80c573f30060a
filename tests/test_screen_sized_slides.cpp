// Slides at the screen's size: a séance that asks for it has each slide drawn as large as the screen
// allows beside the corner controls, from its vectors, its photographs grown and placed with it; a
// séance that says nothing keeps the slides' natural size.

#include "content/lesson_content.h"
#include "platform/platform.h"
#include "course_window/sl_mm.h"
#include "support/lesson.h"

#include <QPainter>
#include <QtTest>

using namespace testsupport;

namespace {

// A slide with edges that blur when a smaller drawing is enlarged: hairlines and text.
void DrawSlide(QPainter& p, QSizeF points) {
    p.fillRect(QRectF(QPointF(0, 0), points), Qt::white);
    p.setPen(QPen(Qt::black, 0.5));
    for (double x = 20; x < points.width() - 20; x += 37) p.drawLine(QPointF(x, 20), QPointF(x + 15, points.height() - 20));
    p.setFont(QFont(QStringLiteral("Liberation Sans"), 14));
    p.drawText(QPointF(30, 60), QStringLiteral("La tension se mesure en volts."));
}

QByteArray Script(const QByteArray& affichage) {
    return affichage + R"(
[[page]]
type = "titre"
diapositive = "Cours.pdf, page 1"
[[page]]
diapositive = "Cours.pdf, page 2"
fin = 30
  [[page.photo]]
  instant = 2
  cadre = 1
  fichier = "pile.jpg"
  place = "à droite de la diapositive, en haut, marge 20 px"
[[page]]
type = "evaluation"
[[page]]
type = "cloture"
)";
}

QImage Drawn(const platform::Picture& picture, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    picture.Draw(p, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

}  // namespace

class ScreenSizedSlidesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); }

    // The corner controls hold 34 px at the top, and 119 px on either side for a slide beside them.
    void aSlideTakesTheLargestPlaceBesideTheCornerControls_data() {
        QTest::addColumn<QByteArray>("affichage");
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QSizeF>("points");  // 4/3 px a point: 960 × 540 pt is 1280 × 720 px
        QTest::addColumn<QRect>("slide");
        const QByteArray ecran = "[affichage]\ndiapositives = \"écran\"\n";
        QTest::newRow("16:9, 1920 × 1080: below the controls") << ecran << QSize(1920, 1080) << QSizeF(960, 540) << QRect(30, 34, 1860, 1046);
        QTest::newRow("4:3, 1920 × 1080: between them") << ecran << QSize(1920, 1080) << QSizeF(720, 540) << QRect(240, 0, 1440, 1080);
        QTest::newRow("16:9, 1280 × 720: made smaller") << ecran << QSize(1280, 720) << QSizeF(960, 540) << QRect(30, 34, 1220, 686);
        QTest::newRow("4:3, 1280 × 720") << ecran << QSize(1280, 720) << QSizeF(720, 540) << QRect(160, 0, 960, 720);
        QTest::newRow("portrait, 1920 × 1080") << ecran << QSize(1920, 1080) << QSizeF(420, 594) << QRect(578, 0, 764, 1080);
        QTest::newRow("said nothing: natural, centred") << QByteArray() << QSize(1920, 1080) << QSizeF(960, 540) << QRect(320, 180, 1280, 720);
        QTest::newRow("naturelle") << QByteArray("[affichage]\ndiapositives = \"naturelle\"\n") << QSize(1920, 1080) << QSizeF(720, 540)
                                   << QRect(480, 180, 960, 720);
    }
    void aSlideTakesTheLargestPlaceBesideTheCornerControls() {
        QFETCH(QByteArray, affichage);
        QFETCH(QSize, screen);
        QFETCH(QSizeF, points);
        QFETCH(QRect, slide);
        QTemporaryDir dir;
        WriteCourse(dir.path());
        const QString s2 = WriteSeance(dir.path(), 2, Script(affichage));
        WritePdf(s2 + "Cours.pdf", {{points, [points](QPainter& p) { DrawSlide(p, points); }}, {points, [](QPainter&) {}}});
        WriteJpeg(s2 + "pile.jpg", 200, 100);
        SL_MM::Forget();
        Lesson l(true, [screen](VirtualPlatform& vp) { vp.screen = screen; }, dir.path(), {}, 2);
        Cour1p& w = *l.w;
        const QRect shown = OnScreen(w.Picture1);
        QVERIFY2((shown.topLeft() - slide.topLeft()).manhattanLength() <= 2 && std::abs(shown.width() - slide.width()) <= 1 &&
                     std::abs(shown.height() - slide.height()) <= 1,
                 qPrintable(QStringLiteral("%1,%2 %3×%4").arg(shown.x()).arg(shown.y()).arg(shown.width()).arg(shown.height())));
        for (const platform::Control* corner : {static_cast<platform::Control*>(&w.B_Fermer), static_cast<platform::Control*>(&w.Picture5),
                                                static_cast<platform::Control*>(&w.Picture6)})
            QVERIFY2(!shown.intersects(OnScreen(*corner)), qPrintable(corner->Name()));
        // The photograph grows with the slide, and so does its margin.
        const double zoom = slide.width() / (points.width() * 4 / 3);
        l.ClickAt(100, w.B_Pag_S);
        l.vp.StopAt(600);
        try {
            for (;;) l.vp.Yield({});
        } catch (const RunStopped&) {
        }
        const QRect photo = OnScreen(w.Picture2);
        QVERIFY(w.Picture2.Visible());
        QVERIFY2(std::abs(photo.width() - 200 * zoom) <= 1 && std::abs(photo.height() - 100 * zoom) <= 1, qPrintable(QString::number(photo.width())));
        QVERIFY(std::abs(shown.right() - photo.right() - 20 * zoom) <= 2);
        QVERIFY(std::abs(photo.top() - shown.top() - 20 * zoom) <= 2);
    }

    // The title drawn when shown, the next page's slide drawn ahead while the title was read: both
    // as the slide's vectors drawn at the new size, not a smaller drawing enlarged.
    void theSlideIsDrawnFromItsVectorsAtItsNewSize() {
        QTemporaryDir dir;
        WriteCourse(dir.path());
        const QString s2 = WriteSeance(dir.path(), 2, Script("[affichage]\ndiapositives = \"écran\"\n"));
        const QSizeF points(480, 270);  // 640 × 360 px, drawn at 1859 × 1046
        const auto slide = [points](QPainter& p) { DrawSlide(p, points); };
        WritePdf(s2 + "Cours.pdf", {{points, slide}, {points, [&](QPainter& p) { p.rotate(1); slide(p); }}});
        WriteJpeg(s2 + "pile.jpg", 200, 100);
        SL_MM::Forget();
        Lesson l(false, {}, dir.path(), {}, 2);
        l.w->Form.Show();  // only a slide on the screen is drawn ahead
        platform::RunHandler([&] { l.w->Form_Load(); });
        platform::RunHandler([&] { l.w->Form_Activate(); });
        for (int page = 0; page < 2; ++page) {
            if (page == 1) {
                l.ClickAt(500, l.w->B_Pag_S);
                l.vp.StopAt(650);
                try {
                    for (;;) l.vp.Yield({});
                } catch (const RunStopped&) {
                }
                l.w->Picture2.SetVisible(false);
            }
            const platform::Picture& picture = l.w->Picture1.GetPicture();
            const QImage shown = l.w->Picture1.Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
            QVERIFY(shown.width() > 1800);
            const QImage vectors = Drawn(picture, shown.size());
            const QImage enlarged = Drawn(picture, QSize(640, 360)).scaled(shown.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            const double fromVectors = Differing(shown, vectors), fromEnlarged = Differing(shown, enlarged);
            QVERIFY2(fromVectors < 0.005 && fromEnlarged > 0.02,
                     qPrintable(QStringLiteral("page %1: %2 %3").arg(page).arg(fromVectors).arg(fromEnlarged)));
        }
    }

    void aSeanceAtTheScreensSizeHasNothingToFit() {
        QTemporaryDir dir;
        WriteCourse(dir.path());
        const QString s2 = WriteSeance(dir.path(), 2, Script("[affichage]\ndiapositives = \"écran\"\n"));
        WritePdf(s2 + "Cours.pdf", {{QSizeF(4000, 3000), [](QPainter&) {}}});
        WriteJpeg(s2 + "pile.jpg", 200, 100);
        QCOMPARE(content::LargestSlide(dir.path(), 2), QSizeF());
    }
};

QTEST_MAIN(ScreenSizedSlidesTest)
#include "test_screen_sized_slides.moc"
