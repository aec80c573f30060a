#include "emf/emf.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <new>

#include "emf/document.h"

namespace emf {

QString LoadError::ToString() const {
    QString what;
    switch (code) {
        case ErrorCode::None: return {};
        case ErrorCode::FileNotFound: what = QStringLiteral("no such file"); break;
        case ErrorCode::FileIsDirectory: what = QStringLiteral("is a directory"); break;
        case ErrorCode::FileUnreadable: what = QStringLiteral("cannot read the file"); break;
        case ErrorCode::FileEmpty: what = QStringLiteral("empty file"); break;
        case ErrorCode::FileTooLarge: what = QStringLiteral("file too large"); break;
        case ErrorCode::NotEmf: what = QStringLiteral("not an EMF file"); break;
        case ErrorCode::Truncated: what = QStringLiteral("truncated record"); break;
        case ErrorCode::Damaged: what = QStringLiteral("damaged record"); break;
        case ErrorCode::FrameTooLarge: what = QStringLiteral("frame too large"); break;
        case ErrorCode::FrameEmpty: what = QStringLiteral("empty frame"); break;
        case ErrorCode::OutOfMemory: what = QStringLiteral("out of memory"); break;
    }
    if (code == ErrorCode::Truncated || code == ErrorCode::Damaged)
        what += QStringLiteral(" (type %1, %2 bytes)").arg(recordType).arg(recordSize);
    if (code == ErrorCode::FrameTooLarge || code == ErrorCode::FrameEmpty)
        what += QStringLiteral(" (%1 x %2 mm)").arg(frame.width() / 100).arg(frame.height() / 100);
    if (offset >= 0) what += QStringLiteral(" at offset %1").arg(offset);
    return what;
}

Picture Picture::FromData(const QByteArray& bytes, const Limits& limits) {
    Picture p;
    if (limits.maxFileBytes > 0 && bytes.size() > limits.maxFileBytes) {
        p.error_.code = ErrorCode::FileTooLarge;
        return p;
    }
    try {
        p.doc_ = detail::EmfDocument::Parse(bytes, limits);
    } catch (const detail::EmfError& e) {
        p.error_ = e.error;
    } catch (const std::bad_alloc&) {
        p.error_.code = ErrorCode::OutOfMemory;
    }
    return p;
}

Picture Picture::FromFile(const QString& path, const Limits& limits) {
    Picture p;
    const bool bounded = limits.maxFileBytes > 0;
    auto refuse = [&p](ErrorCode code) {
        p.error_.code = code;
        return p;
    };
    const QFileInfo info(path);
    if (!info.exists()) return refuse(ErrorCode::FileNotFound);
    if (info.isDir()) return refuse(ErrorCode::FileIsDirectory);
    if (bounded && info.size() > limits.maxFileBytes) return refuse(ErrorCode::FileTooLarge);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return refuse(ErrorCode::FileUnreadable);
    // Read no further than the limit, should the file have grown since it was measured.
    const QByteArray data = bounded ? file.read(limits.maxFileBytes + 1) : file.readAll();
    if (file.error() != QFileDevice::NoError) return refuse(ErrorCode::FileUnreadable);
    if (bounded && data.size() > limits.maxFileBytes) return refuse(ErrorCode::FileTooLarge);
    if (data.isEmpty()) return refuse(ErrorCode::FileEmpty);
    return FromData(data, limits);
}

bool Picture::LooksLikeEmf(const QByteArray& head) {
    if (head.size() < 44) return false;
    const auto* p = reinterpret_cast<const uchar*>(head.constData());
    return qFromLittleEndian<quint32>(p) == 1 && qFromLittleEndian<quint32>(p + 40) == 0x464D4520;
}

QSizeF Picture::FrameSize() const { return doc_ ? doc_->FrameSize() : QSizeF(); }

QSize Picture::PixelSize(double dpi) const {
    if (!doc_) return {};
    const QSizeF f = doc_->FrameSize();
    const double w = f.width() / 2540.0 * dpi, h = f.height() / 2540.0 * dpi;
    // Whatever the frame (at most 2^32 units a side), the pixels stay within an int.
    return QSize(std::max(1, int(std::lround(std::min(w, 2e9)))), std::max(1, int(std::lround(std::min(h, 2e9)))));
}

QSize Picture::FittedSize(QSize box) const {
    if (!doc_ || box.isEmpty()) return {};
    const QSizeF f = doc_->FrameSize();
    if (f.width() * box.height() >= f.height() * box.width()) {
        const double ratio = f.height() / f.width();
        return QSize(box.width(), std::clamp(int(std::lround(box.width() * ratio)), 1, box.height()));
    }
    const double ratio = f.width() / f.height();
    return QSize(std::clamp(int(std::lround(box.height() * ratio)), 1, box.width()), box.height());
}

QString Picture::Text() const { return doc_ ? doc_->Text() : QString(); }

void Picture::Draw(QPainter& painter, const QRectF& target) const {
    if (doc_) doc_->Render(painter, target);
}

QImage RenderToImage(const Picture& picture, QSize size, const QColor& background, const QRectF& target) {
    if (picture.IsNull() || size.isEmpty()) return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return {};
    image.fill(background);
    {
        QPainter painter(&image);
        picture.Draw(painter, target.isNull() ? QRectF(QPointF(0, 0), QSizeF(size)) : target);
    }
    return image;
}

}  // namespace emf
