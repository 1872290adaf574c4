#include "codec/formats/PcdCoder.h"

#include "codec/ByteReader.h"
#include "codec/CodecEntry.h"
#include "codec/CodecProgress.h"
#include "codec/PixelBuffer.h"
#include "codec/formats/PcdToneCurve.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>
#include <vector>

namespace {

using codec::ByteReader;

constexpr std::size_t kPackHeaderBytes = 6144;
constexpr std::size_t kSignatureOffset = 2048;
constexpr std::size_t kOrientationOffset = 3586;
constexpr int kStoredResolutions = 3;
constexpr int kLargestResolution = 6;

struct StoredImage {
    std::uint64_t offset;
    std::uint32_t width;
    std::uint32_t height;
};

// Base/16, Base/4 and Base, at fixed sector offsets.
constexpr StoredImage kStoredImages[kStoredResolutions] = {{0x2000, 192, 128}, {0xB800, 384, 256}, {0x30000, 768, 512}};

struct PackHeader {
    bool pcdsSignature = false;   // selects the colour conversion
    int orientation = 0;          // quarter turns: 0 none, 1 counter-clockwise, 2 half, 3 clockwise
};

int ReadPackHeader(ByteReader& in, PackHeader& header)
{
    std::vector<std::uint8_t> bytes(kPackHeaderBytes);
    if (!in.ReadExact(bytes)) return kCodecErrPcdHeader;
    if (std::memcmp(bytes.data(), "PCD_OPA", 7) == 0) return kCodecErrPcdOverview;
    if (std::memcmp(&bytes[kSignatureOffset], "PCD", 3) != 0) return kCodecErrPcdHeader;
    header.pcdsSignature = bytes[kSignatureOffset + 3] == 'S';
    header.orientation = bytes[kOrientationOffset] & 3;
    return kCodecOk;
}

// One sample plane (luma or a chroma), rows packed.
struct Plane {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> samples;

    Plane(std::uint32_t columns, std::uint32_t rows)
        : width(columns), height(rows), samples(std::size_t{columns} * rows)
    {
    }
    std::uint8_t* Row(std::uint32_t y) { return samples.data() + std::size_t{y} * width; }
    const std::uint8_t* Row(std::uint32_t y) const { return samples.data() + std::size_t{y} * width; }
};

std::uint8_t Mean2(unsigned a, unsigned b) { return static_cast<std::uint8_t>((a + b + 1) / 2); }

// A row of twice the width: source samples at even positions, the mean of their neighbours between;
// the last two samples both copy the last source sample.
void DoubleRow(const std::uint8_t* source, std::uint32_t width, std::uint8_t* out)
{
    for (std::uint32_t i = 0; i + 1 < width; ++i) {
        out[2 * i] = source[i];
        out[2 * i + 1] = Mean2(source[i], source[i + 1]);
    }
    out[2 * width - 2] = out[2 * width - 1] = source[width - 1];
}

// The row inserted between two source rows: the mean of the samples above and below at even positions,
// of the four neighbouring source samples at odd positions.
void InsertedRow(const std::uint8_t* above, const std::uint8_t* below, std::uint32_t width, std::uint8_t* out)
{
    for (std::uint32_t i = 0; i + 1 < width; ++i) {
        out[2 * i] = Mean2(above[i], below[i]);
        out[2 * i + 1] = static_cast<std::uint8_t>((unsigned{above[i]} + above[i + 1] + below[i] + below[i + 1] + 2) / 4);
    }
    out[2 * width - 2] = out[2 * width - 1] = Mean2(above[width - 1], below[width - 1]);
}

// Doubles both sides; the last output row copies the row above it.
Plane Enlarge(const Plane& source)
{
    Plane out(source.width * 2, source.height * 2);
    for (std::uint32_t y = 0; y < source.height; ++y) {
        DoubleRow(source.Row(y), source.width, out.Row(2 * y));
        if (y + 1 < source.height) InsertedRow(source.Row(y), source.Row(y + 1), source.width, out.Row(2 * y + 1));
    }
    std::copy_n(out.Row(out.height - 2), out.width, out.Row(out.height - 1));
    return out;
}

struct YccPlanes {
    Plane luma;
    Plane chroma1;
    Plane chroma2;
};

// The stored image is grouped: two luma rows of the full width, then one row of each chroma plane at
// half the width.
int ReadStoredImage(ByteReader& in, const StoredImage& image, YccPlanes& planes, const codec::CodecProgress& progress)
{
    const std::uint64_t imageBytes = std::uint64_t{image.width} * image.height * 3 / 2;
    if (!in.Seek(image.offset) || in.Remaining() < imageBytes) return kCodecErrReadFailed;
    const std::uint32_t groups = image.height / 2;
    const std::uint32_t chromaWidth = image.width / 2;
    for (std::uint32_t group = 0; group < groups; ++group) {
        if (!in.ReadExact(std::span(planes.luma.Row(2 * group), std::size_t{image.width} * 2)) ||
            !in.ReadExact(std::span(planes.chroma1.Row(group), chromaWidth)) ||
            !in.ReadExact(std::span(planes.chroma2.Row(group), chromaWidth)))
            return kCodecErrReadFailed;
        if (!progress.Report(static_cast<int>(group + 1), static_cast<int>(groups))) return kCodecErrCancelled;
    }
    return kCodecOk;
}

// Y, C1 and C2 to red, green and blue: each output is a sum of per-component terms, clamped to 0..350 and
// mapped through the pack's tone curve.
struct YccConversion {
    double luma;
    double redFromC2;
    double greenFromC1;
    double greenFromC2;
    double blueFromC1;
};

constexpr YccConversion kPcdConversion{1.3584, 1.8215, -0.4302726, -0.9271435, 2.2179};
constexpr YccConversion kPcdsConversion{1.402, 1.88, -0.444066, -0.95692, 2.289};
constexpr int kChroma1Neutral = 156;
constexpr int kChroma2Neutral = 137;

class YccToRgb {
public:
    explicit YccToRgb(bool pcdsPack) : tone_(codec::PcdToneCurve(pcdsPack))
    {
        const YccConversion& factors = pcdsPack ? kPcdsConversion : kPcdConversion;
        for (int i = 0; i < 256; ++i) {
            const auto index = static_cast<std::size_t>(i);
            luma_[index] = factors.luma * i;
            redFromC2_[index] = factors.redFromC2 * (i - kChroma2Neutral);
            greenFromC1_[index] = factors.greenFromC1 * (i - kChroma1Neutral);
            greenFromC2_[index] = factors.greenFromC2 * (i - kChroma2Neutral);
            blueFromC1_[index] = factors.blueFromC1 * (i - kChroma1Neutral);
        }
    }

    void Convert(std::uint8_t y, std::uint8_t c1, std::uint8_t c2, std::uint8_t* rgb) const
    {
        rgb[0] = Tone(luma_[y] + redFromC2_[c2]);
        rgb[1] = Tone(luma_[y] + greenFromC1_[c1] + greenFromC2_[c2]);
        rgb[2] = Tone(luma_[y] + blueFromC1_[c1]);
    }

private:
    std::uint8_t Tone(double value) const
    {
        return tone_[static_cast<std::size_t>(std::clamp(value, 0.0, double{codec::kPcdToneInputs - 1}))];
    }

    const codec::PcdToneTable& tone_;
    std::array<double, 256> luma_{};
    std::array<double, 256> redFromC2_{};
    std::array<double, 256> greenFromC1_{};
    std::array<double, 256> greenFromC2_{};
    std::array<double, 256> blueFromC1_{};
};

// Where the source pixel (x, y) of a width x height picture lands after `orientation` quarter turns.
struct Turn {
    std::uint32_t width;
    std::uint32_t height;
    int orientation;

    std::uint32_t TurnedWidth() const { return orientation % 2 == 0 ? width : height; }
    std::uint32_t TurnedHeight() const { return orientation % 2 == 0 ? height : width; }
    std::size_t Index(std::uint32_t x, std::uint32_t y) const
    {
        switch (orientation) {
        case 1: return std::size_t{width - 1 - x} * height + y;                     // counter-clockwise
        case 2: return std::size_t{height - 1 - y} * width + (width - 1 - x);       // half turn
        case 3: return std::size_t{x} * height + (height - 1 - y);                  // clockwise
        default: return std::size_t{y} * width + x;
        }
    }
};

}  // namespace

std::uint8_t* CodecReadPcd(CodecIOHandle* source, int* width, int* height, int resolution, [[maybe_unused]] int flags)
{
    return codec::RunCodecEntry(source, [&](codec::CodecCall& call, codec::CCodecIO& io) -> std::uint8_t* {
        if (width == nullptr || height == nullptr) return call.Fail(kCodecErrInvalidArgument);
        ByteReader in(io);
        PackHeader header;
        if (const int error = ReadPackHeader(in, header); error != kCodecOk) return call.Fail(error);

        const int wanted = std::clamp(resolution, 1, kLargestResolution);
        const StoredImage& stored = kStoredImages[std::min(wanted, kStoredResolutions) - 1];
        const int doublings = std::max(wanted - kStoredResolutions, 0);
        const std::uint32_t outWidth = stored.width << doublings;
        const std::uint32_t outHeight = stored.height << doublings;
        YccPlanes planes{Plane(stored.width, stored.height), Plane(stored.width / 2, stored.height / 2),
                         Plane(stored.width / 2, stored.height / 2)};
        codec::CodecProgress progress(call.state);
        if (const int error = ReadStoredImage(in, stored, planes, progress); error != kCodecOk) return call.Fail(error);
        codec::PixelBuffer pixels = codec::AllocPixelBuffer(outWidth, outHeight, 24);
        if (!pixels) return call.Fail(kCodecErrOutOfMemory);
        codec::CodecTrace(codec::kTraceInfo, "Reading PCD sub-image #%d (%d x %d)\n", wanted, static_cast<int>(outWidth),
                          static_cast<int>(outHeight));
        // Higher resolutions: the stored Base image doubled, without the packs' detail residuals.
        for (int step = 0; step < doublings; ++step) {
            planes.luma = Enlarge(planes.luma);
            planes.chroma1 = Enlarge(planes.chroma1);
            planes.chroma2 = Enlarge(planes.chroma2);
        }
        planes.chroma1 = Enlarge(planes.chroma1);
        planes.chroma2 = Enlarge(planes.chroma2);

        const YccToRgb convert(header.pcdsSignature);
        const Turn turn{outWidth, outHeight, header.orientation};
        for (std::uint32_t y = 0; y < outHeight; ++y) {
            const std::uint8_t* luma = planes.luma.Row(y);
            const std::uint8_t* chroma1 = planes.chroma1.Row(y);
            const std::uint8_t* chroma2 = planes.chroma2.Row(y);
            for (std::uint32_t x = 0; x < outWidth; ++x)
                convert.Convert(luma[x], chroma1[x], chroma2[x], pixels.get() + 3 * turn.Index(x, y));
        }
        *width = static_cast<int>(turn.TurnedWidth());
        *height = static_cast<int>(turn.TurnedHeight());
        return pixels.release();
    });
}
