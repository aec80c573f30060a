#pragma once
// The one place a séance's folder is named.

#include <QString>

namespace content {

// The folder of séance number numero within its course's folder: "Seance2".
inline QString NomDossierSeance(int numero) { return QStringLiteral("Seance%1").arg(numero); }

}  // namespace content
