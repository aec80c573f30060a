// The class report on 10 000 learners: 220 000 statements (twenty answers, "completed" and
// "terminated" each) in a folder of 250 journals. How long reading them and working out the
// statistics takes, then the CSV and the PDF, and the peak memory. Prints "name: value unit".

#include "bench_common.h"
#include "class_reports/rapport.h"
#include "class_reports/rapport_classe.h"
#include "recording/journal.h"
#include "statements/declarations.h"
#include "statements/lecture_declarations.h"
#include "statements/lecture_journal.h"

#include <QApplication>
#include <QJsonDocument>
#include <QRandomGenerator>

namespace {

double Ms(const QElapsedTimer& t) { return t.nsecsElapsed() / 1e6; }

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = bench::Runs(argc, argv, 3);
    QTemporaryDir classe(QDir::current().filePath(QStringLiteral("bench_rapport_XXXXXX")));
    const QDateTime debut(QDate(2026, 9, 1), QTime(8, 0), Qt::UTC);
    QRandomGenerator hasard(10000);
    constexpr int kPostes = 250, kParPoste = 40;
    // Written as they are made: the generation itself keeps nothing.
    for (int poste = 0; poste < kPostes; ++poste) {
        QFile f(QDir(classe.path()).filePath(QStringLiteral("classe@poste-%1.jsonl").arg(poste)));
        if (!f.open(QIODevice::WriteOnly)) return 1;
        for (int e = 0; e < kParPoste; ++e) {
            const int numero = poste * kParPoste + e;
            const resultats::Seance s{resultats::NouvelId(),
                                      {QStringLiteral("eleve%1").arg(numero), QStringLiteral("Élève %1").arg(numero),
                                       QStringLiteral("poste-%1").arg(poste), QStringLiteral("https://ecole.example.fr/")}};
            const double niveau = hasard.generateDouble();
            double note = 0;
            const QDateTime t0 = debut.addSecs(numero * 60);
            for (int q = 1; q <= 20; ++q) {
                const bool juste = hasard.generateDouble() < 0.2 + 0.7 * niveau;
                const int choix = juste ? 0 : 1 + static_cast<int>(hasard.bounded(3));
                note = juste ? note + 1 : std::max(0.0, note - 0.5);
                f.write(QJsonDocument(resultats::Repondu(s, q, choix, juste, t0.addSecs(q * 20))).toJson(QJsonDocument::Compact) + '\n');
            }
            f.write(QJsonDocument(resultats::Complete(s, note, 420000, t0.addSecs(430))).toJson(QJsonDocument::Compact) + '\n');
            f.write(QJsonDocument(resultats::Termine(s, 450000, t0.addSecs(450))).toJson(QJsonDocument::Compact) + '\n');
        }
    }
    qint64 octets = 0;
    for (const QFileInfo& f : QDir(classe.path()).entryInfoList(QDir::Files)) octets += f.size();
    std::printf("report_10000_folder_size: %.0f MB\n", octets / 1e6);
    std::printf("report_10000_rss_before: %.0f MB\n", bench::PeakRssMb());

    std::vector<double> lectures, processeur;
    resultats::RapportClasse rapport;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer t;
        t.start();
        const double cpu = bench::CpuSeconds();
        resultats::CalculRapport calcul;
        resultats::LectureEssentielle lecture;
        lecture.recevoir = [&](const resultats::Essentiel& e) { calcul.Ajouter(e); };
        resultats::LireDossierEssentiel(classe.path(), lecture);
        rapport = calcul.Resultat();
        lectures.push_back(Ms(t));
        processeur.push_back((bench::CpuSeconds() - cpu) * 1000);
    }
    {
        // The reading alone, to tell the statistics' share.
        QElapsedTimer t;
        t.start();
        const double cpu = bench::CpuSeconds();
        resultats::LectureEssentielle lecture;
        lecture.recevoir = [](const resultats::Essentiel&) {};
        resultats::LireDossierEssentiel(classe.path(), lecture);
        std::printf("report_10000_read_only: %.0f ms (cpu %.0f ms)\n", Ms(t), (bench::CpuSeconds() - cpu) * 1000);
    }
    std::printf("report_10000_read_and_statistics: %.0f ms\n", bench::Median(lectures));
    std::printf("report_10000_read_and_statistics_cpu: %.0f ms\n", bench::Median(processeur));
    std::printf("report_10000_sessions_counted: %d sessions\n", rapport.cours.test.seances);
    std::printf("report_10000_peak_rss_after_statistics: %.0f MB\n", bench::PeakRssMb());

    {
        QElapsedTimer t;
        t.start();
        const resultats::Diapos diapos = resultats::LireDiapos(QStringLiteral(SEANCE_DEMO_DIR));
        std::printf("report_slides_text_and_pages: %.0f ms\n", Ms(t));
        t.restart();
        const QByteArray csv = resultats::CsvRapport(rapport, diapos.pages);
        std::printf("report_csv: %.1f ms (%lld bytes)\n", Ms(t), static_cast<long long>(csv.size()));
        t.restart();
        const QString pdf = QDir(classe.path()).filePath(QStringLiteral("classe.pdf"));
        const QString erreur = resultats::EcrirePdfRapport(rapport, diapos, pdf, classe.path());
        if (!erreur.isEmpty()) std::fprintf(stderr, "%s\n", qPrintable(erreur));
        std::printf("report_pdf: %.0f ms (%.0f kB)\n", Ms(t), QFileInfo(pdf).size() / 1e3);
    }
    std::printf("report_10000_peak_rss: %.0f MB\n", bench::PeakRssMb());
    return 0;
}
