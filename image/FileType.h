#pragma once
// File types: a file format together with the bit depth its pixels are read at. Loading, saving and
// format detection speak of files by these ids (0..24; 21 is "none or unknown").

enum FileType : int {
    kFileJpeg = 0,          // colour JPEG, read at 24 bits
    kFileJpegGrey = 1,      // greyscale JPEG, read at 8 bits with a grey ramp
    kFileBmp = 2,           // BMP of more than 8 bits
    kFileBmpPalette = 3,    // BMP of 2 to 8 bits
    kFilePcx = 4,
    kFilePcxPalette = 5,
    kFilePng = 6,           // PNG, not palette-based and not 1 bit
    kFilePngPalette = 7,
    kFileTiff = 8,
    kFileTiffPalette = 9,
    kFileTga = 10,
    kFileTgaPalette = 11,
    kFileWmf = 12,
    kFileEmf = 13,
    kFilePsd = 14,
    kFilePsdPalette = 15,   // PSD in bitmap, greyscale, indexed or duotone mode
    kFileWbmp = 16,
    kFileTiffMono = 17,
    kFilePngMono = 18,
    kFileBmpMono = 19,
    kFilePhotoCd = 20,
    kFileUnknown = 21,
    kFileWebp = 22,         // read at 24 bits; written lossy or lossless
    kFileHeic = 23,         // read only
    kFileAvif = 24,         // read only
};

// The format's name for people: "JPEG", "BMP", ... ("unknown" for kFileUnknown).
const char* FileTypeName(int type);
