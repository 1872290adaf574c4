#include "codec/formats/JpegCoder.h"

#include "codec/ByteReader.h"
#include "codec/CodecEntry.h"
#include "codec/CodecLimits.h"
#include "codec/CodecProgress.h"
#include "codec/PixelBuffer.h"
#include "codec/formats/JpegErrors.h"
#include "codec/formats/JpegMetadata.h"

#include <jerror.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using codec::CCodecIO;
using codec::CodecCall;

constexpr std::size_t kIoBufferBytes = 64 * 1024;
// A progressive file may hold any number of scans, each a pass over the whole picture. Real files
// have about ten; a small file with thousands would keep the decoder busy for seconds.
constexpr int kMaxScans = 100;

// ---- Source and destination managers over a CodecIOHandle ----

struct JpegSource {
    jpeg_source_mgr pub;   // first, so libjpeg's src pointer is the manager's address
    CCodecIO* io;
    JOCTET buffer[kIoBufferBytes];
};

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

// Data that ends before the decoder is done is an error: no partial picture is delivered.
boolean FillInput(j_decompress_ptr info)
{
    auto& source = *reinterpret_cast<JpegSource*>(info->src);
    const std::size_t arrived = source.io->Read(source.buffer, sizeof source.buffer);
    if (arrived == 0) ERREXIT(info, JERR_INPUT_EOF);
    source.pub.next_input_byte = source.buffer;
    source.pub.bytes_in_buffer = arrived;
    return TRUE;
}

void SkipInput(j_decompress_ptr info, long bytes)
{
    if (bytes <= 0) return;
    auto remaining = static_cast<std::size_t>(bytes);
    while (remaining > info->src->bytes_in_buffer) {
        remaining -= info->src->bytes_in_buffer;
        FillInput(info);
    }
    info->src->next_input_byte += remaining;
    info->src->bytes_in_buffer -= remaining;
}

// Reads the next `bytes` bytes of the current segment; the source never suspends, it fails at the end.
void ReadSegmentBytes(j_decompress_ptr info, std::uint8_t* destination, std::size_t bytes)
{
    jpeg_source_mgr& source = *info->src;
    while (bytes > 0) {
        if (source.bytes_in_buffer == 0) FillInput(info);
        const std::size_t count = std::min(bytes, source.bytes_in_buffer);
        std::memcpy(destination, source.next_input_byte, count);
        source.next_input_byte += count;
        source.bytes_in_buffer -= count;
        destination += count;
        bytes -= count;
    }
}

void AttachSource(jpeg_decompress_struct& info, JpegSource& source, CCodecIO& io)
{
    source.io = &io;
    source.pub.init_source = InitSource;
    source.pub.fill_input_buffer = FillInput;
    source.pub.skip_input_data = SkipInput;
    source.pub.resync_to_restart = jpeg_resync_to_restart;
    source.pub.term_source = TermSource;
    source.pub.next_input_byte = nullptr;
    source.pub.bytes_in_buffer = 0;
    info.src = &source.pub;
}

struct JpegDestination {
    jpeg_destination_mgr pub;   // first, so libjpeg's dest pointer is the manager's address
    CCodecIO* io;
    JOCTET buffer[kIoBufferBytes];
};

void InitDestination(j_compress_ptr info)
{
    auto& destination = *reinterpret_cast<JpegDestination*>(info->dest);
    destination.pub.next_output_byte = destination.buffer;
    destination.pub.free_in_buffer = sizeof destination.buffer;
}

void WriteOut(j_compress_ptr info, std::size_t bytes)
{
    auto& destination = *reinterpret_cast<JpegDestination*>(info->dest);
    if (bytes != 0 && !destination.io->Write(destination.buffer, bytes)) ERREXIT(info, JERR_FILE_WRITE);
}

boolean EmptyOutput(j_compress_ptr info)
{
    WriteOut(info, kIoBufferBytes);   // libjpeg calls this only with the whole buffer full
    InitDestination(info);
    return TRUE;
}

void TermDestination(j_compress_ptr info)
{
    WriteOut(info, kIoBufferBytes - info->dest->free_in_buffer);
}

void AttachDestination(jpeg_compress_struct& info, JpegDestination& destination, CCodecIO& io)
{
    destination.io = &io;
    destination.pub.init_destination = InitDestination;
    destination.pub.empty_output_buffer = EmptyOutput;
    destination.pub.term_destination = TermDestination;
    info.dest = &destination.pub;
}

// Called by the decoder between chunks of work: ends files with too many scans.
void LimitScans(j_common_ptr info)
{
    if (info->is_decompressor && reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans)
        codec::FailJpeg(info, "too many scans");
}

// ---- Decoding ----

// How decoded samples become the requested rows.
enum class ReadConversion { kDirect, kGreyToRgb, kCmykToRgb };

// The decompressor with its managers and the state of one decode. It lives in the entry point's frame,
// outside the guarded steps, so that a libjpeg error leaves it in place to be destroyed.
struct JpegDecoder {
    codec::JpegErrorManager errors;
    jpeg_progress_mgr progress;
    JpegSource source;
    jpeg_decompress_struct info;
    bool created = false;

    // Set before the decode step.
    std::uint8_t* pixels = nullptr;
    std::size_t rowBytes = 0;
    ReadConversion conversion = ReadConversion::kDirect;
    std::vector<JSAMPLE> scratch;   // one decoded row when it is converted
    codec::CodecProgress* rowProgress = nullptr;
    CodecJpegRowObserver* rowObserver = nullptr;

    // Set for a decode that reports the file's metadata: APP1 and APP2 segments pass through `segment`.
    bool readMetadata = false;
    codec::JpegMetadataReader metadata;
    std::array<std::uint8_t, 65535> segment;

    JpegDecoder() = default;
    JpegDecoder(const JpegDecoder&) = delete;
    JpegDecoder& operator=(const JpegDecoder&) = delete;
    ~JpegDecoder()
    {
        if (created) jpeg_destroy_decompress(&info);
    }
};

// libjpeg's handler of APP1 and APP2 segments in decodes that report metadata. Reading a segment into
// the decoder's own buffer costs no allocation; the metadata reader keeps what it recognises within the
// metadata budget, which libjpeg's saved markers would not respect.
boolean KeepMetadataSegment(j_decompress_ptr info)
{
    auto& decoder = *static_cast<JpegDecoder*>(info->client_data);
    ReadSegmentBytes(info, decoder.segment.data(), 2);
    const std::size_t length = codec::LoadBe16(decoder.segment.data());
    if (length < 2) ERREXIT(info, JERR_BAD_LENGTH);
    ReadSegmentBytes(info, decoder.segment.data(), length - 2);
    decoder.metadata.Keep(info->unread_marker, decoder.segment.data(), length - 2);
    return TRUE;
}

int ReadHeaderStep(void* context)
{
    auto& decoder = *static_cast<JpegDecoder*>(context);
    jpeg_create_decompress(&decoder.info);   // clears every field but the error manager
    AttachSource(decoder.info, decoder.source, *decoder.source.io);
    if (decoder.readMetadata) {
        decoder.info.client_data = &decoder;
        jpeg_set_marker_processor(&decoder.info, JPEG_APP0 + 1, KeepMetadataSegment);
        jpeg_set_marker_processor(&decoder.info, JPEG_APP0 + 2, KeepMetadataSegment);
    }
    decoder.info.mem->max_memory_to_use = static_cast<long>(codec::kMaxBlockBytes);
    decoder.progress.progress_monitor = LimitScans;
    decoder.info.progress = &decoder.progress;
    jpeg_read_header(&decoder.info, TRUE);
    return kCodecOk;
}

int OutputDimensionsStep(void* context)
{
    jpeg_calc_output_dimensions(&static_cast<JpegDecoder*>(context)->info);
    return kCodecOk;
}

void ConvertRow(const JSAMPLE* decoded, std::uint8_t* row, JDIMENSION width, ReadConversion conversion)
{
    if (conversion == ReadConversion::kGreyToRgb) {
        for (JDIMENSION x = 0; x < width; ++x) row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = decoded[x];
        return;
    }
    // CMYK files hold inverted inks (255 = no ink), so C x K / 255 is the red light that remains.
    for (JDIMENSION x = 0; x < width; ++x) {
        const unsigned black = decoded[4 * x + 3];
        for (int channel = 0; channel < 3; ++channel)
            row[3 * x + channel] = static_cast<std::uint8_t>(decoded[4 * x + channel] * black / 255);
    }
}

int DecodeStep(void* context)
{
    auto& decoder = *static_cast<JpegDecoder*>(context);
    jpeg_decompress_struct& info = decoder.info;
    jpeg_start_decompress(&info);
    while (info.output_scanline < info.output_height) {
        std::uint8_t* row = decoder.pixels + info.output_scanline * decoder.rowBytes;
        JSAMPROW target = decoder.conversion == ReadConversion::kDirect ? row : decoder.scratch.data();
        jpeg_read_scanlines(&info, &target, 1);
        if (decoder.conversion != ReadConversion::kDirect) ConvertRow(target, row, info.output_width, decoder.conversion);
        if (decoder.rowObserver != nullptr)
            decoder.rowObserver->RowsDecoded(decoder.pixels, static_cast<int>(info.output_width),
                                             static_cast<int>(info.output_height), static_cast<int>(info.output_scanline));
        if (!decoder.rowProgress->Report(static_cast<int>(info.output_scanline), static_cast<int>(info.output_height)))
            return kCodecErrCancelled;
    }
    jpeg_finish_decompress(&info);
    return kCodecOk;
}

// Creates the decompressor over `io` and reads the headers up to the first scan.
int StartDecoder(JpegDecoder& decoder, CCodecIO& io)
{
    jpeg_decompress_struct& info = decoder.info;
    info.err = codec::InitJpegErrors(decoder.errors);
    decoder.source.io = &io;
    decoder.created = true;   // destroying a half-created decompressor is safe
    return codec::RunJpegStep(decoder.errors, ReadHeaderStep, &decoder, kCodecErrJpegDecode);
}

// Chooses how the decoder's output becomes rows of `bitsPerPixel`; a failure names why in `message`.
int ChooseConversion(const jpeg_decompress_struct& info, int bitsPerPixel, int flags, ReadConversion& conversion,
                     const char*& message)
{
    conversion = ReadConversion::kDirect;
    const auto refuse = [&](const char* why) {
        message = why;
        return kCodecErrJpegDecode;
    };
    switch (info.out_color_space) {
    case JCS_GRAYSCALE:
        if (bitsPerPixel == 24) conversion = ReadConversion::kGreyToRgb;
        else if (bitsPerPixel != 8) return refuse("Invalid bit depth requested (can't read 8-bit to 32-bit)");
        return kCodecOk;
    case JCS_RGB:
        if (bitsPerPixel != 24) return refuse("Invalid bit depth requested (can't read RGB to any other bit depth)");
        return kCodecOk;
    case JCS_YCbCr:
        if (bitsPerPixel != 24) return refuse("Invalid bit depth requested (can't read YCbCr to any other bit depth)");
        return kCodecOk;
    case JCS_CMYK:
        if ((flags & kJpegReadCmykAsStored) != 0) {
            if (bitsPerPixel != 32) return refuse("Invalid bit depth requested (can only read CMYK/YCCK to 32bpp)");
        } else {
            if (bitsPerPixel != 24) return refuse("Invalid bit depth requested");
            conversion = ReadConversion::kCmykToRgb;
        }
        return kCodecOk;
    default:
        return refuse("Invalid JPG colorspace");
    }
}

bool WithinPixelBudget(const jpeg_decompress_struct& info)
{
    return codec::RasterBytes(info.image_width, info.image_height, 8).has_value();
}

codec::CodecFailure FailWithTrace(CodecCall& call, int code, const char* message)
{
    codec::CodecTrace(codec::kTraceError, "OrvaneLib JPG Error : %s\n", message);
    return call.Fail(code);
}

std::uint8_t* ReadJpeg(CodecCall& call, CCodecIO& io, int* width, int* height, int bitsPerPixel, int flags)
{
    if (width == nullptr || height == nullptr || (bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32))
        return call.Fail(kCodecErrInvalidArgument);
    call.state.metadataRead = {};
    auto decoder = std::make_unique<JpegDecoder>();
    decoder->readMetadata = true;
    jpeg_decompress_struct& info = decoder->info;
    if (StartDecoder(*decoder, io) != kCodecOk) return FailWithTrace(call, kCodecErrJpegDecode, decoder->errors.message);
    // The whole stored picture passes through the decoder's buffers even when it is scaled down.
    if (!WithinPixelBudget(info)) return call.Fail(kCodecErrOutOfMemory);

    const CodecJpegOptions& options = call.state.jpeg;
    info.scale_num = options.scaleNumerator;
    info.scale_denom = options.scaleDenominator;
    if ((flags & kJpegReadRawYcc) != 0 && info.jpeg_color_space == JCS_YCbCr) info.out_color_space = JCS_YCbCr;
    if (codec::RunJpegStep(decoder->errors, OutputDimensionsStep, decoder.get(), kCodecErrJpegDecode) != kCodecOk)
        return FailWithTrace(call, kCodecErrJpegDecode, decoder->errors.message);

    const char* refusal = nullptr;
    if (ChooseConversion(info, bitsPerPixel, flags, decoder->conversion, refusal) != kCodecOk)
        return FailWithTrace(call, kCodecErrJpegDecode, refusal);
    codec::PixelBuffer pixels = codec::AllocPixelBuffer(info.output_width, info.output_height, bitsPerPixel);
    if (!pixels) return call.Fail(kCodecErrOutOfMemory);
    decoder->pixels = pixels.get();
    decoder->rowBytes = std::size_t{info.output_width} * static_cast<unsigned>(bitsPerPixel / 8);
    if (decoder->conversion != ReadConversion::kDirect)
        decoder->scratch.resize(std::size_t{info.output_width} * static_cast<unsigned>(info.output_components));
    codec::CodecProgress progress(call.state);
    decoder->rowProgress = &progress;
    // Made after the pixels, so it ends first: the observer hears of the end before a failed decode
    // frees the pixels.
    struct ObservedDecode {
        CodecJpegRowObserver* observer;
        ~ObservedDecode()
        {
            if (observer != nullptr) observer->DecodeEnded();
        }
    } const observed{bitsPerPixel == 24 ? options.rowObserver : nullptr};
    decoder->rowObserver = observed.observer;

    if (const int error = codec::RunJpegStep(decoder->errors, DecodeStep, decoder.get(), kCodecErrJpegDecode);
        error != kCodecOk)
        return FailWithTrace(call, error, decoder->errors.message);
    *width = static_cast<int>(info.output_width);
    *height = static_cast<int>(info.output_height);
    call.state.metadataRead = decoder->metadata.Take();
    return pixels.release();
}

// ---- Encoding ----

// The compressor with its managers and what one encode writes. Lives in the entry point's frame.
struct JpegEncoder {
    codec::JpegErrorManager errors;
    JpegDestination destination;
    jpeg_compress_struct info;
    bool created = false;

    const std::uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    int quality = 0;
    int flags = 0;
    const CodecDpiInfo* dpi = nullptr;
    const CodecJpegOptions* options = nullptr;
    codec::CodecProgress* rowProgress = nullptr;
    std::vector<CodecJpegMarker> metadataSegments;   // APP1 Exif and XMP, prepared before the encode
    const std::vector<std::uint8_t>* iccProfile = nullptr;

    JpegEncoder() = default;
    JpegEncoder(const JpegEncoder&) = delete;
    JpegEncoder& operator=(const JpegEncoder&) = delete;
    ~JpegEncoder()
    {
        if (created) jpeg_destroy_compress(&info);
    }
};

J_COLOR_SPACE InputColorSpace(int bitsPerPixel, int flags)
{
    if (bitsPerPixel == 8) return JCS_GRAYSCALE;
    if (bitsPerPixel == 24) return (flags & kJpegWriteYcc) != 0 ? JCS_YCbCr : JCS_RGB;
    return (flags & kJpegWriteYcck) != 0 ? JCS_YCCK : JCS_CMYK;
}

J_DCT_METHOD DctMethod(int selector, J_DCT_METHOD fallback)
{
    switch (selector) {
    case 1: return JDCT_ISLOW;
    case 2: return JDCT_IFAST;
    case 3: return JDCT_FLOAT;
    default: return fallback;
    }
}

void SetParameters(JpegEncoder& encoder)
{
    jpeg_compress_struct& info = encoder.info;
    const CodecJpegOptions& options = *encoder.options;
    info.image_width = static_cast<JDIMENSION>(encoder.width);
    info.image_height = static_cast<JDIMENSION>(encoder.height);
    info.input_components = encoder.bitsPerPixel / 8;
    info.in_color_space = InputColorSpace(encoder.bitsPerPixel, encoder.flags);
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, std::clamp(encoder.quality, 0, 100), TRUE);
    if (options.samplingFactorsEnabled) {
        for (int component = 0; component < info.num_components && component < CodecJpegOptions::kMaxComponents;
             ++component) {
            info.comp_info[component].h_samp_factor = options.horizontalSampling[component];
            info.comp_info[component].v_samp_factor = options.verticalSampling[component];
        }
    }
    if ((encoder.flags & kJpegWriteProgressive) != 0) jpeg_simple_progression(&info);
    info.write_JFIF_header = (encoder.flags & kJpegWriteNoJfif) == 0 ? TRUE : FALSE;
    const CodecDpiInfo density = encoder.dpi != nullptr ? *encoder.dpi : CodecDpiInfo{1, 1, 0};
    info.density_unit = static_cast<UINT8>(std::clamp(density.unit, 0, 2));
    info.X_density = static_cast<UINT16>(std::clamp(density.x, 0, 0xFFFF));
    info.Y_density = static_cast<UINT16>(std::clamp(density.y, 0, 0xFFFF));
    info.dct_method = DctMethod(options.dctMethod, info.dct_method);
    info.smoothing_factor = std::clamp(options.smoothingFactor, 0, 100);
}

int EncodeStep(void* context)
{
    auto& encoder = *static_cast<JpegEncoder*>(context);
    jpeg_compress_struct& info = encoder.info;
    jpeg_create_compress(&info);   // clears every field but the error manager
    AttachDestination(info, encoder.destination, *encoder.destination.io);
    SetParameters(encoder);
    jpeg_start_compress(&info, TRUE);
    for (const CodecJpegMarker& marker : encoder.metadataSegments)
        jpeg_write_marker(&info, marker.code, marker.payload.data(), static_cast<unsigned>(marker.payload.size()));
    if (encoder.iccProfile != nullptr)
        jpeg_write_icc_profile(&info, encoder.iccProfile->data(), static_cast<unsigned>(encoder.iccProfile->size()));
    for (const CodecJpegMarker& marker : encoder.options->outputMarkers)
        jpeg_write_marker(&info, marker.code, marker.payload.data(), static_cast<unsigned>(marker.payload.size()));
    const std::size_t rowBytes = static_cast<std::size_t>(encoder.width) * static_cast<unsigned>(encoder.bitsPerPixel / 8);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(encoder.pixels + info.next_scanline * rowBytes);
        jpeg_write_scanlines(&info, &row, 1);
        if (!encoder.rowProgress->Report(static_cast<int>(info.next_scanline), encoder.height)) return kCodecErrCancelled;
    }
    jpeg_finish_compress(&info);
    return kCodecOk;
}

std::int64_t WriteJpeg(CodecCall& call, CCodecIO& io, const std::uint8_t* pixels, int width, int height,
                       int quality, int bitsPerPixel, const CodecDpiInfo* dpi, int flags)
{
    call.exceptionCode = kCodecErrWriteFailed;
    if (pixels == nullptr || width <= 0 || height <= 0 || width > JPEG_MAX_DIMENSION || height > JPEG_MAX_DIMENSION ||
        (bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32))
        return call.Fail(kCodecErrInvalidArgument);
    auto encoder = std::make_unique<JpegEncoder>();
    encoder->info.err = codec::InitJpegErrors(encoder->errors);
    encoder->destination.io = &io;
    encoder->pixels = pixels;
    encoder->width = width;
    encoder->height = height;
    encoder->bitsPerPixel = bitsPerPixel;
    encoder->quality = quality;
    encoder->flags = flags;
    encoder->dpi = dpi;
    encoder->options = &call.state.jpeg;
    const CodecPictureMetadata& metadata = call.state.metadataToWrite;
    encoder->metadataSegments = codec::JpegMetadataSegments(metadata, static_cast<std::uint32_t>(width),
                                                            static_cast<std::uint32_t>(height));
    // Past 255 chunks the chunk numbers would wrap: such a profile is left out.
    if (!metadata.iccProfile.empty() && metadata.iccProfile.size() <= codec::kMaxJpegIccBytes)
        encoder->iccProfile = &metadata.iccProfile;
    codec::CodecProgress progress(call.state);
    encoder->rowProgress = &progress;
    encoder->created = true;
    if (const int error = codec::RunJpegStep(encoder->errors, EncodeStep, encoder.get(), kCodecErrWriteFailed);
        error != kCodecOk)
        return FailWithTrace(call, error, encoder->errors.message);
    return static_cast<std::int64_t>(io.Size());
}

}  // namespace

int CodecGetJpegDimensions(CodecIOHandle* source, int* width, int* height, int* bitsPerPixel, CodecDpiInfo* dpi)
{
    return codec::RunCodecEntry(source, [&](CodecCall& call, CCodecIO& io) -> int {
        if (width == nullptr || height == nullptr || bitsPerPixel == nullptr) return call.Fail(kCodecErrInvalidArgument);
        auto decoder = std::make_unique<JpegDecoder>();
        if (StartDecoder(*decoder, io) != kCodecOk ||
            codec::RunJpegStep(decoder->errors, OutputDimensionsStep, decoder.get(), kCodecErrJpegDecode) != kCodecOk)
            return FailWithTrace(call, kCodecErrJpegDecode, decoder->errors.message);
        const jpeg_decompress_struct& info = decoder->info;
        *width = static_cast<int>(info.image_width);
        *height = static_cast<int>(info.image_height);
        *bitsPerPixel = 8 * info.output_components;
        if (dpi != nullptr) {
            *dpi = info.saw_JFIF_marker ? CodecDpiInfo{info.X_density, info.Y_density, info.density_unit} : CodecDpiInfo{};
        }
        return 1;
    });
}

std::uint8_t* CodecReadJpeg(CodecIOHandle* source, int* width, int* height, int bitsPerPixel, int flags)
{
    return codec::RunCodecEntry(source, [&](CodecCall& call, CCodecIO& io) {
        return ReadJpeg(call, io, width, height, bitsPerPixel, flags);
    });
}

std::int64_t CodecWriteJpeg(CodecIOHandle* sink, const std::uint8_t* pixels, int width, int height, int quality,
                            int bitsPerPixel, const CodecDpiInfo* dpi, int flags)
{
    return codec::RunCodecEntry(sink, [&](CodecCall& call, CCodecIO& io) {
        return WriteJpeg(call, io, pixels, width, height, quality, bitsPerPixel, dpi, flags);
    });
}

int CodecSetJpegDecodeScale(int numerator, int denominator)
{
    return codec::RunCodecEntry([&](CodecCall& call) {
        call.state.jpeg.scaleNumerator = static_cast<unsigned>(std::max(numerator, 1));
        call.state.jpeg.scaleDenominator = static_cast<unsigned>(std::max(denominator, 1));
        return 1;
    });
}

int CodecSetJpegRowObserver(CodecJpegRowObserver* observer)
{
    return codec::RunCodecEntry([&](CodecCall& call) {
        call.state.jpeg.rowObserver = observer;
        return 1;
    });
}

int CodecSetJpegSamplingFactors(const unsigned* horizontal, const unsigned* vertical)
{
    return codec::RunCodecEntry([&](CodecCall& call) {
        CodecJpegOptions& options = call.state.jpeg;
        options.samplingFactorsEnabled = horizontal != nullptr && vertical != nullptr;
        if (options.samplingFactorsEnabled) {
            for (int component = 0; component < CodecJpegOptions::kMaxComponents; ++component) {
                options.horizontalSampling[component] = static_cast<int>(std::clamp(horizontal[component], 1u, 4u));
                options.verticalSampling[component] = static_cast<int>(std::clamp(vertical[component], 1u, 4u));
            }
        }
        return 1;
    });
}

int CodecClearJpegOutputMarkers()
{
    return codec::RunCodecEntry([](CodecCall& call) {
        call.state.jpeg.outputMarkers.clear();
        return 1;
    });
}
