// Reading a class's statements back from a real LRS (Learning Locker's statement service, in memory,
// installed by scripts/setup.sh): 1 000 learners, 22 000 statements, posted first, then read the
// way "--class-report --lrs" reads them, page after page, into the class report's statistics.
// Prints "name: value unit"; says why and prints nothing else where Node.js or the LRS is missing.

#include "bench_common.h"

#include "class_reports/lecture_lrs.h"
#include "class_reports/rapport_classe.h"
#include "settings/reglages.h"
#include "statements/declarations.h"

#include <QApplication>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTcpServer>

namespace {

quint16 FreePort() {
    QTcpServer s;
    s.listen(QHostAddress::LocalHost);
    return s.serverPort();
}

// POSTs one batch and waits for the answer; false on any refusal.
bool Post(QNetworkAccessManager& net, const resultats::ConfigLrs& config, const QJsonArray& batch) {
    QNetworkRequest request(resultats::AdresseDeclarations(config));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    request.setRawHeader("X-Experience-API-Version", "1.0.3");
    request.setRawHeader("Authorization", resultats::Autorisation(config));
    QNetworkReply* reply = net.post(request, QJsonDocument(batch).toJson(QJsonDocument::Compact));
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    const int code = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    reply->deleteLater();
    if (code != 200) std::fprintf(stderr, "bench_lrs_lecture: the LRS answered %d: %s\n", code, reply->readAll().constData());
    return code == 200;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString node = QStandardPaths::findExecutable(QStringLiteral("node"));
    const QString build = QFileInfo(QStringLiteral(SEANCE_PROGRAM)).dir().absoluteFilePath(QStringLiteral(".."));
    const QString server = QDir(build).filePath(QStringLiteral("xapi-lrs/node_modules/xapi-statements/dist/index.js"));
    if (node.isEmpty() || !QFileInfo::exists(server)) {
        std::fprintf(stderr, "bench_lrs_lecture: needs Node.js and the test LRS (scripts/setup.sh installs it)\n");
        return 0;
    }

    QTemporaryDir work;
    const quint16 port = FreePort();
    QProcess lrs;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* k : {"MODELS_REPO", "STORAGE_REPO"}) env.insert(k, "memory");
    for (const char* k : {"AUTH_REPO", "EVENTS_REPO"}) env.insert(k, "test");
    env.insert("EXPRESS_PORT", QString::number(port));
    env.insert("EXPRESS_MORGAN_DIRECTORY", work.filePath("logs"));
    lrs.setProcessEnvironment(env);
    lrs.setWorkingDirectory(work.path());
    lrs.setProcessChannelMode(QProcess::MergedChannels);
    lrs.start(node, {server});
    lrs.waitForStarted();
    QByteArray said;
    QElapsedTimer waited;
    waited.start();
    while (!said.contains("Listening on port") && lrs.state() == QProcess::Running && waited.elapsed() < 60000) {
        lrs.waitForReadyRead(500);
        said += lrs.readAll();
    }
    if (!said.contains("Listening on port")) {
        std::fprintf(stderr, "bench_lrs_lecture: the LRS did not start: %s\n", said.constData());
        return 1;
    }

    resultats::ConfigLrs config;
    config.adresse = QUrl(QStringLiteral("http://127.0.0.1:%1/xAPI/").arg(port));
    config.cle = QStringLiteral("classe");
    config.secret = QStringLiteral("secret");
    config.delaiMaxMs = 60000;

    constexpr int kLearners = 1000;
    QNetworkAccessManager net;
    QRandomGenerator random(1000);
    const QDateTime start(QDate(2026, 9, 1), QTime(8, 0), Qt::UTC);
    QJsonArray batch;
    int posted = 0;
    QElapsedTimer postTime;
    postTime.start();
    for (int e = 0; e < kLearners; ++e) {
        const resultats::Seance s{resultats::NouvelId(),
                                  {QStringLiteral("eleve%1").arg(e), QString(), QStringLiteral("poste-%1").arg(e % 30),
                                   QStringLiteral("https://ecole.example.fr/")}};
        const double level = random.generateDouble();
        double note = 0;
        const QDateTime t0 = start.addSecs(e * 60);
        for (int q = 1; q <= 20; ++q) {
            const bool right = random.generateDouble() < 0.2 + 0.7 * level;
            note = right ? note + 1 : std::max(0.0, note - 0.5);
            batch.append(resultats::Repondu(s, q, right ? 0 : 1 + static_cast<int>(random.bounded(3)), right, t0.addSecs(q * 20)));
        }
        batch.append(resultats::Complete(s, note, 420000, t0.addSecs(430)));
        batch.append(resultats::Termine(s, 450000, t0.addSecs(450)));
        if (batch.size() >= 440 || e + 1 == kLearners) {
            if (!Post(net, config, batch)) return 1;
            posted += batch.size();
            batch = QJsonArray();
        }
    }
    std::printf("lrs_posted: %d statements\n", posted);
    std::printf("lrs_post_rate: %.0f statements/s\n", posted / (postTime.elapsed() / 1000.0));

    for (int perPage : {0, 1000}) {
        QElapsedTimer t;
        t.start();
        const double cpu = bench::CpuSeconds();
        resultats::CalculRapport calcul;
        const resultats::LectureLrs read = resultats::LireLrs(config, [&](const QJsonObject& d) { calcul.Ajouter(d); }, perPage);
        const double seconds = t.elapsed() / 1000.0;
        if (!read.erreur.isEmpty()) {
            std::fprintf(stderr, "bench_lrs_lecture: %s\n", read.erreur.toUtf8().constData());
            return 1;
        }
        const resultats::RapportClasse report = calcul.Resultat();
        const char* label = perPage ? "lrs_read_1000_per_page" : "lrs_read_lrs_default_pages";
        std::printf("%s: %d statements in %d pages, %.1f s, %.0f statements/s (cpu of this process %.1f s), %d sessions counted\n",
                    label, read.declarations, read.pages, seconds, read.declarations / seconds, bench::CpuSeconds() - cpu,
                    report.cours.test.seances);
    }
    std::printf("lrs_read_peak_rss: %.0f MB\n", bench::PeakRssMb());
    lrs.terminate();
    lrs.waitForFinished(5000);
    return 0;
}
