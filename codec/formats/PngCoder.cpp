#include "codec/formats/PngCoder.h"

#include "codec/CodecEntry.h"
#include "codec/CodecLimits.h"
#include "codec/CodecProgress.h"
#include "codec/ExifBlock.h"
#include "codec/PixelBuffer.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

namespace {

using codec::CCodecIO;
using codec::CodecCall;

constexpr png_uint_32 kMaxPngSide = 1'000'000;
// No block libpng allocates, and no ancillary chunk (text, profile), is larger than this.
constexpr png_alloc_size_t kMaxChunkBytes = 16u << 20;
constexpr png_uint_32 kMaxCachedChunks = 4;   // text, sPLT and unknown chunks kept: 4 x 16 MiB at most
// A picture read keeps iCCP, eXIf and two iTXt chunks at most, 16 MiB each: within the metadata
// budget. libpng stops keeping text chunks when its count of cached chunks falls to 1.
constexpr png_uint_32 kMaxCachedChunksOfPicture = 3;
constexpr char kXmpKeyword[] = "XML:com.adobe.xmp";
constexpr int kPaletteEntries = 256;
constexpr double kDisplayGamma = 2.2;

// ---- libpng glue: fatal errors leave through longjmp, never as a C++ exception ----

// libpng's error pointer: where the last fatal message is kept.
struct PngMessage {
    char text[256] = "";
};

void OnPngError(png_structp png, png_const_charp message)
{
    auto* kept = static_cast<PngMessage*>(png_get_error_ptr(png));
    std::strncpy(kept->text, message, sizeof kept->text - 1);
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// Every block libpng asks for comes through here: none may exceed the chunk limit. libpng sizes some
// buffers from a chunk's declared length before reading it, so a small file could otherwise make it
// clear gigabytes.
png_voidp AllocateLimited(png_structp, png_alloc_size_t bytes)
{
    return bytes <= kMaxChunkBytes ? std::malloc(bytes) : nullptr;
}

void FreeBlock(png_structp, png_voidp block)
{
    std::free(block);
}

// Chunks the pixel reader does not use, skipped unread instead of decoded and kept. The first three
// hold no metadata a picture carries (its XMP comes in iTXt).
constexpr png_byte kUnusedChunks[] = {'t', 'E', 'X', 't', '\0', 'z', 'T', 'X', 't', '\0', 's', 'P', 'L', 'T', '\0'};

using PngStep = int (*)(void* context);

// Runs step(context) and returns its code, or kCodecErrPng when libpng reported a fatal error. This
// frame and the step's frames hold only trivially destructible locals, so the jump skips no destructor;
// the libpng structures and the pixel block belong to the caller.
[[gnu::noinline]] int RunPngStep(png_structp png, PngStep step, void* context)
{
    if (setjmp(png_jmpbuf(png)) != 0) return kCodecErrPng;
    return step(context);
}

void ReadData(png_structp png, png_bytep data, std::size_t bytes)
{
    if (!static_cast<CCodecIO*>(png_get_io_ptr(png))->ReadExact(data, bytes)) png_error(png, "read Error");
}

void WriteData(png_structp png, png_bytep data, std::size_t bytes)
{
    if (!static_cast<CCodecIO*>(png_get_io_ptr(png))->Write(data, bytes)) png_error(png, "write Error");
}

void FlushData(png_structp) {}

codec::CodecFailure FailWithTrace(CodecCall& call, int code, const char* message)
{
    codec::CodecTrace(codec::kTraceError, "OrvaneLib PNG Error : %s\n", message);
    return call.Fail(code);
}

// ---- Reading ----

// The read structures and the state of one decode; lives in the entry point's frame.
struct PngDecoder {
    PngMessage message;
    png_structp png = nullptr;
    png_infop info = nullptr;
    CCodecIO* io = nullptr;

    // Set before the steps that use them.
    int bitsPerPixel = 0;
    int flags = 0;
    const CodecPngOptions* options = nullptr;
    std::vector<png_bytep> rows;
    codec::CodecProgress* rowProgress = nullptr;
    bool keepTexts = false;   // all text chunks, for the dimension query; a picture read keeps its metadata

    explicit PngDecoder(CCodecIO& source) : io(&source)
    {
        png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, &message, OnPngError, OnPngWarning, nullptr,
                                       AllocateLimited, FreeBlock);
        if (png != nullptr) info = png_create_info_struct(png);
    }
    PngDecoder(const PngDecoder&) = delete;
    PngDecoder& operator=(const PngDecoder&) = delete;
    ~PngDecoder() { png_destroy_read_struct(&png, &info, nullptr); }

    png_uint_32 Width() const { return png_get_image_width(png, info); }
    png_uint_32 Height() const { return png_get_image_height(png, info); }
    int BitDepth() const { return png_get_bit_depth(png, info); }
    int ColourType() const { return png_get_color_type(png, info); }
};

int ReadInfoStep(void* context)
{
    auto& decoder = *static_cast<PngDecoder*>(context);
    png_set_read_fn(decoder.png, decoder.io, ReadData);
    png_set_user_limits(decoder.png, kMaxPngSide, kMaxPngSide);
    png_set_chunk_malloc_max(decoder.png, kMaxChunkBytes);
    png_set_chunk_cache_max(decoder.png, decoder.keepTexts ? kMaxCachedChunks : kMaxCachedChunksOfPicture);
    if (!decoder.keepTexts)
        png_set_keep_unknown_chunks(decoder.png, PNG_HANDLE_CHUNK_NEVER, kUnusedChunks, sizeof kUnusedChunks / 5);
    png_read_info(decoder.png, decoder.info);
    return kCodecOk;
}

// A PNG file's first chunk after the signature is IHDR. libpng takes ancillary and unknown chunks
// that come before it as they come, so the order is checked here, and the source left where it was.
bool StartsWithHeaderChunk(CCodecIO& io)
{
    constexpr std::size_t kSignatureBytes = 8;
    constexpr std::size_t kChunkTypeOffset = kSignatureBytes + 4;   // after the chunk's length
    std::array<std::uint8_t, kChunkTypeOffset + 4> leading{};
    const std::uint64_t start = io.Tell();
    const bool read = io.ReadExact(leading.data(), leading.size());
    if (!io.Seek(static_cast<std::int64_t>(start), kCodecSeekStart)) return false;
    return read && std::memcmp(&leading[kChunkTypeOffset], "IHDR", 4) == 0;
}

// Creates the read structures and reads the chunks up to the image data.
int StartDecoder(PngDecoder& decoder)
{
    if (decoder.info == nullptr) return kCodecErrPngCreate;
    if (!StartsWithHeaderChunk(*decoder.io)) {
        std::strncpy(decoder.message.text, "IHDR is not the first chunk", sizeof decoder.message.text - 1);
        return kCodecErrPng;
    }
    return RunPngStep(decoder.png, ReadInfoStep, &decoder);
}

// Transparency (an alpha channel or a tRNS chunk) goes over bKGD when the file has one, else over the
// thread's background colour.
void CompositeOverBackground(PngDecoder& decoder)
{
    png_color_16p fileBackground = nullptr;
    if (png_get_bKGD(decoder.png, decoder.info, &fileBackground) != 0) {
        png_set_background(decoder.png, fileBackground, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
        return;
    }
    png_color_16 background{};
    background.red = decoder.options->backgroundRed;
    background.green = decoder.options->backgroundGreen;
    background.blue = decoder.options->backgroundBlue;
    background.gray = decoder.options->backgroundGreen;
    png_set_background(decoder.png, &background, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
}

int TransformStep(void* context)
{
    auto& decoder = *static_cast<PngDecoder*>(context);
    png_structp png = decoder.png;
    const int colourType = decoder.ColourType();
    if (decoder.BitDepth() == 16) png_set_scale_16(png);
    if (decoder.bitsPerPixel == 8) {
        png_set_packing(png);
    } else if (decoder.bitsPerPixel >= 24) {
        const bool transparent = (colourType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, decoder.info, PNG_INFO_tRNS) != 0;
        png_set_expand(png);   // palette to RGB, grey to 8 bits, tRNS to alpha
        if ((colourType & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(png);
        double fileGamma = 0;
        if ((decoder.flags & kPngReadGammaCorrect) != 0 && png_get_gAMA(png, decoder.info, &fileGamma) != 0)
            png_set_gamma(png, kDisplayGamma, fileGamma);
        if (decoder.bitsPerPixel == 24 && transparent) CompositeOverBackground(decoder);
        if (decoder.bitsPerPixel == 32 && !transparent) png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, decoder.info);
    return kCodecOk;
}

int DecodeStep(void* context)
{
    auto& decoder = *static_cast<PngDecoder*>(context);
    const int passes = png_set_interlace_handling(decoder.png);
    const int height = static_cast<int>(decoder.rows.size());
    for (int pass = 0; pass < passes; ++pass) {
        for (int row = 0; row < height; ++row) {
            png_read_row(decoder.png, decoder.rows[static_cast<std::size_t>(row)], nullptr);
            if (!decoder.rowProgress->Report(pass * height + row + 1, passes * height)) return kCodecErrCancelled;
        }
    }
    png_read_end(decoder.png, decoder.info);   // eXIf and iTXt may follow the image data
    return kCodecOk;
}

// The metadata libpng kept, each block within what is left of the budget: the profile as inflated
// (libpng checked its header), the eXIf block when well formed, the XMP packet of the first iTXt
// chunk named for it.
CodecPictureMetadata TakeMetadata(const PngDecoder& decoder)
{
    CodecPictureMetadata metadata;
    codec::MetadataBudget budget;
    png_charp name = nullptr;
    int compression = 0;
    png_bytep profile = nullptr;
    png_uint_32 profileBytes = 0;
    if (png_get_iCCP(decoder.png, decoder.info, &name, &compression, &profile, &profileBytes) != 0 && budget.Take(profileBytes))
        metadata.iccProfile.assign(profile, profile + profileBytes);
    png_bytep exif = nullptr;
    png_uint_32 exifBytes = 0;
    if (png_get_eXIf_1(decoder.png, decoder.info, &exifBytes, &exif) != 0) {
        const auto summary = codec::ReadExifSummary(exif, exifBytes);
        if (summary && budget.Take(exifBytes)) {
            metadata.orientation = summary->orientation;
            metadata.exif.assign(exif, exif + exifBytes);
        }
    }
    png_textp texts = nullptr;
    const int textCount = png_get_text(decoder.png, decoder.info, &texts, nullptr);
    for (int index = 0; index < textCount; ++index) {
        const png_text& text = texts[index];
        const std::size_t bytes = text.compression >= PNG_ITXT_COMPRESSION_NONE ? text.itxt_length : text.text_length;
        if (std::strcmp(text.key, kXmpKeyword) != 0 || text.text == nullptr) continue;
        if (budget.Take(bytes)) metadata.xmp.assign(text.text, text.text + bytes);
        break;
    }
    return metadata;
}

// 8 and 1 bits deliver indices: only palette and grey files have them.
int CheckIndexedRequest(const PngDecoder& decoder, const std::uint8_t* palette)
{
    const int colourType = decoder.ColourType();
    if (colourType != PNG_COLOR_TYPE_PALETTE && colourType != PNG_COLOR_TYPE_GRAY) return kCodecErrUnsupportedFileDepth;
    return palette == nullptr ? kCodecErrInvalidArgument : kCodecOk;
}

// Fills `palette` from PLTE (blue, green, red, then alpha from tRNS in the fourth bytes) or, for grey
// files, with the ramp that spreads 2^depth levels evenly over 0..255. Returns the number of entries.
int FillPalette(const PngDecoder& decoder, std::uint8_t* palette, std::uint8_t opaqueAlpha, bool withTransparency)
{
    std::fill_n(palette, kPaletteEntries * 4, std::uint8_t{0});
    if (decoder.ColourType() == PNG_COLOR_TYPE_GRAY) {
        const int levels = 1 << std::min(decoder.BitDepth(), 8);
        for (int level = 0; level < levels; ++level) {
            const auto grey = static_cast<std::uint8_t>(level * 255 / (levels - 1));
            std::uint8_t* entry = palette + 4 * level;
            entry[0] = entry[1] = entry[2] = grey;
            entry[3] = opaqueAlpha;
        }
        return levels;
    }
    png_colorp entries = nullptr;
    int count = 0;
    if (png_get_PLTE(decoder.png, decoder.info, &entries, &count) == 0) return 0;
    count = std::min(count, kPaletteEntries);
    for (int index = 0; index < count; ++index) {
        std::uint8_t* entry = palette + 4 * index;
        entry[0] = entries[index].blue;
        entry[1] = entries[index].green;
        entry[2] = entries[index].red;
        entry[3] = opaqueAlpha;
    }
    png_bytep alphas = nullptr;
    int alphaCount = 0;
    if (withTransparency && png_get_tRNS(decoder.png, decoder.info, &alphas, &alphaCount, nullptr) != 0 && alphas != nullptr) {
        for (int index = 0; index < std::min(alphaCount, count); ++index) palette[4 * index + 3] = alphas[index];
    }
    return count;
}

std::uint8_t* ReadPng(CodecCall& call, CCodecIO& io, int* width, int* height, int bitsPerPixel,
                      std::uint8_t* palette, int flags)
{
    if (width == nullptr || height == nullptr ||
        (bitsPerPixel != 1 && bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32))
        return call.Fail(kCodecErrInvalidArgument);
    call.state.metadataRead = {};
    auto decoder = std::make_unique<PngDecoder>(io);
    if (const int error = StartDecoder(*decoder); error != kCodecOk) return FailWithTrace(call, error, decoder->message.text);
    if (!codec::RasterBytes(decoder->Width(), decoder->Height(), static_cast<unsigned>(bitsPerPixel)))
        return call.Fail(kCodecErrOutOfMemory);
    const bool indexed = bitsPerPixel <= 8;
    if (indexed) {
        if (const int error = CheckIndexedRequest(*decoder, palette); error != kCodecOk) return call.Fail(error);
    }
    decoder->bitsPerPixel = bitsPerPixel;
    decoder->flags = flags;
    decoder->options = &call.state.png;
    if (RunPngStep(decoder->png, TransformStep, decoder.get()) != kCodecOk)
        return FailWithTrace(call, kCodecErrPng, decoder->message.text);
    const std::uint64_t rowBytes = *codec::RowBytes(decoder->Width(), static_cast<unsigned>(bitsPerPixel));
    if (png_get_rowbytes(decoder->png, decoder->info) != rowBytes) return call.Fail(kCodecErrUnsupportedLayout);

    codec::PixelBuffer pixels = codec::AllocPixelBuffer(decoder->Width(), decoder->Height(), static_cast<unsigned>(bitsPerPixel));
    if (!pixels) return call.Fail(kCodecErrOutOfMemory);
    decoder->rows.resize(decoder->Height());
    for (std::size_t row = 0; row < decoder->rows.size(); ++row) decoder->rows[row] = pixels.get() + row * rowBytes;
    codec::CodecProgress progress(call.state);
    decoder->rowProgress = &progress;
    if (const int error = RunPngStep(decoder->png, DecodeStep, decoder.get()); error != kCodecOk)
        return FailWithTrace(call, error, decoder->message.text);

    if (indexed) FillPalette(*decoder, palette, 0, true);
    *width = static_cast<int>(decoder->Width());
    *height = static_cast<int>(decoder->Height());
    call.state.metadataRead = TakeMetadata(*decoder);
    return pixels.release();
}

// ---- Writing ----

struct PngEncoder {
    PngMessage message;
    png_structp png = nullptr;
    png_infop info = nullptr;
    CCodecIO* io = nullptr;

    const std::uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
    int bitDepth = 0;
    int colourType = 0;
    double gamma = 0;
    int flags = 0;
    const CodecDpiInfo* dpi = nullptr;
    const CodecPngOptions* options = nullptr;
    std::vector<png_color> paletteEntries;
    std::vector<png_byte> paletteAlphas;
    std::vector<png_text> texts;
    const std::vector<std::uint8_t>* iccProfile = nullptr;
    bool storeProfile = false;        // the profile goes uncompressed (ProfileCompressesTooWell)
    std::vector<std::uint8_t> exif;   // rewritten for the written size
    std::string xmp;                  // ends in NUL, as libpng measures iTXt text
    codec::CodecProgress* rowProgress = nullptr;

    explicit PngEncoder(CCodecIO& sink) : io(&sink)
    {
        png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &message, OnPngError, OnPngWarning);
        if (png != nullptr) info = png_create_info_struct(png);
    }
    PngEncoder(const PngEncoder&) = delete;
    PngEncoder& operator=(const PngEncoder&) = delete;
    ~PngEncoder() { png_destroy_write_struct(&png, &info); }
};

int SamplesPerPixel(int colourType)
{
    switch (colourType) {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE: return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    default: return 0;
    }
}

// The palette entry closest to the background colour: a palette file's bKGD names an index.
png_byte NearestEntry(const std::vector<png_color>& entries, const CodecPngOptions& options)
{
    const auto distance = [&](const png_color& entry) {
        const int red = entry.red - options.backgroundRed, green = entry.green - options.backgroundGreen,
                  blue = entry.blue - options.backgroundBlue;
        return red * red + green * green + blue * blue;
    };
    const auto nearest = std::min_element(entries.begin(), entries.end(),
                                          [&](const png_color& a, const png_color& b) { return distance(a) < distance(b); });
    return static_cast<png_byte>(nearest - entries.begin());
}

void SetBackground(PngEncoder& encoder)
{
    const CodecPngOptions& options = *encoder.options;
    png_color_16 background{};
    if (encoder.colourType == PNG_COLOR_TYPE_PALETTE) {
        background.index = NearestEntry(encoder.paletteEntries, options);
    } else {
        // 16-bit files take the colour scaled to the full sample range.
        const int scale = encoder.bitDepth == 16 ? 257 : 1;
        background.red = static_cast<png_uint_16>(options.backgroundRed * scale);
        background.green = static_cast<png_uint_16>(options.backgroundGreen * scale);
        background.blue = static_cast<png_uint_16>(options.backgroundBlue * scale);
        background.gray = static_cast<png_uint_16>((options.backgroundRed * 299 + options.backgroundGreen * 587 +
                                                    options.backgroundBlue * 114) / 1000 * scale);
    }
    png_set_bKGD(encoder.png, encoder.info, &background);
}

int EncodeStep(void* context)
{
    auto& encoder = *static_cast<PngEncoder*>(context);
    png_structp png = encoder.png;
    png_infop info = encoder.info;
    png_set_write_fn(png, encoder.io, WriteData, FlushData);
    png_set_IHDR(png, info, static_cast<png_uint_32>(encoder.width), static_cast<png_uint_32>(encoder.height),
                 encoder.bitDepth, encoder.colourType,
                 (encoder.flags & kPngWriteInterlaced) != 0 ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!encoder.paletteEntries.empty()) {
        png_set_PLTE(png, info, encoder.paletteEntries.data(), static_cast<int>(encoder.paletteEntries.size()));
        if (!encoder.paletteAlphas.empty())
            png_set_tRNS(png, info, encoder.paletteAlphas.data(), static_cast<int>(encoder.paletteAlphas.size()), nullptr);
    }
    if (!encoder.paletteEntries.empty() || (encoder.colourType & PNG_COLOR_MASK_ALPHA) != 0) SetBackground(encoder);
    png_time now;
    png_convert_from_time_t(&now, std::time(nullptr));
    png_set_tIME(png, info, &now);
    const CodecDpiInfo density = encoder.dpi != nullptr ? *encoder.dpi : CodecDpiInfo{1, 1, 0};
    png_set_pHYs(png, info, static_cast<png_uint_32>(std::max(density.x, 0)), static_cast<png_uint_32>(std::max(density.y, 0)),
                 density.unit == PNG_RESOLUTION_METER ? PNG_RESOLUTION_METER : PNG_RESOLUTION_UNKNOWN);
    if (encoder.gamma > 0) png_set_gAMA(png, info, encoder.gamma);
    if (!encoder.texts.empty()) png_set_text(png, info, encoder.texts.data(), static_cast<int>(encoder.texts.size()));
    if (encoder.iccProfile != nullptr) {
        if (encoder.storeProfile) png_set_text_compression_level(png, Z_NO_COMPRESSION);
        png_set_iCCP(png, info, "icm", PNG_COMPRESSION_TYPE_BASE, encoder.iccProfile->data(),
                     static_cast<png_uint_32>(encoder.iccProfile->size()));
    }
    if (!encoder.exif.empty()) png_set_eXIf_1(png, info, static_cast<png_uint_32>(encoder.exif.size()), encoder.exif.data());
    png_write_info(png, info);

    const int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass) {
        for (int row = 0; row < encoder.height; ++row) {
            png_write_row(png, encoder.pixels + static_cast<std::size_t>(row) * static_cast<std::size_t>(encoder.stride));
            if (!encoder.rowProgress->Report(pass * encoder.height + row + 1, passes * encoder.height)) return kCodecErrCancelled;
        }
    }
    // This libpng writes a set eXIf chunk again after the image data: one before it is all a file may
    // hold.
    png_set_invalid(png, info, PNG_INFO_eXIf);
    png_write_end(png, info);
    return kCodecOk;
}

// PLTE from bytes 2, 1, 0 (red, green, blue) of each entry; tRNS from the fourth bytes when asked.
void TakePalette(PngEncoder& encoder, const std::uint8_t* palette, int count)
{
    for (int index = 0; index < count; ++index) {
        const std::uint8_t* entry = palette + 4 * index;
        encoder.paletteEntries.push_back(png_color{entry[2], entry[1], entry[0]});
        if ((encoder.flags & kPngWriteTransparency) != 0) encoder.paletteAlphas.push_back(entry[3]);
    }
}

// A profile tried on scratch structures made as the real ones are, so that what libpng refuses there
// (a fault in the profile, or one it only warns of, which a write structure treats as an error)
// cannot end the real write.
struct ProfileTrial {
    png_structp png;
    png_infop info;
    int colourType;
    const std::vector<std::uint8_t>* profile;
};

int TryProfileStep(void* context)
{
    auto& trial = *static_cast<ProfileTrial*>(context);
    png_set_IHDR(trial.png, trial.info, 1, 1, 8, trial.colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_iCCP(trial.png, trial.info, "icm", PNG_COMPRESSION_TYPE_BASE, trial.profile->data(),
                 static_cast<png_uint_32>(trial.profile->size()));
    return png_get_valid(trial.png, trial.info, PNG_INFO_iCCP) != 0 ? kCodecOk : kCodecErrPng;
}

// Whether libpng takes the profile for a picture of `colourType`: a well-formed header and tag table,
// and a colour space that suits the picture (grey for grey pictures, RGB for colour ones).
bool PngTakesProfile(const std::vector<std::uint8_t>& profile, int colourType)
{
    PngMessage message;
    ProfileTrial trial{png_create_write_struct(PNG_LIBPNG_VER_STRING, &message, OnPngError, OnPngWarning), nullptr,
                       colourType, &profile};
    if (trial.png != nullptr) trial.info = png_create_info_struct(trial.png);
    const bool taken = trial.info != nullptr && RunPngStep(trial.png, TryProfileStep, &trial) == kCodecOk;
    png_destroy_write_struct(&trial.png, &trial.info);
    return taken;
}

// libpng reads an iCCP chunk back only when its compressed profile is longer than about 90 bytes: a
// profile that compresses better (a contrived one, mostly zeros) is written uncompressed instead. No
// profile above 128 x 1032 bytes compresses that well (deflate shrinks at most 1032 to 1), so only
// small ones are tried.
bool ProfileCompressesTooWell(const std::vector<std::uint8_t>& profile)
{
    constexpr uLong kShortestReadable = 128;
    if (profile.size() > kShortestReadable * 1032) return false;
    uLongf compressedBytes = compressBound(static_cast<uLong>(profile.size()));
    std::vector<Bytef> compressed(compressedBytes);
    return compress2(compressed.data(), &compressedBytes, profile.data(), static_cast<uLong>(profile.size()),
                     Z_DEFAULT_COMPRESSION) == Z_OK &&
           compressedBytes < kShortestReadable;
}

// The profile, the Exif block rewritten for the written size and the XMP packet as an iTXt chunk.
void AddMetadata(PngEncoder& encoder, const CodecPictureMetadata& metadata)
{
    if (!metadata.iccProfile.empty() && metadata.iccProfile.size() <= PNG_UINT_31_MAX &&
        PngTakesProfile(metadata.iccProfile, encoder.colourType)) {
        encoder.iccProfile = &metadata.iccProfile;
        encoder.storeProfile = ProfileCompressesTooWell(metadata.iccProfile);
    }
    if (!metadata.exif.empty())
        encoder.exif = codec::ExifForWrittenPicture(metadata.exif.data(), metadata.exif.size(),
                                                    static_cast<std::uint32_t>(encoder.width),
                                                    static_cast<std::uint32_t>(encoder.height));
    if (metadata.xmp.empty()) return;
    encoder.xmp.assign(metadata.xmp.begin(), metadata.xmp.end());
    png_text chunk{};
    chunk.compression = PNG_ITXT_COMPRESSION_NONE;
    chunk.key = const_cast<png_charp>(kXmpKeyword);
    chunk.text = encoder.xmp.data();
    chunk.lang = const_cast<png_charp>("");
    chunk.lang_key = const_cast<png_charp>("");
    encoder.texts.push_back(chunk);
}

std::int64_t WritePng(CodecCall& call, CCodecIO& io, const std::uint8_t* pixels, int width, int height, int stride,
                      int bitDepth, int paletteCount, const std::uint8_t* palette, int colourType, double gamma,
                      const CodecDpiInfo* dpi, int flags)
{
    call.exceptionCode = kCodecErrWriteFailed;
    const int samples = SamplesPerPixel(colourType);
    if (pixels == nullptr || width <= 0 || height <= 0 || samples == 0 || bitDepth < 1 || bitDepth > 16 ||
        paletteCount < 0 || paletteCount > kPaletteEntries || (paletteCount > 0 && palette == nullptr))
        return call.Fail(kCodecErrInvalidArgument);
    const std::optional<std::uint64_t> rowBytes = codec::RowBytes(width, static_cast<unsigned>(samples * bitDepth));
    if (!rowBytes || stride < 0 || static_cast<std::uint64_t>(stride) < *rowBytes) return call.Fail(kCodecErrInvalidArgument);

    auto encoder = std::make_unique<PngEncoder>(io);
    if (encoder->info == nullptr) return call.Fail(kCodecErrPngCreate);
    encoder->pixels = pixels;
    encoder->width = width;
    encoder->height = height;
    encoder->stride = stride;
    encoder->bitDepth = bitDepth;
    encoder->colourType = colourType;
    encoder->gamma = gamma;
    encoder->flags = flags;
    encoder->dpi = dpi;
    encoder->options = &call.state.png;
    TakePalette(*encoder, palette, paletteCount);
    for (const CodecPngText& text : call.state.png.outputTexts) {
        png_text chunk{};
        chunk.compression = PNG_TEXT_COMPRESSION_NONE;
        chunk.key = const_cast<png_charp>(text.keyword.c_str());   // libpng copies both texts
        chunk.text = const_cast<png_charp>(text.text.c_str());
        chunk.text_length = text.text.size();
        encoder->texts.push_back(chunk);
    }
    AddMetadata(*encoder, call.state.metadataToWrite);
    codec::CodecProgress progress(call.state);
    encoder->rowProgress = &progress;
    if (const int error = RunPngStep(encoder->png, EncodeStep, encoder.get()); error != kCodecOk)
        return FailWithTrace(call, error, encoder->message.text);
    return static_cast<std::int64_t>(io.Size());
}

}  // namespace

int CodecGetPngDimensions(CodecIOHandle* source, int* width, int* height, int* bitDepth, int* colourType,
                          int* interlaceMethod, CodecDpiInfo* dpi)
{
    return codec::RunCodecEntry(source, [&](CodecCall& call, CCodecIO& io) -> int {
        if (width == nullptr || height == nullptr || bitDepth == nullptr || colourType == nullptr ||
            interlaceMethod == nullptr)
            return call.Fail(kCodecErrInvalidArgument);
        auto decoder = std::make_unique<PngDecoder>(io);
        decoder->keepTexts = true;
        if (const int error = StartDecoder(*decoder); error != kCodecOk) return FailWithTrace(call, error, decoder->message.text);
        *width = static_cast<int>(decoder->Width());
        *height = static_cast<int>(decoder->Height());
        *bitDepth = decoder->BitDepth();
        *colourType = decoder->ColourType();
        *interlaceMethod = png_get_interlace_type(decoder->png, decoder->info);
        if (dpi != nullptr) {
            png_uint_32 x = 0, y = 0;
            int unit = 0;
            *dpi = png_get_pHYs(decoder->png, decoder->info, &x, &y, &unit) != 0
                       ? CodecDpiInfo{static_cast<std::int32_t>(std::min<png_uint_32>(x, INT32_MAX)),
                                      static_cast<std::int32_t>(std::min<png_uint_32>(y, INT32_MAX)), unit}
                       : CodecDpiInfo{};
        }
        std::vector<CodecPngText>& texts = call.state.png.textsRead;
        texts.clear();
        png_textp chunks = nullptr;
        const int count = png_get_text(decoder->png, decoder->info, &chunks, nullptr);
        for (int index = 0; index < count; ++index)
            texts.push_back({chunks[index].key, std::string(chunks[index].text, chunks[index].text_length)});
        return 1;
    });
}

int CodecGetPngPalette(CodecIOHandle* source, int* count, std::uint8_t* palette)
{
    return codec::RunCodecEntry(source, [&](CodecCall& call, CCodecIO& io) -> int {
        if (count == nullptr || palette == nullptr) return call.Fail(kCodecErrInvalidArgument);
        auto decoder = std::make_unique<PngDecoder>(io);
        if (const int error = StartDecoder(*decoder); error != kCodecOk) return FailWithTrace(call, error, decoder->message.text);
        const int colourType = decoder->ColourType();
        *count = 0;
        if (colourType != PNG_COLOR_TYPE_PALETTE && colourType != PNG_COLOR_TYPE_GRAY) return 1;
        *count = FillPalette(*decoder, palette, 255, false);
        for (int index = *count; index < kPaletteEntries && *count > 0; ++index) std::copy_n(palette, 4, palette + 4 * index);
        return 1;
    });
}

std::uint8_t* CodecReadPng(CodecIOHandle* source, int* width, int* height, int bitsPerPixel, std::uint8_t* palette,
                           int flags)
{
    return codec::RunCodecEntry(source, [&](CodecCall& call, CCodecIO& io) {
        return ReadPng(call, io, width, height, bitsPerPixel, palette, flags);
    });
}

int CodecClearPngText()
{
    return codec::RunCodecEntry([](CodecCall& call) {
        call.state.png.outputTexts.clear();
        return 1;
    });
}

std::int64_t CodecWritePng(CodecIOHandle* sink, const std::uint8_t* pixels, int width, int height, int stride,
                           int bitDepth, int paletteCount, const std::uint8_t* palette, int colourType, double gamma,
                           const CodecDpiInfo* dpi, int flags)
{
    return codec::RunCodecEntry(sink, [&](CodecCall& call, CCodecIO& io) {
        return WritePng(call, io, pixels, width, height, stride, bitDepth, paletteCount, palette, colourType, gamma,
                        dpi, flags);
    });
}
