#include "platform/EmfPlayer.h"

#include "platform/MetafileBytes.h"
#include "platform/MetafileCanvas.h"

#include <vector>

namespace platform::metafile {

namespace {

// Record types of the enhanced format that the player draws or follows.
enum EnhancedRecord : std::uint32_t {
    kEmrEof = 14,
    kEmrPolyBezier = 2, kEmrPolygon = 3, kEmrPolyline = 4, kEmrPolyBezierTo = 5, kEmrPolylineTo = 6,
    kEmrPolyPolyline = 7, kEmrPolyPolygon = 8,
    kEmrSetWindowExt = 9, kEmrSetWindowOrg = 10, kEmrSetViewportExt = 11, kEmrSetViewportOrg = 12,
    kEmrSetMapMode = 17, kEmrSetBkMode = 18, kEmrSetPolyFillMode = 19, kEmrSetTextAlign = 22,
    kEmrSetTextColor = 24, kEmrSetBkColor = 25, kEmrMoveTo = 27,
    kEmrExcludeClipRect = 29, kEmrIntersectClipRect = 30, kEmrScaleViewportExt = 31, kEmrScaleWindowExt = 32,
    kEmrSaveDc = 33, kEmrRestoreDc = 34, kEmrSetWorldTransform = 35, kEmrModifyWorldTransform = 36,
    kEmrSelectObject = 37, kEmrCreatePen = 38, kEmrCreateBrush = 39, kEmrDeleteObject = 40,
    kEmrEllipse = 42, kEmrRectangle = 43, kEmrRoundRect = 44, kEmrArc = 45, kEmrChord = 46, kEmrPie = 47,
    kEmrLineTo = 54,
    kEmrBeginPath = 59, kEmrEndPath = 60, kEmrCloseFigure = 61, kEmrFillPath = 62, kEmrStrokeAndFillPath = 63,
    kEmrStrokePath = 64, kEmrSelectClipPath = 67, kEmrAbortPath = 68, kEmrExtSelectClipRgn = 75,
    kEmrBitBlt = 76, kEmrStretchBlt = 77, kEmrSetDiBitsToDevice = 80, kEmrStretchDiBits = 81,
    kEmrExtCreateFont = 82, kEmrExtTextOutA = 83, kEmrExtTextOutW = 84,
    kEmrPolyBezier16 = 85, kEmrPolygon16 = 86, kEmrPolyline16 = 87, kEmrPolyBezierTo16 = 88,
    kEmrPolylineTo16 = 89, kEmrPolyPolyline16 = 90, kEmrPolyPolygon16 = 91,
    kEmrCreateDibPatternBrush = 94, kEmrExtCreatePen = 95, kEmrAlphaBlend = 114,
};

constexpr std::uint32_t kStockObjectFlag = 0x80000000;
constexpr std::uint32_t kDibRgbColors = 0;
constexpr std::uint32_t kGeometricPen = 0x00010000;
constexpr std::size_t kMaxRecords = std::size_t{1} << 22;   // playback ends there, whatever follows
constexpr double kReferencePixelsPerMm = 96 / 25.4;       // a 96-dpi screen
// Regions are combined rectangle by rectangle; more than this many is not a drawing's clip region.
constexpr std::uint64_t kMaxClipRects = 4096;

QPointF PointAt(const RecordBytes& record, std::uint64_t offset)
{
    return QPointF(record.I32(offset), record.I32(offset + 4));
}

QRectF RectAt(const RecordBytes& record, std::uint64_t offset)
{
    return QRectF(PointAt(record, offset), PointAt(record, offset + 8));
}

// `count` points of 32-bit (wide) or 16-bit coordinates; empty when the record is too short.
QPolygonF PointsAt(const RecordBytes& record, std::uint64_t offset, std::uint64_t count, bool wide)
{
    const std::uint64_t pointBytes = wide ? 8 : 4;
    if (count > record.Size() / pointBytes || !record.Has(offset, count * pointBytes)) return {};
    QPolygonF points;
    points.reserve(static_cast<qsizetype>(count));
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint64_t at = offset + i * pointBytes;
        points.append(wide ? PointAt(record, at) : QPointF(record.I16(at), record.I16(at + 2)));
    }
    return points;
}

// The polygons of a poly-polygon or poly-polyline record; empty when the counts do not fit the record.
std::vector<QPolygonF> PolysAt(const RecordBytes& record, bool wide)
{
    const std::uint64_t polyCount = record.U32(24);
    const std::uint64_t pointCount = record.U32(28);
    if (polyCount > record.Size() / 4 || !record.Has(32, polyCount * 4)) return {};
    const QPolygonF points = PointsAt(record, 32 + polyCount * 4, pointCount, wide);
    std::vector<QPolygonF> polys;
    qsizetype next = 0;
    for (std::uint64_t i = 0; i < polyCount; ++i) {
        const std::uint32_t count = record.U32(32 + i * 4);
        if (count > static_cast<std::uint64_t>(points.size() - next)) return {};
        polys.push_back(points.mid(next, count));
        next += count;
    }
    return polys;
}

FontSpec FontAt(const RecordBytes& record, std::uint64_t offset)
{
    FontSpec font;
    font.height = record.I32(offset);
    font.escapement = record.I32(offset + 8);
    font.weight = record.I32(offset + 16);
    font.italic = record.U8(offset + 20) != 0;
    font.underline = record.U8(offset + 21) != 0;
    font.strikeOut = record.U8(offset + 22) != 0;
    for (std::uint64_t i = 0; i < 32; ++i) {
        const std::uint16_t unit = record.U16(offset + 28 + i * 2);
        if (unit == 0) break;
        font.face.append(QChar(unit));
    }
    return font;
}

// The bitmap a blit record carries at (offBmi, cbBmi, offBits, cbBits) given as field offsets.
DecodedDib BitmapAt(const RecordBytes& record, std::uint64_t infoField, std::uint64_t bitsField, bool alpha = false)
{
    const std::uint32_t infoBytes = record.U32(infoField + 4);
    const std::uint32_t bitsBytes = record.U32(bitsField + 4);
    if (infoBytes == 0) return {};
    const auto info = record.Slice(record.U32(infoField), infoBytes);
    const auto bits = record.Slice(record.U32(bitsField), bitsBytes);
    if (info.empty() || bits.empty()) return {};
    return DecodeDib(info, bits, alpha);
}

void PlayText(CMetafileCanvas& canvas, const RecordBytes& record, bool wide)
{
    const QPointF reference = PointAt(record, 36);
    const std::uint64_t charCount = record.U32(44);
    const std::uint64_t stringOffset = record.U32(48);
    const std::uint32_t options = record.U32(52);
    const std::uint64_t charBytes = wide ? 2 : 1;
    if (charCount > record.Size() || !record.Has(stringOffset, charCount * charBytes)) return;
    QString text;
    for (std::uint64_t i = 0; i < charCount; ++i) {
        text.append(wide ? QChar(record.U16(stringOffset + 2 * i)) : QChar::fromLatin1(static_cast<char>(record.U8(stringOffset + i))));
    }
    const bool hasBox = (options & (kTextOpaque | kTextClipped)) != 0;
    canvas.Text(reference, text, options, hasBox ? std::optional(RectAt(record, 56)) : std::nullopt);
}

void PlayBlit(CMetafileCanvas& canvas, const RecordBytes& record, std::uint32_t type)
{
    if (type == kEmrBitBlt || type == kEmrStretchBlt || type == kEmrAlphaBlend) {
        // The alpha-blend record has the stretch layout with a blend function in place of the
        // raster operation: constant opacity in its third byte, per-pixel alpha when the fourth is 1.
        const bool blend = type == kEmrAlphaBlend;
        const QRectF destination(record.I32(24), record.I32(28), record.I32(32), record.I32(36));
        const std::uint32_t rop = blend ? kRopSourceCopy : record.U32(40);
        const double opacity = blend ? record.U8(42) / 255.0 : 1.0;
        const bool pixelAlpha = blend && record.U8(43) == 1;
        const DecodedDib bitmap = record.U32(80) == kDibRgbColors ? BitmapAt(record, 84, 92, pixelAlpha) : DecodedDib{};
        const bool stretched = type != kEmrBitBlt;
        const double sourceWidth = stretched ? record.I32(100) : destination.width();
        const double sourceHeight = stretched ? record.I32(104) : destination.height();
        if ((record.U32(88) != 0 || blend) && bitmap.image.isNull()) return;   // a bitmap that cannot be drawn
        canvas.Blit(bitmap, QRectF(record.I32(44), record.I32(48), sourceWidth, sourceHeight), destination, rop, opacity);
        return;
    }
    if (record.U32(64) != kDibRgbColors) return;
    const DecodedDib bitmap = BitmapAt(record, 48, 56);
    if (bitmap.image.isNull()) return;
    const QRectF source(record.I32(32), record.I32(36), record.I32(40), record.I32(44));
    if (type == kEmrStretchDiBits) {
        const QRectF destination(record.I32(24), record.I32(28), record.I32(72), record.I32(76));
        canvas.Blit(bitmap, source, destination, record.U32(68));
        return;
    }
    // Set-bits-to-device: drawn unscaled; only records carrying the whole bitmap in one band.
    if (record.U32(68) != 0 || record.U32(72) < static_cast<std::uint32_t>(bitmap.image.height())) return;
    canvas.Blit(bitmap, source, QRectF(QPointF(record.I32(24), record.I32(28)), source.size()), kRopSourceCopy);
}

void PlayClipRegion(CMetafileCanvas& canvas, const RecordBytes& record)
{
    const std::uint32_t dataBytes = record.U32(8);
    const std::uint32_t mode = record.U32(12);
    if (mode < 1 || mode > 5) return;
    if (dataBytes == 0) {   // no region: back to the whole picture
        if (mode == static_cast<std::uint32_t>(ClipMode::kCopy)) canvas.ResetClip();
        return;
    }
    // Region data: a 32-byte header whose third field counts the rectangles that follow.
    const std::uint64_t count = record.U32(16 + 8);
    if (count > kMaxClipRects || !record.Has(16 + 32, count * 16)) return;
    std::vector<QRectF> rects;
    for (std::uint64_t i = 0; i < count; ++i) rects.push_back(RectAt(record, 48 + i * 16));
    canvas.CombineClipDeviceRects(rects, static_cast<ClipMode>(mode));
}

void ModifyWorld(CMetafileCanvas& canvas, const RecordBytes& record)
{
    const QTransform change(record.F32(8), record.F32(12), record.F32(16), record.F32(20), record.F32(24),
                            record.F32(28));
    if (!qIsFinite(change.m11()) || !qIsFinite(change.m12()) || !qIsFinite(change.m21()) ||
        !qIsFinite(change.m22()) || !qIsFinite(change.dx()) || !qIsFinite(change.dy()))
        return;
    const std::uint32_t mode = record.Size() >= 36 ? record.U32(32) : 4;
    switch (mode) {
    case 1: canvas.SetWorldTransform(QTransform()); break;
    case 2: canvas.SetWorldTransform(change * canvas.WorldTransform()); break;   // applied before the old
    case 3: canvas.SetWorldTransform(canvas.WorldTransform() * change); break;   // applied after the old
    case 4: canvas.SetWorldTransform(change); break;
    default: break;
    }
}

void PlayRecord(CMetafileCanvas& canvas, std::uint32_t type, const RecordBytes& record)
{
    switch (type) {
    case kEmrPolyBezier: canvas.PolyBezier(PointsAt(record, 28, record.U32(24), true)); break;
    case kEmrPolygon: canvas.Polygon(PointsAt(record, 28, record.U32(24), true)); break;
    case kEmrPolyline: canvas.Polyline(PointsAt(record, 28, record.U32(24), true)); break;
    case kEmrPolyBezierTo: canvas.PolyBezierTo(PointsAt(record, 28, record.U32(24), true)); break;
    case kEmrPolylineTo: canvas.PolylineTo(PointsAt(record, 28, record.U32(24), true)); break;
    case kEmrPolyBezier16: canvas.PolyBezier(PointsAt(record, 28, record.U32(24), false)); break;
    case kEmrPolygon16: canvas.Polygon(PointsAt(record, 28, record.U32(24), false)); break;
    case kEmrPolyline16: canvas.Polyline(PointsAt(record, 28, record.U32(24), false)); break;
    case kEmrPolyBezierTo16: canvas.PolyBezierTo(PointsAt(record, 28, record.U32(24), false)); break;
    case kEmrPolylineTo16: canvas.PolylineTo(PointsAt(record, 28, record.U32(24), false)); break;
    case kEmrPolyPolyline: canvas.PolyPolyline(PolysAt(record, true)); break;
    case kEmrPolyPolygon: canvas.PolyPolygon(PolysAt(record, true)); break;
    case kEmrPolyPolyline16: canvas.PolyPolyline(PolysAt(record, false)); break;
    case kEmrPolyPolygon16: canvas.PolyPolygon(PolysAt(record, false)); break;
    case kEmrSetWindowExt: canvas.SetWindowExt(QSizeF(record.I32(8), record.I32(12))); break;
    case kEmrSetWindowOrg: canvas.SetWindowOrg(PointAt(record, 8)); break;
    case kEmrSetViewportExt: canvas.SetViewportExt(QSizeF(record.I32(8), record.I32(12))); break;
    case kEmrSetViewportOrg: canvas.SetViewportOrg(PointAt(record, 8)); break;
    case kEmrScaleWindowExt:
    case kEmrScaleViewportExt: {
        const double xNum = record.I32(8), xDenom = record.I32(12), yNum = record.I32(16), yDenom = record.I32(20);
        if (xDenom == 0 || yDenom == 0) break;
        const bool window = type == kEmrScaleWindowExt;
        const QSizeF old = window ? canvas.WindowExt() : canvas.ViewportExt();
        const QSizeF scaled(old.width() * xNum / xDenom, old.height() * yNum / yDenom);
        window ? canvas.SetWindowExt(scaled) : canvas.SetViewportExt(scaled);
        break;
    }
    case kEmrSetMapMode: canvas.SetMapMode(record.I32(8)); break;
    case kEmrSetBkMode: canvas.SetOpaqueBackground(record.U32(8) == 2); break;
    case kEmrSetPolyFillMode: canvas.SetWindingFill(record.U32(8) == 2); break;
    case kEmrSetTextAlign: canvas.SetTextAlign(record.U32(8)); break;
    case kEmrSetTextColor: canvas.SetTextColor(record.U32(8)); break;
    case kEmrSetBkColor: canvas.SetBackColor(record.U32(8)); break;
    case kEmrMoveTo: canvas.MoveTo(PointAt(record, 8)); break;
    case kEmrLineTo: canvas.LineTo(PointAt(record, 8)); break;
    case kEmrExcludeClipRect: canvas.ExcludeClipRect(RectAt(record, 8)); break;
    case kEmrIntersectClipRect: canvas.IntersectClipRect(RectAt(record, 8)); break;
    case kEmrSaveDc: canvas.SaveState(); break;
    case kEmrRestoreDc: canvas.RestoreState(record.I32(8)); break;
    case kEmrSetWorldTransform: ModifyWorld(canvas, RecordBytes(record.Slice(0, 32))); break;
    case kEmrModifyWorldTransform: ModifyWorld(canvas, record); break;
    case kEmrSelectObject: {
        const std::uint32_t index = record.U32(8);
        if ((index & kStockObjectFlag) != 0) {
            canvas.SelectStockObject(index & ~kStockObjectFlag);
        } else {
            canvas.SelectObject(index);
        }
        break;
    }
    case kEmrCreatePen: canvas.StoreObject(record.U32(8), MakePen(record.U32(12), record.I32(16), record.U32(24))); break;
    case kEmrExtCreatePen: {   // a cosmetic pen is one pixel wide whatever width it carries
        const std::uint32_t style = record.U32(28);
        const double width = (style & kGeometricPen) != 0 ? record.U32(32) : 0;
        canvas.StoreObject(record.U32(8), MakePen(style, width, record.U32(40)));
        break;
    }
    case kEmrCreateBrush:
        canvas.StoreObject(record.U32(8), MakeBrush(record.U32(12), record.U32(16), record.U32(20)));
        break;
    case kEmrCreateDibPatternBrush:
        canvas.StoreObject(record.U32(8), MakePatternBrush(BitmapAt(record, 16, 24).image));
        break;
    case kEmrExtCreateFont: {
        GdiObject font;
        font.kind = GdiObject::Kind::kFont;
        font.font = FontAt(record, 12);
        canvas.StoreObject(record.U32(8), font);
        break;
    }
    case kEmrDeleteObject: canvas.DeleteObject(record.U32(8)); break;
    case kEmrEllipse: canvas.Ellipse(RectAt(record, 8)); break;
    case kEmrRectangle: canvas.Rectangle(RectAt(record, 8)); break;
    case kEmrRoundRect: canvas.RoundRect(RectAt(record, 8), QSizeF(record.I32(24), record.I32(28))); break;
    case kEmrArc: canvas.Arc(ArcKind::kArc, RectAt(record, 8), PointAt(record, 24), PointAt(record, 32)); break;
    case kEmrChord: canvas.Arc(ArcKind::kChord, RectAt(record, 8), PointAt(record, 24), PointAt(record, 32)); break;
    case kEmrPie: canvas.Arc(ArcKind::kPie, RectAt(record, 8), PointAt(record, 24), PointAt(record, 32)); break;
    case kEmrBeginPath: canvas.BeginPath(); break;
    case kEmrEndPath: canvas.EndPath(); break;
    case kEmrCloseFigure: canvas.CloseFigure(); break;
    case kEmrFillPath: canvas.FillPath(); break;
    case kEmrStrokeAndFillPath: canvas.StrokeAndFillPath(); break;
    case kEmrStrokePath: canvas.StrokePath(); break;
    case kEmrAbortPath: canvas.AbortPath(); break;
    case kEmrSelectClipPath: {
        const std::uint32_t mode = record.U32(8);
        if (mode >= 1 && mode <= 5) canvas.SelectClipPath(static_cast<ClipMode>(mode));
        break;
    }
    case kEmrExtSelectClipRgn: PlayClipRegion(canvas, record); break;
    case kEmrBitBlt:
    case kEmrStretchBlt:
    case kEmrSetDiBitsToDevice:
    case kEmrStretchDiBits:
    case kEmrAlphaBlend: PlayBlit(canvas, record, type); break;
    case kEmrExtTextOutA: PlayText(canvas, record, false); break;
    case kEmrExtTextOutW: PlayText(canvas, record, true); break;
    default: break;   // records without a visible effect here, or not known: skipped
    }
}

// Maps the recording device's pixels so that the header's frame covers the output.
QTransform FrameToOutput(const RecordBytes& header, int width, int height, double& pixelsPerMm)
{
    double deviceX = header.I32(72), deviceY = header.I32(76);
    double millimetresX = header.I32(80), millimetresY = header.I32(84);
    if (header.U32(4) >= 108 && header.I32(100) > 0 && header.I32(104) > 0) {   // micrometres, more exact
        millimetresX = header.I32(100) / 1000.0;
        millimetresY = header.I32(104) / 1000.0;
    }
    const bool usable = deviceX > 0 && deviceY > 0 && millimetresX > 0 && millimetresY > 0;
    const double perMmX = usable ? deviceX / millimetresX : kReferencePixelsPerMm;
    const double perMmY = usable ? deviceY / millimetresY : kReferencePixelsPerMm;
    pixelsPerMm = perMmX;
    const double left = header.I32(24) / 100.0 * perMmX, top = header.I32(28) / 100.0 * perMmY;
    const double right = header.I32(32) / 100.0 * perMmX, bottom = header.I32(36) / 100.0 * perMmY;
    const double scaleX = width / (right - left), scaleY = height / (bottom - top);
    return QTransform(scaleX, 0, 0, scaleY, -left * scaleX, -top * scaleY);
}

}  // namespace

void PlayEnhancedMetafile(QPainter& painter, std::span<const std::uint8_t> file, int width, int height)
{
    const RecordBytes header(file.subspan(0, std::min<std::size_t>(file.size(), RecordBytes(file).U32(4))));
    double pixelsPerMm = kReferencePixelsPerMm;
    const QTransform deviceToOutput = FrameToOutput(header, width, height, pixelsPerMm);
    CMetafileCanvas canvas(painter, deviceToOutput, pixelsPerMm);
    canvas.SetObjectCapacity(header.U16(56));   // the header declares the table; index 0 is the file itself

    std::size_t offset = 0;
    for (std::size_t played = 0; played < kMaxRecords && canvas.HasWorkLeft() && file.size() - offset >= 8; ++played) {
        const RecordBytes head(file.subspan(offset, 8));
        const std::uint32_t type = head.U32(0);
        const std::uint32_t recordBytes = head.U32(4);
        if (recordBytes < 8 || recordBytes > file.size() - offset || type == kEmrEof) break;
        PlayRecord(canvas, type, RecordBytes(file.subspan(offset, recordBytes)));
        offset += recordBytes;
    }
}

}  // namespace platform::metafile
