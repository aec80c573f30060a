#pragma once
// The built program run as a teacher runs a command, and small file helpers the tests share.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace testsupport {

struct ProgramRun {
    int status;  // the exit status; -1 when the program crashed or did not end in time
    QByteArray out;
    QString err;
    QString Out() const { return QString::fromUtf8(out); }
};

// Runs build/src/seance1 with these arguments and no display at all (the toolkit is told to use X
// with none there, so that a command reaching for the screen fails): a command must need none.
// environment sets variables for this run (an empty value removes one); workingDirectory defaults
// to the test's own.
ProgramRun RunProgram(const QStringList& arguments, const QList<QPair<QString, QString>>& environment = {},
                      const QString& workingDirectory = {});

// A file's bytes; empty when it cannot be read.
QByteArray ReadAll(const QString& path);

}  // namespace testsupport
