#pragma once
// Enhanced metafiles (EMF, EMF+ and dual files) read and drawn with QPainter as vectors.
//
//     const emf::Picture picture = emf::Picture::FromFile(path);
//     if (picture.IsNull()) report(picture.Error().ToString());
//     const QImage image = emf::RenderToImage(picture, picture.PixelSize(96));
//
// Every record is bounds-checked before use; a damaged file is refused with a reason or drawn as
// far as it is sound, never read past its end. A refusal is a value (what went wrong and where)
// that each program words for its own users.

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <memory>

namespace emf {

namespace detail { class EmfDocument; }

// What made a file unusable.
enum class ErrorCode {
    None,
    FileNotFound,
    FileIsDirectory,
    FileUnreadable,
    FileEmpty,
    FileTooLarge,   // beyond Limits::maxFileBytes
    NotEmf,         // does not begin as a metafile does
    Truncated,      // a record runs past the end of the file
    Damaged,        // a record's size is impossible
    FrameTooLarge,  // beyond Limits::maxFrameSide
    FrameEmpty,     // the header's frame is narrower than 0.01 mm
    OutOfMemory,
};

// Why a file was refused, and where.
struct LoadError {
    ErrorCode code = ErrorCode::None;
    qint64 offset = -1;       // the record at fault, in bytes from the file's start; -1 when no record is
    quint32 recordType = 0;   // that record's type and declared size
    quint32 recordSize = 0;
    QSizeF frame;             // FrameTooLarge, FrameEmpty: the header's frame, in 0.01 mm

    bool IsError() const { return code != ErrorCode::None; }
    // In English, the way Qt's image readers say it: "truncated record (type 84, 4096 bytes) at offset 1204".
    QString ToString() const;
};

// Bounds a program may set on what it accepts, so that one file cannot exhaust it; zero means
// none. Beyond them a file is refused (FileTooLarge, FrameTooLarge) before anything is sized from it.
struct Limits {
    qint64 maxFileBytes = 0;
    double maxFrameSide = 0;  // 0.01 mm
};

class Picture {
public:
    Picture() = default;
    // Parses and validates the whole metafile. On failure the picture is null and Error() says why.
    static Picture FromData(const QByteArray& bytes, const Limits& limits = {});
    static Picture FromFile(const QString& path, const Limits& limits = {});
    // Whether the bytes begin as a metafile does (header record, " EMF" signature); looks at 44 bytes.
    static bool LooksLikeEmf(const QByteArray& head);

    bool IsNull() const { return !doc_; }
    const LoadError& Error() const { return error_; }

    // The header's frame, in 0.01 mm: the picture's natural size, whatever its bounds say.
    QSizeF FrameSize() const;
    // The frame in whole pixels at a resolution (dots per inch), at least 1 x 1; empty when null.
    QSize PixelSize(double dpi = 96) const;
    // The frame scaled to fit box with its aspect kept, filling the box along one side; at least
    // 1 x 1; empty when null.
    QSize FittedSize(QSize box) const;

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
    LoadError error_;
};

// The picture drawn into a new image of size pixels (premultiplied ARGB) over background, its
// frame filling target, in the image's pixels (the whole image when target is null): a target
// larger than the image, or beside it, keeps that part of the picture. Null when the picture is
// null, size is empty or memory lacks.
QImage RenderToImage(const Picture& picture, QSize size, const QColor& background = Qt::transparent,
                     const QRectF& target = QRectF());

}  // namespace emf
