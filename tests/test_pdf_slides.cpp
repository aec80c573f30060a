// Slides exported as PDF: a page of a PDF is a picture with its natural size, its text, drawn at the
// device's own resolution (the part asked for, nothing else), as vectors on paper, and refused in
// plain French when it cannot be shown.

#include "platform/picture.h"
#include "support/media.h"
#include "support/virtual_platform.h"

#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QtTest>

using namespace testsupport;
using platform::FileError;
using platform::LoadPicture;

namespace {

// Two slides as a presentation program exports them: a 4:3 page with a title, a diagram and a
// hairline; a 16:9 page with other words.
void WriteSlides(const QString& path) {
    WritePdf(path, {{QSizeF(768, 576),
                     [](QPainter& p) {
                         p.fillRect(QRectF(0, 0, 768, 576), QColor(250, 249, 243));
                         p.setPen(QColor(22, 52, 128));
                         p.setFont(QFont(QStringLiteral("Liberation Sans"), 30, QFont::Bold));
                         p.drawText(QPointF(40, 60), QStringLiteral("La loi d'Ohm"));
                         p.setFont(QFont(QStringLiteral("Liberation Sans"), 18));
                         p.drawText(QPointF(40, 120), QStringLiteral("U = R × I : la tension en volts, la résistance en ohms."));
                         p.setPen(QPen(Qt::black, 0.75));
                         p.setBrush(QColor(214, 110, 24));
                         p.drawEllipse(QPointF(400, 330), 120, 120);
                         p.drawLine(QPointF(100.5, 200), QPointF(100.5, 500));
                     }},
                    {QSizeF(960, 540), [](QPainter& p) {
                         p.setPen(Qt::black);
                         p.drawText(QPointF(40, 80), QStringLiteral("L'ampèremètre se branche en série."));
                     }}});
}

QString Reason(const QString& path, int page = 1) {
    try {
        LoadPicture(path, page);
    } catch (const FileError& e) {
        return e.reason;
    }
    return {};
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The picture drawn over logical size at a device pixel ratio, on grey, optionally clipped.
QImage Drawn(const platform::Picture& picture, QSizeF logical, qreal dpr, QRectF clip = {}) {
    QImage image((logical * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(QColor(128, 128, 128));
    QPainter p(&image);
    if (!clip.isNull()) p.setClipRect(clip);
    picture.Draw(p, QRectF(QPointF(0, 0), logical));
    return image;
}

}  // namespace

class PdfSlidesTest : public QObject {
    Q_OBJECT
    VirtualPlatform vp;
    QTemporaryDir dir;
    QString slides;

private slots:
    void initTestCase() {
        slides = dir.filePath(QStringLiteral("Diapositives.pdf"));
        WriteSlides(slides);
    }

    // Points at 96 dpi as an EMF's frame: 20 twips a point; each page its own size and words.
    void aPageHasItsNaturalSizeAndItsWords() {
        const platform::Picture first = LoadPicture(slides);
        QVERIFY(first.IsVector());
        QCOMPARE(first.SizeTwips(), QSizeF(768 * 20, 576 * 20));
        QCOMPARE(LoadPicture(slides, 1).Identity(), first.Identity());
        // As a script names it: the file, '#', the page.
        QCOMPARE(LoadPicture(slides + QStringLiteral("#2")).SizeTwips(), QSizeF(960 * 20, 540 * 20));
        const QString text = first.Text();
        QVERIFY2(text.startsWith(QStringLiteral("La loi d'Ohm")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("U = R × I : la tension en volts, la résistance en ohms.")), qPrintable(text));

        const platform::Picture second = LoadPicture(slides, 2);
        QVERIFY(!second.SameAs(first));
        QCOMPARE(second.SizeTwips(), QSizeF(960 * 20, 540 * 20));
        QCOMPARE(second.Text(), QStringLiteral("L'ampèremètre se branche en série."));
    }

    // At a device pixel ratio of 2 the page is drawn again at twice the resolution, exactly as it
    // is at ratio 1 on a target twice the size, and not enlarged from the ratio-1 drawing.
    void aPageIsSharpAtEveryDevicePixelRatio() {
        const platform::Picture page = LoadPicture(slides);
        const QSizeF logical(384, 288);  // the slide shown at half its size (a fitted lesson)
        const QImage atTwo = Drawn(page, logical, 2).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(atTwo.size(), QSize(768, 576));
        const QImage doubled = Drawn(page, logical * 2, 1).convertToFormat(QImage::Format_RGB32);
        QVERIFY2(Differing(atTwo, doubled) < 0.001, qPrintable(QString::number(Differing(atTwo, doubled))));
        const QImage enlarged = Drawn(page, logical, 1).scaled(768, 576, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                    .convertToFormat(QImage::Format_RGB32);
        QVERIFY(Differing(atTwo, enlarged) > 0.005);
        // The page covers its target and nothing more: its paper colour at the corners, grey beyond.
        QImage wider(420, 300, QImage::Format_RGB32);
        wider.fill(QColor(128, 128, 128));
        {
            QPainter p(&wider);
            page.Draw(p, QRectF(10, 6, 384, 288));
        }
        QCOMPARE(QColor(wider.pixel(12, 8)), QColor(250, 249, 243));
        QCOMPARE(QColor(wider.pixel(392, 292)), QColor(250, 249, 243));
        for (const QPoint outside : {QPoint(8, 8), QPoint(396, 100), QPoint(100, 296), QPoint(100, 4)})
            QCOMPARE(QColor(wider.pixel(outside)), QColor(128, 128, 128));
    }

    // Only the part inside the clip is drawn, and it is the same as in the whole drawing: the
    // picture box asks for the part of a slide inside the window.
    void onlyTheClippedPartIsDrawnAndInItsPlace() {
        const platform::Picture page = LoadPicture(slides);
        const QSizeF logical(768, 576);
        const QRectF part(301, 211, 150, 90);
        for (const qreal dpr : {1.0, 2.0}) {
            const QImage whole = Drawn(page, logical, dpr);
            const QImage clipped = Drawn(page, logical, dpr, part);
            const QRect inside((part.topLeft() * dpr).toPoint(), (part.size() * dpr).toSize());
            QVERIFY(Differing(whole.copy(inside), clipped.copy(inside)) < 0.001);
            QCOMPARE(QColor(clipped.pixel(10, 10)), QColor(128, 128, 128));
        }
    }

    // On paper (a storyboard, a report) the page lands in its target as on screen.
    void onPaperThePageLandsInItsTarget() {
        const QString out = dir.filePath(QStringLiteral("paper.pdf"));
        {
            QPdfWriter writer(out);
            writer.setResolution(72);
            writer.setPageSize(QPageSize(QSizeF(600, 800), QPageSize::Point));
            writer.setPageMargins(QMarginsF(0, 0, 0, 0));
            QPainter p(&writer);
            LoadPicture(slides).Draw(p, QRectF(100, 200, 384, 288));
        }
        const QImage paper = Drawn(LoadPicture(out), QSizeF(600, 800), 1).convertToFormat(QImage::Format_RGB32);
        // The picture on paper may be compressed: colours within a few levels.
        const auto near = [&](int x, int y, QColor c) {
            const QRgb p = paper.pixel(x, y);
            return std::abs(qRed(p) - c.red()) + std::abs(qGreen(p) - c.green()) + std::abs(qBlue(p) - c.blue()) <= 12;
        };
        QVERIFY(near(104, 204, QColor(250, 249, 243)));  // the slide's paper
        QVERIFY(near(96, 196, Qt::white));               // the sheet's
        QVERIFY(near(488, 300, Qt::white));
        // The orange disc at the slide's centre, scaled with it.
        QVERIFY(near(100 + 200, 200 + 165, QColor(214, 110, 24)));
    }

    void unusableDocumentsAreRefusedInPlainFrench() {
        QCOMPARE(Reason(dir.filePath(QStringLiteral("Absent.pdf"))), QStringLiteral("le fichier est introuvable"));
        QCOMPARE(Reason(slides, 3), QStringLiteral("le document n'a pas de page 3 (il en a 2)"));
        QCOMPARE(Reason(slides, 0), QStringLiteral("le document n'a pas de page 0 (il en a 2)"));
        QCOMPARE(Reason(slides + QStringLiteral("#7")), QStringLiteral("le document n'a pas de page 7 (il en a 2)"));
        const QString noise = dir.filePath(QStringLiteral("bruit.pdf"));
        Write(noise, QByteArray("%PDF-1.4\n") + QByteArray(4000, '\x5a'));
        QCOMPARE(Reason(noise), QStringLiteral("ce n'est pas un fichier PDF valide"));
        // A document cut short loses its pages: refused or shown, never a crash.
        const QByteArray whole = Read(slides);
        const QString cut = dir.filePath(QStringLiteral("coupe.pdf"));
        for (const qsizetype keep : {qsizetype(20), whole.size() / 3, whole.size() - 30}) {
            Write(cut, whole.left(keep));
            const QString reason = Reason(cut);
            if (!reason.isEmpty()) QVERIFY2(reason.contains(QStringLiteral("PDF")) || reason.contains(QStringLiteral("page")), qPrintable(reason));
            else Drawn(LoadPicture(cut), QSizeF(100, 75), 1);
        }
        // A picture other than a PDF has only one page.
        QVERIFY(Reason(dir.filePath(QStringLiteral("bruit.pdf")), 2).contains(QStringLiteral("PDF")));
        const QString png = dir.filePath(QStringLiteral("une.png"));
        QImage(10, 10, QImage::Format_RGB32).save(png);
        QVERIFY(Reason(png, 2).contains(QStringLiteral("PDF")));
        QCOMPARE(Reason(png, 1), QString());
    }

    // What is shown is what the file holds now: a document saved again is read again.
    void aDocumentSavedAgainIsReadAgain() {
        const QString f = dir.filePath(QStringLiteral("change.pdf"));
        QFile::copy(slides, f);
        const platform::Picture before = LoadPicture(f, 2);
        QVERIFY(LoadPicture(f, 2).SameAs(before));
        {
            QPdfWriter writer(f);
            writer.setPageSize(QPageSize(QSizeF(400, 300), QPageSize::Point));
            QPainter p(&writer);
            writer.newPage();
            p.drawText(QPointF(20, 40), QStringLiteral("Deuxième version"));
        }
        QFile::setPermissions(f, QFile::permissions(f));  // same second: the size differs anyway
        const platform::Picture after = LoadPicture(f, 2);
        QVERIFY(!after.SameAs(before));
        QCOMPARE(after.SizeTwips(), QSizeF(400 * 20, 300 * 20));
    }
};

QTEST_MAIN(PdfSlidesTest)
#include "test_pdf_slides.moc"
