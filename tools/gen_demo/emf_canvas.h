#pragma once
// The EMF canvas: writes a slide as an enhanced metafile with libuemf. The picture is 1024 x 768
// pixels of a 96-dpi reference device (frame 27093 x 20320 hundredths of a millimetre); logical
// units are twips (15 per pixel) in the anisotropic mapping mode, so text and shapes are placed
// to a fifteenth of a pixel.

#include "canvas.h"

#include <QMap>
#include <QString>
#include <cstdint>
#include <uemf.h>

namespace demo {

class EmfCanvas : public Canvas {
public:
    // description: the second string of the header's description ("Diapo 3").
    EmfCanvas(const QString& path, const QString& description);
    ~EmfCanvas() override;
    EmfCanvas(const EmfCanvas&) = delete;
    EmfCanvas& operator=(const EmfCanvas&) = delete;

    void SetPen(const QColor& color, double width) override;
    void SetBrush(const QColor& color) override;
    void Rect(const QRectF& r) override;
    void Ellipse(const QRectF& r) override;
    void Polygon(const QPolygonF& points) override;
    void Polyline(const QPolygonF& points) override;
    void Text(const TextRun& run) override;
    void Bitmap(const QRectF& target, const QImage& image) override;

    // Ends the file and writes it; throws std::runtime_error on failure.
    void Finish();

private:
    void Append(char* record);
    uint32_t Font(const TextStyle& style);

    QString path_;
    EMFTRACK* et_ = nullptr;
    EMFHANDLES* eht_ = nullptr;
    QMap<QString, uint32_t> objects_;  // pens, brushes and fonts by their settings
    uint32_t selectedFont_ = 0;
    QColor textColor_;
    uint32_t textAlign_ = 0;
    bool finished_ = false;
};

}  // namespace demo
