#include "codec/formats/WebpCoder.h"

#include "codec/AlphaOverWhite.h"
#include "codec/CodecEntry.h"
#include "codec/CodecProgress.h"
#include "codec/PixelBuffer.h"
#include "codec/SourceBytes.h"

#include <webp/decode.h>
#include <webp/demux.h>
#include <webp/encode.h>

#include <memory>
#include <vector>

namespace {

using codec::CCodecIO;
using codec::CodecCall;

constexpr int kMaxQuality = 100;

int DecodeStatusCode(VP8StatusCode status)
{
    switch (status) {
    case VP8_STATUS_OK: return kCodecOk;
    case VP8_STATUS_NOT_ENOUGH_DATA: return kCodecErrReadFailed;
    case VP8_STATUS_OUT_OF_MEMORY: return kCodecErrOutOfMemory;
    case VP8_STATUS_USER_ABORT: return kCodecErrCancelled;
    default: return kCodecErrWebp;
    }
}

int EncodeErrorCode(WebPEncodingError error)
{
    switch (error) {
    case VP8_ENC_OK: return kCodecOk;
    case VP8_ENC_ERROR_OUT_OF_MEMORY:
    case VP8_ENC_ERROR_BITSTREAM_OUT_OF_MEMORY: return kCodecErrOutOfMemory;
    case VP8_ENC_ERROR_BAD_WRITE: return kCodecErrWriteFailed;
    case VP8_ENC_ERROR_USER_ABORT: return kCodecErrCancelled;
    case VP8_ENC_ERROR_BAD_DIMENSION:
    case VP8_ENC_ERROR_PARTITION0_OVERFLOW:
    case VP8_ENC_ERROR_FILE_TOO_BIG: return kCodecErrUnsupportedLayout;
    default: return kCodecErrWebp;
    }
}

// The file in memory and what its headers say.
struct WebpFile {
    std::vector<std::uint8_t> bytes;
    WebPBitstreamFeatures features{};
};

int ReadWebpFile(CCodecIO& io, WebpFile& file)
{
    std::optional<std::vector<std::uint8_t>> bytes = codec::ReadRemainingBytes(io);
    if (!bytes) return kCodecErrReadFailed;
    file.bytes = std::move(*bytes);
    return DecodeStatusCode(WebPGetFeatures(file.bytes.data(), file.bytes.size(), &file.features));
}

struct AnimDecoderDeleter {
    void operator()(WebPAnimDecoder* decoder) const { WebPAnimDecoderDelete(decoder); }
};

// An animation's first frame, composed on its canvas by libwebp, composited over white into `rgb`.
int DecodeFirstFrame(const WebpFile& file, std::uint8_t* rgb)
{
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options)) return kCodecErrWebp;
    options.color_mode = MODE_RGBA;
    options.use_threads = 0;
    const WebPData data{file.bytes.data(), file.bytes.size()};
    const std::unique_ptr<WebPAnimDecoder, AnimDecoderDeleter> decoder(WebPAnimDecoderNew(&data, &options));
    WebPAnimInfo info{};
    if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &info)) return kCodecErrWebp;
    // The canvas the budget was checked on is the one decoded.
    if (static_cast<int>(info.canvas_width) != file.features.width || static_cast<int>(info.canvas_height) != file.features.height)
        return kCodecErrWebp;
    std::uint8_t* frame = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetNext(decoder.get(), &frame, &timestamp) || frame == nullptr) return kCodecErrWebp;
    codec::CompositeOverWhite(frame, std::size_t{info.canvas_width} * info.canvas_height, rgb);
    return kCodecOk;
}

// A still picture, lossy or lossless, into a block of `bytes` bytes in the colour mode (MODE_RGB or
// MODE_RGBA) with rows of `stride` bytes.
int DecodeStill(const WebpFile& file, WEBP_CSP_MODE mode, std::uint8_t* pixels, std::size_t bytes, int stride)
{
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config)) return kCodecErrWebp;
    config.output.colorspace = mode;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = pixels;
    config.output.u.RGBA.stride = stride;
    config.output.u.RGBA.size = bytes;
    const VP8StatusCode status = WebPDecode(file.bytes.data(), file.bytes.size(), &config);
    WebPFreeDecBuffer(&config.output);
    return DecodeStatusCode(status);
}

// Without alpha the picture is decoded straight into `rgb`; with alpha through a block of red, green,
// blue, alpha that is then composited over white.
int DecodeStillOverWhite(const WebpFile& file, std::uint8_t* rgb)
{
    const int width = file.features.width;
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(file.features.height);
    if (!file.features.has_alpha) return DecodeStill(file, MODE_RGB, rgb, pixels * 3, width * 3);
    std::vector<std::uint8_t> rgba(pixels * 4);
    const int error = DecodeStill(file, MODE_RGBA, rgba.data(), rgba.size(), width * 4);
    if (error == kCodecOk) codec::CompositeOverWhite(rgba.data(), pixels, rgb);
    return error;
}

std::uint8_t* ReadWebp(CodecCall& call, CCodecIO& io, int* width, int* height)
{
    if (width == nullptr || height == nullptr) return call.Fail(kCodecErrInvalidArgument);
    WebpFile file;
    if (const int error = ReadWebpFile(io, file); error != kCodecOk) return call.Fail(error);
    const int w = file.features.width, h = file.features.height;
    // Transparent pictures and animations are decoded with alpha first: that block must fit the budget too.
    if (!codec::RasterBytes(w, h, 32)) return call.Fail(kCodecErrOutOfMemory);
    codec::PixelBuffer pixels = codec::AllocPixelBuffer(w, h, 24);
    if (!pixels) return call.Fail(kCodecErrOutOfMemory);
    const int error = file.features.has_animation ? DecodeFirstFrame(file, pixels.get()) : DecodeStillOverWhite(file, pixels.get());
    if (error != kCodecOk) return call.Fail(error);
    codec::CodecProgress progress(call.state);
    if (!progress.Report(h, h)) return call.Fail(kCodecErrCancelled);
    *width = w;
    *height = h;
    return pixels.release();
}

// ---- Writing ----

int WriteToSink(const std::uint8_t* data, std::size_t bytes, const WebPPicture* picture)
{
    return static_cast<CCodecIO*>(picture->custom_ptr)->Write(data, bytes) ? 1 : 0;
}

int ReportEncodeProgress(int percent, const WebPPicture* picture)
{
    return static_cast<const codec::CodecProgress*>(picture->user_data)->Report(percent, 100) ? 1 : 0;
}

struct PictureGuard {
    WebPPicture picture;
    PictureGuard() { WebPPictureInit(&picture); }
    ~PictureGuard() { WebPPictureFree(&picture); }
    PictureGuard(const PictureGuard&) = delete;
    PictureGuard& operator=(const PictureGuard&) = delete;
};

std::int64_t WriteWebp(CodecCall& call, CCodecIO& io, const std::uint8_t* pixels, int width, int height, int stride,
                       int quality, int flags)
{
    call.exceptionCode = kCodecErrWriteFailed;
    if (pixels == nullptr || width < 1 || height < 1 || quality < 0 || quality > kMaxQuality || stride / 3 < width)
        return call.Fail(kCodecErrInvalidArgument);
    if (width > WEBP_MAX_DIMENSION || height > WEBP_MAX_DIMENSION) return call.Fail(kCodecErrUnsupportedLayout);

    WebPConfig config;
    if (!WebPConfigInit(&config)) return call.Fail(kCodecErrWebp);
    config.quality = static_cast<float>(quality);
    config.lossless = (flags & kWebpWriteLossless) != 0 ? 1 : 0;
    if (!WebPValidateConfig(&config)) return call.Fail(kCodecErrInvalidArgument);

    codec::CodecProgress progress(call.state);
    PictureGuard guard;
    WebPPicture& picture = guard.picture;
    picture.width = width;
    picture.height = height;
    picture.use_argb = config.lossless;
    if (!WebPPictureImportRGB(&picture, pixels, stride)) return call.Fail(kCodecErrOutOfMemory);
    picture.writer = WriteToSink;
    picture.custom_ptr = &io;
    picture.progress_hook = ReportEncodeProgress;
    picture.user_data = &progress;
    if (!WebPEncode(&config, &picture)) return call.Fail(EncodeErrorCode(picture.error_code));
    return static_cast<std::int64_t>(io.Size());
}

}  // namespace

int CodecGetWebpDimensions(CodecIOHandle* source, int* width, int* height, int* hasAlpha, int* animated)
{
    return codec::RunCodecEntry(source, [&](CodecCall& call, CCodecIO& io) -> int {
        if (width == nullptr || height == nullptr || hasAlpha == nullptr || animated == nullptr)
            return call.Fail(kCodecErrInvalidArgument);
        WebpFile file;
        if (const int error = ReadWebpFile(io, file); error != kCodecOk) return call.Fail(error);
        *width = file.features.width;
        *height = file.features.height;
        *hasAlpha = file.features.has_alpha;
        *animated = file.features.has_animation;
        return 1;
    });
}

std::uint8_t* CodecReadWebp(CodecIOHandle* source, int* width, int* height, int /*flags*/)
{
    return codec::RunCodecEntry(source, [&](CodecCall& call, CCodecIO& io) { return ReadWebp(call, io, width, height); });
}

std::int64_t CodecWriteWebp(CodecIOHandle* sink, const std::uint8_t* pixels, int width, int height, int stride,
                            int quality, int flags)
{
    return codec::RunCodecEntry(sink, [&](CodecCall& call, CCodecIO& io) {
        return WriteWebp(call, io, pixels, width, height, stride, quality, flags);
    });
}
