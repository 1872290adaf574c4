#include "codec/CodecErrors.h"
#include "codec/CodecThreadState.h"
#include "codec/formats/MetafileCoder.h"
#include "platform/GlobalMemory.h"
#include "tests/codec/support/CodecTestSupport.h"
#include "tests/codec/support/MetafileBuilder.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace {

using codec_test::Bytes;
using codec_test::Dib24;
using codec_test::Dword;
using codec_test::EmfBuilder;
using codec_test::FloatBits;
using codec_test::Points16;
using codec_test::TempFile;
using codec_test::Utf16;
using codec_test::WmfBuilder;
using codec_test::operator+;
using codec_test::Words;

using Rgb = std::array<int, 3>;
constexpr Rgb kBlack{0, 0, 0}, kWhite{255, 255, 255}, kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255};
constexpr std::uint32_t kBackground = 0x00202020;   // as stored: 0x00BBGGRR
constexpr Rgb kBackgroundRgb{0x20, 0x20, 0x20};

// Windows metafile record functions and enhanced record types used below.
enum : std::uint16_t {
    kMetaSetWindowOrg = 0x020B, kMetaSetWindowExt = 0x020C, kMetaSetPolyFillMode = 0x0106,
    kMetaCreatePen = 0x02FA, kMetaCreateBrush = 0x02FC, kMetaCreateFont = 0x02FB,
    kMetaSelectObject = 0x012D, kMetaDeleteObject = 0x01F0,
    kMetaMoveTo = 0x0214, kMetaLineTo = 0x0213, kMetaRectangle = 0x041B, kMetaEllipse = 0x0418,
    kMetaPolygon = 0x0324, kMetaPolyPolygon = 0x0538, kMetaPie = 0x081A, kMetaExtTextOut = 0x0A32,
    kMetaTextOut = 0x0521, kMetaSetBkColor = 0x0201, kMetaSetBkMode = 0x0102,
    kMetaDibBitBlt = 0x0940, kMetaDibStretchBlt = 0x0B41, kMetaStretchDib = 0x0F43, kMetaSetDibToDev = 0x0D33,
};
enum : std::uint32_t {
    kEmrSetWindowExt = 9, kEmrSetViewportExt = 11, kEmrSetMapMode = 17, kEmrIntersectClipRect = 30,
    kEmrSaveDc = 33, kEmrRestoreDc = 34, kEmrSetWorldTransform = 35, kEmrSelectObject = 37,
    kEmrCreatePen = 38, kEmrCreateBrush = 39, kEmrRectangle = 43, kEmrBeginPath = 59, kEmrEndPath = 60,
    kEmrFillPath = 62, kEmrBitBlt = 76, kEmrStretchDiBits = 81, kEmrExtCreateFont = 82, kEmrExtTextOutW = 84,
    kEmrPolygon16 = 86, kEmrAlphaBlend = 114,
};
constexpr std::uint32_t kSourceCopy = 0x00CC0020, kPatternCopy = 0x00F00021;
constexpr std::uint32_t kRedRef = 0x0000FF, kGreenRef = 0x00FF00, kBlueRef = 0xFF0000;

// The result of one read: size, pixels and the thread's error.
struct Rendered {
    int width = 0;
    int height = 0;
    int error = 0;
    Bytes rgb;

    Rgb At(int x, int y) const
    {
        const std::size_t at = (static_cast<std::size_t>(y) * width + x) * 3;
        return {rgb[at], rgb[at + 1], rgb[at + 2]};
    }
    // Pixels inside [x0, x1) x [y0, y1) that are not the background.
    int Marked(int x0, int y0, int x1, int y1) const
    {
        int count = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) count += At(x, y) != kBackgroundRgb;
        return count;
    }
};

Rendered ReadPath(const char* path, int sizeX = 100, int sizeY = 100, int flags = 0, std::uint32_t background = kBackground)
{
    Rendered result;
    std::uint8_t* pixels = CodecReadMetafile(path, &result.width, &result.height, sizeX, sizeY, background, flags);
    result.error = CodecGetLastError();
    if (pixels != nullptr) {
        result.rgb.assign(pixels, pixels + platform::GlobalSize(pixels));
        platform::GlobalFree(pixels);
    }
    return result;
}

Rendered ReadBytes(const Bytes& file, int sizeX = 100, int sizeY = 100, int flags = 0)
{
    const TempFile temp("picture.wmf");
    temp.Write(file);
    return ReadPath(temp.CPath(), sizeX, sizeY, flags);
}

// A picture whose every pixel differs from its neighbours.
Bytes TestPicture(int width, int height)
{
    Bytes rgb(static_cast<std::size_t>(width) * height * 3);
    for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<std::uint8_t>(i * 37 + i / 3 * 11);
    return rgb;
}

enum class Written { kEnhanced, kWindows, kPlaceable };

Bytes WritePicture(Written form, const Bytes& rgb, int width, int height)
{
    const TempFile temp;
    CodecIOHandle* sink = CodecOpenFileSink(temp.CPath(), 0);
    const std::int64_t size = form == Written::kEnhanced ? CodecWriteEmf(sink, rgb.data(), width, height, 0)
                                                         : CodecWriteWmf(sink, rgb.data(), width, height,
                                                                         form == Written::kPlaceable ? kCodecWmfPlaceable : 0);
    EXPECT_EQ(CodecGetLastError(), kCodecOk);
    CodecCloseSink(sink);
    Bytes file = temp.Read();
    EXPECT_EQ(size, static_cast<std::int64_t>(file.size()));
    return file;
}

// --- Round trips -------------------------------------------------------------------------------

struct RoundTripCase {
    const char* name;
    Written form;
    int width;
    int height;
};

const RoundTripCase kRoundTrips[] = {
    {"emf_one_pixel", Written::kEnhanced, 1, 1},
    {"emf_odd_width", Written::kEnhanced, 7, 5},
    {"emf_wide", Written::kEnhanced, 1500, 3},
    {"wmf_odd_width", Written::kWindows, 7, 5},
    {"placeable_one_pixel", Written::kPlaceable, 1, 1},
    {"placeable_odd_width", Written::kPlaceable, 7, 5},
    {"placeable_wide", Written::kPlaceable, 3145, 2},
    {"placeable_too_wide_for_thousandths", Written::kPlaceable, 5000, 2},
};

class MetafileRoundTrip : public testing::TestWithParam<RoundTripCase> {};

TEST_P(MetafileRoundTrip, ReadsBackTheSamePixels)
{
    const RoundTripCase& c = GetParam();
    const Bytes rgb = TestPicture(c.width, c.height);
    const Rendered back = ReadBytes(WritePicture(c.form, rgb, c.width, c.height));
    ASSERT_EQ(back.error, kCodecOk);
    EXPECT_EQ(back.width, c.width);
    EXPECT_EQ(back.height, c.height);
    EXPECT_TRUE(back.rgb == rgb);
}

INSTANTIATE_TEST_SUITE_P(Metafile, MetafileRoundTrip, testing::ValuesIn(kRoundTrips),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MetafileWriter, PlaceableHeaderHoldsTheFrameInThousandthsOfAnInch)
{
    const Bytes file = WritePicture(Written::kPlaceable, TestPicture(96, 48), 96, 48);
    const auto word = [&](int index) { return file[2 * index] | file[2 * index + 1] << 8; };
    // key, handle, left, top, right, bottom, units per inch, reserved, checksum
    EXPECT_EQ(word(0) | word(1) << 16, 0x9AC6CDD7u);
    EXPECT_EQ((std::array{word(2), word(3), word(4), word(5), word(6), word(7)}),
              (std::array{0, 0, 0, 1000, 500, 1000}));
    int checksum = 0;
    for (int i = 0; i < 10; ++i) checksum ^= word(i);
    EXPECT_EQ(word(10), checksum);
}

// ImageMagick draws Windows metafiles (with libwmf) on a 96-dpi page: its pixels as RGB bytes.
Bytes PeerRendering(const std::filesystem::path& file)
{
    const std::string command = "convert -density 96 -background white " + file.string() + " -depth 8 rgb:-";
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    Bytes rgb;
    for (int byte; pipe != nullptr && (byte = std::fgetc(pipe.get())) != EOF;) rgb.push_back(static_cast<std::uint8_t>(byte));
    if (rgb.empty()) ADD_FAILURE() << "ImageMagick convert with WMF support is needed: " << command;
    return rgb;
}

// ImageMagick draws Windows metafiles with libwmf: it must see our picture, at the same size.
TEST(MetafileWriter, PeerReadsOurPlaceableFile)
{
    const int width = 12, height = 8;
    Bytes rgb(width * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {   // four flat quadrants, so resampling at edges stays small
            const Rgb colour = x < width / 2 ? (y < height / 2 ? kRed : kGreen) : (y < height / 2 ? kBlue : kWhite);
            for (int i = 0; i < 3; ++i) rgb[(y * width + x) * 3 + i] = static_cast<std::uint8_t>(colour[i]);
        }
    const TempFile wmf("ours.wmf");
    wmf.Write(WritePicture(Written::kPlaceable, rgb, width, height));
    const Bytes peer = PeerRendering(wmf.Path());
    ASSERT_EQ(peer.size(), rgb.size());
    // Tolerance: each component within 8 levels away from the quadrant edges, where the peer may blend.
    for (const auto& [x, y] : {std::pair{1, 1}, {10, 1}, {1, 6}, {10, 6}, {4, 2}, {8, 5}}) {
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(peer[(y * width + x) * 3 + i], rgb[(y * width + x) * 3 + i], 8) << x << "," << y;
    }
}

struct WriteFailureCase {
    const char* name;
    Written form;
    int width;
    int height;
    bool nullPixels;
    std::size_t sinkBytes;   // 0: a file
    int error;
};

const WriteFailureCase kWriteFailures[] = {
    {"emf_null_pixels", Written::kEnhanced, 4, 4, true, 0, kCodecErrInvalidArgument},
    {"emf_zero_width", Written::kEnhanced, 0, 4, false, 0, kCodecErrInvalidArgument},
    {"wmf_negative_height", Written::kWindows, 4, -4, false, 0, kCodecErrInvalidArgument},
    {"wmf_wider_than_16_bit", Written::kWindows, 40000, 1, false, 0, kCodecErrInvalidArgument},
    {"emf_sink_full", Written::kEnhanced, 16, 16, false, 200, kCodecErrWriteFailed},
    {"placeable_sink_full", Written::kPlaceable, 16, 16, false, 100, kCodecErrWriteFailed},
};

class MetafileWriteFailure : public testing::TestWithParam<WriteFailureCase> {};

TEST_P(MetafileWriteFailure, ReportsTheCode)
{
    const WriteFailureCase& c = GetParam();
    const Bytes rgb(40000 * 3, 0x55);
    const TempFile temp;
    Bytes block(c.sinkBytes);
    CodecIOHandle* sink = c.sinkBytes != 0 ? CodecOpenMemorySink(block.data(), block.size()) : CodecOpenFileSink(temp.CPath(), 0);
    const std::uint8_t* pixels = c.nullPixels ? nullptr : rgb.data();
    const std::int64_t size = c.form == Written::kEnhanced
                                  ? CodecWriteEmf(sink, pixels, c.width, c.height, 0)
                                  : CodecWriteWmf(sink, pixels, c.width, c.height, c.form == Written::kPlaceable);
    EXPECT_EQ(CodecGetLastError(), c.error);
    EXPECT_EQ(size, 0);
    CodecCloseSink(sink);
}

INSTANTIATE_TEST_SUITE_P(Metafile, MetafileWriteFailure, testing::ValuesIn(kWriteFailures),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Output size -------------------------------------------------------------------------------

struct SizeCase {
    const char* name;
    std::function<Bytes()> file;
    int sizeX;
    int sizeY;
    int flags;
    int width;
    int height;
};

const SizeCase kSizes[] = {
    // 1440 x 720 units at 1440 units per inch: one inch by half an inch on a 96-dpi screen.
    {"placeable_inch", [] { return WmfBuilder().Placeable(0, 0, 1440, 720, 1440); }, 100, 100, 0, 96, 48},
    {"placeable_box_not_at_origin", [] { return WmfBuilder().Placeable(-500, 200, 500, 700, 1000); }, 100, 100, 0, 96, 48},
    {"enhanced_frame", [] { return EmfBuilder().Build(0, 0, 2540, 1270); }, 100, 100, 0, 96, 48},
    {"given_size", [] { return EmfBuilder().Build(0, 0, 2540, 1270); }, 30, 20, kCodecMetafileGivenSize, 30, 20},
    {"scaled_size", [] { return WmfBuilder().Placeable(0, 0, 1440, 720, 1440); }, 50, 200, kCodecMetafileScaleSize, 48, 96},
    {"plain_without_window_fills_screen", [] { return WmfBuilder().Plain(); }, 100, 100, 0, 1024, 768},
    {"plain_window_in_pixels", [] { return WmfBuilder().Record(kMetaSetWindowExt, {100, 200}).Plain(); }, 100, 100, 0, 200, 100},
    {"plain_window_fits_screen", [] { return WmfBuilder().Record(kMetaSetWindowExt, {1024, 4096}).Plain(); }, 100, 100, 0, 1024, 256},
};

class MetafileSize : public testing::TestWithParam<SizeCase> {};

TEST_P(MetafileSize, FollowsHeaderAndFlags)
{
    const SizeCase& c = GetParam();
    const Rendered result = ReadBytes(c.file(), c.sizeX, c.sizeY, c.flags);
    ASSERT_EQ(result.error, kCodecOk);
    EXPECT_EQ(result.width, c.width);
    EXPECT_EQ(result.height, c.height);
    EXPECT_EQ(result.At(result.width / 2, result.height / 2), kBackgroundRgb);
}

INSTANTIATE_TEST_SUITE_P(Metafile, MetafileSize, testing::ValuesIn(kSizes),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Records -------------------------------------------------------------------------------------

// Drawings on a 100 x 100 output whose logical units are its pixels.
Bytes Wmf100(const WmfBuilder& records)
{
    return records.Placeable(0, 0, 100, 100, 96);
}
Bytes Emf100(const EmfBuilder& records)
{
    return records.Build(0, 0, 2646, 2646);
}

WmfBuilder& SolidBrushAndNoPen(WmfBuilder& wmf, std::uint32_t colorRef)
{
    return wmf.Record(kMetaCreateBrush, Words{0} + Dword(colorRef) + Words{0})
        .Record(kMetaCreatePen, Words{5, 0, 0} + Dword(0))
        .Record(kMetaSelectObject, {0})
        .Record(kMetaSelectObject, {1});
}

EmfBuilder& EmfSolidBrushAndNoPen(EmfBuilder& emf, std::uint32_t colorRef)
{
    return emf.Record(kEmrCreateBrush, {1, 0, static_cast<std::int32_t>(colorRef), 0})
        .Record(kEmrCreatePen, {2, 5, 0, 0, 0})
        .Record(kEmrSelectObject, {1})
        .Record(kEmrSelectObject, {2});
}

// A 2 x 2 bitmap: red, green on the top row; blue, white below.
const Bytes kQuad = Dib24(2, 2, [](int x, int y) { return y == 0 ? (x == 0 ? 0xFF0000u : 0x00FF00u) : (x == 0 ? 0x0000FFu : 0xFFFFFFu); });


struct Probe {
    int x;
    int y;
    Rgb colour;
};

struct DrawCase {
    const char* name;
    std::function<Bytes()> file;
    std::vector<Probe> probes;
    int markedAtLeast = 0;   // pixels drawn (not background), when probes cannot say it
};

const DrawCase kDrawings[] = {
    {"wmf_rectangle",
     [] { WmfBuilder w; return Wmf100(SolidBrushAndNoPen(w, kRedRef).Record(kMetaRectangle, {50, 50, 10, 10})); },
     {{30, 30, kRed}, {10, 10, kRed}, {49, 49, kRed}, {50, 50, kBackgroundRgb}, {5, 30, kBackgroundRgb}}},
    {"wmf_ellipse",
     [] { WmfBuilder w; return Wmf100(SolidBrushAndNoPen(w, kBlueRef).Record(kMetaEllipse, {90, 90, 10, 10})); },
     {{50, 50, kBlue}, {12, 12, kBackgroundRgb}, {50, 12, kBlue}}},
    {"wmf_polypolygon_alternate_leaves_hole",
     [] {
         WmfBuilder w;
         return Wmf100(SolidBrushAndNoPen(w, kGreenRef)
                           .Record(kMetaSetPolyFillMode, {1})
                           .Record(kMetaPolyPolygon, {2, 4, 4, 10, 10, 90, 10, 90, 90, 10, 90, 30, 30, 70, 30, 70, 70, 30, 70}));
     },
     {{20, 20, kGreen}, {50, 50, kBackgroundRgb}, {80, 50, kGreen}}},
    {"wmf_triangle",
     [] { WmfBuilder w; return Wmf100(SolidBrushAndNoPen(w, kRedRef).Record(kMetaPolygon, {3, 10, 90, 90, 90, 50, 10})); },
     {{50, 80, kRed}, {15, 20, kBackgroundRgb}}},
    {"wmf_wide_pen_line",
     [] {
         return Wmf100(WmfBuilder()
                           .Record(kMetaCreatePen, Words{0, 9, 0} + Dword(kGreenRef))
                           .Record(kMetaSelectObject, {0})
                           .Record(kMetaMoveTo, {50, 10})
                           .Record(kMetaLineTo, {50, 90}));
     },
     {{50, 50, kGreen}, {50, 53, kGreen}, {50, 60, kBackgroundRgb}}},
    {"wmf_window_maps_logical_units",
     [] {
         WmfBuilder w;
         return Wmf100(SolidBrushAndNoPen(w, kRedRef)
                           .Record(kMetaSetWindowOrg, {1000, 1000})
                           .Record(kMetaSetWindowExt, {200, 200})
                           .Record(kMetaRectangle, {1100, 1100, 1000, 1000}));
     },
     {{25, 25, kRed}, {75, 75, kBackgroundRgb}}},
    {"wmf_pie_quarter",
     [] {
         WmfBuilder w;   // from 3 o'clock counter-clockwise to 12 o'clock: the upper right quarter
         return Wmf100(SolidBrushAndNoPen(w, kBlueRef).Record(kMetaPie, {0, 50, 50, 100, 90, 90, 10, 10}));
     },
     {{70, 30, kBlue}, {30, 30, kBackgroundRgb}, {70, 70, kBackgroundRgb}}},
    {"wmf_created_objects_fill_free_slots",
     [] {
         return Wmf100(WmfBuilder()
                           .Record(kMetaCreateBrush, Words{0} + Dword(kRedRef) + Words{0})    // slot 0
                           .Record(kMetaCreateBrush, Words{0} + Dword(kGreenRef) + Words{0})  // slot 1
                           .Record(kMetaDeleteObject, {0})
                           .Record(kMetaCreateBrush, Words{0} + Dword(kBlueRef) + Words{0})   // slot 0 again
                           .Record(kMetaSelectObject, {0})
                           .Record(0x0999, {1, 2, 3})                                         // unknown: skipped
                           .Record(kMetaRectangle, {60, 60, 20, 20}));
     },
     {{40, 40, kBlue}}},
    {"wmf_stretched_bitmap_keeps_rows_in_order",
     [] { return Wmf100(WmfBuilder().Record(kMetaStretchDib, Dword(kSourceCopy) + Words{0, 2, 2, 0, 0, 100, 100, 0, 0}, kQuad)); },
     {{25, 25, kRed}, {75, 25, kGreen}, {25, 75, kBlue}, {75, 75, kWhite}}},
    {"wmf_dib_stretch_blt",
     [] { return Wmf100(WmfBuilder().Record(kMetaDibStretchBlt, Dword(kSourceCopy) + Words{2, 2, 0, 0, 50, 50, 50, 50}, kQuad)); },
     {{60, 60, kRed}, {90, 90, kWhite}, {25, 25, kBackgroundRgb}}},
    {"wmf_dib_bit_blt",
     [] { return Wmf100(WmfBuilder().Record(kMetaDibBitBlt, Dword(kSourceCopy) + Words{0, 0, 2, 2, 10, 20}, kQuad)); },
     {{20, 10, kRed}, {21, 10, kGreen}, {20, 11, kBlue}, {21, 11, kWhite}, {22, 12, kBackgroundRgb}}},
    {"wmf_pattern_blt_fills_with_brush",
     [] {
         WmfBuilder w;
         return Wmf100(SolidBrushAndNoPen(w, kGreenRef).Record(kMetaDibBitBlt, Dword(kPatternCopy) + Words{0, 0, 0, 40, 40, 0, 0}));
     },
     {{20, 20, kGreen}, {60, 60, kBackgroundRgb}}},
    {"wmf_set_dib_to_device",
     [] { return Wmf100(WmfBuilder().Record(kMetaSetDibToDev, {0, 2, 0, 0, 0, 2, 2, 30, 40}, kQuad)); },
     {{40, 30, kRed}, {41, 31, kWhite}}},
    {"wmf_text",
     [] {
         return Wmf100(WmfBuilder()
                           .Record(kMetaCreateFont, {-40, 0, 0, 0, 700, 0, 0, 0, 0}, codec_test::BytesOf("DejaVu Sans"))
                           .Record(kMetaSelectObject, {0})
                           .Record(kMetaExtTextOut, {20, 10, 2, 0}, codec_test::BytesOf("HH")));
     },
     {{5, 5, kBackgroundRgb}},
     200},
    {"emf_rectangle",
     [] { EmfBuilder e; return Emf100(EmfSolidBrushAndNoPen(e, kRedRef).Record(kEmrRectangle, {10, 10, 50, 50})); },
     {{30, 30, kRed}, {60, 60, kBackgroundRgb}}},
    {"emf_stock_brush",
     [] { return Emf100(EmfBuilder().Record(kEmrSelectObject, {static_cast<std::int32_t>(0x80000004)}).Record(kEmrRectangle, {10, 10, 50, 50})); },
     {{30, 30, kBlack}}},
    {"emf_polygon16",
     [] {
         EmfBuilder e;
         return Emf100(EmfSolidBrushAndNoPen(e, kBlueRef).Record(kEmrPolygon16, {0, 0, 0, 0, 3}, Points16({{10, 90}, {90, 90}, {50, 10}})));
     },
     {{50, 80, kBlue}, {15, 20, kBackgroundRgb}}},
    {"emf_stretch_dibits",
     [] {
         return Emf100(EmfBuilder().Record(kEmrStretchDiBits, {0, 0, 0, 0, 0, 0, 0, 0, 2, 2, 80, 40, 120, 16, 0,
                                                               static_cast<std::int32_t>(kSourceCopy), 100, 100}, kQuad));
     },
     {{25, 25, kRed}, {75, 25, kGreen}, {25, 75, kBlue}, {75, 75, kWhite}}},
    {"emf_alpha_blend_constant_opacity",
     [] {
         // Stretch layout; the blend function's third byte is the opacity: full, then none.
         const auto blend = [](int x, int opacity) {
             return std::vector<std::int32_t>{0, 0, 0, 0, x, x, 50, 50, opacity << 16, 0, 0, 0, 0, 0, 0, 0, 0,
                                              0, 0, 108, 40, 148, 16, 2, 2};
         };
         return Emf100(EmfBuilder().Record(kEmrAlphaBlend, blend(0, 255), kQuad).Record(kEmrAlphaBlend, blend(50, 0), kQuad));
     },
     {{10, 10, kRed}, {40, 40, kWhite}, {60, 60, kBackgroundRgb}, {90, 90, kBackgroundRgb}}},
    {"emf_pattern_bitblt",
     [] {
         EmfBuilder e;
         return Emf100(EmfSolidBrushAndNoPen(e, kGreenRef)
                           .Record(kEmrBitBlt, {0, 0, 0, 0, 0, 0, 40, 40, static_cast<std::int32_t>(kPatternCopy), 0, 0,
                                                0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
     },
     {{20, 20, kGreen}, {60, 60, kBackgroundRgb}}},
    {"emf_world_transform_scales",
     [] {
         EmfBuilder e;
         return Emf100(EmfSolidBrushAndNoPen(e, kRedRef)
                           .Record(kEmrSetWorldTransform, {FloatBits(2), 0, 0, FloatBits(2), FloatBits(10), 0})
                           .Record(kEmrRectangle, {0, 0, 20, 20}));
     },
     {{12, 2, kRed}, {48, 38, kRed}, {55, 20, kBackgroundRgb}, {5, 5, kBackgroundRgb}}},
    {"emf_anisotropic_mapping",
     [] {
         EmfBuilder e;
         return Emf100(EmfSolidBrushAndNoPen(e, kBlueRef)
                           .Record(kEmrSetMapMode, {8})
                           .Record(kEmrSetWindowExt, {1000, 1000})
                           .Record(kEmrSetViewportExt, {100, 100})
                           .Record(kEmrRectangle, {500, 500, 1000, 1000}));
     },
     {{75, 75, kBlue}, {25, 25, kBackgroundRgb}}},
    {"emf_path_fill",
     [] {
         EmfBuilder e;
         return Emf100(EmfSolidBrushAndNoPen(e, kGreenRef)
                           .Record(kEmrBeginPath, {})
                           .Record(kEmrPolygon16, {0, 0, 0, 0, 4}, Points16({{10, 10}, {60, 10}, {60, 60}, {10, 60}}))
                           .Record(kEmrEndPath, {})
                           .Record(kEmrFillPath, {0, 0, 0, 0}));
     },
     {{30, 30, kGreen}, {80, 80, kBackgroundRgb}}},
    {"emf_restore_brings_back_brush",
     [] {
         EmfBuilder e;
         return Emf100(EmfSolidBrushAndNoPen(e, kRedRef)
                           .Record(kEmrSaveDc, {})
                           .Record(kEmrSelectObject, {static_cast<std::int32_t>(0x80000004)})
                           .Record(kEmrRestoreDc, {-1})
                           .Record(kEmrRectangle, {10, 10, 50, 50}));
     },
     {{30, 30, kRed}}},
    {"emf_clip_rect",
     [] {
         EmfBuilder e;
         return Emf100(EmfSolidBrushAndNoPen(e, kRedRef).Record(kEmrIntersectClipRect, {0, 0, 30, 100}).Record(kEmrRectangle, {10, 10, 90, 90}));
     },
     {{20, 50, kRed}, {60, 50, kBackgroundRgb}}},
    {"emf_text",
     [] {
         Bytes face = Utf16(u"DejaVu Sans");
         face.resize(64, 0);
         return Emf100(EmfBuilder()
                           .Record(kEmrExtCreateFont, {3, -40, 0, 0, 0, 700, 0, 0}, face)
                           .Record(kEmrSelectObject, {3})
                           .Record(kEmrExtTextOutW, {0, 0, 0, 0, 1, FloatBits(1), FloatBits(1), 10, 20, 2, 76, 0, 0, 0, 0, 0, 0},
                                   Utf16(u"HH")));
     },
     {{5, 5, kBackgroundRgb}},
     200},
};

class MetafileDrawing : public testing::TestWithParam<DrawCase> {};

TEST_P(MetafileDrawing, PixelsLandWhereTheRecordsSay)
{
    const DrawCase& c = GetParam();
    const Rendered result = ReadBytes(c.file());
    ASSERT_EQ(result.error, kCodecOk);
    ASSERT_EQ(result.width, 100);
    ASSERT_EQ(result.height, 100);
    for (const Probe& probe : c.probes) EXPECT_EQ(result.At(probe.x, probe.y), probe.colour) << probe.x << "," << probe.y;
    EXPECT_GE(result.Marked(0, 0, 100, 100), c.markedAtLeast);
}

INSTANTIATE_TEST_SUITE_P(Metafile, MetafileDrawing, testing::ValuesIn(kDrawings),
                         [](const auto& info) { return std::string(info.param.name); });

// Text after SETBKMODE: transparent (1, in its one- and two-word forms) leaves what lies beneath the
// glyphs; opaque (2) puts the background colour behind them. A shape drawn before, in the opaque mode
// every file starts in, must not decide it.
TEST(MetafileText, BackgroundModeDecidesTheBoxBehindText)
{
    const struct {
        const char* name;
        Words mode;
        bool box;
    } cases[] = {{"transparent", {1}, false}, {"transparent_two_words", {1, 0}, false}, {"opaque", {2}, true}};
    for (const auto& c : cases) {
        WmfBuilder w;
        SolidBrushAndNoPen(w, kRedRef)
            .Record(kMetaRectangle, {100, 100, 0, 0})
            .Record(kMetaCreateFont, {-40, 0, 0, 0, 400, 0, 0, 0, 0}, codec_test::BytesOf("DejaVu Sans"))
            .Record(kMetaSelectObject, {2})
            .Record(kMetaSetBkColor, Dword(kGreenRef))
            .Record(kMetaSetBkMode, c.mode)
            .Record(kMetaTextOut, {2}, Bytes{'H', 'H', 30, 0, 10, 0});   // "HH", then y 30, x 10
        const Rendered result = ReadBytes(Wmf100(w));
        ASSERT_EQ(result.error, kCodecOk) << c.name;
        int green = 0, glyph = 0;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x) {
                green += result.At(x, y) == kGreen;
                glyph += result.At(x, y) != kGreen && result.At(x, y) != kRed;
            }
        EXPECT_EQ(green > 0, c.box) << c.name << ": " << green << " pixels of background colour";
        EXPECT_GT(glyph, 50) << c.name << ": the glyphs are drawn";
    }
}

// --- Malformed files ----------------------------------------------------------------------------

Bytes Patched(Bytes file, std::size_t offset, std::uint32_t value, int bytes = 4)
{
    for (int i = 0; i < bytes; ++i) file[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    return file;
}

Bytes RedRectangleWmf()
{
    WmfBuilder w;
    return Wmf100(SolidBrushAndNoPen(w, kRedRef).Record(kMetaRectangle, {90, 90, 10, 10}));
}

struct MalformedCase {
    const char* name;
    std::function<Bytes()> file;
    int error;
    int flags = 0;
};

const MalformedCase kMalformed[] = {
    {"empty", [] { return Bytes{}; }, kCodecErrMetafileRead},
    {"text", [] { return codec_test::BytesOf("not a metafile at all, only words"); }, kCodecErrMetafileRead},
    {"enhanced_header_past_end", [] { return Patched(EmfBuilder().Build(0, 0, 100, 100), 4, 4000); }, kCodecErrMetafileRead},
    {"enhanced_truncated_header", [] { Bytes f = EmfBuilder().Build(0, 0, 100, 100); f.resize(60); return f; }, kCodecErrMetafileRead},
    {"enhanced_empty_frame", [] { return EmfBuilder().Build(100, 0, 100, 100); }, kCodecErrMetafileRead},
    {"enhanced_frame_over_budget", [] { return EmfBuilder().Build(0, 0, 2'000'000'000, 2'000'000'000); }, kCodecErrOutOfMemory},
    {"windows_unknown_version", [] { return Patched(WmfBuilder().Plain(), 4, 0x0200, 2); }, kCodecErrWinMetafileBits},
    {"placeable_zero_units_per_inch", [] { return Patched(RedRectangleWmf(), 14, 0, 2); }, kCodecErrWinMetafileBits},
    {"placeable_empty_box", [] { return Patched(RedRectangleWmf(), 10, 0, 2); }, kCodecErrWinMetafileBits},
    {"placeable_without_windows_header", [] { Bytes f = RedRectangleWmf(); f.resize(30); return f; }, kCodecErrWinMetafileBits},
    {"given_size_zero", [] { return RedRectangleWmf(); }, kCodecErrInvalidArgument, kCodecMetafileGivenSize},
};

class MetafileMalformed : public testing::TestWithParam<MalformedCase> {};

TEST_P(MetafileMalformed, GivesCodeAndNoPixels)
{
    const MalformedCase& c = GetParam();
    const Rendered result = ReadBytes(c.file(), 0, 0, c.flags);
    EXPECT_EQ(result.error, c.error);
    EXPECT_TRUE(result.rgb.empty());
}

INSTANTIATE_TEST_SUITE_P(Metafile, MetafileMalformed, testing::ValuesIn(kMalformed),
                         [](const auto& info) { return std::string(info.param.name); });

// Records that cannot be trusted end playback or are skipped; what was drawn before stays.
struct DamagedRecordCase {
    const char* name;
    std::function<Bytes()> file;
    bool rectangleDrawn;
};

// The first record after the placeable and Windows headers: the brush creation, 7 words.
constexpr std::size_t kFirstRecord = 22 + 18;

const DamagedRecordCase kDamagedRecords[] = {
    {"record_size_zero_ends_playback", [] { return Patched(RedRectangleWmf(), kFirstRecord, 0); }, false},
    {"record_past_end_ends_playback", [] { return Patched(RedRectangleWmf(), kFirstRecord, 0x7FFFFFFF); }, false},
    {"selected_index_beyond_table_is_ignored", [] { return Patched(RedRectangleWmf(), kFirstRecord + 14 + 16 + 8 + 6, 500, 2); }, true},   // the pen selection
    {"bitmap_claiming_more_than_it_holds_is_skipped",
     [] {
         Bytes dib = Patched(kQuad, 4, 1000);   // 1000 pixels wide, with bits for 2
         WmfBuilder w;
         return Wmf100(SolidBrushAndNoPen(w, kRedRef)
                           .Record(kMetaStretchDib, Dword(kSourceCopy) + Words{0, 2, 2, 0, 0, 100, 100, 0, 0}, dib)
                           .Record(kMetaRectangle, {90, 90, 10, 10}));
     },
     true},
    {"enhanced_object_index_beyond_table",
     [] { return Emf100(EmfBuilder().Record(kEmrCreateBrush, {70000, 0, 0xFF, 0}).Record(kEmrSelectObject, {70000}).Record(kEmrRectangle, {10, 10, 90, 90})); },
     false},
};

class MetafileDamagedRecord : public testing::TestWithParam<DamagedRecordCase> {};

TEST_P(MetafileDamagedRecord, PlaysWhatCanBeTrusted)
{
    const DamagedRecordCase& c = GetParam();
    const Rendered result = ReadBytes(c.file());
    ASSERT_EQ(result.error, kCodecOk);
    EXPECT_EQ(result.At(50, 50) == kRed, c.rectangleDrawn);
    EXPECT_EQ(result.At(5, 5), kBackgroundRgb);
}

INSTANTIATE_TEST_SUITE_P(Metafile, MetafileDamagedRecord, testing::ValuesIn(kDamagedRecords),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MetafileReader, RefusesMissingFileFolderAndNullArguments)
{
    int width = 0, height = 0;
    EXPECT_EQ(CodecReadMetafile("/nonexistent/picture.emf", &width, &height, 100, 100, 0, 0), nullptr);
    EXPECT_EQ(CodecGetLastError(), kCodecErrOpenFailed);
    EXPECT_EQ(CodecReadMetafile(std::filesystem::temp_directory_path().c_str(), &width, &height, 100, 100, 0, 0), nullptr);
    EXPECT_EQ(CodecGetLastError(), kCodecErrOpenFailed);
    EXPECT_EQ(CodecReadMetafile(nullptr, &width, &height, 100, 100, 0, 0), nullptr);
    EXPECT_EQ(CodecGetLastError(), kCodecErrInvalidArgument);
    EXPECT_EQ(CodecReadMetafile("/nonexistent/picture.emf", nullptr, &height, 100, 100, 0, 0), nullptr);
    EXPECT_EQ(CodecGetLastError(), kCodecErrInvalidArgument);
}

// --- Files written by other programs --------------------------------------------------------------

const std::filesystem::path kDataFolder = std::filesystem::path(LUMATRINE_TEST_DATA) / "metafile";

Rendered ReadFixture(const char* name)
{
    return ReadPath((kDataFolder / name).c_str(), 100, 100, 0, 0xFFFFFF);
}

// Drawn by libuemf: a red rectangle, a blue circle, a thick green line and a text, 2 x 1 inches.
// ImageMagick's rendering is the reference. Tolerance: 48 levels a component, at points at least
// 6 pixels inside a shape or its background (the peer fits the drawing's own bounds, which moves
// edges by a few pixels).
TEST(MetafilePeerFiles, PlaceableWmfMatchesPeerRendering)
{
    const Rendered ours = ReadFixture("shapes-uwmf-placeable.wmf");
    ASSERT_EQ(ours.error, kCodecOk);
    ASSERT_EQ(ours.width, 192);
    ASSERT_EQ(ours.height, 96);
    const Bytes peer = PeerRendering(kDataFolder / "shapes-uwmf-placeable.wmf");
    ASSERT_EQ(peer.size(), ours.rgb.size());
    for (const auto& [x, y, colour] : std::vector<Probe>{{30, 35, kRed}, {97, 35, kBlue}, {165, 34, {0, 160, 0}},
                                                          {180, 85, kWhite}, {120, 85, kWhite}}) {
        EXPECT_EQ(ours.At(x, y), colour) << x << "," << y;
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(peer[(y * 192 + x) * 3 + i], ours.At(x, y)[i], 48) << x << "," << y;
    }
    int text = 0;   // dark pixels where the text stands
    for (int y = 70; y < 96; ++y)
        for (int x = 5; x < 60; ++x) text += ours.At(x, y)[0] < 100;
    EXPECT_GT(text, 100);
}

// Drawn by libEMF on its 1024 x 768 pixel, 320 x 240 mm reference device: a red rectangle, a blue
// ellipse, a thick green line and a black triangle. No peer renders enhanced metafiles here: the
// points below are where the shapes fall after mapping the frame (2 x 1 inches) onto 192 x 96 pixels.
TEST(MetafilePeerFiles, EnhancedFileShowsItsShapes)
{
    const Rendered ours = ReadFixture("shapes-libemf.emf");
    ASSERT_EQ(ours.error, kCodecOk);
    ASSERT_EQ(ours.width, 192);
    ASSERT_EQ(ours.height, 96);
    for (const auto& [x, y, colour] : std::vector<Probe>{{30, 40, kRed}, {95, 45, kBlue}, {155, 24, {0, 160, 0}},
                                                          {156, 78, kBlack}, {186, 5, kWhite}, {63, 93, kWhite}})
        EXPECT_EQ(ours.At(x, y), colour) << x << "," << y;
}

}  // namespace
