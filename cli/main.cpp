// lumatrine-cli: the command-line front end of the converter.
#include "cli/TestChart.h"
#include "conversion/SmartStretch.h"
#include "image/RasterImage.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Writes a 24-bit image as a binary PPM (P6); false when the file cannot be written.
bool WritePpm(const CRasterImage& image, const std::string& path)
{
    const std::string temporary = path + ".part";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) return false;
    const std::size_t bytes = static_cast<std::size_t>(image.width) * image.height * 3;
    const bool written = std::fprintf(file, "P6\n%u %u\n255\n", image.width, image.height) > 0 &&
                         std::fwrite(image.Pixels(), 1, bytes, file) == bytes;
    if (std::fclose(file) != 0 || !written) {
        std::remove(temporary.c_str());
        return false;
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

// demo OUTPUT.ppm: converts a generated 1024 x 768 chart to 16:9 with the default settings.
int RunDemo(const std::string& outputPath)
{
    CRasterImage image;
    if (MakeTestChart(image, 1024, 768) != kImageOk) {
        std::fprintf(stderr, "lumatrine-cli: not enough memory for the test chart\n");
        return 1;
    }
    ConversionSettings settings;
    settings.ComputeCropRect(static_cast<int>(image.width), static_cast<int>(image.height));
    const OutputGeometry output = settings.ComputeOutputSize();
    if (SmartStretch(output.width, output.height, image, output.mode, settings) != StretchResult::Stretched) {
        std::fprintf(stderr, "lumatrine-cli: the conversion failed\n");
        return 1;
    }
    if (!WritePpm(image, outputPath)) {
        std::fprintf(stderr, "lumatrine-cli: %s: cannot write the file\n", outputPath.c_str());
        return 1;
    }
    std::printf("Converted a 1024 x 768 test chart to %u x %u: %s\n", image.width, image.height, outputPath.c_str());
    return 0;
}

void PrintUsage()
{
    std::fprintf(stderr, "usage: lumatrine-cli demo OUTPUT.ppm\n");
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "demo") == 0) return RunDemo(argv[2]);
    PrintUsage();
    return 2;
}
