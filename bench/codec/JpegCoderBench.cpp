// The JPEG coder against the same work done by calling libjpeg-turbo directly: decoding a 6000 x 4000
// photograph at full size and at 1/8 (the preview), and encoding a 960 x 540 output picture at quality
// 92 with full chroma into a counting sink (one step of the quality search). The layer's overhead is
// the difference between each pair. The same photograph with a camera's metadata in front (a full Exif
// segment, a profile in three segments, an XMP packet) shows what reading the metadata costs.

#include "codec/PictureMetadata.h"
#include "codec/formats/JpegCoder.h"
#include "platform/GlobalMemory.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

// A picture with smooth areas and fine detail, so the entropy coder does realistic work.
Bytes Photograph(int width, int height)
{
    Bytes pixels(std::size_t(width) * height * 3);
    std::uint32_t noise = 12345;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            noise = noise * 1103515245 + 12345;
            std::uint8_t* pixel = &pixels[(std::size_t(y) * width + x) * 3];
            pixel[0] = std::uint8_t(x * 255 / width + (noise >> 28));
            pixel[1] = std::uint8_t(y * 255 / height + (noise >> 29));
            pixel[2] = std::uint8_t((x + y) % 256 / 2 + 64);
        }
    return pixels;
}

const unsigned kFullChroma[10] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1};

const Bytes& LargeJpeg()
{
    static const Bytes file = [] {
        const Bytes pixels = Photograph(6000, 4000);
        Bytes block(pixels.size());
        CodecIOHandle* sink = CodecOpenMemorySink(block.data(), block.size());
        const std::int64_t size = CodecWriteJpeg(sink, pixels.data(), 6000, 4000, 90, 24, nullptr, 0);
        CodecCloseSink(sink);
        block.resize(std::size_t(size));
        return block;
    }();
    return file;
}

// One segment of `marker`: the signature, then `bodyBytes` bytes of which `body` is the start.
void AppendSegment(Bytes& file, std::uint8_t marker, const std::string& signature, const Bytes& body, std::size_t bodyBytes)
{
    const std::size_t length = 2 + signature.size() + bodyBytes;
    file.insert(file.end(), {0xFF, marker, std::uint8_t(length >> 8), std::uint8_t(length)});
    file.insert(file.end(), signature.begin(), signature.end());
    file.insert(file.end(), body.begin(), body.end());
    file.resize(file.size() + bodyBytes - body.size());
}

const Bytes& LargeJpegWithMetadata()
{
    static const Bytes file = [] {
        const Bytes& plain = LargeJpeg();
        Bytes withMetadata(plain.begin(), plain.begin() + 2);   // the start of image
        // A little-endian block whose first directory is empty, padded to a full segment.
        AppendSegment(withMetadata, 0xE1, std::string("Exif\0\0", 6), {'I', 'I', 42, 0, 8, 0, 0, 0}, 65000);
        for (std::uint8_t chunk = 1; chunk <= 3; ++chunk)
            AppendSegment(withMetadata, 0xE2, std::string("ICC_PROFILE\0", 12) + char(chunk) + char(3), {}, 60000);
        AppendSegment(withMetadata, 0xE1, std::string("http://ns.adobe.com/xap/1.0/\0", 29), {'<'}, 8000);
        withMetadata.insert(withMetadata.end(), plain.begin() + 2, plain.end());
        return withMetadata;
    }();
    return file;
}

void DecodeFile(benchmark::State& state, const Bytes& file)
{
    CodecSetJpegDecodeScale(1, int(state.range(0)));
    for (auto _ : state) {
        CodecIOHandle* source = CodecOpenMemorySource(file.data(), file.size());
        int width = 0, height = 0;
        std::uint8_t* pixels = CodecReadJpeg(source, &width, &height, 24, 0);
        benchmark::DoNotOptimize(pixels);
        platform::GlobalFree(pixels);
        CodecCloseSource(source);
        CodecTakeReadMetadata(nullptr);
    }
    CodecSetJpegDecodeScale(1, 1);
}

void DecodeThroughLayer(benchmark::State& state)
{
    DecodeFile(state, LargeJpeg());
}

void DecodeWithMetadataThroughLayer(benchmark::State& state)
{
    DecodeFile(state, LargeJpegWithMetadata());
}

void DecodeDirect(benchmark::State& state)
{
    const Bytes& file = LargeJpeg();
    for (auto _ : state) {
        jpeg_decompress_struct info;
        jpeg_error_mgr errors;
        info.err = jpeg_std_error(&errors);
        jpeg_create_decompress(&info);
        jpeg_mem_src(&info, file.data(), file.size());
        jpeg_read_header(&info, TRUE);
        info.scale_num = 1;
        info.scale_denom = unsigned(state.range(0));
        jpeg_start_decompress(&info);
        const std::size_t rowBytes = std::size_t(info.output_width) * 3;
        Bytes pixels(rowBytes * info.output_height);
        while (info.output_scanline < info.output_height) {
            JSAMPROW row = pixels.data() + info.output_scanline * rowBytes;
            jpeg_read_scanlines(&info, &row, 1);
        }
        jpeg_finish_decompress(&info);
        jpeg_destroy_decompress(&info);
        benchmark::DoNotOptimize(pixels.data());
    }
}

void EncodeThroughLayer(benchmark::State& state)
{
    const Bytes pixels = Photograph(960, 540);
    CodecSetJpegSamplingFactors(kFullChroma, kFullChroma);
    for (auto _ : state) {
        CodecIOHandle* counter = CodecOpenCountingSink(0);
        benchmark::DoNotOptimize(CodecWriteJpeg(counter, pixels.data(), 960, 540, 92, 24, nullptr, 0));
        CodecCloseSink(counter);
    }
    CodecSetJpegSamplingFactors(nullptr, nullptr);
}

// A destination that only counts, as the counting sink does, with the same buffer size.
struct CountingDestination {
    jpeg_destination_mgr pub;
    std::uint64_t count = 0;
    JOCTET buffer[64 * 1024];
};

void ResetBuffer(j_compress_ptr info)
{
    auto& destination = *reinterpret_cast<CountingDestination*>(info->dest);
    destination.pub.next_output_byte = destination.buffer;
    destination.pub.free_in_buffer = sizeof destination.buffer;
}

boolean CountFullBuffer(j_compress_ptr info)
{
    reinterpret_cast<CountingDestination*>(info->dest)->count += sizeof CountingDestination::buffer;
    ResetBuffer(info);
    return TRUE;
}

void CountRest(j_compress_ptr info)
{
    auto& destination = *reinterpret_cast<CountingDestination*>(info->dest);
    destination.count += sizeof destination.buffer - destination.pub.free_in_buffer;
}

void EncodeDirect(benchmark::State& state)
{
    const Bytes pixels = Photograph(960, 540);
    for (auto _ : state) {
        jpeg_compress_struct info;
        jpeg_error_mgr errors;
        CountingDestination destination;
        info.err = jpeg_std_error(&errors);
        jpeg_create_compress(&info);
        destination.pub.init_destination = ResetBuffer;
        destination.pub.empty_output_buffer = CountFullBuffer;
        destination.pub.term_destination = CountRest;
        info.dest = &destination.pub;
        info.image_width = 960;
        info.image_height = 540;
        info.input_components = 3;
        info.in_color_space = JCS_RGB;
        jpeg_set_defaults(&info);
        jpeg_set_quality(&info, 92, TRUE);
        for (int component = 0; component < info.num_components; ++component)
            info.comp_info[component].h_samp_factor = info.comp_info[component].v_samp_factor = 1;
        jpeg_start_compress(&info, TRUE);
        while (info.next_scanline < info.image_height) {
            JSAMPROW row = const_cast<JSAMPROW>(pixels.data() + info.next_scanline * 960 * 3);
            jpeg_write_scanlines(&info, &row, 1);
        }
        jpeg_finish_compress(&info);
        jpeg_destroy_compress(&info);
        benchmark::DoNotOptimize(destination.count);
    }
}

}  // namespace

BENCHMARK(DecodeThroughLayer)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(DecodeWithMetadataThroughLayer)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(DecodeDirect)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(EncodeThroughLayer)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(EncodeDirect)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);
