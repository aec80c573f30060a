// Inputs that once crashed or hung a decoder under the fuzzer, replayed through the same steps:
// each must now be decoded or refused, and draw without fault.

#include "content/script_seance.h"
#include "platform/picture.h"
#include "platform/platform.h"
#include "platform/wave_decode.h"
#include "support/program.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QtTest>
#include <sys/resource.h>

#include <chrono>
#include <future>
#include <memory>
#include <thread>

using testsupport::ReadAll;

namespace {

QStringList Inputs(const QString& kind) {
    // Beside the sources: the test is built from tests/, the inputs live in fuzz/regressions/.
    const QString dir = QFileInfo(QStringLiteral(__FILE__)).absolutePath() + "/../fuzz/regressions/" + kind;
    QStringList files;
    QDirIterator it(dir, QDir::Files);
    while (it.hasNext()) files << it.next();
    files.sort();
    return files;
}

}  // namespace

class FuzzRegressionsTest : public QObject {
    Q_OBJECT

private slots:
    void picturesDecodeOrAreRefused() {
        const QStringList files = Inputs("picture");
        if (files.isEmpty()) QSKIP("no picture regression input");
        for (const QString& f : files) {
            try {
                const platform::Picture picture = platform::DecodePicture(ReadAll(f), 15, 15, f);
                QImage canvas(96, 72, QImage::Format_ARGB32_Premultiplied);
                canvas.fill(Qt::white);
                QPainter painter(&canvas);
                picture.Draw(painter, QRectF(0, 0, 96, 72));
                // Some inputs once made the painter allocate gigabytes (glyph images under a
                // stretched transform): the whole replay must stay small.
                rusage usage{};
                getrusage(RUSAGE_SELF, &usage);
                QVERIFY2(usage.ru_maxrss < 512 * 1024, qPrintable(f));  // kilobytes
            } catch (const platform::FileError& e) {
                QVERIFY2(!e.reason.isEmpty(), qPrintable(f));
            }
        }
    }

    void wavesDecodeOrAreSkipped() {
        const QStringList files = Inputs("wave");
        if (files.isEmpty()) QSKIP("no wave regression input");
        for (const QString& f : files) {
            // Some of these once kept the decoder going for minutes: a replay that does not end in
            // time fails rather than hangs the suite. A thread still stuck ends with the process.
            auto done = std::make_shared<std::promise<void>>();
            std::future<void> finished = done->get_future();
            std::thread([bytes = ReadAll(f), done] {
                const auto wave = platform::DecodeWave(bytes);
                if (wave) (void)platform::ToPcm(*wave, platform::OutputCaps{});
                done->set_value();
            }).detach();
            QVERIFY2(finished.wait_for(std::chrono::seconds(30)) == std::future_status::ready, qPrintable(f));
        }
    }

    void scriptsAreReadOrRefused() {
        // The seeds too: the reader's own examples, which must read.
        const QString seeds = QFileInfo(QStringLiteral(__FILE__)).absolutePath() + "/../fuzz/seeds/script";
        for (const QString& f : QDir(seeds).entryList({"*.toml"}, QDir::Files)) {
            const content::LectureScript l = content::LireScriptDonnees(ReadAll(seeds + "/" + f), f);
            QVERIFY2(l.Reussie(), qPrintable(l.Texte()));
        }
        for (const QString& f : Inputs("script")) {
            const content::LectureScript l = content::LireScriptDonnees(ReadAll(f), f);
            QVERIFY2(l.Reussie() != !l.erreurs.Vide(), qPrintable(f));
            for (const content::Erreur& e : l.erreurs.liste) QVERIFY2(e.ligne >= 1 && !e.message.isEmpty(), qPrintable(f));
        }
    }
};

QTEST_MAIN(FuzzRegressionsTest)
#include "test_fuzz_regressions.moc"
