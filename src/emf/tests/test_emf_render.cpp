// The renderer on small metafiles written here with libuemf: one feature of ordinary slides each.
#include <uemf.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>
#include <vector>

#include "emf/dib.h"
#include "emf/document.h"
#include "emf/emf.h"
#include "emf/fonts.h"

using emf::detail::DecodeDib;
using emf::detail::EmfDocument;

namespace {

// A metafile whose reference device is 100 x 100 pixels over 100 x 100 mm, with a 100 mm square
// frame: one device pixel per millimetre, and a 100-pixel picture maps device pixels one to one.
// EMF+ records for a comment: each is type, flags, then its data.
class PlusComment {
public:
    PlusComment() { U32(0x2B464D45); }
    // The header (96 dpi, dual when the plain records copy the drawing) and a page unit of pixels.
    static PlusComment InPixels(float scale = 1, bool dual = false) {
        PlusComment c;
        c.Record(0x4001, dual, Data({0xDBC01002, dual, 96, 96})).Record(0x4030, 2, Data({F(scale)}));
        return c;
    }
    PlusComment& Record(std::uint16_t type, std::uint16_t flags, const QByteArray& data = {}) {
        U16(type), U16(flags), U32(12 + data.size()), U32(data.size());
        bytes_ += data;
        return *this;
    }
    char* Make() const { return U_EMRCOMMENT_set(U_CBDATA(bytes_.size()), bytes_.constData()); }
    static QByteArray Data(std::initializer_list<std::uint32_t> words) {
        QByteArray b;
        for (std::uint32_t w : words) b.append(reinterpret_cast<const char*>(&w), 4);
        return b;
    }
    static std::uint32_t F(float f) {
        std::uint32_t u;
        std::memcpy(&u, &f, 4);
        return u;
    }

private:
    void U16(std::uint16_t v) { bytes_.append(reinterpret_cast<const char*>(&v), 2); }
    void U32(std::uint32_t v) { bytes_.append(reinterpret_cast<const char*>(&v), 4); }
    QByteArray bytes_;
};

class Writer {
public:
    explicit Writer(U_RECTL frame = rectl_set(point32_set(0, 0), point32_set(10000, 10000)),
                    U_RECTL bounds = rectl_set(point32_set(0, 0), point32_set(99, 99))) {
        path_ = dir_.filePath("t.emf").toStdString();
        emf_start(path_.c_str(), 4096, 4096, &et_);
        emf_htable_create(32, 32, &eht_);
        Add(U_EMRHEADER_set(bounds, frame, nullptr, 0, nullptr, sizel_set(100, 100), sizel_set(100, 100), 0));
    }
    ~Writer() {
        emf_free(&et_);
        emf_htable_free(&eht_);
    }
    void Add(char* record) { emf_append(reinterpret_cast<U_ENHMETARECORD*>(record), et_, 1); }
    EMFHANDLES* Handles() { return eht_; }

    std::uint32_t Brush(U_COLORREF c) {
        std::uint32_t ih = 0;
        Add(createbrushindirect_set(&ih, eht_, logbrush_set(U_BS_SOLID, c, 0)));
        Add(selectobject_set(ih, eht_));
        return ih;
    }
    void NullPen() { Add(selectobject_set(U_NULL_PEN, eht_)); }
    void Rect(int l, int t, int r, int b) { Add(U_EMRRECTANGLE_set(rectl_set(point32_set(l, t), point32_set(r, b)))); }
    void Font(int height, int escapement = 0, const char* faceName = "Arial") {
        std::uint16_t* face = U_Utf8ToUtf16le(faceName, 0, nullptr);
        const U_LOGFONT lf = logfont_set(height, 0, escapement, escapement, U_FW_NORMAL, 0, 0, 0, U_ANSI_CHARSET, U_OUT_DEFAULT_PRECIS,
                                         U_CLIP_DEFAULT_PRECIS, U_DEFAULT_QUALITY, U_DEFAULT_PITCH, face);
        free(face);
        std::uint32_t ih = 0;
        Add(extcreatefontindirectw_set(&ih, eht_, reinterpret_cast<const char*>(&lf), nullptr));
        Add(selectobject_set(ih, eht_));
    }
    void Text(int x, int y, const char* utf8, std::vector<std::uint32_t> dx = {}) {
        size_t len = 0;
        std::uint16_t* s = U_Utf8ToUtf16le(utf8, 0, &len);
        if (dx.empty()) dx.assign(len, 12);  // the writer always stores advances
        char* text = emrtext_set(point32_set(x, y), U_NUM_STR(len), 2, s, U_ETO_NONE,
                                 rectl_set(point32_set(0, 0), point32_set(-1, -1)), dx.data());
        free(s);
        Add(U_EMREXTTEXTOUTW_set(rectl_set(point32_set(0, 0), point32_set(-1, -1)), U_GM_COMPATIBLE, 1, 1,
                                 reinterpret_cast<PU_EMRTEXT>(text)));
        free(text);
    }

    QByteArray Finish() {
        Add(U_EMREOF_set(0, nullptr, et_));
        emf_finish(et_, eht_);
        QFile f(QString::fromStdString(path_));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }

private:
    QTemporaryDir dir_;
    std::string path_;
    EMFTRACK* et_ = nullptr;
    EMFHANDLES* eht_ = nullptr;
};

QImage Render(const QByteArray& data, int size = 100, qreal dpr = 1) {
    auto doc = EmfDocument::Parse(data);
    QImage img(int(size * dpr), int(size * dpr), QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(dpr);
    img.fill(Qt::white);
    QPainter p(&img);
    doc->Render(p, QRectF(0, 0, size, size));
    return img;
}

bool Near(QRgb a, QColor b) {
    return std::abs(qRed(a) - b.red()) < 8 && std::abs(qGreen(a) - b.green()) < 8 && std::abs(qBlue(a) - b.blue()) < 8;
}

// Columns holding any dark pixel, for locating text.
std::pair<int, int> DarkColumns(const QImage& img, int fromY = 0, int toY = -1) {
    if (toY < 0) toY = img.height() - 1;
    int lo = img.width(), hi = -1;
    for (int y = fromY; y <= toY; ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qGray(img.pixel(x, y)) < 128) lo = std::min(lo, x), hi = std::max(hi, x);
    return {lo, hi};
}
std::pair<int, int> DarkRows(const QImage& img) {
    int lo = img.height(), hi = -1;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qGray(img.pixel(x, y)) < 128) lo = std::min(lo, y), hi = std::max(hi, y);
    return {lo, hi};
}

}  // namespace

class EmfRenderTest : public QObject {
    Q_OBJECT

private slots:
    void windowAndViewportMapLogicalUnits() {
        Writer w;
        w.Add(U_EMRSETMAPMODE_set(U_MM_ANISOTROPIC));
        w.Add(U_EMRSETWINDOWORGEX_set(point32_set(500, 500)));
        w.Add(U_EMRSETWINDOWEXTEX_set(sizel_set(1000, 1000)));
        w.Add(U_EMRSETVIEWPORTEXTEX_set(sizel_set(100, 100)));
        w.NullPen();
        w.Brush(colorref3_set(255, 0, 0));
        w.Rect(500, 500, 1000, 1000);  // device 0..50
        const QImage img = Render(w.Finish());
        QVERIFY(Near(img.pixel(25, 25), Qt::red));
        QVERIFY(Near(img.pixel(75, 75), Qt::white));
        QVERIFY(Near(img.pixel(60, 25), Qt::white));
    }

    void metricModeHasYUpward() {
        Writer w;
        w.Add(U_EMRSETMAPMODE_set(U_MM_LOMETRIC));  // 0.1 mm, one device pixel per 10 units, y up
        w.NullPen();
        w.Brush(colorref3_set(0, 0, 255));
        w.Rect(500, -500, 1000, -1000);
        const QImage img = Render(w.Finish());
        QVERIFY(Near(img.pixel(75, 75), Qt::blue));
        QVERIFY(Near(img.pixel(25, 25), Qt::white));
    }

    void polygonFillsItsInside() {
        Writer w;
        w.NullPen();
        w.Brush(colorref3_set(0, 128, 0));
        const U_POINT16 pts[] = {point16_set(10, 10), point16_set(90, 10), point16_set(10, 90)};
        w.Add(U_EMRPOLYGON16_set(rectl_set(point32_set(10, 10), point32_set(90, 90)), 3, pts));
        const QImage img = Render(w.Finish());
        QVERIFY(Near(img.pixel(20, 20), QColor(0, 128, 0)));
        QVERIFY(Near(img.pixel(80, 80), Qt::white));
    }

    void restoreBringsBackBrushAndClip() {
        Writer w;
        w.NullPen();
        w.Brush(colorref3_set(255, 0, 0));
        w.Add(U_EMRSAVEDC_set());
        w.Brush(colorref3_set(0, 255, 0));
        w.Add(U_EMRINTERSECTCLIPRECT_set(rectl_set(point32_set(0, 0), point32_set(10, 10))));
        w.Add(U_EMRRESTOREDC_set(-1));
        w.Rect(0, 0, 100, 100);
        const QImage img = Render(w.Finish());
        QVERIFY(Near(img.pixel(50, 50), Qt::red));
    }

    void textSitsOnItsBaselineAndAlignment() {
        Writer w;
        w.Font(-20);
        w.Add(U_EMRSETTEXTALIGN_set(U_TA_BASELINE | U_TA_LEFT));
        w.Add(U_EMRSETBKMODE_set(U_TRANSPARENT));
        w.Text(10, 50, "Éte");
        const QImage img = Render(w.Finish());
        const auto [top, bottom] = DarkRows(img);
        QVERIFY2(bottom <= 51 && bottom >= 47, qPrintable(QString::number(bottom)));
        QVERIFY(top >= 50 - 21 && top <= 50 - 12);  // the accent rises above the capital
        QVERIFY(DarkColumns(img).first >= 10 && DarkColumns(img).first <= 13);

        Writer right;
        right.Font(-20);
        right.Add(U_EMRSETTEXTALIGN_set(U_TA_TOP | U_TA_RIGHT));
        right.Text(90, 10, "Été");
        const QImage r = Render(right.Finish());
        QVERIFY(DarkColumns(r).second <= 90 && DarkColumns(r).second >= 84);
        QVERIFY(DarkRows(r).first >= 10 && DarkRows(r).first <= 14);
    }

    void characterSpacingFollowsDx() {
        Writer w;
        w.Font(-20);
        w.Add(U_EMRSETTEXTALIGN_set(U_TA_BASELINE));
        w.Text(10, 50, "II", {60, 10});
        const QImage img = Render(w.Finish());
        QVERIFY(DarkColumns(img, 0, 99).first <= 14);
        QVERIFY(DarkColumns(img, 0, 99).second >= 70 && DarkColumns(img, 0, 99).second <= 76);
        QVERIFY(DarkColumns(img, 0, 99).first >= 10);
        // Nothing between the two letters.
        for (int x = 20; x < 65; ++x) QVERIFY(qGray(img.pixel(x, 45)) > 128);
    }

    void bottomUpDibStretchesOntoItsRectangle() {
        Writer w;
        // 2 x 2, 24-bit, bottom-up: first row in the data is the bottom of the picture.
        const U_BITMAPINFOHEADER bih = bitmapinfoheader_set(2, 2, 1, 24, U_BI_RGB, 16, 0, 0, 0, 0);
        PU_BITMAPINFO bmi = bitmapinfo_set(bih, nullptr);
        char px[16] = {};
        auto put = [&](int row, int col, int r, int g, int b) {
            px[row * 8 + col * 3] = char(b), px[row * 8 + col * 3 + 1] = char(g), px[row * 8 + col * 3 + 2] = char(r);
        };
        put(0, 0, 255, 0, 0);      // bottom left red
        put(0, 1, 0, 255, 0);      // bottom right green
        put(1, 0, 0, 0, 255);      // top left blue
        put(1, 1, 255, 255, 255);  // top right white
        w.Add(U_EMRSTRETCHDIBITS_set(rectl_set(point32_set(0, 0), point32_set(99, 99)), point32_set(0, 0),
                                     point32_set(100, 100), point32_set(0, 0), point32_set(2, 2), U_DIB_RGB_COLORS,
                                     U_SRCCOPY, bmi, 16, px));
        free(bmi);
        const QImage img = Render(w.Finish());
        QVERIFY(Near(img.pixel(10, 10), Qt::blue));
        QVERIFY(Near(img.pixel(10, 90), Qt::red));
        QVERIFY(Near(img.pixel(90, 90), Qt::green));
    }

    void naturalSizeIsTheFrameNotTheBounds() {
        Writer w(rectl_set(point32_set(100, 200), point32_set(5100, 3200)),
                 rectl_set(point32_set(0, 0), point32_set(999, 999)));
        auto doc = EmfDocument::Parse(w.Finish());
        QCOMPARE(doc->FrameSize(), QSizeF(5000, 3000));
    }

    // Writers fill the micrometre extension of the header with figures a few per cent off the
    // whole millimetres; device units relate to the frame through the millimetres.
    void deviceUnitsFollowTheHeaderMillimetres() {
        Writer w;
        w.NullPen();
        w.Brush(colorref3_set(255, 0, 0));
        w.Rect(0, 0, 50, 50);
        QByteArray data = w.Finish();
        std::uint32_t headerSize = 0;
        std::memcpy(&headerSize, data.constData() + 4, 4);
        QVERIFY(headerSize >= 108);
        const std::int32_t um[2] = {80000, 80000};  // would make a device pixel 1.25 mm
        std::memcpy(data.data() + 100, um, 8);
        const QImage img = Render(data);
        QVERIFY(Near(img.pixel(47, 47), Qt::red));
        QVERIFY(Near(img.pixel(53, 53), Qt::white));
    }

    // An edge half-way across a pixel: grey at ratio 1, crisp at ratio 2.
    void deviceRatioTwoDrawsSharper() {
        auto make = [] {
            Writer w;
            w.Add(U_EMRSETMAPMODE_set(U_MM_ANISOTROPIC));
            w.Add(U_EMRSETWINDOWEXTEX_set(sizel_set(200, 200)));
            w.Add(U_EMRSETVIEWPORTEXTEX_set(sizel_set(100, 100)));
            w.NullPen();
            w.Brush(colorref3_set(0, 0, 0));
            w.Rect(0, 0, 51, 200);  // right edge at device 25.5
            return w.Finish();
        };
        const QByteArray data = make();
        auto greys = [](const QImage& img) {
            int n = 0;
            for (int x = 0; x < img.width(); ++x) {
                const int g = qGray(img.pixel(x, img.height() / 2));
                if (g > 40 && g < 215) ++n;
            }
            return n;
        };
        QVERIFY(greys(Render(data, 100, 1)) >= 1);
        QCOMPARE(greys(Render(data, 100, 2)), 0);
    }

    void worldTransformScalesShapesClipsAndRegions() {
        Writer w;
        w.Add(U_EMRSETWORLDTRANSFORM_set(xform_set(0.5f, 0, 0, 0.5f, 0, 0)));
        w.Add(U_EMREXCLUDECLIPRECT_set(rectl_set(point32_set(40, 40), point32_set(60, 60))));  // device 20..30
        w.NullPen();
        w.Brush(colorref3_set(255, 0, 0));
        w.Rect(0, 0, 100, 100);
        U_RECTL box = rectl_set(point32_set(140, 20), point32_set(180, 60));
        PU_RGNDATA region = rgndata_set(rgndataheader_set(1, box), &box);
        w.Add(U_EMRFILLRGN_set(box, w.Brush(colorref3_set(0, 0, 255)), region));
        free(region);
        const QImage img = Render(w.Finish());
        QVERIFY(Near(img.pixel(10, 10), Qt::red));
        QVERIFY(Near(img.pixel(25, 25), Qt::white));  // excluded
        QVERIFY(Near(img.pixel(75, 75), Qt::white));  // beyond the halved rectangle
        QVERIFY(Near(img.pixel(80, 20), Qt::blue));   // a painted region is logical, halved too
    }

    // A blit with no source bitmap paints the selected brush.
    void patternBlitPaintsTheBrush() {
        Writer w;
        w.Brush(colorref3_set(0, 0, 255));
        w.Add(U_EMRBITBLT_set(rectl_set(point32_set(0, 0), point32_set(49, 99)), point32_set(0, 0), point32_set(50, 100),
                              point32_set(0, 0), xform_set(1, 0, 0, 1, 0, 0), colorref3_set(0, 0, 0), U_DIB_RGB_COLORS,
                              U_PATCOPY, nullptr, 0, nullptr));
        const QImage img = Render(w.Finish());
        QVERIFY(Near(img.pixel(25, 50), Qt::blue));
        QVERIFY(Near(img.pixel(75, 50), Qt::white));
    }

    // Both kinds of records: the plain copy is skipped, except what follows a GetDC record.
    void dualFileDrawsPlusAndPlainAfterGetDc() {
        Writer w;
        using P = PlusComment;
        w.Add(P::InPixels(1, true)
                  .Record(0x400A, 0x8000, P::Data({0xFF00FF00, 1, P::F(0), P::F(0), P::F(50), P::F(50)}))
                  .Make());
        w.NullPen();
        w.Brush(colorref3_set(255, 0, 0));
        w.Rect(50, 0, 100, 50);  // the fallback copy: not drawn
        w.Add(P().Record(0x4004, 0).Make());
        w.Brush(colorref3_set(0, 0, 255));
        w.Rect(0, 50, 100, 100);  // drawn through GetDC
        const QImage img = Render(w.Finish());
        QVERIFY(Near(img.pixel(25, 25), Qt::green));
        QVERIFY(Near(img.pixel(75, 25), Qt::white));
        QVERIFY(Near(img.pixel(50, 75), Qt::blue));
    }

    // Escapement turns the baseline: at 90 degrees the text runs up the page.
    void escapementTurnsText() {
        Writer w;
        w.Font(-16, 900);
        w.Add(U_EMRSETTEXTALIGN_set(U_TA_BASELINE));
        w.Add(U_EMRSETBKMODE_set(U_TRANSPARENT));
        w.Text(50, 90, "HHHH", {12, 12, 12, 12});
        const QImage img = Render(w.Finish());
        const auto [left, right] = DarkColumns(img);
        const auto [top, bottom] = DarkRows(img);
        QVERIFY(bottom - top > 2 * (right - left));
        QVERIFY(right <= 51 && left >= 35);  // the glyphs stand left of the baseline
        QVERIFY(bottom <= 91 && top >= 35);
    }

    // An XOR pen thinner than a pixel (one unit at a third of a pixel per unit) marks exactly one
    // row in the inverted colour, and drawing it again gives the white back.
    void xorPenInvertsOneCrispRowAndUndoesItself() {
        Writer w;
        w.Add(U_EMRSETMAPMODE_set(U_MM_ANISOTROPIC));
        w.Add(U_EMRSETWINDOWEXTEX_set(sizel_set(300, 300)));
        w.Add(U_EMRSETVIEWPORTEXTEX_set(sizel_set(100, 100)));
        std::uint32_t ih = 0;
        w.Add(createpen_set(&ih, w.Handles(), logpen_set(U_PS_SOLID, point32_set(1, 1), colorref3_set(255, 0, 0))));
        w.Add(selectobject_set(ih, w.Handles()));
        w.Add(U_EMRSETROP2_set(U_R2_XORPEN));
        auto line = [&](int y) {
            w.Add(U_EMRMOVETOEX_set(point32_set(30, y)));
            w.Add(U_EMRLINETO_set(point32_set(270, y)));
        };
        line(90);
        line(210);
        line(210);
        const QImage img = Render(w.Finish());
        int marked = 0;
        for (int y = 20; y < 40; ++y)
            if (img.pixel(50, y) != qRgb(255, 255, 255)) {
                ++marked;
                QVERIFY(Near(img.pixel(50, y), Qt::cyan));
            }
        QCOMPARE(marked, 1);
        for (int y = 60; y < 80; ++y) QCOMPARE(img.pixel(50, y), qRgb(255, 255, 255));
    }

    // Dash styles: a pen made by CREATEPEN wider than one unit is solid whatever its style, while an
    // extended geometric pen dots in squares as long as it is wide.
    void wideStyledPensDrawSolidOrDashByTheirWidth() {
        Writer w;
        std::uint32_t ih = 0;
        w.Add(createpen_set(&ih, w.Handles(), logpen_set(U_PS_DASH, point32_set(3, 3), colorref3_set(0, 0, 0))));
        w.Add(selectobject_set(ih, w.Handles()));
        w.Add(U_EMRMOVETOEX_set(point32_set(10, 30)));
        w.Add(U_EMRLINETO_set(point32_set(90, 30)));
        PU_EXTLOGPEN elp = extlogpen_set(U_PS_GEOMETRIC | U_PS_DOT | U_PS_ENDCAP_FLAT, 6, U_BS_SOLID, colorref3_set(0, 0, 0), 0, 0,
                                         nullptr);
        std::uint32_t ih2 = 0;
        w.Add(extcreatepen_set(&ih2, w.Handles(), nullptr, 0, nullptr, elp));
        free(elp);
        w.Add(selectobject_set(ih2, w.Handles()));
        w.Add(U_EMRMOVETOEX_set(point32_set(10, 70)));
        w.Add(U_EMRLINETO_set(point32_set(90, 70)));
        const QImage img = Render(w.Finish());
        for (int x = 12; x < 88; ++x) QVERIFY2(qGray(img.pixel(x, 30)) < 100, qPrintable(QString::number(x)));
        // Runs of ink and of paper along the dotted line: each about six pixels.
        QVector<int> runs;
        bool ink = qGray(img.pixel(10, 70)) < 128;
        int len = 0;
        for (int x = 10; x < 90; ++x) {
            const bool now = qGray(img.pixel(x, 70)) < 128;
            if (now == ink) {
                ++len;
                continue;
            }
            runs.push_back(len);
            ink = now, len = 1;
        }
        QVERIFY(runs.size() >= 8);
        for (int i = 1; i < runs.size(); ++i) QVERIFY2(runs[i] >= 5 && runs[i] <= 7, qPrintable(QString::number(runs[i])));
    }

    // An EMF+ pen that carries a dash array but no line style is dashed by that array.
    void emfPlusDashArrayAloneMakesADashedPen() {
        Writer w;
        using P = PlusComment;
        // Pen: version, type, flags (dash array), unit world, width 4; dashes 3 and 1; solid black.
        const QByteArray pen = P::Data({0xDBC01002, 0, 0x100, 0, P::F(4), 2, P::F(3), P::F(1), 0xDBC01002, 0, 0xFF000000});
        w.Add(P::InPixels()
                  .Record(0x4008, 0x0200, pen)
                  .Record(0x400D, 0, P::Data({2, P::F(2), P::F(50), P::F(98), P::F(50)}))
                  .Record(0x4002, 0)
                  .Make());
        const QImage img = Render(w.Finish());
        int gaps = 0;
        for (int x = 4; x < 96; ++x)
            if (qGray(img.pixel(x, 50)) > 200 && qGray(img.pixel(x - 1, 50)) < 100) ++gaps;
        QVERIFY2(gaps >= 5, qPrintable(QString::number(gaps)));
    }

    // An EMF+ open curve draws only the segments its offset and count pick out of its points.
    void emfPlusCurveDrawsOnlyItsChosenSegments() {
        Writer w;
        using P = PlusComment;
        const QByteArray pen = P::Data({0xDBC01002, 0, 0, 0, P::F(4), 0xDBC01002, 0, 0xFF000000});
        // Tension 0, from point 1, one segment, of three points on a row.
        w.Add(P::InPixels()
                  .Record(0x4008, 0x0200, pen)
                  .Record(0x4018, 0, P::Data({P::F(0), 1, 1, 3, P::F(10), P::F(50), P::F(50), P::F(50), P::F(90),
                                              P::F(50)}))
                  .Record(0x4002, 0)
                  .Make());
        const QImage img = Render(w.Finish());
        QVERIFY(Near(img.pixel(30, 50), Qt::white));
        QVERIFY(Near(img.pixel(70, 50), Qt::black));
    }

    // EMF+ gradients blend colour and opacity channel by channel (a half-transparent red end stays
    // red, it does not darken towards black), and a path gradient runs from its centre colour out
    // to the colours of the boundary's points.
    void plusGradientsBlendLikeTheirWriter() {
        Writer w;
        using P = PlusComment;
        const std::uint32_t red = 0xFFFF0000, green = 0xFF00FF00, blue = 0xFF0000FF, yellow = 0xFFFFFF00;
        w.Add(P::InPixels()
                  .Record(0x4008, 0x0100, P::Data({0xDBC01002, 4, 0, 0, P::F(0), P::F(0), P::F(100), P::F(100),
                                                   0x80FF0000, blue, 0, 0}))
                  .Record(0x400A, 0, P::Data({0, 1, P::F(0), P::F(0), P::F(100), P::F(50)}))
                  .Record(0x4008, 0x0101, P::Data({0xDBC01002, 3, 0, 0, 0xFF000000, P::F(50), P::F(75), 4, red, green,
                                                   blue, yellow, 4, P::F(0), P::F(50), P::F(100), P::F(50),
                                                   P::F(100), P::F(100), P::F(0), P::F(100)}))
                  .Record(0x400A, 0, P::Data({1, 1, P::F(0), P::F(50), P::F(100), P::F(50)}))
                  .Record(0x4002, 0)
                  .Make());
        const QImage img = Render(w.Finish());
        QVERIFY(Near(img.pixel(50, 25), QColor(158, 63, 160)));
        QVERIFY(qGray(img.pixel(50, 75)) < 30);
        // Near the middle of the first edge, halfway between its red and green ends.
        const QRgb edge = img.pixel(50, 52);
        QVERIFY(qRed(edge) > 90 && qGreen(edge) > 90 && qBlue(edge) < 40);
        // Near the right edge, between green and blue.
        const QRgb side = img.pixel(97, 75);
        QVERIFY(qRed(side) < 40 && qGreen(side) > 90 && qBlue(side) > 90);
    }

    // An EMF+ string starts its format's lead after the layout point: a sixth of an em by default,
    // nothing for a typographic format.
    void plusStringStartsAfterItsFormatsLead() {
        const auto firstInk = [](float lead) {
            Writer w;
            using P = PlusComment;
            const QByteArray font = P::Data({0xDBC01002, P::F(30), 2, 0, 0, 5, 0x00720041, 0x00610069, 0x006C});  // "Arial"
            const QByteArray format = P::Data({0xDBC01002, 0, 0, 0, 0, 0, 0, 0, 0, P::F(lead), P::F(0), P::F(1), 0, 0, 0});
            w.Add(P::InPixels()
                      .Record(0x4008, 0x0600, font)
                      .Record(0x4008, 0x0701, format)
                      .Record(0x401C, 0x8000, P::Data({0xFF000000, 1, 1, P::F(20), P::F(30), P::F(0), P::F(0), 0x0049}))  // "I"
                      .Record(0x4002, 0)
                      .Make());
            return DarkColumns(Render(w.Finish())).first;
        };
        const int typographic = firstInk(0), generic = firstInk(1.0f / 6);
        QVERIFY2(typographic >= 20 && typographic <= 24, qPrintable(QString::number(typographic)));
        QVERIFY2(generic - typographic >= 4 && generic - typographic <= 6, qPrintable(QString::number(generic - typographic)));
    }

    // EMF+ hatches are cells of 8 output pixels whatever the scale of the shape they fill; the
    // percentage styles are patterns too, not a flat blend.
    void plusHatchesRepeatEveryEightPixels() {
        const auto fill = [](std::uint32_t style) {
            Writer w;
            using P = PlusComment;
            w.Add(P::InPixels(10)  // ten pixels per unit
                      .Record(0x4008, 0x0100, P::Data({0xDBC01002, 1, style, 0xFF000000, 0xFFFFFFFF}))
                      .Record(0x400A, 0, P::Data({0, 1, P::F(0), P::F(0), P::F(10), P::F(10)}))
                      .Record(0x4002, 0)
                      .Make());
            return Render(w.Finish());
        };
        const QImage vertical = fill(1);
        for (int x = 0; x < 100; ++x)
            QVERIFY2((qGray(vertical.pixel(x, 50)) < 64) == (x % 8 == 0), qPrintable(QString::number(x)));
        const QImage half = fill(12);
        for (int x = 40; x < 48; ++x) QVERIFY(qGray(half.pixel(x, 50)) != qGray(half.pixel(x + 1, 50)));
    }

    // A file whose drawing is only in EMF+ comments: one filled rectangle in an ARGB colour.
    void emfPlusOnlyFileIsDrawnFromItsPlusRecords() {
        Writer w;
        using P = PlusComment;
        w.Add(P::InPixels()
                  .Record(0x400A, 0x8000, P::Data({0xFF00FF00, 1, P::F(50), P::F(0), P::F(50), P::F(100)}))
                  .Record(0x4002, 0)
                  .Make());
        const QImage img = Render(w.Finish());
        QVERIFY(Near(img.pixel(75, 50), Qt::green));
        QVERIFY(Near(img.pixel(25, 50), Qt::white));
    }

    // A one-pixel line drawn as short segments, as writers draw dotted grids, stays dotted and one
    // pixel tall when the picture is scaled by an uneven factor.
    void hairlineSegmentsStayDotsOnTheirPixels() {
        Writer w;
        for (int x = 0; x < 96; x += 6) {
            w.Add(U_EMRMOVETOEX_set(point32_set(x, 50)));
            w.Add(U_EMRLINETO_set(point32_set(x + 3, 50)));
        }
        const QImage img = Render(w.Finish(), 73);
        const auto [top, bottom] = DarkRows(img);
        QCOMPARE(top, bottom);
        int gaps = 0;
        for (int x = 1; x < 70; ++x)
            if (qGray(img.pixel(x, top)) > 240 && qGray(img.pixel(x - 1, top)) < 80) ++gaps;
        QVERIFY2(gaps >= 12, qPrintable(QString::number(gaps)));
    }

    // Opaque text boxes cover whole pixels: two that meet between pixels leave no lighter seam.
    void opaqueTextBoxesMeetWithoutSeam() {
        Writer w;
        w.Font(-10);
        w.Add(U_EMRSETBKCOLOR_set(colorref_set(0, 0, 0)));
        for (int left : {0, 50}) {
            std::uint16_t space = ' ';
            std::uint32_t dx = 5;
            const U_RECTL box = rectl_set(point32_set(left, 0), point32_set(left + 50, 100));
            char* text = emrtext_set(point32_set(left, 0), 1, 2, &space, U_ETO_OPAQUE, box, &dx);
            w.Add(U_EMREXTTEXTOUTW_set(box, U_GM_COMPATIBLE, 1, 1, reinterpret_cast<PU_EMRTEXT>(text)));
            free(text);
        }
        const QImage img = Render(w.Finish(), 73);  // the boxes meet at x = 36.5
        for (int x = 30; x < 43; ++x) QVERIFY2(qGray(img.pixel(x, 40)) < 8, qPrintable(QString::number(x)));
    }

    void arialGlyphIndicesDrawTheLettersTheyStandFor() {
        // Office charts store right-to-left text as Arial glyph numbers in visual order; the stand-in
        // face numbers its Hebrew letters elsewhere, its Latin ones the same.
        const auto draw = [](const std::vector<std::uint16_t>& units, std::uint32_t options) {
            Writer w;
            w.Font(-30);
            w.Add(U_EMRSETTEXTALIGN_set(U_TA_BASELINE));
            std::vector<std::uint16_t> s = units;
            std::vector<std::uint32_t> dx(s.size(), 25);
            char* text = emrtext_set(point32_set(10, 60), U_NUM_STR(s.size()), 2, s.data(), options,
                                     rectl_set(point32_set(0, 0), point32_set(-1, -1)), dx.data());
            w.Add(U_EMREXTTEXTOUTW_set(rectl_set(point32_set(0, 0), point32_set(-1, -1)), U_GM_COMPATIBLE, 1, 1,
                                       reinterpret_cast<PU_EMRTEXT>(text)));
            free(text);
            return Render(w.Finish());
        };
        const QImage hebrew = draw({0x05E9, 0x05DC, 0x05D0}, U_ETO_NONE);
        QVERIFY(DarkRows(hebrew).second > 0);
        QCOMPARE(draw({0x2B9, 0x2AC, 0x2A0}, U_ETO_GLYPH_INDEX), hebrew);
        QCOMPARE(draw({36, 68}, U_ETO_GLYPH_INDEX), draw({'A', 'a'}, U_ETO_NONE));

        // The same numbers in an EMF+ driver string.
        const auto drawPlus = [](const std::vector<std::uint16_t>& units, std::uint32_t options) {
            Writer w;
            using P = PlusComment;
            QByteArray rec = P::Data({0xFF000000, options, 0, std::uint32_t(units.size())});
            for (std::uint16_t u : units) rec.append(reinterpret_cast<const char*>(&u), 2);
            for (std::size_t i = 0; i < units.size(); ++i) rec += P::Data({P::F(10 + 25.0f * i), P::F(60)});
            w.Add(P::InPixels()
                      .Record(0x4008, 0x0600, P::Data({0xDBC01002, P::F(30), 2, 0, 0, 5, 0x00720041, 0x00610069, 0x006C}))
                      .Record(0x4036, 0x8000, rec)
                      .Record(0x4002, 0)
                      .Make());
            return Render(w.Finish());
        };
        const QImage plusHebrew = drawPlus({0x05E9, 0x05DC, 0x05D0}, 1);
        QVERIFY(DarkRows(plusHebrew).second > 0);
        QCOMPARE(drawPlus({0x2B9, 0x2AC, 0x2A0}, 0), plusHebrew);
    }

    // A slide's words for a screen reader: lines top to bottom whatever order the runs were
    // written in, a space between runs that stand apart, glyph numbers read back as letters, an
    // empty line before a paragraph; and the strings of an EMF+ file.
    void textComesBackInReadingOrder() {
        Writer w;
        w.Font(-10);
        w.Add(U_EMRSETTEXTALIGN_set(U_TA_BASELINE));
        w.Text(44, 20, "monde", std::vector<std::uint32_t>(5, 5));
        w.Text(5, 20, "Bonjour", std::vector<std::uint32_t>(7, 5));
        w.Text(5, 32, "ligne deux", std::vector<std::uint32_t>(10, 5));
        w.Text(5, 80, "Fin", std::vector<std::uint32_t>(3, 5));
        std::vector<std::uint16_t> glyphs = {36, 68};  // Arial's "A" and "a"
        std::vector<std::uint32_t> dx(2, 6);
        char* text = emrtext_set(point32_set(5, 50), U_NUM_STR(glyphs.size()), 2, glyphs.data(), U_ETO_GLYPH_INDEX,
                                 rectl_set(point32_set(0, 0), point32_set(-1, -1)), dx.data());
        w.Add(U_EMREXTTEXTOUTW_set(rectl_set(point32_set(0, 0), point32_set(-1, -1)), U_GM_COMPATIBLE, 1, 1,
                                   reinterpret_cast<PU_EMRTEXT>(text)));
        free(text);
        w.Text(-5000, 40, "   ");  // spaces say nothing
        QCOMPARE(EmfDocument::Parse(w.Finish())->Text(), QString("Bonjour monde\nligne deux\nAa\n\nFin"));

        Writer plus;
        using P = PlusComment;
        const QByteArray font = P::Data({0xDBC01002, P::F(10), 2, 0, 0, 5, 0x00720041, 0x00610069, 0x006C});  // "Arial"
        plus.Add(P::InPixels()
                     .Record(0x4008, 0x0600, font)
                     .Record(0x401C, 0x8000, P::Data({0xFF000000, 0xFFFFFFFF, 2, P::F(5), P::F(60), P::F(0), P::F(0), 0x00690048}))  // "Hi"
                     .Record(0x401C, 0x8000, P::Data({0xFF000000, 0xFFFFFFFF, 2, P::F(5), P::F(10), P::F(0), P::F(0), 0x006F0059}))  // "Yo"
                     .Record(0x4002, 0)
                     .Make());
        QCOMPARE(EmfDocument::Parse(plus.Finish())->Text(), QString("Yo\n\nHi"));
    }

    void bitmapFormatsDecode() {
        // 8-bit with a palette, 1 x 2, bottom-up: index 1 (red) below index 0 (blue).
        std::uint8_t bmi8[40 + 8] = {40, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 1, 0, 8, 0};
        bmi8[32] = 2;                                                  // two colours used
        const std::uint8_t pal[] = {255, 0, 0, 0, 0, 0, 255, 0};      // blue, red (BGRX)
        std::memcpy(bmi8 + 40, pal, 8);
        const std::uint8_t bits8[] = {1, 0, 0, 0, 0, 0, 0, 0};
        QImage img = DecodeDib(bmi8, sizeof bmi8, bits8, sizeof bits8);
        QCOMPARE(img.size(), QSize(1, 2));
        QVERIFY(Near(img.pixel(0, 0), Qt::blue) && Near(img.pixel(0, 1), Qt::red));

        // The same as run-length encoded 8-bit: two rows of one pixel each, then end of bitmap.
        bmi8[16] = 1;  // BI_RLE8
        const std::uint8_t rle[] = {1, 1, 0, 0, 1, 0, 0, 1};
        img = DecodeDib(bmi8, sizeof bmi8, rle, sizeof rle);
        QVERIFY(Near(img.pixel(0, 0), Qt::blue) && Near(img.pixel(0, 1), Qt::red));

        // 16-bit 5-6-5 bit fields, top-down (negative height).
        std::uint8_t bmi16[40 + 12] = {40, 0, 0, 0, 1, 0, 0, 0, 0xff, 0xff, 0xff, 0xff, 1, 0, 16, 0, 3};
        const std::uint32_t masks[] = {0xF800, 0x07E0, 0x001F};
        std::memcpy(bmi16 + 40, masks, 12);
        const std::uint8_t bits16[] = {0x00, 0xF8, 0, 0};  // pure red
        img = DecodeDib(bmi16, sizeof bmi16, bits16, sizeof bits16);
        QVERIFY(Near(img.pixel(0, 0), Qt::red));

        // Bits shorter than the picture: what is missing stays white, nothing is read beyond.
        bmi8[16] = 0;
        img = DecodeDib(bmi8, sizeof bmi8, bits8, 4);
        QVERIFY(Near(img.pixel(0, 1), Qt::red) && Near(img.pixel(0, 0), Qt::white));

        // A bit count of zero (or any other unknown one) is refused, not divided by.
        std::uint8_t zero[40] = {40, 0, 0, 0, 10, 0, 0, 0, 10, 0, 0, 0, 1, 0, 0, 0};
        QVERIFY(DecodeDib(zero, sizeof zero, bits8, sizeof bits8).isNull());

        // A header claiming a huge picture is refused without allocating it.
        std::uint8_t huge[40] = {40, 0, 0, 0, 0xff, 0xff, 0, 0, 0xff, 0xff, 0, 0, 1, 0, 24, 0};
        QVERIFY(DecodeDib(huge, sizeof huge, bits8, sizeof bits8).isNull());
    }

    void pictureFontsShowTheirSymbols() {
        using emf::detail::MapFace;
        using emf::detail::SymbolText;
        // Slides on circuits write ohms and micro in the Symbol font, as W and m.
        const auto symbol = MapFace("Symbol");
        QCOMPARE(SymbolText(symbol.symbols, "10 kW, 5 mA"), QString::fromUtf8("10 κΩ, 5 μΑ"));
        QCOMPARE(SymbolText(symbol.symbols, QString(QChar(0xF057))), QString::fromUtf8("Ω"));  // the private-area form
        // Face names match whatever their case; bullets, ticks and circled digits of Wingdings.
        const auto wingdings = MapFace("WingDings");
        QCOMPARE(SymbolText(wingdings.symbols, QString::fromLatin1("\x6c\xfc\xfb\x81")), QString::fromUtf8("●✔✗①"));
        const auto wingdings2 = MapFace("Wingdings 2");
        QCOMPARE(SymbolText(wingdings2.symbols, "P P"), QString::fromUtf8("✓ ✓"));
        // A slot with no known picture is an empty box, never the letter it is stored as.
        QCOMPARE(SymbolText(wingdings2.symbols, "!"), QString::fromUtf8("▯"));
        // A slot drawn outside the basic plane (the glasses, 0x24) takes no second advance: the
        // bullet after it sits where the writer's spacing puts it.
        Writer w;
        w.Font(-20, 0, "Wingdings");
        w.Add(U_EMRSETTEXTALIGN_set(U_TA_BASELINE));
        w.Add(U_EMRSETBKMODE_set(U_TRANSPARENT));
        w.Text(10, 50, "$l", {50, 12});
        const QImage img = Render(w.Finish());
        int first = -1;
        for (int x = 40; x < 100 && first < 0; ++x)
            for (int y = 0; y < 100 && first < 0; ++y)
                if (qGray(img.pixel(x, y)) < 128) first = x;
        QVERIFY2(first >= 59 && first <= 64, qPrintable(QString::number(first)));
        // Ordinary faces keep their text.
        const auto arial = MapFace("Arial");
        QCOMPARE(arial.family, QString("Liberation Sans"));
        QCOMPARE(MapFace("Calibri Light").family, QString("Carlito"));
        QCOMPARE(SymbolText(arial.symbols, "kW"), QString("kW"));
    }

    // The preview tool: a picture at its frame size, or a plain reason and a failure status; a
    // picture too large to draw is met with a scale that would do.
    void emf2pngDrawsOrSaysWhy() {
        QTemporaryDir dir;
        const auto run = [&](const QByteArray& data, QStringList extra = {}) {
            QFile f(dir.filePath("in.emf"));
            f.open(QIODevice::WriteOnly);
            f.write(data);
            f.close();
            QProcess p;
            p.start(QStringLiteral(SEANCE_BIN_DIR "/tools/emf2png/emf2png"), QStringList{f.fileName(), dir.filePath("out.png")} + extra);
            p.waitForFinished(60000);
            return std::make_pair(p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardError()));
        };
        Writer small;
        small.Rect(10, 10, 90, 90);
        const auto [ok, quiet] = run(small.Finish(), {"2"});
        QCOMPARE(ok, 0);
        QCOMPARE(QImage(dir.filePath("out.png")).size(), QSize(756, 756));  // 100 mm at 96 dpi, twice
        Writer huge(rectl_set(point32_set(0, 0), point32_set(10000000, 10000000)));  // 100 m square
        const auto [tooLarge, advice] = run(huge.Finish());
        QVERIFY(tooLarge != 0);
        QVERIFY2(advice.contains("too large") && advice.contains("try a SCALE of 0.005"), qPrintable(advice));
        const auto [bad, reason] = run("not a picture at all");
        QVERIFY(bad != 0);
        QVERIFY2(reason.contains("emf2png: ") && reason.contains("in.emf: "), qPrintable(reason));
    }

    // A refusal says what went wrong and at which record, for each program to word.
    void badFilesAreRefusedWithTheRecordAtFault() {
        const emf::Picture notEmf = emf::Picture::FromData(QByteArray(
            "GIF89a not a metafile at all, just some bytes to be long enough to read a header from, more than "
            "eighty-eight of them."));
        QVERIFY(notEmf.IsNull());
        QCOMPARE(notEmf.Error().code, emf::ErrorCode::NotEmf);
        QCOMPARE(notEmf.Error().ToString(), QString("not an EMF file"));

        Writer w;
        w.Rect(0, 0, 10, 10);
        const QByteArray whole = w.Finish();
        const int rect = whole.indexOf(QByteArray::fromHex("2b00000018000000"));  // the rectangle record
        QVERIFY(rect > 0);
        const emf::LoadError cut = emf::Picture::FromData(whole.left(whole.size() - 30)).Error();
        QCOMPARE(cut.code, emf::ErrorCode::Truncated);
        QCOMPARE(cut.offset, qint64(rect));
        QCOMPARE(cut.recordType, quint32(U_EMR_RECTANGLE));
        QCOMPARE(cut.ToString(), QString("truncated record (type 43, 24 bytes) at offset %1").arg(rect));

        QByteArray odd = whole;
        odd[rect + 4] = char(22);  // a size that is no whole number of words
        const emf::LoadError damaged = emf::Picture::FromData(odd).Error();
        QCOMPARE(damaged.code, emf::ErrorCode::Damaged);
        QCOMPARE(damaged.offset, qint64(rect));

        // A polygon claiming far more points than its record holds draws nothing and survives.
        QByteArray lying = whole;
        QByteArray poly(28, 0);
        const std::uint32_t fields[] = {U_EMR_POLYGON16, 28, 0, 0, 10, 10, 0x7fffffff};
        std::memcpy(poly.data(), fields, 28);
        lying.insert(rect, poly);
        std::uint32_t total = std::uint32_t(lying.size());
        std::memcpy(lying.data() + 48, &total, 4);
        Render(lying);
    }

    // Limits are the program's: none by default; beyond them, refused before anything is drawn.
    void limitsAreTheCallersToSet() {
        Writer big(rectl_set(point32_set(0, 0), point32_set(2000000, 1000000)));  // 20 x 10 m
        const QByteArray data = big.Finish();
        QVERIFY(!emf::Picture::FromData(data).IsNull());
        const emf::LoadError frame = emf::Picture::FromData(data, {.maxFrameSide = 1000000}).Error();
        QCOMPARE(frame.code, emf::ErrorCode::FrameTooLarge);
        QCOMPARE(frame.frame, QSizeF(2000000, 1000000));
        QCOMPARE(frame.ToString(), QString("frame too large (20000 x 10000 mm) at offset 0"));
        QCOMPARE(emf::Picture::FromData(data, {.maxFileBytes = data.size() - 1}).Error().code, emf::ErrorCode::FileTooLarge);

        Writer flat(rectl_set(point32_set(0, 0), point32_set(10000, 0)));
        QCOMPARE(emf::Picture::FromData(flat.Finish()).Error().code, emf::ErrorCode::FrameEmpty);

        QTemporaryDir dir;
        QCOMPARE(emf::Picture::FromFile(dir.filePath("none.emf")).Error().code, emf::ErrorCode::FileNotFound);
        QCOMPARE(emf::Picture::FromFile(dir.path()).Error().code, emf::ErrorCode::FileIsDirectory);
        QFile empty(dir.filePath("empty.emf"));
        QVERIFY(empty.open(QIODevice::WriteOnly));
        empty.close();
        QCOMPARE(emf::Picture::FromFile(empty.fileName()).Error().code, emf::ErrorCode::FileEmpty);
        QFile file(dir.filePath("big.emf"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(data);
        file.close();
        QVERIFY(!emf::Picture::FromFile(file.fileName()).IsNull());
        QCOMPARE(emf::Picture::FromFile(file.fileName(), {.maxFileBytes = 100}).Error().code, emf::ErrorCode::FileTooLarge);
    }

    // One call from picture to image: over its background, the frame filling the target, so that
    // a target larger than the image keeps a part of the picture.
    void rendersToAnImage() {
        Writer w;
        w.NullPen();
        w.Brush(colorref3_set(255, 0, 0));
        w.Rect(0, 0, 50, 50);  // the top-left quarter
        const emf::Picture picture = emf::Picture::FromData(w.Finish());
        QCOMPARE(picture.PixelSize(96), QSize(378, 378));
        QCOMPARE(picture.FittedSize(QSize(60, 30)), QSize(30, 30));
        const QImage whole = emf::RenderToImage(picture, QSize(40, 40), Qt::blue);
        QCOMPARE(whole.size(), QSize(40, 40));
        QVERIFY(Near(whole.pixel(5, 5), Qt::red));
        QVERIFY(Near(whole.pixel(35, 35), Qt::blue));
        const QImage quarter = emf::RenderToImage(picture, QSize(40, 40), Qt::transparent, QRectF(0, 0, 80, 80));
        QVERIFY(Near(quarter.pixel(35, 35), Qt::red));
        QVERIFY(emf::RenderToImage(picture, QSize(0, 40)).isNull());
        QVERIFY(emf::RenderToImage(emf::Picture(), QSize(40, 40)).isNull());
    }
};

QTEST_MAIN(EmfRenderTest)
#include "test_emf_render.moc"
