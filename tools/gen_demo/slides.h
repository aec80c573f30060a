#pragma once
// The nineteen slides of the demo course, one topic per page, drawn on any canvas.

#include "canvas.h"

namespace demo {

constexpr int kSlideCount = 19;  // Diapo0.emf to Diapo18.emf

void DrawSlide(int page, Canvas& c);

}  // namespace demo
