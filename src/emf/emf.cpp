#include "emf/emf.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <cmath>
#include <new>

#include "emf/document.h"

namespace emf {

Picture Picture::FromData(const QByteArray& bytes) {
    Picture p;
    try {
        p.doc_ = detail::EmfDocument::Parse(bytes);
    } catch (const detail::EmfError& e) {
        p.error_ = QString::fromUtf8(e.what());
    } catch (const std::bad_alloc&) {
        p.error_ = QStringLiteral("la mémoire manque pour lire l'image");
    }
    return p;
}

Picture Picture::FromFile(const QString& path) {
    Picture p;
    const QFileInfo info(path);
    if (!info.exists()) p.error_ = QStringLiteral("le fichier est introuvable");
    else if (info.isDir()) p.error_ = QStringLiteral("c'est un dossier, pas un fichier");
    else if (info.size() > kMaxFileBytes) p.error_ = QStringLiteral("le fichier est trop gros");
    if (!p.error_.isEmpty()) return p;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        p.error_ = QStringLiteral("le fichier ne peut pas être lu");
        return p;
    }
    const QByteArray data = file.read(kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError) p.error_ = QStringLiteral("le fichier ne peut pas être lu");
    else if (data.size() > kMaxFileBytes) p.error_ = QStringLiteral("le fichier est trop gros");
    else if (data.isEmpty()) p.error_ = QStringLiteral("le fichier est vide");
    if (!p.error_.isEmpty()) return p;
    return FromData(data);
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
    // The frame is capped at 100 m, so the product stays far below an int's range at any sane dpi.
    return QSize(std::max(1, int(std::lround(std::min(w, 2e9)))), std::max(1, int(std::lround(std::min(h, 2e9)))));
}

QString Picture::Text() const { return doc_ ? doc_->Text() : QString(); }

void Picture::Draw(QPainter& painter, const QRectF& target) const {
    if (doc_) doc_->Render(painter, target);
}

}  // namespace emf
