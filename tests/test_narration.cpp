// Narration: a page plays its sounds at their instants, each one's words in a band under the slide
// while it plays and told to screen readers; « après le son » ends the run when the last one ends;
// leaving the page stops the sound at once; check_content names a sound it cannot read.

#include "content/lesson_content.h"
#include "course_window/sl_mm.h"
#include "support/lesson.h"

#include <QFile>
#include <QtTest>
#include <sndfile.h>

using namespace testsupport;

namespace {

// A second and a half of a quiet tone.
void WriteVoice(const QString& path, int format) {
    SF_INFO info{};
    info.samplerate = 22050;
    info.channels = 1;
    info.format = format;
    SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    QVERIFY(f);
    std::vector<float> samples(22050 * 3 / 2, 0.1f);
    sf_writef_float(f, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(f);
}

void RunUntil(Lesson& l, qint64 ms) {
    l.vp.StopAt(ms);
    try {
        for (;;) l.vp.Yield({});
    } catch (const RunStopped&) {
    }
}

// Page 1 says its sentence at 0,5 s and lasts as long as it, held; page 2 runs 2 s.
QByteArray Script(const QByteArray& voix) {
    return R"([affichage]
diapositives = "écran"
[[page]]
type = "titre"
diapositive = "T.emf"
[[page]]
diapositive = "A.emf"
fin = "après le son"
attendre = "oui"
  [[page.son]]
  instant = 5
  fichier = ")" + voix + R"("
  texte = "Le courant circule de la borne plus vers la borne moins."
[[page]]
diapositive = "B.emf"
fin = 20
[[page]]
type = "evaluation"
[[page]]
type = "cloture"
)";
}

QString WriteNarratedSeance(const QString& course, const QString& voix, int format) {
    WriteCourse(course);
    const QString s2 = WriteSeance(course, 2, Script(voix.toUtf8()));
    for (const char* slide : {"T.emf", "A.emf", "B.emf"}) WriteEmf(s2 + slide, kSlideFrameW, kSlideFrameH);
    WriteVoice(s2 + voix, format);
    return s2;
}

}  // namespace

class NarrationTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); }

    void theCaptionShowsWhileTheSoundPlaysAndThePageEndsAfterIt_data() {
        QTest::addColumn<QString>("voix");
        QTest::addColumn<int>("format");
        QTest::newRow("WAV") << "voix.wav" << (SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        QTest::newRow("MP3") << "voix.mp3" << (SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III);
    }
    void theCaptionShowsWhileTheSoundPlaysAndThePageEndsAfterIt() {
        QFETCH(QString, voix);
        QFETCH(int, format);
        QTemporaryDir dir;
        const QString s2 = WriteNarratedSeance(dir.path(), voix, format);
        SL_MM::Forget();
        Lesson l(true, {}, dir.path(), {}, 2);
        Cour1p& w = *l.w;
        // Read inside the run: stopping it to look would end the page's loop.
        QStringList seen;
        const auto note = [&](qint64 ms) {
            l.vp.At(ms, [&, ms] {
                seen << QStringLiteral("%1 %2 %3").arg(ms).arg(w.Legende.Visible() ? "caption" : "-").arg(w.B_Pag_S.Enabled() ? "free" : "held");
            });
        };
        QRect slide, band;
        l.vp.At(1700, [&] { slide = OnScreen(w.Picture1), band = OnScreen(w.Legende); });
        l.ClickAt(1000, w.B_Pag_S);
        // The sound starts with the 5th tick (1,5 s) and lasts 1,5 s: the page held until then, not longer.
        note(1700);
        note(2800);
        note(3300);
        RunUntil(l, 3400);
        QCOMPARE(seen, (QStringList{"1700 caption held", "2800 caption held", "3300 - free"}));
        QCOMPARE(w.Legende.Caption(), QString("Le courant circule de la borne plus vers la borne moins."));
        QVERIFY(l.vp.SoundCommands().contains("sound " + s2 + voix));
        QVERIFY(!l.vp.SoundCommands().contains("stop"));  // it ended by itself
        bool told = false;
        for (const auto& a : l.vp.Announcements()) told = told || a.text.startsWith("Le courant circule");
        QVERIFY(told);
        // Under the slide, as wide, on the screen.
        QVERIFY2(band.top() >= slide.bottom() && band.left() == slide.left() && band.width() == slide.width() && band.bottom() < 1080,
                 qPrintable(QStringLiteral("%1 %2 %3").arg(band.top()).arg(slide.bottom()).arg(band.bottom())));
    }

    void leavingThePageStopsItsSoundAtOnce() {
        QTemporaryDir dir;
        WriteNarratedSeance(dir.path(), "voix.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        SL_MM::Forget();
        Lesson l(true, {}, dir.path(), {}, 2);
        Cour1p& w = *l.w;
        l.ClickAt(1000, w.B_Pag_S);
        l.ClickAt(2000, w.B_Pag_P);  // in the middle of the sentence
        RunUntil(l, 2001);
        QCOMPARE(w.NumPage, int16_t(0));
        QCOMPARE(l.vp.SoundCommands().last(), QString("stop"));
        QVERIFY(!w.Legende.Visible());
    }

    void aSoundThatCannotBeReadIsNamed() {
        VirtualPlatform vp;  // the pictures are read as the lesson reads them
        QTemporaryDir dir;
        const QString s2 = WriteNarratedSeance(dir.path(), "voix.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS);
        QCOMPARE(content::CheckFolder(dir.path()).problems, QStringList());
        QFile f(s2 + "voix.ogg");
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("OggS, then nothing that plays");
        f.close();
        const QStringList problems = content::CheckFolder(dir.path()).problems;
        QCOMPARE(problems.size(), 1);
        QVERIFY2(problems[0].contains("voix.ogg") && problems[0].contains("ne peut pas être lu"), qPrintable(problems[0]));
    }
};

QTEST_MAIN(NarrationTest)
#include "test_narration.moc"
