#include "platform/WmfPlayer.h"

#include "platform/MetafileBytes.h"
#include "platform/MetafileCanvas.h"

#include <vector>

namespace platform::metafile {

namespace {

// Record functions of the Windows format that the player draws or follows.
enum WindowsRecord : std::uint16_t {
    kMetaEof = 0x0000,
    kMetaSaveDc = 0x001E, kMetaRestoreDc = 0x0127,
    kMetaSetBkColor = 0x0201, kMetaSetBkMode = 0x0102, kMetaSetPolyFillMode = 0x0106,
    kMetaSetTextAlign = 0x012E, kMetaSetTextColor = 0x0209,
    kMetaSetWindowOrg = 0x020B, kMetaSetWindowExt = 0x020C, kMetaOffsetWindowOrg = 0x020F,
    kMetaScaleWindowExt = 0x0410,
    kMetaMoveTo = 0x0214, kMetaLineTo = 0x0213,
    kMetaExcludeClipRect = 0x0415, kMetaIntersectClipRect = 0x0416,
    kMetaPolygon = 0x0324, kMetaPolyline = 0x0325, kMetaPolyPolygon = 0x0538,
    kMetaRectangle = 0x041B, kMetaRoundRect = 0x061C, kMetaEllipse = 0x0418,
    kMetaArc = 0x0817, kMetaPie = 0x081A, kMetaChord = 0x0830,
    kMetaTextOut = 0x0521, kMetaExtTextOut = 0x0A32,
    kMetaCreatePen = 0x02FA, kMetaCreateBrush = 0x02FC, kMetaCreateFont = 0x02FB,
    kMetaCreatePalette = 0x00F7, kMetaCreatePatternBrush = 0x01F9, kMetaDibCreatePatternBrush = 0x0142,
    kMetaCreateRegion = 0x06FF,
    kMetaSelectObject = 0x012D, kMetaDeleteObject = 0x01F0,
    kMetaDibBitBlt = 0x0940, kMetaDibStretchBlt = 0x0B41, kMetaStretchDib = 0x0F43, kMetaSetDibToDev = 0x0D33,
};

constexpr std::size_t kRecordHeaderBytes = 6;   // size in 16-bit words, then the function
constexpr std::size_t kMaxRecords = std::size_t{1} << 22;
constexpr std::uint16_t kDibRgbColors = 0;
constexpr std::uint16_t kBrushPattern = 3;   // a pattern brush carrying a device-dependent bitmap

// Windows records store points y first: (y, x) pairs, rectangles as bottom, right, top, left.
QPointF PointYx(const RecordBytes& params, std::uint64_t offset)
{
    return QPointF(params.I16(offset + 2), params.I16(offset));
}

QRectF RectBrtl(const RecordBytes& params, std::uint64_t offset)
{
    return QRectF(PointYx(params, offset + 4), PointYx(params, offset));
}

QRectF RectLtrb(const RecordBytes& params, std::uint64_t offset)
{
    return QRectF(QPointF(params.I16(offset), params.I16(offset + 2)), QPointF(params.I16(offset + 4), params.I16(offset + 6)));
}

// `count` (x, y) points; empty when the record is too short.
QPolygonF PointsXy(const RecordBytes& params, std::uint64_t offset, std::uint64_t count)
{
    if (!params.Has(offset, count * 4)) return {};
    QPolygonF points;
    points.reserve(static_cast<qsizetype>(count));
    for (std::uint64_t i = 0; i < count; ++i)
        points.append(QPointF(params.I16(offset + 4 * i), params.I16(offset + 4 * i + 2)));
    return points;
}

std::vector<QPolygonF> PolyPolygonAt(const RecordBytes& params)
{
    const std::uint64_t polyCount = params.U16(0);
    if (!params.Has(2, polyCount * 2)) return {};
    std::vector<QPolygonF> polys;
    std::uint64_t offset = 2 + polyCount * 2;
    for (std::uint64_t i = 0; i < polyCount; ++i) {
        const std::uint64_t count = params.U16(2 + i * 2);
        QPolygonF points = PointsXy(params, offset, count);
        if (points.size() != static_cast<qsizetype>(count)) return {};
        polys.push_back(std::move(points));
        offset += count * 4;
    }
    return polys;
}

QString Latin1At(const RecordBytes& params, std::uint64_t offset, std::uint64_t length)
{
    const auto bytes = params.Slice(offset, length);
    return QString::fromLatin1(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

GdiObject FontAt(const RecordBytes& params)
{
    GdiObject object;
    object.kind = GdiObject::Kind::kFont;
    object.font.height = params.I16(0);
    object.font.escapement = params.I16(4);
    object.font.weight = params.I16(8);
    object.font.italic = params.U8(10) != 0;
    object.font.underline = params.U8(11) != 0;
    object.font.strikeOut = params.U8(12) != 0;
    for (std::uint64_t i = 0; i < 32 && params.Has(18 + i, 1) && params.U8(18 + i) != 0; ++i)
        object.font.face.append(QChar::fromLatin1(static_cast<char>(params.U8(18 + i))));
    return object;
}

// Creation records fill the lowest free slot of the table, whatever they create.
void Store(CMetafileCanvas& canvas, GdiObject object)
{
    canvas.StoreObject(canvas.FirstFreeSlot(), std::move(object));
}

void PlayText(CMetafileCanvas& canvas, const RecordBytes& params, bool extended)
{
    if (!extended) {
        const std::uint64_t length = static_cast<std::uint16_t>(params.I16(0));
        const std::uint64_t padded = (length + 1) / 2 * 2;
        if (!params.Has(2, padded + 4)) return;
        canvas.Text(PointYx(params, 2 + padded), Latin1At(params, 2, length), 0, std::nullopt);
        return;
    }
    const std::uint64_t length = params.U16(4);
    const std::uint32_t options = params.U16(6);
    const bool hasBox = (options & (kTextOpaque | kTextClipped)) != 0;
    const std::uint64_t textOffset = hasBox ? 16 : 8;
    if (!params.Has(textOffset, length)) return;
    canvas.Text(PointYx(params, 0), Latin1At(params, textOffset, length), options,
                hasBox ? std::optional(RectLtrb(params, 8)) : std::nullopt);
}

// The four bitmap records; `wordCount` tells the forms without a bitmap (pattern blits) apart.
void PlayBlit(CMetafileCanvas& canvas, const RecordBytes& params, std::uint16_t function, std::uint64_t wordCount)
{
    const bool noBitmap = wordCount == (function >> 8) + 3u;
    switch (function) {
    case kMetaDibBitBlt: {
        const std::uint64_t at = noBitmap ? 10 : 8;   // the bitmap-less form has a reserved word
        const QRectF destination(PointYx(params, at + 4), QSizeF(params.I16(at + 2), params.I16(at)));
        const DecodedDib bitmap = noBitmap ? DecodedDib{} : DecodePackedDib(params.From(16));
        if (!noBitmap && bitmap.image.isNull()) return;
        canvas.Blit(bitmap, QRectF(PointYx(params, 4), destination.size()), destination, params.U32(0));
        return;
    }
    case kMetaDibStretchBlt: {
        const std::uint64_t at = noBitmap ? 14 : 12;
        const QRectF destination(PointYx(params, at + 4), QSizeF(params.I16(at + 2), params.I16(at)));
        const DecodedDib bitmap = noBitmap ? DecodedDib{} : DecodePackedDib(params.From(20));
        if (!noBitmap && bitmap.image.isNull()) return;
        const QRectF source(PointYx(params, 8), QSizeF(params.I16(6), params.I16(4)));
        canvas.Blit(bitmap, source, destination, params.U32(0));
        return;
    }
    case kMetaStretchDib: {
        if (params.U16(4) != kDibRgbColors) return;
        const DecodedDib bitmap = DecodePackedDib(params.From(22));
        if (bitmap.image.isNull()) return;
        const QRectF source(PointYx(params, 10), QSizeF(params.I16(8), params.I16(6)));
        const QRectF destination(PointYx(params, 18), QSizeF(params.I16(16), params.I16(14)));
        canvas.Blit(bitmap, source, destination, params.U32(0));
        return;
    }
    default: {   // set bits to device: unscaled, and only when one record carries the whole bitmap
        if (params.U16(0) != kDibRgbColors || params.U16(4) != 0) return;
        const DecodedDib bitmap = DecodePackedDib(params.From(18));
        if (bitmap.image.isNull() || params.U16(2) < bitmap.image.height()) return;
        const QRectF source(PointYx(params, 6), QSizeF(params.I16(12), params.I16(10)));
        canvas.Blit(bitmap, source, QRectF(PointYx(params, 14), source.size()), kRopSourceCopy);
        return;
    }
    }
}

void PlayRecord(CMetafileCanvas& canvas, std::uint16_t function, const RecordBytes& params, std::uint64_t wordCount)
{
    switch (function) {
    case kMetaSaveDc: canvas.SaveState(); break;
    case kMetaRestoreDc: canvas.RestoreState(params.I16(0)); break;
    case kMetaSetBkColor: canvas.SetBackColor(params.U32(0)); break;
    case kMetaSetBkMode: canvas.SetOpaqueBackground(params.U16(0) == 2); break;
    case kMetaSetPolyFillMode: canvas.SetWindingFill(params.U16(0) == 2); break;
    case kMetaSetTextAlign: canvas.SetTextAlign(params.U16(0)); break;
    case kMetaSetTextColor: canvas.SetTextColor(params.U32(0)); break;
    case kMetaSetWindowOrg: canvas.SetWindowOrg(PointYx(params, 0)); break;
    case kMetaSetWindowExt: {
        const QPointF extent = PointYx(params, 0);
        canvas.SetWindowExt(QSizeF(extent.x(), extent.y()));
        break;
    }
    case kMetaOffsetWindowOrg: canvas.SetWindowOrg(canvas.WindowOrg() + PointYx(params, 0)); break;
    case kMetaScaleWindowExt: {   // y denominator, y numerator, x denominator, x numerator
        const double yDenom = params.I16(0), yNum = params.I16(2), xDenom = params.I16(4), xNum = params.I16(6);
        if (xDenom == 0 || yDenom == 0) break;
        const QSizeF old = canvas.WindowExt();
        canvas.SetWindowExt(QSizeF(old.width() * xNum / xDenom, old.height() * yNum / yDenom));
        break;
    }
    case kMetaMoveTo: canvas.MoveTo(PointYx(params, 0)); break;
    case kMetaLineTo: canvas.LineTo(PointYx(params, 0)); break;
    case kMetaExcludeClipRect: canvas.ExcludeClipRect(RectBrtl(params, 0)); break;
    case kMetaIntersectClipRect: canvas.IntersectClipRect(RectBrtl(params, 0)); break;
    case kMetaPolygon: canvas.Polygon(PointsXy(params, 2, params.U16(0))); break;
    case kMetaPolyline: canvas.Polyline(PointsXy(params, 2, params.U16(0))); break;
    case kMetaPolyPolygon: canvas.PolyPolygon(PolyPolygonAt(params)); break;
    case kMetaRectangle: canvas.Rectangle(RectBrtl(params, 0)); break;
    case kMetaRoundRect: {
        const QPointF corner = PointYx(params, 0);
        canvas.RoundRect(RectBrtl(params, 4), QSizeF(corner.x(), corner.y()));
        break;
    }
    case kMetaEllipse: canvas.Ellipse(RectBrtl(params, 0)); break;
    case kMetaArc: canvas.Arc(ArcKind::kArc, RectBrtl(params, 8), PointYx(params, 4), PointYx(params, 0)); break;
    case kMetaPie: canvas.Arc(ArcKind::kPie, RectBrtl(params, 8), PointYx(params, 4), PointYx(params, 0)); break;
    case kMetaChord: canvas.Arc(ArcKind::kChord, RectBrtl(params, 8), PointYx(params, 4), PointYx(params, 0)); break;
    case kMetaTextOut: PlayText(canvas, params, false); break;
    case kMetaExtTextOut: PlayText(canvas, params, true); break;
    case kMetaCreatePen: Store(canvas, MakePen(params.U16(0), params.I16(2), params.U32(6))); break;
    case kMetaCreateBrush: Store(canvas, MakeBrush(params.U16(0), params.U32(2), params.U16(6))); break;
    case kMetaCreateFont: Store(canvas, FontAt(params)); break;
    case kMetaDibCreatePatternBrush:
        Store(canvas, params.U16(0) == kBrushPattern ? MakeBrush(0, 0, 0)
                                                       : MakePatternBrush(DecodePackedDib(params.From(4)).image));
        break;
    case kMetaCreatePalette:
    case kMetaCreatePatternBrush:
    case kMetaCreateRegion: Store(canvas, GdiObject{}); break;   // kept only to hold their slots
    case kMetaSelectObject: canvas.SelectObject(params.U16(0)); break;
    case kMetaDeleteObject: canvas.DeleteObject(params.U16(0)); break;
    case kMetaDibBitBlt:
    case kMetaDibStretchBlt:
    case kMetaStretchDib:
    case kMetaSetDibToDev: PlayBlit(canvas, params, function, wordCount); break;
    default: break;   // records without a visible effect here, or not known: skipped
    }
}

// Calls `visit(function, params, wordCount)` for each record until the end record, a record of size
// zero, one reaching past the end, or the record limit.
template <typename Visit>
void ForEachRecord(std::span<const std::uint8_t> file, std::size_t headerOffset, Visit&& visit)
{
    std::size_t offset = headerOffset + kWindowsHeaderBytes;
    for (std::size_t played = 0; played < kMaxRecords && offset <= file.size() && file.size() - offset >= kRecordHeaderBytes;
         ++played) {
        const RecordBytes head(file.subspan(offset, kRecordHeaderBytes));
        const std::uint64_t wordCount = head.U32(0);
        const std::uint16_t function = head.U16(4);
        if (wordCount < 3 || wordCount > (file.size() - offset) / 2 || function == kMetaEof) break;
        const std::size_t recordBytes = static_cast<std::size_t>(wordCount * 2);
        if (!visit(function, RecordBytes(file.subspan(offset + kRecordHeaderBytes, recordBytes - kRecordHeaderBytes)), wordCount))
            break;
        offset += recordBytes;
    }
}

}  // namespace

bool IsWindowsHeader(std::span<const std::uint8_t> file, std::size_t offset)
{
    if (offset > file.size() || file.size() - offset < kWindowsHeaderBytes) return false;
    const RecordBytes header(file.subspan(offset, kWindowsHeaderBytes));
    const std::uint16_t type = header.U16(0), version = header.U16(4);
    return (type == 1 || type == 2) && header.U16(2) == 9 && (version == 0x0100 || version == 0x0300);
}

std::optional<QSizeF> FirstWindowExtent(std::span<const std::uint8_t> file, std::size_t headerOffset)
{
    std::optional<QSizeF> extent;
    ForEachRecord(file, headerOffset, [&](std::uint16_t function, const RecordBytes& params, std::uint64_t) {
        if (function != kMetaSetWindowExt || !params.Has(0, 4)) return true;
        const QPointF size = PointYx(params, 0);
        extent = QSizeF(size.x(), size.y());
        return false;
    });
    return extent;
}

void PlayWindowsMetafile(QPainter& painter, std::span<const std::uint8_t> file, std::size_t headerOffset,
                         const QRectF& window, int width, int height)
{
    CMetafileCanvas canvas(painter, QTransform(), 96 / 25.4);
    canvas.SetMapMode(kMapAnisotropic);
    canvas.SetWindowOrg(window.topLeft());
    canvas.SetWindowExt(window.size());
    canvas.SetViewportExt(QSizeF(width, height));
    canvas.SetObjectCapacity(RecordBytes(file.subspan(headerOffset, kWindowsHeaderBytes)).U16(10));
    ForEachRecord(file, headerOffset, [&](std::uint16_t function, const RecordBytes& params, std::uint64_t wordCount) {
        PlayRecord(canvas, function, params, wordCount);
        return canvas.HasWorkLeft();
    });
}

}  // namespace platform::metafile
