#include "image/RasterImage.h"

#include "platform/GlobalMemory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <numeric>

namespace {

// A 24-bit image whose every byte differs from its neighbours: value = (row * 7 + byte) mod 251.
void FillPattern(CRasterImage& image)
{
    std::uint8_t* p = image.Pixels();
    const int stride = image.GetStride();
    for (std::uint32_t y = 0; y < image.height; ++y)
        for (int i = 0; i < stride; ++i) p[y * stride + i] = static_cast<std::uint8_t>((y * 7 + i) % 251);
}

bool Bit(const std::uint8_t* row, int index)
{
    return (row[index >> 3] >> (7 - (index & 7))) & 1;
}

}  // namespace

TEST(RasterImage, StrideHasNoPadding)
{
    struct Case { std::uint32_t width; int bits; int stride; };
    for (const Case c : {Case{9, 1, 2}, Case{10, 24, 30}, Case{10, 8, 10}, Case{8, 1, 1}}) {
        CRasterImage image;
        ASSERT_EQ(image.Create(c.width, 3, c.bits), kImageOk);
        EXPECT_EQ(image.GetStride(), c.stride) << c.width << " x " << c.bits;
        EXPECT_EQ(CRasterImage::GetBufferSize(c.width, 3, c.bits), std::uint64_t(c.stride) * 3);
    }
}

TEST(RasterImage, CreateRefusesABufferBeyondTheBlockCap)
{
    CRasterImage image;
    EXPECT_EQ(image.Create(1'000'000, 1'000'000, 24), kImageErrOutOfMemory);
    EXPECT_FALSE(image.HasPixels());
}

TEST(RasterImage, TakeOverMovesACodecBufferExactlyOnce)
{
    auto* block = static_cast<std::uint8_t*>(platform::GlobalAlloc(4 * 2 * 3));
    block[5] = 42;
    CRasterImage fromCodec;
    fromCodec.AdoptCodecBuffer(block, 4, 2, 24);
    fromCodec.xResolution = 72;

    CRasterImage target;
    ASSERT_EQ(target.TakeOver(fromCodec), kImageOk);
    EXPECT_FALSE(fromCodec.HasPixels());
    EXPECT_TRUE(target.ownsCodecBuffer);
    EXPECT_EQ(target.Pixels(), block);
    EXPECT_EQ(target.Pixels()[5], 42);
    EXPECT_EQ(target.width, 4u);
    EXPECT_EQ(target.xResolution, 72u);
    // Both destructors run here; a double release would fail under the sanitizer build.
}

TEST(RasterImage, TakeOverFromEmptyEmptiesTheTarget)
{
    CRasterImage target, empty;
    ASSERT_EQ(target.Create(3, 3, 8), kImageOk);
    EXPECT_EQ(target.TakeOver(empty), kImageErrNoPixels);
    EXPECT_FALSE(target.HasPixels());
    EXPECT_EQ(target.width, 0u);
}

TEST(RasterImage, CopyFromACodecBufferMakesAnOwnDeepCopy)
{
    auto* block = static_cast<std::uint8_t*>(platform::GlobalAlloc(6));
    std::iota(block, block + 6, std::uint8_t{1});
    CRasterImage source;
    source.AdoptCodecBuffer(block, 6, 1, 8);
    source.paletteCount = 2;
    source.palette[1] = {1, 2, 3, 0};
    source.jpegQuality = 50;

    CRasterImage copy;
    ASSERT_EQ(copy.CopyFrom(source), kImageOk);
    EXPECT_FALSE(copy.ownsCodecBuffer);
    EXPECT_NE(copy.Pixels(), source.Pixels());
    EXPECT_EQ(std::memcmp(copy.Pixels(), block, 6), 0);
    EXPECT_EQ(copy.paletteCount, 2);
    EXPECT_EQ(copy.palette[1], (PaletteEntry{1, 2, 3, 0}));
    EXPECT_EQ(copy.jpegQuality, 75) << "save settings are not copied";
}

TEST(RasterImage, CropOf24BitsKeepsTheRectangleRows)
{
    CRasterImage image;
    ASSERT_EQ(image.Create(1024, 768, 24), kImageOk);
    FillPattern(image);
    CRasterImage original;
    ASSERT_EQ(original.CopyFrom(image), kImageOk);

    ASSERT_EQ(image.Crop({0, 96, 1024, 672}), kImageOk);
    EXPECT_EQ(image.width, 1024u);
    EXPECT_EQ(image.height, 576u);
    EXPECT_EQ(std::memcmp(image.Pixels(), original.Pixels() + 96 * 1024 * 3, 1024 * 3), 0);
}

TEST(RasterImage, CropWithCornersReversedCropsTheSameRectangle)
{
    for (const int bits : {8, 24}) {
        CRasterImage a, b;
        ASSERT_EQ(a.Create(20, 10, bits), kImageOk);
        FillPattern(a);
        ASSERT_EQ(b.CopyFrom(a), kImageOk);
        ASSERT_EQ(a.Crop({3, 2, 15, 9}), kImageOk);
        ASSERT_EQ(b.Crop({15, 9, 3, 2}), kImageOk);
        ASSERT_EQ(a.width, 12u);
        ASSERT_EQ(a.height, 7u);
        EXPECT_EQ(std::memcmp(a.Pixels(), b.Pixels(), CRasterImage::GetBufferSize(12, 7, bits)), 0) << bits;
    }
}

TEST(RasterImage, OneBitCropShiftsBitsFromANonByteBoundary)
{
    CRasterImage image;
    ASSERT_EQ(image.Create(20, 4, 1), kImageOk);
    FillPattern(image);
    CRasterImage original;
    ASSERT_EQ(original.CopyFrom(image), kImageOk);

    ASSERT_EQ(image.Crop({3, 1, 12, 4}), kImageOk);
    ASSERT_EQ(image.width, 9u);
    ASSERT_EQ(image.height, 3u);
    ASSERT_EQ(image.GetStride(), 2);
    for (int y = 0; y < 3; ++y) {
        const std::uint8_t* src = original.Pixels() + (y + 1) * 3;
        const std::uint8_t* dst = image.Pixels() + y * 2;
        for (int j = 0; j < 9; ++j) EXPECT_EQ(Bit(dst, j), Bit(src, 3 + j)) << "row " << y << " bit " << j;
        EXPECT_EQ(dst[1] & 0x7F, 0) << "padding bits are cleared";
    }
}

TEST(RasterImage, CropOutsideThePictureIsClippedNotRead)
{
    CRasterImage image;
    ASSERT_EQ(image.Crop({0, 0, 1, 1}), kImageErrNoPixels);
    ASSERT_EQ(image.Create(10, 10, 24), kImageOk);
    ASSERT_EQ(image.Crop({-5, 5, 30, 40}), kImageOk);
    EXPECT_EQ(image.width, 10u);
    EXPECT_EQ(image.height, 5u);
    EXPECT_EQ(image.Crop({20, 20, 30, 30}), kImageErrNoPixels);
}
