#pragma once
// Writing the converted picture: the last steps of every save, shared by the desktop program and the
// command line so both write identical files.
//
// The output is squeezed into the D1 frame when that output format is chosen (so a JPEG quality chosen
// for a size is chosen on the picture actually written), written by the writer the path's extension
// names, and then rebuilt at its display size.

#include <cstdint>
#include <string>

class CConversion;
class CRasterImage;

// The JPEG settings a save writes with; a WebP file takes the quality too.
struct JpegChoice {
    int quality = 92;              // 40..100
    bool fullChroma = true;        // "Enhanced Sampling": every component sampled 1 x 1
    bool progressive = false;
    std::int64_t targetBytes = 0;  // when positive, the quality is the one suggested for this file size
    bool lossless = false;         // WebP: lossless instead of lossy at `quality`
};

// Squeezes the output for saving; true when it changed (RestoreDisplayOutput must follow).
bool PrepareOutputForSave(CConversion& conversion);
// Writes `output` to `path` with the JPEG settings. The image status: 0 when the file was written;
// otherwise nothing was written and an existing file is untouched.
int WriteOutputImage(CRasterImage& output, const std::string& path, const JpegChoice& jpeg);
// Rebuilds the display-size output after a squeeze.
void RestoreDisplayOutput(CConversion& conversion, bool squeezed);

// The three steps at once, for callers that ask no questions in between.
int SaveOutputImage(CConversion& conversion, const std::string& path, const JpegChoice& jpeg);
