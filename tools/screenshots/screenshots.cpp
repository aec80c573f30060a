// screenshots [--seance N] [--ajuster] FOLDER OUT_DIR [page:ms ...]
// Starts the lesson on the course in FOLDER as the program does, then, one after the other, enters each
// named page (as the next button would from the page before) and saves a picture of the whole
// screen ms milliseconds later as OUT_DIR/page<N>.png. The evaluation's page (19 in séance 1) is its
// question 1; the closing page after it is reached by validating an answer as the twentieth. With --seance N,
// séance N of the course as its script says; with --ajuster, drawn smaller to fit the screen as
// "[affichage] ajuster=oui" does. Used for the README and to look at layouts.

#include "content/banque.h"
#include "content/script_seance.h"
#include "content/seance.h"
#include "content/lesson_content.h"
#include "course_window/cour1p.h"
#include "platform/real_platform.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <deque>

namespace {
struct Shot {
    int page;
    int delayMs;
};

void Wait(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) platform::P().Yield(platform::P().TickCount() + static_cast<int32_t>(ms - t.elapsed()));
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int seance = 1;
    if (argc > 2 && QByteArray(argv[1]) == "--seance") {
        seance = atoi(argv[2]);
        argc -= 2;
        argv += 2;
    }
    bool ajuster = false;
    if (argc > 1 && QByteArray(argv[1]) == "--ajuster") {
        ajuster = true;
        --argc;
        ++argv;
    }
    if (argc < 3) {
        std::fprintf(stderr, "usage: screenshots FOLDER OUT_DIR [page:ms ...]\n");
        return 2;
    }
    const QString outDir = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
    QDir().mkpath(outDir);
    QDir::setCurrent(QString::fromLocal8Bit(argv[1]));
    std::deque<Shot> shots;
    for (int i = 3; i < argc; ++i) {
        const QStringList parts = QString::fromLocal8Bit(argv[i]).split(QLatin1Char(':'));
        shots.push_back({parts.value(0).toInt(), parts.value(1, QStringLiteral("4500")).toInt()});
    }
    if (shots.empty()) shots = {{0, 500}, {1, 4500}, {13, 15000}, {14, 15000}, {19, 1000}, {20, 3500}};

    platform::RealPlatform real;
    platform::SetPlatform(&real);
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setFont(platform::UiFont(9.75));
    // What the program reads at its start: the séance's script and questions (séance 1 without a
    // script has neither of its own).
    const content::Seance lue = content::SeanceAJouer(QDir::currentPath(), seance);
    if (ajuster) real.FitOnScreen(content::LargestSlide(lue));
    Cour1p w(nullptr, &lue);
    platform::RunHandler([&] { w.Form_Load(); });
    w.Form.Show();

    auto save = [&](int page) {
        const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
        const QString file = QStringLiteral("%1/page%2.png").arg(outDir).arg(page);
        shot.save(file);
        std::printf("%s\n", qPrintable(file));
        std::fflush(stdout);
    };
    // Each step runs inside the running page's yield, as a learner's click would.
    std::function<void()> next = [&] {
        if (shots.empty()) platform::P().EndProgram(0);
        const Shot s = shots.front();
        shots.pop_front();
        const int evaluation = w.PageEvaluation();
        if (s.page == evaluation + 1) {
            // From any question of the evaluation: validating the twentieth ends it.
            if (w.NumPage != evaluation) {
                w.NumPage = static_cast<int16_t>(evaluation - 1);
                w.B_Pag_S.Click();
            }
            w.NumQuestion = 20;
            w.Option1(0).Click();
            QTimer::singleShot(s.delayMs, [&, s] { save(s.page); next(); });
            w.B_Valider.Click();
            return;
        }
        if (s.page > 0) {
            // A learner who reaches a later page has gone through page 1, which hides the notice line.
            if (s.page > 1) w.Label4.SetVisible(false);
            w.NumPage = static_cast<int16_t>(s.page - 1);
            QTimer::singleShot(s.delayMs, [&, s] { save(s.page); next(); });
            w.B_Pag_S.Click();
        } else {
            Wait(s.delayMs);
            save(0);
            next();
        }
    };
    QTimer::singleShot(300, [&] { platform::RunHandler(next); });
    return QApplication::exec();
}
