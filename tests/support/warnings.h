#pragma once
// Collects the results' warnings (category resultats::Avertissements()) into a list while alive,
// instead of the standard error; other messages go where they went.

#include "settings/avertissements.h"

#include <QMutex>
#include <QStringList>

namespace testsupport {

class WarningsCollector {
public:
    explicit WarningsCollector(QStringList& into) {
        QMutexLocker lock(&Mutex());
        Target() = &into;
        Previous() = qInstallMessageHandler(Handle);
    }
    ~WarningsCollector() {
        qInstallMessageHandler(Previous());
        QMutexLocker lock(&Mutex());
        Target() = nullptr;
    }
    WarningsCollector(const WarningsCollector&) = delete;
    WarningsCollector& operator=(const WarningsCollector&) = delete;

private:
    static QStringList*& Target() {
        static QStringList* target = nullptr;
        return target;
    }
    static QtMessageHandler& Previous() {
        static QtMessageHandler previous = nullptr;
        return previous;
    }
    static QMutex& Mutex() {
        static QMutex mutex;
        return mutex;
    }
    // The journal warns from its own thread.
    static void Handle(QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (context.category && qstrcmp(context.category, resultats::Avertissements().categoryName()) == 0) {
            QMutexLocker lock(&Mutex());
            if (Target()) Target()->append(message);
            return;
        }
        if (Previous()) Previous()(type, context, message);
    }
};

}  // namespace testsupport
