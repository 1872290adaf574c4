#include "platform/MetafileCanvas.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLineF>

#include <algorithm>
#include <cmath>
#include <utility>

namespace platform::metafile {

namespace {

constexpr std::size_t kMaxSavedStates = 4096;
constexpr double kCoordinateLimit = 1 << 24;   // output pixels
constexpr double kDefaultFontPixels = 16;
constexpr double kMaxFontPixels = 4096;   // larger glyphs cost time and show nothing more
// A font given by its cell height: the character height is about this share of it.
constexpr double kEmPerCell = 0.86;

// Pen style fields as stored in both formats.
constexpr std::uint32_t kPenStyleMask = 0x000F;
constexpr std::uint32_t kPenNull = 5;
constexpr std::uint32_t kPenEndCapMask = 0x0F00;
constexpr std::uint32_t kPenEndCapSquare = 0x0100;
constexpr std::uint32_t kPenEndCapFlat = 0x0200;
constexpr std::uint32_t kPenJoinMask = 0xF000;
constexpr std::uint32_t kPenJoinBevel = 0x1000;
constexpr std::uint32_t kPenJoinMiter = 0x2000;

constexpr std::uint32_t kBrushSolid = 0;
constexpr std::uint32_t kBrushNull = 1;
constexpr std::uint32_t kBrushHatched = 2;

// Fonts need Qt's font database, which lives in a GUI application object that Qt allows on the main
// thread only. Text is drawn when there is one (on the main thread playback makes a headless one first).
bool FontsAvailable()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

// The average scale of a transform, for pen widths and font sizes.
double ScaleOf(const QTransform& transform)
{
    return std::sqrt(std::abs(transform.determinant()));
}

bool IsAxisAligned(const QTransform& transform)
{
    return transform.m12() == 0 && transform.m21() == 0 && !transform.isRotating();
}

// Output coordinates far outside the picture are held at a distance that integers and the
// rasteriser handle; what lies there is not visible either way.
QPointF Clamped(QPointF point)
{
    const auto clamp = [](double value) {
        return std::isnan(value) ? 0.0 : std::clamp(value, -kCoordinateLimit, kCoordinateLimit);
    };
    return QPointF(clamp(point.x()), clamp(point.y()));
}

// A logical rectangle on the output as whole pixels, corners rounded as a device rounds coordinates.
QRect RoundedRect(const QTransform& transform, const QRectF& logical, bool& mirrorX, bool& mirrorY)
{
    const QPointF a = Clamped(transform.map(logical.topLeft()));
    const QPointF b = Clamped(transform.map(logical.bottomRight()));
    mirrorX = b.x() < a.x();
    mirrorY = b.y() < a.y();
    const QPoint topLeft(static_cast<int>(std::lround(std::min(a.x(), b.x()))),
                         static_cast<int>(std::lround(std::min(a.y(), b.y()))));
    const QPoint bottomRight(static_cast<int>(std::lround(std::max(a.x(), b.x()))),
                             static_cast<int>(std::lround(std::max(a.y(), b.y()))));
    return QRect(topLeft, bottomRight - QPoint(1, 1));
}

QRect OutputRect(const QTransform& transform, const QRectF& logical)
{
    bool mirrorX = false, mirrorY = false;
    return RoundedRect(transform, logical, mirrorX, mirrorY);
}

// Parametric angle (degrees, counter-clockwise from 3 o'clock) of the direction towards `point`.
double AngleTowards(const QRectF& box, QPointF point)
{
    const QPointF centre = box.center();
    const double dx = (point.x() - centre.x()) / (box.width() / 2);
    const double dy = (point.y() - centre.y()) / (box.height() / 2);
    return std::atan2(-dy, dx) * 180.0 / M_PI;
}

QPainter::CompositionMode CompositionFor(std::uint32_t rop)
{
    switch (rop) {
    case 0x00EE0086: return QPainter::RasterOp_SourceOrDestination;    // source paint
    case 0x008800C6: return QPainter::RasterOp_SourceAndDestination;   // source and
    case 0x00660046: return QPainter::RasterOp_SourceXorDestination;   // source invert
    case 0x00330008: return QPainter::RasterOp_NotSource;              // inverted source copy
    default: return QPainter::CompositionMode_SourceOver;             // opaque pixels: a copy
    }
}

}  // namespace

QColor ColorFromRef(std::uint32_t colorRef)
{
    return QColor(static_cast<int>(colorRef & 0xFF), static_cast<int>(colorRef >> 8 & 0xFF),
                  static_cast<int>(colorRef >> 16 & 0xFF));
}

GdiObject MakePen(std::uint32_t style, double width, std::uint32_t colorRef)
{
    GdiObject object;
    object.kind = GdiObject::Kind::kPen;
    const std::uint32_t kind = style & kPenStyleMask;
    if (kind == kPenNull) {
        object.pen = QPen(Qt::NoPen);
        return object;
    }
    QPen pen(ColorFromRef(colorRef));
    pen.setWidthF(std::isfinite(width) && width > 0 ? width : 0);   // 0: one device pixel
    constexpr Qt::PenStyle kDashes[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine,
                                        Qt::DashDotDotLine};
    pen.setStyle(kind < std::size(kDashes) ? kDashes[kind] : Qt::SolidLine);
    const std::uint32_t cap = style & kPenEndCapMask;
    pen.setCapStyle(cap == kPenEndCapSquare ? Qt::SquareCap : cap == kPenEndCapFlat ? Qt::FlatCap : Qt::RoundCap);
    const std::uint32_t join = style & kPenJoinMask;
    pen.setJoinStyle(join == kPenJoinBevel ? Qt::BevelJoin : join == kPenJoinMiter ? Qt::MiterJoin : Qt::RoundJoin);
    object.pen = pen;
    return object;
}

GdiObject MakeBrush(std::uint32_t style, std::uint32_t colorRef, std::uint32_t hatch)
{
    GdiObject object;
    object.kind = GdiObject::Kind::kBrush;
    if (style == kBrushNull) {
        object.brush = QBrush(Qt::NoBrush);
    } else if (style == kBrushHatched) {
        constexpr Qt::BrushStyle kHatches[] = {Qt::HorPattern, Qt::VerPattern, Qt::FDiagPattern,
                                               Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
        object.brush = QBrush(ColorFromRef(colorRef), hatch < std::size(kHatches) ? kHatches[hatch] : Qt::SolidPattern);
    } else {
        // Solid, and pattern styles whose bitmap is not carried: the brush colour stands in.
        object.brush = QBrush(ColorFromRef(colorRef));
    }
    return object;
}

GdiObject MakePatternBrush(const QImage& pattern)
{
    GdiObject object;
    object.kind = GdiObject::Kind::kBrush;
    object.brush = pattern.isNull() ? QBrush(Qt::black) : QBrush(pattern);
    return object;
}

GdiObject StockObject(std::uint32_t stockId)
{
    switch (stockId) {
    case 0: return MakeBrush(kBrushSolid, 0xFFFFFF, 0);   // white brush
    case 1: return MakeBrush(kBrushSolid, 0xC0C0C0, 0);   // light grey brush
    case 2: return MakeBrush(kBrushSolid, 0x808080, 0);   // grey brush
    case 3: return MakeBrush(kBrushSolid, 0x404040, 0);   // dark grey brush
    case 4: return MakeBrush(kBrushSolid, 0x000000, 0);   // black brush
    case 5: return MakeBrush(kBrushNull, 0, 0);
    case 6: return MakePen(0, 0, 0xFFFFFF);                // white pen
    case 7: return MakePen(0, 0, 0x000000);                // black pen
    case 8: return MakePen(kPenNull, 0, 0);
    case 18: return MakeBrush(kBrushSolid, 0xFFFFFF, 0);  // the device context's brush
    case 19: return MakePen(0, 0, 0x000000);               // the device context's pen
    default:
        if (stockId >= 10 && stockId <= 17 && stockId != 15) {   // the system fonts (15 is the palette)
            GdiObject font;
            font.kind = GdiObject::Kind::kFont;
            return font;
        }
        return {};
    }
}

CMetafileCanvas::CMetafileCanvas(QPainter& painter, const QTransform& deviceToOutput, double devicePixelsPerMm)
    : painter_(painter), deviceToOutput_(deviceToOutput), devicePixelsPerMm_(devicePixelsPerMm)
{
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
}

void CMetafileCanvas::SetMapMode(int mode)
{
    if (mode >= kMapText && mode <= kMapAnisotropic) state_.mapMode = mode;
}

void CMetafileCanvas::SetWindowExt(QSizeF extent)
{
    if (extent.width() != 0 && extent.height() != 0) state_.windowExt = extent;
}

void CMetafileCanvas::SetViewportExt(QSizeF extent)
{
    if (extent.width() != 0 && extent.height() != 0) state_.viewportExt = extent;
}

QTransform CMetafileCanvas::PageToDevice() const
{
    double scaleX = 1, scaleY = 1;
    switch (state_.mapMode) {
    case kMapLoMetric: scaleX = devicePixelsPerMm_ / 10; break;
    case kMapHiMetric: scaleX = devicePixelsPerMm_ / 100; break;
    case kMapLoEnglish: scaleX = devicePixelsPerMm_ * 0.254; break;
    case kMapHiEnglish: scaleX = devicePixelsPerMm_ * 0.0254; break;
    case kMapTwips: scaleX = devicePixelsPerMm_ * 25.4 / 1440; break;
    case kMapIsotropic:
    case kMapAnisotropic:
        scaleX = state_.viewportExt.width() / state_.windowExt.width();
        scaleY = state_.viewportExt.height() / state_.windowExt.height();
        if (state_.mapMode == kMapIsotropic) {   // one scale both ways, the smaller one
            const double scale = std::min(std::abs(scaleX), std::abs(scaleY));
            scaleX = std::copysign(scale, scaleX);
            scaleY = std::copysign(scale, scaleY);
        }
        break;
    default: break;
    }
    if (state_.mapMode >= kMapLoMetric && state_.mapMode <= kMapTwips) scaleY = -scaleX;   // y grows upwards
    return QTransform(scaleX, 0, 0, scaleY, state_.viewportOrg.x() - state_.windowOrg.x() * scaleX,
                      state_.viewportOrg.y() - state_.windowOrg.y() * scaleY);
}

QTransform CMetafileCanvas::LogicalToOutput() const
{
    return state_.world * PageToDevice() * deviceToOutput_;
}

void CMetafileCanvas::SetObjectCapacity(std::size_t capacity)
{
    objects_.assign(capacity, std::nullopt);
}

void CMetafileCanvas::StoreObject(std::size_t index, GdiObject object)
{
    if (index < objects_.size()) objects_[index] = std::move(object);
}

std::size_t CMetafileCanvas::FirstFreeSlot() const
{
    const auto free = std::find(objects_.begin(), objects_.end(), std::nullopt);
    return static_cast<std::size_t>(free - objects_.begin());
}

void CMetafileCanvas::SelectObject(std::size_t index)
{
    if (index < objects_.size() && objects_[index]) Select(*objects_[index]);
}

void CMetafileCanvas::SelectStockObject(std::uint32_t stockId)
{
    Select(StockObject(stockId));
}

void CMetafileCanvas::Select(const GdiObject& object)
{
    switch (object.kind) {
    case GdiObject::Kind::kPen: state_.pen = object.pen; break;
    case GdiObject::Kind::kBrush: state_.brush = object.brush; break;
    case GdiObject::Kind::kFont: state_.font = object.font; break;
    case GdiObject::Kind::kOther: break;
    }
}

void CMetafileCanvas::DeleteObject(std::size_t index)
{
    if (index < objects_.size()) objects_[index].reset();
}

void CMetafileCanvas::SaveState()
{
    if (saved_.size() < kMaxSavedStates) saved_.push_back(state_);
}

void CMetafileCanvas::RestoreState(int which)
{
    const std::int64_t count = static_cast<std::int64_t>(saved_.size());
    const std::int64_t index = which < 0 ? count + which : std::int64_t{which} - 1;
    if (which == 0 || index < 0 || index >= count) return;
    state_ = saved_[static_cast<std::size_t>(index)];
    saved_.resize(static_cast<std::size_t>(index));
}

void CMetafileCanvas::CombineClip(const QRegion& region, ClipMode mode)
{
    const QRegion current = state_.clip.value_or(QRegion(0, 0, painter_.device()->width(), painter_.device()->height()));
    switch (mode) {
    case ClipMode::kAnd: state_.clip = current & region; break;
    case ClipMode::kOr: state_.clip = current | region; break;
    case ClipMode::kXor: state_.clip = current ^ region; break;
    case ClipMode::kDiff: state_.clip = current - region; break;
    case ClipMode::kCopy: state_.clip = region; break;
    }
}

void CMetafileCanvas::IntersectClipRect(const QRectF& logical)
{
    CombineClip(QRegion(OutputRect(LogicalToOutput(), logical)), ClipMode::kAnd);
}

void CMetafileCanvas::ExcludeClipRect(const QRectF& logical)
{
    CombineClip(QRegion(OutputRect(LogicalToOutput(), logical)), ClipMode::kDiff);
}

void CMetafileCanvas::CombineClipDeviceRects(const std::vector<QRectF>& deviceRects, ClipMode mode)
{
    QRegion region;
    for (const QRectF& rect : deviceRects) region += OutputRect(deviceToOutput_, rect);
    CombineClip(region, mode);
}

void CMetafileCanvas::Prepare(const QTransform& transform)
{
    painter_.resetTransform();
    if (state_.clip) {
        painter_.setClipRegion(*state_.clip);
    } else {
        painter_.setClipping(false);
    }
    painter_.setTransform(transform);
}

bool CMetafileCanvas::Spend(const QRectF& outputArea)
{
    const QRectF visible = outputArea.normalized() & QRectF(0, 0, painter_.device()->width(), painter_.device()->height());
    // Every drawing costs at least one unit, so a flood of empty records also ends.
    const double cost = 1 + (visible.isEmpty() ? 0 : visible.width() * visible.height());
    if (cost > static_cast<double>(workLeft_)) {
        workLeft_ = 0;
        return false;
    }
    workLeft_ -= static_cast<std::uint64_t>(cost);
    return true;
}

void CMetafileCanvas::DrawShape(QPainterPath shape, bool fill, bool stroke)
{
    if (recording_) {
        path_.addPath(shape);
        return;
    }
    const QTransform transform = LogicalToOutput();
    const double penMargin = stroke ? state_.pen.widthF() * ScaleOf(transform) + 2 : 0;
    if (!Spend(transform.mapRect(shape.controlPointRect()).adjusted(-penMargin, -penMargin, penMargin, penMargin)))
        return;
    Prepare(transform);
    shape.setFillRule(state_.fillRule);
    QPen pen = stroke ? state_.pen : QPen(Qt::NoPen);
    // A device draws every visible pen at least one pixel wide.
    if (pen.style() != Qt::NoPen && !pen.isCosmetic() && pen.widthF() * ScaleOf(transform) < 1) pen.setWidthF(0);
    QBrush brush = fill ? state_.brush : QBrush(Qt::NoBrush);
    if (brush.style() != Qt::SolidPattern && brush.style() != Qt::NoBrush && transform.isInvertible())
        brush.setTransform(transform.inverted());   // hatches and patterns keep their device size
    painter_.setBackgroundMode(state_.opaqueBackground ? Qt::OpaqueMode : Qt::TransparentMode);
    painter_.setBackground(state_.backColor);
    painter_.setPen(pen);
    painter_.setBrush(brush);
    painter_.drawPath(shape);
}

void CMetafileCanvas::FillOutputRect(const QRect& rect, const QBrush& brush)
{
    if (!Spend(rect)) return;
    Prepare(QTransform());
    painter_.fillRect(rect, brush);
}

void CMetafileCanvas::MoveTo(QPointF point)
{
    state_.current = point;
    if (recording_) path_.moveTo(point);
}

void CMetafileCanvas::LineTo(QPointF point)
{
    PolylineTo(QPolygonF{point});
}

void CMetafileCanvas::Polyline(const QPolygonF& points)
{
    if (points.size() < 2) return;
    QPainterPath line;
    line.addPolygon(points);
    DrawShape(line, false, true);
}

void CMetafileCanvas::PolylineTo(const QPolygonF& points)
{
    if (points.isEmpty()) return;
    if (recording_) {
        if (path_.elementCount() == 0 || path_.currentPosition() != state_.current) path_.moveTo(state_.current);
        for (const QPointF& point : points) path_.lineTo(point);
    } else {
        QPolygonF line{state_.current};
        line += points;
        Polyline(line);
    }
    state_.current = points.back();
}

void CMetafileCanvas::Polygon(const QPolygonF& points)
{
    PolyPolygon({points});
}

void CMetafileCanvas::PolyPolygon(const std::vector<QPolygonF>& polygons)
{
    QPainterPath shape;
    for (const QPolygonF& polygon : polygons) {
        if (polygon.size() < 2) continue;
        shape.addPolygon(polygon);
        shape.closeSubpath();
    }
    DrawShape(shape, true, true);
}

void CMetafileCanvas::PolyPolyline(const std::vector<QPolygonF>& polylines)
{
    QPainterPath lines;
    for (const QPolygonF& polyline : polylines) lines.addPolygon(polyline);
    DrawShape(lines, false, true);
}

void CMetafileCanvas::PolyBezier(const QPolygonF& points)
{
    if (points.size() < 4) return;
    QPainterPath curve(points.front());
    for (qsizetype i = 1; i + 2 < points.size(); i += 3) curve.cubicTo(points[i], points[i + 1], points[i + 2]);
    DrawShape(curve, false, true);
}

void CMetafileCanvas::PolyBezierTo(const QPolygonF& points)
{
    if (points.size() < 3) return;
    QPolygonF curve{state_.current};
    curve += points;
    if (recording_) {
        if (path_.elementCount() == 0 || path_.currentPosition() != state_.current) path_.moveTo(state_.current);
        for (qsizetype i = 1; i + 2 < curve.size(); i += 3) path_.cubicTo(curve[i], curve[i + 1], curve[i + 2]);
    } else {
        PolyBezier(curve);
    }
    state_.current = curve[(curve.size() - 1) / 3 * 3];
}

void CMetafileCanvas::Rectangle(const QRectF& box)
{
    QPainterPath shape;
    shape.addRect(box.normalized());
    DrawShape(shape, true, true);
}

void CMetafileCanvas::RoundRect(const QRectF& box, QSizeF corner)
{
    QPainterPath shape;
    shape.addRoundedRect(box.normalized(), std::abs(corner.width()) / 2, std::abs(corner.height()) / 2);
    DrawShape(shape, true, true);
}

void CMetafileCanvas::Ellipse(const QRectF& box)
{
    QPainterPath shape;
    shape.addEllipse(box.normalized());
    DrawShape(shape, true, true);
}

void CMetafileCanvas::Arc(ArcKind kind, const QRectF& box, QPointF start, QPointF end)
{
    const QRectF ellipse = box.normalized();
    if (ellipse.width() <= 0 || ellipse.height() <= 0) return;
    const double startAngle = AngleTowards(ellipse, start);
    double sweep = AngleTowards(ellipse, end) - startAngle;   // drawn counter-clockwise
    if (sweep <= 0) sweep += 360;
    QPainterPath shape;
    if (kind == ArcKind::kPie) {
        shape.moveTo(ellipse.center());
        shape.arcTo(ellipse, startAngle, sweep);
    } else {
        shape.arcMoveTo(ellipse, startAngle);
        shape.arcTo(ellipse, startAngle, sweep);
    }
    if (kind != ArcKind::kArc) shape.closeSubpath();
    DrawShape(shape, kind != ArcKind::kArc, true);
}

void CMetafileCanvas::Text(QPointF reference, const QString& text, std::uint32_t options,
                           const std::optional<QRectF>& box)
{
    const QTransform transform = LogicalToOutput();
    if (box && (options & kTextOpaque) != 0) FillOutputRect(OutputRect(transform, *box), state_.backColor);
    if (text.isEmpty() || !FontsAvailable()) return;

    const bool updateCurrent = (state_.textAlign & kAlignUpdateCurrent) != 0;
    const QPointF anchor = transform.map(updateCurrent ? state_.current : reference);
    const double scaleY = QLineF(transform.map(QPointF(0, 0)), transform.map(QPointF(0, 1))).length();
    double pixels = std::abs(state_.font.height) * scaleY * (state_.font.height > 0 ? kEmPerCell : 1.0);
    if (state_.font.height == 0 || !std::isfinite(pixels)) pixels = kDefaultFontPixels;
    QFont font(state_.font.face.isEmpty() ? QStringLiteral("DejaVu Sans") : state_.font.face);
    font.setPixelSize(static_cast<int>(std::clamp(std::lround(pixels), 1L, static_cast<long>(kMaxFontPixels))));
    font.setWeight(static_cast<QFont::Weight>(state_.font.weight <= 0 ? 400 : std::clamp(state_.font.weight, 100, 900)));
    font.setItalic(state_.font.italic);
    font.setUnderline(state_.font.underline);
    font.setStrikeOut(state_.font.strikeOut);

    const QFontMetricsF metrics(font);
    const double width = metrics.horizontalAdvance(text);
    if (!Spend(QRectF(anchor.x() - width, anchor.y() - metrics.height(), 2 * width, 2 * metrics.height()))) return;
    const std::uint32_t horizontal = state_.textAlign & kAlignCenter;
    const std::uint32_t vertical = state_.textAlign & kAlignBaseline;
    const double x = horizontal == kAlignCenter ? -width / 2 : horizontal == kAlignRight ? -width : 0;
    const double y = vertical == kAlignBaseline ? 0 : vertical == kAlignBottom ? -metrics.descent() : metrics.ascent();

    Prepare(QTransform());
    if (box && (options & kTextClipped) != 0) painter_.setClipRect(OutputRect(transform, *box), Qt::IntersectClip);
    QTransform placement;
    placement.translate(anchor.x(), anchor.y());
    placement.rotate(-state_.font.escapement / 10);
    painter_.setTransform(placement);
    if (state_.opaqueBackground && (options & kTextOpaque) == 0)
        painter_.fillRect(QRectF(x, y - metrics.ascent(), width, metrics.ascent() + metrics.descent()), state_.backColor);
    painter_.setFont(font);
    painter_.setPen(state_.textColor);
    // The box behind the glyphs is drawn above when the background mode asks for it; the painter's own
    // background mode is whatever the last shape left and must not add one.
    painter_.setBackgroundMode(Qt::TransparentMode);
    painter_.drawText(QPointF(x, y), text);
    if (updateCurrent && transform.isInvertible())
        state_.current = transform.inverted().map(placement.map(QPointF(x + width, 0)));
}

void CMetafileCanvas::Blit(const DecodedDib& bitmap, const QRectF& source, const QRectF& destination, std::uint32_t rop,
                           double opacity)
{
    const QTransform transform = LogicalToOutput();
    if (bitmap.image.isNull()) {
        const QBrush fill = rop == kRopPatternCopy ? state_.brush
                            : rop == kRopBlackness ? QBrush(Qt::black)
                            : rop == kRopWhiteness ? QBrush(Qt::white)
                                                   : QBrush(Qt::NoBrush);
        if (fill.style() != Qt::NoBrush) FillOutputRect(OutputRect(transform, destination), fill);
        return;
    }
    // Source rectangles of bottom-up bitmaps count from the bottom row; cut to the bitmap in doubles,
    // since the file may give any 32-bit values.
    const QRectF wanted = source.normalized();
    const double top = bitmap.bottomUp ? bitmap.image.height() - wanted.bottom() : wanted.top();
    const QRectF inside = QRectF(wanted.left(), top, wanted.width(), wanted.height()) & QRectF(bitmap.image.rect());
    if (inside.isEmpty()) return;
    const QRect pixels = inside.toAlignedRect() & bitmap.image.rect();
    if (pixels.isEmpty()) return;
    if (IsAxisAligned(transform)) {
        bool mirrorX = false, mirrorY = false;
        const QRect target = RoundedRect(transform, destination, mirrorX, mirrorY);
        if (target.isEmpty() || !Spend(target)) return;
        QImage part = bitmap.image.copy(pixels);
        if (mirrorX || mirrorY) part = part.mirrored(mirrorX, mirrorY);
        Prepare(QTransform());
        painter_.setCompositionMode(CompositionFor(rop));
        painter_.setOpacity(opacity);
        painter_.drawImage(target, part);
    } else {
        if (!Spend(transform.mapRect(destination))) return;
        Prepare(transform);
        painter_.setCompositionMode(CompositionFor(rop));
        painter_.setOpacity(opacity);
        painter_.drawImage(destination, bitmap.image, QRectF(pixels));
    }
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter_.setOpacity(1);
}

void CMetafileCanvas::BeginPath()
{
    path_ = QPainterPath();
    recording_ = true;
}

void CMetafileCanvas::AbortPath()
{
    path_ = QPainterPath();
    recording_ = false;
}

void CMetafileCanvas::CloseFigure()
{
    if (recording_) path_.closeSubpath();
}

void CMetafileCanvas::FillPath()
{
    recording_ = false;
    DrawShape(std::exchange(path_, QPainterPath()), true, false);
}

void CMetafileCanvas::StrokePath()
{
    recording_ = false;
    DrawShape(std::exchange(path_, QPainterPath()), false, true);
}

void CMetafileCanvas::StrokeAndFillPath()
{
    recording_ = false;
    DrawShape(std::exchange(path_, QPainterPath()), true, true);
}

void CMetafileCanvas::SelectClipPath(ClipMode mode)
{
    recording_ = false;
    const QPainterPath outline = LogicalToOutput().map(std::exchange(path_, QPainterPath()));
    CombineClip(QRegion(outline.toFillPolygon().toPolygon(), state_.fillRule), mode);
}

}  // namespace platform::metafile
