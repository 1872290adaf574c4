#include "codec/formats/PsdCoder.h"

#include "codec/ByteReader.h"
#include "codec/CodecEntry.h"
#include "codec/CodecProgress.h"
#include "codec/PictureMetadata.h"
#include "codec/PixelBuffer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

namespace {

using codec::ByteReader;
using codec::LoadBe16;
using codec::LoadBe32;

constexpr std::size_t kPaletteEntries = 256;
constexpr std::size_t kColourTableBytes = 3 * kPaletteEntries;   // 256 red, 256 green, 256 blue
constexpr std::uint32_t kMaxChannels = 56;
constexpr std::uint16_t kResolutionInfoId = 1005;
constexpr std::uint16_t kIccProfileId = 1039;
constexpr std::uint16_t kRawData = 0;
constexpr std::uint16_t kPackBits = 1;
constexpr std::uint32_t kHeaderBytes = 26;

// 256 entries of blue, green, red, reserved.
using Palette = std::array<std::uint8_t, 4 * kPaletteEntries>;

struct PsdHeader {
    std::uint32_t channels = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t depth = 0;          // bits per channel: 1, 8 or 16
    std::uint32_t mode = 0;
    Palette palette{};
    std::vector<std::uint8_t> resources;   // the image resources section, kept only when asked for
    std::uint16_t compression = kRawData;
};

void SetEntry(Palette& palette, std::size_t index, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
              std::uint8_t reserved = 0)
{
    palette[4 * index] = blue;
    palette[4 * index + 1] = green;
    palette[4 * index + 2] = red;
    palette[4 * index + 3] = reserved;
}

bool HasPalette(std::uint32_t mode)
{
    return mode == kPsdModeBitmap || mode == kPsdModeGrey || mode == kPsdModeIndexed || mode == kPsdModeDuotone;
}

// Bitmap files: entry 0 white, every other entry black. Grey, indexed and duotone: a grey ramp until the
// colour mode data replaces it.
Palette DefaultPalette(std::uint32_t mode)
{
    Palette palette{};
    if (mode == kPsdModeBitmap) SetEntry(palette, 0, 255, 255, 255);
    if (mode == kPsdModeGrey || mode == kPsdModeIndexed || mode == kPsdModeDuotone) {
        for (std::size_t i = 0; i < kPaletteEntries; ++i) {
            const auto level = static_cast<std::uint8_t>(i);
            SetEntry(palette, i, level, level, level);
        }
    }
    return palette;
}

// Grey and indexed files may carry a colour table: 256 red values, then 256 green, then 256 blue.
// Every other mode's colour mode data (duotone specifications among them) is skipped.
int ReadColourModeData(ByteReader& in, PsdHeader& header)
{
    std::uint32_t dataBytes = 0;
    if (!in.ReadBe32(dataBytes)) return kCodecErrReadFailed;
    header.palette = DefaultPalette(header.mode);
    if ((header.mode == kPsdModeGrey || header.mode == kPsdModeIndexed) && dataBytes != 0) {
        std::array<std::uint8_t, kColourTableBytes> table;
        if (dataBytes < table.size() || !in.ReadExact(table)) return kCodecErrReadFailed;
        for (std::size_t i = 0; i < kPaletteEntries; ++i)
            SetEntry(header.palette, i, table[i], table[kPaletteEntries + i], table[2 * kPaletteEntries + i]);
        dataBytes -= table.size();
    }
    return in.Skip(dataBytes) ? kCodecOk : kCodecErrReadFailed;
}

// Reads everything before the image data, validating each field that later sizes a buffer or a loop.
// The image resources are read whole when `keepResources` and the section fits the metadata budget,
// otherwise skipped: the picture does not depend on them.
int ReadPsdHeader(ByteReader& in, PsdHeader& header, bool keepResources)
{
    std::array<std::uint8_t, kHeaderBytes> raw;
    if (!in.ReadExact(std::span(raw).first(6)) || std::memcmp(raw.data(), "8BPS", 4) != 0 || LoadBe16(&raw[4]) != 1)
        return kCodecErrNotPsd;
    if (!in.ReadExact(std::span(raw).subspan(6))) return kCodecErrReadFailed;
    header.channels = LoadBe16(&raw[12]);
    header.height = LoadBe32(&raw[14]);
    header.width = LoadBe32(&raw[18]);
    header.depth = LoadBe16(&raw[22]);
    header.mode = LoadBe16(&raw[24]);
    if (header.depth != 1 && header.depth != 8 && header.depth != 16) return kCodecErrPsdMode;
    if (header.channels == 0 || header.channels > kMaxChannels) return kCodecErrNotPsd;
    if (header.width == 0 || header.height == 0) return kCodecErrNotPsd;

    if (const int error = ReadColourModeData(in, header); error != kCodecOk) return error;

    std::uint32_t resourceBytes = 0;
    if (!in.ReadBe32(resourceBytes) || resourceBytes > in.Remaining()) return kCodecErrReadFailed;
    if (keepResources && resourceBytes <= codec::kMaxMetadataBytes) {
        header.resources.resize(resourceBytes);
        if (!in.ReadExact(header.resources)) return kCodecErrReadFailed;
    } else if (!in.Skip(resourceBytes)) {
        return kCodecErrReadFailed;
    }

    std::uint32_t layerBytes = 0;
    if (!in.ReadBe32(layerBytes)) return kCodecErrReadFailed;
    codec::CodecTrace(codec::kTraceInfo, "read %d. layersLen %d\n", static_cast<int>(in.Position()),
                      static_cast<int>(layerBytes));
    if (!in.Skip(layerBytes)) return kCodecErrReadFailed;

    if (!in.ReadBe16(header.compression)) return kCodecErrReadFailed;
    return header.compression == kRawData || header.compression == kPackBits ? kCodecOk : kCodecErrReadFailed;
}

// The data of the first resource block with `id`. Blocks are found by searching forward for "8BIM"; a
// block that claims more data than the section holds ends the scan, keeping what was found before it.
std::optional<std::span<const std::uint8_t>> FindResource(std::span<const std::uint8_t> section, std::uint16_t id)
{
    static constexpr std::array<std::uint8_t, 4> kTag{'8', 'B', 'I', 'M'};
    auto from = section.begin();
    for (;;) {
        const auto tag = std::search(from, section.end(), kTag.begin(), kTag.end());
        if (tag == section.end()) return std::nullopt;
        std::size_t at = static_cast<std::size_t>(tag - section.begin()) + kTag.size();
        if (section.size() - at < 3) return std::nullopt;
        const std::uint16_t blockId = LoadBe16(&section[at]);
        // The name is a Pascal string padded to an even size: an empty name takes 2 bytes.
        const std::size_t nameBytes = (std::size_t{section[at + 2]} + 2) & ~std::size_t{1};
        at += 2;
        if (section.size() - at < nameBytes + 4) return std::nullopt;
        at += nameBytes;
        const std::uint32_t dataBytes = LoadBe32(&section[at]);
        at += 4;
        if (dataBytes > section.size() - at) {
            codec::CodecTrace(codec::kTraceError, "Found bad IPTC data resource (len exceeds block end). ID=%d\n",
                              static_cast<int>(blockId));
            return std::nullopt;
        }
        if (blockId == id) return section.subspan(at, dataBytes);
        from = section.begin() + static_cast<std::ptrdiff_t>(std::min(section.size(), at + dataBytes + (dataBytes & 1)));
    }
}

// ResolutionInfo: horizontal resolution (16.16 fixed point), its unit, the width unit, then the same for
// the vertical direction. Only the integer parts are reported.
CodecDpiInfo ResolutionOf(std::span<const std::uint8_t> resources)
{
    const auto info = FindResource(resources, kResolutionInfoId);
    if (!info || info->size() < 16) return {0, 0, 0};
    return {static_cast<std::int32_t>(LoadBe32(&(*info)[0]) >> 16), static_cast<std::int32_t>(LoadBe32(&(*info)[8]) >> 16),
            LoadBe16(&(*info)[4])};
}

// How decoded channel samples land in the output buffer.
enum class Placement {
    kIndices,          // 8-bit output: the sample is the palette index
    kThroughPalette,   // 24-bit output of a palette mode: the sample's palette colour
    kChannel,          // one byte of each pixel, at the channel's number; at 24 bits CMYK black instead
                       // scales the cyan, magenta and yellow already stored
};

struct ReadPlan {
    std::uint32_t channels = 0;       // channels decoded, from channel 0
    unsigned outputBits = 0;
    Placement placement = Placement::kChannel;
};

// Which channels a request decodes and how, or the error that refuses it.
int PlanRead(const PsdHeader& header, int bitsPerPixel, bool paletteGiven, int flags, ReadPlan& plan)
{
    const bool paletteMode = HasPalette(header.mode);
    if (bitsPerPixel == 8) {
        if (!paletteGiven) return kCodecErrInvalidArgument;
        if (!paletteMode) return kCodecErrPsdMode;
        plan = {1, 8, Placement::kIndices};
    } else if (bitsPerPixel == 24) {
        if (paletteMode) plan = {1, 24, Placement::kThroughPalette};
        else if (header.mode == kPsdModeRgb) plan = {3, 24, Placement::kChannel};
        else if (header.mode == kPsdModeCmyk) plan = {4, 24, Placement::kChannel};
        else return kCodecErrPsdMode;
    } else if (bitsPerPixel == 32) {
        if ((flags & kPsdReadCmyk) == 0) return kCodecErrInvalidArgument;
        if (header.mode != kPsdModeCmyk) return kCodecErrPsdMode;
        plan = {4, 32, Placement::kChannel};
    } else {
        return kCodecErrInvalidArgument;
    }
    // One-bit samples are the bitmap mode's and only its; PackBits rows are read at 8 bits a sample.
    if ((header.mode == kPsdModeBitmap) != (header.depth == 1)) return kCodecErrPsdMode;
    if (header.compression == kPackBits && header.depth != 8) return kCodecErrPsdMode;
    if (header.channels < plan.channels) return kCodecErrPsdMode;
    return kCodecOk;
}

// Decodes one PackBits row into `samples` (zero beforehand). Output stops when the row is full; a run
// that needs input beyond the row's byte count fails.
int UnpackBitsRow(std::span<const std::uint8_t> input, std::span<std::uint8_t> samples)
{
    std::size_t in = 0;
    std::size_t x = 0;
    while (x < samples.size() && in < input.size()) {
        const auto control = static_cast<std::int8_t>(input[in++]);
        if (control == -128) continue;
        if (control >= 0) {
            const std::size_t count = static_cast<std::size_t>(control) + 1;
            if (count > input.size() - in) {
                codec::CodecTrace(codec::kTraceError, "RLE Row Size Mismatch in PSD decode [1].\n");
                return kCodecErrReadFailed;
            }
            const std::size_t kept = std::min(count, samples.size() - x);   // the row ends the run
            std::copy_n(input.begin() + static_cast<std::ptrdiff_t>(in), kept, samples.begin() + static_cast<std::ptrdiff_t>(x));
            in += count;
            x += kept;
        } else {
            if (in == input.size()) {
                codec::CodecTrace(codec::kTraceError, "RLE Row Size Mismatch in PSD decode [2].\n");
                return kCodecErrReadFailed;
            }
            const std::size_t kept = std::min<std::size_t>(1 - control, samples.size() - x);
            std::fill_n(samples.begin() + static_cast<std::ptrdiff_t>(x), kept, input[in++]);
            x += kept;
        }
    }
    return kCodecOk;
}

// Turns one stored row of raw samples into 8-bit samples. 16-bit values are big-endian and scaled by
// 255 / 65535; one-bit rows are padded to a byte and give 0 or 1.
void ExpandRawRow(std::span<const std::uint8_t> stored, std::uint32_t depth, std::span<std::uint8_t> samples)
{
    for (std::size_t x = 0; x < samples.size(); ++x) {
        if (depth == 16) samples[x] = static_cast<std::uint8_t>(std::uint32_t{LoadBe16(&stored[2 * x])} * 255 / 65535);
        else if (depth == 1) samples[x] = (stored[x / 8] >> (7 - x % 8)) & 1;
        else samples[x] = stored[x];
    }
}

void PlaceRow(std::span<const std::uint8_t> samples, const ReadPlan& plan, std::uint32_t channel,
              const Palette& palette, std::uint8_t* row)
{
    const std::size_t pixelBytes = plan.outputBits / 8;
    const bool blackOfCmyk = plan.outputBits == 24 && channel == 3;
    for (std::size_t x = 0; x < samples.size(); ++x) {
        std::uint8_t* pixel = row + x * pixelBytes;
        if (plan.placement == Placement::kIndices) {
            pixel[0] = samples[x];
        } else if (plan.placement == Placement::kThroughPalette) {
            const std::uint8_t* entry = &palette[4 * std::size_t{samples[x]}];
            pixel[0] = entry[2];
            pixel[1] = entry[1];
            pixel[2] = entry[0];
        } else if (blackOfCmyk) {
            // CMYK is stored inverted (255 = no ink): each colour times K / 255 gives red, green, blue.
            for (std::size_t i = 0; i < 3; ++i)
                pixel[i] = static_cast<std::uint8_t>(unsigned{pixel[i]} * samples[x] / 255);
        } else {
            pixel[channel] = samples[x];
        }
    }
}

// Decodes the planned channels into `pixels`. Prepare checks every byte the file must hold against the
// input before the caller allocates; Decode runs only after it succeeded.
class PsdImageData {
public:
    PsdImageData(ByteReader& in, const PsdHeader& header, const ReadPlan& plan)
        : in_(in), header_(header), plan_(plan),
          storedRowBytes_(header.depth == 1 ? (std::uint64_t{header.width} + 7) / 8
                                            : std::uint64_t{header.width} * (header.depth / 8))
    {
    }

    // Reads the PackBits byte counts and checks that the input can hold the planned channels.
    int Prepare()
    {
        const std::uint64_t plannedRows = std::uint64_t{plan_.channels} * header_.height;
        if (header_.compression == kRawData)   // divided, not multiplied: a 4-gigapixel row must not wrap
            return storedRowBytes_ <= in_.Remaining() / plannedRows ? kCodecOk : kCodecErrReadFailed;

        const std::uint64_t tableRows = std::uint64_t{header_.channels} * header_.height;
        if (tableRows * 2 > in_.Remaining()) return kCodecErrReadFailed;
        rowCounts_.resize(plannedRows);
        std::uint64_t plannedBytes = 0;
        for (std::uint16_t& count : rowCounts_) {
            if (!in_.ReadBe16(count)) return kCodecErrReadFailed;
            plannedBytes += count;
        }
        if (!in_.Skip((tableRows - plannedRows) * 2)) return kCodecErrReadFailed;
        // PackBits needs at least 2 bytes for every 128 samples: a file that cannot hold its rows even at
        // that rate is cut short.
        const std::uint64_t leastRowBytes = (std::uint64_t{header_.width} + 127) / 128 * 2;
        if (plannedBytes > in_.Remaining() || plannedBytes < plannedRows * leastRowBytes) return kCodecErrReadFailed;
        return kCodecOk;
    }

    int Decode(std::uint8_t* pixels, const Palette& palette, const codec::CodecProgress& progress)
    {
        std::vector<std::uint8_t> stored(header_.compression == kRawData ? storedRowBytes_ : 0xFFFF);
        std::vector<std::uint8_t> samples(header_.width);
        const std::size_t outputRowBytes = std::size_t{header_.width} * (plan_.outputBits / 8);
        const int totalRows = static_cast<int>(plan_.channels * header_.height);
        std::size_t rowIndex = 0;
        for (std::uint32_t channel = 0; channel < plan_.channels; ++channel) {
            for (std::uint32_t y = 0; y < header_.height; ++y, ++rowIndex) {
                if (const int error = ReadSamples(rowIndex, stored, samples); error != kCodecOk) return error;
                PlaceRow(samples, plan_, channel, palette, pixels + y * outputRowBytes);
                if (!progress.Report(static_cast<int>(rowIndex + 1), totalRows)) return kCodecErrCancelled;
            }
        }
        return kCodecOk;
    }

private:
    int ReadSamples(std::size_t rowIndex, std::vector<std::uint8_t>& stored, std::span<std::uint8_t> samples)
    {
        if (header_.compression == kRawData) {
            if (!in_.ReadExact(stored)) return kCodecErrReadFailed;
            ExpandRawRow(stored, header_.depth, samples);
            return kCodecOk;
        }
        const std::span<std::uint8_t> input = std::span(stored).first(rowCounts_[rowIndex]);
        if (!in_.ReadExact(input)) return kCodecErrReadFailed;
        std::fill(samples.begin(), samples.end(), std::uint8_t{0});
        return UnpackBitsRow(input, samples);
    }

    ByteReader& in_;
    const PsdHeader& header_;
    const ReadPlan& plan_;
    const std::uint64_t storedRowBytes_;
    std::vector<std::uint16_t> rowCounts_;   // PackBits byte counts of the planned rows, channel by channel
};

// The channels and colour mode a flat file gets for each depth the writer takes.
struct FlatLayout {
    std::uint16_t channels;
    std::uint16_t mode;
};

std::optional<FlatLayout> FlatLayoutFor(int bitsPerPixel)
{
    switch (bitsPerPixel) {
    case 8: return FlatLayout{1, kPsdModeIndexed};
    case 24: return FlatLayout{3, kPsdModeRgb};
    case 32: return FlatLayout{4, kPsdModeCmyk};
    default: return std::nullopt;
    }
}

bool WriteBe16(codec::CCodecIO& io, std::uint16_t value)
{
    std::array<std::uint8_t, 2> bytes;
    codec::StoreBe16(bytes.data(), value);
    return io.Write(bytes.data(), bytes.size());
}

bool WriteBe32(codec::CCodecIO& io, std::uint32_t value)
{
    std::array<std::uint8_t, 4> bytes;
    codec::StoreBe32(bytes.data(), value);
    return io.Write(bytes.data(), bytes.size());
}

// The image resources of a written file: the ICC profile (resource 1039) when there is one. A resource
// is "8BIM", its id, an empty name (a Pascal string padded to 2 bytes), the data size and the data padded
// to an even size.
std::vector<std::uint8_t> ResourcesToWrite(const std::vector<std::uint8_t>& iccProfile)
{
    if (iccProfile.empty()) return {};
    std::vector<std::uint8_t> block{'8', 'B', 'I', 'M', 0, 0, 0, 0, 0, 0, 0, 0};
    codec::StoreBe16(&block[4], kIccProfileId);
    codec::StoreBe32(&block[8], static_cast<std::uint32_t>(iccProfile.size()));
    block.insert(block.end(), iccProfile.begin(), iccProfile.end());
    if (block.size() % 2 != 0) block.push_back(0);
    return block;
}

// Everything before the image data of a flat file: header, colour mode data (the colour table of an
// indexed file), image resources, empty layer section, raw compression.
bool WritePsdHeader(codec::CCodecIO& io, std::uint32_t width, std::uint32_t height, std::uint16_t channels,
                    std::uint16_t mode, const std::uint8_t* palette, const std::vector<std::uint8_t>& resources)
{
    std::array<std::uint8_t, kHeaderBytes> header{'8', 'B', 'P', 'S'};
    codec::StoreBe16(&header[4], 1);
    codec::StoreBe16(&header[12], channels);
    codec::StoreBe32(&header[14], height);
    codec::StoreBe32(&header[18], width);
    codec::StoreBe16(&header[22], 8);
    codec::StoreBe16(&header[24], mode);
    if (!io.Write(header.data(), header.size())) return false;
    if (palette == nullptr) {
        if (!WriteBe32(io, 0)) return false;
    } else {
        std::array<std::uint8_t, kColourTableBytes> table;
        for (std::size_t i = 0; i < kPaletteEntries; ++i) {
            table[i] = palette[4 * i + 2];
            table[kPaletteEntries + i] = palette[4 * i + 1];
            table[2 * kPaletteEntries + i] = palette[4 * i];
        }
        if (!WriteBe32(io, table.size()) || !io.Write(table.data(), table.size())) return false;
    }
    return WriteBe32(io, static_cast<std::uint32_t>(resources.size())) && io.Write(resources.data(), resources.size()) &&
           WriteBe32(io, 0) && WriteBe16(io, kRawData);
}

}  // namespace

int CodecGetPsdDimensions(CodecIOHandle* source, int* width, int* height, int* colourMode, CodecDpiInfo* dpi)
{
    return codec::RunCodecEntry(source, [&](codec::CodecCall& call, codec::CCodecIO& io) -> int {
        if (width == nullptr || height == nullptr || colourMode == nullptr) return call.Fail(kCodecErrInvalidArgument);
        ByteReader in(io);
        PsdHeader header;
        if (const int error = ReadPsdHeader(in, header, dpi != nullptr); error != kCodecOk) return call.Fail(error);
        *width = static_cast<int>(std::min<std::uint32_t>(header.width, INT32_MAX));
        *height = static_cast<int>(std::min<std::uint32_t>(header.height, INT32_MAX));
        *colourMode = static_cast<int>(header.mode);
        if (dpi != nullptr) *dpi = ResolutionOf(header.resources);
        return 1;
    });
}

int CodecGetPsdPalette(CodecIOHandle* source, int* count, std::uint8_t* palette)
{
    return codec::RunCodecEntry(source, [&](codec::CodecCall& call, codec::CCodecIO& io) -> int {
        if (count == nullptr || palette == nullptr) return call.Fail(kCodecErrInvalidArgument);
        ByteReader in(io);
        PsdHeader header;
        if (const int error = ReadPsdHeader(in, header, false); error != kCodecOk) return call.Fail(error);
        if (header.depth != 1 && header.depth != 8) return call.Fail(kCodecErrPsdMode);
        if (!HasPalette(header.mode)) return call.Fail(kCodecErrUnsupportedFileDepth);
        std::copy(header.palette.begin(), header.palette.end(), palette);
        *count = static_cast<int>(kPaletteEntries);
        return 1;
    });
}

std::uint8_t* CodecReadPsd(CodecIOHandle* source, int* width, int* height, int bitsPerPixel, std::uint8_t* palette,
                           int flags)
{
    return codec::RunCodecEntry(source, [&](codec::CodecCall& call, codec::CCodecIO& io) -> std::uint8_t* {
        call.state.metadataRead = {};
        if (width == nullptr || height == nullptr) return call.Fail(kCodecErrInvalidArgument);
        ByteReader in(io);
        PsdHeader header;
        if (const int error = ReadPsdHeader(in, header, true); error != kCodecOk) return call.Fail(error);
        ReadPlan plan;
        if (const int error = PlanRead(header, bitsPerPixel, palette != nullptr, flags, plan); error != kCodecOk)
            return call.Fail(error);
        PsdImageData data(in, header, plan);
        if (const int error = data.Prepare(); error != kCodecOk) return call.Fail(error);
        codec::PixelBuffer pixels = codec::AllocPixelBuffer(header.width, header.height, plan.outputBits);
        if (!pixels) return call.Fail(kCodecErrOutOfMemory);
        codec::CodecProgress progress(call.state);
        if (const int error = data.Decode(pixels.get(), header.palette, progress); error != kCodecOk)
            return call.Fail(error);
        if (bitsPerPixel == 8) {
            if (header.mode == kPsdModeBitmap) {
                SetEntry(header.palette, 0, 255, 255, 255, 255);
                SetEntry(header.palette, 1, 0, 0, 0);
            }
            std::copy(header.palette.begin(), header.palette.end(), palette);
        }
        if (const auto profile = FindResource(header.resources, kIccProfileId))
            call.state.metadataRead.iccProfile.assign(profile->begin(), profile->end());
        *width = static_cast<int>(header.width);
        *height = static_cast<int>(header.height);
        return pixels.release();
    });
}

std::int64_t CodecWritePsd(CodecIOHandle* sink, const std::uint8_t* pixels, int width, int height, int bitsPerPixel,
                           const std::uint8_t* palette, [[maybe_unused]] int reserved)
{
    return codec::RunCodecEntry(sink, [&](codec::CodecCall& call, codec::CCodecIO& io) -> std::int64_t {
        call.exceptionCode = kCodecErrWriteFailed;
        if (pixels == nullptr) return call.Fail(kCodecErrInvalidArgument);
        const std::optional<FlatLayout> layout = FlatLayoutFor(bitsPerPixel);
        if (!layout || (bitsPerPixel == 8 && palette == nullptr)) return call.Fail(kCodecErrInvalidArgument);
        if (!codec::RasterBytes(width, height, static_cast<unsigned>(bitsPerPixel))) return call.Fail(kCodecErrInvalidArgument);
        const std::vector<std::uint8_t>& iccProfile = call.state.metadataToWrite.iccProfile;
        if (iccProfile.size() > codec::kMaxMetadataBytes) return call.Fail(kCodecErrInvalidArgument);
        const std::uint16_t channels = layout->channels;
        const std::uint16_t mode = layout->mode;

        const auto columns = static_cast<std::uint32_t>(width);
        const auto rows = static_cast<std::uint32_t>(height);
        if (!WritePsdHeader(io, columns, rows, channels, mode, bitsPerPixel == 8 ? palette : nullptr,
                            ResourcesToWrite(iccProfile)))
            return call.Fail(kCodecErrWriteFailed);
        // Planar image data: every row of channel 0, then every row of channel 1, ...
        std::vector<std::uint8_t> row(columns);
        for (std::uint16_t channel = 0; channel < channels; ++channel) {
            for (std::uint32_t y = 0; y < rows; ++y) {
                const std::uint8_t* pixel = pixels + std::size_t{y} * columns * channels + channel;
                for (std::uint32_t x = 0; x < columns; ++x, pixel += channels) row[x] = *pixel;
                if (!io.Write(row.data(), row.size())) return call.Fail(kCodecErrWriteFailed);
            }
        }
        return static_cast<std::int64_t>(io.Size());
    });
}
