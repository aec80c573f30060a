#include "settings/avertir.h"

#include <cstdio>
#include <mutex>

namespace resultats {

namespace {
std::function<void(const QString&)>& Destination() {
    static std::function<void(const QString&)> destination;
    return destination;
}
}  // namespace

void Avertir(const QString& message) {
    // The journal warns from its own thread.
    static std::mutex verrou;
    std::lock_guard<std::mutex> garde(verrou);
    if (Destination()) {
        Destination()(message);
        return;
    }
    const QByteArray ligne = QStringLiteral("Séance 1 (résultats) : %1\n").arg(message).toUtf8();
    std::fwrite(ligne.constData(), 1, static_cast<size_t>(ligne.size()), stderr);
    std::fflush(stderr);
}

void RedirigerAvertissements(std::function<void(const QString&)> destination) { Destination() = std::move(destination); }

}  // namespace resultats
