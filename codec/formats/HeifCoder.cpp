#include "codec/formats/HeifCoder.h"

#include "codec/AlphaOverWhite.h"
#include "codec/CodecEntry.h"
#include "codec/CodecLimits.h"
#include "codec/CodecProgress.h"
#include "codec/PixelBuffer.h"
#include "codec/SourceBytes.h"

#include <libheif/heif.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

using codec::CCodecIO;
using codec::CodecCall;

// libheif refuses any image (and any tile of a grid) of more than this squared pixels: the pixel budget.
constexpr int kMaxHeifSide = 16384;
static_assert(std::uint64_t{kMaxHeifSide} * kMaxHeifSide <= codec::kMaxPixels);

int HeifErrorCode(const heif_error& error)
{
    switch (error.code) {
    case heif_error_Ok: return kCodecOk;
    case heif_error_Memory_allocation_error: return kCodecErrOutOfMemory;   // also libheif's own size limits
    case heif_error_Unsupported_filetype:
    case heif_error_Unsupported_feature: return kCodecErrUnsupportedFormat;
    default: return error.subcode == heif_suberror_End_of_data ? kCodecErrReadFailed : kCodecErrHeif;
    }
}

// The library's decoder plugins are registered once per process and stay for its lifetime.
void InitHeifOnce()
{
    static const bool initialised = [] {
        heif_init(nullptr);
        return true;
    }();
    (void)initialised;
}

struct ContextDeleter {
    void operator()(heif_context* context) const { heif_context_free(context); }
};
struct HandleDeleter {
    void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct ImageDeleter {
    void operator()(heif_image* image) const { heif_image_release(image); }
};
struct OptionsDeleter {
    void operator()(heif_decoding_options* options) const { heif_decoding_options_free(options); }
};

// The file in memory (libheif reads it in place) and its primary image.
struct HeifPrimary {
    std::vector<std::uint8_t> bytes;
    std::unique_ptr<heif_context, ContextDeleter> context;
    std::unique_ptr<heif_image_handle, HandleDeleter> handle;

    int Width() const { return heif_image_handle_get_width(handle.get()); }
    int Height() const { return heif_image_handle_get_height(handle.get()); }
};

// Reads the file's boxes and finds the primary image; its shown size must fit the pixel budget.
int OpenPrimary(CCodecIO& io, HeifPrimary& primary)
{
    std::optional<std::vector<std::uint8_t>> bytes = codec::ReadRemainingBytes(io);
    if (!bytes) return kCodecErrReadFailed;
    primary.bytes = std::move(*bytes);
    InitHeifOnce();
    primary.context.reset(heif_context_alloc());
    if (!primary.context) return kCodecErrOutOfMemory;
    heif_context_set_maximum_image_size_limit(primary.context.get(), kMaxHeifSide);
    heif_error error = heif_context_read_from_memory_without_copy(primary.context.get(), primary.bytes.data(),
                                                                  primary.bytes.size(), nullptr);
    if (error.code != heif_error_Ok) return HeifErrorCode(error);
    heif_image_handle* handle = nullptr;
    error = heif_context_get_primary_image_handle(primary.context.get(), &handle);
    primary.handle.reset(handle);
    if (error.code != heif_error_Ok || handle == nullptr) return error.code != heif_error_Ok ? HeifErrorCode(error) : kCodecErrHeif;
    if (!codec::RasterBytes(primary.Width(), primary.Height(), 32)) return kCodecErrOutOfMemory;
    return kCodecOk;
}

std::uint8_t* ReadHeif(CodecCall& call, CCodecIO& io, int* width, int* height)
{
    if (width == nullptr || height == nullptr) return call.Fail(kCodecErrInvalidArgument);
    HeifPrimary primary;
    if (const int error = OpenPrimary(io, primary); error != kCodecOk) return call.Fail(error);

    const bool hasAlpha = heif_image_handle_has_alpha_channel(primary.handle.get()) != 0;
    const std::unique_ptr<heif_decoding_options, OptionsDeleter> options(heif_decoding_options_alloc());
    if (!options) return call.Fail(kCodecErrOutOfMemory);
    options->convert_hdr_to_8bit = 1;
    heif_image* decoded = nullptr;
    const heif_error error = heif_decode_image(primary.handle.get(), &decoded, heif_colorspace_RGB,
                                               hasAlpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                                               options.get());
    const std::unique_ptr<heif_image, ImageDeleter> image(decoded);
    if (error.code != heif_error_Ok || !image) return call.Fail(error.code != heif_error_Ok ? HeifErrorCode(error) : kCodecErrHeif);

    // The decoded image is the one the budget was checked on, 8 bits a sample, rows at least as long as
    // its pixels.
    const int w = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int h = heif_image_get_height(image.get(), heif_channel_interleaved);
    const int samples = hasAlpha ? 4 : 3;
    int stride = 0;
    const std::uint8_t* plane = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    if (plane == nullptr || w != primary.Width() || h != primary.Height() ||
        heif_image_get_bits_per_pixel_range(image.get(), heif_channel_interleaved) != 8 || stride / samples < w)
        return call.Fail(kCodecErrHeif);

    codec::PixelBuffer pixels = codec::AllocPixelBuffer(w, h, 24);
    if (!pixels) return call.Fail(kCodecErrOutOfMemory);
    const std::size_t rowBytes = static_cast<std::size_t>(w) * 3;
    codec::CodecProgress progress(call.state);
    for (int row = 0; row < h; ++row) {
        const std::uint8_t* from = plane + static_cast<std::size_t>(row) * static_cast<std::size_t>(stride);
        std::uint8_t* to = pixels.get() + static_cast<std::size_t>(row) * rowBytes;
        if (hasAlpha) codec::CompositeOverWhite(from, static_cast<std::size_t>(w), to);
        else std::memcpy(to, from, rowBytes);
        if (!progress.Report(row + 1, h)) return call.Fail(kCodecErrCancelled);
    }
    *width = w;
    *height = h;
    return pixels.release();
}

}  // namespace

int CodecGetHeifDimensions(CodecIOHandle* source, int* width, int* height, int* bitDepth, int* hasAlpha)
{
    return codec::RunCodecEntry(source, [&](CodecCall& call, CCodecIO& io) -> int {
        if (width == nullptr || height == nullptr || bitDepth == nullptr || hasAlpha == nullptr)
            return call.Fail(kCodecErrInvalidArgument);
        HeifPrimary primary;
        if (const int error = OpenPrimary(io, primary); error != kCodecOk) return call.Fail(error);
        *width = primary.Width();
        *height = primary.Height();
        *bitDepth = heif_image_handle_get_luma_bits_per_pixel(primary.handle.get());
        *hasAlpha = heif_image_handle_has_alpha_channel(primary.handle.get());
        return 1;
    });
}

std::uint8_t* CodecReadHeif(CodecIOHandle* source, int* width, int* height, int /*flags*/)
{
    return codec::RunCodecEntry(source, [&](CodecCall& call, CCodecIO& io) { return ReadHeif(call, io, width, height); });
}
