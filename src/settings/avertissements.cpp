#include "settings/avertissements.h"

namespace resultats {

// Qt reads a category's name as Latin-1.
Q_LOGGING_CATEGORY(avertissements, "S\xE9" "ance 1 (r\xE9" "sultats) ")

const QLoggingCategory& Avertissements() { return avertissements(); }

}  // namespace resultats
