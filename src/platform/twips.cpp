#include "platform/twips.h"

#include "platform/platform.h"

#include <algorithm>
#include <cmath>

namespace platform {

int ToPixels(double twips, double twipsPerPixel) {
    const double px = twips / twipsPerPixel * P().DisplayScale();
    return static_cast<int>(std::lround(std::clamp(px, -1.0e6, 1.0e6)));
}

double ToTwips(int pixels, double twipsPerPixel) { return pixels * twipsPerPixel / P().DisplayScale(); }

QFont Scaled(QFont font) {
    const double scale = P().DisplayScale();
    if (scale == 1) return font;
    if (font.pointSizeF() > 0) {
        font.setPointSizeF(font.pointSizeF() * scale);
    } else if (font.pixelSize() > 0) {
        font.setPixelSize(std::max(1, static_cast<int>(std::lround(font.pixelSize() * scale))));
    }
    return font;
}

}  // namespace platform
