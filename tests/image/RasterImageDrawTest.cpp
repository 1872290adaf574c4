// Drawing pictures of every depth onto a painted surface, pixel by pixel.
#include "image/RasterImage.h"

#include "codec/CodecErrors.h"
#include "codec/pixels/DeviceDrawing.h"
#include "platform/PainterDeviceContext.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

const QRgb kSurfaceGrey = qRgb(90, 90, 90);

// A picture whose every pixel tells its place: 24 bits a colour from x and y, 8 bits an index from x
// and y into a palette of distinct colours, 1 bit a pattern of set and clear bits over two palette
// colours that are neither black nor white.
void FillPattern(CRasterImage& image)
{
    const int stride = image.GetStride();
    for (std::uint32_t y = 0; y < image.height; ++y) {
        std::uint8_t* row = image.Pixels() + y * stride;
        for (std::uint32_t x = 0; x < image.width; ++x) {
            if (image.bitsPerPixel == 24) {
                row[3 * x] = static_cast<std::uint8_t>(x * 37 + y * 11);
                row[3 * x + 1] = static_cast<std::uint8_t>(x * 5 + y * 71);
                row[3 * x + 2] = static_cast<std::uint8_t>((x * 13) ^ y);
            } else if (image.bitsPerPixel == 8) {
                row[x] = static_cast<std::uint8_t>(x * 7 + y * 3);
            } else {
                const auto mask = static_cast<std::uint8_t>(0x80u >> (x & 7));
                row[x >> 3] = (x * 3 + y) % 5 < 2 ? row[x >> 3] | mask : row[x >> 3] & ~mask;
            }
        }
    }
    for (int i = 0; i < 256; ++i)
        image.palette[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i), static_cast<std::uint8_t>(i * 3), 0};
    if (image.bitsPerPixel == 1) {
        image.palette[0] = {30, 20, 10, 0};
        image.palette[1] = {50, 100, 200, 0};
    }
    image.paletteCount = image.bitsPerPixel == 24 ? 0 : image.bitsPerPixel == 8 ? 256 : 2;
}

QRgb ExpectedColor(const CRasterImage& image, int x, int y)
{
    const std::uint8_t* row = image.Pixels() + y * image.GetStride();
    PaletteEntry entry;
    if (image.bitsPerPixel == 24) return qRgb(row[3 * x], row[3 * x + 1], row[3 * x + 2]);
    if (image.bitsPerPixel == 8) entry = image.palette[row[x]];
    else entry = image.palette[(row[x >> 3] >> (7 - (x & 7))) & 1];
    return qRgb(entry.red, entry.green, entry.blue);
}

// Draws `image` at (originX, originY) onto a grey 40 x 30 surface, clipped to `clip` when it is valid.
QImage DrawOnSurface(const CRasterImage& image, int originX, int originY, QRect clip = {}, int* status = nullptr)
{
    QImage surface(40, 30, QImage::Format_RGB32);
    surface.fill(kSurfaceGrey);
    QPainter painter(&surface);
    if (clip.isValid()) painter.setClipRect(clip);
    platform::CPainterDeviceContext dc(painter);
    const int result = image.Draw(dc, originX, originY);
    if (status != nullptr) *status = result;
    return surface;
}

// Every surface pixel is the picture's pixel where the picture lies inside `clip`, grey elsewhere.
void ExpectDrawnExactly(const QImage& surface, const CRasterImage& image, int originX, int originY, QRect clip)
{
    int mismatches = 0;
    for (int y = 0; y < surface.height(); ++y)
        for (int x = 0; x < surface.width(); ++x) {
            const int px = x - originX, py = y - originY;
            const bool inside = px >= 0 && py >= 0 && px < int(image.width) && py < int(image.height) && clip.contains(x, y);
            const QRgb expected = inside ? ExpectedColor(image, px, py) : kSurfaceGrey;
            if (surface.pixel(x, y) != expected && ++mismatches <= 3)
                ADD_FAILURE() << "surface pixel " << x << "," << y << " is " << std::hex << surface.pixel(x, y)
                              << ", expected " << expected;
        }
    EXPECT_EQ(mismatches, 0);
}

}  // namespace

TEST(RasterImageDraw, EveryDepthAndOddWidthLandsPixelExact)
{
    // Widths whose packed rows are not a multiple of four bytes, origins inside the surface and partly
    // off it (a 1-bit picture cut at a column that is not a byte boundary), and clips that cut it.
    struct Case { int bits; std::uint32_t width, height; int x, y; QRect clip; };
    const QRect whole(0, 0, 40, 30);
    const Case cases[] = {
        {24, 1, 1, 3, 2, whole},      {24, 13, 7, 3, 2, whole},   {24, 7, 5, -3, -2, whole},
        {24, 50, 40, -5, -4, whole},  {24, 13, 9, 2, 1, QRect(5, 3, 6, 4)},
        {8, 1, 1, 0, 0, whole},       {8, 11, 6, 5, 4, whole},    {8, 9, 9, -4, 25, whole},
        {8, 45, 35, -1, -1, QRect(10, 10, 7, 9)},
        {1, 1, 1, 39, 29, whole},     {1, 13, 5, 3, 2, whole},    {1, 17, 6, -5, 1, whole},
        {1, 70, 40, -11, -3, whole},  {1, 30, 20, 1, 1, QRect(9, 2, 11, 5)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, " << c.width << " x " << c.height << " at " << c.x
                                        << "," << c.y);
        CRasterImage image;
        ASSERT_EQ(image.Create(c.width, c.height, c.bits), kImageOk);
        FillPattern(image);
        int status = -1;
        const QImage surface = DrawOnSurface(image, c.x, c.y, c.clip == whole ? QRect() : c.clip, &status);
        EXPECT_EQ(status, kImageOk);
        ExpectDrawnExactly(surface, image, c.x, c.y, c.clip);
    }
}

TEST(RasterImageDraw, PictureOutsideTheSurfaceDrawsNothingAndSucceeds)
{
    CRasterImage image;
    ASSERT_EQ(image.Create(8, 8, 24), kImageOk);
    FillPattern(image);
    int status = -1;
    const QImage surface = DrawOnSurface(image, 100, -50, {}, &status);
    EXPECT_EQ(status, kImageOk);
    ExpectDrawnExactly(surface, image, 100, -50, QRect());
}

TEST(RasterImageDraw, RefusalsLeaveTheirCodes)
{
    CRasterImage empty;
    QImage surface(4, 4, QImage::Format_RGB32);
    {
        QPainter painter(&surface);
        platform::CPainterDeviceContext dc(painter);
        EXPECT_EQ(empty.Draw(dc, 0, 0), kImageErrNoPixels);

        const std::uint8_t pixels[6] = {};
        EXPECT_EQ(CodecDrawRgb(nullptr, pixels, 2, 1, 0, 0, 2, 1), 0);
        EXPECT_EQ(CodecGetLastError(), kCodecErrInvalidArgument);
        EXPECT_EQ(CodecDrawOneBit(&dc, pixels, 2, 1, nullptr, 0, 0, 2, 1), 0);
        EXPECT_EQ(CodecGetLastError(), kCodecErrInvalidArgument);
        EXPECT_EQ(CodecDrawRgb(&dc, pixels, 2, 1, 0, 0, 3, 1), 0) << "a drawn size beyond the picture";
        EXPECT_EQ(CodecGetLastError(), kCodecErrInvalidArgument);
        EXPECT_EQ(CodecDrawRgb(&dc, pixels, 2, 1, 0, 0, 2, 1), 1);
        EXPECT_EQ(CodecGetLastError(), kCodecOk);
    }
    // A painter that has ended paints nothing: the blit is reported as failed, not as done.
    QPainter ended;
    platform::CPainterDeviceContext dc(ended);
    CRasterImage image;
    ASSERT_EQ(image.Create(2, 2, 24), kImageOk);
    EXPECT_EQ(image.Draw(dc, 0, 0), kCodecErrBlit);
}
