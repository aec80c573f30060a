#pragma once

#include <QPainter>
#include <QRectF>

#include "platform/emf/emf_records.h"

namespace platform::emf {

// Plays the records onto the painter so that the frame fills target.
void PlayMetafile(const ParsedMetafile& m, QPainter& painter, const QRectF& target);

}  // namespace platform::emf
