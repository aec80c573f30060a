#include "platform/picture.h"

#include "platform/emf/emf_document.h"
#include "platform/platform.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QtEndian>

namespace platform {

namespace {

// Limits that keep one bad file from exhausting the learner's computer.
constexpr qint64 kMaxFileBytes = 64LL * 1024 * 1024;
constexpr qint64 kMaxPixels = 40LL * 1000 * 1000;
constexpr int kCacheEntries = 48;

bool LooksLikeEmf(const QByteArray& data) {
    if (data.size() < 44) return false;
    const auto* p = reinterpret_cast<const uchar*>(data.constData());
    return qFromLittleEndian<quint32>(p) == 1 && qFromLittleEndian<quint32>(p + 40) == 0x464D4520;
}

// libjpeg reports a truncated file only as a warning and fills the rest with grey; the learner
// would see a broken photograph, so such a warning during decoding refuses the picture.
thread_local bool sawDecodeWarning = false;
QtMessageHandler previousHandler = nullptr;

void DecodeWarningHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg &&
        (message.contains(QLatin1String("Premature end")) || message.contains(QLatin1String("Corrupt JPEG")))) {
        sawDecodeWarning = true;
        return;
    }
    if (previousHandler) previousHandler(type, context, message);
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
    reader.setAllocationLimit(static_cast<int>(kMaxPixels * 4 / (1024 * 1024)) + 1);
    sawDecodeWarning = false;
    previousHandler = qInstallMessageHandler(DecodeWarningHandler);
    QImage image = reader.read();
    qInstallMessageHandler(previousHandler);
    if (image.isNull()) {
        throw FileError(path, QStringLiteral("l'image ne peut pas être décodée (%1)").arg(reader.errorString()));
    }
    if (sawDecodeWarning) throw FileError(path, QStringLiteral("l'image est incomplète ou abîmée"));
    return image;
}

Picture Decode(const QString& path, const QByteArray& data) {
    if (data.isEmpty()) throw FileError(path, QStringLiteral("le fichier est vide"));
    if (LooksLikeEmf(data)) {
        try {
            return Picture::FromEmf(emf::EmfDocument::Parse(data));
        } catch (const emf::EmfError& e) {
            throw FileError(path, QString::fromUtf8(e.what()));
        }
    }
    return Picture::FromImage(DecodeImage(path, data), P().TwipsPerPixelX(), P().TwipsPerPixelY());
}

struct CacheEntry {
    qint64 size = 0;
    QDateTime modified;
    double twipsX = 0, twipsY = 0;
    Picture picture;
};

QHash<QString, CacheEntry>& Cache() {
    static QHash<QString, CacheEntry> cache;
    return cache;
}

}  // namespace

Picture Picture::FromImage(QImage image, double twipsPerPixelX, double twipsPerPixelY) {
    Picture p;
    p.sizeTwips_ = QSizeF(image.width() * twipsPerPixelX, image.height() * twipsPerPixelY);
    p.image_ = std::make_shared<const QImage>(std::move(image));
    return p;
}

Picture Picture::FromEmf(std::shared_ptr<const emf::EmfDocument> doc) {
    Picture p;
    const QSizeF frame = doc->FrameSize();
    // The header's frame is in hundredths of a millimetre.
    p.sizeTwips_ = QSizeF(frame.width() * 1440.0 / 2540.0, frame.height() * 1440.0 / 2540.0);
    p.emf_ = std::move(doc);
    return p;
}

void Picture::Draw(QPainter& painter, const QRectF& target) const {
    if (image_) {
        painter.drawImage(target, *image_);
    } else if (emf_) {
        painter.save();
        painter.setClipRect(target, Qt::IntersectClip);
        emf_->Render(painter, target);
        painter.restore();
    }
}

Picture LoadPicture(const QString& path) {
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
    auto& cache = Cache();
    const auto hit = cache.constFind(path);
    if (hit != cache.constEnd() && hit->size == info.size() && hit->modified == info.lastModified() &&
        hit->twipsX == tx && hit->twipsY == ty) {
        return hit->picture;
    }

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw FileError(path, info.isReadable() ? QStringLiteral("le fichier ne peut pas être lu")
                                                : QStringLiteral("la lecture du fichier n'est pas permise"));
    }
    const QByteArray data = file.read(kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError) throw FileError(path, QStringLiteral("le fichier ne peut pas être lu"));
    if (data.size() > kMaxFileBytes) throw FileError(path, QStringLiteral("le fichier est trop gros"));

    Picture picture = Decode(path, data);
    if (cache.size() >= kCacheEntries) cache.clear();
    cache.insert(path, CacheEntry{info.size(), info.lastModified(), tx, ty, picture});
    return picture;
}

Picture LoadResourcePicture(int id) {
    const QString path = QStringLiteral(":/frames/%1.bmp").arg(id);
    auto& cache = Cache();
    const auto hit = cache.constFind(path);
    if (hit != cache.constEnd() && hit->twipsX == P().TwipsPerPixelX() && hit->twipsY == P().TwipsPerPixelY()) {
        return hit->picture;
    }
    QImage image(path);
    if (image.isNull()) throw FileError(QStringLiteral("ressource %1").arg(id), QStringLiteral("elle manque au programme"));
    Picture picture = Picture::FromImage(std::move(image), P().TwipsPerPixelX(), P().TwipsPerPixelY());
    cache.insert(path, CacheEntry{0, {}, P().TwipsPerPixelX(), P().TwipsPerPixelY(), picture});
    return picture;
}

}  // namespace platform
