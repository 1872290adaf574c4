#include "image/FileType.h"
#include "image/RasterImage.h"

#include "../support/PeerTool.h"
#include "../support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace {

// A small picture with colour everywhere, written by ImageMagick with `options` into `name`. A name may
// start with ImageMagick's "FORMAT:" prefix to choose a variant ("BMP3:a.bmp" writes a.bmp).
std::string MakeWithPeer(const TempFolder& folder, const std::string& name, const std::string& options,
                         const std::string& size = "48x32")
{
    const std::size_t colon = name.find(':');
    const std::string prefix = colon == std::string::npos ? "" : name.substr(0, colon + 1);
    const std::string path = folder.File(name.substr(colon == std::string::npos ? 0 : colon + 1));
    RunPeer("convert -size " + size + " gradient:red-blue -swirl 90 " + options + " '" + prefix + path + "'");
    return path;
}

}  // namespace

struct LoadCase {
    const char* name;
    const char* file;     // the extension tells ImageMagick the format; "FORMAT:" prefixes force a variant
    const char* options;
    int type;
    int bits;             // as loaded: 1-bit files stay 1 bit, everything else becomes 24
};

class LoadTable : public testing::TestWithParam<LoadCase> {};

TEST_P(LoadTable, DetectsTheTypeAndLoadsAtItsDepth)
{
    const LoadCase& c = GetParam();
    TempFolder folder;
    const std::string path = MakeWithPeer(folder, c.file, c.options);
    EXPECT_EQ(CRasterImage::DetectFileType(path.c_str()), c.type);
    CRasterImage image;
    ASSERT_EQ(image.Load(path.c_str()), kImageOk);
    EXPECT_EQ(image.bitsPerPixel, c.bits);
    EXPECT_EQ(image.width, 48u);
    EXPECT_EQ(image.height, 32u);
    EXPECT_EQ(image.fileWidth, 48u);
}

const LoadCase kLoadCases[] = {
    {"jpeg_colour", "a.jpg", "", kFileJpeg, 24},
    {"jpeg_grey", "a.jpg", "-colorspace Gray", kFileJpegGrey, 24},
    {"bmp_24", "BMP3:a.bmp", "-type TrueColor", kFileBmp, 24},
    {"bmp_palette", "BMP3:a.bmp", "-type Palette", kFileBmpPalette, 24},
    {"bmp_1bit", "BMP3:a.bmp", "-monochrome", kFileBmpMono, 1},
    {"png_24", "PNG24:a.png", "", kFilePng, 24},
    {"png_palette", "PNG8:a.png", "", kFilePngPalette, 24},
    {"png_1bit", "a.png", "-monochrome -define png:bit-depth=1 -define png:color-type=3", kFilePngMono, 1},
    {"tiff_24", "a.tif", "-type TrueColor", kFileTiff, 24},
    {"tiff_palette", "a.tif", "-type Palette", kFileTiffPalette, 24},
    {"tiff_1bit", "a.tif", "-monochrome -depth 1", kFileTiffMono, 1},
    {"tga_24", "a.tga", "-type TrueColor", kFileTga, 24},
    {"tga_palette", "a.tga", "-type Palette", kFileTgaPalette, 24},
    {"pcx_24", "a.pcx", "-type TrueColor", kFilePcx, 24},
    {"pcx_palette", "a.pcx", "-type Palette", kFilePcxPalette, 24},
    {"psd_rgb", "a.psd", "-type TrueColor", kFilePsd, 24},
    {"wbmp", "a.wbmp", "-monochrome", kFileWbmp, 24},
    {"webp_lossy", "a.webp", "-quality 80", kFileWebp, 24},
    {"webp_lossless", "a.webp", "-define webp:lossless=true", kFileWebp, 24},
    {"heic", "a.heic", "", kFileHeic, 24},
    {"avif", "a.avif", "", kFileAvif, 24},
};
INSTANTIATE_TEST_SUITE_P(Image, LoadTable, testing::ValuesIn(kLoadCases),
                         [](const auto& info) { return std::string(info.param.name); });

// TGA files as other programs write them load with the pixels netpbm's decoder sees: grey files (image
// types 3 and 11, no colour map) through their grey ramp, and files whose 10-byte image ID makes them
// start with PCX's first byte.
TEST(ImageFiles, TgaFilesFromOtherProgramsLoadAsThePeerDecodesThem)
{
    TempFolder folder;
    const struct { const char* file; const char* options; int type; } cases[] = {
        {"grey.tga", "-colorspace Gray", kFileTgaPalette},
        {"grey_rle.tga", "-colorspace Gray -compress RLE", kFileTgaPalette},
        {"ten_byte_id.tga", "-set comment 0123456789 -type TrueColor", kFileTga},
        {"ten_byte_id_palette.tga", "-set comment 0123456789 -type Palette", kFileTgaPalette},
    };
    for (const auto& c : cases) {
        const std::string path = MakeWithPeer(folder, c.file, c.options);
        EXPECT_EQ(CRasterImage::DetectFileType(path.c_str()), c.type) << c.file;
        CRasterImage image;
        ASSERT_EQ(image.Load(path.c_str()), kImageOk) << c.file;
        ASSERT_EQ(image.bitsPerPixel, 24) << c.file;
        ASSERT_EQ(image.GetStride(), 48 * 3) << "rows are contiguous at this width";
        const std::string want = RunPeer("tgatoppm '" + path + "' | convert ppm:- -depth 8 rgb:-");
        ASSERT_EQ(want.size(), 48u * 32 * 3) << c.file;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(image.Pixels()), want.size()), want) << c.file;
    }
}

TEST(ImageFiles, ExtensionsChooseTheWriterCaseInsensitively)
{
    const struct { const char* path; int type; } cases[] = {
        {"x.JPG", kFileJpeg}, {"x.jpeg", kFileJpeg}, {"dir.v2/x.TIFF", kFileTiff}, {"x.wbm", kFileWbmp},
        {"x.gif", kFileUnknown}, {"noext", kFileUnknown}, {"dir.d/noext", kFileUnknown}, {"x.tga", kFileTga},
        {"x.WebP", kFileWebp}, {"x.heic", kFileHeic}, {"x.HEIF", kFileHeic}, {"x.avif", kFileAvif},
    };
    for (const auto& c : cases) EXPECT_EQ(CRasterImage::TypeFromExtension(c.path), c.type) << c.path;
    TempFolder folder;
    CRasterImage image;
    ASSERT_EQ(image.Create(8, 8, 24), kImageOk);
    // Formats without a writer, read-only ones included.
    for (const char* name : {"x.gif", "x.heic", "x.avif"}) {
        EXPECT_EQ(image.Save(folder.File(name).c_str()), kImageErrNoPixels) << name;
        EXPECT_FALSE(std::filesystem::exists(folder.File(name))) << "no empty file is left";
    }
    EXPECT_EQ(std::filesystem::is_empty(folder.Path()), true);
}

TEST(ImageFiles, DecodeHintsPickAReducedJpegScale)
{
    TempFolder folder;
    const std::string path = MakeWithPeer(folder, "big.jpg", "", "4000x3000");
    const struct { int hintWidth, hintHeight; std::uint32_t width, height; } cases[] = {
        {400, 300, 500, 375}, {600, 300, 1000, 750}, {0, 0, 4000, 3000},
    };
    for (const auto& c : cases) {
        CRasterImage image;
        image.SetDecodeHint(c.hintWidth, c.hintHeight);
        ASSERT_EQ(image.Load(path.c_str()), kImageOk);
        EXPECT_EQ(image.width, c.width) << c.hintWidth;
        EXPECT_EQ(image.height, c.height) << c.hintWidth;
        EXPECT_EQ(image.fileWidth, 4000u);
        EXPECT_EQ(image.fileHeight, 3000u);
    }
}

TEST(ImageFiles, FaxResolutionTiffsAreReshapedToSquarePixels)
{
    TempFolder folder;
    const struct { const char* density; std::uint32_t height; } cases[] = {{"204x98", 2289}, {"204x196", 1100}};
    for (const auto& c : cases) {
        const std::string path = MakeWithPeer(folder, std::string("fax") + c.density + ".tif",
                                              "-type TrueColor -units PixelsPerInch -density " + std::string(c.density), "1728x1100");
        CRasterImage image;
        ASSERT_EQ(image.Load(path.c_str()), kImageOk);
        EXPECT_EQ(image.width, 1728u);
        EXPECT_EQ(image.height, c.height) << c.density;
        EXPECT_EQ(image.fileHeight, 1100u);
    }
}

TEST(ImageFiles, MonoThresholdSplitsAtTheDistanceFromBlack)
{
    CRasterImage image, mono;
    ASSERT_EQ(image.Create(2, 1, 24), kImageOk);
    const std::uint8_t pixels[] = {128, 128, 128, 129, 128, 128};
    std::memcpy(image.Pixels(), pixels, sizeof pixels);
    ASSERT_EQ(image.ConvertToMono8(mono, 128), kImageOk);
    EXPECT_EQ(mono.Pixels()[0], 0) << "(128, 128, 128) is dark";
    EXPECT_EQ(mono.Pixels()[1], 1) << "(129, 128, 128) is light";
    EXPECT_EQ(mono.paletteCount, 2);
}

TEST(ImageFiles, ResampleCopiesAtTheSameSizeAndResizesOtherwise)
{
    CRasterImage source, copy, thumbnail, enlarged;
    ASSERT_EQ(source.Create(400, 300, 24), kImageOk);
    std::memset(source.Pixels(), 77, 400 * 300 * 3);
    ASSERT_EQ(copy.Resample(source, 400, 300, 2), kImageOk);
    EXPECT_FALSE(copy.ownsCodecBuffer);
    EXPECT_EQ(std::memcmp(copy.Pixels(), source.Pixels(), 400 * 300 * 3), 0);
    ASSERT_EQ(thumbnail.Resample(source, 145, 109, 2), kImageOk);
    EXPECT_EQ(thumbnail.Pixels()[145 * 50 * 3 + 30], 77) << "averaging a flat picture keeps its value";
    ASSERT_EQ(enlarged.Resample(thumbnail, 290, 218, 2), kImageOk);
    EXPECT_NEAR(enlarged.Pixels()[290 * 100 * 3 + 60], 77, 1) << "bilinear weights are fixed-point";
    CRasterImage empty;
    EXPECT_EQ(copy.Resample(empty, 10, 10, 0), kImageErrNoPixels);
}

TEST(ImageFiles, AFailedSaveLeavesTheExistingFileByteIdentical)
{
    TempFolder folder;
    const std::string target = folder.Write("keep.tga", "the old picture");
    CRasterImage tooWide;  // wider than a TGA header can record
    ASSERT_EQ(tooWide.Create(70000, 1, 24), kImageOk);
    std::memset(tooWide.Pixels(), 1, 70000 * 3);
    EXPECT_NE(tooWide.Save(target.c_str()), kImageOk);
    EXPECT_EQ(ReadFileBytes(target), "the old picture");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1) << "no temporary is left";
}

TEST(ImageFiles, SavedFilesRecordThreeHundredDotsWithoutAUnit)
{
    TempFolder folder;
    CRasterImage image;
    ASSERT_EQ(image.Create(16, 16, 24), kImageOk);
    std::memset(image.Pixels(), 200, 16 * 16 * 3);
    ASSERT_EQ(image.Save(folder.File("d.jpg").c_str()), kImageOk);
    ASSERT_EQ(image.Save(folder.File("d.tif").c_str()), kImageOk);
    EXPECT_EQ(RunPeer("identify -format '%x %y %U' '" + folder.File("d.jpg") + "'"), "300 300 Undefined");
    EXPECT_EQ(RunPeer("identify -format '%x %y %U' '" + folder.File("d.tif") + "'"), "300 300 Undefined");
    // Only the markers the JPEG writer makes itself: the JFIF header, no comment or other application data.
    EXPECT_EQ(RunPeer("identify -format '%c' '" + folder.File("d.jpg") + "'"), "");
}

TEST(ImageFiles, WebpIsWrittenAtTheJpegQualityOrLosslessAndFoundByItsContent)
{
    TempFolder folder;
    CRasterImage image;
    ASSERT_EQ(image.Create(24, 16, 24), kImageOk);
    for (std::uint32_t i = 0; i < 24 * 16 * 3; ++i) image.Pixels()[i] = static_cast<std::uint8_t>(i * 7 + i / 5);

    image.webpLossless = true;
    ASSERT_EQ(image.Save(folder.File("exact.webp").c_str()), kImageOk);
    EXPECT_NE(RunPeer("webpinfo '" + folder.File("exact.webp") + "'").find("Format: Lossless"), std::string::npos);
    // Named as a JPEG, the file is still read as what it holds.
    std::filesystem::rename(folder.File("exact.webp"), folder.File("exact.jpg"));
    EXPECT_EQ(CRasterImage::DetectFileType(folder.File("exact.jpg").c_str()), kFileWebp);
    CRasterImage reloaded;
    ASSERT_EQ(reloaded.Load(folder.File("exact.jpg").c_str()), kImageOk);
    ASSERT_EQ(reloaded.width, 24u);
    EXPECT_EQ(std::memcmp(reloaded.Pixels(), image.Pixels(), 24 * 16 * 3), 0);

    image.webpLossless = false;
    image.jpegQuality = 40;
    ASSERT_EQ(image.Save(folder.File("low.webp").c_str()), kImageOk);
    image.jpegQuality = 100;
    ASSERT_EQ(image.Save(folder.File("high.webp").c_str()), kImageOk);
    EXPECT_NE(RunPeer("webpinfo '" + folder.File("low.webp") + "'").find("Format: Lossy"), std::string::npos);
    EXPECT_LT(std::filesystem::file_size(folder.File("low.webp")), std::filesystem::file_size(folder.File("high.webp")));
}
