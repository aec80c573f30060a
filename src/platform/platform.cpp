#include "platform/platform.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

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

void Platform::Announced(const QString&) {}

double FitScale(QSize screen, QSizeF largest, double twipsPerPixelX, double twipsPerPixelY) {
    const double width = largest.width() / twipsPerPixelX, height = largest.height() / twipsPerPixelY;
    if (!(width > 0 && height > 0) || screen.isEmpty()) return 1;
    const double scale = std::min({1.0, screen.width() / width, screen.height() / height});
    return std::max(scale, kSmallestDisplayScale);
}

void Platform::FitOnScreen(QSizeF largest) {
    displayScale_ = 1;  // the real screen
    displayScale_ = FitScale(ScreenSizePixels(), largest, TwipsPerPixelX(), TwipsPerPixelY());
}

QSize Platform::LaidOutScreen(QSize real) const {
    if (displayScale_ == 1) return real;
    // Rounded up, so that the window laid out on it still covers the whole real screen; the margin
    // keeps an exact quotient (720 / 0.9375) from being pushed up by its last bit.
    const auto up = [this](int pixels) { return static_cast<int>(std::ceil(pixels / displayScale_ - 1e-6)); };
    return {up(real.width()), up(real.height())};
}

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
