// Start-up as the learner sees it: from the moment the program is launched to page 0 on the screen.
// Starts its own Xvfb (1024 × 768, 24 bits), launches the program there on the demo course a first
// time to learn what page 0 looks like once settled, then launches it again and again, watching a
// few rows of the screen across the slide until they show that picture.
// Usage: bench_startup [runs]. Prints "name: value unit".

#include "bench_common.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QThread>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// Rows across the title, the emblem, the subtitle and the text: none is plain background.
constexpr int kRows[] = {80, 160, 330, 490, 540};

// Starts Xvfb on the first free display from :90 on; returns its number, or -1.
int StartXvfb(pid_t& pid) {
    for (int n = 90; n < 130; ++n) {
        const QString lock = QStringLiteral("/tmp/.X%1-lock").arg(n);
        const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(n);
        if (QFileInfo::exists(lock) || QFileInfo::exists(socket)) continue;
        const QByteArray display = ":" + QByteArray::number(n);
        const char* args[] = {"Xvfb", display.constData(), "-screen", "0", "1024x768x24", "-nolisten", "tcp", nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        const int rc = posix_spawnp(&pid, "Xvfb", &actions, nullptr, const_cast<char**>(args), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0) return -1;
        for (int i = 0; i < 500; ++i) {
            if (QFileInfo::exists(socket)) return n;
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) break;  // display taken meanwhile: try the next
            QThread::msleep(10);
        }
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    return -1;
}

std::vector<QImage> Rows(QScreen* screen) {
    std::vector<QImage> rows;
    for (int y : kRows) rows.push_back(screen->grabWindow(0, 0, y, screen->size().width(), 1).toImage());
    return rows;
}

// Share of the watched pixels that are as in the reference.
double Matching(const std::vector<QImage>& rows, const std::vector<QImage>& reference) {
    qint64 same = 0, all = 0;
    for (size_t r = 0; r < rows.size(); ++r) {
        for (int x = 0; x < reference[r].width(); ++x, ++all) {
            if (x >= rows[r].width()) continue;
            const QRgb a = rows[r].pixel(x, 0), b = reference[r].pixel(x, 0);
            if (std::abs(qRed(a) - qRed(b)) <= 8 && std::abs(qGreen(a) - qGreen(b)) <= 8 &&
                std::abs(qBlue(a) - qBlue(b)) <= 8) {
                ++same;
            }
        }
    }
    return all ? static_cast<double>(same) / all : 0;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = bench::Runs(argc, argv, 7);
    pid_t xvfb = 0;
    const int display = StartXvfb(xvfb);
    if (display < 0) {
        std::fprintf(stderr, "bench_startup: Xvfb could not be started\n");
        return 1;
    }
    qputenv("DISPLAY", ":" + QByteArray::number(display));
    qputenv("QT_QPA_PLATFORM", "xcb");
    int status = 1;
    {
        QGuiApplication app(argc, argv);
        QScreen* screen = QGuiApplication::primaryScreen();
        QString folder = QStringLiteral(SEANCE_DEMO_DIR);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_SCALE_FACTOR"));

        auto launch = [&](QProcess& p) {
            p.setProcessEnvironment(env);
            p.setWorkingDirectory(folder);
            p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            // Séance 1 alone, as before the demo became a course: the lesson's own start, not its menu.
            p.start(QStringLiteral(SEANCE_PROGRAM), {QStringLiteral("--seance"), QStringLiteral("1")});
        };
        auto stop = [&](QProcess& p, const std::vector<QImage>& reference) {
            p.kill();
            p.waitForFinished(5000);
            // The next run starts from an empty screen.
            for (int i = 0; i < 1000 && Matching(Rows(screen), reference) > 0.5; ++i) QThread::msleep(2);
        };

        // A first run, left to settle: what page 0 looks like (and the files are in the system's cache).
        std::vector<QImage> reference;
        {
            QProcess p;
            launch(p);
            p.waitForStarted();
            QThread::msleep(4000);
            reference = Rows(screen);
            stop(p, reference);
        }
        std::vector<double> times;
        for (int run = 0; run < runs; ++run) {
            QProcess p;
            QElapsedTimer t;
            t.start();
            launch(p);
            double ms = -1;
            while (t.elapsed() < 10000) {
                if (Matching(Rows(screen), reference) >= 0.995) {
                    ms = t.nsecsElapsed() / 1e6;
                    break;
                }
                QThread::msleep(2);
            }
            stop(p, reference);
            if (ms < 0) {
                std::fprintf(stderr, "bench_startup: page 0 not seen within 10 s\n");
                continue;
            }
            times.push_back(ms);
        }
        if (!times.empty()) {
            std::printf("startup_to_page0_xvfb: %.0f ms\n", bench::Median(times));
            std::fprintf(stderr, "startup runs: best %.0f ms, worst %.0f ms\n",
                         *std::min_element(times.begin(), times.end()), bench::Max(times));
            status = 0;
        }
    }
    kill(xvfb, SIGTERM);
    waitpid(xvfb, nullptr, 0);
    std::fflush(stdout);
    return status;
}
