#pragma once
// Warnings about the results go to the standard error through Qt's logging, never to the learner's
// screen: qCWarning(resultats::Avertissements()).noquote() << "…". Tests read them with a message
// handler; QT_LOGGING_RULES can silence them.

#include <QLoggingCategory>

namespace resultats {

// Qt writes a category's warnings as "<name>: <message>": the name is the prefix these warnings have
// always had, "Séance 1 (résultats) ", so that a line reads "Séance 1 (résultats) : <message>".
const QLoggingCategory& Avertissements();

}  // namespace resultats
