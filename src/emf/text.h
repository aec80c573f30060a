#pragma once
// A picture's text in reading order, rebuilt from the runs the players drew.

#include <QString>
#include <vector>

#include "emf/records.h"

namespace emf::detail {

// Lines top to bottom, runs left to right within a line; a space where runs stand apart, a line
// break between lines, an empty line where the gap between two lines says a new paragraph.
QString ReadingOrder(std::vector<TextRun> runs);

}  // namespace emf::detail
