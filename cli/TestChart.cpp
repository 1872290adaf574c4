#include "cli/TestChart.h"

#include "image/RasterImage.h"

#include <cmath>
#include <cstdint>

int MakeTestChart(CRasterImage& image, int width, int height)
{
    if (const int status = image.Create(width, height, 24); status != kImageOk) return status;
    // Eight vertical colour bars, white to black through the primaries and secondaries.
    static constexpr std::uint8_t kBars[8][3] = {{235, 235, 235}, {235, 235, 16}, {16, 235, 235}, {16, 235, 16},
                                                 {235, 16, 235},  {235, 16, 16},  {16, 16, 235},  {16, 16, 16}};
    const double radius = height * 0.4;
    const int grid = height / 12 > 0 ? height / 12 : 1;
    std::uint8_t* p = image.Pixels();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x, p += 3) {
            const std::uint8_t* bar = kBars[x * 8 / width];
            const double distance = std::hypot(x - width / 2.0, y - height / 2.0);
            const bool line = x % grid == 0 || y % grid == 0 || std::fabs(distance - radius) < 2.0;
            for (int ch = 0; ch < 3; ++ch) p[ch] = line ? 128 : bar[ch];
        }
    }
    return kImageOk;
}
