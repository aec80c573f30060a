#pragma once
// Warnings about the results go to the standard error, never to the learner's screen.

#include <QString>
#include <functional>

namespace resultats {

// Writes "Séance 1 (résultats) : <message>" on the standard error.
void Avertir(const QString& message);
// Tests read the warnings instead; an empty function restores the standard error.
void RedirigerAvertissements(std::function<void(const QString&)> destination);

}  // namespace resultats
