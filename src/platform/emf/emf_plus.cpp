#include "platform/emf/emf_player.h"

namespace platform::emf {

bool PlayEmfPlus(const ParsedMetafile&, QPainter&, const QTransform&) { return false; }

}  // namespace platform::emf
