#pragma once
// Counting the clear and set pixels of a 1-bit picture.

#include <cstdint>

// counts[0] = clear pixels, counts[1] = set pixels among the first width pixels of every row (the
// padding bits at the end of a row are not counted). 1 on success; 0 with kCodecErrInvalidArgument for
// missing pixels or counts, a side outside 1..kMaxSide or a stride below the packed row; 0 with kCodecErrCancelled
// when the progress callback stops it. No flags are defined.
int CodecCountOneBitPixels(const std::uint8_t* src, int width, int height, int stride, unsigned* counts, int flags);
