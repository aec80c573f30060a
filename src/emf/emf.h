#pragma once
// Enhanced metafiles (EMF, EMF+ and dual files) read and drawn with QPainter as vectors.
//
//     const emf::Picture picture = emf::Picture::FromFile(path);
//     if (picture.IsNull()) report(picture.Error());
//     picture.Draw(painter, QRectF(QPointF(0, 0), picture.PixelSize(96)));
//
// Every record is bounds-checked before use; a damaged file is refused with a reason or drawn as
// far as it is sound, never read past its end. Reasons are short French sentences, as the course
// shows them to the learner.

#include <QByteArray>
#include <QPainter>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <memory>

namespace emf {

namespace detail { class EmfDocument; }

class Picture {
public:
    // Files larger than this are refused by FromFile before they are read: the lesson's own limit.
    static constexpr qint64 kMaxFileBytes = 64LL * 1024 * 1024;

    Picture() = default;
    // Parses and validates the whole metafile. On failure the picture is null and Error() says why.
    static Picture FromData(const QByteArray& bytes);
    static Picture FromFile(const QString& path);
    // Whether the bytes begin as a metafile does (header record, " EMF" signature); looks at 44 bytes.
    static bool LooksLikeEmf(const QByteArray& head);

    bool IsNull() const { return !doc_; }
    QString Error() const { return error_; }

    // The header's frame, in 0.01 mm: the picture's natural size, whatever its bounds say.
    QSizeF FrameSize() const;
    // The frame in whole pixels at a resolution (dots per inch), at least 1 x 1; empty when null.
    QSize PixelSize(double dpi = 96) const;

    // Draws the picture so that its frame fills target, in the painter's current coordinates:
    // any transform (scale, rotation, shear) and any clip the painter holds apply. The painter's
    // state is the same afterwards. Where the file draws nothing, the target is left untouched.
    void Draw(QPainter& painter, const QRectF& target) const;

    // The text the picture shows, in reading order: plain and EMF+ strings, glyph numbers turned
    // back into characters where the font's character map tells, lines rebuilt from positions
    // (a line break between lines, an empty line between paragraphs). Worked out once per file.
    QString Text() const;

private:
    std::shared_ptr<const detail::EmfDocument> doc_;
    QString error_;
};

}  // namespace emf
