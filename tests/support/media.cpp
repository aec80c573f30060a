#include "support/media.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPdfWriter>
#include <algorithm>

namespace testsupport {

void WritePdf(const QString& path, const std::vector<PdfSlide>& slides) {
    QPdfWriter writer(path);
    writer.setResolution(72);
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    const auto size = [](QSizeF points) { return QPageSize(points, QPageSize::Point, QString(), QPageSize::ExactMatch); };
    if (!slides.empty()) writer.setPageSize(size(slides.front().points));
    QPainter p(&writer);
    p.setRenderHint(QPainter::Antialiasing);
    for (size_t i = 0; i < slides.size(); ++i) {
        if (i > 0) {
            writer.setPageSize(size(slides[i].points));
            writer.newPage();
        }
        slides[i].draw(p);
    }
}

QString WriteSeance(const QString& folder, int seance, const QByteArray& script) {
    const QString dir = QStringLiteral("%1/Seance%2/").arg(folder).arg(seance);
    QDir().mkpath(dir);
    QByteArray gift;
    for (int q = 1; q <= 20; ++q) gift += QStringLiteral("Question %1 ? {=oui ~non ~peut-être ~jamais}\n\n").arg(q).toUtf8();
    for (const auto& [name, bytes] : {std::pair{QStringLiteral("seance.toml"), script}, std::pair{QStringLiteral("questions.gift"), gift}}) {
        QFile f(dir + name);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) qFatal("cannot write %s", qPrintable(f.fileName()));
    }
    return dir;
}

void WriteEmf(const QString& path, int frameW, int frameH) {
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    const qint32 headerSize = 108, eofSize = 20;
    const int pxW = qRound(frameW * 96.0 / 2540.0), pxH = qRound(frameH * 96.0 / 2540.0);
    out << qint32(1) << headerSize;
    out << qint32(0) << qint32(0) << qint32(pxW - 1) << qint32(pxH - 1);  // bounds
    out << qint32(0) << qint32(0) << qint32(frameW) << qint32(frameH);    // frame
    out << quint32(0x464D4520) << quint32(0x00010000);
    out << quint32(headerSize + eofSize) << quint32(2) << quint16(1) << quint16(0);
    out << quint32(0) << quint32(0) << quint32(0);                     // description, palette
    out << qint32(1024) << qint32(768) << qint32(271) << qint32(203);  // device px and mm
    out << quint32(0) << quint32(0) << quint32(0);                     // pixel format, OpenGL
    out << qint32(271000) << qint32(203000);                           // device µm
    out << qint32(14) << eofSize << quint32(0) << quint32(16) << quint32(eofSize);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
    f.write(data);
}

void WriteJpeg(const QString& path, int w, int h, const QColor& color) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(color);
    if (!image.save(path, "JPG", 90)) qFatal("cannot write %s", qPrintable(path));
}

int PhotoWidth(int n) { return 100 + 10 * n; }
int PhotoHeight(int n) { return 60 + 5 * n; }

void WriteCourse(const QString& folder) {
    const QString media = folder + QStringLiteral("/Seance1");
    QDir().mkpath(media);
    for (int page = 0; page <= 18; ++page) {
        WriteEmf(QStringLiteral("%1/Diapo%2.emf").arg(media).arg(page), kSlideFrameW, kSlideFrameH);
    }
    for (int n = 1; n <= 20; ++n) {
        if (n == 4 || n == 5) continue;
        WriteJpeg(QStringLiteral("%1/Img%2.jpg").arg(media).arg(n), PhotoWidth(n), PhotoHeight(n));
    }
}

double Differing(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return 1;
    qint64 n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb pa = a.pixel(x, y), pb = b.pixel(x, y);
            if (std::max({std::abs(qRed(pa) - qRed(pb)), std::abs(qGreen(pa) - qGreen(pb)), std::abs(qBlue(pa) - qBlue(pb))}) > 8)
                ++n;
        }
    return double(n) / (qint64(a.width()) * a.height());
}

}  // namespace testsupport
