#pragma once
// Enhanced metafiles parsed with libuemf (every record bounds-checked before use) and drawn
// with QPainter as vectors.

#include <QByteArray>
#include <QPainter>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <memory>
#include <stdexcept>

namespace emf::detail {

// Raised when a file cannot be used as a metafile; what() is a short French reason for the
// learner, e.g. "ce n'est pas un fichier EMF valide".
struct EmfError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class EmfDocument {
public:
    // Parses and validates the whole file; throws EmfError.
    static std::shared_ptr<const EmfDocument> Parse(const QByteArray& data);
    virtual ~EmfDocument() = default;

    // The header's frame, in 0.01 mm (right - left, bottom - top); the natural size.
    virtual QSizeF FrameSize() const = 0;
    // Draws the picture so that its frame fills target, in the painter's current coordinates.
    virtual void Render(QPainter& painter, const QRectF& target) const = 0;
    // The text the picture shows, in reading order; worked out once, on first asking.
    virtual QString Text() const = 0;
};

}  // namespace emf::detail
