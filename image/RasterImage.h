#pragma once
// CRasterImage: the program's one in-memory picture.
//
// It holds width x height pixels of 1, 8 or 24 bits, rows top first and packed without padding
// (24 bits: red, green, blue; 8 bits: palette index; 1 bit: most significant bit first), a palette of up
// to 256 blue-green-red-reserved entries, the resolution a file gave, and the settings its writers use.
// The image owns exactly one pixel buffer: either one it allocated itself (ownPixels, released with
// delete[]) or one the codec layer handed over (codecPixels, a global memory block released with
// platform::GlobalFree). ownsCodecBuffer says which is current. Operations never throw and report
// failure as an int status (the kImage... codes below).

#include "image/PixelRect.h"

#include "codec/CodecDpiInfo.h"
#include "codec/PictureMetadata.h"

#include <array>
#include <cstdint>
#include <memory>

// Status codes of the image's own operations; other non-zero values come from the codec layer.
inline constexpr int kImageOk = 0;
inline constexpr int kImageErrOutOfMemory = 1;
inline constexpr int kImageErrEmptyFileName = 2;
inline constexpr int kImageErrNoPixels = 5;

// Resample methods: bilinear; bilinear when enlarging and averaging by area when shrinking (the smooth
// one, for thumbnails and pictures drawn smaller).
inline constexpr int kResampleBilinear = 0;
inline constexpr int kResampleAverage = 2;

struct PaletteEntry {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
    std::uint8_t reserved = 0;
    friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

static_assert(sizeof(PaletteEntry) == 4, "palettes are handed to the codec layer as 4-byte entries");

struct CodecIOHandle;

namespace platform {
class CDeviceContext;
}

struct PixelSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

class CRasterImage {
public:
    CRasterImage() = default;
    virtual ~CRasterImage();
    CRasterImage(const CRasterImage&) = delete;
    CRasterImage& operator=(const CRasterImage&) = delete;

    // Releases the current buffer; the image reads as empty. ownsCodecBuffer keeps its value.
    virtual void FreePixels();

    int GetStride() const;
    // Bytes of a packed buffer; computed in 64 bits so no size overflows.
    static std::uint64_t GetBufferSize(std::uint32_t width, std::uint32_t height, int bits);

    // A fresh own buffer of undefined contents; 1 when it cannot be allocated.
    int Create(std::uint32_t width, std::uint32_t height, int bits);
    int Create(PixelSize size, int bits) { return Create(size.width, size.height, bits); }

    // Moves the pixels of `other` here without copying; `other` reads as empty afterwards.
    int TakeOver(CRasterImage& other);
    // Deep copy of pixels, palette, resolution and metadata (not the save settings, hints, file size or
    // stored orientation).
    int CopyFrom(const CRasterImage& src);
    void CopyPaletteAndInfo(const CRasterImage& src);
    // The resolution and the metadata: what describes the picture rather than how it is saved. A picture
    // made from another (turned, cropped, converted) keeps carrying the file's metadata; the pixels
    // stay in its colour space.
    void CopyInfo(const CRasterImage& src);

    void SetDecodeHint(std::int32_t hintWidth, std::int32_t hintHeight);
    std::uint8_t* PaletteBytes() { return reinterpret_cast<std::uint8_t*>(palette.data()); }
    const std::uint8_t* PaletteBytes() const { return reinterpret_cast<const std::uint8_t*>(palette.data()); }

    // Keeps only the pixels inside `rect` (corners in either order), clipped to the image.
    int Crop(PixelRect rect);
    // `rect` with its corners in order and clipped to the image; false when nothing of it remains.
    bool ClipToPicture(PixelRect& rect) const { return ClipToSize(rect, width, height); }
    // The same for a picture of pictureWidth x pictureHeight.
    static bool ClipToSize(PixelRect& rect, std::uint32_t pictureWidth, std::uint32_t pictureHeight);

    // Files (type ids of "image/FileType.h"). Loading discards the previous pixels first and leaves every
    // picture but the 1-bit ones at 24 bits; a failed load leaves the image empty. The metadata a file
    // carries is kept in `metadata`; while autoOrient is set, its Orientation tag turns the picture
    // upright, and fileWidth x fileHeight is the upright size too.
    int Load(const char* path, int type = 21);
    int LoadFrom(CodecIOHandle* source, int type);
    static int DetectFileType(const char* path);
    static int DetectStreamType(CodecIOHandle* source, const char* path);
    static int TypeFromExtension(const char* path);
    // Writes the file whose format the path's extension names, with the metadata the picture carries
    // while keepMetadata is set. The file appears, or replaces an existing one, only when the whole write
    // succeeded; otherwise nothing is left behind.
    int Save(const char* path) const;
    // Writes the picture as a file of `type` (a writer's type: kFileJpeg, kFilePng, ...) to `sink`, which
    // the caller closes.
    int SaveTo(CodecIOHandle* sink, int type) const;
    // What a write of this picture embeds: its metadata while keepMetadata is set, else null.
    const CodecPictureMetadata* MetadataToWrite() const { return keepMetadata ? metadata.get() : nullptr; }
    void ReadResolution(CodecIOHandle* source, int type);
    CodecDpiInfo GetSaveResolution(int type) const;

    // Depth conversions: to 24 bits (palette colours looked up), 1 bit to 8-bit indices, and the
    // two-colour reduction (dark pixels 0, the rest 1) used for WBMP files.
    int ConvertTo24(CRasterImage& dst) const;
    int ConvertTo24InPlace();
    int ConvertTo8(CRasterImage& dst) const;
    int ConvertToMono8(CRasterImage& dst, std::uint32_t threshold) const;
    // Makes this image a width x height resized copy of `src` by kResampleBilinear or kResampleAverage.
    int Resample(const CRasterImage& src, std::uint32_t newWidth, std::uint32_t newHeight, int method);
    // Paints the picture unscaled with its top-left corner at (x, y) of `dc`, which copies only the part
    // inside its clip. 8-bit pictures are painted through their palette (all 256 entries, as
    // ConvertTo24 reads them).
    int Draw(platform::CDeviceContext& dc, int x, int y) const;

    bool HasPixels() const { return Pixels() != nullptr; }
    std::uint8_t* Pixels() { return ownsCodecBuffer ? codecPixels : ownPixels; }
    const std::uint8_t* Pixels() const { return ownsCodecBuffer ? codecPixels : ownPixels; }
    // Adopts a zero-filled global memory block from the codec layer as the pixel buffer.
    void AdoptCodecBuffer(std::uint8_t* block, std::uint32_t blockWidth, std::uint32_t blockHeight, int bits);

    std::uint32_t xResolution = 0;
    std::uint32_t yResolution = 0;
    std::uint32_t resolutionUnit = 0;  // 1 none, 2 inch, 3 centimetre
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::int32_t bitsPerPixel = 0;  // 1, 8 or 24; 0 while empty
    std::int32_t paletteCount = 0;
    std::array<PaletteEntry, 256> palette{};
    bool ownsCodecBuffer = true;
    std::uint8_t* ownPixels = nullptr;
    std::uint8_t* codecPixels = nullptr;
    std::uint32_t monoThreshold = 128;
    bool jpegProgressive = false;
    std::uint32_t saveXResolution = 300;
    std::uint32_t saveYResolution = 300;
    std::uint32_t saveResolutionUnit = 1;
    std::uint32_t tiffCompression = 1;
    std::int32_t jpegFullChroma = 1;
    std::int32_t jpegQuality = 75;  // also the quality of lossy WebP files
    bool webpLossless = false;
    std::int32_t decodeHintWidth = 0;
    std::int32_t decodeHintHeight = 0;
    std::uint32_t fileWidth = 0;
    std::uint32_t fileHeight = 0;
    // Loading turns the picture upright by its Orientation tag; storedOrientation is the tag the last
    // load found (0: none).
    bool autoOrient = true;
    std::int32_t storedOrientation = 0;
    // The colour profile, Exif and XMP the file carried (null: none); saving embeds them while
    // keepMetadata is set.
    std::shared_ptr<const CodecPictureMetadata> metadata;
    bool keepMetadata = true;
};
