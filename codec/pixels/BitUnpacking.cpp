#include "codec/pixels/BitUnpacking.h"

#include "codec/CodecEntry.h"
#include "codec/CodecProgress.h"

namespace {

// Reads values of a fixed bit size from a bit stream, most significant bit first. A value may straddle
// two bytes: the remaining low bits of the current byte are its high part, the top of the next byte
// supplies the rest. A byte is fetched only when a value needs it, so the reader never looks past the
// last byte that holds a wanted bit.
class BitStream {
public:
    BitStream(const std::uint8_t* bytes, int bitsPerValue) : next_(bytes), bits_(bitsPerValue) {}

    std::uint8_t Next()
    {
        if (unused_ >= bits_) {
            unused_ -= bits_;
            return static_cast<std::uint8_t>((current_ >> unused_) & ((1u << bits_) - 1));
        }
        const int missing = bits_ - unused_;
        const unsigned high = (current_ & ((1u << unused_) - 1)) << missing;
        current_ = *next_++;
        unused_ = 8 - missing;
        return static_cast<std::uint8_t>(high | (current_ >> unused_));
    }

private:
    const std::uint8_t* next_;
    int bits_;
    unsigned current_ = 0;
    int unused_ = 0;   // bits of current_ not yet consumed, counted from its low end
};

}  // namespace

int CodecUnpackBits(const std::uint8_t* src, int samplesPerRow, int rows, int bitsPerSample, std::uint8_t* dst)
{
    return codec::RunCodecEntry([&](codec::CodecCall& call) -> int {
        if (src == nullptr || dst == nullptr || samplesPerRow < 0 || rows < 0 || bitsPerSample < 1 ||
            bitsPerSample > 8)
            return call.Fail(kCodecErrInvalidArgument);
        BitStream stream(src, bitsPerSample);
        codec::CodecProgress progress(call.state);
        for (int row = 0; row < rows; ++row) {
            for (int sample = 0; sample < samplesPerRow; ++sample) *dst++ = stream.Next();
            if (!progress.Report(row + 1, rows)) return call.Fail(kCodecErrCancelled);
        }
        return 1;
    });
}
