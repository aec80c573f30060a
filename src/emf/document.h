#pragma once
// Enhanced metafiles parsed with libuemf (every record bounds-checked before use) and drawn
// with QPainter as vectors.

#include <QByteArray>
#include <QPainter>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <exception>
#include <memory>

#include "emf/emf.h"

namespace emf::detail {

// Raised when a file cannot be used as a metafile; error says why and where.
struct EmfError : std::exception {
    explicit EmfError(LoadError e) : error(std::move(e)) {}
    const char* what() const noexcept override { return "not a usable metafile"; }
    LoadError error;
};

class EmfDocument {
public:
    // Parses and validates the whole file; throws EmfError. Only limits.maxFrameSide applies here.
    static std::shared_ptr<const EmfDocument> Parse(const QByteArray& data, const Limits& limits = {});
    virtual ~EmfDocument() = default;

    // The header's frame, in 0.01 mm (right - left, bottom - top); the natural size.
    virtual QSizeF FrameSize() const = 0;
    // Draws the picture so that its frame fills target, in the painter's current coordinates.
    virtual void Render(QPainter& painter, const QRectF& target) const = 0;
    // The text the picture shows, in reading order; worked out once, on first asking.
    virtual QString Text() const = 0;
};

}  // namespace emf::detail
