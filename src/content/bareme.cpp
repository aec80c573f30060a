#include "content/bareme.h"

#include "platform/platform.h"

#include <algorithm>
#include <cmath>

namespace content {

double Bareme::Apres(double note, double credit) const {
    if (credit > 0) return std::min(20.0, note + credit * Valeur());
    if (note <= 0) return note;
    return std::max(0.0, note - penalite * Valeur());
}

double Affichee(double note) { return std::round(note * 10) / 10; }

QString TexteSur20(double note) { return platform::NumberText(Affichee(note)); }

}  // namespace content
