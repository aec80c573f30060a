// The class folder of the class report's benchmark (bench/class_report_speed makes it), read in
// process whole and as the commands read it, alone and with the report's and --results' counting,
// to tell where the time goes. Prints "name: value unit".
//   bench_class_reading [FOLDER]   (default: the 10 000 learners' class in the build folder)
#include "bench_common.h"
#include "class_reports/bilan.h"
#include "statements/lecture_declarations.h"
#include "statements/lecture_journal.h"
#include "class_reports/rapport_classe.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString dossier = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(SEANCE_BIN_DIR "/bench_class_10000");
    if (!QDir(dossier).exists()) {
        std::printf("class_reading: skipped (no class in %s: run bench/class_report_speed first)\n", qPrintable(dossier));
        return 0;
    }
    // BENCH_ONLY=fast_read_only (a figure's name without its prefix) runs that one alone, for a profiler.
    const QString seul = qEnvironmentVariable("BENCH_ONLY");
    // The journals read whole (the recording's reading), alone and counted as an LRS's statements.
    for (int quoi = 0; quoi < 3; ++quoi) {
        const char* etape = quoi == 0 ? "read_only" : quoi == 1 ? "with_report" : "with_results";
        if (!seul.isEmpty() && seul != QStringLiteral("journal_reader_%1").arg(etape)) continue;
        QElapsedTimer t;
        t.start();
        const double cpu = bench::CpuSeconds();
        resultats::CalculRapport calcul;
        resultats::Comptage comptage;
        resultats::Lecture lecture;
        lecture.recevoir = [&](const QJsonObject& d) {
            if (quoi == 1) calcul.Ajouter(d);
            if (quoi == 2) comptage.Ajouter(d);
        };
        resultats::LireDossier(dossier, lecture);
        if (quoi == 1) calcul.Resultat();
        if (quoi == 2) comptage.Bilans();
        std::printf("class_reading_journal_reader_%s: %.0f ms (cpu %.0f ms)\n", etape, t.nsecsElapsed() / 1e6,
                    (bench::CpuSeconds() - cpu) * 1000);
    }
    // What the commands run: the statements' Essentiel, counted by the report or by --results.
    for (int quoi = 0; quoi < 3; ++quoi) {
        const char* etape = quoi == 0 ? "read_only" : quoi == 1 ? "with_report" : "with_results";
        if (!seul.isEmpty() && seul != QStringLiteral("essential_%1").arg(etape)) continue;
        QElapsedTimer t;
        t.start();
        const double cpu = bench::CpuSeconds();
        resultats::CalculRapport calcul;
        resultats::Comptage comptage;
        resultats::LectureEssentielle lecture;
        qint64 n = 0;
        lecture.recevoir = [&](const resultats::Essentiel& e) {
            ++n;
            if (quoi == 1) calcul.Ajouter(e);
            if (quoi == 2) comptage.Ajouter(e);
        };
        resultats::LireDossierEssentiel(dossier, lecture);
        if (quoi == 1) calcul.Resultat();
        if (quoi == 2) comptage.Bilans();
        std::printf("class_reading_essential_%s: %.0f ms (cpu %.0f ms, %lld statements)\n", etape, t.nsecsElapsed() / 1e6,
                    (bench::CpuSeconds() - cpu) * 1000, static_cast<long long>(n));
    }
    std::printf("class_reading_peak_rss: %.0f MB\n", bench::PeakRssMb());
    return 0;
}
