#include "codec/formats/TiffCoder.h"

#include "codec/CodecEntry.h"
#include "codec/CodecLimits.h"
#include "codec/CodecProgress.h"
#include "codec/PictureMetadata.h"
#include "codec/PixelBuffer.h"
#include "codec/formats/TiffExif.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace {

using codec::CCodecIO;
using codec::CodecCall;

constexpr char kCodecLayerName[] = "Lumatrine NR codec layer";
constexpr char kCodecLayerVersion[] = "0.1.0";
constexpr int kPaletteEntries = 256;

// ---- Client procedures and per-file messages ----

// What libtiff's client procedures and message handlers get: the handle, where the TIFF starts in it,
// and the last error libtiff reported for this file.
struct TiffClient {
    CCodecIO* io = nullptr;
    std::uint64_t base = 0;
    char message[256] = "";
};

TiffClient& ClientOf(thandle_t handle)
{
    return *static_cast<TiffClient*>(handle);
}

tmsize_t ReadProc(thandle_t handle, void* buffer, tmsize_t bytes)
{
    if (bytes <= 0) return 0;
    return static_cast<tmsize_t>(ClientOf(handle).io->Read(buffer, static_cast<std::size_t>(bytes)));
}

tmsize_t WriteProc(thandle_t handle, void* buffer, tmsize_t bytes)
{
    if (bytes <= 0) return 0;
    return ClientOf(handle).io->Write(buffer, static_cast<std::size_t>(bytes)) ? bytes : -1;
}

toff_t SeekProc(thandle_t handle, toff_t offset, int whence)
{
    TiffClient& client = ClientOf(handle);
    const auto signedOffset = static_cast<std::int64_t>(offset);
    bool moved = false;
    if (whence == SEEK_SET) {
        moved = offset <= static_cast<toff_t>(std::numeric_limits<std::int64_t>::max()) - client.base &&
                client.io->Seek(static_cast<std::int64_t>(client.base + offset), kCodecSeekStart);
    } else {
        moved = client.io->Seek(signedOffset, whence == SEEK_CUR ? kCodecSeekCurrent : kCodecSeekEnd);
    }
    const std::uint64_t position = client.io->Tell();
    return moved && position >= client.base ? position - client.base : static_cast<toff_t>(-1);
}

int CloseProc(thandle_t)
{
    return 0;   // the handle belongs to the caller
}

toff_t SizeProc(thandle_t handle)
{
    TiffClient& client = ClientOf(handle);
    const std::uint64_t size = client.io->Size();
    return size > client.base ? size - client.base : 0;
}

int MapProc(thandle_t, void**, toff_t*)
{
    return 0;   // no memory mapping: every byte goes through the handle
}

void UnmapProc(thandle_t, void*, toff_t) {}

int OnTiffError(TIFF*, void* userData, const char*, const char* format, va_list arguments)
{
    auto& client = *static_cast<TiffClient*>(userData);
    std::vsnprintf(client.message, sizeof client.message, format, arguments);
    return 1;   // handled: libtiff's process-wide handler is not called
}

int OnTiffWarning(TIFF*, void*, const char*, const char*, va_list)
{
    return 1;
}

// libtiff's process-wide handlers print to stderr. Every file we open has its own handlers; these
// catch what libtiff reports before it has a file to report on.
void SilenceProcessWideHandlers()
{
    static std::once_flag once;
    std::call_once(once, [] {
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
    });
}

// One open TIFF over a handle; closing it flushes nothing the caller has not asked for.
class TiffFile {
public:
    TiffFile(CCodecIO& io, const char* mode)
    {
        SilenceProcessWideHandlers();
        client_.io = &io;
        client_.base = io.Tell();
        TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
        if (options == nullptr) throw std::bad_alloc();
        TIFFOpenOptionsSetMaxSingleMemAlloc(options, static_cast<tmsize_t>(codec::kMaxBlockBytes));
        TIFFOpenOptionsSetErrorHandlerExtR(options, OnTiffError, &client_);
        TIFFOpenOptionsSetWarningHandlerExtR(options, OnTiffWarning, &client_);
        tiff_ = TIFFClientOpenExt("CodecIOHandle", mode, &client_, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc,
                                  MapProc, UnmapProc, options);
        TIFFOpenOptionsFree(options);
    }
    TiffFile(const TiffFile&) = delete;
    TiffFile& operator=(const TiffFile&) = delete;
    ~TiffFile() { Close(); }

    void Close()
    {
        if (tiff_ != nullptr) TIFFClose(tiff_);
        tiff_ = nullptr;
    }
    TIFF* Get() const { return tiff_; }
    const char* Message() const { return client_.message; }
    // Where the file starts in the handle: libtiff's offsets count from here.
    std::uint64_t Base() const { return client_.base; }

private:
    TiffClient client_;
    TIFF* tiff_ = nullptr;
};

codec::CodecFailure FailWithTrace(CodecCall& call, int code, const char* message)
{
    codec::CodecTrace(codec::kTraceError, "TIFF: %s\n", message);
    return call.Fail(code);
}

// ---- Reading ----

std::uint16_t Field16(TIFF* tiff, ttag_t tag, std::uint16_t fallback)
{
    std::uint16_t value = fallback;
    if (TIFFGetFieldDefaulted(tiff, tag, &value) == 0) return fallback;
    return value;
}

// The fields the readers decide by, each with libtiff's default when the tag is absent.
struct TiffLayout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t bitsPerSample = 1;
    std::uint16_t samplesPerPixel = 1;
    std::uint16_t extraSamples = 0;
    std::uint16_t planar = PLANARCONFIG_CONTIG;
    std::uint16_t compression = COMPRESSION_NONE;
    bool hasPhotometric = false;
    std::uint16_t photometric = PHOTOMETRIC_MINISWHITE;
    int orientation = ORIENTATION_TOPLEFT;

    int ColourSamples() const { return samplesPerPixel - extraSamples; }
};

TiffLayout LayoutOf(TIFF* tiff)
{
    TiffLayout layout;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &layout.width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &layout.height);
    layout.bitsPerSample = Field16(tiff, TIFFTAG_BITSPERSAMPLE, 1);
    layout.samplesPerPixel = Field16(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    std::uint16_t extraCount = 0;
    std::uint16_t* extraKinds = nullptr;
    if (TIFFGetFieldDefaulted(tiff, TIFFTAG_EXTRASAMPLES, &extraCount, &extraKinds) != 0)
        layout.extraSamples = std::min(extraCount, layout.samplesPerPixel);
    layout.planar = Field16(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    layout.compression = Field16(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    layout.hasPhotometric = TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &layout.photometric) != 0;
    const std::uint16_t orientation = Field16(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    layout.orientation = orientation >= ORIENTATION_TOPLEFT && orientation <= ORIENTATION_LEFTBOT ? orientation : ORIENTATION_TOPLEFT;
    return layout;
}

// Selects directory `page` of a file opened for reading.
int OpenPage(TiffFile& file, int page)
{
    if (file.Get() == nullptr) return kCodecErrTiff;
    if (page < 0 || TIFFSetDirectory(file.Get(), static_cast<tdir_t>(page)) == 0) return kCodecErrInvalidArgument;
    return kCodecOk;
}

std::int32_t TruncatedResolution(float value)
{
    return value >= 0 && value < static_cast<float>(std::numeric_limits<std::int32_t>::max()) ? static_cast<std::int32_t>(value) : 0;
}

// Where an output pixel of a picture turned by `orientation` is stored; storedWidth x storedHeight is
// the size as stored. Orientations 5 to 8 exchange the output's width and height.
struct Orienter {
    int orientation;
    std::uint32_t storedWidth;
    std::uint32_t storedHeight;

    bool Swaps() const { return orientation >= ORIENTATION_LEFTTOP; }
    std::uint32_t OutWidth() const { return Swaps() ? storedHeight : storedWidth; }
    std::uint32_t OutHeight() const { return Swaps() ? storedWidth : storedHeight; }
    std::uint64_t StoredIndex(std::uint32_t x, std::uint32_t y) const
    {
        const std::uint32_t right = storedWidth - 1, bottom = storedHeight - 1;
        std::uint32_t storedX = x, storedY = y;
        switch (orientation) {
        case ORIENTATION_TOPRIGHT: storedX = right - x; break;                        // mirrored
        case ORIENTATION_BOTRIGHT: storedX = right - x; storedY = bottom - y; break;  // turned 180
        case ORIENTATION_BOTLEFT: storedY = bottom - y; break;                        // flipped
        case ORIENTATION_LEFTTOP: storedX = y; storedY = x; break;                    // transposed
        case ORIENTATION_RIGHTTOP: storedX = y; storedY = bottom - x; break;          // turned clockwise
        case ORIENTATION_RIGHTBOT: storedX = right - y; storedY = bottom - x; break;  // transverse
        case ORIENTATION_LEFTBOT: storedX = right - y; storedY = x; break;            // turned counter-clockwise
        default: break;
        }
        return std::uint64_t{storedY} * storedWidth + storedX;
    }
};

// Copies `stored` (one element per pixel) into `out` in display order.
template <typename Element, typename Put>
void Orient(const Orienter& orienter, const std::vector<Element>& stored, Put put)
{
    for (std::uint32_t y = 0; y < orienter.OutHeight(); ++y)
        for (std::uint32_t x = 0; x < orienter.OutWidth(); ++x)
            put(std::uint64_t{y} * orienter.OutWidth() + x, stored[orienter.StoredIndex(x, y)]);
}

int OrientationOf(const TiffLayout& layout, int flags)
{
    return (flags & kTiffReadIgnoreOrientation) != 0 ? ORIENTATION_TOPLEFT : layout.orientation;
}

// libtiff 4.5 decodes an uncompressed tile for the RGBA interface only when its raw buffer holds exactly
// one tile. Read without memory mapping, the raw buffer it allocates itself is rounded up to whole
// kilobytes, so a tile of any other size (16 x 16 RGB: 768 bytes) would be refused. A buffer of our own,
// one tile long, is kept as it is: every tile of an uncompressed file fits it, and a tile that claims
// more bytes is refused. Returns false when no buffer could be set.
bool SetUncompressedTileBuffer(TIFF* tiff, const TiffLayout& layout, std::vector<std::uint8_t>& buffer)
{
    if (TIFFIsTiled(tiff) == 0 || layout.compression != COMPRESSION_NONE) return true;
    const tmsize_t tileBytes = TIFFTileSize(tiff);
    if (tileBytes <= 0 || static_cast<std::uint64_t>(tileBytes) > codec::kMaxBlockBytes) return false;
    buffer.resize(static_cast<std::size_t>(tileBytes));
    return TIFFReadBufferSetup(tiff, buffer.data(), tileBytes) != 0;
}

std::uint8_t* ReadRgba(CodecCall& call, TIFF* tiff, const TiffLayout& layout, int bitsPerPixel, int flags,
                       int* width, int* height)
{
    char reason[1024] = "";
    TIFFRGBAImage image{};
    if (TIFFRGBAImageOK(tiff, reason) == 0 || TIFFRGBAImageBegin(&image, tiff, 1, reason) == 0)
        return FailWithTrace(call, kCodecErrTiff, reason);
    // libtiff reads tiles into it only during TIFFRGBAImageGet below.
    std::vector<std::uint8_t> tileBuffer;
    if (!SetUncompressedTileBuffer(tiff, layout, tileBuffer)) {
        TIFFRGBAImageEnd(&image);
        return call.Fail(kCodecErrOutOfMemory);
    }
    // The rows are wanted as stored; the Orientation tag is applied below, the same way for every depth.
    image.req_orientation = ORIENTATION_TOPLEFT;
    image.orientation = ORIENTATION_TOPLEFT;
    std::vector<std::uint32_t> raster(std::size_t{layout.width} * layout.height);
    const int got = TIFFRGBAImageGet(&image, raster.data(), layout.width, layout.height);
    TIFFRGBAImageEnd(&image);
    if (got == 0) return call.Fail(kCodecErrTiff);

    const Orienter orienter{OrientationOf(layout, flags), layout.width, layout.height};
    codec::PixelBuffer pixels = codec::AllocPixelBuffer(orienter.OutWidth(), orienter.OutHeight(), static_cast<unsigned>(bitsPerPixel));
    if (!pixels) return call.Fail(kCodecErrOutOfMemory);
    const std::size_t pixelBytes = static_cast<std::size_t>(bitsPerPixel / 8);
    std::uint8_t* out = pixels.get();
    Orient(orienter, raster, [&](std::uint64_t index, std::uint32_t abgr) {
        std::uint8_t* pixel = out + index * pixelBytes;
        pixel[0] = static_cast<std::uint8_t>(TIFFGetR(abgr));
        pixel[1] = static_cast<std::uint8_t>(TIFFGetG(abgr));
        pixel[2] = static_cast<std::uint8_t>(TIFFGetB(abgr));
        if (pixelBytes == 4) pixel[3] = static_cast<std::uint8_t>(TIFFGetA(abgr));
    });
    *width = static_cast<int>(orienter.OutWidth());
    *height = static_cast<int>(orienter.OutHeight());
    return pixels.release();
}

// The rows of the first sample plane as the file stores them, rowBytes each. False when a strip or tile
// cannot be read.
bool ReadStoredRows(TIFF* tiff, const TiffLayout& layout, std::vector<std::uint8_t>& rows, std::size_t& rowBytes)
{
    const tmsize_t scanline = TIFFScanlineSize(tiff);
    if (scanline <= 0 || !codec::RasterBytes(static_cast<std::int64_t>(scanline), layout.height, 8)) return false;
    rowBytes = static_cast<std::size_t>(scanline);
    rows.assign(rowBytes * layout.height, 0);
    if (TIFFIsTiled(tiff) == 0) {
        for (std::uint32_t row = 0; row < layout.height; ++row)
            if (TIFFReadScanline(tiff, rows.data() + row * rowBytes, row, 0) < 0) return false;
        return true;
    }
    std::uint32_t tileWidth = 0, tileHeight = 0;
    TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &tileWidth);
    TIFFGetField(tiff, TIFFTAG_TILELENGTH, &tileHeight);
    const tmsize_t tileRowBytes = TIFFTileRowSize(tiff);
    const tmsize_t tileBytes = TIFFTileSize(tiff);
    if (tileWidth == 0 || tileHeight == 0 || tileRowBytes <= 0 || tileBytes < tileRowBytes * static_cast<tmsize_t>(tileHeight))
        return false;
    std::vector<std::uint8_t> tile(static_cast<std::size_t>(tileBytes));
    const unsigned storedBits = layout.bitsPerSample * (layout.planar == PLANARCONFIG_CONTIG ? layout.samplesPerPixel : 1u);
    for (std::uint32_t top = 0; top < layout.height; top += tileHeight) {
        for (std::uint32_t left = 0; left < layout.width; left += tileWidth) {
            if (TIFFReadTile(tiff, tile.data(), left, top, 0, 0) < 0) return false;
            // Tile widths are multiples of 16 pixels, so every tile starts on a whole byte.
            const std::size_t firstByte = std::uint64_t{left} * storedBits / 8;
            const std::size_t copyBytes = std::min(static_cast<std::size_t>(tileRowBytes), rowBytes - firstByte);
            for (std::uint32_t row = top; row < std::min(top + tileHeight, layout.height); ++row)
                std::memcpy(rows.data() + row * rowBytes + firstByte, tile.data() + (row - top) * tileRowBytes, copyBytes);
        }
    }
    return true;
}

bool IsGrey(const TiffLayout& layout)
{
    return layout.photometric == PHOTOMETRIC_MINISWHITE || layout.photometric == PHOTOMETRIC_MINISBLACK;
}

// Which files have one index per pixel to deliver at 8 bits.
int CheckEightBitLayout(const TiffLayout& layout)
{
    switch (layout.photometric) {
    case PHOTOMETRIC_RGB:
        if (layout.bitsPerSample >= 8) return kCodecErrUnsupportedFileDepth;
        break;
    case PHOTOMETRIC_SEPARATED:
    case PHOTOMETRIC_YCBCR:
    case PHOTOMETRIC_LOGLUV: return kCodecErrUnsupportedFileDepth;
    default: break;
    }
    // Only one sample can index the palette, and samples wider than a byte only scale down for grey.
    if (layout.ColourSamples() != 1 || layout.bitsPerSample == 0) return kCodecErrUnsupportedFileDepth;
    if (layout.bitsPerSample > 8 && !(layout.bitsPerSample == 16 && IsGrey(layout))) return kCodecErrUnsupportedFileDepth;
    return kCodecOk;
}

void PutEntry(std::uint8_t* palette, int index, std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    palette[4 * index] = blue;
    palette[4 * index + 1] = green;
    palette[4 * index + 2] = red;
}

// The palette the delivered indices select: a grey ramp over the levels the samples hold (falling for
// min-is-white), or the ColorMap. Other Photometric values leave it zero.
void FillEightBitPalette(TIFF* tiff, const TiffLayout& layout, std::uint8_t* palette)
{
    std::fill_n(palette, kPaletteEntries * 4, std::uint8_t{0});
    const int levels = 1 << std::min<int>(layout.bitsPerSample, 8);
    if (IsGrey(layout)) {
        for (int level = 0; level < levels; ++level) {
            const int value = level * 255 / (levels - 1);
            const auto grey = static_cast<std::uint8_t>(layout.photometric == PHOTOMETRIC_MINISWHITE ? 255 - value : value);
            PutEntry(palette, level, grey, grey, grey);
        }
        return;
    }
    std::uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
    if (layout.photometric != PHOTOMETRIC_PALETTE || TIFFGetField(tiff, TIFFTAG_COLORMAP, &red, &green, &blue) == 0) return;
    // Writers store 16-bit ColorMaps; some old ones stored 8-bit values in them.
    bool sixteenBit = false;
    for (int index = 0; index < levels; ++index) sixteenBit |= red[index] > 255 || green[index] > 255 || blue[index] > 255;
    const auto scale = [&](std::uint16_t value) { return static_cast<std::uint8_t>(sixteenBit ? value * 255u / 65535u : value); };
    for (int index = 0; index < levels; ++index) PutEntry(palette, index, scale(red[index]), scale(green[index]), scale(blue[index]));
}

// Sample 0 of pixel x in a stored row: an index of up to 8 bits, or a 16-bit grey level scaled to 0..255.
std::uint8_t SampleAt(const std::uint8_t* row, std::uint32_t x, const TiffLayout& layout)
{
    const unsigned bits = layout.bitsPerSample;
    const unsigned pixelSamples = layout.planar == PLANARCONFIG_CONTIG ? layout.samplesPerPixel : 1u;
    const std::uint64_t bitOffset = std::uint64_t{x} * pixelSamples * bits;
    const std::uint8_t* first = row + bitOffset / 8;
    if (bits == 16) {
        std::uint16_t value;
        std::memcpy(&value, first, sizeof value);   // libtiff delivers samples in host order
        return static_cast<std::uint8_t>(value * 255u / 65535u);
    }
    if (bits == 8) return *first;
    // Samples of 3, 5, 6 or 7 bits may run on into the next byte.
    const unsigned firstBit = static_cast<unsigned>(bitOffset % 8);
    const unsigned window = firstBit + bits <= 8 ? unsigned{first[0]} << 8 : unsigned{first[0]} << 8 | first[1];
    return static_cast<std::uint8_t>((window >> (16 - bits - firstBit)) & ((1u << bits) - 1));
}

std::uint8_t* ReadEightBit(CodecCall& call, TIFF* tiff, const TiffLayout& layout, std::uint8_t* palette, int flags,
                           int* width, int* height)
{
    if (const int error = CheckEightBitLayout(layout); error != kCodecOk) return call.Fail(error);
    std::vector<std::uint8_t> rows;
    std::size_t rowBytes = 0;
    if (!ReadStoredRows(tiff, layout, rows, rowBytes)) return call.Fail(kCodecErrTiff);
    std::vector<std::uint8_t> indices(std::size_t{layout.width} * layout.height);
    for (std::uint32_t y = 0; y < layout.height; ++y)
        for (std::uint32_t x = 0; x < layout.width; ++x)
            indices[std::size_t{y} * layout.width + x] = SampleAt(rows.data() + y * rowBytes, x, layout);

    const Orienter orienter{OrientationOf(layout, flags), layout.width, layout.height};
    codec::PixelBuffer pixels = codec::AllocPixelBuffer(orienter.OutWidth(), orienter.OutHeight(), 8);
    if (!pixels) return call.Fail(kCodecErrOutOfMemory);
    std::uint8_t* out = pixels.get();
    Orient(orienter, indices, [&](std::uint64_t index, std::uint8_t value) { out[index] = value; });
    FillEightBitPalette(tiff, layout, palette);
    *width = static_cast<int>(orienter.OutWidth());
    *height = static_cast<int>(orienter.OutHeight());
    return pixels.release();
}

// Bilevel files are delivered with a set bit black. Without a Photometric tag the CCITT schemes count as
// min-is-white (fax convention) and everything else as min-is-black.
bool StoresSetBitsAsWhite(const TiffLayout& layout)
{
    if (layout.hasPhotometric) return layout.photometric == PHOTOMETRIC_MINISBLACK;
    switch (layout.compression) {
    case COMPRESSION_CCITTRLE:
    case COMPRESSION_CCITTFAX3:
    case COMPRESSION_CCITTFAX4:
    case COMPRESSION_CCITTRLEW: return false;
    default: return true;
    }
}

std::uint8_t* ReadOneBit(CodecCall& call, TIFF* tiff, const TiffLayout& layout, std::uint8_t* palette, int flags,
                         int* width, int* height)
{
    if (layout.bitsPerSample != 1 || layout.ColourSamples() != 1 ||
        (layout.planar == PLANARCONFIG_CONTIG && layout.samplesPerPixel != 1))
        return call.Fail(kCodecErrUnsupportedFileDepth);
    std::vector<std::uint8_t> rows;
    std::size_t rowBytes = 0;
    if (!ReadStoredRows(tiff, layout, rows, rowBytes)) return call.Fail(kCodecErrReadFailed);
    const std::size_t packedBytes = (std::size_t{layout.width} + 7) / 8;
    if (rowBytes < packedBytes) return call.Fail(kCodecErrUnsupportedFileDepth);
    const std::uint8_t invert = StoresSetBitsAsWhite(layout) ? 0xFF : 0x00;
    // Bits past the width in a row's last byte are delivered clear, inverted or not.
    const auto lastByteMask = static_cast<std::uint8_t>(0xFF << (packedBytes * 8 - layout.width));

    const Orienter orienter{OrientationOf(layout, flags), layout.width, layout.height};
    codec::PixelBuffer pixels = codec::AllocPixelBuffer(orienter.OutWidth(), orienter.OutHeight(), 1);
    if (!pixels) return call.Fail(kCodecErrOutOfMemory);
    std::uint8_t* out = pixels.get();
    if (orienter.orientation == ORIENTATION_TOPLEFT) {
        for (std::uint32_t y = 0; y < layout.height; ++y)
            for (std::size_t byte = 0; byte < packedBytes; ++byte) {
                const std::uint8_t mask = byte + 1 == packedBytes ? lastByteMask : 0xFF;
                out[y * packedBytes + byte] = (rows[y * rowBytes + byte] ^ invert) & mask;
            }
    } else {
        std::vector<std::uint8_t> bits(std::size_t{layout.width} * layout.height);
        for (std::uint32_t y = 0; y < layout.height; ++y)
            for (std::uint32_t x = 0; x < layout.width; ++x)
                bits[std::size_t{y} * layout.width + x] = (rows[y * rowBytes + x / 8] >> (7 - x % 8)) & 1;
        const std::size_t outRowBytes = (std::size_t{orienter.OutWidth()} + 7) / 8;
        Orient(orienter, bits, [&](std::uint64_t index, std::uint8_t bit) {
            const std::uint64_t y = index / orienter.OutWidth(), x = index % orienter.OutWidth();
            if ((bit ^ (invert & 1)) != 0) out[y * outRowBytes + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        });
    }
    if (palette != nullptr) {
        PutEntry(palette, 0, 255, 255, 255);
        PutEntry(palette, 1, 0, 0, 0);
    }
    *width = static_cast<int>(orienter.OutWidth());
    *height = static_cast<int>(orienter.OutHeight());
    return pixels.release();
}

// ---- Metadata of the page ----

// A byte block tag (ICCProfile, XMLPacket) of the current directory, empty when it is missing or over
// the budget. libtiff has read it with the directory, bounded by the file's size.
std::vector<std::uint8_t> BlockTag(TIFF* tiff, ttag_t tag, codec::MetadataBudget& budget)
{
    std::uint32_t bytes = 0;
    const std::uint8_t* data = nullptr;
    if (TIFFGetField(tiff, tag, &bytes, &data) == 0 || data == nullptr || !budget.Take(bytes)) return {};
    return {data, data + bytes};
}

// What the current directory of `file` carries besides its pixels. The Orientation tag is reported as
// stored, whether or not the read applied it.
CodecPictureMetadata MetadataOf(const TiffFile& file, CCodecIO& io)
{
    TIFF* tiff = file.Get();
    CodecPictureMetadata metadata;
    std::uint16_t orientation = 0;
    if (TIFFGetField(tiff, TIFFTAG_ORIENTATION, &orientation) != 0 && orientation >= ORIENTATION_TOPLEFT &&
        orientation <= ORIENTATION_LEFTBOT)
        metadata.orientation = orientation;
    codec::MetadataBudget budget;
    metadata.iccProfile = BlockTag(tiff, TIFFTAG_ICCPROFILE, budget);
    metadata.xmp = BlockTag(tiff, TIFFTAG_XMLPACKET, budget);
    metadata.exif = codec::ReadTiffExif(tiff, io, file.Base(), budget.Remaining());
    return metadata;
}

std::uint8_t* ReadTiff(CodecCall& call, CCodecIO& io, int* width, int* height, int bitsPerPixel,
                       std::uint8_t* palette, int page, int flags)
{
    if (width == nullptr || height == nullptr ||
        (bitsPerPixel != 1 && bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32) ||
        (bitsPerPixel == 8 && palette == nullptr))
        return call.Fail(kCodecErrInvalidArgument);
    if (!io.Seek(0, kCodecSeekStart)) return call.Fail(kCodecErrTiff);
    TiffFile file(io, "rm");
    if (const int error = OpenPage(file, page); error != kCodecOk) return FailWithTrace(call, error, file.Message());
    const TiffLayout layout = LayoutOf(file.Get());
    // The RGBA interface needs four bytes a pixel before the output exists.
    if (!codec::RasterBytes(layout.width, layout.height, 32)) return call.Fail(kCodecErrOutOfMemory);
    // Gathered before the pixels, so that nothing can fail once they are owned here.
    CodecPictureMetadata metadata = MetadataOf(file, io);
    std::uint8_t* pixels = nullptr;
    if (bitsPerPixel >= 24) pixels = ReadRgba(call, file.Get(), layout, bitsPerPixel, flags, width, height);
    else if (bitsPerPixel == 8) pixels = ReadEightBit(call, file.Get(), layout, palette, flags, width, height);
    else pixels = ReadOneBit(call, file.Get(), layout, palette, flags, width, height);
    if (pixels == nullptr) codec::CodecTrace(codec::kTraceError, "TIFF: %s\n", file.Message());
    else call.state.metadataRead = std::move(metadata);
    return pixels;
}

// ---- Writing ----

// Compression values the writer does not produce for this depth fall back to none.
std::uint16_t WrittenCompression(int compression, int bitsPerPixel)
{
    if (bitsPerPixel == 1) return compression == 0 || compression == COMPRESSION_JPEG ? COMPRESSION_NONE : static_cast<std::uint16_t>(compression);
    switch (compression) {
    case 0:
    case COMPRESSION_CCITTRLE:
    case COMPRESSION_CCITTFAX3:
    case COMPRESSION_CCITTFAX4:
    case COMPRESSION_CCITTRLEW: return COMPRESSION_NONE;
    default: return static_cast<std::uint16_t>(compression);
    }
}

std::string SoftwareText(const CodecTiffOptions& options)
{
    if (options.softwareText) return *options.softwareText;
    const std::string library = TIFFGetVersion();
    return std::string(kCodecLayerName) + " (" + kCodecLayerVersion + "), using " + library.substr(0, library.find('\n'));
}

// Sets the tags of one page; false when libtiff refuses one.
bool SetTags(TIFF* tiff, int width, int height, int bitsPerPixel, const std::uint8_t* palette, std::uint16_t compression,
             const CodecDpiInfo* dpi, int flags, const CodecTiffOptions& options, const CodecPictureMetadata& metadata)
{
    bool ok = TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(width)) != 0;
    ok &= TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(height)) != 0;
    ok &= TIFFSetField(tiff, TIFFTAG_COMPRESSION, compression) != 0;
    ok &= TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) != 0;
    const bool grey = compression == COMPRESSION_JPEG || (flags & kTiffWriteGrey) != 0;
    switch (bitsPerPixel) {
    case 1:
        ok &= TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1) != 0 && TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1) != 0;
        ok &= TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC,
                           (flags & kTiffWriteMinIsBlack) != 0 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_MINISWHITE) != 0;
        break;
    case 4:
    case 8:
        ok &= TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1) != 0 && TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, bitsPerPixel) != 0;
        ok &= TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, grey ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_PALETTE) != 0;
        if (!grey) {
            // ColorMap components are 16-bit: each 8-bit component v becomes v x 257.
            const int entries = 1 << bitsPerPixel;
            std::vector<std::uint16_t> red(entries), green(entries), blue(entries);
            for (int index = 0; index < entries; ++index) {
                red[index] = static_cast<std::uint16_t>(palette[4 * index + 2] * 257);
                green[index] = static_cast<std::uint16_t>(palette[4 * index + 1] * 257);
                blue[index] = static_cast<std::uint16_t>(palette[4 * index] * 257);
            }
            ok &= TIFFSetField(tiff, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data()) != 0;
        }
        break;
    case 24:
        ok &= TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3) != 0 && TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8) != 0;
        ok &= TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB) != 0;
        break;
    default:
        ok &= TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 4) != 0 && TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8) != 0;
        if ((flags & kTiffWriteCmyk) != 0) {
            ok &= TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_SEPARATED) != 0;
            ok &= TIFFSetField(tiff, TIFFTAG_INKSET, INKSET_CMYK) != 0;
        } else {
            const std::uint16_t alpha = EXTRASAMPLE_ASSOCALPHA;
            ok &= TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB) != 0;
            ok &= TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, &alpha) != 0;
        }
        break;
    }
    if (compression == COMPRESSION_JPEG) {
        ok &= TIFFSetField(tiff, TIFFTAG_JPEGQUALITY, std::clamp(options.jpegQuality, 1, 100)) != 0;
        ok &= TIFFSetField(tiff, TIFFTAG_JPEGTABLESMODE, 0) != 0;
    }
    const bool predictable = compression == COMPRESSION_LZW || compression == COMPRESSION_ADOBE_DEFLATE ||
                             compression == COMPRESSION_DEFLATE;
    if (predictable && (flags & kTiffWritePredictor) != 0 && bitsPerPixel >= 8)
        ok &= TIFFSetField(tiff, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL) != 0;

    const int orientation = options.orientation >= ORIENTATION_TOPLEFT && options.orientation <= ORIENTATION_LEFTBOT ? options.orientation : ORIENTATION_TOPLEFT;
    ok &= TIFFSetField(tiff, TIFFTAG_ORIENTATION, orientation) != 0;
    const CodecDpiInfo resolution = dpi != nullptr ? *dpi : CodecDpiInfo{1, 1, RESUNIT_NONE};
    ok &= TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, std::clamp(resolution.unit, RESUNIT_NONE, RESUNIT_CENTIMETER)) != 0;
    ok &= TIFFSetField(tiff, TIFFTAG_XRESOLUTION, static_cast<float>(resolution.x)) != 0;
    ok &= TIFFSetField(tiff, TIFFTAG_YRESOLUTION, static_cast<float>(resolution.y)) != 0;
    ok &= TIFFSetField(tiff, TIFFTAG_SOFTWARE, SoftwareText(options).c_str()) != 0;
    const std::uint32_t rowsPerStrip = compression == COMPRESSION_JPEG ? static_cast<std::uint32_t>(height)
                                       : options.rowsPerStrip < 1 ? TIFFDefaultStripSize(tiff, 0)
                                                                  : static_cast<std::uint32_t>(options.rowsPerStrip);
    ok &= TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, rowsPerStrip) != 0;
    const auto setBlock = [&](ttag_t tag, const std::vector<std::uint8_t>& block) {
        if (block.empty()) return;
        ok &= block.size() <= codec::kMaxMetadataBytes &&
              TIFFSetField(tiff, tag, static_cast<std::uint32_t>(block.size()), block.data()) != 0;
    };
    setBlock(TIFFTAG_XMLPACKET, metadata.xmp);
    setBlock(TIFFTAG_ICCPROFILE, metadata.iccProfile);
    return ok;
}

std::int64_t WriteTiff(CodecCall& call, CCodecIO& io, const std::uint8_t* pixels, int width, int height, int bitsPerPixel,
                       const std::uint8_t* palette, int compression, const CodecDpiInfo* dpi, int flags)
{
    call.exceptionCode = kCodecErrWriteFailed;
    const bool paletted = (bitsPerPixel == 4 || bitsPerPixel == 8) && compression != COMPRESSION_JPEG && (flags & kTiffWriteGrey) == 0;
    if (pixels == nullptr || width <= 0 || height <= 0 ||
        (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32) ||
        (paletted && palette == nullptr))
        return call.Fail(kCodecErrInvalidArgument);
    const std::optional<std::uint64_t> rowBytes = codec::RowBytes(width, static_cast<unsigned>(bitsPerPixel));
    if (!rowBytes || height > codec::kMaxSide) return call.Fail(kCodecErrInvalidArgument);
    const std::uint16_t written = WrittenCompression(compression, bitsPerPixel);
    if (compression < 0 || compression > 0xFFFF || TIFFIsCODECConfigured(written) == 0) return call.Fail(kCodecErrInvalidArgument);

    // Little-endian, the byte order of the Exif directories WriteTiffExif puts into the file.
    TiffFile file(io, "wl");
    if (file.Get() == nullptr) return FailWithTrace(call, kCodecErrTiff, file.Message());
    const CodecPictureMetadata& metadata = call.state.metadataToWrite;
    if (!SetTags(file.Get(), width, height, bitsPerPixel, palette, written, dpi, flags, call.state.tiff, metadata) ||
        !codec::WriteTiffExif(file.Get(), io, file.Base(), metadata.exif, static_cast<std::uint32_t>(width),
                              static_cast<std::uint32_t>(height), !call.state.tiff.softwareText))
        return FailWithTrace(call, kCodecErrWriteFailed, file.Message());
    // Codecs and the predictor may change a row while encoding it: each row is encoded from a copy.
    std::vector<std::uint8_t> row(*rowBytes);
    codec::CodecProgress progress(call.state);
    for (int y = 0; y < height; ++y) {
        std::memcpy(row.data(), pixels + static_cast<std::size_t>(y) * *rowBytes, row.size());
        if (TIFFWriteScanline(file.Get(), row.data(), static_cast<std::uint32_t>(y), 0) < 0)
            return FailWithTrace(call, kCodecErrWriteFailed, file.Message());
        if (!progress.Report(y + 1, height)) return call.Fail(kCodecErrCancelled);
    }
    if (TIFFFlush(file.Get()) == 0) return FailWithTrace(call, kCodecErrWriteFailed, file.Message());
    file.Close();
    return static_cast<std::int64_t>(io.Size());
}

}  // namespace

int CodecGetTiffDimensions(CodecIOHandle* source, int page, int* width, int* height, int* bitsPerPixel, CodecDpiInfo* dpi)
{
    return codec::RunCodecEntry(source, [&](CodecCall& call, CCodecIO& io) -> int {
        if (width == nullptr || height == nullptr || bitsPerPixel == nullptr) return call.Fail(kCodecErrInvalidArgument);
        if (!io.Seek(0, kCodecSeekStart)) return call.Fail(kCodecErrTiff);
        TiffFile file(io, "rm");
        if (const int error = OpenPage(file, page); error != kCodecOk) return FailWithTrace(call, error, file.Message());
        const TiffLayout layout = LayoutOf(file.Get());
        *width = static_cast<int>(std::min<std::uint32_t>(layout.width, INT32_MAX));
        *height = static_cast<int>(std::min<std::uint32_t>(layout.height, INT32_MAX));
        *bitsPerPixel = layout.samplesPerPixel * layout.bitsPerSample;
        if (dpi != nullptr) {
            float x = 0, y = 0;
            *dpi = CodecDpiInfo{TIFFGetField(file.Get(), TIFFTAG_XRESOLUTION, &x) != 0 ? TruncatedResolution(x) : 0,
                                TIFFGetField(file.Get(), TIFFTAG_YRESOLUTION, &y) != 0 ? TruncatedResolution(y) : 0,
                                Field16(file.Get(), TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH)};
        }
        return 1;
    });
}

std::uint8_t* CodecReadTiff(CodecIOHandle* source, int* width, int* height, int bitsPerPixel, std::uint8_t* palette,
                            int page, int flags)
{
    return codec::RunCodecEntry(source, [&](CodecCall& call, CCodecIO& io) {
        call.state.metadataRead = {};
        return ReadTiff(call, io, width, height, bitsPerPixel, palette, page, flags);
    });
}

std::int64_t CodecWriteTiff(CodecIOHandle* sink, const std::uint8_t* pixels, int width, int height, int bitsPerPixel,
                            const std::uint8_t* palette, int compression, const CodecDpiInfo* dpi, int flags)
{
    return codec::RunCodecEntry(sink, [&](CodecCall& call, CCodecIO& io) {
        return WriteTiff(call, io, pixels, width, height, bitsPerPixel, palette, compression, dpi, flags);
    });
}
