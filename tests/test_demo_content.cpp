// The demo course: generated the same on every run, complete, well-formed, laid out so that no
// photograph leaves its slide or covers another; and the content checker tells a good folder
// from a broken one.

#include "course_window/cour1p.h"
#include "support/lesson.h"
#include "support/missing_tool.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sndfile.h>
#include <uemf.h>
#include <uemf_safe.h>

#include <functional>

namespace {

const QString kDemo = QStringLiteral(SEANCE_DEMO_DIR);
const QString kGenerator = QStringLiteral(SEANCE_BIN_DIR "/tools/gen_demo/gen_demo");
const QString kChecker = QStringLiteral(SEANCE_BIN_DIR "/tools/check_content/check_content");

const QList<int> kPhotos = {1, 2, 3, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};

// Runs a program, with ENV's NAME=VALUE added to its environment; returns its exit status (-1 when
// it did not end normally) and its output.
int Run(const QString& program, const QStringList& args, QString* output = nullptr, const QStringList& env = {}) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& entry : env) environment.insert(entry.section(QLatin1Char('='), 0, 0), entry.section(QLatin1Char('='), 1));
    p.setProcessEnvironment(environment);
    p.start(program, args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit) return -1;
    if (output) *output = QString::fromUtf8(p.readAll());
    return p.exitCode();
}

QMap<QString, QByteArray> ReadTree(const QString& root) {
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path.endsWith(QStringLiteral(".generated"))) continue;  // the build's stamp
        QFile f(path);
        if (f.open(QIODevice::ReadOnly)) files.insert(QDir(root).relativeFilePath(path), f.readAll());
    }
    return files;
}

struct EmfSummary {
    QString error;  // empty when every record is well-formed
    QRect frame;
    QString text;   // all text records, joined by newlines
    QStringList fonts;
    int bitmaps = 0;
    QList<QRectF> textBoxes;  // where each text record draws, in device pixels
};

// Walks the records with libuemf's own bounds checks, as the lesson's renderer does.
EmfSummary ReadEmf(const QByteArray& data) {
    EmfSummary s;
    const char* base = data.constData();
    qsizetype off = 0;
    bool sawEof = false;
    // Logical to device scale, and the state the text records depend on.
    QSizeF window(1, 1), viewport(1, 1);
    QPointF windowOrg;
    uint32_t align = 0;
    QHash<uint32_t, double> fontHeights;
    double fontHeight = 0;
    while (off + 8 <= data.size() && !sawEof) {
        const auto* rec = reinterpret_cast<const U_EMR*>(base + off);
        if (rec->nSize < 8 || rec->nSize % 4 || off + rec->nSize > data.size()) {
            s.error = QStringLiteral("record at %1 has a bad size").arg(off);
            return s;
        }
        if (!U_emf_record_safe(base + off)) {
            s.error = QStringLiteral("record of type %1 at %2 fails libuemf's checks").arg(rec->iType).arg(off);
            return s;
        }
        switch (rec->iType) {
        case U_EMR_HEADER: {
            const auto* h = reinterpret_cast<const U_EMRHEADER*>(rec);
            s.frame = QRect(QPoint(h->rclFrame.left, h->rclFrame.top), QPoint(h->rclFrame.right, h->rclFrame.bottom));
            if (h->nBytes != static_cast<uint32_t>(data.size())) s.error = QStringLiteral("header gives a wrong length");
            break;
        }
        case U_EMR_SETWINDOWEXTEX: {
            const auto* r = reinterpret_cast<const U_EMRSETWINDOWEXTEX*>(rec);
            window = QSizeF(r->szlExtent.cx, r->szlExtent.cy);
            break;
        }
        case U_EMR_SETVIEWPORTEXTEX: {
            const auto* r = reinterpret_cast<const U_EMRSETVIEWPORTEXTEX*>(rec);
            viewport = QSizeF(r->szlExtent.cx, r->szlExtent.cy);
            break;
        }
        case U_EMR_SETWINDOWORGEX: {
            const auto* r = reinterpret_cast<const U_EMRSETWINDOWORGEX*>(rec);
            windowOrg = QPointF(r->ptlOrigin.x, r->ptlOrigin.y);
            break;
        }
        case U_EMR_SETTEXTALIGN:
            align = reinterpret_cast<const U_EMRSETTEXTALIGN*>(rec)->iMode;
            break;
        case U_EMR_SELECTOBJECT: {
            const uint32_t ih = reinterpret_cast<const U_EMRSELECTOBJECT*>(rec)->ihObject;
            if (fontHeights.contains(ih)) fontHeight = fontHeights.value(ih);
            break;
        }
        case U_EMR_EXTTEXTOUTW: {
            const auto* t = reinterpret_cast<const U_EMREXTTEXTOUTW*>(rec);
            const auto* chars = reinterpret_cast<const char16_t*>(base + off + t->emrtext.offString);
            s.text += QString::fromUtf16(chars, t->emrtext.nChars) + QLatin1Char('\n');
            // offDx follows the text header and, unless ETO_NO_RECT, its rectangle.
            const size_t offDxAt =
                sizeof(U_EMREXTTEXTOUTW) + ((t->emrtext.fOptions & U_ETO_NO_RECT) ? 0 : sizeof(U_RECTL));
            const auto* dx = reinterpret_cast<const uint32_t*>(
                base + off + *reinterpret_cast<const uint32_t*>(base + off + offDxAt));
            double width = 0;
            for (uint32_t i = 0; i < t->emrtext.nChars; ++i) width += dx[i];
            double left = t->emrtext.ptlReference.x - windowOrg.x();
            if ((align & U_TA_CENTER) == U_TA_CENTER) left -= width / 2;
            const double sx = viewport.width() / window.width(), sy = viewport.height() / window.height();
            // A line of text takes about 1.2 em from its top.
            s.textBoxes << QRectF(left * sx, (t->emrtext.ptlReference.y - windowOrg.y()) * sy, width * sx,
                                  fontHeight * 1.2 * sy);
            break;
        }
        case U_EMR_EXTCREATEFONTINDIRECTW: {
            const auto* f = reinterpret_cast<const U_EMREXTCREATEFONTINDIRECTW*>(rec);
            s.fonts << QString::fromUtf16(reinterpret_cast<const char16_t*>(f->elfw.elfLogFont.lfFaceName));
            fontHeights.insert(f->ihFont, std::abs(f->elfw.elfLogFont.lfHeight));
            break;
        }
        case U_EMR_STRETCHDIBITS:
            ++s.bitmaps;
            break;
        case U_EMR_EOF:
            sawEof = true;
            break;
        }
        off += rec->nSize;
    }
    if (!sawEof && s.error.isEmpty()) s.error = QStringLiteral("no end-of-file record");
    return s;
}

QSize PhotoPixels(int n) {
    return QImageReader(kDemo + QStringLiteral("/Seance1/Img%1.jpg").arg(n)).size();
}

// What the lesson itself puts over each slide of the demo's séance 1, in slide pixels: every control
// shown over the slide but the slide itself, once the page has run to its end (or thirty seconds
// into its animation) on a 1920 x 1080 screen. Page 0: the notice line; page 13: the animation's
// frames and its photograph; page 14: the two strips and their captions.
QMap<int, QList<QRectF>> Landings() {
    QMap<int, QList<QRectF>> pages;
    for (int page = 0; page <= 18; ++page) {
        testsupport::Lesson l(true, {}, kDemo);
        if (page > 0) {
            l.w->NumPage = int16_t(page - 1);
            l.vp.StopAt(l.vp.Elapsed() + 30000);
            if (!testsupport::RunFrom(l, l.w->B_Pag_S)) return {};
        }
        const QRect slide = testsupport::OnScreen(l.w->Picture1);
        std::function<void(const platform::Container&)> walk = [&](const platform::Container& container) {
            for (const platform::Control* c : container.Children()) {
                const QWidget* widget = c->Widget();
                if (!widget || !widget->isVisibleTo(widget->window())) continue;
                const QRect r = testsupport::OnScreen(*c);
                if (c != &l.w->Picture1 && !r.contains(slide) && r.intersects(slide))
                    pages[page] << QRectF(r.translated(-slide.topLeft()));
                if (const auto* inner = dynamic_cast<const platform::Container*>(c)) walk(*inner);
            }
        };
        walk(l.w->Form);
    }
    return pages;
}

}  // namespace

class DemoContentTest : public QObject {
    Q_OBJECT

private slots:
    void generatorWritesTheSameBytesEveryRun() {
        QTemporaryDir a, b;
        QVERIFY(a.isValid() && b.isValid());
        QCOMPARE(Run(kGenerator, {a.path()}), 0);
        // Another zone: the PDF's date stamps carry its offset.
        QCOMPARE(Run(kGenerator, {b.path()}, nullptr, {QStringLiteral("TZ=XYZ-14")}), 0);
        const auto first = ReadTree(a.path());
        const auto second = ReadTree(b.path());
        QCOMPARE(first.size(), 19 + 18 + 2 + 14 + 1);  // séance 1, the sounds, séance 2, the course's rules
        QCOMPARE(first.keys(), second.keys());
        for (auto it = first.constBegin(); it != first.constEnd(); ++it)
            QVERIFY2(it.value() == second.value(it.key()), qPrintable(it.key() + QStringLiteral(" differs")));
        // The build's own copy is the same course.
        QCOMPARE(ReadTree(kDemo).keys(), first.keys());
    }

    void eachSlideIsAWellFormedMetafileWithFrenchText_data() {
        QTest::addColumn<int>("page");
        for (int page = 0; page <= 18; ++page) QTest::addRow("Diapo%d.emf", page) << page;
    }
    void eachSlideIsAWellFormedMetafileWithFrenchText() {
        QFETCH(int, page);
        QFile f(kDemo + QStringLiteral("/Seance1/Diapo%1.emf").arg(page));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const EmfSummary emf = ReadEmf(f.readAll());
        QVERIFY2(emf.error.isEmpty(), qPrintable(emf.error));
        // 1024 x 768 pixels at 96 dpi, in hundredths of a millimetre.
        QCOMPARE(emf.frame, QRect(QPoint(0, 0), QPoint(27093, 20320)));
        QVERIFY(!emf.fonts.isEmpty());
        for (const QString& font : emf.fonts) QCOMPARE(font, QStringLiteral("Liberation Sans"));
        QVERIFY2(emf.text.contains(QChar(0x00E9)) || emf.text.contains(QChar(0x00E8)), "no accented text");
    }

    void theCourseHasItsPhotographsATitleAndAPictureInASlide() {
        int bitmaps = 0;
        for (int page = 0; page <= 18; ++page) {
            QFile f(kDemo + QStringLiteral("/Seance1/Diapo%1.emf").arg(page));
            QVERIFY(f.open(QIODevice::ReadOnly));
            bitmaps += ReadEmf(f.readAll()).bitmaps;
        }
        QVERIFY(bitmaps >= 1);
        for (int n : kPhotos) QVERIFY2(PhotoPixels(n).isValid(), qPrintable(QStringLiteral("Img%1.jpg").arg(n)));

        QFile title(kDemo + QStringLiteral("/Seance1/Diapo0.emf"));
        QVERIFY(title.open(QIODevice::ReadOnly));
        const QString text = ReadEmf(title.readAll()).text;
        QVERIFY(text.contains(QString::fromUtf8("Cours d'électricité")));
        QVERIFY(text.contains(QString::fromUtf8("Séance 1")));
    }

    void photographsStayOnTheirSlideWithoutCoveringEachOther() {
        const QRectF slide(0, 0, 1024, 768);
        const QMap<int, QList<QRectF>> pages = Landings();
        // The pages that bring photographs, frames or strips in, and the title page's notice line.
        QCOMPARE(pages.keys(), (QList<int>{0, 1, 2, 3, 9, 11, 12, 13, 14, 16}));
        for (auto it = pages.constBegin(); it != pages.constEnd(); ++it) {
            const QList<QRectF>& boxes = it.value();
            for (int i = 0; i < boxes.size(); ++i) {
                QVERIFY2(slide.contains(boxes[i]), qPrintable(QStringLiteral("page %1, box %2 leaves the slide").arg(it.key()).arg(i)));
                for (int j = i + 1; j < boxes.size(); ++j)
                    QVERIFY2(!boxes[i].intersects(boxes[j]),
                             qPrintable(QStringLiteral("page %1, boxes %2 and %3 overlap").arg(it.key()).arg(i).arg(j)));
            }
        }
    }

    // Read back from the metafiles themselves: no line of text is cut by the slide's edge or
    // hidden by what the page brings in over the slide.
    void slideTextIsNeitherCutOffNorCovered() {
        const QRectF slide(0, 0, 1024, 768);
        const QMap<int, QList<QRectF>> pages = Landings();
        for (int page = 0; page <= 18; ++page) {
            QFile f(kDemo + QStringLiteral("/Seance1/Diapo%1.emf").arg(page));
            QVERIFY(f.open(QIODevice::ReadOnly));
            const EmfSummary emf = ReadEmf(f.readAll());
            QVERIFY(!emf.textBoxes.isEmpty());
            for (const QRectF& text : emf.textBoxes) {
                const QString where = QStringLiteral("page %1, text at %2,%3").arg(page).arg(text.x()).arg(text.y());
                QVERIFY2(slide.contains(text), qPrintable(where + QStringLiteral(" is cut off")));
                for (const QRectF& box : pages.value(page))
                    QVERIFY2(!text.intersects(box), qPrintable(where + QStringLiteral(" is covered")));
            }
        }
    }

    void soundsArePcmWaveFiles() {
        for (const char* name : {"Bravo.wav", "SonMCM.wav"}) {
            SF_INFO info{};
            SNDFILE* f = sf_open(QFile::encodeName(kDemo + QLatin1Char('/') + QLatin1String(name)).constData(), SFM_READ, &info);
            QVERIFY2(f, name);
            sf_close(f);
            QCOMPARE(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
            const double seconds = static_cast<double>(info.frames) / info.samplerate;
            QVERIFY2(seconds > 0.2 && seconds < 2.0, name);
        }
    }

    void checkerPassesTheDemoAndNamesEveryBrokenFile() {
        if (!QFile::exists(kChecker)) SKIP_MISSING_TOOL("check_content is not built in this tree");
        QString out;
        QCOMPARE(Run(kChecker, {kDemo}, &out), 0);

        QTemporaryDir copy;
        QVERIFY(copy.isValid());
        const auto files = ReadTree(kDemo);
        for (auto it = files.constBegin(); it != files.constEnd(); ++it) {
            QDir(copy.path()).mkpath(QFileInfo(it.key()).path());
            QFile f(copy.filePath(it.key()));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(it.value());
        }
        QVERIFY(QFile::remove(copy.filePath(QStringLiteral("Seance1/Diapo5.emf"))));
        const QByteArray photo = files.value(QStringLiteral("Seance1/Img7.jpg"));
        QFile truncated(copy.filePath(QStringLiteral("Seance1/Img7.jpg")));
        QVERIFY(truncated.open(QIODevice::WriteOnly | QIODevice::Truncate));
        truncated.write(photo.left(photo.size() / 2));
        truncated.close();

        QCOMPARE(Run(kChecker, {copy.path()}, &out), 1);
        QVERIFY2(out.contains(QStringLiteral("Diapo5.emf")), qPrintable(out));
        QVERIFY2(out.contains(QStringLiteral("Img7.jpg")), qPrintable(out));
        QVERIFY2(!out.contains(QStringLiteral("Diapo4.emf")), qPrintable(out));

        // A picture that is something else, and a missing sound: the lesson runs without the
        // sound, so only the picture fails the check; both are named.
        QVERIFY(QFile::copy(kDemo + QStringLiteral("/Seance1/Diapo5.emf"), copy.filePath(QStringLiteral("Seance1/Diapo5.emf"))));
        QFile::remove(copy.filePath(QStringLiteral("Seance1/Img7.jpg")));
        QVERIFY(QFile::copy(kDemo + QStringLiteral("/Bravo.wav"), copy.filePath(QStringLiteral("Seance1/Img7.jpg"))));
        QVERIFY(QFile::remove(copy.filePath(QStringLiteral("SonMCM.wav"))));
        QCOMPARE(Run(kChecker, {copy.path()}, &out), 1);
        QVERIFY2(out.contains(QStringLiteral("Img7.jpg")) && out.contains(QStringLiteral("SonMCM.wav")), qPrintable(out));
        QVERIFY(QFile::remove(copy.filePath(QStringLiteral("Seance1/Img7.jpg"))));
        QVERIFY(QFile::copy(kDemo + QStringLiteral("/Seance1/Img7.jpg"), copy.filePath(QStringLiteral("Seance1/Img7.jpg"))));
        QCOMPARE(Run(kChecker, {copy.path()}, &out), 0);
        QVERIFY2(out.contains(QStringLiteral("SonMCM.wav")), qPrintable(out));

        // A wave whose broken list once kept libsndfile busy for minutes: the check ends at once,
        // and names it as the lesson would treat it, a sound it cannot play.
        QVERIFY(QFile::remove(copy.filePath(QStringLiteral("Bravo.wav"))));
        QVERIFY(QFile::copy(QStringLiteral(SEANCE_SOURCE_DIR "/fuzz/regressions/wave/list-item-size-loop.wav"),
                            copy.filePath(QStringLiteral("Bravo.wav"))));
        QCOMPARE(Run(kChecker, {copy.path()}, &out), 0);
        QVERIFY2(out.contains(QStringLiteral("Bravo.wav")) && out.contains(QStringLiteral("WAVE")), qPrintable(out));

        // Without an argument it checks the current directory.
        QProcess p;
        p.setWorkingDirectory(kDemo);
        p.start(kChecker, {});
        QVERIFY(p.waitForFinished(120000));
        QCOMPARE(p.exitCode(), 0);
    }
};

QTEST_MAIN(DemoContentTest)
#include "test_demo_content.moc"
