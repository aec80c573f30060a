#pragma once
// The player of plain EMF records: the device context's state and objects, and the records that
// draw with them. Its handlers are split by kind of record: player_state.cpp (mapping, clip,
// objects), player_shapes.cpp (lines, curves, paths, regions), player_text.cpp and
// player_bitmaps.cpp; player.cpp plays the record list and hands each record to them.

#include <uemf.h>

#include <QPainter>
#include <QPainterPath>
#include <QRectF>
#include <memory>
#include <optional>
#include <vector>

#include "emf/fonts.h"
#include "emf/plus_player.h"
#include "emf/records.h"

namespace emf::detail {


// Per-record work is bounded, but a hostile file can still hold millions of tiny records or
// points; these caps keep one picture from stalling the lesson.
inline constexpr std::uint32_t kMaxPoints = 4 * 1024 * 1024;
inline constexpr std::uint32_t kMaxHandles = 65536;
inline constexpr int kMaxSaveDepth = 1024;
// Files with both EMF+ and plain records are drawn from their EMF+ records: measured closer to
// the reference renderings.
inline constexpr bool kDualFromPlus = true;
inline constexpr std::uint32_t kMwtSet = 4;  // ModifyWorldTransform's "set" mode, missing from the header

inline QColor ColorRef(std::uint32_t c) { return QColor(int(c & 0xff), int((c >> 8) & 0xff), int((c >> 16) & 0xff)); }

inline bool Finite(double v) { return std::isfinite(v) && std::abs(v) < 1e12; }

struct Pen {
    int style = 0;  // PS_* with end cap, join and type bits
    double width = 0;
    QColor color = Qt::black;
    bool null = false;
    bool cosmetic = true;
    QVector<qreal> dashes;
};

struct Brush {
    Brush() = default;
    Brush(int s, QColor c) : style(s), color(c) {}
    int style = 0;  // BS_*
    QColor color = Qt::white;
    int hatch = 0;
    QImage pattern;
    bool mono = false;
};

struct Font {
    std::int32_t height = 0, width = 0, escapement = 0, weight = 400;
    bool italic = false, underline = false, strike = false;
    int charset = 0;
    QString face;
    QFont qfont;
    double cellToEm = 1;     // em size per unit of cell height
    double avgCharEm = 0.5;  // average character width per em
    SymbolSet symbols = SymbolSet::None;
};

struct Object {
    enum Kind { kNone, kPen, kBrush, kFont, kPalette } kind = kNone;
    Pen pen;
    Brush brush;
    std::shared_ptr<Font> font;
};

struct DcState {
    int mapMode = U_MM_TEXT;
    QPointF winOrg, vpOrg;
    QSizeF winExt{1, 1}, vpExt{1, 1};
    QTransform world;
    Pen pen;
    Brush brush;
    std::shared_ptr<Font> font;
    QColor textColor = Qt::black, bkColor = Qt::white;
    int bkMode = U_OPAQUE;
    int fillMode = U_ALTERNATE;
    int textAlign = 0;
    int rop2 = U_R2_COPYPEN;
    int arcDir = U_AD_COUNTERCLOCKWISE;
    double miter = 10;
    QPointF cur;
    bool hasClip = false;
    QPainterPath clip;  // reference device pixels
};
class Player {
public:
    // textSink, when given, receives every run of text drawn.
    Player(const ParsedMetafile& m, QPainter& p, const QRectF& target, std::vector<TextRun>* textSink = nullptr);

    void Play();

private:
    static QRectF FrameDev(const ParsedMetafile& m);
    static QTransform Base(const ParsedMetafile& m, QPainter& p, const QRectF& target);
    static QPainterPath FramePath(const ParsedMetafile& m);
    static bool IsDrawing(std::uint32_t t);

    // ---- coordinate spaces -------------------------------------------------------------
    QTransform PageTransform() const;
    const QTransform& T();
    void UseLogical() { p_.setTransform(T() * devBase_); }
    void UseDevice() { p_.setTransform(devBase_); }

    // ---- state: clip, objects, pens and brushes, raster operations (player_state.cpp) ----
    void ApplyClip();
    void CombineClip(const QPainterPath& shape, int mode);
    QPainterPath Everything() const;

    std::shared_ptr<Font> DefaultFont();
    void FinishFont(Font& f);
    Object* Slot(std::uint32_t index);
    void SelectStock(std::uint32_t n);

    QPen QtPen();
    QBrush QtBrush();
    bool Nop() const { return dc_.rop2 == U_R2_NOP; }
    std::optional<QPainter::CompositionMode> RopMode() const;
    bool RopReadsDest() const { return RopMode().has_value(); }
    void SetRop2();
    void ResetRop2();
    QColor RopColor(QColor c) const;

    // The state records' steps, called by StateRecord.
    void SetExtent(QSizeF& extent, const RecordView& v);
    void ScaleExtent(QSizeF& extent, const RecordView& v);
    void WorldTransform(std::uint32_t type, const RecordView& v);
    void RestoreDc(std::int32_t n);
    void SelectClipPath(int mode);
    void SelectClipRegion(const RecordView& v);
    void OffsetClip(const RecordView& v);
    // The object of that index, emptied and of that kind; null when the index is out of range.
    Object* NewObject(std::uint32_t index, Object::Kind kind);
    void CreatePen(const RecordView& v);
    void ExtCreatePen(const RecordView& v);
    void CreateBrush(const RecordView& v);
    void CreatePatternBrush(const RecordRef& r, const RecordView& v);
    void CreateFont(const RecordView& v);
    void SelectObject(std::uint32_t index);

    // ---- shapes: lines, curves, paths, regions (player_shapes.cpp) ------------------------
    void Draw(const QPainterPath& shape, bool fill, bool stroke);
    static QPainterPath PixelRuns(const QPainterPath& path);
    Qt::FillRule FillRule() const { return dc_.fillMode == U_WINDING ? Qt::WindingFill : Qt::OddEvenFill; }

    QPolygonF Points(const RecordView& v, std::uint64_t offset, std::uint32_t count, bool small);
    static QRectF Rect(const RecordView& v, std::uint64_t o);
    static QPointF Point(const RecordView& v, std::uint64_t o) { return QPointF(v.I32(o), v.I32(o + 4)); }

    void Poly(const RecordView& v, bool small, int kind);
    void PolyPoly(const RecordView& v, bool small, bool polygon);
    void PolyDraw(const RecordView& v, bool small);
    void EnsurePathStart();

    static double Angle(const QRectF& r, const QPointF& p);
    void ArcShape(const RecordView& v, int kind);

    // The shape records' steps, called by ShapeRecord.
    void LineTo(const RecordView& v);
    void SetPixel(const RecordView& v);
    void BoxShape(const RecordView& v, std::uint32_t type);
    void AngleArc(const RecordView& v);
    void DrawPath(std::uint32_t type);
    void UseRegionBrush(std::uint32_t index);
    void FillRegion(const RecordView& v, std::uint32_t type);
    void FrameRegion(const RecordView& v);
    void InvertRegion(const RecordView& v);

    // ---- text (player_text.cpp) ---------------------------------------------------------
    void Text(const RecordView& v, std::uint64_t emrtext, bool wide, std::int64_t forceChars = -1);

    // Draws one run: the box behind it, then the characters where the record and the
    // alignment put them; the steps below, in that order.
    void DrawText(QPointF ref, QString text, const std::vector<quint32>& glyphs, std::vector<double> dx,
                  std::vector<double> dy, std::uint32_t options, const QRectF& rcl);
    struct TextLayout;
    void FillTextBox(const QRectF& rcl);
    bool PlaceTextFrame(QPointF ref, TextLayout& l);
    bool SizeTextFont(TextLayout& l);
    static void AdvanceText(const QString& text, const std::vector<quint32>& glyphs, const std::vector<double>& dx,
                            const std::vector<double>& dy, TextLayout& l);
    void AlignText(TextLayout& l) const;
    void PaintText(const TextLayout& l, const QString& text, const std::vector<quint32>& glyphs, std::uint32_t options,
                   const QRectF& rcl);
    void PaintGlyphIndexes(const TextLayout& l, const std::vector<quint32>& glyphs, QPointF origin);
    void PaintPlacedCharacters(const TextLayout& l, const QString& text, QPointF origin);

    // ---- bitmaps and gradients (player_bitmaps.cpp) --------------------------------------
    void Blit(const QImage* img, QRectF src, const QRectF& dest, std::uint32_t rop, bool alphaBlend = false,
              double constAlpha = 1.0);
    const QImage* Image(std::uint32_t key) const;
    static QRectF SourceRect(const QImage* img, double x, double y, double w, double h);

    void GradientFill(const RecordView& v);

    // A region's rectangles as one path (player_shapes.cpp).
    QPainterPath RegionPath(const RecordView& v, std::uint64_t at, std::uint32_t cb);

    // ---- the records, by kind: each of the files above has its own switch ---------------
    void Record(const RecordRef& r);
    // Each returns false for a record type that is not its own.
    bool StateRecord(const RecordRef& r, const RecordView& v);
    bool ShapeRecord(const RecordRef& r, const RecordView& v);
    bool TextRecord(const RecordRef& r, const RecordView& v);
    bool BitmapRecord(const RecordRef& r, const RecordView& v);

    const ParsedMetafile& m_;
    QPainter& p_;
    std::vector<TextRun>* textSink_;
    PlusPlayer plus_;
    bool usePlus_ = false;
    bool plusTouchedClip_ = false;
    QRectF frameDev_;
    QTransform devToTarget_, base_, devBase_;
    QPainterPath targetClip_;
    DcState dc_;
    std::vector<DcState> saved_;
    std::vector<Object> objects_;
    QTransform t_;
    double scale_ = 1;
    bool tDirty_ = true;
    bool inPath_ = false;
    QPainterPath path_;
};

// Plays the records onto the painter so that the frame fills target.
// textSink, when given, receives every run of text drawn.
void PlayMetafile(const ParsedMetafile& m, QPainter& painter, const QRectF& target,
                  std::vector<TextRun>* textSink = nullptr);

}  // namespace emf::detail
