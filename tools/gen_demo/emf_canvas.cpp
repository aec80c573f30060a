#include "emf_canvas.h"

#include <uemf.h>
#include <uemf_utf.h>

#include <QFile>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace demo {

namespace {

constexpr double kTwipsPerPixel = 15.0;

int32_t T(double px) { return static_cast<int32_t>(std::lround(px * kTwipsPerPixel)); }
U_POINTL PointT(QPointF p) { return point32_set(T(p.x()), T(p.y())); }

// Device-unit bounds of a drawing, as each record carries them.
U_RECTL DeviceBounds(const QRectF& r) {
    const QRect d = r.toAlignedRect();
    return rectl_set(point32_set(d.left(), d.top()), point32_set(d.right(), d.bottom()));
}

U_COLORREF Ref(const QColor& c) { return colorref3_set(c.red(), c.green(), c.blue()); }

QString Key(const QColor& c) { return c.isValid() ? c.name() : QStringLiteral("none"); }

std::vector<uint16_t> Utf16(const QString& s) {
    std::vector<uint16_t> out(s.size());
    for (int i = 0; i < s.size(); ++i) out[i] = s[i].unicode();
    return out;
}

}  // namespace

EmfCanvas::EmfCanvas(const QString& path, const QString& description) : path_(path) {
    if (emf_start(QFile::encodeName(path).constData(), 1 << 20, 1 << 18, &et_) != 0)
        throw std::runtime_error("cannot create " + path.toStdString());
    if (emf_htable_create(128, 128, &eht_) != 0) throw std::runtime_error("out of memory");

    // The description is two NUL-terminated strings followed by an empty one.
    QString desc = QStringLiteral("Séance 1") + QChar(0) + description + QChar(0) + QChar(0);
    std::vector<uint16_t> d = Utf16(desc);
    const U_RECTL bounds = rectl_set(point32_set(0, 0), point32_set(kSlideWidth - 1, kSlideHeight - 1));
    const U_RECTL frame = rectl_set(point32_set(0, 0), point32_set(27093, 20320));
    // A 96-dpi reference device: 1920 x 1440 pixels on 508 x 381 mm, exactly 25.4 / 96 mm a pixel.
    Append(U_EMRHEADER_set(bounds, frame, nullptr, static_cast<U_CBSTR>(d.size()), d.data(),
                           sizel_set(1920, 1440), sizel_set(508, 381), 0));
    Append(U_EMRSETMAPMODE_set(U_MM_ANISOTROPIC));
    Append(U_EMRSETWINDOWORGEX_set(point32_set(0, 0)));
    Append(U_EMRSETWINDOWEXTEX_set(sizel_set(T(kSlideWidth), T(kSlideHeight))));
    Append(U_EMRSETVIEWPORTORGEX_set(point32_set(0, 0)));
    Append(U_EMRSETVIEWPORTEXTEX_set(sizel_set(kSlideWidth, kSlideHeight)));
    Append(U_EMRSETBKMODE_set(U_TRANSPARENT));
    Append(U_EMRSETPOLYFILLMODE_set(U_WINDING));
    Append(U_EMRSETTEXTALIGN_set(U_TA_TOP | U_TA_LEFT | U_TA_NOUPDATECP));
}

EmfCanvas::~EmfCanvas() {
    if (eht_) emf_htable_free(&eht_);
    if (et_) emf_free(&et_);
}

void EmfCanvas::Append(char* record) {
    if (!record) throw std::runtime_error("libuemf could not build a record for " + path_.toStdString());
    if (emf_append(reinterpret_cast<U_ENHMETARECORD*>(record), et_, 1) != 0)
        throw std::runtime_error("out of memory writing " + path_.toStdString());
}

void EmfCanvas::SetPen(const QColor& color, double width) {
    if (!color.isValid() || width <= 0) {
        Append(U_EMRSELECTOBJECT_set(U_NULL_PEN));
        return;
    }
    const QString key = QStringLiteral("pen %1 %2").arg(Key(color)).arg(T(width));
    if (!objects_.contains(key)) {
        uint32_t ih = 0;
        // Geometric pens keep their width in logical units and take round ends and joins.
        Append(createpen_set(&ih, eht_,
                             logpen_set(U_PS_SOLID | U_PS_GEOMETRIC | U_PS_ENDCAP_ROUND | U_PS_JOIN_ROUND,
                                        point32_set(T(width), 0), Ref(color))));
        objects_.insert(key, ih);
    }
    Append(selectobject_set(objects_.value(key), eht_));
}

void EmfCanvas::SetBrush(const QColor& color) {
    if (!color.isValid()) {
        Append(U_EMRSELECTOBJECT_set(U_NULL_BRUSH));
        return;
    }
    const QString key = QStringLiteral("brush %1").arg(Key(color));
    if (!objects_.contains(key)) {
        uint32_t ih = 0;
        Append(createbrushindirect_set(&ih, eht_, logbrush_set(U_BS_SOLID, Ref(color), 0)));
        objects_.insert(key, ih);
    }
    Append(selectobject_set(objects_.value(key), eht_));
}

void EmfCanvas::Rect(const QRectF& r) {
    Append(U_EMRRECTANGLE_set(rectl_set(PointT(r.topLeft()), PointT(r.bottomRight()))));
}

void EmfCanvas::Ellipse(const QRectF& r) {
    Append(U_EMRELLIPSE_set(rectl_set(PointT(r.topLeft()), PointT(r.bottomRight()))));
}

void EmfCanvas::Polygon(const QPolygonF& points) {
    std::vector<U_POINTL> pts;
    for (const QPointF& p : points) pts.push_back(PointT(p));
    Append(U_EMRPOLYGON_set(DeviceBounds(points.boundingRect()), static_cast<uint32_t>(pts.size()), pts.data()));
}

void EmfCanvas::Polyline(const QPolygonF& points) {
    std::vector<U_POINTL> pts;
    for (const QPointF& p : points) pts.push_back(PointT(p));
    Append(U_EMRPOLYLINE_set(DeviceBounds(points.boundingRect()), static_cast<uint32_t>(pts.size()), pts.data()));
}

uint32_t EmfCanvas::Font(const TextStyle& style) {
    const QString key = QStringLiteral("font %1 %2 %3").arg(T(style.px)).arg(style.bold).arg(style.italic);
    if (!objects_.contains(key)) {
        uint16_t face[U_LF_FACESIZE] = {};
        const std::vector<uint16_t> name = Utf16(QStringLiteral("Liberation Sans"));
        std::memcpy(face, name.data(), name.size() * sizeof(uint16_t));
        // A negative height asks for the em size rather than the cell height.
        const U_LOGFONT lf = logfont_set(-T(style.px), 0, 0, 0, style.bold ? U_FW_BOLD : U_FW_NORMAL,
                                         style.italic ? 1 : 0, 0, 0, U_DEFAULT_CHARSET, U_OUT_DEFAULT_PRECIS,
                                         U_CLIP_DEFAULT_PRECIS, U_ANTIALIASED_QUALITY,
                                         U_VARIABLE_PITCH | U_FF_SWISS, face);
        uint16_t fullName[U_LF_FULLFACESIZE] = {};
        uint16_t styleName[U_LF_FACESIZE] = {};
        std::memcpy(fullName, name.data(), name.size() * sizeof(uint16_t));
        const U_PANOSE panose = panose_set(2, 11, style.bold ? 7 : 6, 4, 2, 2, 2, 2, 2, 4);
        U_LOGFONT_PANOSE elfw = logfont_panose_set(lf, fullName, styleName, 0, panose);
        elfw.elfPadding = 0;  // left unset by libuemf; the file must be the same on every run
        uint32_t ih = 0;
        Append(extcreatefontindirectw_set(&ih, eht_, nullptr, reinterpret_cast<const char*>(&elfw)));
        objects_.insert(key, ih);
    }
    return objects_.value(key);
}

void EmfCanvas::Text(const TextRun& run) {
    const uint32_t font = Font(run.style);
    if (font != selectedFont_) {
        Append(selectobject_set(font, eht_));
        selectedFont_ = font;
    }
    if (run.style.color != textColor_) {
        Append(U_EMRSETTEXTCOLOR_set(Ref(run.style.color)));
        textColor_ = run.style.color;
    }
    const uint32_t align = (run.align == Align::Center ? U_TA_CENTER : U_TA_LEFT) | U_TA_TOP;
    if (align != textAlign_) {
        Append(U_EMRSETTEXTALIGN_set(align));
        textAlign_ = align;
    }
    std::vector<uint16_t> text = Utf16(run.text);
    // Each character's place is the sum of the rounded advances before it, in twips.
    std::vector<uint32_t> dx;
    for (double a : run.advances) dx.push_back(static_cast<uint32_t>(std::lround(a * kTwipsPerPixel)));
    char* emrtext = emrtext_set(point32_set(T(run.x), T(run.y)), static_cast<U_NUM_STR>(text.size()),
                                sizeof(uint16_t), text.data(), U_ETO_NONE, U_RCL_DEF, dx.data());
    if (!emrtext) throw std::runtime_error("libuemf could not build a text record");
    char* rec = U_EMREXTTEXTOUTW_set(DeviceBounds(run.Bounds()), U_GM_COMPATIBLE, 1.0f, 1.0f,
                                     reinterpret_cast<PU_EMRTEXT>(emrtext));
    std::free(emrtext);
    Append(rec);
}

void EmfCanvas::Bitmap(const QRectF& target, const QImage& image) {
    const QImage img = image.convertToFormat(QImage::Format_RGB888);
    const int w = img.width();
    const int h = img.height();
    const int stride = (w * 3 + 3) & ~3;
    // A bottom-up 24-bit DIB: rows from the last to the first, blue-green-red, padded to 4 bytes.
    std::vector<char> px(static_cast<size_t>(stride) * h, 0);
    for (int y = 0; y < h; ++y) {
        const uchar* src = img.constScanLine(h - 1 - y);
        char* dst = px.data() + static_cast<size_t>(y) * stride;
        for (int x = 0; x < w; ++x) {
            dst[x * 3 + 0] = static_cast<char>(src[x * 3 + 2]);
            dst[x * 3 + 1] = static_cast<char>(src[x * 3 + 1]);
            dst[x * 3 + 2] = static_cast<char>(src[x * 3 + 0]);
        }
    }
    const U_BITMAPINFOHEADER bmih =
        bitmapinfoheader_set(w, h, 1, 24, U_BI_RGB, static_cast<uint32_t>(px.size()), 3780, 3780, 0, 0);
    PU_BITMAPINFO bmi = bitmapinfo_set(bmih, nullptr);
    char* rec = U_EMRSTRETCHDIBITS_set(DeviceBounds(target), PointT(target.topLeft()),
                                       point32_set(T(target.width()), T(target.height())), point32_set(0, 0),
                                       point32_set(w, h), U_DIB_RGB_COLORS, U_SRCCOPY, bmi,
                                       static_cast<uint32_t>(px.size()), px.data());
    std::free(bmi);
    Append(rec);
}

void EmfCanvas::Finish() {
    if (finished_) return;
    Append(U_EMREOF_set(0, nullptr, et_));
    if (emf_finish(et_, eht_) != 0) throw std::runtime_error("cannot write " + path_.toStdString());
    finished_ = true;
}

}  // namespace demo
