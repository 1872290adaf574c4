#pragma once
// Format detection: which image format a source holds, judged by its leading bytes (WebP's RIFF form and
// the brands of an ISO "ftyp" box first), a few fixed-offset
// signatures (PCX's two bytes only with a header a PCX reader can decode), the file name's extension for
// the two formats without a reliable signature (WBMP, TGA), the TGA 2.0 footer and the Photo CD image
// pack's sector signature.
//
// Detection only reads: it leaves the source wherever the tests left it, so the caller seeks back to 0
// before reading the picture.

#include "codec/CodecIO.h"

enum class CodecFormat : int {
    kUnknown = 0,
    kBmp = 1,
    kGif = 2,
    kJpeg = 3,
    kPng = 4,
    kPcx = 5,
    kTiff = 6,
    kWindowsMetafile = 7,
    kEnhancedMetafile = 8,
    kPax = 9,               // signature "PAX"
    kPsd = 10,
    kTla = 11,              // signature 54 4C 41 01
    kTlau = 12,             // signature "TLAU"
    kWbmp = 13,
    kTga = 14,
    kPhotoCdOverview = 15,
    kPhotoCdImage = 16,
    kJpeg2000 = 17,         // JP2 file, or a codestream at offset 0
    kJpeg2000At4 = 18,      // codestream at offset 4
    kOleCompound = 19,
    kWebp = 20,             // "RIFF", a size, "WEBP"
    kHeic = 21,             // an ISO "ftyp" box naming heic, heix, mif1 or msf1
    kAvif = 22,             // an ISO "ftyp" box naming avif or avis
};

// The format of the source from its current position on; kUnknown when nothing matches or on failure.
// Last error: kCodecErrInvalidArgument for a null handle, kCodecErrInvalidHandle for one that is not
// live, kCodecErrReadFailed when nothing can be read at the start or the TGA footer cannot be read,
// otherwise kCodecOk.
CodecFormat CodecGuessFormat(CodecIOHandle* source);
