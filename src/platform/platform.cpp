#include "platform/platform.h"

#include <QLocale>

namespace platform {

namespace {
Platform* current = nullptr;
}

FileError::FileError(QString p, QString r)
    : std::runtime_error((p + QStringLiteral(" : ") + r).toStdString()), path(std::move(p)), reason(std::move(r)) {}

QString FileError::message() const {
    return QStringLiteral("Le fichier « %1 » ne peut pas être utilisé : %2.").arg(path, reason);
}

Platform::~Platform() = default;

void Platform::Trace(const TraceEvent&) {}

qint64 Platform::MsecsUntil(const QDateTime& t) { return Now().msecsTo(t); }

Platform& P() {
    Q_ASSERT(current);
    return *current;
}

void SetPlatform(Platform* platform) { current = platform; }

void RunHandler(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const FileError& e) {
        P().Fatal(e.message());
    } catch (const std::bad_alloc&) {
        P().Fatal(QStringLiteral("La mémoire de l'ordinateur ne suffit plus pour continuer la leçon."));
    } catch (const std::exception& e) {
        // Nothing may escape into the toolkit's event loop.
        P().Fatal(QStringLiteral("La leçon s'est arrêtée sur une erreur imprévue : %1.").arg(QString::fromUtf8(e.what())));
    }
}

QString NumberText(double value) {
    // General number: no decimals when whole, otherwise the shortest exact form.
    return QLocale().toString(value, 'g', 15);
}

}  // namespace platform
