// The results journal: how long appending one statement to the disk takes (written and flushed),
// how long the hook holds up the next question, and how long reading a journal of 100 000
// statements takes for "seance1 --results". Prints "name: value unit".

#include "bench_common.h"
#include "class_reports/bilan.h"
#include "recording/journal.h"
#include "recording/suivi.h"
#include "statements/declarations.h"
#include "statements/lecture_declarations.h"
#include "statements/lecture_journal.h"
#include "support/virtual_platform.h"

#include <QCoreApplication>
#include <QJsonDocument>

namespace {

double Ms(const QElapsedTimer& t) { return t.nsecsElapsed() / 1e6; }

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    testsupport::VirtualPlatform vp;
    platform::SetPlatform(&vp);
    // On the disk the program writes to, not a memory file system.
    QTemporaryDir dossier(QDir::current().filePath(QStringLiteral("bench_resultats_XXXXXX")));

    resultats::Reglages r;
    r.dossier = dossier.path();
    r.identite = {QStringLiteral("eleve"), QStringLiteral("Élève"), QStringLiteral("poste"), QStringLiteral("https://poste/")};
    const resultats::Seance seance{resultats::NouvelId(), r.identite};

    std::vector<double> ajouts;
    resultats::Journal journal(dossier.path(), r.identite);
    for (int i = 0; i < 200; ++i) {
        const QJsonObject d = resultats::Repondu(seance, 1 + i % 20, i % 4, i % 4 == 0, vp.Now());
        QElapsedTimer t;
        t.start();
        journal.Ajouter(d);
        ajouts.push_back(Ms(t));
    }
    std::printf("journal_append_median: %.3f ms\n", bench::Median(ajouts));
    std::printf("journal_append_max: %.3f ms\n", bench::Max(ajouts));

    // The hook as the quiz calls it: the statement built, written and flushed; the next question waits for it.
    std::vector<double> crochets;
    for (int run = 0; run < 10; ++run) {
        resultats::Suivi suivi(r);
        for (int q = 1; q <= 20; ++q) {
            QElapsedTimer t;
            t.start();
            suivi.ReponseValidee(q, q % 4, q % 4 == 0, q / 2.0);
            crochets.push_back(Ms(t));
        }
    }
    std::printf("answer_hook_median: %.3f ms\n", bench::Median(crochets));
    std::printf("answer_hook_max: %.3f ms\n", bench::Max(crochets));

    // 100 000 statements: 5 000 sessions of twenty answers, in one class folder of 25 journals.
    QTemporaryDir classe(QDir::current().filePath(QStringLiteral("bench_classe_XXXXXX")));
    const QDateTime debut(QDate(2026, 9, 1), QTime(8, 0), Qt::UTC);
    for (int poste = 0; poste < 25; ++poste) {
        resultats::Identite id = r.identite;
        id.machine = QStringLiteral("poste-%1").arg(poste);
        QFile f(QDir(classe.path()).filePath(resultats::NomFichier(id)));
        if (!f.open(QIODevice::WriteOnly)) return 1;
        for (int s = 0; s < 200; ++s) {
            const resultats::Seance se{resultats::NouvelId(), id};
            for (int q = 1; q <= 20; ++q)
                f.write(QJsonDocument(resultats::Repondu(se, q, q % 4, q % 4 == 0, debut.addSecs(s * 3600 + q * 10)))
                            .toJson(QJsonDocument::Compact) +
                        '\n');
        }
    }
    qint64 octets = 0;
    for (const QFileInfo& f : QDir(classe.path()).entryInfoList(QDir::Files)) octets += f.size();
    std::printf("read_100000_journal_size: %.0f MB\n", octets / 1e6);
    std::vector<double> lectures, processeur;
    size_t seances = 0;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer t;
        t.start();
        const double cpu = bench::CpuSeconds();
        resultats::Comptage comptage;
        resultats::LectureEssentielle lecture;
        lecture.recevoir = [&](const resultats::Essentiel& e) { comptage.Ajouter(e); };
        resultats::LireDossierEssentiel(classe.path(), lecture);
        seances = comptage.Bilans().size();
        lectures.push_back(Ms(t));
        processeur.push_back((bench::CpuSeconds() - cpu) * 1000);
    }
    std::printf("read_100000_statements: %.0f ms\n", bench::Median(lectures));
    {
        QElapsedTimer t;
        t.start();
        resultats::LectureEssentielle lecture;
        lecture.recevoir = [](const resultats::Essentiel&) {};
        resultats::LireDossierEssentiel(classe.path(), lecture);
        std::printf("read_100000_parse_only: %.0f ms\n", Ms(t));
    }
    std::printf("read_100000_statements_cpu: %.0f ms\n", bench::Median(processeur));
    std::printf("read_100000_sessions_found: %zu sessions\n", seances);
    std::printf("read_100000_peak_rss: %.0f MB\n", bench::PeakRssMb());
    return 0;
}
