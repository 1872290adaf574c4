#pragma once
// Writing the converted picture: the last steps of every save, shared by the desktop program and the
// command line so both write identical files.

#include <cstdint>
#include <string>

class CConversion;

// The JPEG settings a save writes with.
struct JpegChoice {
    int quality = 92;             // 40..100
    bool fullChroma = true;       // "Enhanced Sampling": every component sampled 1 x 1
    bool progressive = false;
    std::int64_t targetBytes = 0;  // when positive, the quality is the one suggested for this file size
};

// Squeezes the output into the D1 frame when that output format is chosen, picks the JPEG quality for a
// target size from the picture actually written, writes it to `path` (the
// extension chooses the writer) and rebuilds the display-size output afterwards. Returns the image
// status: 0 when the file was written; otherwise nothing was written and an existing file is untouched.
int SaveOutputImage(CConversion& conversion, const std::string& path, const JpegChoice& jpeg);
