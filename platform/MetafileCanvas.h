#pragma once
// The drawing state of a metafile being played, over a QPainter on the output image.
//
// Both metafile players (enhanced and Windows) translate their records into calls on one
// CMetafileCanvas, which keeps what a Windows device context keeps while a metafile plays: the mapping
// from logical coordinates to the output (window and viewport, map mode, world transform), the object
// table of pens, brushes and fonts, the selected objects, colours and modes, the current position,
// the clip region, a path being recorded, and the stack of saved states. Coordinates passed in are
// logical; the canvas maps them. It never owns the painter or the image.

#include "platform/MetafileDib.h"

#include <QBrush>
#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <QRegion>
#include <QString>
#include <QTransform>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace platform::metafile {

// A colour stored as 0x00BBGGRR.
QColor ColorFromRef(std::uint32_t colorRef);

enum MapMode : int {
    kMapText = 1, kMapLoMetric = 2, kMapHiMetric = 3, kMapLoEnglish = 4, kMapHiEnglish = 5, kMapTwips = 6,
    kMapIsotropic = 7, kMapAnisotropic = 8,
};

// Text alignment flags and text output options shared by both formats.
inline constexpr std::uint32_t kAlignUpdateCurrent = 0x0001;
inline constexpr std::uint32_t kAlignRight = 0x0002;
inline constexpr std::uint32_t kAlignCenter = 0x0006;
inline constexpr std::uint32_t kAlignBottom = 0x0008;
inline constexpr std::uint32_t kAlignBaseline = 0x0018;
inline constexpr std::uint32_t kTextOpaque = 0x0002;
inline constexpr std::uint32_t kTextClipped = 0x0004;

// Raster operations the players tell apart.
inline constexpr std::uint32_t kRopSourceCopy = 0x00CC0020;
inline constexpr std::uint32_t kRopPatternCopy = 0x00F00021;
inline constexpr std::uint32_t kRopBlackness = 0x00000042;
inline constexpr std::uint32_t kRopWhiteness = 0x00FF0062;

struct FontSpec {
    double height = 0;           // logical units; negative: character height, positive: cell height
    double escapement = 0;       // tenths of a degree, counter-clockwise
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    QString face;
};

struct GdiObject {
    enum class Kind { kPen, kBrush, kFont, kOther };
    Kind kind = Kind::kOther;
    QPen pen;
    QBrush brush;
    FontSpec font;
};

// Builders for the objects the records describe (style codes as stored in the files).
GdiObject MakePen(std::uint32_t style, double width, std::uint32_t colorRef);
GdiObject MakeBrush(std::uint32_t style, std::uint32_t colorRef, std::uint32_t hatch);
GdiObject MakePatternBrush(const QImage& pattern);
// The stock objects of the enhanced format (index without its high bit); kOther for unknown ones.
GdiObject StockObject(std::uint32_t stockId);

enum class ArcKind { kArc, kChord, kPie };
enum class ClipMode { kAnd = 1, kOr = 2, kXor = 3, kDiff = 4, kCopy = 5 };

class CMetafileCanvas {
public:
    // `deviceToOutput` maps the recording device's pixels onto the output image; `devicePixelsPerMm`
    // scales the metric map modes.
    CMetafileCanvas(QPainter& painter, const QTransform& deviceToOutput, double devicePixelsPerMm);

    // False once the drawing budget is spent: the players stop there. Each drawing costs the output
    // pixels it may touch, so a hostile file cannot keep the player busy for long.
    bool HasWorkLeft() const { return workLeft_ != 0; }

    // Mapping.
    void SetMapMode(int mode);
    void SetWindowOrg(QPointF origin) { state_.windowOrg = origin; }
    void SetWindowExt(QSizeF extent);
    void SetViewportOrg(QPointF origin) { state_.viewportOrg = origin; }
    void SetViewportExt(QSizeF extent);
    QPointF WindowOrg() const { return state_.windowOrg; }
    QSizeF WindowExt() const { return state_.windowExt; }
    QSizeF ViewportExt() const { return state_.viewportExt; }
    void SetWorldTransform(const QTransform& world) { state_.world = world; }
    const QTransform& WorldTransform() const { return state_.world; }

    // Objects. The table holds `capacity` slots; indices outside it are ignored.
    void SetObjectCapacity(std::size_t capacity);
    void StoreObject(std::size_t index, GdiObject object);
    // The lowest empty slot, or the table's size when it is full.
    std::size_t FirstFreeSlot() const;
    void SelectObject(std::size_t index);
    void SelectStockObject(std::uint32_t stockId);
    void DeleteObject(std::size_t index);

    // Modes and colours.
    void SetTextColor(std::uint32_t colorRef) { state_.textColor = ColorFromRef(colorRef); }
    void SetBackColor(std::uint32_t colorRef) { state_.backColor = ColorFromRef(colorRef); }
    void SetOpaqueBackground(bool opaque) { state_.opaqueBackground = opaque; }
    void SetWindingFill(bool winding) { state_.fillRule = winding ? Qt::WindingFill : Qt::OddEvenFill; }
    void SetTextAlign(std::uint32_t align) { state_.textAlign = align; }
    void SaveState();
    // `which` < 0: that many states back; > 0: the state with that number (the first save is 1).
    void RestoreState(int which);

    // Clipping, in logical coordinates except the region rectangles (device pixels).
    void IntersectClipRect(const QRectF& logical);
    void ExcludeClipRect(const QRectF& logical);
    void CombineClipDeviceRects(const std::vector<QRectF>& deviceRects, ClipMode mode);
    void ResetClip() { state_.clip.reset(); }

    // Drawing.
    void MoveTo(QPointF point);
    void LineTo(QPointF point);
    void Polyline(const QPolygonF& points);
    void PolylineTo(const QPolygonF& points);
    void Polygon(const QPolygonF& points);
    void PolyPolygon(const std::vector<QPolygonF>& polygons);
    void PolyPolyline(const std::vector<QPolygonF>& polylines);
    void PolyBezier(const QPolygonF& points);
    void PolyBezierTo(const QPolygonF& points);
    void Rectangle(const QRectF& box);
    void RoundRect(const QRectF& box, QSizeF corner);
    void Ellipse(const QRectF& box);
    void Arc(ArcKind kind, const QRectF& box, QPointF start, QPointF end);
    // Text at `reference` aligned by the text alignment; `box` is the optional opaque/clip rectangle.
    void Text(QPointF reference, const QString& text, std::uint32_t options, const std::optional<QRectF>& box);
    // Draws `source` (pixels of the bitmap) into `destination` (logical) with a raster operation;
    // a null bitmap with a pattern operation fills the destination. `opacity` below 1 blends.
    void Blit(const DecodedDib& bitmap, const QRectF& source, const QRectF& destination, std::uint32_t rop,
              double opacity = 1);

    // Paths.
    void BeginPath();
    void EndPath() { recording_ = false; }
    void AbortPath();
    void CloseFigure();
    void FillPath();
    void StrokePath();
    void StrokeAndFillPath();
    void SelectClipPath(ClipMode mode);

private:
    struct DcState {
        int mapMode = kMapText;
        QPointF windowOrg{0, 0};
        QSizeF windowExt{1, 1};
        QPointF viewportOrg{0, 0};
        QSizeF viewportExt{1, 1};
        QTransform world;
        QPen pen{QColor(Qt::black), 0};
        QBrush brush{QColor(Qt::white)};
        FontSpec font;
        QColor textColor{Qt::black};
        QColor backColor{Qt::white};
        bool opaqueBackground = true;
        Qt::FillRule fillRule = Qt::OddEvenFill;
        std::uint32_t textAlign = 0;
        QPointF current{0, 0};
        std::optional<QRegion> clip;   // output pixels; none: the whole image
    };

    QTransform LogicalToOutput() const;
    QTransform PageToDevice() const;
    void CombineClip(const QRegion& region, ClipMode mode);
    void Select(const GdiObject& object);
    bool Spend(const QRectF& outputArea);
    void Prepare(const QTransform& transform);
    void DrawShape(QPainterPath shape, bool fill, bool stroke);
    void FillOutputRect(const QRect& rect, const QBrush& brush);

    QPainter& painter_;
    QTransform deviceToOutput_;
    double devicePixelsPerMm_;
    DcState state_;
    std::vector<DcState> saved_;
    std::vector<std::optional<GdiObject>> objects_;
    QPainterPath path_;
    bool recording_ = false;
    // About 64 times the largest picture, or hundreds of thousands of shapes of ordinary size.
    std::uint64_t workLeft_ = std::uint64_t{1} << 34;
};

}  // namespace platform::metafile
