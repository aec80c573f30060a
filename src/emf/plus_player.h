#pragma once
// EMF+ records, as carried in metafile comments, drawn with QPainter.

#include <QBrush>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QTransform>
#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "emf/fonts.h"
#include "emf/records.h"

namespace emf::detail {

class EmfDocument;

// Counts and sizes beyond these are a damaged or hostile file, not a picture.
inline constexpr std::uint32_t kMaxCount = 1024 * 1024;
inline constexpr std::uint32_t kMaxObjectBytes = 64u * 1024 * 1024;

inline QColor Argb(std::uint32_t v) { return QColor::fromRgba(v); }
inline bool Ok(double v) { return std::isfinite(v) && std::abs(v) < 1e9; }

// A matrix stored in a record; one holding a value out of range reads as the identity.
inline QTransform MatrixAt(const RecordView& d, std::uint64_t at) {
    double v[6];
    for (int i = 0; i < 6; ++i)
        if (!Ok(v[i] = d.F32(at + 4ull * i))) return {};
    return QTransform(v[0], v[1], v[2], v[3], v[4], v[5]);
}

class PlusPlayer {
public:
    // devBase maps reference device pixels to the painter's device; dpi is the reference
    // device's resolution used for physical page units.
    PlusPlayer(QPainter& painter, const QTransform& devBase, const QPainterPath& frameClip, double dpiX, double dpiY);
    ~PlusPlayer();

    // Plays the EMF+ records of one comment record's payload (after the "EMF+" tag).
    void Comment(const std::uint8_t* data, std::size_t size);
    // Whether GDI records that follow are to be drawn (after a GetDC record).
    bool GdiEnabled() const { return getDc_; }
    // Text drawn from now on is also recorded there (null: not recorded).
    void SetTextSink(std::vector<TextRun>* sink) { textSink_ = sink; }
    // Whether this player changed the painter's clip since the caller last set its own.
    bool TakeClipDirty() {
        const bool d = clipDirty_;
        clipDirty_ = false;
        return d;
    }

private:
    struct PenObj {
        QPen pen;
        double width = 1;
        int unit = 0;
    };
    struct Object {
        int type = 0;
        QBrush brush;
        PenObj pen;
        QPainterPath path;
        QImage image;
        std::shared_ptr<const EmfDocument> metafile;
        QFont font;
        QString face;  // as the writer named it, for its glyph numbers
        SymbolSet symbols = SymbolSet::None;
        double emSize = 12;
        int fontUnit = 3;
        int alignH = 0, alignV = 0;
        std::uint32_t formatFlags = 0;
        double leading = 1.0 / 6;  // in ems; a string drawn without a format gets the default lead
    };
    struct State {
        QTransform world;
        bool hasClip = false;
        QPainterPath clip;  // in device pixels
    };

    // plus_player.cpp: state, transforms, clip and objects; plus_drawing.cpp: the records that draw
    // (DrawRecord, false for any other); plus_objects.cpp: brushes, pens, paths, regions, images,
    // fonts; plus_text.cpp: strings.
    void Record(int type, int flags, const RecordView& d);
    bool DrawRecord(int type, int flags, const RecordView& d);
    void ParseObject(int id, int type, const RecordView& d);
    QBrush ReadBrush(const RecordView& d, std::uint64_t at);
    QBrush PathGradient(const RecordView& d, std::uint64_t at);
    QPainterPath ReadPath(const RecordView& d, std::uint64_t at, std::uint64_t* end = nullptr);
    QPainterPath ReadRegion(const RecordView& d, std::uint64_t* at, int depth);
    QImage ReadImage(const RecordView& d, std::uint64_t at, std::shared_ptr<const EmfDocument>* metafile);
    QBrush BrushFor(int flags, std::uint32_t brushId);
    QPen PenFor(std::uint32_t penId);
    std::vector<QPointF> Points(const RecordView& d, std::uint64_t at, std::uint32_t count, int flags);
    QRectF RectAt(const RecordView& d, std::uint64_t at, bool compressed);
    double UnitToPixels(int unit, bool vertical) const;
    QTransform WorldToDevice() const;
    void UseWorld();
    void SetClip(const QPainterPath& devicePath, int mode);
    void ApplyClip();
    void FillPath(const QPainterPath& path, const QBrush& brush);
    void StrokePath(const QPainterPath& path, const QPen& pen);
    void DrawImage(const Object& img, const QRectF& src, int srcUnit, const QPolygonF& dest);
    void DrawString(const RecordView& d, int flags);
    void DrawDriverString(const RecordView& d, int flags);

    QPainter& p_;
    QTransform devBase_;
    QPainterPath frameClip_;
    double dpiX_, dpiY_;
    std::map<int, Object> objects_;
    State s_;
    std::map<std::uint32_t, State> saved_;
    int pageUnit_ = 2;
    double pageScale_ = 1;
    bool getDc_ = false;
    bool clipDirty_ = false;
    std::vector<TextRun>* textSink_ = nullptr;
    bool penInDevice_ = false;  // the last pen's width is in device pixels
    std::set<qint64> hatchTiles_;  // brush images laid out in output pixels
    // An object split over several records, reassembled before it is parsed.
    std::vector<std::uint8_t> pending_;
    std::uint32_t pendingTotal_ = 0;
    int pendingId_ = -1, pendingType_ = 0;
};

}  // namespace emf::detail
