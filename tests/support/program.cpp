#include "support/program.h"

#include <QFile>
#include <QProcess>

namespace testsupport {

ProgramRun RunProgram(const QStringList& arguments, const QList<QPair<QString, QString>>& environment,
                      const QString& workingDirectory) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.insert("QT_QPA_PLATFORM", "xcb");  // would abort if anything wanted a display
    for (const auto& [name, value] : environment) {
        if (value.isEmpty()) env.remove(name);
        else env.insert(name, value);
    }
    p.setProcessEnvironment(env);
    if (!workingDirectory.isEmpty()) p.setWorkingDirectory(workingDirectory);
    p.start(QStringLiteral(SEANCE_BIN_DIR "/src/seance1"), arguments);
    const bool ended = p.waitForFinished(60000);
    return {ended && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            QString::fromUtf8(p.readAllStandardError())};
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace testsupport
