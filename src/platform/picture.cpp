#include "platform/picture.h"

#include "platform/platform.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <cstring>

namespace platform {

namespace {

// Limits that keep one bad file from exhausting the learner's computer.
constexpr qint64 kMaxFileBytes = 64LL * 1024 * 1024;
constexpr qint64 kMaxPixels = 40LL * 1000 * 1000;
// A slide's frame beyond 100 m on a side is no picture; it is refused before anything is sized
// from it. (Real exports reach 15 m when a writer confuses its units.)
constexpr emf::Limits kEmfLimits{.maxFrameSide = 10000000};  // 0.01 mm
// Decoded pictures kept for their next showing: a whole course's (the lesson shows 49 different
// ones) as long as they fit in this, so that paging back and forth decodes nothing twice.
constexpr qint64 kCacheBytes = 256LL * 1024 * 1024;

// Qt decodes a truncated JPEG without an error, filling what is missing with grey: the learner
// would see a broken photograph. The marker structure tells whether the stream reaches its end.
bool JpegReachesItsEnd(const QByteArray& data) {
    const auto* d = reinterpret_cast<const uchar*>(data.constData());
    const qsizetype n = data.size();
    qsizetype i = 2;  // after the start-of-image marker
    while (i + 1 < n) {
        if (d[i] != 0xFF) {
            ++i;  // stray bytes between segments; libjpeg skips them too
            continue;
        }
        const uchar marker = d[i + 1];
        if (marker == 0xFF) {
            ++i;  // fill byte
            continue;
        }
        if (marker == 0xD9) return true;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x00) {
            i += 2;
            continue;
        }
        if (i + 3 >= n) return false;
        const qsizetype length = (d[i + 2] << 8) | d[i + 3];
        i += 2 + length;
        if (marker == 0xDA) {
            // Entropy-coded data runs to the next marker that is neither a stuffed zero nor a restart.
            while (i + 1 < n && !(d[i] == 0xFF && d[i + 1] != 0x00 && d[i + 1] != 0xFF &&
                                  !(d[i + 1] >= 0xD0 && d[i + 1] <= 0xD7))) {
                ++i;
            }
        }
    }
    return false;
}

// Why a slide cannot be shown, in the learner's words.
QString EmfReason(const emf::LoadError& error) {
    switch (error.code) {
        case emf::ErrorCode::None:  // not a refusal; never asked
        case emf::ErrorCode::NotEmf: return QStringLiteral("ce n'est pas un fichier EMF valide");
        case emf::ErrorCode::FileNotFound: return QStringLiteral("le fichier est introuvable");
        case emf::ErrorCode::FileIsDirectory: return QStringLiteral("c'est un dossier, pas un fichier");
        case emf::ErrorCode::FileUnreadable: return QStringLiteral("le fichier ne peut pas être lu");
        case emf::ErrorCode::FileEmpty: return QStringLiteral("le fichier est vide");
        case emf::ErrorCode::FileTooLarge: return QStringLiteral("le fichier est trop gros");
        case emf::ErrorCode::Truncated: return QStringLiteral("le fichier est tronqué");
        case emf::ErrorCode::Damaged: return QStringLiteral("le fichier est endommagé");
        case emf::ErrorCode::FrameTooLarge: return QStringLiteral("l'image est trop grande");
        case emf::ErrorCode::FrameEmpty: return QStringLiteral("l'image n'a pas de taille");
        case emf::ErrorCode::OutOfMemory: return QStringLiteral("la mémoire manque pour lire l'image");
    }
    return QStringLiteral("ce n'est pas un fichier EMF valide");
}

bool IsJpeg(const QByteArray& data) {
    return data.size() >= 3 && uchar(data[0]) == 0xFF && uchar(data[1]) == 0xD8 && uchar(data[2]) == 0xFF;
}

// The photograph's own description (EXIF ImageDescription in IFD0), for a screen reader; empty
// when absent. Every offset is checked against the segment.
QString ExifDescription(const QByteArray& data) {
    if (!IsJpeg(data)) return {};
    const auto* d = reinterpret_cast<const uchar*>(data.constData());
    const qsizetype n = data.size();
    qsizetype i = 2;
    while (i + 4 <= n && d[i] == 0xFF) {
        const uchar marker = d[i + 1];
        const qsizetype length = (d[i + 2] << 8) | d[i + 3];
        if (marker == 0xDA || length < 2 || i + 2 + length > n) return {};
        if (marker == 0xE1 && length >= 16 && std::memcmp(d + i + 4, "Exif\0\0", 6) == 0) {
            const uchar* t = d + i + 10;  // the TIFF header
            const qsizetype size = length - 8;
            const bool little = t[0] == 'I';
            auto u16 = [&](qsizetype o) -> quint32 {
                return o + 2 > size ? 0 : little ? t[o] | (t[o + 1] << 8) : (t[o] << 8) | t[o + 1];
            };
            auto u32 = [&](qsizetype o) -> quint32 {
                return o + 4 > size ? 0 : little ? u16(o) | (u16(o + 2) << 16) : (u16(o) << 16) | u16(o + 2);
            };
            const qsizetype ifd = u32(4);
            const quint32 entries = u16(ifd);
            for (quint32 e = 0; e < entries && ifd + 2 + 12 * (e + 1) <= size; ++e) {
                const qsizetype at = ifd + 2 + 12 * e;
                if (u16(at) != 0x010E || u16(at + 2) != 2) continue;
                const quint32 count = u32(at + 4);
                const qsizetype from = count <= 4 ? at + 8 : qsizetype(u32(at + 8));
                if (count == 0 || from < 0 || from + qsizetype(count) > size) return {};
                const QByteArray raw(reinterpret_cast<const char*>(t + from), qsizetype(count));
                const QByteArray text = raw.left(raw.indexOf('\0') < 0 ? raw.size() : raw.indexOf('\0')).trimmed();
                // Cameras write ASCII, some programs UTF-8, older ones Latin-1.
                const QString utf8 = QString::fromUtf8(text);
                return utf8.contains(QChar::ReplacementCharacter) ? QString::fromLatin1(text) : utf8;
            }
            return {};
        }
        i += 2 + length;
    }
    return {};
}

QImage DecodeImage(const QString& path, const QByteArray& data) {
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    if (!reader.canRead()) throw FileError(path, QStringLiteral("ce n'est pas une image reconnue"));
    const QSize size = reader.size();
    if (size.isValid() && static_cast<qint64>(size.width()) * size.height() > kMaxPixels) {
        throw FileError(path, QStringLiteral("l'image est trop grande (%1 × %2 points)")
                                  .arg(size.width())
                                  .arg(size.height()));
    }
    if (IsJpeg(data) && !JpegReachesItsEnd(data)) {
        throw FileError(path, QStringLiteral("l'image est incomplète (le fichier est tronqué)"));
    }
    reader.setAllocationLimit(static_cast<int>(kMaxPixels * 4 / (1024 * 1024)) + 1);
    QImage image = reader.read();
    if (image.isNull()) throw FileError(path, QStringLiteral("l'image ne peut pas être décodée"));
    return image;
}

struct CacheEntry {
    qint64 size = 0;
    QDateTime modified;
    double twipsX = 0, twipsY = 0;
    Picture picture;
    qint64 bytes = 0;      // what it holds in memory
    uint64_t lastUse = 0;  // the oldest goes first when room is needed
};

class PictureCache {
public:
    const CacheEntry* Find(const QString& path) {
        const auto it = entries_.find(path);
        if (it == entries_.end()) return nullptr;
        it->lastUse = ++uses_;
        return &*it;
    }
    void Insert(const QString& path, CacheEntry entry) {
        entry.lastUse = ++uses_;
        Remove(path);
        while (!entries_.isEmpty() && bytes_ + entry.bytes > kCacheBytes) {
            auto oldest = entries_.begin();
            for (auto it = entries_.begin(); it != entries_.end(); ++it)
                if (it->lastUse < oldest->lastUse) oldest = it;
            Remove(oldest.key());
        }
        if (entry.bytes > kCacheBytes) return;
        bytes_ += entry.bytes;
        entries_.insert(path, std::move(entry));
    }

private:
    void Remove(const QString& path) {
        const auto it = entries_.find(path);
        if (it == entries_.end()) return;
        bytes_ -= it->bytes;
        entries_.erase(it);
    }
    QHash<QString, CacheEntry> entries_;
    qint64 bytes_ = 0;
    uint64_t uses_ = 0;
};

PictureCache& Cache() {
    static PictureCache cache;
    return cache;
}

// Memory a decoded picture holds: its pixels, or for a metafile the bytes it is played from.
qint64 BytesHeld(const Picture& picture, qint64 fileBytes) {
    return picture.Image() ? picture.Image()->sizeInBytes() : fileBytes;
}

}  // namespace

Picture Picture::FromImage(QImage image, double twipsPerPixelX, double twipsPerPixelY) {
    Picture p;
    p.sizeTwips_ = QSizeF(image.width() * twipsPerPixelX, image.height() * twipsPerPixelY);
    p.image_ = std::make_shared<const QImage>(std::move(image));
    return p;
}

Picture Picture::FromEmf(emf::Picture emf) {
    Picture p;
    const QSizeF frame = emf.FrameSize();
    // The header's frame is in hundredths of a millimetre.
    p.sizeTwips_ = QSizeF(frame.width() * 1440.0 / 2540.0, frame.height() * 1440.0 / 2540.0);
    p.emf_ = std::make_shared<const emf::Picture>(std::move(emf));
    return p;
}

Picture Picture::FromPdfPage(std::shared_ptr<const PdfPage> page) {
    Picture p;
    // Points at 96 dpi, as an EMF's frame: 20 twips a point.
    p.sizeTwips_ = page->SizePoints() * 20.0;
    p.pdf_ = std::move(page);
    return p;
}

QString Picture::Text() const { return emf_ ? emf_->Text() : pdf_ ? pdf_->Text() : description_; }

const void* Picture::Identity() const {
    if (emf_) return emf_.get();
    if (pdf_) return pdf_.get();
    return image_.get();
}

void Picture::Draw(QPainter& painter, const QRectF& target) const {
    if (image_) {
        painter.drawImage(target, *image_);
    } else if (emf_) {
        painter.save();
        painter.setClipRect(target, Qt::IntersectClip);
        emf_->Draw(painter, target);
        painter.restore();
    } else if (pdf_) {
        pdf_->Draw(painter, target);
    }
}

Picture DecodePicture(const QByteArray& data, double twipsPerPixelX, double twipsPerPixelY, const QString& path,
                      int page) {
    if (data.isEmpty()) throw FileError(path, QStringLiteral("le fichier est vide"));
    if (PdfPage::LooksLikePdf(data)) return Picture::FromPdfPage(PdfPage::FromData(data, page, path));
    if (page != 1) {
        throw FileError(path, QStringLiteral("seul un document PDF a plusieurs pages : ce fichier n'a pas de page %1")
                                  .arg(page));
    }
    if (emf::Picture::LooksLikeEmf(data)) {
        emf::Picture emf = emf::Picture::FromData(data, kEmfLimits);
        if (emf.IsNull()) throw FileError(path, EmfReason(emf.Error()));
        return Picture::FromEmf(std::move(emf));
    }
    Picture picture = Picture::FromImage(DecodeImage(path, data), twipsPerPixelX, twipsPerPixelY);
    picture.description_ = ExifDescription(data);
    return picture;
}

Picture LoadPicture(const QString& path, int page) {
    // "Seance2.pdf#3" names page 3 of Seance2.pdf, as a script names a slide, unless a file has that very name.
    if (page == 1) {
        const qsizetype hash = path.lastIndexOf(QLatin1Char('#'));
        bool number = false;
        const int named = hash > 0 ? path.mid(hash + 1).toInt(&number) : 0;
        if (number && !path.mid(hash + 1).startsWith(QLatin1Char('+')) && !QFileInfo::exists(path))
            return LoadPicture(path.left(hash), named);
    }
    const QFileInfo info(path);
    if (!info.exists()) {
        const QFileInfo folder(info.absolutePath());
        throw FileError(path, folder.isDir() ? QStringLiteral("le fichier est introuvable")
                                             : QStringLiteral("le dossier « %1 » est introuvable")
                                                   .arg(info.absolutePath()));
    }
    if (info.isDir()) throw FileError(path, QStringLiteral("c'est un dossier, pas un fichier"));
    if (info.size() > kMaxFileBytes) throw FileError(path, QStringLiteral("le fichier est trop gros"));

    // What is shown must be what the file holds now: the cache is keyed by size and modification time
    // as well as the path, and by the screen's resolution that the natural size depends on.
    const double tx = P().TwipsPerPixelX(), ty = P().TwipsPerPixelY();
    // Each page of a PDF is a picture of its own (no path holds a null character).
    const QString key = page == 1 ? path : path + QChar(0) + QString::number(page);
    const CacheEntry* hit = Cache().Find(key);
    if (hit && hit->size == info.size() && hit->modified == info.lastModified() && hit->twipsX == tx &&
        hit->twipsY == ty) {
        return hit->picture;
    }

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw FileError(path, info.isReadable() ? QStringLiteral("le fichier ne peut pas être lu")
                                                : QStringLiteral("la lecture du fichier n'est pas permise"));
    }
    // Read for the size measured, not for the largest allowed: a read reserves all the room it may
    // fill, and the picture keeps its bytes. A file that grew since is read on to the limit.
    QByteArray data = file.read(std::min<qint64>(info.size(), kMaxFileBytes) + 1);
    if (data.size() > info.size()) data += file.read(kMaxFileBytes + 1 - data.size());
    if (file.error() != QFileDevice::NoError) throw FileError(path, QStringLiteral("le fichier ne peut pas être lu"));
    if (data.size() > kMaxFileBytes) throw FileError(path, QStringLiteral("le fichier est trop gros"));

    Picture picture = DecodePicture(data, tx, ty, path, page);
    Cache().Insert(key, CacheEntry{info.size(), info.lastModified(), tx, ty, picture, BytesHeld(picture, data.size())});
    return picture;
}

Picture LoadResourcePicture(int id) {
    const QString path = QStringLiteral(":/frames/%1.bmp").arg(id);
    const CacheEntry* hit = Cache().Find(path);
    if (hit && hit->twipsX == P().TwipsPerPixelX() && hit->twipsY == P().TwipsPerPixelY()) return hit->picture;
    QImage image(path);
    if (image.isNull()) throw FileError(QStringLiteral("ressource %1").arg(id), QStringLiteral("elle manque au programme"));
    Picture picture = Picture::FromImage(std::move(image), P().TwipsPerPixelX(), P().TwipsPerPixelY());
    Cache().Insert(path, CacheEntry{0, {}, P().TwipsPerPixelX(), P().TwipsPerPixelY(), picture, BytesHeld(picture, 0)});
    return picture;
}

}  // namespace platform
