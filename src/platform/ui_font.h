#pragma once

#include <QFont>

namespace platform {

// Liberation Sans at the given point size: the stand-in for the classic system sans-serif face.
QFont UiFont(double points, bool bold = false);

}  // namespace platform
