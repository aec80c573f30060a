// The pictures compiled into the program: present under the names the course loads, at the sizes
// and depth the lesson is laid out for, and the two animations really animate and loop.

#include "resources/media.h"

#include <QFile>
#include <QImage>
#include <QTest>
#include <QtEndian>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

QString FramePath(int id) { return QStringLiteral(":/frames/%1.bmp").arg(id); }

QImage LoadFrame(int id) {
    QImage image(FramePath(id));
    return image.convertToFormat(QImage::Format_RGB32);
}

// Where the row of electrons stands, in pixels, from the phase of the strip's seven-fold
// periodicity in its yellow: independent of how each electron is drawn.
double ElectronPhase(const QImage& strip) {
    const double k = 2 * std::numbers::pi * resources::kStripElectrons / strip.width();
    double c = 0, s = 0;
    for (int y = 0; y < strip.height(); ++y) {
        for (int x = 0; x < strip.width(); ++x) {
            const QRgb px = strip.pixel(x, y);
            const double yellow = std::max(0, (qGreen(px) - qBlue(px)) - 100);
            c += yellow * std::cos(k * x);
            s += yellow * std::sin(k * x);
        }
    }
    return std::atan2(s, c) / k;
}

// The shift from one strip frame to the next, folded into (-spacing/2, spacing/2].
double StripShift(const QImage& from, const QImage& to) {
    const double spacing = double(from.width()) / resources::kStripElectrons;
    double d = ElectronPhase(to) - ElectronPhase(from);
    while (d > spacing / 2) d -= spacing;
    while (d <= -spacing / 2) d += spacing;
    return d;
}

// The blue of the charges along the left-hand conductor, which runs up from the cell's negative
// terminal to the lamp near x = 40.
std::vector<double> LeftWireProfile(const QImage& frame) {
    std::vector<double> profile;
    for (int y = 170; y < 300; ++y) {
        double blue = 0;
        for (int x = 30; x < 50; ++x) {
            const QRgb px = frame.pixel(x, y);
            blue += std::max(0, qBlue(px) - qRed(px) - 40);
        }
        profile.push_back(blue);
    }
    return profile;
}

// The vertical shift (in whole pixels, negative is upwards) that best lays one profile on the next.
int ProfileShift(const std::vector<double>& from, const std::vector<double>& to) {
    int best = 0;
    double bestScore = -1;
    for (int s = -14; s <= 14; ++s) {
        double score = 0;
        int n = 0;
        for (int y = 0; y < int(from.size()); ++y) {
            if (y + s < 0 || y + s >= int(to.size())) continue;
            score += from[y] * to[y + s];
            ++n;
        }
        score /= n;
        if (score > bestScore) {
            bestScore = score;
            best = s;
        }
    }
    return best;
}

}  // namespace

class ResourcesTest : public QObject {
    Q_OBJECT

private slots:
    void framesAreUncompressed24BitBitmapsOfTheirSize_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QSize>("size");
        for (int id = resources::kFirstCircuitFrame; id <= resources::kLastCircuitFrame; ++id)
            QTest::addRow("circuit %d", id) << id << QSize(resources::kCircuitFrameWidth, resources::kCircuitFrameHeight);
        for (int id = resources::kFirstStripFrame; id <= resources::kLastStripFrame; ++id)
            QTest::addRow("strip %d", id) << id << QSize(resources::kStripFrameWidth, resources::kStripFrameHeight);
    }
    void framesAreUncompressed24BitBitmapsOfTheirSize() {
        QFETCH(int, id);
        QFETCH(QSize, size);
        QFile file(FramePath(id));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.size() >= 54);
        const auto u16 = [&](int at) { return qFromLittleEndian<quint16>(bytes.constData() + at); };
        const auto i32 = [&](int at) { return qFromLittleEndian<qint32>(bytes.constData() + at); };
        QCOMPARE(bytes.left(2), QByteArray("BM"));
        QCOMPARE(i32(14), 40);           // BITMAPINFOHEADER
        QCOMPARE(i32(18), size.width());
        QCOMPARE(std::abs(i32(22)), size.height());
        QCOMPARE(u16(26), quint16(1));   // planes
        QCOMPARE(u16(28), quint16(24));  // bits per pixel
        QCOMPARE(i32(30), 0);            // BI_RGB
        const int stride = (size.width() * 3 + 3) & ~3;
        QVERIFY(bytes.size() >= i32(10) + stride * size.height());
        QCOMPARE(QImage(FramePath(id)).size(), size);
    }

    void picturesHaveTheirSizes_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("alpha");
        QTest::newRow("logo") << QString(resources::kLogo) << QSize(26, 26) << false;
        QTest::newRow("hand cursor") << QString(resources::kHandCursor) << QSize(32, 32) << true;
        QTest::newRow("left arrow") << QString(resources::kArrowLeft) << QSize(40, 30) << false;
        QTest::newRow("right arrow") << QString(resources::kArrowRight) << QSize(40, 30) << false;
        QTest::newRow("icon 32") << QString(resources::kIcon32) << QSize(32, 32) << true;
        QTest::newRow("icon 256") << QString(resources::kIcon256) << QSize(256, 256) << true;
        QTest::newRow("publisher's logo") << QString(resources::kKorvaneLogo) << QSize(180, 46) << false;
    }
    void picturesHaveTheirSizes() {
        QFETCH(QString, path);
        QFETCH(QSize, size);
        QFETCH(bool, alpha);
        const QImage image(path);
        QVERIFY(!image.isNull());
        QCOMPARE(image.size(), size);
        // Transparent corners where the picture is meant to sit on anything, opaque otherwise.
        QCOMPARE(qAlpha(image.pixel(0, 0)) == 0, alpha);
    }

    void stripFramesDriftRightEvenlyAndLoop() {
        const double step = double(resources::kStripFrameWidth) / resources::kStripElectrons /
                            (resources::kLastStripFrame - resources::kFirstStripFrame + 1);
        for (int id = resources::kFirstStripFrame; id <= resources::kLastStripFrame; ++id) {
            // 122 leads back to 116 like any other pair, or the drift would jerk once a cycle.
            const int next = id == resources::kLastStripFrame ? resources::kFirstStripFrame : id + 1;
            const double shift = StripShift(LoadFrame(id), LoadFrame(next));
            QVERIFY2(std::abs(shift - step) < 0.4,
                     qPrintable(QStringLiteral("%1 -> %2 moves %3 px, expected %4").arg(id).arg(next).arg(shift).arg(step)));
        }
    }

    void circuitChargesClimbFromTheNegativeTerminalEvenlyAndLoop() {
        std::vector<int> shifts;
        for (int id = resources::kFirstCircuitFrame; id <= resources::kLastCircuitFrame; ++id) {
            const int next = id == resources::kLastCircuitFrame ? resources::kFirstCircuitFrame : id + 1;
            shifts.push_back(ProfileShift(LeftWireProfile(LoadFrame(id)), LeftWireProfile(LoadFrame(next))));
        }
        for (const int s : shifts) {
            QVERIFY2(s <= -3, qPrintable(QStringLiteral("a step moves the charges by %1 px, not up").arg(s)));
            QVERIFY2(std::abs(s - shifts.front()) <= 1, "one step of the loop jumps");
        }
    }

    void handCursorHotSpotIsTheFingerTip() {
        const QImage hand = QImage(QString::fromLatin1(resources::kHandCursor)).convertToFormat(QImage::Format_ARGB32);
        QVERIFY(qAlpha(hand.pixel(resources::kHandHotspotX, resources::kHandHotspotY)) > 200);
        int top = hand.height(), left = hand.width(), right = -1;
        for (int y = 0; y < hand.height() && top == hand.height(); ++y)
            for (int x = 0; x < hand.width(); ++x)
                if (qAlpha(hand.pixel(x, y)) > 128) {
                    top = y;
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        QVERIFY(resources::kHandHotspotY - top <= 1);
        QVERIFY(left <= resources::kHandHotspotX && resources::kHandHotspotX <= right);
    }

    void arrowsPointTheirWay() {
        const QImage left = QImage(QString::fromLatin1(resources::kArrowLeft)).convertToFormat(QImage::Format_RGB32);
        const QImage right = QImage(QString::fromLatin1(resources::kArrowRight)).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(left.mirrored(true, false), right);
        // The head is taller than the shaft: find which side it is on.
        const auto inkHeight = [](const QImage& img, int x) {
            int n = 0;
            for (int y = 0; y < img.height(); ++y) n += qGray(img.pixel(x, y)) < 200;
            return n;
        };
        QVERIFY(inkHeight(right, 27) > inkHeight(right, 12));
    }
};

QTEST_MAIN(ResourcesTest)
#include "test_resources.moc"
